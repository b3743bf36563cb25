#include "cards/cardswindow.h"

#include "cards/cardformatdialog.h"
#include "db/journal.h"
#include "fleet/vehiclestore.h"
#include "ui/guard.h"
#include "ui/widgets.h"
#include "ui/keys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

const QString windowName = QStringLiteral("carduri");

QTableView *grid(QWidget *parent, const QString &name, QStandardItemModel *model)
{
    auto *view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(parent->fontMetrics().height() + 8);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

QStandardItem *cell(const QVariant &value)
{
    auto *item = new QStandardItem;
    item->setData(value, Qt::DisplayRole);
    item->setEditable(false);
    return item;
}

} // namespace

CardsWindow::CardsWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(windowName);
    setWindowTitle(QStringLiteral("Carduri combustibil"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pagini"));

    // The register.
    auto *cardsPage = new QWidget(m_tabs);
    m_cardModel = new QStandardItemModel(0, 5, this);
    m_cardModel->setHorizontalHeaderLabels({QStringLiteral("Nr. card"), QStringLiteral("Nr. inmatriculare"),
                                            QStringLiteral("Furnizor"), QStringLiteral("In uz de la"), QStringLiteral("Activ")});
    m_cardGrid = grid(cardsPage, QStringLiteral("gridcarduri"), m_cardModel);
    m_nrcard = new QLineEdit(cardsPage);
    m_nrcard->setObjectName(QStringLiteral("nrcard"));
    m_nrcard->setMaxLength(40);
    m_nra = new QComboBox(cardsPage);
    m_nra->setObjectName(QStringLiteral("nra"));
    m_nra->setMinimumWidth(140);
    guarded(m_context.messages, this, [this] {
        for (const QString &nrauto : VehicleStore(m_context.db).visibleNumbers())
            m_nra->addItem(nrauto);
    });
    m_supplier = new QLineEdit(cardsPage);
    m_supplier->setObjectName(QStringLiteral("furnizor"));
    m_from = new QLineEdit(cardsPage);
    m_from->setObjectName(QStringLiteral("dela"));
    m_from->setInputMask(QStringLiteral("00.00.0000;_"));
    m_active = new QCheckBox(QStringLiteral("&Activ"), cardsPage);
    m_active->setObjectName(QStringLiteral("activ"));
    m_active->setChecked(true);
    QPushButton *newButton = widgets::button(cardsPage, QStringLiteral("cardnou"), QStringLiteral("&Nou"));
    QPushButton *saveButton = widgets::button(cardsPage, QStringLiteral("cardsalv"), QStringLiteral("&Salvare"));
    keys::setSaveButton(saveButton);
    QPushButton *deleteButton = widgets::button(cardsPage, QStringLiteral("cardsterg"), QStringLiteral("S&tergere"));
    auto *fields = new QGridLayout;
    fields->addWidget(widgets::labelFor(cardsPage, QStringLiteral("Nr. &card"), m_nrcard), 0, 0);
    fields->addWidget(m_nrcard, 0, 1);
    fields->addWidget(widgets::labelFor(cardsPage, QStringLiteral("Nr. &inmatriculare"), m_nra), 0, 2);
    fields->addWidget(m_nra, 0, 3);
    fields->addWidget(widgets::labelFor(cardsPage, QStringLiteral("&Furnizor"), m_supplier), 1, 0);
    fields->addWidget(m_supplier, 1, 1);
    fields->addWidget(widgets::labelFor(cardsPage, QStringLiteral("In uz de &la"), m_from), 1, 2);
    fields->addWidget(m_from, 1, 3);
    fields->addWidget(m_active, 1, 4);
    auto *cardButtons = new QHBoxLayout;
    cardButtons->addWidget(newButton);
    cardButtons->addWidget(saveButton);
    cardButtons->addWidget(deleteButton);
    cardButtons->addStretch(1);
    auto *cardsLayout = new QVBoxLayout(cardsPage);
    cardsLayout->addWidget(m_cardGrid, 1);
    cardsLayout->addLayout(fields);
    cardsLayout->addLayout(cardButtons);
    m_tabs->addTab(cardsPage, QStringLiteral("Carduri"));

    // The imports.
    auto *importsPage = new QWidget(m_tabs);
    m_importModel = new QStandardItemModel(0, 6, this);
    m_importModel->setHorizontalHeaderLabels({QStringLiteral("Cand"), QStringLiteral("Fel"), QStringLiteral("Fisier"),
                                              QStringLiteral("Furnizor"), QStringLiteral("Format / factura"),
                                              QStringLiteral("Randuri")});
    m_importGrid = grid(importsPage, QStringLiteral("gridimporturi"), m_importModel);
    m_importFormat = new QComboBox(importsPage);
    m_importFormat->setObjectName(QStringLiteral("formatimport"));
    m_importFormat->setMinimumWidth(140);
    m_importSupplier = new QLineEdit(importsPage);
    m_importSupplier->setObjectName(QStringLiteral("furnizorimport"));
    m_importSupplier->setPlaceholderText(QStringLiteral("(al formatului)"));
    QPushButton *importCsv = widgets::button(importsPage, QStringLiteral("importextras"), QStringLiteral("Import &extras..."));
    QPushButton *importXml = widgets::button(importsPage, QStringLiteral("importfactura"), QStringLiteral("Import e-&Factura..."));
    auto *importRow = new QHBoxLayout;
    importRow->addWidget(widgets::labelFor(importsPage, QStringLiteral("F&ormat"), m_importFormat));
    importRow->addWidget(m_importFormat);
    importRow->addWidget(widgets::labelFor(importsPage, QStringLiteral("Fu&rnizor"), m_importSupplier));
    importRow->addWidget(m_importSupplier, 1);
    importRow->addWidget(importCsv);
    importRow->addWidget(importXml);
    auto *importsLayout = new QVBoxLayout(importsPage);
    importsLayout->addWidget(m_importGrid, 1);
    importsLayout->addWidget(new QLabel(QStringLiteral("Un fisier se importa o singura data. Un rand refuzat opreste "
                                                       "importul, daca nu alegeti sa importati restul."),
                                        importsPage));
    importsLayout->addLayout(importRow);
    m_tabs->addTab(importsPage, QStringLiteral("Importuri"));

    // The mappings.
    auto *formatsPage = new QWidget(m_tabs);
    m_formatModel = new QStandardItemModel(0, 6, this);
    m_formatModel->setHorizontalHeaderLabels({QStringLiteral("Nume"), QStringLiteral("Furnizor"), QStringLiteral("Codificare"),
                                              QStringLiteral("Separator"), QStringLiteral("Zecimal"), QStringLiteral("Data")});
    m_formatGrid = grid(formatsPage, QStringLiteral("gridformate"), m_formatModel);
    QPushButton *formatNew = widgets::button(formatsPage, QStringLiteral("formatnou"), QStringLiteral("Format &nou din fisier..."));
    QPushButton *formatChange = widgets::button(formatsPage, QStringLiteral("formatmodif"), QStringLiteral("&Modificare..."));
    QPushButton *formatDelete = widgets::button(formatsPage, QStringLiteral("formatsterg"), QStringLiteral("S&tergere"));
    auto *formatButtons = new QHBoxLayout;
    formatButtons->addWidget(formatNew);
    formatButtons->addWidget(formatChange);
    formatButtons->addWidget(formatDelete);
    formatButtons->addStretch(1);
    auto *formatsLayout = new QVBoxLayout(formatsPage);
    formatsLayout->addWidget(m_formatGrid, 1);
    formatsLayout->addLayout(formatButtons);
    m_tabs->addTab(formatsPage, QStringLiteral("Formate extras"));

    QPushButton *exitButton = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Iesire"));
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(exitButton);
    auto *main = new QVBoxLayout(this);
    main->addWidget(m_tabs, 1);
    main->addLayout(bottom);

    connect(m_cardGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &index) { showCard(index.row()); });
    connect(newButton, &QPushButton::clicked, this, &CardsWindow::newCard);
    connect(saveButton, &QPushButton::clicked, this, &CardsWindow::saveCard);
    connect(deleteButton, &QPushButton::clicked, this, &CardsWindow::deleteCard);
    connect(importCsv, &QPushButton::clicked, this, &CardsWindow::importStatement);
    connect(importXml, &QPushButton::clicked, this, &CardsWindow::importInvoice);
    connect(formatNew, &QPushButton::clicked, this, &CardsWindow::newFormat);
    connect(formatChange, &QPushButton::clicked, this, &CardsWindow::changeFormat);
    connect(m_formatGrid, &QTableView::doubleClicked, this, &CardsWindow::changeFormat);
    connect(formatDelete, &QPushButton::clicked, this, &CardsWindow::deleteFormat);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::accept);

    refreshCards();
    refreshImports();
    refreshFormats();
    newCard();
    resize(900, 560);
}

