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

SheetTotals MonthStore::sheetTotals(int ida, int year, int month) const
{
    QSqlQuery query = exec(
        m_db,
        QStringLiteral(
            "SELECT COUNT(*), COALESCE(SUM(COALESCE(oras, 0) - COALESCE(orap, 0)), 0), "
            "COALESCE(SUM(CASE WHEN schu > 0 THEN 1 ELSE 0 END), 0), "
            "COALESCE(SUM(CASE WHEN schf > 0 THEN 1 ELSE 0 END), 0), "
            "COALESCE(SUM(bm), 0), COALESCE(SUM(gz), 0), COALESCE(SUM(restit), 0), "
            "COALESCE(SUM(um), 0), COALESCE(SUM(ut), 0), COALESCE(SUM(ua), 0) "
            "FROM foaie WHERE ida=? AND anul=? AND idl=?"),
        {ida, year, month});
    SheetTotals totals;
    if (!query.next())
        return totals;
    totals.sheets = query.value(0).toInt();
    totals.hours = number(query, 1);
    totals.oilChanges = query.value(2).toInt();
    totals.filterChanges = query.value(3).toInt();
    totals.bm = number(query, 4);
    totals.gz = number(query, 5);
    totals.restit = number(query, 6);
    totals.um = number(query, 7);
    totals.ut = number(query, 8);
    totals.ua = number(query, 9);
    return totals;
}

TripTotals MonthStore::tripTotals(int ida, int year, int month) const
{
    QSqlQuery query = exec(
        m_db,
        QStringLiteral(
            "SELECT COALESCE(SUM(c.Cn), 0), COALESCE(SUM(c.kmT), 0), COALESCE(SUM(c.kmE), 0), "
            "COALESCE(SUM(c.Cu), 0), "
            "COALESCE(SUM(CASE WHEN c.Gm > 0 THEN c.Gm ELSE 0 END), 0), "
            "COALESCE(SUM(CASE WHEN c.Gm > 0 THEN c.Gm * c.kmT ELSE 0 END), 0), "
            "COALESCE(SUM(CASE WHEN c.Gm > 0 THEN c.kmT ELSE 0 END), 0) "
            "FROM curse c INNER JOIN foaie f ON c.idf=f.idf "
            "WHERE f.ida=? AND f.anul=? AND f.idl=?"),
        {ida, year, month});
    TripTotals totals;
    if (!query.next())
        return totals;
    totals.Cn = number(query, 0);
    totals.kmT = number(query, 1);
    totals.kmE = number(query, 2);
    totals.Cu = number(query, 3);
    totals.loadedTonnes = number(query, 4);
    totals.tonneKm = number(query, 5);
    totals.loadedKm = number(query, 6);
    return totals;
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
