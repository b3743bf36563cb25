#pragma once

#include <QString>
#include <QWidget>

class QAbstractItemModel;
class QLineEdit;
class QTableView;

// Pieces shared by the dialogs the trip window opens (`sporurb`, `tractare`,
// `utilitar`), which write their results into the trip window's controls.
namespace vok::tripdialogs {

// The trip window's control of that name and type; none without a trip window.
template <typename T> T *tripControl(QWidget *tripWindow, const QString &name)
{
    return tripWindow ? tripWindow->findChild<T *>(name) : nullptr;
}

// Rewrites a number in `box` as leaving the box would; anything else stays.
void settle(QLineEdit *box, const QString &mask);

// Shows the normative's table in `grid`: read-only, one whole row selected at
// a time, long texts wrapped.
void showTable(QTableView *grid, QAbstractItemModel *model, const QString &accessibleName);

// A narrow, right-aligned number box named `name`.
QLineEdit *numberBox(QWidget *parent, const QString &name, const QString &text);

} // namespace vok::tripdialogs
