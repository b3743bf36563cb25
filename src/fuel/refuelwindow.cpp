#include "fuel/refuelwindow.h"

#include "control/measurebox.h"
#include "control/measures.h"

#include "base/calendar.h"
#include "fleet/vehiclestore.h"
#include "fuel/refuelstore.h"
#include "months/monthstatus.h"
#include "reports/reportrequest.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "ui/widgets.h"
#include "reports/reportservice.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vok {

namespace {

QComboBox *list(QWidget *parent, const QString &name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(false);
    box->setMinimumContentsLength(10);
    return box;
}

QLineEdit *textBox(QWidget *parent, const QString &name, const QString &text, int width)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setMinimumWidth(width);
    return box;
}

} // namespace

RefuelWindow::RefuelWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("alim"));
    setWindowTitle(QStringLiteral("Alimentare carburant, ulei "));
    buildControls();
    buildLayout();
    connectControls();

    lists::fillPeriod(m_an, m_luna);
    periodChanged();
    guarded(m_context.messages, this, [this] { lists::fillVehicles(m_nra, m_context.db); });
    m_nra->setCurrentIndex(-1);
    m_nra->setFocus();
}

void RefuelWindow::buildControls()
{
    m_nra = list(this, QStringLiteral("nra"));
    m_tip = new QLabel(this);
    m_tip->setObjectName(QStringLiteral("tip"));
    m_an = list(this, QStringLiteral("an"));
    m_luna = list(this, QStringLiteral("luna"));
    m_nrfoi = list(this, QStringLiteral("nrfoi"));
    m_dataf = new QLabel(this);
    m_dataf->setObjectName(QStringLiteral("dataf"));
    m_dataf->setMinimumWidth(90);

    m_bm = new QRadioButton(QStringLiteral("benzina, motorina"), this);
    m_bm->setObjectName(QStringLiteral("bm"));
    m_gz = new QRadioButton(QStringLiteral("gaz"), this);
    m_gz->setObjectName(QStringLiteral("gz"));
    m_fuel = new QButtonGroup(this);
    m_fuel->addButton(m_bm);
    m_fuel->addButton(m_gz);

    m_cantc = textBox(this, QStringLiteral("cantc"), QStringLiteral("0.000"), 90);
    m_actc = textBox(this, QStringLiteral("actc"), QString(), 200);
    m_rezplecare = textBox(this, QStringLiteral("rezplecare"), QString(), 90);
    m_rezsosire = textBox(this, QStringLiteral("rezsosire"), QString(), 90);
    m_cantu1 = textBox(this, QStringLiteral("cantu1"), QStringLiteral("0.00"), 90);
    m_actu1 = textBox(this, QStringLiteral("actu1"), QString(), 200);
    m_cantu2 = textBox(this, QStringLiteral("cantu2"), QStringLiteral("0.00"), 90);
    m_actu2 = textBox(this, QStringLiteral("actu2"), QString(), 200);
    m_cantu3 = textBox(this, QStringLiteral("cantu3"), QStringLiteral("0.00"), 90);
    m_actu3 = textBox(this, QStringLiteral("actu3"), QString(), 200);
    m_schu = new QCheckBox(QStringLiteral("ulei"), this);
    m_schu->setObjectName(QStringLiteral("schu"));
    m_actschu = textBox(this, QStringLiteral("actschu"), QString(), 200);
    m_schf = new QCheckBox(QStringLiteral("filtru"), this);
    m_schf->setObjectName(QStringLiteral("schf"));
    m_actschf = textBox(this, QStringLiteral("actschf"), QString(), 200);
    m_rstc = textBox(this, QStringLiteral("rstc"), QStringLiteral("0.000"), 90);
    m_actrst = textBox(this, QStringLiteral("actrst"), QString(), 200);
    m_actschu->setEnabled(false);
    m_actschf->setEnabled(false);
    for (QLineEdit *box : {m_cantc, m_cantu1, m_cantu2, m_cantu3, m_rstc})
        box->setMaximumWidth(110);

    m_save = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Salvare"));

    keys::setSaveButton(m_save);
    m_clearFuel = widgets::button(this, QStringLiteral("Command5"), QStringLiteral("Stergere combustibil"));
    m_clearFuel->setToolTip(QStringLiteral("Sterge combustibilul (felul, cantitatea, actul) de pe foaia aleasa"));
    m_monthReport = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Raport luna"));
    m_yearReport = widgets::button(this, QStringLiteral("Command4"), QStringLiteral("Raport an"));
    m_exit = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Iesire"));

    // The document boxes share one caption; their accessible names say which.
    m_actc->setAccessibleName(QStringLiteral("Nr.act/data combustibil"));
    m_actu1->setAccessibleName(QStringLiteral("Nr.act/data ulei motor"));
    m_actu2->setAccessibleName(QStringLiteral("Nr.act/data ulei transmisie"));
    m_actu3->setAccessibleName(QStringLiteral("Nr.act/data ulei instalatii auxiliare"));
    m_actschu->setAccessibleName(QStringLiteral("Nr.act/data schimb ulei"));
    m_actschf->setAccessibleName(QStringLiteral("Nr.act/data schimb filtru"));
    m_actrst->setAccessibleName(QStringLiteral("Nr.act/data restituire"));
    m_cantu1->setAccessibleName(QStringLiteral("Motor"));
    m_cantu2->setAccessibleName(QStringLiteral("Transmisie"));
    m_cantu3->setAccessibleName(QStringLiteral("Instalatii auxiliare"));
    m_tip->setAccessibleName(QStringLiteral("Marca si tipul"));
    m_dataf->setAccessibleName(QStringLiteral("Data foii de parcurs"));

    // Every box selects its text on entry, except the fuel document.
    for (QLineEdit *box : {m_actu1, m_actu2, m_actu3, m_actschu, m_actschf, m_actrst})
        fields::selectAllOnEntry(box);
    for (QLineEdit *box : {m_actc, m_actu1, m_actu2, m_actu3, m_actschu, m_actschf, m_actrst})
        fields::onLeave(box, [this, box] { return documentAccepted(box); });
    fields::numericBox(m_cantc, m_context.messages, refuel::fuelMask());
    fields::numericBox(m_rstc, m_context.messages, refuel::fuelMask());
    for (QLineEdit *box : {m_rezplecare, m_rezsosire})
        control::measureBox(box, m_context.messages, control::litreMask(), control::negativeLitresMessage());
    for (QLineEdit *box : {m_cantu1, m_cantu2, m_cantu3})
        fields::numericBox(box, m_context.messages, refuel::oilMask());
}

