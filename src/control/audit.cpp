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

// A sheet with its date read once.
struct Item {
    const AuditSheet *s;
    int date;
};

bool itemBefore(const Item &a, const Item &b)
{
    return std::tie(a.date, a.s->orap, a.s->nrf) < std::tie(b.date, b.s->orap, b.s->nrf);
}

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

// The later of two sheets of one date of two vehicles.
bool later(const Item &a, const Item &b)
{
    return std::tie(a.date, a.s->orap, a.s->nrauto, a.s->nrf) > std::tie(b.date, b.s->orap, b.s->nrauto, b.s->nrf);
}

QString other(const AuditSheet &s) { return QStringLiteral("other:%1/%2").arg(s.nrauto).arg(s.nrf); }

Finding finding(const Item &item, FindingKind kind, const QString &detail)
{
    const AuditSheet &s = *item.s;
    Finding f;
    f.idf = s.idf;
    f.ida = s.ida;
    f.nrauto = s.nrauto;
    f.nrf = s.nrf;
    f.data = s.data;
    f.day = item.date;
    f.orap = s.orap;
    f.kind = kind;
    f.detail = detail;
    return f;
}

void odometer(const Item &item, const AuditSheet *previous, QList<Finding> &out)
{
    const AuditSheet &s = *item.s;
    if (odometerBackwards(s.kmplecare, s.kmsosire))
        out << finding(item, FindingKind::OdometerBack,
                       QStringLiteral("departure:%1 return:%2").arg(km(*s.kmplecare), km(*s.kmsosire)));
    if (previous && previous->kmsosire && s.kmplecare) {
        const long long before = tenths(*previous->kmsosire);
        const long long now = tenths(*s.kmplecare);
        if (now != before)
            out << finding(item, now < before ? FindingKind::OdometerBack : FindingKind::OdometerGap,
                           QStringLiteral("previous:%1 this:%2").arg(km(*previous->kmsosire), km(*s.kmplecare)));
    }
    if (s.kmplecare && s.kmsosire) {
        const double byOdometer = *s.kmsosire - *s.kmplecare;
        if (std::abs(byOdometer - s.kmTrips) > std::max(2.0, 0.02 * std::abs(s.kmTrips)) + Epsilon)
            out << finding(item, FindingKind::KmMismatch,
                           QStringLiteral("odometer:%1 trips:%2").arg(km(byOdometer), km(s.kmTrips)));
    }
}

