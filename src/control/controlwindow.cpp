#include "control/controlwindow.h"

#include "base/texts.h"
#include "control/auditstore.h"
#include "fleet/vehiclestore.h"
#include "reports/reportrequest.h"
#include "reports/reportservice.h"
#include "trips/tripwindow.h"
#include "ui/gridexport.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

QStandardItem *cell(const QVariant &value, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *item = new QStandardItem;
    item->setData(value, Qt::DisplayRole);
    item->setData(int(alignment), Qt::TextAlignmentRole);
    item->setEditable(false);
    return item;
}

} // namespace

QString ControlWindow::allVehicles() { return QStringLiteral("(toate)"); }

QString ControlWindow::reportSelection(int year, int month, int ida)
{
    return QStringLiteral("{foaie.anul}=%1 and {foaie.idl}=%2 and {foaie.ida}=%3").arg(year).arg(month).arg(ida);
}

ControlWindow::ControlWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("control"));
    setWindowTitle(QStringLiteral("Control consum"));

    m_an = new QComboBox(this);
    m_an->setObjectName(QStringLiteral("an"));
    m_luna = new QComboBox(this);
    m_luna->setObjectName(QStringLiteral("luna"));
    lists::fillPeriod(m_an, m_luna);
    m_nra = new QComboBox(this);
    m_nra->setObjectName(QStringLiteral("nra"));
    m_nra->setMinimumWidth(140);
    m_nra->addItem(allVehicles());
    guarded(m_context.messages, this, [this] {
        for (const QString &nrauto : VehicleStore(m_context.db).visibleNumbers())
            m_nra->addItem(nrauto);
    });

    m_model = new QStandardItemModel(0, 5, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Nr. inmatriculare"), QStringLiteral("Nr. foaie"),
                                        QStringLiteral("Data"), QStringLiteral("Constatare"),
                                        QStringLiteral("Detalii")});
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("constatari"));
    m_grid->setModel(m_model);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setTabKeyNavigation(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setMinimumSize(760, 320);
    const gridexport::Actions exports = gridexport::install(m_grid, m_context.messages, QStringLiteral("control"));

    m_total = new QLabel(this);
    m_total->setObjectName(QStringLiteral("total"));
    auto *note = new QLabel(QStringLiteral("Enter sau dublu-click pe o constatare deschide foaia de parcurs. "
                                           "Valorile neinregistrate nu dau constatari; nimic nu se modifica."),
                            this);
    note->setWordWrap(true);

    m_report = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Raport"));
    m_report->setToolTip(QStringLiteral("Economii si depasiri ale autovehiculului ales in luna aleasa"));
    m_export = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Export Excel"));
    m_exit = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Iesire"));

    auto *choice = new QHBoxLayout;
    choice->addWidget(widgets::labelFor(this, QStringLiteral("Anul"), m_an));
    choice->addWidget(m_an);
    choice->addSpacing(12);
    choice->addWidget(widgets::labelFor(this, QStringLiteral("Numar inmatriculare"), m_nra));
    choice->addWidget(m_nra);
    choice->addStretch(1);
    choice->addWidget(m_total);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(widgets::labelFor(this, QStringLiteral("Luna"), m_luna));
    buttons->addWidget(m_luna);
    buttons->addWidget(m_report);
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addStretch(1);
    buttons->addWidget(m_exit);

    auto *main = new QVBoxLayout(this);
    main->addLayout(choice);
    main->addWidget(m_grid, 1);
    main->addWidget(note);
    main->addLayout(buttons);

    QWidget::setTabOrder(m_an, m_nra);
    QWidget::setTabOrder(m_nra, m_grid);
    QWidget::setTabOrder(m_grid, m_luna);
    QWidget::setTabOrder(m_luna, m_report);
    QWidget::setTabOrder(m_report, m_export);
    QWidget::setTabOrder(m_export, m_exit);

    connect(m_an, &QComboBox::currentIndexChanged, this, &ControlWindow::refresh);
    connect(m_nra, &QComboBox::currentIndexChanged, this, &ControlWindow::refresh);
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &index) { openFinding(index.row()); });
    keys::onEnterKey(m_grid, [this](const QModelIndex &index) { openFinding(index.row()); });
    connect(m_report, &QPushButton::clicked, this, &ControlWindow::report);
    connect(m_export, &QPushButton::clicked, exports.excel, &QAction::trigger);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);

    refresh();
    resize(900, 560);
    m_an->setFocus();
}

void ControlWindow::refresh()
{
    const int year = m_an->currentText().toInt();
    const QString nrauto = m_nra->currentIndex() > 0 ? m_nra->currentText() : QString();
    QList<control::Finding> found;
    guarded(m_context.messages, this, [&] {
        widgets::WaitCursor wait;
        int ida = 0;
        if (!nrauto.isEmpty()) {
            const std::optional<Vehicle> vehicle = VehicleStore(m_context.db).byNumber(nrauto);
            if (!vehicle)
                return;
            ida = vehicle->ida;
        }
        found = control::auditYear(m_context.db, year, ida);
    });
    m_findings = found;
    m_model->removeRows(0, m_model->rowCount());
    for (const control::Finding &f : std::as_const(m_findings))
        m_model->appendRow({cell(f.nrauto), cell(f.nrf, Qt::AlignRight | Qt::AlignVCenter),
                            cell(f.data, Qt::AlignCenter), cell(control::kindCaption(f.kind)), cell(f.detail)});
    // The columns as wide as what they show, the details to the grid's edge.
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->resizeColumnsToContents();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_total->setText(m_findings.isEmpty() ? QStringLiteral("Nicio constatare")
                                          : QStringLiteral("%1 constatari").arg(m_findings.size()));
}

void ControlWindow::openFinding(int row)
{
    if (row < 0 || row >= m_findings.size())
        return;
    const control::Finding finding = m_findings.at(row);
    {
        TripWindow trips(m_context, this);
        if (trips.showSheet(finding.nrauto, finding.nrf))
            trips.exec();
        else
            m_context.messages->inform(this, QStringLiteral(" Foaia de parcurs %1 a autovehiculului %2 nu poate fi "
                                                             "deschisa (stearsa sau autovehicul scos) !!! ")
                                                  .arg(finding.nrf)
                                                  .arg(finding.nrauto));
    }
    // The clerk may have corrected the sheet: the findings as they are now.
    refresh();
    activateWindow();
    const int back = std::min(row, int(m_model->rowCount()) - 1);
    if (back >= 0)
        m_grid->setCurrentIndex(m_model->index(back, 0));
    m_grid->setFocus();
}

void ControlWindow::report()
{
    if (m_nra->currentIndex() <= 0) {
        m_context.messages->inform(this, texts::noVehicle());
        activateWindow();
        m_nra->setFocus();
        return;
    }
    std::optional<Vehicle> vehicle;
    if (!guarded(m_context.messages, this, [&] { vehicle = VehicleStore(m_context.db).byNumber(m_nra->currentText()); })
        || !vehicle)
        return;
    ReportRequest request;
    request.reportFile = reportFile();
    request.dataFile = m_context.dataFile;
    request.selection = reportSelection(m_an->currentText().toInt(), m_luna->currentIndex() + 1, vehicle->ida);
    request.sortFields = {QStringLiteral("+{foaie.nrf}")};
    m_context.reports->show(this, request);
}

} // namespace vok
