#include "fleet/documentwindow.h"

#include "base/numbers.h"
#include "base/texts.h"
#include "fleet/vehiclestore.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

QLineEdit *textBox(QWidget *parent, const QString &name, int width, int maxLength = 0)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMinimumWidth(width);
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    return box;
}

QStandardItem *cell(const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

// A box of kilometres that may stay empty.
std::optional<QString> optionalKm(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QString();
    return fields::numericText(text.trimmed(), QStringLiteral("#0"), std::nullopt);
}

} // namespace

QString odometerCaption(const due::Odometer &odometer)
{
    switch (odometer.source) {
    case due::OdometerSource::Sheet:
        return QStringLiteral("Km la bord: %1 (ultima foaie de parcurs cu km la sosire, din %2)")
            .arg(formatNumber(odometer.km, QStringLiteral("#0")), odometer.from);
    case due::OdometerSource::ClosedMonth:
        return QStringLiteral("Km la bord: %1 (km totali ai ultimei luni inchise, %2; nicio foaie cu km la sosire)")
            .arg(formatNumber(odometer.km, QStringLiteral("#0")), odometer.from);
    case due::OdometerSource::None:
        break;
    }
    return QStringLiteral("Km la bord: necunoscuti (nicio foaie cu km la sosire si nicio luna inchisa)");
}

DocumentWindow::DocumentWindow(const WindowContext &context, int ida, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_ida(ida)
{
    setObjectName(QStringLiteral("documente"));
    setWindowTitle(QStringLiteral("Documente auto"));

    m_vehicle = new QLabel(this);
    m_vehicle->setObjectName(QStringLiteral("tip"));
    widgets::setBold(m_vehicle);

    m_model = new QStandardItemModel(0, 5, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Tip"), QStringLiteral("Numar"), QStringLiteral("Valabil de la"),
                                        QStringLiteral("Valabil pana la"), QStringLiteral("Observatii")});
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setTabKeyNavigation(false);
    m_grid->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
    m_grid->setColumnWidth(0, 100);
    m_grid->setColumnWidth(1, 180);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_grid->installEventFilter(this);

    m_tip = new QComboBox(this);
    m_tip->setObjectName(QStringLiteral("tipdoc"));
    m_tip->addItems(due::documentKinds());
    m_numar = textBox(this, QStringLiteral("numar"), 160);
    m_dela = textBox(this, QStringLiteral("dela"), 90);
    m_panala = textBox(this, QStringLiteral("panala"), 90);
    for (QLineEdit *date : {m_dela, m_panala})
        date->setPlaceholderText(QStringLiteral("zz.ll.aaaa"));
    m_obs = textBox(this, QStringLiteral("obs"), 200);
    m_mode = new QLabel(this);
    m_mode->setObjectName(QStringLiteral("mod"));

    m_kmrevizie = textBox(this, QStringLiteral("kmrevizie"), 90);
    m_kmrevizie->setAlignment(Qt::AlignRight);
    m_kmultrev = textBox(this, QStringLiteral("kmultrev"), 90);
    m_kmultrev->setAlignment(Qt::AlignRight);
    m_kmbord = new QLabel(this);
    m_kmbord->setObjectName(QStringLiteral("kmbord"));
    m_kmbord->setWordWrap(true);

    m_save = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Salvare"));

    keys::setSaveButton(m_save);
    m_new = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Nou"));
    m_delete = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Stergere"));
    m_saveService = widgets::button(this, QStringLiteral("Command4"), QStringLiteral("Salvare revizie"));
    m_exit = widgets::button(this, QStringLiteral("Command5"), QStringLiteral("Iesire"));

    buildLayout();
    connectEvents();

    guarded(m_context.messages, this, [&] {
        if (const std::optional<Vehicle> v = VehicleStore(m_context.db).byId(m_ida))
            m_vehicle->setText(QStringLiteral("Numar inmatriculare: %1     %2").arg(v->nrauto, lists::makeCaption(v->marca)));
        DocumentStore store(m_context.db);
        m_service = store.service(m_ida).value_or(ServiceInterval());
        m_kmrevizie->setText(formatNumber(m_service.kmrevizie, QStringLiteral("#0")));
        m_kmultrev->setText(m_service.kmultrev ? formatNumber(*m_service.kmultrev, QStringLiteral("#0")) : QString());
        QString caption = odometerCaption(store.odometer(m_ida));
        if (const std::optional<double> at = due::serviceDueAt({m_ida, {}, true, m_service.kmrevizie, m_service.kmultrev, {}}))
            caption += QStringLiteral("; urmatoarea revizie la %1 km").arg(formatNumber(*at, QStringLiteral("#0")));
        m_kmbord->setText(caption);
    });
    refresh();
    clear();
    resize(900, 620);
    m_tip->setFocus(Qt::OtherFocusReason);
}

DocumentWindow::~DocumentWindow() { fields::setClosing(this); }

