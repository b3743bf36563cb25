#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The window "Piese, reparatii etc." (`piese`).
class PartsWindow : public QDialog {
    Q_OBJECT
public:
    explicit PartsWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    WindowContext m_context;
};

} // namespace vok
