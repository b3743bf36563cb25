#pragma once

#include "fleet/referencestore.h"

#include <QList>
#include <QPair>
#include <QString>

class QLabel;
class QTableView;
class QWidget;

// Pieces shared by the windows that show the normative's tables.
namespace vok::reference {

// A column shown in a grid: the table column and its heading.
using Shown = QPair<QString, QString>;

// A read-only grid with whole-row selection, named `name`.
QTableView *makeGrid(QWidget *parent, const QString &name, const QString &accessibleName);

// Fills the grid with `rows` of `table`, showing the columns `shown` in order;
// the column `stretch` takes the spare width.
void fillGrid(QTableView *grid, const QString &table, const QList<Shown> &shown, const QList<ReferenceRow> &rows,
              int stretch = 0);

// The text of one cell as the grid shows it.
QString cellText(const QTableView *grid, int row, int column);

// A heading label above a grid, word-wrapped, with the grid as its buddy.
QLabel *gridTitle(QWidget *parent, const QString &text, QTableView *grid);

} // namespace vok::reference
