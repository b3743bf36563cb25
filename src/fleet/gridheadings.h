#pragma once

#include <QStringList>
#include <QVariant>

// Pieces shared by the editable grid models of the settings, parts and
// normative windows.
namespace vok::grid {

// The heading of column `section` for a model's headerData(); the rows have
// an empty heading.
QVariant heading(const QStringList &headings, int section, Qt::Orientation orientation, int role);

// The alignment of a cell that shows a number: right, centred vertically.
QVariant numberAlignment();

// The heading of a column of one of the normative's reference tables: the
// heading the windows that consult the table give it (the vehicle window's
// utilities, the trip window's surcharge dialogs), else one in their manner;
// the column's own name for a column it does not know.
QString referenceHeading(const QString &table, const QString &column);

} // namespace vok::grid
