#include "trips/loaddialog.h"

#include "ui/placeholder.h"

namespace vok {

LoadDialog::LoadDialog(const WindowContext &context, QWidget *tripWindow)
    : QDialog(tripWindow)
    , m_context(context)
    , m_tripWindow(tripWindow)
{
    buildPlaceholder(this, QStringLiteral("utilitar"), QStringLiteral("Calcul Gm"));
}

} // namespace vok
