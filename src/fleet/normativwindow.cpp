#include "fleet/normativwindow.h"

#include "base/numbers.h"
#include "db/schema.h"
#include "fleet/gridheadings.h"
#include "fleet/referencestore.h"
#include "ui/fields.h"
#include "ui/filedialog.h"
#include "ui/gridexport.h"
#include "ui/guard.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace vok {

namespace {

struct TableChoice {
    const char *name;
    const char *description;
};

const TableChoice tableChoices[] = {
    {"sporI", "Sporul pentru actionarea instalatiilor speciale (I)"},
    {"sporU", "Sporul pentru circulatia in localitatile urbane (U)"},
    {"sporT", "Sporul de tractare (T)"},
    {"coefKg", "Coeficientul de incarcare Kg"},
    {"consumCm1", "Cm - automobile de marfuri cu sarcina utila peste 1,5 tone"},
    {"consumCm2", "Cm - autoturisme si automobile cu sarcina utila sub 1,5 tone"},
    {"consumCm3", "Cm - automobile pentru transportul de calatori"},
    {"consumCm4", "Cm - automobile cu destinatie speciala"},
    {"sistemU", "Capacitatea sistemului de ungere (Cb, Cf)"},
    {"uleiCa1", "Ca - automobile cu motor SR-211"},
    {"uleiCa2", "Ca - automobile cu alte tipuri de motoare"},
};

QString askForFile(QWidget *parent, bool save, const QString &suggested)
{
    FileRequest request;
    request.title = save ? QStringLiteral("Export CSV") : QStringLiteral("Import CSV");
    request.nameFilters = {QStringLiteral("Fisiere CSV (*.csv)"), QStringLiteral("Toate fisierele (*)")};
    request.save = save;
    request.suggested = suggested;
    request.defaultSuffix = QStringLiteral("csv");
    return vok::askForFile(parent, request);
}

} // namespace

// The rows of one reference table, edited in place: a typed value is checked
// before it is stored, and a refused one is announced and left unstored.
class NormativTableModel : public QAbstractTableModel {
public:
    NormativTableModel(NormativWindow *window, const WindowContext &context)
        : QAbstractTableModel(window)
        , m_window(window)
        , m_context(context)
    {
    }

    void load(const QString &table)
    {
        beginResetModel();
        m_table = table;
        m_columns = referenceColumns(table);
        m_rows.clear();
        guarded(m_context.messages, m_window, [&] { m_rows = ReferenceStore(m_context.db).rows(table); });
        endResetModel();
    }

    QString table() const { return m_table; }
    const QList<ReferenceColumn> &columns() const { return m_columns; }
    int idr(int row) const { return row >= 0 && row < m_rows.size() ? m_rows.at(row).idr : 0; }
    int rowOf(int idr) const
    {
        for (qsizetype i = 0; i < m_rows.size(); ++i)
            if (m_rows.at(i).idr == idr)
                return int(i);
        return -1;
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_columns.size()); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const ReferenceColumn &column = m_columns.at(index.column());
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return referenceCellText(column, m_rows.at(index.row()).values.at(index.column()));
        if (role == Qt::TextAlignmentRole && column.kind != ReferenceColumn::Kind::Text)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && section < m_columns.size()) {
            // The headings of the windows that consult the table; the column's
            // own name, which the CSV files use, in the tooltip.
            if (role == Qt::DisplayRole)
                return grid::referenceHeading(m_table, m_columns.at(section).name);
            if (role == Qt::ToolTipRole)
                return m_columns.at(section).name;
            return {};
        }
        if (role != Qt::DisplayRole || orientation == Qt::Horizontal)
            return {};
        return section + 1;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (index.isValid() && !m_columns.at(index.column()).numbered)
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        const ReferenceColumn &column = m_columns.at(index.column());
        const QString typed = value.toString();
        if (typed == data(index, Qt::EditRole).toString())
            return false;
        const CellValue cell = checkReferenceValue(column, typed);
        if (!cell.ok()) {
            // Announced once the editor has closed, so that no message box
            // opens while the grid is committing the cell.
            QString message;
            if (column.kind == ReferenceColumn::Kind::Text)
                message = texts::apostropheRefused();
            else if (!isNumber(typed))
                message = texts::onlyNumbers();
            else
                message = u' ' + cell.refusal + QStringLiteral(" !!! ");
            QPointer<NormativWindow> window = m_window;
            MessageService *messages = m_context.messages;
            QTimer::singleShot(0, m_window, [window, messages, message] {
                if (window)
                    messages->inform(window, message);
            });
            return false;
        }
        const int key = m_rows.at(index.row()).idr;
        int version = m_rows.at(index.row()).versiune;
        if (!guardedSave(
                m_context.messages, m_window,
                [&] { version = ReferenceStore(m_context.db).setValue(m_table, key, column.name, cell.value, version); },
                [this] {
                    // Queued: the grid is still committing this cell.
                    QTimer::singleShot(0, m_window, [this, table = m_table] { load(table); });
                }))
            return false;
        m_rows[index.row()].versiune = version;
        m_rows[index.row()].values[index.column()] = cell.value;
        emit dataChanged(index, index);
        return true;
    }

