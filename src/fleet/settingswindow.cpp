#include "fleet/settingswindow.h"

#include "fleet/settingsmodels.h"
#include "fleet/settingsstore.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/gridexport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

void setUpGrid(QTableView *grid)
{
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                          | QAbstractItemView::AnyKeyPressed);
    grid->setTabKeyNavigation(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->verticalHeader()->setFixedWidth(18);
    grid->horizontalHeader()->setHighlightSections(false);
    // Long headings wrap onto two lines instead of being cut.
    grid->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
}

} // namespace

SettingsWindow::SettingsWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_headerModel(new HeaderModel(context.db, this))
    , m_stateModel(new StartingStateModel(context.db, this))
    , m_headerGrid(new QTableView(this))
    , m_stateGrid(new QTableView(this))
    , m_takenOut(new QListWidget(this))
    , m_exit(new QPushButton(QStringLiteral("Iesire"), this))
{
    setObjectName(QStringLiteral("setari"));
    setWindowTitle(QStringLiteral("Elemente care apar in rapoarte"));

    m_headerGrid->setObjectName(QStringLiteral("DBGrid1"));
    m_headerGrid->setAccessibleName(QStringLiteral("Elemente care apar in rapoarte"));
    m_headerGrid->setModel(m_headerModel);
    setUpGrid(m_headerGrid);
    m_headerGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_headerGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_headerGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridexport::install(m_headerGrid, m_context.messages, QStringLiteral("Setari rapoarte"));

    auto *stateTitle = new QLabel(QStringLiteral(
        "Setari date autovehicul la inceputul luarii in evidenta, necesare la foaia activitatii zilnice (V.O.K.)"),
        this);
    stateTitle->setWordWrap(true);
    QFont titleFont = stateTitle->font();
    titleFont.setBold(true);
    stateTitle->setFont(titleFont);
    stateTitle->setBuddy(m_stateGrid);
    m_stateGrid->setObjectName(QStringLiteral("DBGrid2"));
    m_stateGrid->setModel(m_stateModel);
    setUpGrid(m_stateGrid);
    m_stateGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The make and type is the longest text: it gets the room the numbers leave.
    m_stateGrid->horizontalHeader()->setStretchLastSection(false);
    // Headings wrap on two lines: a number column is as wide as its longest
    // word or an eight-digit figure, so that the make keeps the rest.
    m_stateGrid->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    const QFontMetrics metrics = m_stateGrid->fontMetrics();
    for (int column = 0; column < m_stateModel->columnCount(); ++column) {
        if (column == 1)
            continue;
        int width = metrics.horizontalAdvance(QStringLiteral("99999999.9"));
        const QString heading = m_stateModel->headerData(column, Qt::Horizontal).toString();
        for (const QString &word : heading.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            width = std::max(width, metrics.horizontalAdvance(word));
        m_stateGrid->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Fixed);
        m_stateGrid->setColumnWidth(column, width + 16);
    }
    m_stateGrid->horizontalHeader()->setFixedHeight(2 * m_stateGrid->fontMetrics().height() + 12);
    gridexport::install(m_stateGrid, m_context.messages, QStringLiteral("Setari autovehicule"));

    auto *takenOutLabel = new QLabel(QStringLiteral("Auto scoase"), this);
    takenOutLabel->setFont(titleFont);
    takenOutLabel->setBuddy(m_takenOut);
    m_takenOut->setObjectName(QStringLiteral("nra"));
    m_takenOut->setMaximumWidth(150);
    m_exit->setObjectName(QStringLiteral("Command1"));
    m_exit->setAutoDefault(false);

    auto *side = new QVBoxLayout;
    side->addWidget(takenOutLabel);
    side->addWidget(m_takenOut, 1);
    side->addWidget(m_exit);

    auto *lower = new QHBoxLayout;
    auto *stateColumn = new QVBoxLayout;
    stateColumn->addWidget(stateTitle);
    stateColumn->addWidget(m_stateGrid, 1);
    lower->addLayout(stateColumn, 1);
    lower->addLayout(side);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_headerGrid);
    layout->addLayout(lower, 1);

    setTabOrder(m_headerGrid, m_stateGrid);
    setTabOrder(m_stateGrid, m_takenOut);
    setTabOrder(m_takenOut, m_exit);

    // Refusals are shown once the grid has finished with its editor.
    connect(m_headerModel, &HeaderModel::refused, this, &SettingsWindow::headerRefused, Qt::QueuedConnection);
    connect(m_stateModel, &StartingStateModel::refused, this, &SettingsWindow::stateRefused,
            Qt::QueuedConnection);
    auto showFailure = [this](const QString &message) { m_context.messages->error(this, message); };
    connect(m_headerModel, &HeaderModel::failed, this, showFailure, Qt::QueuedConnection);
    connect(m_stateModel, &StartingStateModel::failed, this, showFailure, Qt::QueuedConnection);
    auto showStale = [this](const QString &message) {
        m_context.messages->inform(this, message);
        load();
    };
    connect(m_headerModel, &HeaderModel::stale, this, showStale, Qt::QueuedConnection);
    connect(m_stateModel, &StartingStateModel::stale, this, showStale, Qt::QueuedConnection);
    connect(m_exit, &QPushButton::clicked, this, &SettingsWindow::leave);

    load();

    const int rowHeight = m_headerGrid->verticalHeader()->defaultSectionSize();
    m_headerGrid->setFixedHeight(m_headerGrid->horizontalHeader()->sizeHint().height()
                                 + rowHeight * qMax(1, m_headerModel->rowCount()) + 2 * m_headerGrid->frameWidth());
    resize(1000, 640);
}

