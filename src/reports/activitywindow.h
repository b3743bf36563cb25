#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Fisa activitatii zilnice" (`foaieaz`).
class ActivityWindow : public QDialog {
    Q_OBJECT
public:
    explicit ActivityWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