void RefuelWindow::buildLayout()
{
    auto *sheet = new QGridLayout;
    sheet->addWidget(widgets::labelFor(this, QStringLiteral("Numar inmatriculare"), m_nra), 0, 0);
    sheet->addWidget(m_nra, 0, 1);
    sheet->addWidget(m_tip, 0, 2, 1, 4);
    sheet->addWidget(widgets::labelFor(this, QStringLiteral("Anul"), m_an), 1, 0);
    sheet->addWidget(m_an, 1, 1);
    sheet->addWidget(widgets::labelFor(this, QStringLiteral("Luna"), m_luna), 1, 2);
    sheet->addWidget(m_luna, 1, 3);
    sheet->addWidget(widgets::labelFor(this, QStringLiteral("Nr. foaie parcurs"), m_nrfoi), 2, 0);
    sheet->addWidget(m_nrfoi, 2, 1);
    sheet->addWidget(new QLabel(QStringLiteral("Data")), 2, 2);
    sheet->addWidget(m_dataf, 2, 3);
    sheet->setColumnStretch(5, 1);

    auto *fuel = new QGroupBox(QStringLiteral("Alimentare combustibil"), this);
    auto *fuelGrid = new QGridLayout(fuel);
    fuelGrid->addWidget(m_bm, 0, 0);
    fuelGrid->addWidget(m_gz, 1, 0);
    fuelGrid->addWidget(widgets::labelFor(fuel, QStringLiteral("Cantitate(litri)"), m_cantc), 0, 1);
    fuelGrid->addWidget(m_cantc, 1, 1);
    fuelGrid->addWidget(widgets::labelFor(fuel, QStringLiteral("Nr.act/data"), m_actc), 0, 2);
    fuelGrid->addWidget(m_actc, 1, 2);
    fuelGrid->addWidget(widgets::labelFor(fuel, QStringLiteral("Rezervor la plecare (l)"), m_rezplecare), 0, 3);
    fuelGrid->addWidget(m_rezplecare, 1, 3);
    fuelGrid->addWidget(widgets::labelFor(fuel, QStringLiteral("Rezervor la sosire (l)"), m_rezsosire), 0, 4);
    fuelGrid->addWidget(m_rezsosire, 1, 4);
    fuelGrid->setColumnStretch(2, 1);

    auto *oil = new QGroupBox(QStringLiteral("Alimentare ulei"), this);
    auto *oilGrid = new QGridLayout(oil);
    oilGrid->addWidget(new QLabel(QStringLiteral("Cantitate(litri)")), 0, 1);
    oilGrid->addWidget(new QLabel(QStringLiteral("Nr.act/data")), 0, 2);
    const QList<std::tuple<QString, QLineEdit *, QLineEdit *>> oilRows = {
        {QStringLiteral("Motor"), m_cantu1, m_actu1},
        {QStringLiteral("Transmisie"), m_cantu2, m_actu2},
        {QStringLiteral("Instalatii auxiliare"), m_cantu3, m_actu3}};
    int row = 1;
    for (const auto &[text, quantity, document] : oilRows) {
        oilGrid->addWidget(widgets::labelFor(oil, text, quantity), row, 0);
        oilGrid->addWidget(quantity, row, 1);
        oilGrid->addWidget(document, row, 2);
        ++row;
    }
    oilGrid->setColumnStretch(2, 1);

    auto *change = new QGroupBox(QStringLiteral("Schimb"), this);
    auto *changeGrid = new QGridLayout(change);
    changeGrid->addWidget(new QLabel(QStringLiteral("Nr.act/data")), 0, 1);
    changeGrid->addWidget(m_schu, 1, 0);
    changeGrid->addWidget(m_actschu, 1, 1);
    changeGrid->addWidget(m_schf, 2, 0);
    changeGrid->addWidget(m_actschf, 2, 1);
    changeGrid->setColumnStretch(1, 1);

    auto *returned = new QGroupBox(QStringLiteral("Restituiri combustibil (litri)"), this);
    auto *returnedGrid = new QGridLayout(returned);
    returnedGrid->addWidget(widgets::labelFor(returned, QStringLiteral("Cantitate(litri)"), m_rstc), 0, 0);
    returnedGrid->addWidget(widgets::labelFor(returned, QStringLiteral("Nr.act/data"), m_actrst), 0, 1);
    returnedGrid->addWidget(m_rstc, 1, 0);
    returnedGrid->addWidget(m_actrst, 1, 1);
    returnedGrid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_clearFuel);
    buttons->addStretch();
    buttons->addWidget(m_monthReport);
    buttons->addWidget(m_yearReport);
    buttons->addStretch();
    buttons->addWidget(m_exit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(sheet);
    layout->addWidget(fuel);
    layout->addWidget(oil);
    layout->addWidget(change);
    layout->addWidget(returned);
    // Over the buttons: the window is too narrow for it beside them.
    m_monthNote = new QLabel(this);
    m_monthNote->setObjectName(QStringLiteral("notaluna"));
    m_monthNote->setWordWrap(true);
    layout->addWidget(m_monthNote);
    layout->addLayout(buttons);

    // The order in which the clerk types.
    QWidget *order[] = {m_nra, m_an, m_luna, m_nrfoi, m_bm, m_gz, m_cantc, m_actc, m_rezplecare, m_rezsosire,
                        m_cantu1, m_actu1, m_cantu2, m_actu2, m_cantu3, m_actu3,
                        m_schu, m_actschu, m_schf, m_actschf, m_rstc, m_actrst,
                        m_save, m_clearFuel, m_monthReport, m_yearReport, m_exit};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(640, sizeHint().height());
}

