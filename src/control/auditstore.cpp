#include "control/auditstore.h"

#include "db/database.h"

#include <QSqlQuery>

namespace vok::control {

namespace {

// The sheet's columns with its vehicle's, and its trips' sums: one index
// lookup of the trips per sheet, so that a year of the fleet reads only that
// year. The vehicles lead the join, so the sheets are read by (ida, anul)
// through their index on both engines.
const QString sheetSelect = QStringLiteral(
    "SELECT f.idf, f.ida, a.nrauto, COALESCE(a.caprez, 0), f.nrf, f.data, f.anul, f.idl, COALESCE(f.orap, 0), "
    "COALESCE(f.oras, 0), f.sofer, f.kmplecare, f.kmsosire, f.rezplecare, f.rezsosire, "
    "COALESCE(f.bm, 0) + COALESCE(f.gz, 0), COALESCE(f.restit, 0), "
    "(SELECT COALESCE(SUM(c.Cn), 0) FROM curse c WHERE c.idf=f.idf), "
    "(SELECT COALESCE(SUM(c.kmT), 0) FROM curse c WHERE c.idf=f.idf) "
    "FROM auto a CROSS JOIN foaie f WHERE f.ida=a.ida");

std::optional<double> optional(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

AuditSheet sheetFromRow(const QSqlQuery &q)
{
    AuditSheet s;
    s.idf = q.value(0).toInt();
    s.ida = q.value(1).toInt();
    s.nrauto = q.value(2).toString();
    s.caprez = q.value(3).toDouble();
    s.nrf = q.value(4).toInt();
    s.data = q.value(5).toString();
    s.anul = q.value(6).toInt();
    s.idl = q.value(7).toInt();
    s.orap = q.value(8).toDouble();
    s.oras = q.value(9).toDouble();
    s.sofer = q.value(10).toString();
    s.kmplecare = optional(q.value(11));
    s.kmsosire = optional(q.value(12));
    s.rezplecare = optional(q.value(13));
    s.rezsosire = optional(q.value(14));
    s.fuelIn = q.value(15).toDouble();
    s.restit = q.value(16).toDouble();
    s.normed = q.value(17).toDouble();
    s.kmTrips = q.value(18).toDouble();
    return s;
}

// Runs the sheets' statement on `q` (kept prepared between runs of one text).
QList<AuditSheet> readSheets(QSqlQuery &q, const QSqlDatabase &db, const QString &where, const QVariantList &values)
{
    execPrepared(q, db, sheetSelect + where, values);
    QList<AuditSheet> sheets;
    while (q.next())
        sheets << sheetFromRow(q);
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
        where += QStringLiteral(" AND a.ida=?");
        values << ida;
    }
    QSqlQuery sheets(m_db);
    input.sheets = readSheets(sheets, m_db, where, values);

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
    QList<int> vehicles;
    if (ida != 0) {
        vehicles << ida;
    } else {
        QSqlQuery all = exec(m_db, QStringLiteral("SELECT ida FROM auto"));
        while (all.next())
            vehicles << all.value(0).toInt();
    }
    PreparedQuery lastYear(m_db, QStringLiteral("SELECT MAX(anul) FROM foaie WHERE ida=? AND anul<?"));
    PreparedQuery lastMonth(m_db, QStringLiteral("SELECT MAX(idl) FROM foaie WHERE ida=? AND anul=?"));
    for (int vehicle : vehicles) {
        const QVariant earlier = lastYear.read({vehicle, year}, [](QSqlQuery &q) {
            return q.next() ? q.value(0) : QVariant();
        });
        if (earlier.isNull())
            continue;
        const QVariant month = lastMonth.read({vehicle, earlier}, [](QSqlQuery &q) {
            return q.next() ? q.value(0) : QVariant();
        });
        input.previous << readSheets(sheets, m_db, QStringLiteral(" AND f.ida=? AND f.anul=? AND f.idl=?"),
                                     {vehicle, earlier, month});
    }
    return input;
}

QList<Finding> auditYear(const QSqlDatabase &db, int year, int ida)
{
    return audit(AuditStore(db).load(year, ida));
}

} // namespace vok::control
