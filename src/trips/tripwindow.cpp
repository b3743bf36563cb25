#include "trips/tripwindow.h"

#include "ui/placeholder.h"

namespace vok {

TripWindow::TripWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    buildPlaceholder(this, QStringLiteral("foaie"), QStringLiteral("Date foi parcurs"));
}

} // namespace vok
