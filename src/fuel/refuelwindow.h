#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Alimentare carburant, ulei " (`alim`).
class RefuelWindow : public QDialog {
    Q_OBJECT
public:
    explicit RefuelWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
