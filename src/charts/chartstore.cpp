#include "charts/chartstore.h"

#include "control/auditstore.h"
#include "db/database.h"

#include <QHash>
#include <QSqlQuery>

namespace vok {

namespace {

const QString vehicleColumns = QStringLiteral("ida, nrauto, marca, COALESCE(Cm, 0), COALESCE(caprez, 0)");
const QString monthColumns = QStringLiteral(
    "anul, idl, COALESCE(km, 0), COALESCE(kme, 0), COALESCE(Cn, 0), COALESCE(bm, 0), COALESCE(gz, 0), "
    "COALESCE(restit, 0), COALESCE(restrez, 0)");

charts::Vehicle vehicleAt(const QSqlQuery &q)
{
    return {q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), q.value(3).toDouble(),
            q.value(4).toDouble()};
}

// The month columns from position `at` on.
charts::MonthRow monthAt(const QSqlQuery &q, int at)
{
    charts::MonthRow r;
    r.when = {q.value(at).toInt(), q.value(at + 1).toInt()};
    r.km = q.value(at + 2).toDouble();
    r.kme = q.value(at + 3).toDouble();
    r.cn = q.value(at + 4).toDouble();
    r.bm = q.value(at + 5).toDouble();
    r.gz = q.value(at + 6).toDouble();
    r.restit = q.value(at + 7).toDouble();
    r.restrez = q.value(at + 8).toDouble();
    return r;
}

} // namespace

ChartStore::ChartStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QVector<charts::Vehicle> ChartStore::listedVehicles() const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT ") + vehicleColumns + QStringLiteral(" FROM auto WHERE apar=? ORDER BY nrauto"), {1});
    QVector<charts::Vehicle> out;
    while (q.next())
        out.append(vehicleAt(q));
    return out;
}

std::optional<charts::Vehicle> ChartStore::vehicle(int ida) const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT ") + vehicleColumns + QStringLiteral(" FROM auto WHERE ida=?"), {ida});
    if (!q.next())
        return std::nullopt;
    return vehicleAt(q);
}

QVector<charts::YearMonth> ChartStore::closedMonths(int ida) const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT anul, idl FROM dateluna WHERE ida=? ORDER BY anul, idl"), {ida});
    QVector<charts::YearMonth> out;
    while (q.next())
        out.append({q.value(0).toInt(), q.value(1).toInt()});
    return out;
}

QVector<charts::YearMonth> ChartStore::sheetMonths(int ida) const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT DISTINCT anul, idl FROM foaie WHERE ida=? ORDER BY anul, idl"), {ida});
    QVector<charts::YearMonth> out;
    while (q.next())
        out.append({q.value(0).toInt(), q.value(1).toInt()});
    return out;
}

QVector<charts::MonthRow> ChartStore::months(int ida, charts::YearMonth from, charts::YearMonth to) const
{
    // Whole years through the index on (ida, anul, idl); the months at both ends are cut here.
    QSqlQuery q = exec(m_db,
                       QStringLiteral("SELECT ") + monthColumns
                           + QStringLiteral(" FROM dateluna WHERE ida=? AND anul>=? AND anul<=? ORDER BY anul, idl"),
                       {ida, from.year, to.year});
    QVector<charts::MonthRow> out;
    while (q.next()) {
        const charts::MonthRow r = monthAt(q, 0);
        if (!(r.when < from) && !(to < r.when))
            out.append(r);
    }
    return out;
}

QList<control::AuditSheet> ChartStore::sheets(int ida, charts::YearMonth from, charts::YearMonth to) const
{
    QList<control::AuditSheet> out;
    if (ida <= 0 || !from.isValid() || !to.isValid() || to < from)
        return out; // the audit's store reads every vehicle for 0
    const control::AuditStore store(m_db);
    for (int year = from.year; year <= to.year; ++year)
        for (const control::AuditSheet &s : store.load(year, ida).sheets) {
            const charts::YearMonth when{s.anul, s.idl};
            if (!(when < from) && !(to < when))
                out << s;
        }
    return out;
}

std::optional<charts::YearMonth> ChartStore::latestClosedMonth() const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT d.anul, d.idl FROM dateluna d INNER JOIN auto a ON a.ida=d.ida "
                                            "WHERE a.apar=? ORDER BY d.anul DESC, d.idl DESC LIMIT 1"),
                       {1});
    if (!q.next())
        return std::nullopt;
    return charts::YearMonth{q.value(0).toInt(), q.value(1).toInt()};
}

QVector<charts::FleetVehicle> ChartStore::fleetYear(int year) const
{
    QVector<charts::FleetVehicle> out;
    QHash<int, qsizetype> at;
    for (const charts::Vehicle &v : listedVehicles()) {
        at.insert(v.ida, out.size());
        out.append({v, {}, std::nullopt});
    }
    QSqlQuery q = exec(m_db,
                       QStringLiteral("SELECT ida, ") + monthColumns
                           + QStringLiteral(" FROM dateluna WHERE anul=? OR (anul=? AND idl=?) ORDER BY ida, anul, idl"),
                       {year, year - 1, 12});
    while (q.next()) {
        const auto it = at.constFind(q.value(0).toInt());
        if (it == at.constEnd())
            continue; // a vehicle taken out
        const charts::MonthRow r = monthAt(q, 1);
        charts::FleetVehicle &v = out[*it];
        if (r.when.year == year)
            v.rows.append(r);
        else
            v.previousDecember = r;
    }
    return out;
}

} // namespace vok
