#include "trips/tripwindow.h"

#include "base/numbers.h"
#include "months/monthstatus.h"
#include "trips/formulapanel.h"
#include "trips/sheetheaderbox.h"
#include "trips/tripeditor.h"
#include "trips/tripgrid.h"
#include "ui/fields.h"
#include "ui/gridexport.h"
#include "ui/guard.h"
#include "ui/widgets.h"
#include "reports/reportservice.h"

#include <QCloseEvent>
#include <QDate>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vok {

TripWindow::TripWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_service(context.db)
{
    setObjectName(QStringLiteral("foaie"));
    setWindowTitle(QStringLiteral("Date foi parcurs"));
    buildLayout();
    connectParts();
    showTrips(-1);
}

void TripWindow::buildLayout()
{
    m_header = new SheetHeaderBox(m_context, m_service, this);
    m_editor = new TripEditor(m_context, m_service, this);
    m_formulas = new FormulaPanel(this);
    m_grid = new TripGrid(this);
    gridexport::install(m_grid, m_context.messages, [this] { return QStringLiteral("Curse %1 foaia %2").arg(m_header->vehicleText(), m_header->sheetText()); });
    m_save = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Salvare"));
    m_deleteTrip = widgets::button(this, QStringLiteral("Command5"), QStringLiteral("Stergere curse"));
    m_report = widgets::button(this, QStringLiteral("Command6"), QStringLiteral("Raport calcul foaie"));
    m_deleteSheet = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Stergere foi parcurs"));
    m_exit = widgets::button(this, QStringLiteral("Command4"), QStringLiteral("Iesire"));

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(8, 6, 8, 6);
    main->setSpacing(4);
    main->addWidget(m_header);
    auto *middle = new QHBoxLayout;
    middle->setSpacing(6);
    middle->addWidget(m_editor, 1);
    middle->addWidget(m_formulas);
    main->addLayout(middle);
    main->addWidget(m_grid, 1);
    main->addWidget(widgets::labelFor(this,
                                      QStringLiteral("Pentru stergere, CLICK intr-o casuta din tabel, selectati randul "
                                                     "(sageata neagra de la inceputul randului) si apoi ,,DELETE''"),
                                      nullptr));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_deleteTrip);
    buttons->addWidget(m_report);
    // After a save: the note when the month's V.O.K. is no longer current.
    m_monthNote = new QLabel(this);
    m_monthNote->setObjectName(QStringLiteral("notaluna"));
    m_monthNote->setWordWrap(true);
    buttons->addWidget(m_monthNote, 1);
    buttons->addWidget(m_deleteSheet);
    buttons->addWidget(m_exit);
    main->addLayout(buttons);

    // The tab order of the paper sheet: header, trip number and route, the
    // categories, the load, the surcharges, the sheet's trips, then the
    // buttons. Shift+Tab goes back through the header to the vehicle.
    QList<QWidget *> order = m_header->tabChain();
    order << m_editor->tabChain();
    order << m_grid << m_save << m_deleteTrip << m_report << m_deleteSheet << m_exit;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    resize(1010, 730);
}

void TripWindow::connectParts()
{
    connect(m_header, &SheetHeaderBox::vehicleSelected, this, &TripWindow::vehicleSelected);
    connect(m_header, &SheetHeaderBox::sheetLoaded, this, &TripWindow::sheetLoaded);
    connect(m_header, &SheetHeaderBox::sheetListEmpty, this, [this] { showTrips(-1); });
    connect(m_formulas, &FormulaPanel::regimeChosen, this, &TripWindow::regimeChosen);
    connect(m_editor, &TripEditor::tripNumberEntered, this, &TripWindow::tripNumberEntered);
    connect(m_editor, &TripEditor::tripNumberLeft, this, &TripWindow::tripNumberLeft);
    connect(m_editor, &TripEditor::vehicleRequired, this, [this] {
        refuse({trips::HeaderProblem::Field::Vehicle, texts::noVehicle()});
    });
    connect(m_grid, &TripGrid::tripNumberClicked, this, &TripWindow::tripNumberClicked);
    connect(m_grid, &TripGrid::tripDoubleClicked, this, &TripWindow::tripDoubleClicked);
    connect(m_grid, &TripGrid::deleteRequested, this, &TripWindow::deleteRows);
    connect(m_save, &QPushButton::clicked, this, &TripWindow::save);
    connect(m_deleteTrip, &QPushButton::clicked, this, &TripWindow::deleteTrip);
    connect(m_report, &QPushButton::clicked, this, &TripWindow::openReport);
    connect(m_deleteSheet, &QPushButton::clicked, this, &TripWindow::deleteSheet);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
}

