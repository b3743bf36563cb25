#include "fleet/referencewindow.h"

#include "ui/widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>

namespace vok::reference {

QTableView *makeGrid(QWidget *parent, const QString &name, const QString &accessibleName)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setAccessibleName(accessibleName);
    grid->setModel(new QStandardItemModel(grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setWordWrap(false);
    return grid;
}

void fillGrid(QTableView *grid, const QString &table, const QList<Shown> &shown, const QList<ReferenceRow> &rows,
              int stretch)
{
    auto *model = static_cast<QStandardItemModel *>(grid->model());
    const QList<ReferenceColumn> columns = referenceColumns(table);
    QList<int> positions;
    QStringList headings;
    for (const Shown &s : shown) {
        int position = -1;
        for (qsizetype i = 0; i < columns.size(); ++i)
            if (columns.at(i).name == s.first)
                position = int(i);
        positions << position;
        headings << s.second;
    }
    model->clear();
    model->setColumnCount(int(shown.size()));
    model->setHorizontalHeaderLabels(headings);
    for (const ReferenceRow &row : rows) {
        QList<QStandardItem *> items;
        for (int position : positions) {
            auto *item = new QStandardItem(position < 0 ? QString()
                                                        : referenceCellText(columns.at(position), row.values.at(position)));
            if (position >= 0 && columns.at(position).kind != ReferenceColumn::Kind::Text)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items << item;
        }
        model->appendRow(items);
    }
    grid->resizeColumnsToContents();
    // Long headings and texts stay readable without pushing the grid wider than the screen.
    for (int c = 0; c < model->columnCount(); ++c)
        grid->setColumnWidth(c, qBound(60, grid->columnWidth(c) + 12, 320));
    if (stretch >= 0 && stretch < model->columnCount())
        grid->horizontalHeader()->setSectionResizeMode(stretch, QHeaderView::Stretch);
}

QString cellText(const QTableView *grid, int row, int column)
{
    return grid->model()->index(row, column).data().toString();
}

QLabel *gridTitle(QWidget *parent, const QString &text, QTableView *grid)
{
    QLabel *label = widgets::boldNote(parent, QString(), text);
    label->setBuddy(grid);
    return label;
}

} // namespace vok::reference
