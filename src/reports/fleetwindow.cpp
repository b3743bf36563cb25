#include "reports/fleetwindow.h"

#include "ui/placeholder.h"

namespace vok {

FleetWindow::FleetWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    buildPlaceholder(this, QStringLiteral("central"), QStringLiteral("Centralizare autovehicule"));
}

} // namespace vok
