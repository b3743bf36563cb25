#include "charts/chartdata.h"

#include "base/calendar.h"
#include "base/numbers.h"

#include <QHash>
#include <QMap>

#include <algorithm>

namespace vok::charts {

VehicleChart vehicleChart(const Vehicle &vehicle, const QVector<MonthRow> &rows, YearMonth from, YearMonth to)
{
    VehicleChart chart;
    chart.vehicle = vehicle;
    if (!from.isValid() || !to.isValid() || to < from)
        return chart;
    QHash<int, const MonthRow *> byMonth;
    for (const MonthRow &r : rows)
        byMonth.insert(r.when.index(), &r);
    for (int i = from.index(); i <= to.index(); ++i) {
        MonthPoint p;
        p.when = YearMonth::fromIndex(i);
        if (const MonthRow *r = byMonth.value(i)) {
            p.closed = true;
            p.km = r->km;
            p.kme = r->kme;
            p.cn = r->cn;
            p.received = r->received();
            p.restrez = r->restrez;
            if (r->kme > 0)
                p.per100km = r->cn * 100 / r->kme;
        }
        chart.months.append(p);
    }
    return chart;
}

QVector<MeasuredMonth> measuredMonths(const QList<control::AuditSheet> &sheets, YearMonth from, YearMonth to)
{
    QMap<int, MeasuredMonth> byMonth;
    for (const control::AuditSheet &s : sheets) {
        const YearMonth when{s.anul, s.idl};
        if (!when.isValid() || when < from || to < when)
            continue;
        // The audit's own reading of a sheet: nothing unless both levels are recorded.
        const std::optional<double> real = control::realConsumption(s);
        if (!real)
            continue;
        MeasuredMonth &m = byMonth[when.index()];
        m.when = when;
        ++m.sheets;
        m.normed += s.normed;
        m.real += *real;
    }
    return QVector<MeasuredMonth>(byMonth.cbegin(), byMonth.cend());
}

std::pair<YearMonth, YearMonth> defaultRange(QVector<YearMonth> closed, const QVector<YearMonth> &withSheets,
                                             YearMonth today)
{
    closed += withSheets;
    if (closed.isEmpty())
        return {YearMonth::fromIndex(today.index() - 11), today};
    std::sort(closed.begin(), closed.end());
    closed.erase(std::unique(closed.begin(), closed.end()), closed.end());
    const qsizetype first = std::max<qsizetype>(0, closed.size() - 12);
    return {closed[first], closed.last()};
}

QString Anomaly::text() const
{
    const QString month = monthName(when.month) + u' ' + QString::number(when.year);
    switch (kind) {
    case Kind::RestBelowZero:
        return QStringLiteral("%1, %2: rest in rezervor %3 litri, sub zero")
            .arg(nrauto, month, formatNumber(rest, QStringLiteral("#0.00")));
    case Kind::RestAboveCapacity:
        return QStringLiteral("%1, %2: rest in rezervor %3 litri, peste capacitatea rezervorului (%4 litri)")
            .arg(nrauto, month, formatNumber(rest, QStringLiteral("#0.00")), doubleText(capacity));
    case Kind::NotCurrent:
        return closed ? QStringLiteral("%1, %2: V.O.K.-ul lunii nu mai este actualizat (vezi SITUATIE)").arg(nrauto, month)
                      : QStringLiteral("%1, %2: V.O.K.-ul lunii nu a fost inchis (vezi SITUATIE)").arg(nrauto, month);
    }
    return {};
}

namespace {

void restAnomalies(QVector<Anomaly> &out, const Vehicle &vehicle, YearMonth when, double rest)
{
    // The rest is stored with two decimals: a rest of -0.001 reads 0.00.
    const double shown = formatNumber(rest, QStringLiteral("#0.00")).toDouble();
    if (shown < 0)
        out.append({Anomaly::Kind::RestBelowZero, vehicle.nrauto, when, rest, vehicle.capacity});
    else if (vehicle.capacity > 0 && shown > vehicle.capacity)
        out.append({Anomaly::Kind::RestAboveCapacity, vehicle.nrauto, when, rest, vehicle.capacity});
}

} // namespace

QVector<Anomaly> anomalies(const VehicleChart &chart, const QSet<int> &notCurrent)
{
    QVector<Anomaly> out;
    for (const MonthPoint &p : chart.months) {
        if (p.closed)
            restAnomalies(out, chart.vehicle, p.when, p.restrez);
        if (notCurrent.contains(p.when.index()))
            out.append({Anomaly::Kind::NotCurrent, chart.vehicle.nrauto, p.when, p.restrez, chart.vehicle.capacity, p.closed});
    }
    return out;
}

QVector<FleetEntry> fleetYear(const QVector<FleetVehicle> &vehicles)
{
    QVector<FleetEntry> entries;
    for (const FleetVehicle &v : vehicles) {
        if (v.rows.isEmpty())
            continue;
        FleetEntry e;
        e.vehicle = v.vehicle;
        e.months = int(v.rows.size());
        for (const MonthRow &r : v.rows) {
            e.km += r.km;
            e.kme += r.kme;
            e.cn += r.cn;
        }
        if (e.kme > 0)
            e.per100km = e.cn * 100 / e.kme;
        // The year opens with December's rest when that month was closed;
        // otherwise with what the first closed month opened with.
        const MonthRow &first = v.rows.first();
        const bool continues = v.previousDecember && first.when.month == 1;
        e.openingRest = continues ? v.previousDecember->restrez : first.openingRest();
        e.closingRest = v.rows.last().restrez;
        entries.append(e);
    }
    return entries;
}

QVector<FleetEntry> rankedByConsumption(QVector<FleetEntry> entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const FleetEntry &a, const FleetEntry &b) {
        if (a.per100km.has_value() != b.per100km.has_value())
            return a.per100km.has_value();
        if (a.per100km && *a.per100km != *b.per100km)
            return *a.per100km > *b.per100km;
        return a.vehicle.nrauto < b.vehicle.nrauto;
    });
    return entries;
}

QVector<FleetEntry> rankedByRestGrowth(QVector<FleetEntry> entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const FleetEntry &a, const FleetEntry &b) {
        if (a.restGrowth() != b.restGrowth())
            return a.restGrowth() > b.restGrowth();
        return a.vehicle.nrauto < b.vehicle.nrauto;
    });
    return entries;
}

QVector<Anomaly> fleetAnomalies(const QVector<FleetVehicle> &vehicles, int year,
                                const QSet<std::pair<int, int>> &notCurrent)
{
    QVector<Anomaly> out;
    for (const FleetVehicle &v : vehicles) {
        QSet<int> months;
        for (const auto &[ida, month] : notCurrent)
            if (ida == v.vehicle.ida)
                months.insert(month);
        out += anomalies(vehicleChart(v.vehicle, v.rows, {year, 1}, {year, 12}), months);
    }
    return out;
}

QString monthLabel(YearMonth when) { return monthName(when.month).left(3) + u' ' + QString::number(when.year); }

} // namespace vok::charts
