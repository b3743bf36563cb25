#include "months/activitywindow.h"

#include "base/calendar.h"
#include "base/numbers.h"
#include "base/texts.h"
#include "db/restwarnings.h"
#include "fleet/vehiclestore.h"
#include "months/monthclose.h"
#include "months/monthstatus.h"
#include "months/recomputedialog.h"
#include "ui/guard.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "ui/widgets.h"
#include "reports/reportservice.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vok {

QString ActivityWindow::noSheetsText() { return QStringLiteral(" Nu aveti date pentru luna si anul selectat !!! "); }
QString ActivityWindow::noPreviousMonthText()
{
    return QStringLiteral(" Restul in rezervor din luna precedenta nu a fost gasit !!! ") + u'\n'
           + QStringLiteral(" Programul va folosi valoarea introdusa la ,,SETARI'' ");
}
QString ActivityWindow::annualWarningText()
{
    return QStringLiteral("Raportul anual nu poate aparea(sau va evea date eronate) pana nu sunt "
                          "vizualizate v.o.k-urile fiecarei luni");
}

QString ActivityWindow::staleOpeningText(const OpeningCheck &opening)
{
    const QString previous = monthName(opening.previousMonth) + u' ' + QString::number(opening.previousYear);
    if (opening.previousNotClosed)
        return QStringLiteral(" V.O.K. %1 nu a fost inchis: luna ar porni din valorile de la SETARI "
                              "(vezi SITUATIE). Recalculati inainte de raport? ")
            .arg(previous);
    return QStringLiteral(" V.O.K. %1 nu este actualizat (vezi SITUATIE). Recalculati inainte de raport? ")
        .arg(previous);
}

ActivityWindow::ActivityWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_months(context.db)
{
    setObjectName(QStringLiteral("foaieaz"));
    setWindowTitle(QStringLiteral("Fisa activitatii zilnice"));

    m_nra = new QComboBox(this);
    m_nra->setObjectName(QStringLiteral("nra"));
    m_nra->setMinimumContentsLength(15);
    m_tip = new QLabel(this);
    m_tip->setObjectName(QStringLiteral("tip"));
    m_tip->setMinimumWidth(260);
    m_an = new QComboBox(this);
    m_an->setObjectName(QStringLiteral("an"));
    m_luna = new QComboBox(this);
    m_luna->setObjectName(QStringLiteral("luna"));
    m_luna->setMinimumContentsLength(10);

    auto *choices = new QGroupBox(QStringLiteral("Autovehicul si perioada"), this);
    auto *form = new QFormLayout(choices);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    auto *vehicleRow = new QHBoxLayout;
    vehicleRow->addWidget(m_nra);
    vehicleRow->addWidget(m_tip, 1);
    form->addRow(widgets::labelFor(choices, QStringLiteral("Nr. &auto"), m_nra), vehicleRow);
    form->addRow(widgets::labelFor(choices, QStringLiteral("A&nul"), m_an), m_an);
    form->addRow(widgets::labelFor(choices, QStringLiteral("&Luna"), m_luna), m_luna);

    m_monthButton = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Raport luna"));
    m_yearButton = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Raport an"));
    auto *exitButton = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Iesire"));
    for (QPushButton *b : {m_monthButton, m_yearButton, exitButton})
        b->setMinimumWidth(110);

    auto *warning = widgets::boldNote(this, QStringLiteral("Label3"), annualWarningText());

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_monthButton);
    buttons->addWidget(m_yearButton);
    buttons->addStretch();
    buttons->addWidget(exitButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(choices);
    layout->addWidget(warning);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(600, sizeHint().height());

    setTabOrder(m_nra, m_an);
    setTabOrder(m_an, m_luna);
    setTabOrder(m_luna, m_monthButton);
    setTabOrder(m_monthButton, m_yearButton);
    setTabOrder(m_yearButton, exitButton);

    lists::fillPeriod(m_an, m_luna);
    updateCaptions();

    guarded(m_context.messages, this, [this] { lists::fillVehicles(m_nra, m_context.db); });
    m_nra->setCurrentIndex(-1);
    lists::refillVehiclesOnFocus(m_nra, m_context.db, m_context.messages);

    connect(m_nra, &QComboBox::currentIndexChanged, this, &ActivityWindow::vehicleChosen);
    connect(m_an, &QComboBox::currentIndexChanged, this, &ActivityWindow::updateCaptions);
    connect(m_luna, &QComboBox::currentIndexChanged, this, &ActivityWindow::updateCaptions);
    connect(m_monthButton, &QPushButton::clicked, this, &ActivityWindow::monthReport);
    connect(m_yearButton, &QPushButton::clicked, this, &ActivityWindow::yearReport);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    m_nra->setFocus();
}

