#include "months/monthstatuswindow.h"

#include "base/calendar.h"
#include "base/numbers.h"
#include "months/activitywindow.h"
#include "months/recomputedialog.h"
#include "ui/gridexport.h"
#include "ui/guard.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QDate>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vok {

namespace {

QColor cellColour(MonthState state)
{
    switch (state) {
    case MonthState::Current: return QColor(0xc8, 0xe6, 0xc9);   // green
    case MonthState::Stale: return QColor(0xff, 0xcc, 0x80);     // orange
    case MonthState::NotClosed: return QColor(0xef, 0x9a, 0x9a); // red
    case MonthState::Restarts: return QColor(0xbb, 0xde, 0xfb);  // blue
    case MonthState::NoSheets: break;
    }
    return {};
}

// What the chosen month's detail says of its state.
QString stateExplanation(MonthState state)
{
    switch (state) {
    case MonthState::Current: return QStringLiteral("V.O.K.-ul lunii este actualizat.");
    case MonthState::Stale:
        return QStringLiteral("Datele s-au schimbat dupa inchiderea lunii (memorat -> recalculat):");
    case MonthState::NotClosed:
        return QStringLiteral("Luna are foi de parcurs, dar V.O.K.-ul ei nu a fost vizualizat.");
    case MonthState::Restarts:
        return QStringLiteral("Luna precedenta nu are V.O.K. (nu a fost inchisa sau nu are foi): V.O.K.-ul lunii a "
                              "pornit din valorile introduse la SETARI.");
    case MonthState::NoSheets: break;
    }
    return QStringLiteral("Nicio foaie de parcurs in aceasta luna.");
}

} // namespace

// The grid: one row per listed vehicle (its number in the row heading), one
// column per month.
class MonthStatusModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setVehicles(QList<VehicleMonths> vehicles)
    {
        beginResetModel();
        m_vehicles = std::move(vehicles);
        endResetModel();
    }
    const QList<VehicleMonths> &vehicles() const { return m_vehicles; }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_vehicles.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 12; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const MonthStatus &m = m_vehicles.at(index.row()).months[static_cast<size_t>(index.column())];
        switch (role) {
        case Qt::DisplayRole: return MonthStatusWindow::cellText(m.state);
        case Qt::BackgroundRole: {
            const QColor colour = cellColour(m.state);
            return colour.isValid() ? QVariant(colour) : QVariant();
        }
        case Qt::ForegroundRole:
            return cellColour(m.state).isValid() ? QVariant(QColor(Qt::black)) : QVariant();
        case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
        case Qt::ToolTipRole: return stateExplanation(m.state);
        case Qt::FontRole:
            // The longest state a little smaller, so that twelve months still fit 1024 pixels.
            if (m.state == MonthState::Restarts) {
                QFont font;
                font.setPointSizeF(font.pointSizeF() * 0.85);
                return font;
            }
            return {};
        default: return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Horizontal)
            return monthName(section + 1).left(3);
        return section < m_vehicles.size() ? m_vehicles.at(section).nrauto : QVariant();
    }

private:
    QList<VehicleMonths> m_vehicles;
};

QString MonthStatusWindow::cellText(MonthState state)
{
    switch (state) {
    case MonthState::Current: return QStringLiteral("ok");
    case MonthState::Stale: return QStringLiteral("modificat");
    case MonthState::NotClosed: return QStringLiteral("neinchis");
    case MonthState::Restarts: return QStringLiteral("din SETARI");
    case MonthState::NoSheets: break;
    }
    return {};
}

QString MonthStatusWindow::noMonthChosenText() { return QStringLiteral(" Selectati o luna din tabel !!! "); }

QString MonthStatusWindow::recomputeOneText(const QString &nrauto, int year, int month)
{
    return QStringLiteral(" Recalculati V.O.K.-urile autovehiculului %1 de la %2 %3 pana la ultima luna cu foi ? ")
        .arg(nrauto, monthName(month))
        .arg(year);
}

QString MonthStatusWindow::recomputeAllText(int year)
{
    return QStringLiteral(" Recalculati V.O.K.-urile tuturor autovehiculelor de la ianuarie %1 pana la ultima "
                          "luna cu foi ? ")
        .arg(year);
}