void CardsWindow::refreshCards()
{
    guarded(m_context.messages, this, [this] { m_cards = cards::CardStore(m_context.db).cards(); });
    m_cardModel->removeRows(0, m_cardModel->rowCount());
    for (const cards::CardRecord &c : std::as_const(m_cards))
        m_cardModel->appendRow({cell(c.nrcard), cell(c.nrauto), cell(c.furnizor), cell(c.dela),
                                cell(c.activ ? QStringLiteral("da") : QStringLiteral("nu"))});
    m_cardGrid->resizeColumnsToContents();
}

void CardsWindow::refreshImports()
{
    QList<cards::ImportRecord> imports;
    guarded(m_context.messages, this, [&] { imports = cards::CardStore(m_context.db).imports(); });
    m_importModel->removeRows(0, m_importModel->rowCount());
    for (const cards::ImportRecord &r : std::as_const(imports))
        m_importModel->appendRow({cell(r.cand), cell(r.kind == QLatin1String("factura") ? QStringLiteral("e-Factura")
                                                                                       : QStringLiteral("extras")),
                                  cell(r.fisier), cell(r.furnizor), cell(r.format), cell(r.numar)});
    m_importGrid->resizeColumnsToContents();
}

void CardsWindow::refreshFormats()
{
    guarded(m_context.messages, this, [this] { m_formats = cards::CardStore(m_context.db).formats(); });
    m_formatModel->removeRows(0, m_formatModel->rowCount());
    const QString chosen = m_importFormat->currentText();
    m_importFormat->clear();
    for (const cards::CardFormat &f : std::as_const(m_formats)) {
        m_formatModel->appendRow({cell(f.name), cell(f.supplier), cell(f.encoding),
                                  cell(f.delimiter == u'\t' ? QStringLiteral("TAB") : QString(f.delimiter)),
                                  cell(QString(f.decimal)), cell(f.dateFormat)});
        m_importFormat->addItem(f.name);
    }
    m_importFormat->setCurrentIndex(std::max(0, int(m_importFormat->findText(chosen.isEmpty() ? QStringLiteral("vok") : chosen))));
    m_formatGrid->resizeColumnsToContents();
}

