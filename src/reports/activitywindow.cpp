#include "reports/activitywindow.h"

#include "ui/placeholder.h"

namespace vok {

ActivityWindow::ActivityWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    buildPlaceholder(this, QStringLiteral("foaieaz"), QStringLiteral("Fisa activitatii zilnice"));
}

} // namespace vok