private:
    NormativWindow *m_window;
    WindowContext m_context;
    QString m_table;
    QList<ReferenceColumn> m_columns;
    QList<ReferenceRow> m_rows;
};

NormativWindow::NormativWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("normativ"));
    setWindowTitle(QStringLiteral("Tabele normativ"));

    m_table = new QComboBox(this);
    m_table->setObjectName(QStringLiteral("tabel"));
    for (const TableChoice &choice : tableChoices)
        m_table->addItem(QString::fromLatin1(choice.name) + QStringLiteral(" - ") + QString::fromLatin1(choice.description),
                         QString::fromLatin1(choice.name));
    auto *tableLabel = new QLabel(QStringLiteral("Tabelul"), this);
    tableLabel->setBuddy(m_table);

    m_model = new NormativTableModel(this, m_context);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(QStringLiteral("Randurile tabelului"));
    m_grid->setModel(m_model);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    m_grid->setAlternatingRowColors(true);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    // The headings are words, not column names: they wrap onto three lines.
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    m_grid->horizontalHeader()->setFixedHeight(3 * m_grid->fontMetrics().height() + 12);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_grid->installEventFilter(this);
    gridexport::install(m_grid, m_context.messages, [this] { return QStringLiteral("Normativ ") + currentTable(); });

    m_note = new QLabel(this);
    m_note->setWordWrap(true);

    auto *add = new QPushButton(QStringLiteral("Adaugare rand"), this);
    add->setObjectName(QStringLiteral("Command2"));
    auto *remove = new QPushButton(QStringLiteral("Stergere rand"), this);
    remove->setObjectName(QStringLiteral("Command3"));
    auto *import = new QPushButton(QStringLiteral("Import CSV"), this);
    import->setObjectName(QStringLiteral("Command4"));
    auto *exportButton = new QPushButton(QStringLiteral("Export CSV"), this);
    exportButton->setObjectName(QStringLiteral("Command5"));
    auto *exit = new QPushButton(QStringLiteral("Iesire"), this);
    exit->setObjectName(QStringLiteral("Command1"));
    for (QPushButton *b : {add, remove, import, exportButton, exit})
        b->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(tableLabel);
    top->addWidget(m_table, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addSpacing(16);
    buttons->addWidget(import);
    buttons->addWidget(exportButton);
    buttons->addStretch();
    buttons->addWidget(exit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_note);
    layout->addLayout(buttons);

    setTabOrder(m_table, m_grid);
    setTabOrder(m_grid, add);
    setTabOrder(add, remove);
    setTabOrder(remove, import);
    setTabOrder(import, exportButton);
    setTabOrder(exportButton, exit);

    chooseFile = [this](bool save) {
        if (!save)
            return askForFile(this, false, QString());
        return askWhereToSave(this, {QStringLiteral("Export CSV"), QStringLiteral("Fisiere CSV (*.csv)"), QStringLiteral("csv"),
                                     QStringLiteral("Normativ ") + currentTable()});
    };

    connect(m_table, &QComboBox::currentIndexChanged, this, [this] { reload(); });
    connect(add, &QPushButton::clicked, this, &NormativWindow::addRow);
    connect(remove, &QPushButton::clicked, this, &NormativWindow::deleteCurrentRow);
    connect(import, &QPushButton::clicked, this, [this] {
        const QString path = chooseFile(false);
        if (!path.isEmpty())
            importCsv(path);
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString path = chooseFile(true);
        if (!path.isEmpty())
            exportCsv(path);
    });
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    reload();
    resize(980, 640);
}

NormativWindow::~NormativWindow() = default;

void NormativWindow::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

QString NormativWindow::currentTable() const { return m_table->currentData().toString(); }

void NormativWindow::chooseTable(const QString &table)
{
    const int index = m_table->findData(table);
    if (index < 0)
        return;
    if (index == m_table->currentIndex())
        reload(); // shows changes made meanwhile
    else
        m_table->setCurrentIndex(index);
}

