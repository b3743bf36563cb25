#include "months/monthstore.h"

#include "db/database.h"

#include <QSqlQuery>

namespace vok {

namespace {

const QString rowColumns = QStringLiteral(
    "idd, ida, anul, idl, ore, km, kme, kminc, tone, tonekm, bm, gz, restit, restrez, Cn, um, ut, "
    "ua, Cu, kmt, kmet");

double number(const QSqlQuery &query, int column) { return query.value(column).toDouble(); }

// One sheet's figures, read by addSheet().
const QString sheetColumns = QStringLiteral("orap, oras, schu, schf, bm, gz, restit, um, ut, ua");

// Adds the sheet whose columns (sheetColumns) start at `first`.
void addSheet(SheetTotals &t, const QSqlQuery &query, int first)
{
    ++t.sheets;
    // Single precision, as the closing has always summed them: the sheet's
    // hours are a double, the running sum a single.
    t.hours = static_cast<float>(static_cast<double>(t.hours) + (number(query, first + 1) - number(query, first)));
    if (query.value(first + 2).toInt() > 0)
        ++t.oilChanges;
    if (query.value(first + 3).toInt() > 0)
        ++t.filterChanges;
    t.bm += number(query, first + 4);
    t.gz += number(query, first + 5);
    t.restit += number(query, first + 6);
    t.um += number(query, first + 7);
    t.ut += number(query, first + 8);
    t.ua += number(query, first + 9);
}

// The trip sums of a month, read by tripTotals().
const QString tripSums = QStringLiteral(
    "SUM(c.Cn), SUM(c.kmT), SUM(c.kmE), SUM(c.Cu), "
    "SUM(CASE WHEN c.Gm > 0 THEN c.Gm ELSE 0 END), "
    "SUM(CASE WHEN c.Gm > 0 THEN c.Gm * c.kmT ELSE 0 END), "
    "SUM(CASE WHEN c.Gm > 0 THEN c.kmT ELSE 0 END)");

TripTotals tripTotals(const QSqlQuery &query, int first)
{
    TripTotals trips;
    trips.Cn = number(query, first);
    trips.kmT = number(query, first + 1);
    trips.kmE = number(query, first + 2);
    trips.Cu = number(query, first + 3);
    trips.loadedTonnes = number(query, first + 4);
    trips.tonneKm = number(query, first + 5);
    trips.loadedKm = number(query, first + 6);
    return trips;
}

// A dateluna row whose columns (rowColumns) start at column 0.
MonthRow monthRow(const QSqlQuery &query)
{
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

QList<std::pair<int, QString>> vehicles(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query = exec(db, sql);
    QList<std::pair<int, QString>> result;
    while (query.next())
        result.append({query.value(0).toInt(), query.value(1).toString()});
    return result;
}

} // namespace

std::array<double, MonthRow::figureCount> MonthRow::figures() const
{
    return {ore, km, kme, kminc, tone, tonekm, bm, gz, restit, restrez, Cn, um, ut, ua, Cu, kmt, kmet};
}

const std::array<QString, MonthRow::figureCount> &monthRowColumns()
{
    static const std::array<QString, MonthRow::figureCount> names = {
        QStringLiteral("ore"),    QStringLiteral("km"),     QStringLiteral("kme"),     QStringLiteral("kminc"),
        QStringLiteral("tone"),   QStringLiteral("tonekm"), QStringLiteral("bm"),      QStringLiteral("gz"),
        QStringLiteral("restit"), QStringLiteral("restrez"), QStringLiteral("Cn"),     QStringLiteral("um"),
        QStringLiteral("ut"),     QStringLiteral("ua"),     QStringLiteral("Cu"),      QStringLiteral("kmt"),
        QStringLiteral("kmet")};
    return names;
}

MonthStore::MonthStore(const QSqlDatabase &db)
    : m_db(db)
{
}

MonthStore::~MonthStore() = default;

QSqlQuery &MonthStore::run(Statement which, const QString &sql, const QVariantList &values) const
{
    QSqlQuery &query = m_statements[static_cast<size_t>(which)];
    execPrepared(query, m_db, sql, values);
    return query;
}

std::pair<SheetTotals, TripTotals> MonthStore::totals(int ida, int year, int month) const
{
    // The sheets one by one (the hours are summed in single precision after
    // every sheet), the trips in one aggregate: the sheets' sums must not be
    // multiplied by a join with their trips. An empty sum reads as 0.
    static const QString sheetsSql = QStringLiteral("SELECT ") + sheetColumns
                                     + QStringLiteral(" FROM foaie WHERE ida=? AND anul=? AND idl=? ORDER BY nrf");
    static const QString tripsSql = QStringLiteral("SELECT ") + tripSums
                                    + QStringLiteral(" FROM curse c INNER JOIN foaie f ON c.idf=f.idf "
                                                     "WHERE f.ida=? AND f.anul=? AND f.idl=?");
    SheetTotals sheets;
    QSqlQuery &query = run(MonthSheets, sheetsSql, {ida, year, month});
    while (query.next())
        addSheet(sheets, query, 0);
    query.finish();
    TripTotals trips;
    if (sheets.sheets == 0)
        return {sheets, trips};
    QSqlQuery &sums = run(MonthTrips, tripsSql, {ida, year, month});
    if (sums.next())
        trips = tripTotals(sums, 0);
    sums.finish();
    return {sheets, trips};
}

MonthBasis MonthStore::basis(int ida, int year, int month, int previousYear, int previousMonth) const
{
    static const QString sql = QStringLiteral(
        "SELECT a.Cb, a.Cf, a.restrez, a.kmef, a.kmechiv, p.idd, p.restrez, p.kmt, p.kmet, m.idd FROM auto a "
        "LEFT JOIN dateluna p ON p.ida=a.ida AND p.anul=? AND p.idl=? "
        "LEFT JOIN dateluna m ON m.ida=a.ida AND m.anul=? AND m.idl=? "
        "WHERE a.ida=?");
    QSqlQuery &query = run(Basis, sql, {previousYear, previousMonth, year, month, ida});
    MonthBasis basis;
    if (query.next()) {
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
    }
    query.finish();
    return basis;
}

std::optional<MonthRow> MonthStore::row(int ida, int year, int month) const
{
    static const QString sql =
        QStringLiteral("SELECT ") + rowColumns + QStringLiteral(" FROM dateluna WHERE ida=? AND anul=? AND idl=?");
    QSqlQuery &query = run(Row, sql, {ida, year, month});
    std::optional<MonthRow> result;
    if (query.next())
        result = monthRow(query);
    query.finish();
    return result;
}

void MonthStore::save(const MonthRow &r) const
{
    const QVariantList figures = {r.ore, r.km, r.kme, r.kminc, r.tone, r.tonekm, r.bm, r.gz, r.restit,
                                  r.restrez, r.Cn, r.um, r.ut, r.ua, r.Cu, r.kmt, r.kmet};
    if (r.idd > 0) {
        run(Update,
            QStringLiteral("UPDATE dateluna SET ore=?, km=?, kme=?, kminc=?, tone=?, tonekm=?, bm=?, "
                           "gz=?, restit=?, restrez=?, Cn=?, um=?, ut=?, ua=?, Cu=?, kmt=?, kmet=? "
                           "WHERE idd=?"),
            figures + QVariantList{r.idd});
    } else {
        run(Insert,
            QStringLiteral("INSERT INTO dateluna (ida, anul, idl, ore, km, kme, kminc, tone, tonekm, "
                           "bm, gz, restit, restrez, Cn, um, ut, ua, Cu, kmt, kmet) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            QVariantList{r.ida, r.anul, r.idl} + figures);
    }
}

VehicleYear MonthStore::year(int ida, int year) const
{
    static const QString vehicleSql = QStringLiteral(
        "SELECT a.nrauto, a.Cb, a.Cf, a.restrez, a.kmef, a.kmechiv, "
        "CASE WHEN EXISTS (SELECT 1 FROM foaie f WHERE f.ida=a.ida AND f.anul<?) THEN 1 ELSE 0 END "
        "FROM auto a WHERE a.ida=?");
    // The sheets in the order closeMonth sums them: by month, then number.
    static const QString sheetsSql = QStringLiteral("SELECT idl, ") + sheetColumns
                                     + QStringLiteral(" FROM foaie WHERE ida=? AND anul=? ORDER BY idl, nrf");
    static const QString tripsSql = QStringLiteral("SELECT f.idl, ") + tripSums
                                    + QStringLiteral(" FROM curse c INNER JOIN foaie f ON c.idf=f.idf "
                                                     "WHERE f.ida=? AND f.anul=? GROUP BY f.idl");
    static const QString rowsSql = QStringLiteral("SELECT ") + rowColumns
                                   + QStringLiteral(" FROM dateluna WHERE ida=? AND anul>=? AND anul<=?");
    VehicleYear result;
    QSqlQuery &vehicle = run(YearVehicle, vehicleSql, {year, ida});
    if (vehicle.next()) {
        MonthVehicle &v = result.vehicle;
        v.found = true;
        v.nrauto = vehicle.value(0).toString();
        v.Cb = number(vehicle, 1);
        v.Cf = number(vehicle, 2);
        v.restrez = number(vehicle, 3);
        v.kmef = number(vehicle, 4);
        v.kmechiv = number(vehicle, 5);
        result.sheetsBefore = vehicle.value(6).toInt() != 0;
    }
    vehicle.finish();
    if (!result.vehicle.found)
        return result;

    QSqlQuery &sheets = run(YearSheets, sheetsSql, {ida, year});
    while (sheets.next()) {
        const int month = sheets.value(0).toInt();
        if (month >= 1 && month <= 12)
            addSheet(result.totals[static_cast<size_t>(month - 1)].first, sheets, 1);
    }
    sheets.finish();
    QSqlQuery &trips = run(YearTrips, tripsSql, {ida, year});
    while (trips.next()) {
        const int month = trips.value(0).toInt();
        if (month >= 1 && month <= 12)
            result.totals[static_cast<size_t>(month - 1)].second = tripTotals(trips, 1);
    }
    trips.finish();
    QSqlQuery &rows = run(YearRows, rowsSql, {ida, year - 1, year});
    while (rows.next()) {
        MonthRow row = monthRow(rows);
        if (row.anul == year && row.idl >= 1 && row.idl <= 12)
            result.rows[static_cast<size_t>(row.idl - 1)] = row;
        else if (row.anul == year - 1 && row.idl == 12)
            result.previousDecember = row;
    }
    rows.finish();
    return result;
}

QList<std::pair<int, int>> MonthStore::sheetMonths(int ida, int fromYear, int fromMonth) const
{
    QSqlQuery &query = run(SheetMonths,
                           QStringLiteral("SELECT DISTINCT anul, idl FROM foaie WHERE ida=? AND anul>=? "
                                          "ORDER BY anul, idl"),
                           {ida, fromYear});
    QList<std::pair<int, int>> months;
    while (query.next()) {
        const int year = query.value(0).toInt();
        const int month = query.value(1).toInt();
        if (month < 1 || month > 12 || (year == fromYear && month < fromMonth))
            continue;
        months.append({year, month});
    }
    query.finish();
    return months;
}

QList<std::pair<int, QString>> MonthStore::listedVehicles() const
{
    return vehicles(m_db, QStringLiteral("SELECT ida, nrauto FROM auto WHERE apar=1 ORDER BY nrauto"));
}

QList<std::pair<int, QString>> MonthStore::markedVehicles() const
{
    return vehicles(m_db, QStringLiteral("SELECT ida, nrauto FROM auto WHERE rap=1 ORDER BY nrauto"));
}

} // namespace vok
