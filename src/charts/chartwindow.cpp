#include "charts/chartwindow.h"

#include "base/calendar.h"
#include "base/numbers.h"
#include "charts/chartmonthstatus.h"
#include "charts/chartstore.h"
#include "ui/filedialog.h"
#include "ui/guard.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QTabWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <cmath>

namespace vok {

namespace {

using charts::Anomaly;
using charts::YearMonth;

// The longest range the month axis stays readable with.
constexpr int maximumMonths = 36;
// The fleet's charts show the first vehicles of the ranking.
constexpr int fleetShown = 25;

const char *const pageNames[] = {"Kilometri", "Combustibil", "Consum la 100 km", "Consum real", "Parc: consum la 100 km",
                                 "Parc: rest in rezervor"};

QChart *newChart(const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    QFont font = chart->titleFont();
    font.setBold(true);
    chart->setTitleFont(font);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    QFont legend = chart->legend()->font();
    legend.setPointSizeF(std::max(7.0, legend.pointSizeF() * 0.9));
    chart->legend()->setFont(legend);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

// The months of the range; a month whose sheets wait for their V.O.K. is
// marked "*" (the axis says so).
QBarCategoryAxis *monthAxis(const charts::VehicleChart &c, const QSet<int> &unclosed)
{
    // Within one year (named in the title) the month alone; across years the
    // month with its year, written upwards so that it fits.
    auto *axis = new QBarCategoryAxis;
    const bool oneYear = c.months.isEmpty() || c.months.first().when.year == c.months.last().when.year;
    QStringList labels;
    bool marked = false;
    for (const charts::MonthPoint &p : c.months) {
        QString label = oneYear ? monthName(p.when.month).left(3) : charts::monthLabel(p.when);
        if (unclosed.contains(p.when.index())) {
            label += u'*';
            marked = true;
        }
        labels << label;
    }
    axis->append(labels);
    if (marked)
        axis->setTitleText(QStringLiteral("* luna cu foi de parcurs, fara V.O.K. inchis"));
    if (!oneYear)
        axis->setLabelsAngle(-90);
    return axis;
}

QValueAxis *valueAxis(const QString &title, double low, double high)
{
    auto *axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    if (high <= low)
        high = low + 1;
    axis->setRange(low, high + (high - low) * 0.08);
    axis->applyNiceNumbers();
    return axis;
}

void attach(QChart *chart, QAbstractSeries *series, QAbstractAxis *x, QAbstractAxis *y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

// The chart of `sets` as bars over the categories of `categories`, measured
// on `values`; horizontal bars (a ranking) read from the left axis.
QChart *barChart(const QString &title, const QList<QBarSet *> &sets, QBarCategoryAxis *categories,
                 QValueAxis *values, bool horizontal = false)
{
    QChart *chart = newChart(title);
    QAbstractBarSeries *bars = horizontal ? static_cast<QAbstractBarSeries *>(new QHorizontalBarSeries)
                                          : static_cast<QAbstractBarSeries *>(new QBarSeries);
    bars->append(sets);
    chart->addAxis(categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    attach(chart, bars, categories, values);
    return chart;
}

// A horizontal line over every month (x from -0.5 to n - 0.5).
QLineSeries *level(const QString &name, double value, int months, const QColor &color)
{
    auto *line = new QLineSeries;
    line->setName(name);
    line->append(-0.5, value);
    line->append(months - 0.5, value);
    QPen pen(color);
    pen.setWidthF(2);
    pen.setStyle(Qt::DashLine);
    line->setPen(pen);
    return line;
}

// A line through the months that have a value (`values` by month, from 0);
// a month without one breaks it, so that nothing reads as 0 there. One
// legend entry for all its pieces; a month alone shows as its point.
void brokenLine(QChart *chart, QAbstractAxis *x, QAbstractAxis *y, const QString &name, const QPen &pen,
                const QVector<std::optional<double>> &values)
{
    QLineSeries *segment = nullptr;
    bool named = false;
    for (int i = 0; i < values.size(); ++i) {
        if (!values[i]) {
            segment = nullptr;
            continue;
        }
        if (!segment) {
            segment = new QLineSeries;
            segment->setName(name);
            segment->setPen(pen);
            segment->setPointsVisible(true);
            attach(chart, segment, x, y);
            const auto markers = chart->legend()->markers(segment);
            if (named && !markers.isEmpty())
                markers.first()->setVisible(false);
            named = true;
        }
        segment->append(i, *values[i]);
    }
}

QScatterSeries *marks(const QString &name, const QColor &color, QScatterSeries::MarkerShape shape)
{
    auto *s = new QScatterSeries;
    s->setName(name);
    s->setColor(color);
    s->setBorderColor(color.darker());
    s->setMarkerShape(shape);
    s->setMarkerSize(14);
    return s;
}

QString vehicleTitle(const charts::Vehicle &v, const QString &what)
{
    return v.nrauto.isEmpty() ? what : v.nrauto + QStringLiteral(" - ") + v.marca + QStringLiteral(": ") + what;
}

QString periodText(const charts::VehicleChart &c)
{
    if (c.months.isEmpty())
        return {};
    return charts::monthLabel(c.months.first().when) + QStringLiteral(" - ") + charts::monthLabel(c.months.last().when);
}

} // namespace

ChartWindow::ChartWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("grafice"));
    setWindowTitle(QStringLiteral("Grafice"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);

    m_nra = new QComboBox(this);
    m_nra->setObjectName(QStringLiteral("nra"));
    m_nra->setMinimumContentsLength(12);
    m_tip = new QLabel(this);
    m_tip->setObjectName(QStringLiteral("tip"));
    auto combo = [this](const char *name) {
        auto *c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    m_fromMonth = combo("luna1");
    m_fromYear = combo("an1");
    m_toMonth = combo("luna2");
    m_toYear = combo("an2");
    m_year = combo("an");
    lists::fillMonths(m_fromMonth);
    lists::fillMonths(m_toMonth);
    lists::fillYears(m_fromYear);
    lists::fillYears(m_toYear);
    lists::fillYears(m_year);

    auto *choices = new QGridLayout;
    choices->addWidget(widgets::labelFor(this, QStringLiteral("Nr. &auto"), m_nra), 0, 0);
    choices->addWidget(m_nra, 0, 1, 1, 2);
    choices->addWidget(m_tip, 0, 3, 1, 5);
    choices->addWidget(widgets::labelFor(this, QStringLiteral("&De la"), m_fromMonth), 1, 0);
    choices->addWidget(m_fromMonth, 1, 1);
    choices->addWidget(m_fromYear, 1, 2);
    choices->addWidget(widgets::labelFor(this, QStringLiteral("&Pana la"), m_toMonth), 1, 3, Qt::AlignRight);
    choices->addWidget(m_toMonth, 1, 4);
    choices->addWidget(m_toYear, 1, 5);
    choices->addWidget(widgets::labelFor(this, QStringLiteral("Parc auto, a&nul"), m_year), 1, 6, Qt::AlignRight);
    choices->addWidget(m_year, 1, 7);
    choices->setColumnStretch(3, 1);
    choices->setColumnStretch(6, 1);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("grafic"));
    for (int p = 0; p < PageCount; ++p) {
        m_views[p] = new QChartView(newChart(QString()), m_tabs);
        m_views[p]->setObjectName(QStringLiteral("grafic%1").arg(p + 1));
        m_views[p]->setRenderHint(QPainter::Antialiasing);
        m_views[p]->setAccessibleName(QString::fromLatin1(pageNames[p]));
        m_tabs->addTab(m_views[p], QString::fromLatin1(pageNames[p]));
    }

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("anomalii"));
    m_list->setWordWrap(true);
    m_list->setMinimumWidth(200);
    m_list->setMaximumWidth(220);
    m_listTitle = widgets::labelFor(this, QStringLiteral("&Observatii"), m_list);
    m_listTitle->setWordWrap(true);
    m_listTitle->setMaximumWidth(220);
    widgets::setBold(m_listTitle);

    m_print = widgets::button(this, QStringLiteral("tiparire"), QStringLiteral("&Tiparire"));
    m_png = widgets::button(this, QStringLiteral("salvarePng"), QStringLiteral("Salvare PN&G"));
    m_pdf = widgets::button(this, QStringLiteral("salvarePdf"), QStringLiteral("&Salvare PDF"));
    m_exit = widgets::button(this, QStringLiteral("iesire"), QStringLiteral("&Iesire"));

    auto *side = new QVBoxLayout;
    side->addWidget(m_listTitle);
    side->addWidget(m_list, 1);
    auto *middle = new QHBoxLayout;
    middle->addWidget(m_tabs, 1);
    middle->addLayout(side);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_print);
    buttons->addWidget(m_png);
    buttons->addWidget(m_pdf);
    buttons->addStretch(1);
    buttons->addWidget(m_exit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    setTabOrder(m_nra, m_fromMonth);
    setTabOrder(m_fromMonth, m_fromYear);
    setTabOrder(m_fromYear, m_toMonth);
    setTabOrder(m_toMonth, m_toYear);
    setTabOrder(m_toYear, m_year);
    setTabOrder(m_year, m_tabs);
    setTabOrder(m_tabs, m_list);
    setTabOrder(m_list, m_print);
    setTabOrder(m_print, m_png);
    setTabOrder(m_png, m_pdf);
    setTabOrder(m_pdf, m_exit);

    // The lists first, then the choices they lead to.
    guarded(m_context.messages, this, [&] {
        const ChartStore store(m_context.db);
        m_vehicles = store.listedVehicles();
        const std::optional<YearMonth> latest = store.latestClosedMonth();
        const int year = latest ? latest->year : QDate::currentDate().year();
        m_year->setCurrentIndex(std::max(0, m_year->findText(QString::number(year))));
    });
    for (const charts::Vehicle &v : m_vehicles)
        m_nra->addItem(v.nrauto);

    connect(m_nra, &QComboBox::currentIndexChanged, this, &ChartWindow::chooseVehicle);
    for (QComboBox *c : {m_fromMonth, m_fromYear})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { rangeChanged(true); });
    for (QComboBox *c : {m_toMonth, m_toYear})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { rangeChanged(false); });
    connect(m_year, &QComboBox::currentIndexChanged, this, &ChartWindow::refreshFleet);
    connect(m_tabs, &QTabWidget::currentChanged, this, &ChartWindow::showObservations);
    connect(m_print, &QPushButton::clicked, this, &ChartWindow::print);
    connect(m_png, &QPushButton::clicked, this, [this] { askAndSave(false); });
    connect(m_pdf, &QPushButton::clicked, this, [this] { askAndSave(true); });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);

    chooseVehicle();
    refreshFleet();
    resize(1010, 700); // the six pages' tabs side by side, without scrolling
    m_nra->setFocus();
}