void DocumentWindow::buildLayout()
{
    auto *caption = new QLabel(QStringLiteral("Documentele autovehiculului, cele mai noi primele "
                                              "(Enter pe un rand il aduce pentru modificare, Delete il sterge)"), this);
    caption->setWordWrap(true);
    caption->setBuddy(m_grid);

    auto *entry = new QGridLayout;
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Tip document"), m_tip), 0, 0);
    entry->addWidget(m_tip, 1, 0);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Numar / serie"), m_numar), 0, 1);
    entry->addWidget(m_numar, 1, 1);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Valabil de la"), m_dela), 0, 2);
    entry->addWidget(m_dela, 1, 2);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("pana la"), m_panala), 0, 3);
    entry->addWidget(m_panala, 1, 3);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Observatii"), m_obs), 0, 4);
    entry->addWidget(m_obs, 1, 4);
    entry->setColumnStretch(4, 1);

    auto *documentButtons = new QHBoxLayout;
    documentButtons->addWidget(m_save);
    documentButtons->addWidget(m_new);
    documentButtons->addWidget(m_delete);
    documentButtons->addSpacing(12);
    documentButtons->addWidget(m_mode, 1);

    auto *service = new QGroupBox(QStringLiteral("Revizie tehnica"), this);
    auto *serviceLayout = new QGridLayout(service);
    serviceLayout->addWidget(widgets::labelFor(service, QStringLiteral("Revizie la fiecare (km, 0 = fara)"), m_kmrevizie), 0, 0);
    serviceLayout->addWidget(m_kmrevizie, 0, 1);
    serviceLayout->addWidget(widgets::labelFor(service, QStringLiteral("Km la ultima revizie"), m_kmultrev), 0, 2);
    serviceLayout->addWidget(m_kmultrev, 0, 3);
    serviceLayout->addWidget(m_saveService, 0, 4);
    serviceLayout->addWidget(m_kmbord, 1, 0, 1, 5);
    serviceLayout->setColumnStretch(4, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_exit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_vehicle);
    layout->addWidget(caption);
    layout->addWidget(m_grid, 1);
    layout->addLayout(entry);
    layout->addLayout(documentButtons);
    layout->addSpacing(6);
    layout->addWidget(service);
    layout->addLayout(bottom);

    QWidget *order[] = {m_tip,       m_numar,     m_dela,        m_panala, m_obs,  m_save, m_new, m_delete,
                        m_kmrevizie, m_kmultrev,  m_saveService, m_grid,   m_exit};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void DocumentWindow::connectEvents()
{
    const std::pair<QLineEdit *, int> texts[] = {{m_numar, document::NumberLength}, {m_obs, document::NoteLength}};
    for (const auto &[box, length] : texts) {
        fields::selectAllOnEntry(box);
        fields::onLeave(box, [this, box = box, length = length] {
            const QString problem = driver::textProblem(box->text(), length);
            if (problem.isEmpty())
                return true;
            m_context.messages->inform(this, problem);
            return false;
        });
    }
    for (QLineEdit *date : {m_dela, m_panala}) {
        fields::selectAllOnEntry(date);
        fields::onLeave(date, [this, date] {
            if (const QString problem = driver::dateProblem(date->text()); !problem.isEmpty()) {
                m_context.messages->inform(this, problem);
                return false;
            }
            const QString shown = driver::normalisedDate(date->text());
            if (shown != date->text())
                date->setText(shown);
            return true;
        });
    }
    fields::kilometreBox(m_kmrevizie, m_context.messages, QStringLiteral("#0"), QStringLiteral("0"));
    fields::selectAllOnEntry(m_kmultrev);
    fields::onLeave(m_kmultrev, [this] {
        const std::optional<QString> shown = optionalKm(m_kmultrev->text());
        if (!shown) {
            m_context.messages->inform(this, texts::onlyNumbers());
            return false;
        }
        if (readNumber(*shown) < 0) {
            m_context.messages->inform(this, negativeKmMessage());
            return false;
        }
        if (*shown != m_kmultrev->text())
            m_kmultrev->setText(*shown);
        return true;
    });

    keys::onEnterKey(m_grid, [this](const QModelIndex &index) { loadDocument(index.row()); });
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &index) { loadDocument(index.row()); });
    connect(m_save, &QPushButton::clicked, this, &DocumentWindow::save);
    connect(m_new, &QPushButton::clicked, this, [this] {
        clear();
        m_tip->setFocus(Qt::OtherFocusReason);
    });
    connect(m_delete, &QPushButton::clicked, this, &DocumentWindow::remove);
    connect(m_saveService, &QPushButton::clicked, this, &DocumentWindow::saveService);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
}

void DocumentWindow::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

void DocumentWindow::refresh()
{
    guarded(m_context.messages, this, [&] {
        m_documents = DocumentStore(m_context.db).forVehicle(m_ida);
        m_model->removeRows(0, m_model->rowCount());
        for (const VehicleDocument &d : m_documents)
            m_model->appendRow({cell(d.tip), cell(d.numar), cell(d.dela), cell(d.panala), cell(d.obs)});
    });
}