MonthStatusWindow::MonthStatusWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("situatie"));
    setWindowTitle(QStringLiteral("Situatia lunilor"));

    m_an = new QComboBox(this);
    m_an->setObjectName(QStringLiteral("an"));
    lists::fillYears(m_an);
    m_an->setCurrentIndex(m_an->count() - 1);

    auto *legend = new QLabel(
        QStringLiteral("ok = V.O.K. actualizat;  modificat = date schimbate dupa inchidere;  "
                       "neinchis = V.O.K. nevizualizat;  din SETARI = pornit din valorile de la SETARI;  "
                       "gol = fara foi de parcurs"),
        this);
    legend->setObjectName(QStringLiteral("Label2"));
    legend->setWordWrap(true);

    m_model = new MonthStatusModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("luni"));
    m_grid->setModel(m_model);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setTabKeyNavigation(false);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grid->horizontalHeader()->setMinimumSectionSize(fontMetrics().horizontalAdvance(QStringLiteral("modificat")) + 12);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_grid->verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("CT-99-WWW-XX")) + 12);
    m_grid->setMinimumHeight(260);
    m_grid->installEventFilter(this);
    gridexport::install(m_grid, m_context.messages, [this] { return QStringLiteral("Situatia lunilor ") + m_an->currentText(); });

    m_detail = new QLabel(this);
    m_detail->setObjectName(QStringLiteral("detaliu"));
    m_detail->setWordWrap(true);
    m_differences = new QTableWidget(0, 3, this);
    m_differences->setObjectName(QStringLiteral("diferente"));
    m_differences->setHorizontalHeaderLabels(
        {QStringLiteral("Coloana"), QStringLiteral("Memorat"), QStringLiteral("Recalculat")});
    m_differences->verticalHeader()->hide();
    m_differences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_differences->setSelectionMode(QAbstractItemView::NoSelection);
    m_differences->setFocusPolicy(Qt::NoFocus);
    m_differences->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_differences->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_differences->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_differences->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_differences->setFixedHeight(m_differences->horizontalHeader()->sizeHint().height()
                                  + 7 * (fontMetrics().height() + 6) + 4);

    auto *detailBox = new QGroupBox(QStringLiteral("Luna aleasa"), this);
    auto *detailLayout = new QVBoxLayout(detailBox);
    detailLayout->addWidget(m_detail);
    detailLayout->addWidget(m_differences);

    m_recomputeOne = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Recalculare"));
    m_recomputeAll = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Recalculare toate"));
    m_activity = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("V.O.K."));
    auto *exitButton = widgets::button(this, QStringLiteral("Command4"), QStringLiteral("Iesire"));
    m_done = new QLabel(this);
    m_done->setObjectName(QStringLiteral("stare"));

    auto *top = new QHBoxLayout;
    top->addWidget(widgets::labelFor(this, QStringLiteral("A&nul"), m_an));
    top->addWidget(m_an);
    top->addSpacing(16);
    top->addWidget(legend, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_recomputeOne);
    buttons->addWidget(m_recomputeAll);
    buttons->addWidget(m_activity);
    buttons->addWidget(m_done, 1);
    buttons->addWidget(exitButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(widgets::labelFor(this, QStringLiteral("&Lunile autovehiculelor"), m_grid));
    layout->addWidget(m_grid, 1);
    layout->addWidget(detailBox);
    layout->addLayout(buttons);
    resize(980, 700);

    setTabOrder(m_an, m_grid);
    setTabOrder(m_grid, m_recomputeOne);
    setTabOrder(m_recomputeOne, m_recomputeAll);
    setTabOrder(m_recomputeAll, m_activity);
    setTabOrder(m_activity, exitButton);

    connect(m_an, &QComboBox::currentIndexChanged, this, &MonthStatusWindow::reload);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &MonthStatusWindow::showDetail);
    connect(m_grid, &QTableView::doubleClicked, this, &MonthStatusWindow::openActivity);
    connect(m_recomputeOne, &QPushButton::clicked, this, &MonthStatusWindow::recomputeOne);
    connect(m_recomputeAll, &QPushButton::clicked, this, &MonthStatusWindow::recomputeAll);
    connect(m_activity, &QPushButton::clicked, this, &MonthStatusWindow::openActivity);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    reload();
    m_grid->setFocus();
}

bool MonthStatusWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on a month opens its V.O.K.
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openActivity();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool MonthStatusWindow::chosenCell(int &row, int &month) const
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return false;
    row = current.row();
    month = current.column() + 1;
    return true;
}

void MonthStatusWindow::reload()
{
    const QModelIndex before = m_grid->currentIndex();
    QString vehicle;
    if (before.isValid())
        vehicle = m_model->vehicles().at(before.row()).nrauto;
    QList<VehicleMonths> vehicles;
    guarded(m_context.messages, this, [&] {
        widgets::WaitCursor wait;
        vehicles = fleetMonths(m_context.db, lists::chosenYear(m_an));
    });
    m_model->setVehicles(vehicles);
    if (m_model->rowCount() == 0) {
        showDetail();
        return;
    }
    // The same vehicle and month again; else the first vehicle, this month
    // or the first one.
    int row = 0;
    for (int i = 0; i < vehicles.size(); ++i)
        if (vehicles.at(i).nrauto == vehicle)
            row = i;
    const QDate today = QDate::currentDate();
    int column = before.isValid() ? before.column()
                                  : (lists::chosenYear(m_an) == today.year() ? today.month() - 1 : 0);
    m_grid->setCurrentIndex(m_model->index(row, column));
    showDetail();
}

