#include "control/audit.h"

#include "base/numbers.h"
#include "control/measures.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace vok::control {

namespace {

// Sums of floating figures compared with a threshold: a difference that
// lands exactly on it is no finding.
constexpr double Epsilon = 1e-6;

// Odometer readings compare as the boxes show them, to 0.1 km.
long long tenths(double km) { return std::llround(km * 10); }

QString km(double value) { return formatNumber(value, kmMask()); }
QString litres(double value) { return formatNumber(value, litreMask()); }

qint64 monthKey(int ida, int anul, int idl) { return (qint64(ida) * 100000 + anul) * 100 + idl; }

bool hoursRecorded(const AuditSheet &s) { return !(s.orap == 0 && s.oras == 0); }

// The hours of a sheet on its date; an end before the start is the next day.
std::pair<double, double> span(const AuditSheet &s)
{
    return {s.orap, s.oras < s.orap ? s.oras + 24 : s.oras};
}

bool overlaps(const AuditSheet &a, const AuditSheet &b)
{
    if (!hoursRecorded(a) || !hoursRecorded(b))
        return false;
    const auto [startA, endA] = span(a);
    const auto [startB, endB] = span(b);
    return std::max(startA, startB) < std::min(endA, endB) - Epsilon;
}

// The later of two sheets of one date (of one vehicle or of two).
bool later(const AuditSheet &a, const AuditSheet &b)
{
    return std::make_tuple(dateKey(a.data), a.orap, a.nrauto, a.nrf)
           > std::make_tuple(dateKey(b.data), b.orap, b.nrauto, b.nrf);
}

Finding finding(const AuditSheet &s, FindingKind kind, const QString &detail)
{
    Finding f;
    f.idf = s.idf;
    f.ida = s.ida;
    f.nrauto = s.nrauto;
    f.nrf = s.nrf;
    f.data = s.data;
    f.orap = s.orap;
    f.kind = kind;
    f.detail = detail;
    return f;
}

void odometer(const AuditSheet &s, const AuditSheet *previous, QList<Finding> &out)
{
    if (odometerBackwards(s.kmplecare, s.kmsosire))
        out << finding(s, FindingKind::OdometerBack,
                       QStringLiteral("departure:%1 return:%2").arg(km(*s.kmplecare), km(*s.kmsosire)));
    if (previous && previous->kmsosire && s.kmplecare) {
        const long long before = tenths(*previous->kmsosire);
        const long long now = tenths(*s.kmplecare);
        const QString detail = QStringLiteral("previous:%1 this:%2").arg(km(*previous->kmsosire), km(*s.kmplecare));
        if (now < before)
            out << finding(s, FindingKind::OdometerBack, detail);
        else if (now > before)
            out << finding(s, FindingKind::OdometerGap, detail);
    }
    if (s.kmplecare && s.kmsosire) {
        const double byOdometer = *s.kmsosire - *s.kmplecare;
        if (std::abs(byOdometer - s.kmTrips) > std::max(2.0, 0.02 * std::abs(s.kmTrips)) + Epsilon)
            out << finding(s, FindingKind::KmMismatch,
                           QStringLiteral("odometer:%1 trips:%2").arg(km(byOdometer), km(s.kmTrips)));
    }
}

void capacity(const AuditSheet &s, QList<Finding> &out)
{
    if (s.caprez <= 0)
        return;
    std::optional<double> tank;
    if (s.rezplecare && *s.rezplecare + s.fuelIn - s.normed > s.caprez + 1 + Epsilon)
        tank = *s.rezplecare + s.fuelIn - s.normed;
    else if (s.rezsosire && *s.rezsosire > s.caprez + 1 + Epsilon)
        tank = *s.rezsosire;
    if (tank)
        out << finding(s, FindingKind::OverCapacity,
                       QStringLiteral("capacity:%1 tank:%2").arg(litres(s.caprez), litres(*tank)));
}

// Pairs of sheets of one group (one vehicle's date, or one driver's date)
// whose hours overlap: one finding on the later of the two. An overlap is
// about a pair of one vehicle, a driver's overlap about two vehicles.
void pairs(const QList<const AuditSheet *> &group, FindingKind kind, QList<Finding> &out)
{
    for (qsizetype i = 0; i < group.size(); ++i)
        for (qsizetype j = i + 1; j < group.size(); ++j) {
            const AuditSheet &a = *group[i];
            const AuditSheet &b = *group[j];
            if ((kind == FindingKind::DriverOverlap) == (a.ida == b.ida) || !overlaps(a, b))
                continue;
            const AuditSheet &late = later(a, b) ? a : b;
            const AuditSheet &other = &late == &a ? b : a;
            out << finding(late, kind, QStringLiteral("other:%1/%2").arg(other.nrauto).arg(other.nrf));
        }
}

} // namespace

QString kindName(FindingKind kind)
{
    switch (kind) {
    case FindingKind::OdometerBack: return QStringLiteral("odometer-back");
    case FindingKind::OdometerGap: return QStringLiteral("odometer-gap");
    case FindingKind::KmMismatch: return QStringLiteral("km-mismatch");
    case FindingKind::Overlap: return QStringLiteral("overlap");
    case FindingKind::DriverOverlap: return QStringLiteral("driver-overlap");
    case FindingKind::Overrun: return QStringLiteral("overrun");
    case FindingKind::OverCapacity: return QStringLiteral("over-capacity");
    case FindingKind::StockDifference: return QStringLiteral("stock-difference");
    }
    return {};
}

