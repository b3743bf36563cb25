#include "fleet/partswindow.h"

#include "base/numbers.h"
#include "fleet/partsmodel.h"
#include "fleet/partsrules.h"
#include "fleet/partsstore.h"
#include "fleet/vehiclerules.h"
#include "ui/fields.h"
#include "ui/gridexport.h"
#include "ui/guard.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "ui/widgets.h"
#include "reports/reportservice.h"
#include "ui/keys.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace vok {

namespace {

QLineEdit *box(const QString &name, const QString &text, int maxLength, QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

} // namespace

PartsWindow::PartsWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_model(new PartsModel(context.db, this))
    , m_nra(new QComboBox(this))
    , m_tip(new QLabel(this))
    , m_grid(new QTableView(this))
    , m_nract(box(QStringLiteral("nract"), QString(), 25, this))
    , m_den(box(QStringLiteral("den"), QString(), 50, this))
    , m_valp(box(QStringLiteral("valp"), QStringLiteral("0"), 10, this))
    , m_zi(box(QStringLiteral("zi"), QStringLiteral("00"), 0, this))
    , m_luna(box(QStringLiteral("luna"), QStringLiteral("00"), 0, this))
    , m_an(box(QStringLiteral("an"), QString(), 0, this))
    , m_save(widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Salvare")))
    , m_report(widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Raport")))
    , m_exit(widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Iesire")))
{
    setObjectName(QStringLiteral("piese"));
    setWindowTitle(QStringLiteral("Piese, reparatii etc."));
    keys::setSaveButton(m_save);

    m_nra->setObjectName(QStringLiteral("nra"));
    // The clerk types the whole number (or picks it from the list): a number
    // is picked when the box is left, never at its first letter.
    m_nra->setEditable(true);
    lists::keepTypedText(m_nra);
    m_nra->setMinimumWidth(160);
    m_tip->setObjectName(QStringLiteral("tip"));

    auto *caption = new QLabel(QStringLiteral("MODIFICARI DATE (pentru anulare tastati ESC)"), this);
    widgets::setBold(caption);
    caption->setBuddy(m_grid);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    // Extended: a click on a row's marker selects the whole row.
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    m_grid->setTabKeyNavigation(false);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_grid->verticalHeader()->setFixedWidth(18); // the row marker the clerk clicks to delete
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_grid->setColumnWidth(0, 220);
    m_grid->setColumnWidth(2, 120);
    m_grid->installEventFilter(this);
    gridexport::install(m_grid, m_context.messages, [this] { return QStringLiteral("Piese reparatii ") + m_nra->currentText(); });
    auto *instruction = new QLabel(QStringLiteral(
        "Pentru stergere, CLICK intr-o casuta din tabel, selectati randul (sageata neagra de la inceputul "
        "randului) si apoi ,,DELETE''"), this);
    instruction->setWordWrap(true);

    auto *top = new QHBoxLayout;
    top->addWidget(widgets::labelFor(this, QStringLiteral("Numar inmatriculare"), m_nra));
    top->addWidget(m_nra);
    top->addSpacing(20);
    top->addWidget(m_tip, 1);

    auto *entry = new QGridLayout;
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Numar act"), m_nract), 0, 0);
    entry->addWidget(m_nract, 1, 0);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Denumire"), m_den), 0, 1);
    entry->addWidget(m_den, 1, 1);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Valoare"), m_valp), 0, 2);
    entry->addWidget(m_valp, 1, 2);
    auto *date = new QGridLayout;
    auto *dateLabel = new QLabel(QStringLiteral("data"), this);
    dateLabel->setAlignment(Qt::AlignCenter);
    date->addWidget(dateLabel, 0, 0, 1, 3);
    date->addWidget(widgets::labelFor(this, QStringLiteral("zi"), m_zi), 1, 0, Qt::AlignHCenter);
    date->addWidget(widgets::labelFor(this, QStringLiteral("luna"), m_luna), 1, 1, Qt::AlignHCenter);
    date->addWidget(widgets::labelFor(this, QStringLiteral("an"), m_an), 1, 2, Qt::AlignHCenter);
    date->addWidget(m_zi, 2, 0);
    date->addWidget(m_luna, 2, 1);
    date->addWidget(m_an, 2, 2);
    m_zi->setFixedWidth(40);
    m_luna->setFixedWidth(40);
    m_an->setFixedWidth(60);
    m_valp->setFixedWidth(110);
    m_nract->setMinimumWidth(200);
    entry->addLayout(date, 0, 3, 2, 1, Qt::AlignBottom);
    entry->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_report);
    buttons->addWidget(m_exit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(caption);
    layout->addWidget(m_grid, 1);
    layout->addWidget(instruction);
    layout->addSpacing(8);
    layout->addLayout(entry);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    setTabOrder(m_nra, m_grid);
    setTabOrder(m_grid, m_nract);
    setTabOrder(m_nract, m_den);
    setTabOrder(m_den, m_valp);
    setTabOrder(m_valp, m_zi);
    setTabOrder(m_zi, m_luna);
    setTabOrder(m_luna, m_an);
    setTabOrder(m_an, m_save);
    setTabOrder(m_save, m_report);
    setTabOrder(m_report, m_exit);

    lists::refillVehiclesOnFocus(m_nra, m_context.db, m_context.messages);
    fields::selectAllOnEntry(m_nra);
    // A number chosen from the open list is the whole number: its log
    // takes the focus. Stepping through the list with the arrow keys picks
    // each number and leaves the focus in the box.
    m_nraList = m_nra->view()->window();
    m_nraList->installEventFilter(this);
    connect(m_nra, &QComboBox::activated, this, [this](int index) {
        const bool fromList = m_listJustClosed;
        m_listJustClosed = false;
        if (index < 0)
            return;
        pickVehicle(m_nra->itemText(index));
        if (fromList && hasVehicle())
            m_grid->setFocus(Qt::OtherFocusReason);
    });
    fields::onLeave(m_nra, [this] { return leaveNumber(); });

    for (QLineEdit *text : {m_nract, m_den}) {
        fields::selectAllOnEntry(text);
        fields::onLeave(text, [this, text] {
            const QString problem = parts::apostropheProblem(text->text());
            if (problem.isEmpty())
                return true;
            m_context.messages->inform(this, problem);
            return false;
        });
    }
    fields::numericBox(m_valp, m_context.messages, QString());
    for (QLineEdit *text : {m_zi, m_luna, m_an}) {
        fields::selectAllOnEntry(text);
        fields::onLeave(text, [this, text] {
            const QString shown = text == m_an ? parts::yearText(text->text()) : parts::dayMonthText(text->text());
            if (shown != text->text())
                text->setText(shown);
            return true;
        });
    }

    connect(m_model, &PartsModel::refused, this, &PartsWindow::showMessages, Qt::QueuedConnection);
    connect(m_model, &PartsModel::failed, this,
            [this](const QString &message) { m_context.messages->error(this, message); }, Qt::QueuedConnection);
    connect(m_model, &PartsModel::stale, this, [this](const QString &message) {
        m_context.messages->inform(this, message);
        guarded(m_context.messages, this, [this] { m_model->load(m_indauto); });
        activateWindow();
        m_nra->setFocus(Qt::OtherFocusReason);
    }, Qt::QueuedConnection);
    connect(m_save, &QPushButton::clicked, this, &PartsWindow::save);
    connect(m_report, &QPushButton::clicked, this, &PartsWindow::report);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);

    resize(900, 600);
}

PartsWindow::~PartsWindow()
{
    // The number box losing the focus while the window is taken down would
    // still pick a vehicle into the half-destroyed window.
    m_nra->disconnect(this);
    m_nra->lineEdit()->disconnect(this);
    m_nraList->removeEventFilter(this);
}

void PartsWindow::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

void PartsWindow::pickVehicle(const QString &number)
{
    guarded(m_context.messages, this, [&] {
        const std::optional<PartsVehicle> vehicle = PartsStore(m_context.db).vehicleByNumber(number);
        if (!vehicle)
            return;
        m_tip->setText(lists::makeCaption(vehicle->marca));
        m_indauto = vehicle->ida;
        m_picked = vehicle->nrauto;
        m_model->load(m_indauto);
    });
}

bool PartsWindow::hasVehicle() const { return m_indauto > 0 && m_nra->currentText() == m_picked; }

bool PartsWindow::leaveNumber()
{
    const QString typed = m_nra->currentText().trimmed();
    if (typed == m_picked)
        return true;
    if (typed.isEmpty()) {
        // No vehicle: no log on screen to be edited by mistake.
        m_indauto = 0;
        m_picked.clear();
        m_tip->clear();
        guarded(m_context.messages, this, [this] { m_model->load(0); });
        return true;
    }
    // Only a vehicle of the list (offered, apar = 1) is picked.
    const int listed = m_nra->findText(typed, Qt::MatchFixedString);
    if (listed < 0) {
        m_context.messages->inform(this, vehicle::notRegisteredMessage());
        return false;
    }
    m_nra->setEditText(m_nra->itemText(listed));
    pickVehicle(m_nra->itemText(listed));
    return true;
}

void PartsWindow::save()
{
    // The boxes as leaving them shows them, whether or not the clerk left them.
    m_zi->setText(parts::dayMonthText(m_zi->text()));
    m_luna->setText(parts::dayMonthText(m_luna->text()));
    m_an->setText(parts::yearText(m_an->text()));

    const bool picked = hasVehicle();
    const std::optional<parts::EntryProblem> problem =
        parts::checkEntry(picked, m_zi->text(), m_luna->text(), m_an->text(), m_valp->text());
    if (problem) {
        m_context.messages->inform(this, problem->message);
        QWidget *target = nullptr;
        switch (problem->field) {
        case parts::EntryProblem::Field::Vehicle: target = m_nra; break;
        case parts::EntryProblem::Field::Day: target = m_zi; break;
        case parts::EntryProblem::Field::Month: target = m_luna; break;
        case parts::EntryProblem::Field::Year: target = m_an; break;
        case parts::EntryProblem::Field::Value: target = m_valp; break;
        }
        activateWindow();
        target->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(target))
            edit->selectAll();
        return;
    }

    PartEntry entry;
    entry.ida = m_indauto;
    entry.act = m_nract->text();
    entry.denp = m_den->text();
    entry.valoare = readNumber(m_valp->text());
    entry.zi = m_zi->text();
    entry.luna = m_luna->text();
    entry.an = m_an->text();
    guarded(m_context.messages, this, [&] {
        PartsStore(m_context.db).add(entry, objectName());
        m_context.messages->inform(this, parts::savedMessage());
        m_model->load(m_indauto);
    });
}

void PartsWindow::report()
{
    if (!hasVehicle()) {
        m_context.messages->inform(this, parts::pickVehicleMessage());
        activateWindow();
        m_nra->setFocus(Qt::OtherFocusReason);
        return;
    }
    ReportRequest request;
    request.reportFile = QStringLiteral("rappiese.rpt");
    request.dataFile = m_context.dataFile;
    request.selection = QStringLiteral("{piese.ida}=") + QString::number(m_indauto);
    m_context.reports->show(this, request);
}

bool PartsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_nraList && event->type() == QEvent::Hide) {
        // The choice from the list, if any, is signalled right after.
        m_listJustClosed = true;
        QTimer::singleShot(0, this, [this] { m_listJustClosed = false; });
    }
    if (watched == m_grid && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete
        && !m_grid->selectionModel()->selectedRows().isEmpty()) {
        deleteCurrentRow();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PartsWindow::deleteCurrentRow()
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    // The current row when it is selected, else the first selected one.
    int row = rows.first().row();
    for (const QModelIndex &index : rows)
        if (index.row() == m_grid->currentIndex().row())
            row = index.row();
    if (!m_context.messages->confirmDestructive(this, parts::deleteQuestion(), parts::deleteTitle(),
                                                MessageService::Icon::Information))
        return;
    if (guardedSave(m_context.messages, this, [&] { m_model->removeEntry(row); },
                    [this] { guarded(m_context.messages, this, [this] { m_model->load(m_indauto); }); }))
        m_context.messages->inform(this, parts::deletedMessage(), parts::deleteTitle(),
                                   MessageService::Icon::Information);
}

void PartsWindow::showMessages(const QStringList &messages)
{
    for (const QString &message : messages)
        m_context.messages->inform(this, message);
}

} // namespace vok
