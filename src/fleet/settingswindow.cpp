#include "fleet/settingswindow.h"

#include "ui/placeholder.h"

namespace vok {

SettingsWindow::SettingsWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    buildPlaceholder(this, QStringLiteral("setari"), QStringLiteral("Elemente care apar in rapoarte"));
}

} // namespace vok
