#include "fleet/partswindow.h"

#include "ui/placeholder.h"

namespace vok {

PartsWindow::PartsWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    buildPlaceholder(this, QStringLiteral("piese"), QStringLiteral("Piese, reparatii etc."));
}

} // namespace vok