void ActivityWindow::updateCaptions()
{
    const int month = lists::chosenMonth(m_luna);
    m_monthButton->setText(month > 0 ? QStringLiteral("V.O.K. ") + monthName(month)
                                     : QStringLiteral("Raport luna"));
    const int year = lists::chosenYear(m_an);
    m_yearButton->setText(year > 0 ? QStringLiteral("Raport ") + QString::number(year)
                                   : QStringLiteral("Raport an"));
}

void ActivityWindow::vehicleChosen()
{
    const QString number = m_nra->currentText();
    if (m_nra->currentIndex() < 0 || number.isEmpty())
        return;
    guarded(m_context.messages, this, [&] {
        const std::optional<Vehicle> vehicle = VehicleStore(m_context.db).byNumber(number);
        if (!vehicle)
            return;
        m_indauto = vehicle->ida;
        m_chosenNumber = number;
        m_tip->setText(lists::makeCaption(vehicle->marca));
    });
}

int ActivityWindow::chosenVehicle() const
{
    // A refill of the list may have dropped the vehicle (taken out meanwhile).
    if (m_indauto == 0 || m_nra->currentIndex() < 0 || m_nra->currentText() != m_chosenNumber)
        return 0;
    return m_indauto;
}

void ActivityWindow::monthReport()
{
    const int ida = chosenVehicle();
    if (ida == 0) {
        m_context.messages->inform(this, texts::noVehicle());
        m_nra->setFocus();
        return;
    }
    const int year = lists::chosenYear(m_an);
    const int month = lists::chosenMonth(m_luna);
    // What the month would be, first: its messages come before anything is written.
    MonthComputation computed;
    if (!guarded(m_context.messages, this, [&] {
            widgets::WaitCursor wait;
            computed = computeMonth(m_months, ida, year, month);
        }))
        return;
    if (computed.close.noSheets) {
        m_context.messages->inform(this, noSheetsText());
        return;
    }
    // The month opens from the month before: when that is not current, the
    // clerk may bring the chain up to date first.
    OpeningCheck opening;
    if (!guarded(m_context.messages, this, [&] {
            widgets::WaitCursor wait;
            opening = checkOpening(m_months, ida, year, month);
        }))
        return;
    if (!opening.current() && m_context.messages->confirm(this, staleOpeningText(opening))) {
        if (!recomputeWithProgress(m_context, this, {{ida, m_chosenNumber}}, opening.previousYear,
                                   opening.previousMonth)
                 .complete)
            return;
        if (!guarded(m_context.messages, this, [&] {
                widgets::WaitCursor wait;
                computed = computeMonth(m_months, ida, year, month);
            }))
            return;
    }
    if (computed.close.openedFromSettings)
        m_context.messages->inform(this, noPreviousMonthText());
    MonthClose closed;
    const bool done = guarded(m_context.messages, this, [&] {
        widgets::WaitCursor wait;
        closed = closeMonth(m_months, ida, year, month);
    });
    if (!done || closed.noSheets)
        return;
    if (restOutOfRange(closed.closingRest, closed.tankCapacity))
        m_context.messages->inform(this, restWarningMessage(closed.closingRest, closed.tankCapacity));

    ReportRequest request;
    request.reportFile = QStringLiteral("rapvokluna.rpt");
    request.dataFile = m_context.dataFile;
    request.selection = QStringLiteral("{foaie.anul}=%1 and {foaie.idl}=%2 and {foaie.ida}=%3")
                            .arg(year)
                            .arg(month)
                            .arg(ida);
    request.sortFields = {QStringLiteral("+{foaie.nrf}")};
    request.formulas = {QStringLiteral("rest=") + doubleText(closed.openingRest),
                        QStringLiteral("kmef=") + doubleText(closed.openingKm),
                        QStringLiteral("kmechiv=") + doubleText(closed.openingKmEquiv)};
    m_context.reports->show(this, request);
}

void ActivityWindow::yearReport()
{
    const int ida = chosenVehicle();
    if (ida == 0) {
        m_context.messages->inform(this, texts::noVehicle());
        m_nra->setFocus();
        return;
    }
    const int year = lists::chosenYear(m_an);
    if (!offerRecomputeBeforeReport(m_context, this, {{ida, m_chosenNumber}}, year, 0))
        return;
    ReportRequest request;
    request.reportFile = QStringLiteral("rapvokan.rpt");
    request.dataFile = m_context.dataFile;
    request.selection = QStringLiteral("{dateluna.anul}=%1 and {dateluna.ida}=%2").arg(year).arg(ida);
    m_context.reports->show(this, request);
}

void ActivityWindow::choose(const QString &nrauto, int year, int month)
{
    m_an->setCurrentIndex(m_an->findText(QString::number(year)));
    m_luna->setCurrentIndex(month - 1);
    m_nra->setCurrentIndex(m_nra->findText(nrauto));
    m_monthButton->setFocus();
}

} // namespace vok