ChartWindow::~ChartWindow() = default;

QChart *ChartWindow::chart(Page page) const { return m_views[page]->chart(); }

YearMonth ChartWindow::from() const { return {lists::chosenYear(m_fromYear), lists::chosenMonth(m_fromMonth)}; }

YearMonth ChartWindow::to() const { return {lists::chosenYear(m_toYear), lists::chosenMonth(m_toMonth)}; }

void ChartWindow::setRange(YearMonth from, YearMonth to)
{
    const QSignalBlocker a(m_fromMonth), b(m_fromYear), c(m_toMonth), d(m_toYear);
    m_fromMonth->setCurrentIndex(from.month - 1);
    m_fromYear->setCurrentIndex(std::max(0, m_fromYear->findText(QString::number(from.year))));
    m_toMonth->setCurrentIndex(to.month - 1);
    m_toYear->setCurrentIndex(std::max(0, m_toYear->findText(QString::number(to.year))));
}

void ChartWindow::chooseVehicle()
{
    const int index = m_nra->currentIndex();
    const QDate today = QDate::currentDate();
    QVector<YearMonth> closed, withSheets;
    if (index >= 0 && index < m_vehicles.size()) {
        m_tip->setText(lists::makeCaption(m_vehicles[index].marca));
        guarded(m_context.messages, this, [&] {
            const ChartStore store(m_context.db);
            closed = store.closedMonths(m_vehicles[index].ida);
            withSheets = store.sheetMonths(m_vehicles[index].ida);
        });
    } else {
        m_tip->clear();
    }
    auto [first, last] = charts::defaultRange(closed, withSheets, {today.year(), today.month()});
    // The year lists start in 2006.
    if (first.year < FirstYear)
        first = {FirstYear, 1};
    setRange(first, last);
    refreshVehicle();
}

