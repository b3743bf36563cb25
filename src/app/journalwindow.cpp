#include "app/journalwindow.h"

#include "base/numbers.h"
#include "months/monthstatus.h"
#include "ui/fields.h"
#include "ui/gridexport.h"
#include "ui/guard.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

const QStringList headings = {QStringLiteral("Data, ora"), QStringLiteral("Utilizator"), QStringLiteral("Fereastra"),
                              QStringLiteral("Tabela"),    QStringLiteral("Cheie"),      QStringLiteral("Nr. auto"),
                              QStringLiteral("Nr. foaie"), QStringLiteral("Nr. cursa"),  QStringLiteral("Actiune"),
                              QStringLiteral("Inainte"),   QStringLiteral("Dupa")};

QStandardItem *cell(const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

QStandardItem *number(const QVariant &value)
{
    auto *item = cell(value.isNull() ? QString() : value.toString());
    if (!value.isNull())
        item->setData(value.toLongLong(), Qt::EditRole);
    item->setData(int(Qt::AlignRight | Qt::AlignVCenter), Qt::TextAlignmentRole);
    return item;
}

const QString dateFormat = QStringLiteral("dd.MM.yyyy");

// A date box of the period: one Tab stop, the date typed as typed, with or
// without its points.
QLineEdit *dateBox(QWidget *parent, const QString &name, const QDate &date)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setInputMask(QStringLiteral("99.99.9999"));
    box->setText(date.toString(dateFormat));
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 16);
    fields::selectAllOnEntry(box);
    return box;
}

QDate dateOf(const QLineEdit *box) { return QDate::fromString(box->text(), dateFormat); }

// The moment of a change as the program writes dates: dd.mm.yyyy hh:mm.
QString momentText(const QString &stored)
{
    const QDateTime moment = QDateTime::fromString(stored.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return moment.isValid() ? moment.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : stored;
}

QPlainTextEdit *valuesBox(QWidget *parent, const QString &name)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setMaximumHeight(150);
    return box;
}

} // namespace

JournalWindow::JournalWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_store(context.db)
{
    setObjectName(QStringLiteral("jurnal"));
    setWindowTitle(QStringLiteral("Jurnal modificari"));

    m_vehicle = new QComboBox(this);
    m_vehicle->setObjectName(QStringLiteral("nra"));
    m_vehicle->setMinimumContentsLength(12);
    m_sheet = new QLineEdit(this);
    m_sheet->setObjectName(QStringLiteral("nrfoi"));
    m_sheet->setValidator(new QIntValidator(0, 999999999, m_sheet));
    m_sheet->setMaximumWidth(110);
    const QDate today = QDate::currentDate();
    m_from = dateBox(this, QStringLiteral("dela"), today.addMonths(-1));
    m_to = dateBox(this, QStringLiteral("panala"), today);
    for (QLineEdit *box : {m_from, m_to})
        fields::onLeave(box, [this, box] { return checkDate(box); });
    m_user = new QComboBox(this);
    m_user->setObjectName(QStringLiteral("utilizator"));
    m_user->setMinimumContentsLength(12);
    m_show = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Afisare"));
    m_show->setDefault(true);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_model = new QStandardItemModel(0, int(headings.size()), this);
    m_model->setHorizontalHeaderLabels(headings);
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setWordWrap(false);
    // One Tab stop: the arrows move inside the grid, Tab leaves it.
    m_grid->setTabKeyNavigation(false);
    const gridexport::Actions exports = gridexport::install(m_grid, m_context.messages, QStringLiteral("Jurnal modificari"));

    m_before = valuesBox(this, QStringLiteral("inainte"));
    m_after = valuesBox(this, QStringLiteral("dupa"));
    m_export = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("&Export CSV"));
    m_restore = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("&Readucere foaie stearsa"));
    m_restore->setToolTip(QStringLiteral("Readuce foaia de parcurs stearsa, cu cursele ei, din randul ales al jurnalului"));
    m_exit = widgets::button(this, QStringLiteral("Command4"), QStringLiteral("Iesire"));

    auto *filters = new QHBoxLayout;
    filters->addWidget(widgets::labelFor(this, QStringLiteral("Nr. &auto"), m_vehicle));
    filters->addWidget(m_vehicle);
    filters->addWidget(widgets::labelFor(this, QStringLiteral("Nr. &foaie"), m_sheet));
    filters->addWidget(m_sheet);
    filters->addWidget(widgets::labelFor(this, QStringLiteral("&De la"), m_from));
    filters->addWidget(m_from);
    filters->addWidget(widgets::labelFor(this, QStringLiteral("&Pana la"), m_to));
    filters->addWidget(m_to);
    filters->addWidget(widgets::labelFor(this, QStringLiteral("&Utilizator"), m_user));
    filters->addWidget(m_user);
    filters->addWidget(m_show);
    filters->addStretch(1);

    auto *values = new QGridLayout;
    values->addWidget(widgets::labelFor(this, QStringLiteral("Valori inainte"), m_before), 0, 0);
    values->addWidget(widgets::labelFor(this, QStringLiteral("Valori dupa"), m_after), 0, 1);
    values->addWidget(m_before, 1, 0);
    values->addWidget(m_after, 1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_export);
    buttons->addWidget(m_restore);
    buttons->addStretch(1);
    buttons->addWidget(m_exit);

    auto *main = new QVBoxLayout(this);
    main->addLayout(filters);
    main->addWidget(m_grid, 1);
    main->addLayout(values);
    main->addLayout(buttons);

    connect(m_show, &QPushButton::clicked, this, &JournalWindow::refresh);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &JournalWindow::showSelected);
    connect(m_export, &QPushButton::clicked, exports.csv, &QAction::trigger);
    connect(m_restore, &QPushButton::clicked, this, &JournalWindow::restoreSheet);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);

    QWidget::setTabOrder(m_vehicle, m_sheet);
    QWidget::setTabOrder(m_sheet, m_from);
    QWidget::setTabOrder(m_from, m_to);
    QWidget::setTabOrder(m_to, m_user);
    QWidget::setTabOrder(m_user, m_show);
    QWidget::setTabOrder(m_show, m_grid);
    QWidget::setTabOrder(m_grid, m_export);
    QWidget::setTabOrder(m_export, m_restore);
    QWidget::setTabOrder(m_restore, m_exit);

    resize(1000, 680);
    fillLists();
    refresh();
}