QString kindCaption(FindingKind kind)
{
    switch (kind) {
    case FindingKind::OdometerBack: return QStringLiteral("Km bord mai mici decat inainte");
    case FindingKind::OdometerGap: return QStringLiteral("Km bord lipsa intre foi");
    case FindingKind::KmMismatch: return QStringLiteral("Km bord diferiti de km curselor");
    case FindingKind::Overlap: return QStringLiteral("Foi suprapuse ale autovehiculului");
    case FindingKind::DriverOverlap: return QStringLiteral("Sofer pe doua autovehicule deodata");
    case FindingKind::Overrun: return QStringLiteral("Depasire consum in luna");
    case FindingKind::OverCapacity: return QStringLiteral("Peste capacitatea rezervorului");
    case FindingKind::StockDifference: return QStringLiteral("Diferenta stoc fata de V.O.K.");
    }
    return {};
}

int dateKey(const QString &data)
{
    const QString text = data.trimmed();
    if (text.size() != 10 || text[2] != u'.' || text[5] != u'.')
        return 0;
    bool okDay = false, okMonth = false, okYear = false;
    const int day = text.mid(0, 2).toInt(&okDay);
    const int month = text.mid(3, 2).toInt(&okMonth);
    const int year = text.mid(6, 4).toInt(&okYear);
    if (!okDay || !okMonth || !okYear)
        return 0;
    return year * 10000 + month * 100 + day;
}

bool sheetBefore(const AuditSheet &a, const AuditSheet &b)
{
    return std::make_tuple(dateKey(a.data), a.orap, a.nrf) < std::make_tuple(dateKey(b.data), b.orap, b.nrf);
}

std::optional<double> realConsumption(const AuditSheet &s)
{
    if (!s.rezplecare || !s.rezsosire)
        return std::nullopt;
    return *s.rezplecare + s.fuelIn - s.restit - *s.rezsosire;
}

QList<Finding> audit(const AuditInput &input)
{
    QList<Finding> out;

    // Each vehicle's sheets in order, with the sheet before the first.
    QHash<int, QList<const AuditSheet *>> byVehicle;
    for (const AuditSheet &s : input.sheets)
        byVehicle[s.ida] << &s;
    QHash<int, const AuditSheet *> before;
    for (const AuditSheet &s : input.previous)
        if (!before.contains(s.ida) || sheetBefore(*before.value(s.ida), s))
            before.insert(s.ida, &s);

    // A vehicle's month: its sheets where the real consumption is known, and
    // its last sheet.
    struct Month {
        double normed = 0, real = 0;
        const AuditSheet *lastKnown = nullptr;
        const AuditSheet *last = nullptr;
    };
    QHash<qint64, Month> months;

    QHash<std::pair<int, int>, QList<const AuditSheet *>> byVehicleDate;
    QHash<std::pair<QString, int>, QList<const AuditSheet *>> byDriverDate;

    for (auto it = byVehicle.begin(); it != byVehicle.end(); ++it) {
        QList<const AuditSheet *> &sheets = it.value();
        std::sort(sheets.begin(), sheets.end(),
                  [](const AuditSheet *a, const AuditSheet *b) { return sheetBefore(*a, *b); });
        const AuditSheet *previous = before.value(it.key(), nullptr);
        for (const AuditSheet *s : sheets) {
            odometer(*s, previous, out);
            capacity(*s, out);
            previous = s;

            Month &month = months[monthKey(s->ida, s->anul, s->idl)];
            month.last = s;
            if (const std::optional<double> real = realConsumption(*s)) {
                month.normed += s->normed;
                month.real += *real;
                month.lastKnown = s;
            }
            const int date = dateKey(s->data);
            byVehicleDate[{s->ida, date}] << s;
            const QString driver = s->sofer.trimmed().toUpper();
            if (!driver.isEmpty())
                byDriverDate[{driver, date}] << s;
        }
    }

    for (const QList<const AuditSheet *> &group : std::as_const(byVehicleDate))
        if (group.size() > 1)
            pairs(group, FindingKind::Overlap, out);
    for (const QList<const AuditSheet *> &group : std::as_const(byDriverDate))
        if (group.size() > 1)
            pairs(group, FindingKind::DriverOverlap, out);

    for (const Month &month : std::as_const(months))
        if (month.lastKnown && month.real > month.normed + std::max(2.0, 0.05 * month.normed) + Epsilon)
            out << finding(*month.lastKnown, FindingKind::Overrun,
                           QStringLiteral("normed:%1 real:%2").arg(litres(month.normed), litres(month.real)));

    for (const BookMonth &book : input.closedMonths) {
        const Month month = months.value(monthKey(book.ida, book.anul, book.idl));
        if (!month.last || !month.last->rezsosire)
            continue;
        const double measured = *month.last->rezsosire;
        if (std::abs(book.restrez - measured) > std::max(5.0, 0.05 * month.last->caprez) + Epsilon)
            out << finding(*month.last, FindingKind::StockDifference,
                           QStringLiteral("book:%1 measured:%2").arg(litres(book.restrez), litres(measured)));
    }

    std::sort(out.begin(), out.end(), [](const Finding &a, const Finding &b) {
        return std::make_tuple(a.nrauto, dateKey(a.data), a.orap, a.nrf, int(a.kind), a.detail)
               < std::make_tuple(b.nrauto, dateKey(b.data), b.orap, b.nrf, int(b.kind), b.detail);
    });
    return out;
}

QString findingLine(const Finding &f)
{
    return QStringLiteral("%1\t%2\t%3\t%4\t%5").arg(f.nrauto).arg(f.nrf).arg(f.data, kindName(f.kind), f.detail);
}

} // namespace vok::control