void DocumentWindow::loadDocument(int row)
{
    if (row < 0 || row >= m_documents.size())
        return;
    m_loaded = m_documents.at(row);
    m_tip->setCurrentIndex(m_tip->findText(m_loaded->tip));
    m_numar->setText(m_loaded->numar);
    m_dela->setText(m_loaded->dela);
    m_panala->setText(m_loaded->panala);
    m_obs->setText(m_loaded->obs);
    m_mode->setText(QStringLiteral("Se modifica documentul %1 %2 (\"Nou\" pentru un document nou)")
                        .arg(m_loaded->tip, m_loaded->numar));
    m_tip->setFocus(Qt::OtherFocusReason);
}

void DocumentWindow::clear()
{
    m_loaded.reset();
    for (QLineEdit *box : {m_numar, m_dela, m_panala, m_obs})
        box->clear();
    m_mode->setText(QStringLiteral("Document nou"));
}

QWidget *DocumentWindow::box(document::EntryProblem::Field field) const
{
    using Field = document::EntryProblem::Field;
    switch (field) {
    case Field::Kind: return m_tip;
    case Field::Number: return m_numar;
    case Field::From: return m_dela;
    case Field::To: return m_panala;
    case Field::Note: return m_obs;
    }
    return m_tip;
}

void DocumentWindow::save()
{
    const document::DocumentTexts typed{m_tip->currentText(), m_numar->text().trimmed(), m_dela->text(),
                                        m_panala->text(), m_obs->text().trimmed()};
    if (const std::optional<document::EntryProblem> problem = document::checkSave(typed))
        return fields::refuse(m_context.messages, box(problem->field), problem->message);
    if (!m_context.messages->confirm(this, texts::saveQuestion()))
        return;
    VehicleDocument d = m_loaded.value_or(VehicleDocument());
    d.ida = m_ida;
    d.tip = typed.tip;
    d.numar = typed.numar;
    d.dela = driver::normalisedDate(typed.dela);
    d.panala = driver::normalisedDate(typed.panala);
    d.obs = typed.obs;
    if (!guardedSave(
            m_context.messages, this, [&] { DocumentStore(m_context.db).save(d, objectName()); },
            [this] {
                clear();
                refresh();
            }))
        return;
    m_context.messages->inform(this, texts::saved());
    refresh();
    clear();
    m_tip->setFocus(Qt::OtherFocusReason);
}

void DocumentWindow::remove()
{
    // The document loaded for a change, else the grid's current row.
    std::optional<VehicleDocument> d = m_loaded;
    const int row = m_grid->currentIndex().row();
    if (!d && row >= 0 && row < m_documents.size())
        d = m_documents.at(row);
    if (!d)
        return fields::refuse(m_context.messages, m_grid, QStringLiteral(" Selectati documentul din tabel !!! "));
    if (!m_context.messages->confirmDestructive(this, document::deleteQuestion(d->tip, d->numar),
                                                texts::deleteRowTitle(), MessageService::Icon::Information))
        return;
    if (!guardedSave(
            m_context.messages, this, [&] { DocumentStore(m_context.db).remove(*d, objectName()); },
            [this] {
                clear();
                refresh();
            }))
        return;
    m_context.messages->inform(this, texts::rowDeleted(), texts::deleteRowTitle(), MessageService::Icon::Information);
    clear();
    refresh();
    m_grid->setFocus(Qt::OtherFocusReason);
}

void DocumentWindow::saveService()
{
    const std::optional<QString> last = optionalKm(m_kmultrev->text());
    if (!last)
        return fields::refuse(m_context.messages, m_kmultrev, texts::onlyNumbers());
    ServiceInterval typed;
    typed.kmrevizie = readNumber(m_kmrevizie->text());
    if (!last->isEmpty())
        typed.kmultrev = readNumber(*last);
    if (!m_context.messages->confirm(this, texts::saveQuestion()))
        return;
    if (!guardedSave(
            m_context.messages, this,
            [&] { m_service.versiune = DocumentStore(m_context.db).saveService(m_ida, m_service, typed, objectName()); },
            [this] {
                // Another clerk's values, to be typed over again.
                guarded(m_context.messages, this, [this] {
                    m_service = DocumentStore(m_context.db).service(m_ida).value_or(ServiceInterval());
                    m_kmrevizie->setText(formatNumber(m_service.kmrevizie, QStringLiteral("#0")));
                    m_kmultrev->setText(m_service.kmultrev ? formatNumber(*m_service.kmultrev, QStringLiteral("#0"))
                                                           : QString());
                });
            }))
        return;
    m_service.kmrevizie = typed.kmrevizie;
    m_service.kmultrev = typed.kmultrev;
    m_context.messages->inform(this, texts::saved());
}

bool DocumentWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete && m_grid->currentIndex().isValid()) {
        m_loaded.reset();
        remove();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vok