void RefuelWindow::connectControls()
{
    lists::refillVehiclesOnFocus(m_nra, m_context.db, m_context.messages);
    connect(m_nra, &QComboBox::activated, this, &RefuelWindow::chooseVehicle);
    connect(m_an, &QComboBox::currentIndexChanged, this, &RefuelWindow::periodChanged);
    connect(m_luna, &QComboBox::currentIndexChanged, this, &RefuelWindow::periodChanged);
    // Entering the sheet list refills it at once, before a click opens it;
    // without a vehicle it sends the clerk to the vehicle, after the focus change.
    fields::onEntryNow(m_nrfoi, m_context.messages, [this] {
        if (m_ida != 0)
            fillSheetList();
    });
    fields::onEnter(m_nrfoi, [this] { refused(refuel::selectionProblem(m_ida, m_idf, false)); });
    m_nrfoi->installEventFilter(this);
    connect(m_nrfoi, &QComboBox::activated, this, &RefuelWindow::chooseSheet);

    for (auto [box, document] : {std::pair{m_schu, m_actschu}, std::pair{m_schf, m_actschf}}) {
        connect(box, &QCheckBox::toggled, this, [document](bool ticked) {
            if (!ticked)
                document->clear();
            document->setEnabled(ticked);
        });
    }

    connect(m_save, &QPushButton::clicked, this, &RefuelWindow::save);
    connect(m_clearFuel, &QPushButton::clicked, this, &RefuelWindow::clearFuel);
    connect(m_monthReport, &QPushButton::clicked, this, [this] { report(true); });
    connect(m_yearReport, &QPushButton::clicked, this, [this] { report(false); });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
}

