#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Tabele normativ" (`normativ`).
class NormativWindow : public QDialog {
    Q_OBJECT
public:
    explicit NormativWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