void MonthStatusWindow::showDetail()
{
    m_differences->setRowCount(0);
    int row = 0, month = 0;
    if (!chosenCell(row, month)) {
        m_detail->setText(m_model->rowCount() == 0 ? QStringLiteral("Niciun autovehicul in liste.") : QString());
        return;
    }
    const VehicleMonths &vehicle = m_model->vehicles().at(row);
    const MonthStatus &status = vehicle.months[static_cast<size_t>(month - 1)];
    QString heading = QStringLiteral("%1, %2 %3").arg(vehicle.nrauto, monthName(month)).arg(vehicle.year);
    const QString text = cellText(status.state);
    if (!text.isEmpty())
        heading += QStringLiteral(" (") + text + u')';
    QString explanation = stateExplanation(status.state);
    // A stale month of an earlier year carries over into this one.
    if (status.state == MonthState::Stale && !vehicle.earlier.isEmpty()) {
        QStringList earlier;
        for (const MonthChange &c : vehicle.earlier)
            earlier << monthName(c.month) + u' ' + QString::number(c.year);
        explanation = QStringLiteral("Luni de dinainte nu mai sunt actualizate (%1), iar restul si kilometrii lor trec in "
                                     "aceasta luna (memorat -> recalculat):")
                          .arg(earlier.join(QStringLiteral(", ")));
    }
    m_detail->setText(QStringLiteral("<b>%1</b>: %2").arg(heading.toHtmlEscaped(), explanation.toHtmlEscaped()));
    for (const ColumnChange &change : status.changes) {
        const int at = m_differences->rowCount();
        m_differences->insertRow(at);
        const QString mask = columnMask(change.column);
        auto *caption = new QTableWidgetItem(columnCaption(change.column));
        auto *stored = new QTableWidgetItem(formatNumber(change.stored, mask));
        auto *recomputed = new QTableWidgetItem(formatNumber(change.recomputed, mask));
        stored->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        recomputed->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_differences->setItem(at, 0, caption);
        m_differences->setItem(at, 1, stored);
        m_differences->setItem(at, 2, recomputed);
    }
}

void MonthStatusWindow::finishRecompute(int vehicles, int months, bool complete)
{
    m_done->setText((complete ? QStringLiteral("Recalculare terminata. ") : QStringLiteral("Recalculare oprita. "))
                    + QStringLiteral("Luni modificate: %1; autovehicule recalculate: %2.").arg(months).arg(vehicles));
    reload();
}

void MonthStatusWindow::recomputeOne()
{
    int row = 0, month = 0;
    if (!chosenCell(row, month)) {
        m_context.messages->inform(this, noMonthChosenText());
        m_grid->setFocus();
        return;
    }
    const VehicleMonths &vehicle = m_model->vehicles().at(row);
    const int year = vehicle.year;
    if (!m_context.messages->confirm(this, recomputeOneText(vehicle.nrauto, year, month)))
        return;
    const RecomputeRun run = recomputeWithProgress(m_context, this, {{vehicle.ida, vehicle.nrauto}}, year, month);
    finishRecompute(run.vehiclesDone, run.monthsChanged, run.complete);
}

void MonthStatusWindow::recomputeAll()
{
    const int year = lists::chosenYear(m_an);
    if (m_model->rowCount() == 0 || !m_context.messages->confirm(this, recomputeAllText(year)))
        return;
    QList<ListedVehicle> vehicles;
    for (const VehicleMonths &v : m_model->vehicles())
        vehicles.append({v.ida, v.nrauto});
    const RecomputeRun run = recomputeWithProgress(m_context, this, vehicles, year, 1);
    finishRecompute(run.vehiclesDone, run.monthsChanged, run.complete);
}

void MonthStatusWindow::openActivity()
{
    int row = 0, month = 0;
    if (!chosenCell(row, month)) {
        m_context.messages->inform(this, noMonthChosenText());
        m_grid->setFocus();
        return;
    }
    const VehicleMonths vehicle = m_model->vehicles().at(row);
    {
        ActivityWindow window(m_context, this);
        window.choose(vehicle.nrauto, vehicle.year, month);
        window.exec();
    }
    // The month may have been closed meanwhile.
    reload();
    m_grid->setFocus();
}

} // namespace vok