void ChartWindow::rangeChanged(bool fromChanged)
{
    // The other end follows, so that the range is never upside down nor too
    // long for the month axis.
    int first = from().index(), last = to().index();
    if (fromChanged) {
        if (last < first)
            last = first + 11;
        last = std::min(last, first + maximumMonths - 1);
    } else {
        if (last < first)
            first = last - 11;
        first = std::max(first, last - maximumMonths + 1);
    }
    first = std::max(first, YearMonth{FirstYear, 1}.index());
    last = std::min(last, YearMonth{QDate::currentDate().year(), 12}.index());
    setRange(YearMonth::fromIndex(first), YearMonth::fromIndex(last));
    refreshVehicle();
}

void ChartWindow::setChart(Page page, QChart *chart)
{
    QChart *old = m_views[page]->chart();
    m_views[page]->setChart(chart);
    delete old;
}

void ChartWindow::refreshVehicle()
{
    const int index = m_nra->currentIndex();
    charts::Vehicle vehicle = index >= 0 && index < m_vehicles.size() ? m_vehicles[index] : charts::Vehicle();
    QVector<charts::MonthRow> rows;
    QVector<charts::MeasuredMonth> measured;
    QSet<int> stale;
    guarded(m_context.messages, this, [&] {
        if (vehicle.ida == 0)
            return;
        const ChartStore store(m_context.db);
        if (const auto fresh = store.vehicle(vehicle.ida))
            vehicle = *fresh;
        rows = store.months(vehicle.ida, from(), to());
        measured = charts::measuredMonths(store.sheets(vehicle.ida, from(), to()), from(), to());
        stale = charts::notCurrentMonths(m_context.db, vehicle.ida, from(), to());
    });
    m_vehicle = charts::vehicleChart(vehicle, rows, from(), to());
    m_measured = measured;
    m_vehicleAnomalies = charts::anomalies(m_vehicle, stale);
    const int n = int(m_vehicle.months.size());
    const QString period = periodText(m_vehicle);

    QSet<int> unclosed;
    for (const charts::MonthPoint &p : m_vehicle.months)
        if (!p.closed && stale.contains(p.when.index()))
            unclosed.insert(p.when.index());

    // Kilometres.
    {
        auto *km = new QBarSet(QStringLiteral("Km parcursi"));
        auto *kme = new QBarSet(QStringLiteral("Km echivalenti"));
        double high = 0;
        for (const charts::MonthPoint &p : m_vehicle.months) {
            *km << p.km;
            *kme << p.kme;
            high = std::max({high, p.km, p.kme});
        }
        setChart(Kilometres, barChart(vehicleTitle(vehicle, QStringLiteral("kilometri pe luna, ") + period), {km, kme},
                                      monthAxis(m_vehicle, unclosed), valueAxis(QStringLiteral("km"), 0, high)));
    }

    // Fuel: normed beside received, the rest in tank, the tank's capacity and the marks.
    {
        auto *cn = new QBarSet(QStringLiteral("Consum normat"));
        auto *received = new QBarSet(QStringLiteral("Combustibil primit, minus cel restituit"));
        double low = 0, high = vehicle.capacity;
        for (const charts::MonthPoint &p : m_vehicle.months) {
            *cn << p.cn;
            *received << p.received;
            low = std::min({low, p.received, p.closed ? p.restrez : 0.0});
            high = std::max({high, p.cn, p.received, p.closed ? p.restrez : 0.0});
        }
        QBarCategoryAxis *x = monthAxis(m_vehicle, unclosed);
        QValueAxis *y = valueAxis(QStringLiteral("litri"), low, high);
        QChart *chart = barChart(vehicleTitle(vehicle, QStringLiteral("combustibil (litri), ") + period), {cn, received},
                                 x, y);
        // The rest as a line through the closed months; a month not closed breaks it.
        QVector<std::optional<double>> rests;
        for (const charts::MonthPoint &p : m_vehicle.months)
            rests << (p.closed ? std::optional<double>(p.restrez) : std::nullopt);
        QPen restPen(QColor(0x1f, 0x3a, 0x93));
        restPen.setWidthF(2.5);
        brokenLine(chart, x, y, QStringLiteral("Rest in rezervor"), restPen, rests);
        if (vehicle.capacity > 0)
            attach(chart, level(QStringLiteral("Capacitate (%1 l)").arg(doubleText(vehicle.capacity)),
                                vehicle.capacity, n, QColor(0xc0, 0x39, 0x2b)),
                   x, y);
        QScatterSeries *below = marks(QStringLiteral("Rest sub zero"), QColor(0xe7, 0x4c, 0x3c), QScatterSeries::MarkerShapeCircle);
        QScatterSeries *above = marks(QStringLiteral("Peste capacitate"), QColor(0xf3, 0x9c, 0x12), QScatterSeries::MarkerShapeCircle);
        QScatterSeries *notCurrent = marks(QStringLiteral("Luna neactualizata"), QColor(0x7f, 0x8c, 0x8d), QScatterSeries::MarkerShapeRectangle);
        for (const Anomaly &a : m_vehicleAnomalies) {
            const int at = a.when.index() - m_vehicle.months.first().when.index();
            QScatterSeries *s = a.kind == Anomaly::Kind::RestBelowZero       ? below
                                : a.kind == Anomaly::Kind::RestAboveCapacity ? above
                                                                             : notCurrent;
            s->append(at, a.rest);
        }
        for (QScatterSeries *s : {below, above, notCurrent}) {
            if (s->count() > 0)
                attach(chart, s, x, y);
            else
                delete s;
        }
        // Up to seven entries: they read one under the other beside the chart.
        if (chart->series().size() > 4)
            chart->legend()->setAlignment(Qt::AlignRight);
        setChart(Fuel, chart);
    }

    // Normed litres per 100 equivalent km against the vehicle's average
    // consumption Cm, which is given per equivalent km.
    {
        auto *per100 = new QBarSet(QStringLiteral("Consum normat (litri / 100 km echivalenti)"));
        double high = vehicle.cm;
        for (const charts::MonthPoint &p : m_vehicle.months) {
            *per100 << p.per100km.value_or(0);
            high = std::max(high, p.per100km.value_or(0));
        }
        QBarCategoryAxis *x = monthAxis(m_vehicle, unclosed);
        QValueAxis *y = valueAxis(QStringLiteral("litri / 100 km echivalenti"), 0, high);
        QChart *chart = barChart(vehicleTitle(vehicle, QStringLiteral("consum normat la 100 km echivalenti, ") + period),
                                 {per100}, x, y);
        if (vehicle.cm > 0)
            attach(chart, level(QStringLiteral("Consum mediu Cm (%1)").arg(doubleText(vehicle.cm)), vehicle.cm, n,
                                QColor(0x27, 0xae, 0x60)),
                   x, y);
        setChart(PerHundredKm, chart);
    }

    // Real against normed consumption, from the sheets whose tank was read
    // at departure and at return; the months without one are left out.
    {
        const int first = m_vehicle.months.isEmpty() ? 0 : m_vehicle.months.first().when.index();
        QVector<std::optional<double>> real(n), normed(n);
        double high = 0;
        for (const charts::MeasuredMonth &m : m_measured) {
            const int at = m.when.index() - first;
            if (at < 0 || at >= n)
                continue;
            real[at] = m.real;
            normed[at] = m.normed;
            high = std::max({high, m.real, m.normed});
        }
        QString title = vehicleTitle(vehicle, QStringLiteral("consum real fata de consum normat (litri), ") + period);
        if (m_measured.isEmpty())
            title += QStringLiteral("\nnicio foaie cu rezervorul masurat la plecare si la sosire");
        QChart *chart = newChart(title);
        QBarCategoryAxis *x = monthAxis(m_vehicle, unclosed);
        QValueAxis *y = valueAxis(QStringLiteral("litri"), 0, high);
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        // The normed dashed over the real, so that both show where they meet.
        QPen realPen(QColor(0xc0, 0x39, 0x2b));
        realPen.setWidthF(2.5);
        brokenLine(chart, x, y, QStringLiteral("Consum real (numai foile cu rezervorul masurat la plecare si la sosire)"),
                   realPen, real);
        QPen normedPen(QColor(0x27, 0xae, 0x60));
        normedPen.setWidthF(2.5);
        normedPen.setStyle(Qt::DashLine);
        brokenLine(chart, x, y, QStringLiteral("Consum normat al acelorasi foi"), normedPen, normed);
        setChart(Measured, chart);
    }
    showObservations();
}

