#pragma once

#include <QStringList>
#include <QVariant>

// Pieces shared by the editable grid models of the settings and parts windows.
namespace vok::grid {

// The heading of column `section` for a model's headerData(); the rows have
// an empty heading.
QVariant heading(const QStringList &headings, int section, Qt::Orientation orientation, int role);

// The alignment of a cell that shows a number: right, centred vertically.
QVariant numberAlignment();

} // namespace vok::grid