void CardsWindow::showCard(int row)
{
    if (row < 0 || row >= m_cards.size())
        return;
    m_card = m_cards.at(row);
    m_nrcard->setText(m_card.nrcard);
    m_nra->setCurrentIndex(m_nra->findText(m_card.nrauto));
    m_supplier->setText(m_card.furnizor);
    m_from->setText(m_card.dela);
    m_active->setChecked(m_card.activ);
}

void CardsWindow::newCard()
{
    m_card = cards::CardRecord();
    m_cardGrid->clearSelection();
    m_nrcard->clear();
    m_nra->setCurrentIndex(-1);
    m_supplier->clear();
    m_from->clear();
    m_active->setChecked(true);
    m_nrcard->setFocus();
}

void CardsWindow::saveCard()
{
    cards::CardRecord card = m_card;
    card.nrcard = m_nrcard->text().trimmed();
    card.furnizor = m_supplier->text().trimmed();
    card.activ = m_active->isChecked();
    const QString from = m_from->text() == QLatin1String("..") ? QString() : m_from->text();
    auto refuse = [this](QWidget *box, const QString &text) {
        m_context.messages->inform(this, text);
        activateWindow();
        box->setFocus();
    };
    if (card.nrcard.isEmpty())
        return refuse(m_nrcard, QStringLiteral(" Scrieti numarul cardului !!! "));
    if (m_nra->currentIndex() < 0)
        return refuse(m_nra, QStringLiteral(" Alegeti autovehiculul cardului !!! "));
    if (!from.isEmpty() && !QDate::fromString(from, QStringLiteral("dd.MM.yyyy")).isValid())
        return refuse(m_from, QStringLiteral(" Data de la care cardul este in uz nu este corecta (zz.ll.aaaa) !!! "));
    card.dela = from;
    guardedSave(
        m_context.messages, this,
        [&] {
            const std::optional<Vehicle> vehicle = VehicleStore(m_context.db).byNumber(m_nra->currentText());
            if (!vehicle)
                throw DbError(QStringLiteral("Autovehiculul %1 nu mai exista").arg(m_nra->currentText()));
            card.ida = vehicle->ida;
            for (const cards::CardRecord &other : std::as_const(m_cards))
                if (other.idcard != card.idcard && cards::plainKey(other.nrcard) == cards::plainKey(card.nrcard))
                    throw DbError(QStringLiteral("Cardul %1 este deja in registru (%2)").arg(card.nrcard, other.nrauto));
            m_card = cards::CardStore(m_context.db).saveCard(m_card, card, windowName);
        },
        [this] { refreshCards(); });
    refreshCards();
    activateWindow();
}