void ChartWindow::refreshFleet()
{
    const int year = lists::chosenYear(m_year);
    QVector<charts::FleetVehicle> fleet;
    QSet<std::pair<int, int>> stale;
    guarded(m_context.messages, this, [&] {
        fleet = ChartStore(m_context.db).fleetYear(year);
        stale = charts::notCurrentFleetMonths(m_context.db, year);
    });
    m_fleetAnomalies = charts::fleetAnomalies(fleet, year, stale);
    QSet<int> marked;
    for (const Anomaly &a : m_fleetAnomalies)
        for (const charts::FleetVehicle &v : fleet)
            if (v.vehicle.nrauto == a.nrauto)
                marked.insert(v.vehicle.ida);
    const QVector<charts::FleetEntry> entries = charts::fleetYear(fleet);
    // The ranking from the top; a horizontal bar chart draws its first category at the bottom.
    auto categories = [&](const QVector<charts::FleetEntry> &shown) {
        QStringList names;
        for (auto it = shown.crbegin(); it != shown.crend(); ++it)
            names << it->vehicle.nrauto + (marked.contains(it->vehicle.ida) ? QStringLiteral(" (!)") : QString());
        auto *axis = new QBarCategoryAxis;
        axis->append(names);
        return axis;
    };
    auto shownOf = [](const QVector<charts::FleetEntry> &ranked, int total) {
        const QVector<charts::FleetEntry> shown = ranked.mid(0, fleetShown);
        return std::make_pair(shown, shown.size() < total ? QStringLiteral(" (primele %1 din %2)").arg(shown.size()).arg(total)
                                                          : QString());
    };

    {
        QVector<charts::FleetEntry> ranked;
        for (const charts::FleetEntry &e : charts::rankedByConsumption(entries))
            if (e.per100km)
                ranked << e;
        const auto [shown, note] = shownOf(ranked, int(ranked.size()));
        auto *per100 = new QBarSet(QStringLiteral("Consum normat (litri / 100 km echivalenti)"));
        auto *cm = new QBarSet(QStringLiteral("Consum mediu Cm"));
        double high = 0;
        for (auto it = shown.crbegin(); it != shown.crend(); ++it) {
            *per100 << *it->per100km;
            *cm << it->vehicle.cm;
            high = std::max({high, *it->per100km, it->vehicle.cm});
        }
        setChart(FleetConsumption,
                 barChart(QStringLiteral("Parc auto %1: consum normat la 100 km echivalenti%2").arg(year).arg(note),
                          {per100, cm}, categories(shown), valueAxis(QStringLiteral("litri / 100 km echivalenti"), 0, high),
                          true));
    }
    {
        const QVector<charts::FleetEntry> ranked = charts::rankedByRestGrowth(entries);
        const auto [shown, note] = shownOf(ranked, int(ranked.size()));
        auto *growth = new QBarSet(QStringLiteral("Rest la sfarsitul anului minus rest la inceput (litri)"));
        double low = 0, high = 0;
        for (auto it = shown.crbegin(); it != shown.crend(); ++it) {
            *growth << it->restGrowth();
            low = std::min(low, it->restGrowth());
            high = std::max(high, it->restGrowth());
        }
        setChart(FleetRestGrowth,
                 barChart(QStringLiteral("Parc auto %1: cresterea restului in rezervor%2").arg(year).arg(note), {growth},
                          categories(shown), valueAxis(QStringLiteral("litri"), low, high), true));
    }
    showObservations();
}

