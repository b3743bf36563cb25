#include "trips/urbandialog.h"

#include "ui/placeholder.h"

namespace vok {

UrbanDialog::UrbanDialog(const WindowContext &context, QWidget *tripWindow)
    : QDialog(tripWindow)
    , m_context(context)
    , m_tripWindow(tripWindow)
{
    buildPlaceholder(this, QStringLiteral("sporurb"), QStringLiteral("Sporul pentru circulatia in localitati urbane (km echivalenti)"));
}

} // namespace vok