void CardsWindow::deleteCard()
{
    if (m_card.idcard == 0)
        return;
    if (!m_context.messages->confirmDestructive(this, QStringLiteral("Stergeti cardul %1 din registru?").arg(m_card.nrcard)))
        return;
    guardedSave(
        m_context.messages, this, [&] { cards::CardStore(m_context.db).deleteCard(m_card, windowName); }, [] {});
    refreshCards();
    newCard();
    activateWindow();
}

QString CardsWindow::chooseFile(const QString &title, const QStringList &filters)
{
    FileRequest request;
    request.title = title;
    request.nameFilters = filters;
    const QString path = m_choose ? m_choose(request) : askForFile(this, request);
    activateWindow();
    return path;
}

bool CardsWindow::readFile(const QString &path, QByteArray *data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 256LL * 1024 * 1024) {
        m_context.messages->inform(this, QStringLiteral(" Fisierul %1 nu se poate citi !!! ").arg(path));
        activateWindow();
        return false;
    }
    *data = file.readAll();
    return true;
}

void CardsWindow::importStatement()
{
    const QString path = chooseFile(QStringLiteral("Extras card combustibil"),
                                    {QStringLiteral("Extrase CSV (*.csv *.txt)"), QStringLiteral("Toate fisierele (*)")});
    QByteArray data;
    if (path.isEmpty() || !readFile(path, &data))
        return;
    guarded(m_context.messages, this, [&] {
        const cards::CardStore store(m_context.db);
        const cards::CardFormat format = store.format(m_importFormat->currentText());
        if (format.id == 0)
            throw DbError(QStringLiteral("Alegeti formatul extrasului"));
        const QString digest = cards::fileDigest(data);
        if (const cards::ImportRecord r = store.importOf(digest); r.idi != 0) {
            m_context.messages->inform(this, QStringLiteral(" Fisierul a fost deja importat (%1, %2) !!! ").arg(r.fisier, r.cand));
            return;
        }
        const cards::StatementRead read = cards::readStatement(data, format);
        if (!read.fileOk()) {
            m_context.messages->inform(this, QStringLiteral(" Extrasul nu se poate citi cu formatul %1: %2 !!! ")
                                                 .arg(format.name, read.error));
            return;
        }
        if (!read.refused.isEmpty()) {
            QStringList lines;
            for (const cards::RefusedRow &row : read.refused.mid(0, 8))
                lines << QStringLiteral("linia %1: %2").arg(row.line).arg(row.reason);
            if (read.refused.size() > 8)
                lines << QStringLiteral("... inca %1").arg(read.refused.size() - 8);
            if (read.transactions.isEmpty()
                || !m_context.messages->confirm(this, QStringLiteral("%1 randuri refuzate:\n%2\n\nImportati celelalte %3 tranzactii?")
                                                          .arg(read.refused.size())
                                                          .arg(lines.join(u'\n'))
                                                          .arg(read.transactions.size()))) {
                if (read.transactions.isEmpty())
                    m_context.messages->inform(this, lines.join(u'\n'));
                return;
            }
        }
        if (read.transactions.isEmpty()) {
            m_context.messages->inform(this, QStringLiteral(" Extrasul nu are nicio tranzactie !!! "));
            return;
        }
        const QString supplier = m_importSupplier->text().trimmed().isEmpty() ? format.supplier : m_importSupplier->text().trimmed();
        store.importStatement(QFileInfo(path).fileName(), supplier, format.name, digest, read.transactions, windowName);
        m_context.messages->inform(this, QStringLiteral("importate %1").arg(read.transactions.size()));
    });
    refreshImports();
    activateWindow();
}

