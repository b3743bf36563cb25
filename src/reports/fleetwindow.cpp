#include "reports/fleetwindow.h"

#include "base/calendar.h"
#include "fleet/vehiclestore.h"
#include "reports/fleetstore.h"
#include "months/monthstore.h"
#include "months/recomputedialog.h"
#include "ui/guard.h"
#include "ui/lists.h"
#include "ui/widgets.h"
#include "reports/reportservice.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vok {

namespace {

const QString selectAllCaption = QStringLiteral("Selectie totala");
const QString clearAllCaption = QStringLiteral("Deselectie totala");

} // namespace

QString FleetWindow::noteText()
{
    return QStringLiteral("Rapoartele contin doar lunile ale caror v.o.k.-uri au fost vizualizate "
                          "in prealabil in fereastra V.O.K. pentru fiecare autovehicul.");
}

FleetWindow::FleetWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("central"));
    setWindowTitle(QStringLiteral("Centralizare autovehicule"));

    m_nra = new QListWidget(this);
    m_nra->setObjectName(QStringLiteral("nra"));
    m_nra->setSelectionMode(QAbstractItemView::MultiSelection);
    m_nra->setMinimumWidth(180);
    m_an = new QComboBox(this);
    m_an->setObjectName(QStringLiteral("an"));
    m_luna = new QComboBox(this);
    m_luna->setObjectName(QStringLiteral("luna"));
    m_luna->setMinimumContentsLength(10);
    m_toggleButton = widgets::button(this, QStringLiteral("Command4"), clearAllCaption);
    m_monthButton = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Raport luna"));
    m_yearButton = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Raport an"));
    auto *exitButton = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Iesire"));

    auto *vehicles = new QVBoxLayout;
    vehicles->addWidget(widgets::labelFor(this, QStringLiteral("&Auto"), m_nra));
    vehicles->addWidget(m_nra, 1);
    vehicles->addWidget(m_toggleButton);

    auto *period = new QFormLayout;
    period->addRow(widgets::labelFor(this, QStringLiteral("A&nul"), m_an), m_an);
    period->addRow(widgets::labelFor(this, QStringLiteral("&Luna"), m_luna), m_luna);

    auto *note = widgets::boldNote(this, QStringLiteral("Label3"), noteText());

    auto *reportButtons = new QHBoxLayout;
    reportButtons->addWidget(m_monthButton);
    reportButtons->addWidget(m_yearButton);
    reportButtons->addStretch();

    auto *right = new QVBoxLayout;
    right->addLayout(period);
    right->addSpacing(12);
    right->addLayout(reportButtons);
    right->addSpacing(12);
    right->addWidget(note);
    right->addStretch();
    auto *exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(exitButton);
    right->addLayout(exitRow);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(vehicles);
    layout->addLayout(right, 1);

    setTabOrder(m_nra, m_toggleButton);
    setTabOrder(m_toggleButton, m_an);
    setTabOrder(m_an, m_luna);
    setTabOrder(m_luna, m_monthButton);
    setTabOrder(m_monthButton, m_yearButton);
    setTabOrder(m_yearButton, exitButton);

    lists::fillPeriod(m_an, m_luna);
    updateCaptions();

    guarded(m_context.messages, this, [this] {
        m_nra->addItems(VehicleStore(m_context.db).visibleNumbers());
    });
    m_nra->selectAll();
    if (m_nra->count() > 0)
        m_nra->selectionModel()->setCurrentIndex(m_nra->model()->index(0, 0),
                                                 QItemSelectionModel::NoUpdate);

    m_monthButton->installEventFilter(this);
    m_yearButton->installEventFilter(this);
    connect(m_an, &QComboBox::currentIndexChanged, this, &FleetWindow::updateCaptions);
    connect(m_luna, &QComboBox::currentIndexChanged, this, &FleetWindow::updateCaptions);
    connect(m_toggleButton, &QPushButton::clicked, this, &FleetWindow::toggleAll);
    connect(m_monthButton, &QPushButton::clicked, this, &FleetWindow::monthReport);
    connect(m_yearButton, &QPushButton::clicked, this, &FleetWindow::yearReport);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    m_nra->setFocus();
}

bool FleetWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A report button gaining the focus stores the marks, before its click.
    // Not when a click follows at once (the click stores them first thing),
    // nor when the focus only comes back with the window (after a message
    // box, a report, another program), nor again for marks whose write has
    // just failed: one failure, one message.
    if (event->type() == QEvent::FocusIn && (watched == m_monthButton || watched == m_yearButton)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason
            && reason != Qt::PopupFocusReason && !MessageService::isShowing()
            && currentMarks() != m_failedMarks)
            storeMarks();
    }
    return QDialog::eventFilter(watched, event);
}

void FleetWindow::updateCaptions()
{
    const int month = lists::chosenMonth(m_luna);
    m_monthButton->setText(month > 0 ? QStringLiteral("Raport ") + monthName(month)
                                     : QStringLiteral("Raport luna"));
    const int year = lists::chosenYear(m_an);
    m_yearButton->setText(year > 0 ? QStringLiteral("Raport ") + QString::number(year)
                                   : QStringLiteral("Raport an"));
}

void FleetWindow::toggleAll()
{
    if (m_toggleButton->text() == selectAllCaption)
        m_nra->selectAll();
    else
        m_nra->clearSelection();
    m_toggleButton->setText(m_toggleButton->text() == clearAllCaption ? selectAllCaption
                                                                       : clearAllCaption);
}

QList<std::pair<QString, bool>> FleetWindow::currentMarks() const
{
    QList<std::pair<QString, bool>> marks;
    for (int row = 0; row < m_nra->count(); ++row) {
        const QListWidgetItem *item = m_nra->item(row);
        marks.append({item->text(), item->isSelected()});
    }
    return marks;
}

bool FleetWindow::storeMarks()
{
    const QList<std::pair<QString, bool>> marks = currentMarks();
    if (marks == m_storedMarks)
        return true;
    m_failedMarks.clear();
    const bool stored = guarded(m_context.messages, this, [&] {
        FleetStore(m_context.db).setReportMarks(marks);
        m_storedMarks = marks;
    });
    if (!stored)
        m_failedMarks = marks;
    return stored;
}

bool FleetWindow::offerRecompute(int year, int month)
{
    QList<ListedVehicle> marked;
    if (!guarded(m_context.messages, this, [&] { marked = MonthStore(m_context.db).markedVehicles(); }))
        return false;
    return offerRecomputeBeforeReport(m_context, this, marked, year, month);
}

void FleetWindow::monthReport()
{
    // The marks again: the button may have kept the focus while they changed.
    if (!storeMarks())
        return;
    const int year = lists::chosenYear(m_an);
    const int month = lists::chosenMonth(m_luna);
    if (!offerRecompute(year, month))
        return;
    ReportRequest request;
    request.reportFile = QStringLiteral("rapvoklunaauto.rpt");
    request.dataFile = m_context.dataFile;
    request.selection = QStringLiteral("{dateluna.anul}=%1 and {dateluna.idl}=%2 and {auto.rap}=1")
                            .arg(year)
                            .arg(month);
    m_context.reports->show(this, request);
}

void FleetWindow::yearReport()
{
    if (!storeMarks())
        return;
    const int year = lists::chosenYear(m_an);
    if (!offerRecompute(year, 0))
        return;
    ReportRequest request;
    request.reportFile = QStringLiteral("rapvokanauto.rpt");
    request.dataFile = m_context.dataFile;
    request.selection = QStringLiteral("{dateluna.anul}=%1 and {auto.rap}=1").arg(year);
    m_context.reports->show(this, request);
}

} // namespace vok
