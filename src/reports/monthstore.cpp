#include "reports/monthstore.h"

#include "db/database.h"

#include <QSqlQuery>

namespace vok {

namespace {

const QString rowColumns = QStringLiteral(
    "idd, ida, anul, idl, ore, km, kme, kminc, tone, tonekm, bm, gz, restit, restrez, Cn, um, ut, "
    "ua, Cu, kmt, kmet");

double number(const QSqlQuery &query, int column) { return query.value(column).toDouble(); }

} // namespace

MonthStore::MonthStore(const QSqlDatabase &db)
    : m_db(db)
{
}

std::pair<SheetTotals, TripTotals> MonthStore::totals(int ida, int year, int month) const
{
    // Two statements: the sheets' sums must not be multiplied by a join with
    // their trips, and two plain aggregates run faster than one query over
    // two derived tables. An empty sum reads as null, which counts as 0.
    SheetTotals sheets;
    QSqlQuery query = exec(
        m_db,
        QStringLiteral("SELECT COUNT(*), SUM(COALESCE(oras, 0) - COALESCE(orap, 0)), "
                       "SUM(CASE WHEN schu > 0 THEN 1 ELSE 0 END), SUM(CASE WHEN schf > 0 THEN 1 ELSE 0 END), "
                       "SUM(bm), SUM(gz), SUM(restit), SUM(um), SUM(ut), SUM(ua) "
                       "FROM foaie WHERE ida=? AND anul=? AND idl=?"),
        {ida, year, month});
    if (query.next()) {
        sheets.sheets = query.value(0).toInt();
        sheets.hours = number(query, 1);
        sheets.oilChanges = query.value(2).toInt();
        sheets.filterChanges = query.value(3).toInt();
        sheets.bm = number(query, 4);
        sheets.gz = number(query, 5);
        sheets.restit = number(query, 6);
        sheets.um = number(query, 7);
        sheets.ut = number(query, 8);
        sheets.ua = number(query, 9);
    }
    TripTotals trips;
    if (sheets.sheets == 0)
        return {sheets, trips};
    query = exec(m_db,
                 QStringLiteral("SELECT SUM(c.Cn), SUM(c.kmT), SUM(c.kmE), SUM(c.Cu), "
                                "SUM(CASE WHEN c.Gm > 0 THEN c.Gm ELSE 0 END), "
                                "SUM(CASE WHEN c.Gm > 0 THEN c.Gm * c.kmT ELSE 0 END), "
                                "SUM(CASE WHEN c.Gm > 0 THEN c.kmT ELSE 0 END) "
                                "FROM curse c INNER JOIN foaie f ON c.idf=f.idf "
                                "WHERE f.ida=? AND f.anul=? AND f.idl=?"),
                 {ida, year, month});
    if (query.next()) {
        trips.Cn = number(query, 0);
        trips.kmT = number(query, 1);
        trips.kmE = number(query, 2);
        trips.Cu = number(query, 3);
        trips.loadedTonnes = number(query, 4);
        trips.tonneKm = number(query, 5);
        trips.loadedKm = number(query, 6);
    }
    return {sheets, trips};
}

MonthBasis MonthStore::basis(int ida, int year, int month, int previousYear, int previousMonth) const
{
    QSqlQuery query = exec(
        m_db,
        QStringLiteral("SELECT a.Cb, a.Cf, a.restrez, a.kmef, a.kmechiv, p.idd, p.restrez, p.kmt, p.kmet, "
                       "m.idd FROM auto a "
                       "LEFT JOIN dateluna p ON p.ida=a.ida AND p.anul=? AND p.idl=? "
                       "LEFT JOIN dateluna m ON m.ida=a.ida AND m.anul=? AND m.idl=? "
                       "WHERE a.ida=?"),
        {previousYear, previousMonth, year, month, ida});
    MonthBasis basis;
    if (!query.next())
        return basis;
    basis.vehicleFound = true;
    basis.Cb = number(query, 0);
    basis.Cf = number(query, 1);
    basis.restrez = number(query, 2);
    basis.kmef = number(query, 3);
    basis.kmechiv = number(query, 4);
    basis.previousFound = !query.value(5).isNull();
    basis.previousRest = number(query, 6);
    basis.previousKm = number(query, 7);
    basis.previousKmEquiv = number(query, 8);
    basis.idd = query.value(9).toInt();
    return basis;
}

std::optional<MonthRow> MonthStore::row(int ida, int year, int month) const
{
    QSqlQuery query = exec(m_db,
                           QStringLiteral("SELECT ") + rowColumns
                               + QStringLiteral(" FROM dateluna WHERE ida=? AND anul=? AND idl=?"),
                           {ida, year, month});
    if (!query.next())
        return std::nullopt;
    MonthRow r;
    r.idd = query.value(0).toInt();
    r.ida = query.value(1).toInt();
    r.anul = query.value(2).toInt();
    r.idl = query.value(3).toInt();
    double *values[] = {&r.ore, &r.km,      &r.kme,     &r.kminc, &r.tone, &r.tonekm, &r.bm,
                        &r.gz,  &r.restit,  &r.restrez, &r.Cn,    &r.um,   &r.ut,     &r.ua,
                        &r.Cu,  &r.kmt,     &r.kmet};
    int column = 4;
    for (double *value : values)
        *value = number(query, column++);
    return r;
}

void MonthStore::save(const MonthRow &r) const
{
    const QVariantList figures = {r.ore, r.km, r.kme, r.kminc, r.tone, r.tonekm, r.bm, r.gz, r.restit,
                                  r.restrez, r.Cn, r.um, r.ut, r.ua, r.Cu, r.kmt, r.kmet};
    if (r.idd > 0) {
        exec(m_db,
             QStringLiteral("UPDATE dateluna SET ore=?, km=?, kme=?, kminc=?, tone=?, tonekm=?, bm=?, "
                            "gz=?, restit=?, restrez=?, Cn=?, um=?, ut=?, ua=?, Cu=?, kmt=?, kmet=? "
                            "WHERE idd=?"),
             figures + QVariantList{r.idd});
    } else {
        exec(m_db,
             QStringLiteral("INSERT INTO dateluna (ida, anul, idl, ore, km, kme, kminc, tone, tonekm, "
                            "bm, gz, restit, restrez, Cn, um, ut, ua, Cu, kmt, kmet) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             QVariantList{r.ida, r.anul, r.idl} + figures);
    }
}

} // namespace vok