void JournalWindow::fillLists()
{
    guarded(m_context.messages, this, [this] {
        const QString vehicle = m_vehicle->currentText();
        const QString user = m_user->currentText();
        lists::refill(m_vehicle, QStringList{QString()} + m_store.vehicles());
        lists::refill(m_user, QStringList{QString()} + m_store.users());
        m_vehicle->setCurrentIndex(std::max(0, m_vehicle->findText(vehicle)));
        m_user->setCurrentIndex(std::max(0, m_user->findText(user)));
    });
}

bool JournalWindow::checkDate(QLineEdit *box)
{
    if (dateOf(box).isValid())
        return true;
    m_context.messages->inform(this, QStringLiteral(" Introduceti data sub forma zz.ll.aaaa !!! "));
    return false;
}

void JournalWindow::refresh()
{
    for (QLineEdit *box : {m_from, m_to})
        if (!checkDate(box)) {
            fields::refuse(m_context.messages, box, QString());
            return;
        }
    if (dateOf(m_from) > dateOf(m_to)) {
        fields::refuse(m_context.messages, m_from,
                       QStringLiteral(" Data \"De la\" este dupa data \"Pana la\" !!! "));
        return;
    }
    JournalFilter filter;
    filter.nrauto = m_vehicle->currentText();
    filter.nrf = m_sheet->text().toInt();
    filter.from = dateOf(m_from);
    filter.to = dateOf(m_to);
    filter.cine = m_user->currentText();
    guarded(m_context.messages, this, [&] { m_entries = m_store.entries(filter); });
    m_model->removeRows(0, m_model->rowCount());
    for (const JournalEntry &e : std::as_const(m_entries)) {
        m_model->appendRow({cell(momentText(e.cand)), cell(e.cine), cell(e.fereastra), cell(e.tabela), number(e.cheie),
                            cell(e.nrauto), number(e.nrf), number(e.nrc), cell(e.actiune),
                            cell(journaltexts::valuesLine(e.inainte)), cell(journaltexts::valuesLine(e.dupa))});
    }
    m_grid->resizeColumnsToContents();
    for (int column : {9, 10})
        m_grid->setColumnWidth(column, std::min(m_grid->columnWidth(column), 260));
    if (!m_entries.isEmpty())
        m_grid->selectRow(0);
    showSelected();
}

void JournalWindow::showSelected()
{
    const int row = m_grid->currentIndex().row();
    const bool chosen = row >= 0 && row < m_entries.size();
    m_before->setPlainText(chosen ? journaltexts::valuesText(m_entries.at(row).inainte) : QString());
    m_after->setPlainText(chosen ? journaltexts::valuesText(m_entries.at(row).dupa) : QString());
}

void JournalWindow::restoreSheet()
{
    const int row = m_grid->currentIndex().row();
    if (row < 0 || row >= m_entries.size()) {
        m_context.messages->inform(this, journaltexts::restoreRefusal(JournalStore::Restore::NotADeletedSheet, 0, {}));
        return;
    }
    const JournalEntry entry = m_entries.at(row);
    const int nrf = entry.nrf.toInt();
    if (entry.tabela != QLatin1String("foaie") || entry.actiune != Change::deleted()) {
        m_context.messages->inform(this, journaltexts::restoreRefusal(JournalStore::Restore::NotADeletedSheet, nrf,
                                                                      entry.nrauto));
        m_grid->setFocus();
        return;
    }
    if (!m_context.messages->confirm(this, journaltexts::restoreQuestion(nrf, entry.nrauto)))
        return;
    JournalStore::Restore result = JournalStore::Restore::NotADeletedSheet;
    QStringList recomputed;
    if (!guarded(m_context.messages, this,
                 [&] { result = m_store.restoreSheet(entry.idj, objectName(), recloseAfterRestore, &recomputed); }))
        return;
    if (result != JournalStore::Restore::Restored) {
        m_context.messages->inform(this, journaltexts::restoreRefusal(result, nrf, entry.nrauto));
        return;
    }
    m_context.messages->inform(this, journaltexts::restored(recomputed));
    fillLists();
    refresh();
}

} // namespace vok
