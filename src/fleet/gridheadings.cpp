#include "fleet/gridheadings.h"

namespace vok::grid {

QVariant heading(const QStringList &headings, int section, Qt::Orientation orientation, int role)
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString();
    return headings.value(section);
}

QVariant numberAlignment() { return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)); }

} // namespace vok::grid
