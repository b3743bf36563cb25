#include "ui/gridexport.h"

#include "ui/filedialog.h"
#include "ui/messageservice.h"
#include "ui/widgets.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

namespace vok::gridexport {

namespace {

bool alignedRight(const QVariant &alignment)
{
    if (!alignment.isValid())
        return false;
    const Qt::Alignment a = alignment.typeId() == QMetaType::fromType<Qt::Alignment>().id()
                                ? alignment.value<Qt::Alignment>()
                                : Qt::Alignment(alignment.toInt());
    return a.testFlag(Qt::AlignRight);
}

QString shownText(const QTableView *grid, const QModelIndex &index, const QVariant &value)
{
    if (const auto *delegate = qobject_cast<const QStyledItemDelegate *>(grid->itemDelegateForIndex(index)))
        return delegate->displayText(value, grid->locale());
    return value.toString();
}

void exportTo(QTableView *grid, MessageService *messages, const std::function<QString()> &describe, bool excel)
{
    SaveRequest request;
    request.title = excel ? QStringLiteral("Export Excel") : QStringLiteral("Export CSV");
    request.nameFilter = excel ? QStringLiteral("Fisiere Excel (*.xlsx)") : QStringLiteral("Fisiere CSV (*.csv)");
    request.suffix = excel ? QStringLiteral("xlsx") : QStringLiteral("csv");
    request.description = describe();
    QWidget *window = grid->window();
    const QString path = askWhereToSave(window, request);
    if (path.isEmpty())
        return;
    try {
        widgets::WaitCursor wait;
        const sheet::Table t = table(grid);
        if (excel)
            sheet::writeXlsx(t, path);
        else
            sheet::writeCsv(t, path);
    } catch (const sheet::WriteError &error) {
        messages->error(window, error.message());
        return;
    }
    messages->inform(window, QStringLiteral(" Tabelul a fost salvat in %1 ").arg(QDir::toNativeSeparators(path)));
}

} // namespace

Actions install(QTableView *grid, MessageService *messages, const std::function<QString()> &describe)
{
    auto *excel = new QAction(QStringLiteral("Export Excel"), grid);
    excel->setObjectName(QStringLiteral("exportExcel"));
    auto *csv = new QAction(QStringLiteral("Export CSV"), grid);
    csv->setObjectName(QStringLiteral("exportCsv"));
    QObject::connect(excel, &QAction::triggered, grid, [grid, messages, describe] { exportTo(grid, messages, describe, true); });
    QObject::connect(csv, &QAction::triggered, grid, [grid, messages, describe] { exportTo(grid, messages, describe, false); });
    grid->addAction(excel);
    grid->addAction(csv);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    return {excel, csv};
}

Actions install(QTableView *grid, MessageService *messages, const QString &description)
{
    return install(grid, messages, [description] { return description; });
}

sheet::Table table(const QTableView *grid)
{
    sheet::Table t;
    t.name = grid->window()->windowTitle();
    const QAbstractItemModel *model = grid->model();
    if (!model)
        return t;
    const QHeaderView *columns = grid->horizontalHeader();
    const QHeaderView *rows = grid->verticalHeader();
    QList<int> shown;
    for (int visual = 0; visual < columns->count(); ++visual) {
        const int column = columns->logicalIndex(visual);
        if (column >= 0 && !grid->isColumnHidden(column))
            shown.append(column);
    }
    // Row headings that name the rows (the vehicles of SITUATIE) are the first
    // column; plain row numbers and empty ones are not.
    bool rowNames = false;
    if (!rows->isHidden()) {
        for (int row = 0; row < model->rowCount(grid->rootIndex()) && !rowNames; ++row) {
            const QVariant name = model->headerData(row, Qt::Vertical, Qt::DisplayRole);
            rowNames = !name.toString().isEmpty() && name.toString() != QString::number(row + 1);
        }
    }
    QVector<sheet::Cell> headings;
    if (rowNames)
        headings.append(sheet::Cell());
    for (int column : shown) {
        sheet::Cell heading = sheet::Cell::textCell(model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        heading.bold = true;
        heading.wrap = true;
        heading.align = sheet::Cell::Align::Center;
        headings.append(heading);
    }
    t.rows.append(headings);
    for (int visual = 0; visual < rows->count(); ++visual) {
        const int row = rows->logicalIndex(visual);
        if (row < 0 || grid->isRowHidden(row))
            continue;
        QVector<sheet::Cell> cells;
        if (rowNames)
            cells.append(sheet::Cell::textCell(model->headerData(row, Qt::Vertical, Qt::DisplayRole).toString()));
        for (int column : shown) {
            const QModelIndex index = model->index(row, column, grid->rootIndex());
            const QVariant value = model->data(index, Qt::DisplayRole);
            cells.append(sheet::gridCell(value, value.isValid() ? shownText(grid, index, value) : QString(),
                                         alignedRight(model->data(index, Qt::TextAlignmentRole))));
        }
        t.rows.append(cells);
    }
    return t;
}

} // namespace vok::gridexport