void RefuelWindow::done(int result)
{
    // "Iesire", Escape and the title bar's close button leave alike.
    fields::setClosing(this);
    QDialog::done(result);
}

bool RefuelWindow::eventFilter(QObject *watched, QEvent *event)
{
    // With no vehicle there is no sheet to offer: the list does not open.
    if (watched == m_nrfoi && m_ida == 0
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        return true;
    return QDialog::eventFilter(watched, event);
}

void RefuelWindow::closeEvent(QCloseEvent *event)
{
    fields::setClosing(this);
    QDialog::closeEvent(event);
}

bool RefuelWindow::openSheet(const QString &nrauto, int year, int month, int nrf)
{
    const int vehicle = m_nra->findText(nrauto);
    const int yearIndex = m_an->findText(QString::number(year));
    if (vehicle < 0 || yearIndex < 0 || month < 1 || month > m_luna->count())
        return false;
    m_nra->setCurrentIndex(vehicle);
    chooseVehicle();
    m_an->setCurrentIndex(yearIndex);
    m_luna->setCurrentIndex(month - 1);
    fillSheetList();
    const int sheet = m_nrfoi->findText(QString::number(nrf));
    if (sheet < 0)
        return false;
    m_nrfoi->setCurrentIndex(sheet);
    chooseSheet();
    return m_idf != 0;
}

void RefuelWindow::chooseVehicle()
{
    guarded(m_context.messages, this, [this] {
        const std::optional<Vehicle> vehicle = VehicleStore(m_context.db).byNumber(m_nra->currentText());
        const int ida = vehicle ? vehicle->ida : 0;
        m_tip->setText(vehicle ? lists::makeCaption(vehicle->marca) : QString());
        if (ida != m_ida) {
            m_ida = ida;
            forgetSheet();
        }
    });
}

void RefuelWindow::periodChanged()
{
    m_yearReport->setText(refuel::reportCaption(m_an->currentText()));
    m_monthReport->setText(refuel::reportCaption(m_luna->currentText()));
    forgetSheet();
}

void RefuelWindow::fillSheetList()
{
    QList<int> numbers;
    if (!guarded(m_context.messages, this, [&] {
            numbers = RefuelStore(m_context.db).sheetNumbers(m_ida, lists::chosenYear(m_an),
                                                             lists::chosenMonth(m_luna));
        }))
        return;
    const QString chosen = m_idf != 0 ? m_nrfoi->currentText() : QString();
    const QSignalBlocker blocker(m_nrfoi);
    m_nrfoi->clear();
    for (int nrf : numbers)
        m_nrfoi->addItem(QString::number(nrf));
    const int index = chosen.isEmpty() ? -1 : m_nrfoi->findText(chosen);
    m_nrfoi->setCurrentIndex(index);
    if (index < 0 && m_idf != 0) {
        m_idf = 0;
        emptyFields();
    }
}

void RefuelWindow::chooseSheet()
{
    guarded(m_context.messages, this, [this] {
        const std::optional<SheetRefuel> sheet
            = m_ida == 0 ? std::nullopt : RefuelStore(m_context.db).sheet(m_ida, m_nrfoi->currentText().toInt());
        if (!sheet) {
            m_idf = 0;
            emptyFields();
            return;
        }
        m_idf = sheet->idf;
        m_versiunealim = sheet->versiunealim;
        m_dataf->setText(sheet->data);
        showForm(refuel::RefuelForm::fromSheet(*sheet));
    });
}

void RefuelWindow::forgetSheet()
{
    m_idf = 0;
    {
        const QSignalBlocker blocker(m_nrfoi);
        m_nrfoi->clear();
    }
    emptyFields();
    // The list offers the sheets of the new choice at once: the month may be
    // changed (with the wheel) while the sheet list keeps the focus.
    if (m_ida != 0)
        fillSheetList();
}

refuel::RefuelForm RefuelWindow::form() const
{
    refuel::RefuelForm form;
    form.type = fuelType();
    form.cantc = m_cantc->text();
    form.actc = m_actc->text();
    form.rezplecare = m_rezplecare->text();
    form.rezsosire = m_rezsosire->text();
    form.cantu1 = m_cantu1->text();
    form.actu1 = m_actu1->text();
    form.cantu2 = m_cantu2->text();
    form.actu2 = m_actu2->text();
    form.cantu3 = m_cantu3->text();
    form.actu3 = m_actu3->text();
    form.schu = m_schu->isChecked();
    form.actschu = m_actschu->text();
    form.schf = m_schf->isChecked();
    form.actschf = m_actschf->text();
    form.rstc = m_rstc->text();
    form.actrst = m_actrst->text();
    return form;
}

void RefuelWindow::showForm(const refuel::RefuelForm &form)
{
    setFuelType(form.type);
    m_cantc->setText(form.cantc);
    m_actc->setText(form.actc);
    m_rezplecare->setText(form.rezplecare);
    m_rezsosire->setText(form.rezsosire);
    m_cantu1->setText(form.cantu1);
    m_actu1->setText(form.actu1);
    m_cantu2->setText(form.cantu2);
    m_actu2->setText(form.actu2);
    m_cantu3->setText(form.cantu3);
    m_actu3->setText(form.actu3);
    // Ticking enables the document box; unticking empties it, so the
    // document is shown after the box is set.
    m_schu->setChecked(form.schu);
    m_actschu->setText(form.actschu);
    m_schf->setChecked(form.schf);
    m_actschf->setText(form.actschf);
    m_rstc->setText(form.rstc);
    m_actrst->setText(form.actrst);
}

void RefuelWindow::emptyFields()
{
    m_dataf->clear();
    showForm(refuel::RefuelForm());
}

void RefuelWindow::setFuelType(refuel::FuelType type)
{
    // An exclusive group cannot untick its last button.
    m_fuel->setExclusive(false);
    m_bm->setChecked(type == refuel::FuelType::PetrolDiesel);
    m_gz->setChecked(type == refuel::FuelType::Gas);
    m_fuel->setExclusive(true);
}

refuel::FuelType RefuelWindow::fuelType() const
{
    if (m_bm->isChecked())
        return refuel::FuelType::PetrolDiesel;
    if (m_gz->isChecked())
        return refuel::FuelType::Gas;
    return refuel::FuelType::None;
}

void RefuelWindow::save()
{
    const refuel::RefuelForm typed = form();
    if (refused(refuel::checkSave(typed, m_ida, m_idf)))
        return;
    if (!m_context.messages->confirm(this, refuel::saveQuestion()))
        return;

    SheetRefuel values = refuel::refuelFromForm(typed);
    values.idf = m_idf;
    values.versiunealim = m_versiunealim;
    if (!guardedSave(
            m_context.messages, this, [&] { m_versiunealim = RefuelStore(m_context.db).save(values, objectName()); },
            [this] { chooseSheet(); }))
        return;
    m_context.messages->inform(this, texts::saved());
    noteMonth();
}

void RefuelWindow::clearFuel()
{
    if (refused(refuel::selectionProblem(m_ida, m_idf)))
        return;
    if (!m_context.messages->confirmDestructive(this, refuel::clearFuelQuestion(m_nrfoi->currentText().toInt())))
        return;
    if (!guardedSave(
            m_context.messages, this,
            [&] { m_versiunealim = RefuelStore(m_context.db).clearFuel(m_idf, m_versiunealim, objectName()); },
            [this] { chooseSheet(); }))
        return;
    noteMonth();
    // The rest of the sheet stays on screen as it is.
    const refuel::RefuelForm blank;
    setFuelType(blank.type);
    m_cantc->setText(blank.cantc);
    m_actc->setText(blank.actc);
    m_context.messages->inform(this, texts::deleted());
}

void RefuelWindow::noteMonth()
{
    // The sheet listed is a sheet of the chosen year and month.
    guarded(m_context.messages, this, [&] {
        m_monthNote->setText(
            staleMonthNote(m_context.db, m_ida, lists::chosenYear(m_an), lists::chosenMonth(m_luna)));
    });
}

void RefuelWindow::report(bool monthly)
{
    if (refused(refuel::selectionProblem(m_ida, m_idf, false)))
        return;
    const int year = lists::chosenYear(m_an);
    ReportRequest request;
    request.reportFile = monthly ? refuel::monthlyReportFile() : refuel::annualReportFile();
    request.dataFile = m_context.dataFile;
    request.selection = monthly ? refuel::monthlySelection(year, lists::chosenMonth(m_luna), m_ida)
                                : refuel::annualSelection(year, m_ida);
    // The window stays as it is: vehicle, year and month remain chosen.
    m_context.reports->show(this, request);
}

bool RefuelWindow::documentAccepted(QLineEdit *box)
{
    const QString problem = refuel::documentProblem(box->text());
    if (problem.isEmpty())
        return true;
    m_context.messages->inform(this, problem);
    return false;
}

bool RefuelWindow::refused(const std::optional<refuel::EntryProblem> &problem)
{
    if (!problem)
        return false;
    fields::refuse(m_context.messages, box(problem->field), problem->message);
    return true;
}

QWidget *RefuelWindow::box(refuel::EntryProblem::Field field) const
{
    using Field = refuel::EntryProblem::Field;
    switch (field) {
    case Field::Vehicle: return m_nra;
    case Field::Sheet: return m_nrfoi;
    case Field::Cantc: return m_cantc;
    case Field::Actc: return m_actc;
    case Field::Rezplecare: return m_rezplecare;
    case Field::Rezsosire: return m_rezsosire;
    case Field::Cantu1: return m_cantu1;
    case Field::Actu1: return m_actu1;
    case Field::Cantu2: return m_cantu2;
    case Field::Actu2: return m_actu2;
    case Field::Cantu3: return m_cantu3;
    case Field::Actu3: return m_actu3;
    case Field::Actschu: return m_actschu;
    case Field::Actschf: return m_actschf;
    case Field::Rstc: return m_rstc;
    case Field::Actrst: return m_actrst;
    }
    return m_nra;
}

} // namespace vok
