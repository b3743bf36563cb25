#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Consultare ,,Ca''" (`uleiard`): the normative's specific oil
// consumption for burning, for the SR-211 engine and for other engines by
// cylinder capacity. Only consulted; nothing is written back.
class UleiardWindow : public QDialog {
    Q_OBJECT
public:
    explicit UleiardWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
