#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

namespace vok {

// The dialog "Sporul pentru circulatia in localitati urbane (km echivalenti)" (`sporurb`), opened from the trip window; it writes its
// results straight into the boxes of `tripWindow` (found by their names).
class UrbanDialog : public QDialog {
    Q_OBJECT
public:
    UrbanDialog(const WindowContext &context, QWidget *tripWindow);

private:
    WindowContext m_context;
    QWidget *m_tripWindow;
};

} // namespace vok