void SettingsWindow::load()
{
    guarded(m_context.messages, this, [this] {
        m_headerModel->load();
        m_stateModel->load();
        m_takenOut->clear();
        for (const TakenOutLine &line : SettingsStore(m_context.db).takenOutLines()) {
            auto *item = new QListWidgetItem(line.nrauto, m_takenOut);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(line.takenOut ? Qt::Checked : Qt::Unchecked);
            item->setData(Qt::UserRole, line.ida);
        }
    });
}

void SettingsWindow::showMessages(const QStringList &messages)
{
    for (const QString &message : messages)
        m_context.messages->inform(this, message);
}

// The cell refused is opened again, emptied, for the clerk to type anew; Esc
// brings back the stored text.
void SettingsWindow::headerRefused(const QStringList &messages, int row, int column)
{
    showMessages(messages);
    if (!isVisible())
        return;
    const QModelIndex index = m_headerModel->index(row, column);
    activateWindow();
    m_headerGrid->setFocus(Qt::OtherFocusReason);
    m_headerGrid->setCurrentIndex(index);
    m_headerGrid->edit(index);
    if (auto *editor = qobject_cast<QLineEdit *>(m_headerGrid->indexWidget(index)))
        editor->clear();
}

// The cell refused is opened again with its stored value, for the clerk to
// type anew.
void SettingsWindow::stateRefused(const QStringList &messages, int row, int column)
{
    showMessages(messages);
    if (!isVisible())
        return;
    const QModelIndex index = m_stateModel->index(row, column);
    activateWindow();
    m_stateGrid->setFocus(Qt::OtherFocusReason);
    m_stateGrid->setCurrentIndex(index);
    m_stateGrid->edit(index);
}

void SettingsWindow::reject() { leave(); }

void SettingsWindow::leave()
{
    QList<TakenOutLine> lines;
    for (int i = 0; i < m_takenOut->count(); ++i) {
        const QListWidgetItem *item = m_takenOut->item(i);
        lines << TakenOutLine{item->data(Qt::UserRole).toInt(), item->text(), item->checkState() == Qt::Checked};
    }
    if (!guarded(m_context.messages, this, [&] { SettingsStore(m_context.db).saveTakenOut(lines); }))
        return;
    fields::setClosing(this);
    QDialog::accept();
}

} // namespace vok
