#pragma once

#include "db/database.h"
#include "db/journal.h"
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

// Runs one save as guarded() does. A save refused because another clerk
// changed the record since it was loaded is told to the clerk (OK only);
// on the answer `reload` loads the record again.
template <typename Action, typename Reload>
bool guardedSave(MessageService *messages, QWidget *parent, Action &&action, Reload &&reload)
{
    try {
        std::forward<Action>(action)();
        return true;
    } catch (const StaleRecord &stale) {
        messages->inform(parent, stale.message());
        std::forward<Reload>(reload)();
        return false;
    } catch (const DbError &error) {
        messages->error(parent, error.message());
        return false;
    }
}

} // namespace vok
