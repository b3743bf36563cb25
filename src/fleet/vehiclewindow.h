#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Setari date auto" (`auto`).
class VehicleWindow : public QDialog {
    Q_OBJECT
public:
    explicit VehicleWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
