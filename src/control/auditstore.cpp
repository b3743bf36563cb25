#include "control/auditstore.h"

#include "db/database.h"

#include <QHash>
#include <QSqlQuery>

namespace vok::control {

namespace {

// The sheet's columns and its trips' sums, in one pass: the sheets read by
// (ida, anul) through their index, in its order, so that the grouping needs no
// sorting and each sheet's trips are one index lookup. A year of the fleet
// reads only that year. Sheets of a vehicle no longer stored are left out.
const QString sheetSelect = QStringLiteral(
    "SELECT f.idf, f.ida, f.nrf, f.data, f.anul, f.idl, COALESCE(f.orap, 0), "
    "COALESCE(f.oras, 0), f.sofer, f.kmplecare, f.kmsosire, f.rezplecare, f.rezsosire, "
    "COALESCE(f.bm, 0) + COALESCE(f.gz, 0), COALESCE(f.restit, 0), COALESCE(SUM(c.Cn), 0), COALESCE(SUM(c.kmT), 0) "
    "FROM foaie f LEFT JOIN curse c ON c.idf=f.idf WHERE f.ida IN (SELECT ida FROM auto)");
const QString sheetGroups = QStringLiteral(" GROUP BY f.ida, f.anul, f.idl, f.nrf, f.idf");

std::optional<double> optional(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

// A vehicle's registration number and tank capacity, by its key.
using Vehicles = QHash<int, std::pair<QString, double>>;

AuditSheet sheetFromRow(const QSqlQuery &q, const Vehicles &vehicles)
{
    AuditSheet s;
    s.idf = q.value(0).toInt();
    s.ida = q.value(1).toInt();
    const std::pair<QString, double> vehicle = vehicles.value(s.ida);
    s.nrauto = vehicle.first;
    s.caprez = vehicle.second;
    s.nrf = q.value(2).toInt();
    s.data = q.value(3).toString();
    s.anul = q.value(4).toInt();
    s.idl = q.value(5).toInt();
    s.orap = q.value(6).toDouble();
    s.oras = q.value(7).toDouble();
    s.sofer = q.value(8).toString();
    s.kmplecare = optional(q.value(9));
    s.kmsosire = optional(q.value(10));
    s.rezplecare = optional(q.value(11));
    s.rezsosire = optional(q.value(12));
    s.fuelIn = q.value(13).toDouble();
    s.restit = q.value(14).toDouble();
    s.normed = q.value(15).toDouble();
    s.kmTrips = q.value(16).toDouble();
    return s;
}

// Runs the sheets' statement on `q` (kept prepared between runs of one text).
QList<AuditSheet> readSheets(QSqlQuery &q, const QSqlDatabase &db, const Vehicles &vehicles, const QString &where,
                             const QVariantList &values)
{
    execPrepared(q, db, sheetSelect + where + sheetGroups, values);
    QList<AuditSheet> sheets;
    sheets.reserve(256);
    while (q.next())
        sheets << sheetFromRow(q, vehicles);
    q.finish();
    return sheets;
}

} // namespace

AuditStore::AuditStore(const QSqlDatabase &db)
    : m_db(db)
{
}

AuditInput AuditStore::load(int year, int ida) const
{
    AuditInput input;
    QString where;
    QVariantList values;
    if (year != 0) {
        where += QStringLiteral(" AND f.anul=?");
        values << year;
    }
    if (ida != 0) {
        where += QStringLiteral(" AND f.ida=?");
        values << ida;
    }
    // The vehicles apart: their number and capacity once each, not with
    // every sheet.
    Vehicles vehicles;
    QList<int> keys;
    {
        QSqlQuery all = exec(m_db, QStringLiteral("SELECT ida, nrauto, COALESCE(caprez, 0) FROM auto"));
        while (all.next()) {
            vehicles.insert(all.value(0).toInt(), {all.value(1).toString(), all.value(2).toDouble()});
            keys << all.value(0).toInt();
        }
    }
    QSqlQuery sheets(m_db);
    input.sheets = readSheets(sheets, m_db, vehicles, where, values);

    QString monthWhere = year != 0 ? QStringLiteral(" WHERE anul=?") : QString();
    QVariantList monthValues;
    if (year != 0)
        monthValues << year;
    if (ida != 0) {
        monthWhere += year != 0 ? QStringLiteral(" AND ida=?") : QStringLiteral(" WHERE ida=?");
        monthValues << ida;
    }
    QSqlQuery months = exec(m_db, QStringLiteral("SELECT ida, anul, idl, COALESCE(restrez, 0) FROM dateluna") + monthWhere,
                            monthValues);
    while (months.next())
        input.closedMonths << BookMonth{months.value(0).toInt(), months.value(1).toInt(), months.value(2).toInt(),
                                        months.value(3).toDouble()};
    months.finish();

    if (year == 0)
        return input;
    // Each vehicle's sheet before its first of the year: the last sheet of the
    // last month of its last earlier year with sheets.
    if (ida != 0)
        keys = {ida};
    PreparedQuery lastYear(m_db, QStringLiteral("SELECT MAX(anul) FROM foaie WHERE ida=? AND anul<?"));
    PreparedQuery lastMonth(m_db, QStringLiteral("SELECT MAX(idl) FROM foaie WHERE ida=? AND anul=?"));
    for (int vehicle : std::as_const(keys)) {
        const QVariant earlier = lastYear.read({vehicle, year}, [](QSqlQuery &q) {
            return q.next() ? q.value(0) : QVariant();
        });
        if (earlier.isNull())
            continue;
        const QVariant month = lastMonth.read({vehicle, earlier}, [](QSqlQuery &q) {
            return q.next() ? q.value(0) : QVariant();
        });
        input.previous << readSheets(sheets, m_db, vehicles, QStringLiteral(" AND f.ida=? AND f.anul=? AND f.idl=?"),
                                     {vehicle, earlier, month});
    }
    return input;
}

QList<Finding> auditYear(const QSqlDatabase &db, int year, int ida)
{
    return audit(AuditStore(db).load(year, ida));
}

} // namespace vok::control
