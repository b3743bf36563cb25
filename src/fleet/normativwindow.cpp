#include "fleet/normativwindow.h"

#include "ui/placeholder.h"

namespace vok {

NormativWindow::NormativWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    buildPlaceholder(this, QStringLiteral("normativ"), QStringLiteral("Tabele normativ"));
}

} // namespace vok
