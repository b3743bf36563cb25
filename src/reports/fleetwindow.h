#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Centralizare autovehicule" (`central`).
class FleetWindow : public QDialog {
    Q_OBJECT
public:
    explicit FleetWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
