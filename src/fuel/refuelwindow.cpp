#include "fuel/refuelwindow.h"

#include "ui/placeholder.h"

namespace vok {

RefuelWindow::RefuelWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    buildPlaceholder(this, QStringLiteral("alim"), QStringLiteral("Alimentare carburant, ulei "));
}

} // namespace vok