void TripWindow::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

void TripWindow::closeEvent(QCloseEvent *event)
{
    fields::setClosing(this);
    QDialog::closeEvent(event);
}

void TripWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close the window and lose the trip being typed:
    // "Iesire" is the way out, and Escape takes the focus there (Enter then
    // presses it).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (!m_exit->hasFocus())
            focus(m_exit);
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- helpers

void TripWindow::inform(const QString &text) { m_context.messages->inform(this, text); }

void TripWindow::focus(QWidget *widget)
{
    activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
}

void TripWindow::refuse(const trips::HeaderProblem &problem)
{
    QWidget *box = problem.field == trips::HeaderProblem::Field::Trip ? m_editor->tripNumberBox()
                                                                       : m_header->box(problem.field);
    fields::refuse(m_context.messages, box, problem.message);
}

bool TripWindow::requireSelection(bool zeroIsNone)
{
    const std::optional<trips::HeaderProblem> problem
        = trips::selectionProblem(m_header->vehicleText(), m_header->sheetText(), zeroIsNone);
    if (problem)
        refuse(*problem);
    return !problem;
}

void TripWindow::showTrips(int idf)
{
    guarded(m_context.messages, this, [&] { m_grid->showTrips(m_service.trips(), idf); });
}

// ---------------------------------------------------------------- the parts

bool TripWindow::showSheet(const QString &nrauto, int nrf) { return m_header->showSheet(nrauto, nrf); }

void TripWindow::vehicleSelected(const Vehicle &vehicle)
{
    m_editor->setVehicle(vehicle);
    guarded(m_context.messages, this, [&] {
        const std::optional<ConsumptionRegimes> regimes = m_service.lookups().regimes(vehicle.ida);
        if (regimes && regimes->implicit >= 1 && regimes->implicit <= 3) {
            // Selecting the vehicle's default regime refreshes its Cm even when
            // the same button was already selected for the previous vehicle.
            m_formulas->selectRegime(regimes->implicit);
            regimeChosen(regimes->implicit);
        } else {
            m_formulas->clearCm(); // not the Cm of the vehicle chosen before
        }
    });
    m_formulas->showFormula(vehicle.formula);
}

void TripWindow::regimeChosen(int k)
{
    guarded(m_context.messages, this, [&] {
        if (const std::optional<double> Cm = m_service.chooseRegime(m_header->vehicleId(), k))
            m_formulas->showCm(*Cm);
    });
}

void TripWindow::sheetLoaded(int idf)
{
    showTrips(idf);
    // A sheet chosen from the list leaves the clerk in the sheet number: the
    // header goes on with the driver. A Tab or Shift+Tab has already gone
    // where the clerk wanted.
    QWidget *sheetBox = m_header->box(trips::HeaderProblem::Field::Sheet);
    if (sheetBox->hasFocus())
        focus(m_header->tabChain().value(2));
}

void TripWindow::tripNumberEntered() { requireSelection(false); }

void TripWindow::tripNumberLeft(int nrc)
{
    if (trips::selectionProblem(m_header->vehicleText(), m_header->sheetText(), false))
        return;
    guarded(m_context.messages, this, [&] {
        const std::optional<Sheet> sheet = m_header->sheetOnScreen();
        if (!sheet)
            return;
        if (const std::optional<Trip> trip = m_service.trips().byNumber(sheet->idf, nrc))
            m_editor->showTrip(*trip);
    });
}

void TripWindow::tripNumberClicked(const QString &nrc)
{
    m_editor->setTripNumber(nrc);
    focus(m_editor->tripNumberBox());
}

void TripWindow::tripDoubleClicked(const QVariant &idc)
{
    if (!requireSelection(false))
        return;
    focus(m_grid);
    if (idc.isNull())
        return;
    guarded(m_context.messages, this, [&] {
        if (const std::optional<Trip> trip = m_service.trips().byId(idc.toInt()))
            m_editor->showTrip(*trip);
    });
}

void TripWindow::deleteRows(const QList<int> &idcs)
{
    if (!m_context.messages->confirmDestructive(this, texts::deleteRowQuestion(), texts::deleteRowTitle(),
                                                MessageService::Icon::Information))
        return;
    guarded(m_context.messages, this, [&] {
        m_service.deleteTrips(idcs);
        showTrips(m_grid->shownSheet());
        m_context.messages->inform(this, texts::rowDeleted(), texts::deleteRowTitle(),
                                   MessageService::Icon::Information);
    });
}

// ---------------------------------------------------------------- buttons