void ChartWindow::showObservations()
{
    const bool fleet = m_tabs->currentIndex() >= FleetConsumption;
    if (fleet)
        m_listTitle->setText(QStringLiteral("&Observatii (parc auto, %1)").arg(lists::chosenYear(m_year)));
    else
        m_listTitle->setText(QStringLiteral("&Observatii (%1, %2)")
                                 .arg(m_vehicle.vehicle.nrauto.isEmpty() ? QStringLiteral("fara autovehicul") : m_vehicle.vehicle.nrauto,
                                      periodText(m_vehicle)));
    m_list->clear();
    // The fleet's charts mark a vehicle with observations "(!)": the list says so first.
    if (fleet && !m_fleetAnomalies.isEmpty()) {
        auto *key = new QListWidgetItem(QStringLiteral("(!) langa numarul de inmatriculare: autovehiculul are observatii"),
                                        m_list);
        key->setFlags(Qt::ItemIsEnabled);
    }
    for (const Anomaly &a : fleet ? m_fleetAnomalies : m_vehicleAnomalies)
        m_list->addItem(a.text());
    if (m_list->count() == 0) {
        auto *none = new QListWidgetItem(QStringLiteral("Nu sunt observatii."), m_list);
        none->setFlags(Qt::NoItemFlags);
    }
}

