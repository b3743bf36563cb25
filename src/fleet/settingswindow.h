#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Elemente care apar in rapoarte" (`setari`).
class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    explicit SettingsWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