void CardsWindow::importInvoice()
{
    const QString path = chooseFile(QStringLiteral("e-Factura"), {QStringLiteral("Facturi UBL (*.xml)"), QStringLiteral("Toate fisierele (*)")});
    QByteArray data;
    if (path.isEmpty() || !readFile(path, &data))
        return;
    guarded(m_context.messages, this, [&] {
        const cards::CardStore store(m_context.db);
        const QString digest = cards::fileDigest(data);
        if (const cards::ImportRecord r = store.importOf(digest); r.idi != 0) {
            m_context.messages->inform(this, QStringLiteral(" Fisierul a fost deja importat (%1, %2) !!! ").arg(r.fisier, r.cand));
            return;
        }
        const cards::InvoiceRead read = cards::readInvoice(data);
        if (!read.fileOk() || !read.refused.isEmpty()) {
            QStringList lines{read.error};
            for (const cards::InvoiceRefusal &r : read.refused)
                lines << QStringLiteral("linia %1: %2").arg(r.line).arg(r.reason);
            lines.removeAll(QString());
            m_context.messages->inform(this, QStringLiteral("Factura refuzata, nu s-a importat nimic:\n") + lines.join(u'\n'));
            return;
        }
        store.importInvoice(QFileInfo(path).fileName(), digest, read.invoice, windowName);
        m_context.messages->inform(this, QStringLiteral("importate %1 (factura %2, %3, %4 l)")
                                             .arg(read.invoice.lines.size())
                                             .arg(read.invoice.number, read.invoice.supplier,
                                                  QString::number(read.invoice.litres(), 'f', 2)));
    });
    refreshImports();
    activateWindow();
}

void CardsWindow::newFormat()
{
    const QString path = chooseFile(QStringLiteral("Un extras al furnizorului"),
                                    {QStringLiteral("Extrase CSV (*.csv *.txt)"), QStringLiteral("Toate fisierele (*)")});
    QByteArray sample;
    if (path.isEmpty() || !readFile(path, &sample))
        return;
    {
        CardFormatDialog dialog(m_context, cards::CardFormat(), sample, this);
        if (dialog.exec() == QDialog::Accepted) {
            refreshFormats();
            m_importFormat->setCurrentIndex(m_importFormat->findText(dialog.saved().name));
        }
    }
    activateWindow();
}

void CardsWindow::changeFormat()
{
    const int row = m_formatGrid->currentIndex().row();
    if (row < 0 || row >= m_formats.size())
        return;
    const QString path = chooseFile(QStringLiteral("Un extras al furnizorului (pentru previzualizare)"),
                                    {QStringLiteral("Extrase CSV (*.csv *.txt)"), QStringLiteral("Toate fisierele (*)")});
    QByteArray sample;
    if (!path.isEmpty() && !readFile(path, &sample))
        return;
    {
        CardFormatDialog dialog(m_context, m_formats.at(row), sample, this);
        if (dialog.exec() == QDialog::Accepted)
            refreshFormats();
    }
    activateWindow();
}

void CardsWindow::deleteFormat()
{
    const int row = m_formatGrid->currentIndex().row();
    if (row < 0 || row >= m_formats.size())
        return;
    const cards::CardFormat format = m_formats.at(row);
    if (format.name == QLatin1String("vok")) {
        m_context.messages->inform(this, QStringLiteral(" Formatul vok este al programului si nu se sterge !!! "));
        activateWindow();
        return;
    }
    if (!m_context.messages->confirmDestructive(this, QStringLiteral("Stergeti formatul %1?").arg(format.name)))
        return;
    guardedSave(
        m_context.messages, this, [&] { cards::CardStore(m_context.db).deleteFormat(format, windowName); }, [] {});
    refreshFormats();
    activateWindow();
}

} // namespace vok
