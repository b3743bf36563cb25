#include "fleet/duerules.h"

#include "base/numbers.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <tuple>

namespace vok::due {

const QStringList &documentKinds()
{
    static const QStringList kinds = {QStringLiteral("ITP"),       QStringLiteral("RCA"),
                                      QStringLiteral("CASCO"),     QStringLiteral("ROVINIETA"),
                                      QStringLiteral("TAHOGRAF"),  QStringLiteral("EXTINCTOR"),
                                      QStringLiteral("TRUSA"),     QStringLiteral("ALTELE")};
    return kinds;
}

std::optional<QDate> parseDate(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^(\\d\\d)\\.(\\d\\d)\\.(\\d\\d\\d\\d)$"));
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Document: return QStringLiteral("document");
    case Kind::Driver: return QStringLiteral("driver");
    case Kind::Service: return QStringLiteral("service");
    }
    return {};
}

QList<DocumentRow> inForce(const QList<DocumentRow> &documents)
{
    // Per vehicle and kind: the best so far and its end date (none = never lapses).
    struct Best {
        DocumentRow row;
        std::optional<QDate> end;
    };
    QHash<QString, Best> best;
    QStringList order;
    for (const DocumentRow &d : documents) {
        std::optional<QDate> end;
        if (!d.panala.trimmed().isEmpty()) {
            end = parseDate(d.panala.trimmed());
            if (!end)
                continue;
        }
        const QString key = QString::number(d.ida) + u'\t' + d.tip;
        auto found = best.find(key);
        if (found == best.end()) {
            best.insert(key, {d, end});
            order << key;
            continue;
        }
        if (!found->end)
            continue; // a document without an end date already stands for the kind
        if (!end || *end > *found->end)
            *found = {d, end};
    }
    QList<DocumentRow> result;
    for (const QString &key : order)
        result << best.value(key).row;
    return result;
}

std::optional<double> serviceDueAt(const ServiceRow &row)
{
    if (row.kmrevizie <= 0 || !row.kmultrev)
        return std::nullopt;
    return *row.kmultrev + row.kmrevizie;
}

QList<Item> dueItems(const QList<DocumentRow> &documents, const QList<DriverRow> &drivers,
                     const QList<ServiceRow> &services, const QDate &today, int days, double km)
{
    QList<Item> items;
    for (const DocumentRow &d : inForce(documents)) {
        const std::optional<QDate> end = parseDate(d.panala.trimmed());
        if (!d.listed || !end)
            continue;
        const qint64 left = today.daysTo(*end);
        if (left <= days)
            items << Item{Kind::Document, d.nrauto, d.tip, d.panala.trimmed(), double(left), d.ida, 0};
    }
    for (const DriverRow &driver : drivers) {
        if (!driver.activ)
            continue;
        const std::pair<const char *, QString> papers[] = {{"permis", driver.exppermis}, {"aviz", driver.expaviz}};
        for (const auto &[what, date] : papers) {
            const std::optional<QDate> end = parseDate(date.trimmed());
            if (!end)
                continue;
            const qint64 left = today.daysTo(*end);
            if (left <= days)
                items << Item{Kind::Driver, driver.nume, QString::fromLatin1(what), date.trimmed(), double(left), 0,
                              driver.idsofer};
        }
    }
    for (const ServiceRow &s : services) {
        const std::optional<double> at = serviceDueAt(s);
        if (!s.listed || !at || s.odometer.source == OdometerSource::None)
            continue;
        // Odometers are read to a tenth of a km: so are the km left.
        const double left = readNumber(formatNumber(*at - s.odometer.km, QStringLiteral("#0.0")));
        if (left <= km)
            items << Item{Kind::Service, s.nrauto, QStringLiteral("revizie"),
                          doubleText(readNumber(formatNumber(*at, QStringLiteral("#0.0")))), left, s.ida, 0};
    }
    std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        return std::make_tuple(int(a.kind), a.left, a.subject, a.what)
               < std::make_tuple(int(b.kind), b.left, b.subject, b.what);
    });
    return items;
}

QList<Item> overdueFirst(QList<Item> items)
{
    std::stable_partition(items.begin(), items.end(), [](const Item &item) { return item.overdue(); });
    return items;
}

QString line(const Item &item)
{
    return QStringList{kindName(item.kind), item.subject, item.what, item.when, doubleText(item.left)}.join(u'\t');
}

} // namespace vok::due
