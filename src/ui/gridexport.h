#pragma once

#include "sheet/spreadsheet.h"

#include <QString>

class QTableView;

namespace vok {

class MessageService;

namespace gridexport {

// Gives a grid the context menu "Export Excel" / "Export CSV": each asks for
// a file (proposing `fileName` with its suffix, in the folder of the last
// export) and writes what the grid shows, then tells the clerk where it went.
// One line per grid:  gridexport::install(m_grid, context.messages, QStringLiteral("piese"));
void install(QTableView *grid, MessageService *messages, const QString &fileName);

// What the grid shows, in the order it shows it: the headings of the visible
// columns, then the visible rows (led by their row headings when these name
// the rows); numbers as numbers, the rest as the grid's texts. The worksheet
// is named after the grid's window.
sheet::Table table(const QTableView *grid);

} // namespace gridexport
} // namespace vok