void capacity(const Item &item, QList<Finding> &out)
{
    const AuditSheet &s = *item.s;
    if (s.caprez <= 0)
        return;
    std::optional<double> tank;
    if (s.rezplecare && *s.rezplecare + s.fuelIn - s.normed > s.caprez + 1 + Epsilon)
        tank = *s.rezplecare + s.fuelIn - s.normed;
    else if (s.rezsosire && *s.rezsosire > s.caprez + 1 + Epsilon)
        tank = *s.rezsosire;
    if (tank)
        out << finding(item, FindingKind::OverCapacity,
                       QStringLiteral("capacity:%1 tank:%2").arg(litres(s.caprez), litres(*tank)));
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
    const QStringView text = QStringView(data).trimmed();
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
    return itemBefore({&a, dateKey(a.data)}, {&b, dateKey(b.data)});
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

    // Every sheet with its date read once, ordered by vehicle, date,
    // departure hour and number: each vehicle's sheets in a run, the sheets of
    // one date of a vehicle side by side.
    std::vector<Item> items;
    items.reserve(static_cast<size_t>(input.sheets.size()));
    for (const AuditSheet &s : input.sheets)
        items.push_back({&s, dateKey(s.data)});
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        return std::tie(a.s->ida, a.date, a.s->orap, a.s->nrf) < std::tie(b.s->ida, b.date, b.s->orap, b.s->nrf);
    });
    QHash<int, Item> before;
    for (const AuditSheet &s : input.previous) {
        const Item item{&s, dateKey(s.data)};
        const auto found = before.constFind(s.ida);
        if (found == before.cend() || itemBefore(*found, item))
            before.insert(s.ida, item);
    }

    // A vehicle's month: its sheets where the real consumption is known, and
    // its last sheet.
    struct Month {
        double normed = 0, real = 0;
        const Item *lastKnown = nullptr;
        const Item *last = nullptr;
    };
    QHash<qint64, Month> months;

    for (size_t i = 0; i < items.size(); ++i) {
        const Item &item = items[i];
        const AuditSheet &s = *item.s;
        const bool firstOfVehicle = i == 0 || items[i - 1].s->ida != s.ida;
        const AuditSheet *previous = nullptr;
        if (!firstOfVehicle)
            previous = items[i - 1].s;
        else if (const auto found = before.constFind(s.ida); found != before.cend())
            previous = found->s;
        odometer(item, previous, out);
        capacity(item, out);
        // The vehicle's other sheets of the date, before this one.
        for (size_t j = i; j > 0 && items[j - 1].s->ida == s.ida && items[j - 1].date == item.date; --j)
            if (overlaps(*items[j - 1].s, s))
                out << finding(item, FindingKind::Overlap, other(*items[j - 1].s));

        Month &month = months[monthKey(s.ida, s.anul, s.idl)];
        month.last = &item;
        if (const std::optional<double> real = realConsumption(s)) {
            month.normed += s.normed;
            month.real += *real;
            month.lastKnown = &item;
        }
    }

    // One driver on two vehicles: the sheets of a date by driver (each name
    // numbered once, case and outer blanks aside).
    struct Driven {
        int driver;
        const Item *item;
    };
    std::vector<Driven> driven;
    QHash<QString, int> drivers;   // by the name as compared
    QHash<QString, int> spellings; // by the name as typed: most repeat it to the letter
    for (const Item &item : items) {
        if (item.s->sofer.isEmpty() || !hoursRecorded(*item.s))
            continue;
        auto spelled = spellings.constFind(item.s->sofer);
        if (spelled == spellings.cend()) {
            const QString name = item.s->sofer.trimmed().toUpper();
            int driver = -1;
            if (!name.isEmpty()) {
                auto found = drivers.constFind(name);
                if (found == drivers.cend())
                    found = drivers.insert(name, int(drivers.size()));
                driver = found.value();
            }
            spelled = spellings.insert(item.s->sofer, driver);
        }
        if (spelled.value() >= 0)
            driven.push_back({spelled.value(), &item});
    }
    std::sort(driven.begin(), driven.end(), [](const Driven &a, const Driven &b) {
        return std::tie(a.item->date, a.driver) < std::tie(b.item->date, b.driver);
    });
    for (size_t i = 0; i < driven.size(); ++i)
        for (size_t j = i + 1; j < driven.size() && driven[j].item->date == driven[i].item->date
                               && driven[j].driver == driven[i].driver;
             ++j) {
            const Item &a = *driven[i].item;
            const Item &b = *driven[j].item;
            if (a.s->ida == b.s->ida || !overlaps(*a.s, *b.s))
                continue;
            const bool aLater = later(a, b);
            out << finding(aLater ? a : b, FindingKind::DriverOverlap, other(*(aLater ? b : a).s));
        }

    for (const Month &month : std::as_const(months))
        if (month.lastKnown && month.real > month.normed + std::max(2.0, 0.05 * month.normed) + Epsilon)
            out << finding(*month.lastKnown, FindingKind::Overrun,
                           QStringLiteral("normed:%1 real:%2").arg(litres(month.normed), litres(month.real)));

    for (const BookMonth &book : input.closedMonths) {
        const Month month = months.value(monthKey(book.ida, book.anul, book.idl));
        if (!month.last || !month.last->s->rezsosire)
            continue;
        const double measured = *month.last->s->rezsosire;
        if (std::abs(book.restrez - measured) > std::max(5.0, 0.05 * month.last->s->caprez) + Epsilon)
            out << finding(*month.last, FindingKind::StockDifference,
                           QStringLiteral("book:%1 measured:%2").arg(litres(book.restrez), litres(measured)));
    }

    std::sort(out.begin(), out.end(), [](const Finding &a, const Finding &b) {
        return std::tie(a.nrauto, a.day, a.orap, a.nrf, a.kind, a.detail)
               < std::tie(b.nrauto, b.day, b.orap, b.nrf, b.kind, b.detail);
    });
    return out;
}

QString findingLine(const Finding &f)
{
    return QStringLiteral("%1\t%2\t%3\t%4\t%5").arg(f.nrauto).arg(f.nrf).arg(f.data, kindName(f.kind), f.detail);
}

} // namespace vok::control
