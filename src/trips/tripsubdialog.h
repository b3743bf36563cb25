#pragma once

#include <QString>

class QAbstractItemModel;
class QLineEdit;
class QTableView;
class QWidget;

// Pieces shared by the dialogs the trip window opens (`sporurb`, `tractare`,
// `utilitar`).
namespace vok::tripdialogs {

// Rewrites a number in `box` as leaving the box would; anything else stays.
void settle(QLineEdit *box, const QString &mask);

// Shows the normative's table in `grid`: read-only, one whole row selected at
// a time, long texts wrapped.
void showTable(QTableView *grid, QAbstractItemModel *model, const QString &accessibleName);

// A narrow, right-aligned number box named `name`.
QLineEdit *numberBox(QWidget *parent, const QString &name, const QString &text);

} // namespace vok::tripdialogs
