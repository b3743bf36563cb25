#include "cards/decontwindow.h"

#include "cards/cardstore.h"
#include "fuel/refuelwindow.h"
#include "reports/reportrequest.h"
#include "reports/reportservice.h"
#include "ui/gridexport.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QComboBox>
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

QString DecontWindow::reportSelection(int year, int month)
{
    return QStringLiteral("{tranzactii.anul}=%1 and {tranzactii.idl}=%2").arg(year).arg(month);
}

DecontWindow::DecontWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("decont"));
    setWindowTitle(QStringLiteral("Decont carduri"));

    m_an = new QComboBox(this);
    m_an->setObjectName(QStringLiteral("an"));
    m_luna = new QComboBox(this);
    m_luna->setObjectName(QStringLiteral("luna"));
    lists::fillPeriod(m_an, m_luna);
    // The month a statement usually covers: the one before.
    if (m_luna->currentIndex() > 0)
        m_luna->setCurrentIndex(m_luna->currentIndex() - 1);
    else if (m_an->currentIndex() > 0) {
        m_an->setCurrentIndex(m_an->currentIndex() - 1);
        m_luna->setCurrentIndex(m_luna->count() - 1);
    }

    m_model = new QStandardItemModel(0, 5, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Nr. inmatriculare"), QStringLiteral("Nr. foaie"),
                                        QStringLiteral("Data"), QStringLiteral("Constatare"), QStringLiteral("Detalii")});
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
    const gridexport::Actions exports = gridexport::install(m_grid, m_context.messages, QStringLiteral("decont carduri"));

    m_total = new QLabel(this);
    m_total->setObjectName(QStringLiteral("total"));
    auto *note = new QLabel(QStringLiteral("Extrasele de card si facturile (CONTROL > Carduri combustibil) fata de foile de "
                                           "parcurs, normativ si rezervor. Enter sau dublu-click deschide foaia in ALIMENTARE; "
                                           "nimic nu se modifica."),
                            this);
    note->setWordWrap(true);

    m_report = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Raport"));
    m_report->setToolTip(QStringLiteral("Tranzactiile cu cardul ale lunii, pe carduri"));
    m_export = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Export Excel"));
    m_exit = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Iesire"));

    auto *choice = new QHBoxLayout;
    choice->addWidget(widgets::labelFor(this, QStringLiteral("Anul"), m_an));
    choice->addWidget(m_an);
    choice->addSpacing(12);
    choice->addWidget(widgets::labelFor(this, QStringLiteral("Luna"), m_luna));
    choice->addWidget(m_luna);
    choice->addStretch(1);
    choice->addWidget(m_total);

    auto *buttons = new QHBoxLayout;
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

    QWidget::setTabOrder(m_an, m_luna);
    QWidget::setTabOrder(m_luna, m_grid);
    QWidget::setTabOrder(m_grid, m_report);
    QWidget::setTabOrder(m_report, m_export);
    QWidget::setTabOrder(m_export, m_exit);

    connect(m_an, &QComboBox::currentIndexChanged, this, &DecontWindow::refresh);
    connect(m_luna, &QComboBox::currentIndexChanged, this, &DecontWindow::refresh);
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &index) { openFinding(index.row()); });
    keys::onEnterKey(m_grid, [this](const QModelIndex &index) { openFinding(index.row()); });
    connect(m_report, &QPushButton::clicked, this, &DecontWindow::report);
    connect(m_export, &QPushButton::clicked, exports.excel, &QAction::trigger);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);

    refresh();
    resize(900, 560);
    m_an->setFocus();
}

void DecontWindow::refresh()
{
    const int year = lists::chosenYear(m_an);
    const int month = lists::chosenMonth(m_luna);
    QList<cards::CardFinding> found;
    if (year > 0 && month > 0)
        guarded(m_context.messages, this, [&] {
            widgets::WaitCursor wait;
            found = cards::reconcile(cards::CardStore(m_context.db).loadMonth(year, month));
        });
    m_findings = found;
    m_model->removeRows(0, m_model->rowCount());
    for (const cards::CardFinding &f : std::as_const(m_findings))
        m_model->appendRow({cell(f.nrauto), cell(f.nrf > 0 ? QVariant(f.nrf) : QVariant(), Qt::AlignRight | Qt::AlignVCenter),
                            cell(f.date.toString(QStringLiteral("dd.MM.yyyy")), Qt::AlignCenter),
                            cell(cards::kindCaption(f.kind)), cell(f.detail)});
    m_grid->resizeColumnsToContents();
    m_total->setText(m_findings.isEmpty() ? QStringLiteral("Nicio constatare")
                                          : QStringLiteral("%1 constatari").arg(m_findings.size()));
}

void DecontWindow::openFinding(int row)
{
    if (row < 0 || row >= m_findings.size())
        return;
    const cards::CardFinding finding = m_findings.at(row);
    if (finding.nrf <= 0) {
        m_context.messages->inform(this, QStringLiteral(" Constatarea nu priveste o foaie de parcurs (%1) !!! ")
                                             .arg(cards::kindCaption(finding.kind)));
        activateWindow();
        m_grid->setFocus();
        return;
    }
    {
        RefuelWindow refuel(m_context, this);
        if (refuel.openSheet(finding.nrauto, finding.date.year(), finding.date.month(), finding.nrf))
            refuel.exec();
        else
            m_context.messages->inform(this, QStringLiteral(" Foaia de parcurs %1 a autovehiculului %2 nu poate fi "
                                                             "deschisa (stearsa sau autovehicul scos) !!! ")
                                                  .arg(finding.nrf)
                                                  .arg(finding.nrauto));
    }
    // The clerk may have corrected the refuelling: the findings as they are now.
    refresh();
    activateWindow();
    const int back = std::min(row, int(m_model->rowCount()) - 1);
    if (back >= 0)
        m_grid->setCurrentIndex(m_model->index(back, 0));
    m_grid->setFocus();
}

void DecontWindow::report()
{
    ReportRequest request;
    request.reportFile = reportFile();
    request.dataFile = m_context.dataFile;
    request.selection = reportSelection(lists::chosenYear(m_an), lists::chosenMonth(m_luna));
    request.sortFields = {QStringLiteral("+{tranzactii.nrcard}")};
    m_context.reports->show(this, request);
}

} // namespace vok
