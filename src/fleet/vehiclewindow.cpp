#include "fleet/vehiclewindow.h"

#include "ui/placeholder.h"

namespace vok {

VehicleWindow::VehicleWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    buildPlaceholder(this, QStringLiteral("auto"), QStringLiteral("Setari date auto"));
}

} // namespace vok
