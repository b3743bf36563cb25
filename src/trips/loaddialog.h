#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The dialog "Calcul Gm" (`utilitar`), opened from the trip window; it writes its
// results straight into the boxes of `tripWindow` (found by their names).
class LoadDialog : public QDialog {
    Q_OBJECT
public:
    LoadDialog(const WindowContext &context, QWidget *tripWindow);

private:
    WindowContext m_context;
    QWidget *m_tripWindow;
};

} // namespace vok
