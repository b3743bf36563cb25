#pragma once

#include "db/database.h"
#include "ui/messageservice.h"

#include <QWidget>

#include <utility>

namespace vok {

// Runs one user action; a database failure is shown with the engine's message
// and the program goes on. Returns false when the action failed.
template <typename Action>
bool guarded(MessageService *messages, QWidget *parent, Action &&action)
{
    try {
        std::forward<Action>(action)();
        return true;
    } catch (const DbError &error) {
        messages->error(parent, error.message());
        return false;
    }
}

} // namespace vok