void TripWindow::save()
{
    m_editor->applyNoLoadRule();
    const auto checked = trips::checkHeader(m_header->texts(m_editor->tripNumberText()), QDate::currentDate());
    if (const auto *problem = std::get_if<trips::HeaderProblem>(&checked)) {
        refuse(*problem);
        return;
    }
    const SheetHeader &header = std::get<trips::CheckedHeader>(checked).header;
    // A date after today is worth a warning, not a refusal.
    if (std::get<trips::CheckedHeader>(checked).afterToday)
        inform(QStringLiteral(" Data inregistrarii foii este mai mare decat data curenta !!! "));
    const TripForm form = m_editor->form();
    // The boxes refuse negative kilometres when left; a save made before that
    // must not store them either.
    if (const std::optional<int> category = trips::negativeCategory(form)) {
        fields::refuse(m_context.messages, m_editor->categoryBox(*category), negativeKmMessage());
        return;
    }

    const auto reload = [this] {
        // What the other clerk stored comes on screen: the header, the trip
        // being typed when it was a stored one, and the sheet's trips.
        const std::optional<Trip> trip = m_editor->loadedTrip();
        m_editor->forgetLoadedTrip();
        m_header->reloadSheet();
        if (trip)
            tripNumberLeft(trip->nrc);
    };
    guardedSave(m_context.messages, this, [&] {
        const std::optional<TripSheetService::SavePlan> plan = m_service.planSave(
            header, form, m_editor->formula(), m_header->loadedSheet(), m_editor->loadedTrip());
        if (!plan) {
            refuse({trips::HeaderProblem::Field::Vehicle, texts::noVehicle()});
            return;
        }
        const bool yes = m_context.messages->confirm(this, plan->question());
        const std::optional<int> idf = m_service.save(*plan, yes);
        // The header of a stored sheet is written even when the trip is declined.
        if (trips::writesOnAnswer(plan->sheet.has_value(), yes).header) {
            m_header->refreshLoaded();
            m_monthNote->setText(staleMonthNote(m_context.db, header.ida, header.anul, header.idl));
        }
        if (!idf)
            return;
        inform(texts::saved());
        m_editor->clearForNextTrip();
        showTrips(*idf);
        focus(m_editor->tripNumberBox());
    }, reload);
}

void TripWindow::deleteTrip()
{
    if (!requireSelection())
        return;
    const QString nrc = m_editor->tripNumberText();
    if (const std::optional<trips::HeaderProblem> problem = trips::tripNumberProblem(nrc)) {
        refuse(*problem);
        return;
    }
    if (!m_context.messages->confirmDestructive(this, trips::deleteTripQuestion(nrc, m_header->sheetText())))
        return;
    guarded(m_context.messages, this, [&] {
        // The trip deleted is on the sheet on screen (this vehicle's sheet of
        // that number), even after another vehicle was chosen.
        const std::optional<Sheet> sheet = m_header->sheetOnScreen();
        const int idf = sheet ? sheet->idf : 0;
        m_service.deleteTrip(idf, wholeNumber(nrc));
        inform(texts::deleted());
        showTrips(idf);
        focus(m_grid);
    });
}

void TripWindow::deleteSheet()
{
    if (!requireSelection())
        return;
    guarded(m_context.messages, this, [&] {
        // The sheet deleted is the one on screen, this vehicle's sheet of that
        // number; a number not stored deletes nothing.
        const std::optional<Sheet> sheet = m_header->sheetOnScreen();
        if (!sheet) {
            fields::refuse(m_context.messages, m_header->box(trips::HeaderProblem::Field::Sheet),
                           QStringLiteral(" Foaia de parcurs nu este inregistrata !!! "));
            return;
        }
        const QString question = trips::deleteSheetQuestion(m_header->sheetText(),
                                                             m_service.sheets().hasTrips(sheet->idf));
        if (!m_context.messages->confirmDestructive(this, question))
            return;
        m_service.deleteSheet(*sheet);
        showTrips(sheet->idf);
        focus(m_grid);
        inform(texts::deleted());
    });
}

void TripWindow::openReport()
{
    if (!requireSelection())
        return;
    // The report of the sheet on screen: this vehicle's sheet of that number.
    int idf = 0;
    if (!guarded(m_context.messages, this, [&] {
            if (const std::optional<Sheet> sheet = m_header->sheetOnScreen())
                idf = sheet->idf;
        }))
        return;
    ReportRequest request;
    request.reportFile = QStringLiteral("rapcalculf.rpt");
    request.dataFile = m_context.dataFile;
    request.selection = QStringLiteral("{curse.idf}=") + QString::number(idf);
    m_context.reports->show(this, request);
}

} // namespace vok