void NormativWindow::reload()
{
    const QString table = currentTable();
    m_model->load(table);
    // Each column as wide as its cells and the longest word of its heading:
    // the headings wrap, so that the widest table fits the window.
    const QFontMetrics headingMetrics = m_grid->horizontalHeader()->fontMetrics();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int width = static_cast<const QAbstractItemView *>(m_grid)->sizeHintForColumn(c); // the cells only
        const QString heading = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        for (const QString &word : heading.split(u' '))
            width = qMax(width, headingMetrics.horizontalAdvance(word) + 8);
        m_grid->setColumnWidth(c, qBound(60, width + 16, 300));
    }
    QString note = QStringLiteral("Dublu-click pe o celula pentru a o modifica. Stergerea unui rand: selectati randul si "
                                  "apasati Delete.");
    if (table == QLatin1String("sporI"))
        note += QStringLiteral(" Coloana Nr. se numeroteaza automat 1, 2, 3 ... in ordinea randurilor; autovehiculele retin "
                               "instalatia dupa acest numar.");
    else if (table.startsWith(QLatin1String("consumCm")))
        note += QStringLiteral(" Aprindere: 1 = motoare cu aprindere prin scanteie, 2 = motoare cu aprindere prin compresie.");
    m_note->setText(note);
}

void NormativWindow::addRow()
{
    int idr = 0;
    if (!guarded(m_context.messages, this, [&] { idr = ReferenceStore(m_context.db).addRow(currentTable()); }))
        return;
    reload();
    const int row = m_model->rowOf(idr);
    if (row < 0)
        return;
    int column = 0;
    while (column < m_model->columnCount() && m_model->columns().at(column).numbered)
        ++column;
    const QModelIndex index = m_model->index(row, column);
    m_grid->setFocus();
    m_grid->setCurrentIndex(index);
    m_grid->scrollTo(index);
    m_grid->edit(index);
}

void NormativWindow::deleteCurrentRow()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    const int idr = m_model->idr(current.row());
    if (currentTable() == QLatin1String("sporI")) {
        // An installation still named by a vehicle stays.
        QStringList users;
        if (!guarded(m_context.messages, this, [&] { users = ReferenceStore(m_context.db).installationUsers(idr); }))
            return;
        if (!users.isEmpty()) {
            m_context.messages->inform(this, QStringLiteral(" Instalatia este folosita de autovehiculele: %1 !!! ")
                                                 .arg(users.join(QStringLiteral(", "))));
            return;
        }
    }
    if (!m_context.messages->confirmDestructive(this, texts::deleteRowQuestion(), texts::deleteRowTitle(),
                                                MessageService::Icon::Information))
        return;
    if (!guarded(m_context.messages, this, [&] { ReferenceStore(m_context.db).removeRow(currentTable(), idr); }))
        return;
    reload();
    m_context.messages->inform(this, texts::rowDeleted(), texts::deleteRowTitle(), MessageService::Icon::Information);
    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(qMin(current.row(), m_model->rowCount() - 1), current.column()));
}

bool NormativWindow::importCsv(const QString &path)
{
    const QString table = currentTable();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_context.messages->inform(this, QStringLiteral(" Fisierul %1 nu poate fi citit: %2 !!! ")
                                             .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    const ReferenceImport import = readReferenceCsv(table, file.readAll());
    file.close();
    if (!import.ok()) {
        m_context.messages->inform(this, QStringLiteral(" Fisierul nu a fost importat. Linia %1: %2 !!! ")
                                             .arg(import.errorLine)
                                             .arg(import.error));
        return false;
    }
    int existing = 0;
    int equipped = 0;
    if (!guarded(m_context.messages, this, [&] {
            ReferenceStore store(m_context.db);
            existing = store.count(table);
            if (table == QLatin1String("sporI"))
                equipped = store.vehiclesWithInstallation();
        }))
        return false;
    QString question = QStringLiteral(" Se vor pune %1 randuri din fisier in locul celor %2 randuri ale tabelului %3. ")
                           .arg(import.rows.size())
                           .arg(existing)
                           .arg(table);
    // Vehicles name their installation by its row number, which the file decides.
    if (equipped > 0)
        question += QStringLiteral("%1 autovehicule retin instalatia speciala dupa numarul randului (nri). ").arg(equipped);
    // The file's rows take the place of every row of the table.
    if (!m_context.messages->confirmDestructive(this, question + QStringLiteral("Continuati ? ")))
        return false;
    if (!guarded(m_context.messages, this, [&] { ReferenceStore(m_context.db).replaceAll(table, import.rows); }))
        return false;
    reload();
    m_context.messages->inform(this, QStringLiteral(" Tabelul %1 are acum %2 randuri din fisier ")
                                         .arg(table)
                                         .arg(import.rows.size()));
    return true;
}

bool NormativWindow::exportCsv(const QString &path)
{
    const QString table = currentTable();
    QByteArray data;
    if (!guarded(m_context.messages, this, [&] { data = ReferenceStore(m_context.db).csv(table); }))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        m_context.messages->inform(this, QStringLiteral(" Fisierul %1 nu poate fi scris: %2 !!! ")
                                             .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    m_context.messages->inform(this, QStringLiteral(" Tabelul %1 a fost exportat in fisierul %2 ")
                                         .arg(table, QDir::toNativeSeparators(path)));
    return true;
}

bool NormativWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        deleteCurrentRow();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vok