QStringList ChartWindow::observations() const
{
    QStringList lines;
    for (int i = 0; i < m_list->count(); ++i)
        lines << m_list->item(i)->text();
    return lines;
}

void ChartWindow::paintPage(QPainter &painter, const QRectF &page)
{
    // The chart above, what looks wrong below it.
    QFont font = painter.font();
    font.setFamily(QStringLiteral("Sans Serif"));
    font.setPointSizeF(9);
    painter.setFont(font);
    const QStringList lines = observations();
    const double lineHeight = painter.fontMetrics().height();
    const double listHeight = std::min(page.height() * 0.3, (lines.size() + 1.5) * lineHeight);
    const QRectF chartArea(page.left(), page.top(), page.width(), page.height() - listHeight);
    QChartView *view = m_views[m_tabs->currentIndex()];
    view->render(&painter, chartArea, QRect(), Qt::KeepAspectRatio);
    double y = chartArea.bottom() + lineHeight * 0.5;
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(QRectF(page.left(), y, page.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QString(m_listTitle->text()).remove(u'&'));
    painter.setFont(font);
    for (const QString &line : lines) {
        y += lineHeight;
        if (y + lineHeight > page.bottom() + 0.5)
            break;
        painter.drawText(QRectF(page.left(), y, page.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter, line);
    }
}

bool ChartWindow::savePng(const QString &path)
{
    // Twice the size on screen, for a sharp picture in a document; the
    // observations below the chart, as on paper.
    QChartView *view = m_views[m_tabs->currentIndex()];
    const QSize size = view->size().expandedTo(QSize(800, 500)) * 2;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(2 * image.dotsPerMeterX());
    image.setDotsPerMeterY(2 * image.dotsPerMeterY());
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paintPage(painter, QRectF(QPointF(0, 0), QSizeF(size)).adjusted(16, 16, -16, -16));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        m_context.messages->error(this, QStringLiteral("Fisierul %1 nu poate fi scris: %2")
                                            .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    return true;
}

bool ChartWindow::savePdf(const QString &path)
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        QPdfWriter writer(&file);
        writer.setTitle(m_views[m_tabs->currentIndex()]->chart()->title());
        writer.setCreator(QStringLiteral("MECANIZARE - VOK"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 10, 12, 10),
                                         QPageLayout::Millimeter));
        QPainter painter;
        written = painter.begin(&writer);
        if (written) {
            painter.setRenderHint(QPainter::Antialiasing);
            paintPage(painter, writer.pageLayout().paintRectPixels(writer.resolution()));
            written = painter.end();
        }
    }
    if (!written || !file.commit()) {
        file.cancelWriting();
        m_context.messages->error(this, QStringLiteral("Fisierul %1 nu poate fi scris: %2")
                                            .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    return true;
}

void ChartWindow::printTo(QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_context.messages->error(this, QStringLiteral("Imprimanta nu poate fi folosita."));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    paintPage(painter, printer.pageLayout().paintRectPixels(printer.resolution()));
}

void ChartWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(printDocumentName(m_views[m_tabs->currentIndex()]->chart()->title()));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Tiparire"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    printTo(printer);
}

void ChartWindow::askAndSave(bool pdf)
{
    SaveRequest request;
    request.title = pdf ? QStringLiteral("Salvare PDF") : QStringLiteral("Salvare PNG");
    request.nameFilter = pdf ? QStringLiteral("Fisiere PDF (*.pdf)") : QStringLiteral("Imagini PNG (*.png)");
    request.suffix = pdf ? QStringLiteral("pdf") : QStringLiteral("png");
    const int page = m_tabs->currentIndex();
    request.description = m_views[page]->chart()->title();
    if (request.description.isEmpty())
        request.description = QStringLiteral("Grafic ") + QString::fromLatin1(pageNames[page]);
    const QString path = askWhereToSave(this, request);
    if (path.isEmpty())
        return;
    if (pdf ? savePdf(path) : savePng(path))
        m_context.messages->inform(this, QStringLiteral(" Graficul a fost salvat in %1 ").arg(QDir::toNativeSeparators(path)));
}

} // namespace vok
