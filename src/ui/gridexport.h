#pragma once

#include "sheet/spreadsheet.h"

#include <QString>

#include <functional>

class QAction;
class QTableView;

namespace vok {

class MessageService;

namespace gridexport {

// Gives a grid the context menu "Export Excel" / "Export CSV": each asks
// where to save (askWhereToSave, proposing a file named after what `describe`
// says the grid shows now: "Piese B-104-VOK") and writes what the grid shows,
// then tells the clerk where it went. One line per grid:
//   gridexport::install(m_grid, context.messages, [this] { return QStringLiteral("Piese ") + m_nra->currentText(); });
// The two actions, for a window that offers them on a button too.
struct Actions {
    QAction *excel = nullptr;
    QAction *csv = nullptr;
};
Actions install(QTableView *grid, MessageService *messages, const std::function<QString()> &describe);
// A grid whose content has one description: "Jurnal modificari".
Actions install(QTableView *grid, MessageService *messages, const QString &description);

// What the grid shows, in the order it shows it: the headings of the visible
// columns, then the visible rows (led by their row headings when these name
// the rows); numbers as numbers, the rest as the grid's texts. The worksheet
// is named after the grid's window.
sheet::Table table(const QTableView *grid);

} // namespace gridexport
} // namespace vok
