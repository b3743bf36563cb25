#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Date foi parcurs" (`foaie`).
class TripWindow : public QDialog {
    Q_OBJECT
public:
    explicit TripWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
