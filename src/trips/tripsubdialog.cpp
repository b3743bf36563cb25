#include "trips/tripsubdialog.h"

#include "ui/fields.h"

#include <QLineEdit>
#include <QTableView>

namespace vok::tripdialogs {

void settle(QLineEdit *box, const QString &mask)
{
    const std::optional<QString> text = fields::numericText(box->text(), mask, std::nullopt);
    if (text && *text != box->text())
        box->setText(*text);
}

void showTable(QTableView *grid, QAbstractItemModel *model, const QString &accessibleName)
{
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(true);
    grid->setAccessibleName(accessibleName);
}

QLineEdit *numberBox(QWidget *parent, const QString &name, const QString &text)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setMaximumWidth(120);
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace vok::tripdialogs
