#include "trips/towingdialog.h"

#include "ui/placeholder.h"

namespace vok {

TowingDialog::TowingDialog(const WindowContext &context, QWidget *tripWindow)
    : QDialog(tripWindow)
    , m_context(context)
    , m_tripWindow(tripWindow)
{
    buildPlaceholder(this, QStringLiteral("tractare"), QStringLiteral("Tractare"));
}

} // namespace vok
