#include "months/monthstore.h"

#include "db/database.h"

#include <QHash>
#include <QSqlQuery>

#include <cmath>

namespace vok {

namespace {

const QString rowColumns = QStringLiteral(
    "idd, ida, anul, idl, ore, km, kme, kminc, tone, tonekm, bm, gz, restit, restrez, Cn, um, ut, "
    "ua, Cu, kmt, kmet");

double number(const QSqlQuery &query, int column) { return query.value(column).toDouble(); }
double number(const RowReader &row, int column) { return row.real(column); }
qint64 integer(const QSqlQuery &query, int column) { return query.value(column).toLongLong(); }
qint64 integer(const RowReader &row, int column) { return row.integer(column); }

// One sheet's figures, read by addSheet().
const QString sheetColumns = QStringLiteral("orap, oras, schu, schf, bm, gz, restit, um, ut, ua");

// Adds the sheet whose columns (sheetColumns) start at `first`.
template <typename Row> void addSheet(SheetTotals &t, const Row &query, int first)
{
    ++t.sheets;
    // Single precision, as the closing has always summed them: the sheet's
    // hours are a double, the running sum a single.
    t.hours = static_cast<float>(static_cast<double>(t.hours) + (number(query, first + 1) - number(query, first)));
    if (integer(query, first + 2) > 0)
        ++t.oilChanges;
    if (integer(query, first + 3) > 0)
        ++t.filterChanges;
    t.bm += number(query, first + 4);
    t.gz += number(query, first + 5);
    t.restit += number(query, first + 6);
    t.fuelMicro += micros(number(query, first + 4)) + micros(number(query, first + 5))
                   - micros(number(query, first + 6));
    t.um += number(query, first + 7);
    t.ut += number(query, first + 8);
    t.ua += number(query, first + 9);
}

// The trip sums of a month, read by tripTotals().
const QString tripSums = QStringLiteral(
    "SUM(c.Cn), SUM(c.kmT), SUM(c.kmE), SUM(c.Cu), "
    "SUM(CASE WHEN c.Gm > 0 THEN c.Gm ELSE 0 END), "
    "SUM(CASE WHEN c.Gm > 0 THEN c.Gm * c.kmT ELSE 0 END), "
    "SUM(CASE WHEN c.Gm > 0 THEN c.kmT ELSE 0 END), "
    "SUM(CAST(ROUND(c.Cn * 1000000) AS BIGINT))");

// An exact sum as the engine gives it: an integer, or on a server a numeric
// that the driver may hand over as a double or a text.
qint64 exactSum(const QSqlQuery &query, int column)
{
    const QVariant value = query.value(column);
    if (value.isNull())
        return 0;
    if (value.typeId() == QMetaType::Double)
        return std::llround(value.toDouble());
    bool ok = false;
    const qint64 sum = value.toLongLong(&ok);
    return ok ? sum : std::llround(value.toString().toDouble());
}

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
    trips.CnMicro = exactSum(query, first + 7);
    return trips;
}

// Adds a trip (idf, Cn, kmT, kmE, Cu, Gm) as the sums of tripSums would:
// empty values add nothing, the loaded figures only with a load.
void addTrip(TripTotals &t, const RowReader &trip)
{
    const double Cn = trip.real(1), kmT = trip.real(2), Gm = trip.real(5);
    t.Cn += Cn;
    t.kmT += kmT;
    t.kmE += trip.real(3);
    t.Cu += trip.real(4);
    if (Gm > 0) {
        t.loadedTonnes += Gm;
        if (!trip.isNull(2)) {
            t.tonneKm += Gm * kmT;
            t.loadedKm += kmT;
        }
    }
    t.CnMicro += micros(Cn);
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

qint64 micros(double value) { return std::llround(value * 1e6); }

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

MonthBasis MonthStore::basis(int ida, int year, int month, int previousYear, int previousMonth,
                             bool forWriting) const
{
    static const QString sql = QStringLiteral(
        "SELECT a.Cb, a.Cf, a.restrez, a.kmef, a.kmechiv, p.idd, p.restrez, p.kmt, p.kmet, m.idd, a.caprez "
        "FROM auto a "
        "LEFT JOIN dateluna p ON p.ida=a.ida AND p.anul=? AND p.idl=? "
        "LEFT JOIN dateluna m ON m.ida=a.ida AND m.anul=? AND m.idl=? "
        "WHERE a.ida=?");
    // On a server several clerks write at once: the month is locked for the
    // rest of the transaction before its sums are read, so that a sheet or
    // trip of it written meanwhile (whose mark takes the same lock, shared)
    // is either summed or marked after the closing took the month's mark away.
    static const QString lockedSql = QStringLiteral("WITH l AS MATERIALIZED (SELECT pg_advisory_xact_lock(?, ?) AS locked) ")
                                     + sql.mid(0, sql.indexOf(QLatin1String("FROM auto a ")))
                                     + QStringLiteral("FROM l CROSS JOIN auto a ")
                                     + sql.mid(sql.indexOf(QLatin1String("LEFT JOIN dateluna p")));
    const bool lock = forWriting && m_db.driverName() == QLatin1String("QPSQL");
    QSqlQuery &query = lock ? run(LockedBasis, lockedSql, {ida, year * 100 + month, previousYear, previousMonth, year, month, ida})
                            : run(Basis, sql, {previousYear, previousMonth, year, month, ida});
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
        basis.caprez = number(query, 10);
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
    unmark(r.ida, r.anul, r.idl);
}

void MonthStore::lockMarked(int ida) const
{
    if (m_db.driverName() != QLatin1String("QPSQL"))
        return; // a file's write transaction has the file to itself
    QSqlQuery &query = run(LockMarked,
                           QStringLiteral("SELECT pg_advisory_xact_lock(ida, anul * 100 + idl) FROM lunischimbate "
                                          "WHERE ida=? ORDER BY anul, idl"),
                           {ida});
    while (query.next()) {
    }
    query.finish();
}

void MonthStore::unmark(int ida, int year, int month) const
{
    run(Unmark, QStringLiteral("DELETE FROM lunischimbate WHERE ida=? AND anul=? AND idl=?"), {ida, year, month});
}

VehicleYear MonthStore::year(int ida, int year) const
{
    static const QString vehicleSql = QStringLiteral(
        "SELECT a.nrauto, a.Cb, a.Cf, a.restrez, a.kmef, a.kmechiv, "
        "CASE WHEN EXISTS (SELECT 1 FROM foaie f WHERE f.ida=a.ida AND f.anul<?) THEN 1 ELSE 0 END "
        "FROM auto a WHERE a.ida=?");
    // The sheets in the order closeMonth sums them: by month, then number.
    static const QString sheetsSql = QStringLiteral("SELECT idl, idf, ") + sheetColumns
                                     + QStringLiteral(" FROM foaie WHERE ida=? AND anul=? ORDER BY idl, nrf");
    // The trips of the year's sheets one by one, summed here by month: a
    // join grouped by month costs the engine half as much again.
    static const QString tripsSql = QStringLiteral(
        "SELECT idf, Cn, kmT, kmE, Cu, Gm FROM curse WHERE idf IN (SELECT idf FROM foaie WHERE ida=? AND anul=?)");
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

    QHash<int, int> monthOf; // the sheets' months by their key
    {
        RowReader sheets(m_db, sheetsSql, {ida, year});
        while (sheets.next()) {
            const int month = int(sheets.integer(0));
            monthOf.insert(int(sheets.integer(1)), month);
            if (month >= 1 && month <= 12)
                addSheet(result.totals[static_cast<size_t>(month - 1)].first, sheets, 2);
        }
    }
    if (!monthOf.isEmpty()) {
        RowReader trips(m_db, tripsSql, {ida, year});
        while (trips.next()) {
            const int month = monthOf.value(int(trips.integer(0)));
            if (month >= 1 && month <= 12)
                addTrip(result.totals[static_cast<size_t>(month - 1)].second, trips);
        }
    }
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

QList<ChainMonth> MonthStore::chainBefore(int ida, int year, int month) const
{
    // Each row with its month's mark.
    static const QString rowsSql =
        QStringLiteral("SELECT ") + rowColumns
        + QStringLiteral(", EXISTS (SELECT 1 FROM lunischimbate m WHERE m.ida=dateluna.ida AND m.anul=dateluna.anul "
                         "AND m.idl=dateluna.idl) FROM dateluna WHERE ida=? AND (anul<? OR (anul=? AND idl<?)) "
                         "ORDER BY anul DESC, idl DESC");
    // The sums of many months at once, each month's in one aggregate: the
    // sheets' hours as one sum (the same to the tenth of an hour the month
    // is rounded to), their figures exactly where the rest needs them.
    static const QString sheetsSql = QStringLiteral(
        "SELECT anul, idl, COUNT(*), SUM(oras - orap), SUM(CASE WHEN schu > 0 THEN 1 ELSE 0 END), "
        "SUM(CASE WHEN schf > 0 THEN 1 ELSE 0 END), SUM(bm), SUM(gz), SUM(restit), SUM(um), SUM(ut), SUM(ua), "
        "SUM(CAST(ROUND(COALESCE(bm, 0) * 1000000) AS BIGINT) + CAST(ROUND(COALESCE(gz, 0) * 1000000) AS BIGINT) "
        "- CAST(ROUND(COALESCE(restit, 0) * 1000000) AS BIGINT)) "
        "FROM foaie WHERE ida=? AND anul>=? AND anul<=? GROUP BY anul, idl");
    static const QString tripsSql = QStringLiteral("SELECT f.anul, f.idl, ") + tripSums
                                    + QStringLiteral(" FROM curse c INNER JOIN foaie f ON c.idf=f.idf "
                                                     "WHERE f.ida=? AND f.anul>=? AND f.anul<=? GROUP BY f.anul, f.idl");
    auto order = [](int y, int m) { return y * 12 + (m - 1); };
    QList<ChainMonth> chain;
    QSqlQuery &rows = run(ChainRows, rowsSql, {ida, year, year, month});
    int expected = order(year, month) - 1;
    const int markColumn = rowColumns.count(u',') + 1;
    int oldestMarked = -1; // the month order of the oldest marked month of the run
    while (rows.next()) {
        MonthRow row = monthRow(rows);
        if (row.idl < 1 || row.idl > 12)
            continue;
        if (order(row.anul, row.idl) != expected)
            break;
        ChainMonth m;
        m.year = row.anul;
        m.month = row.idl;
        m.row = row;
        chain.prepend(m);
        if (rows.value(markColumn).toInt() != 0)
            oldestMarked = expected; // the rows come newest first: the oldest marked one stays
        --expected;
    }
    rows.finish();
    if (chain.isEmpty())
        return chain;

    const int first = order(chain.first().year, chain.first().month);
    // The months before the oldest marked one are what their closing made of
    // their sums: only the rest is summed.
    const int summedFrom = oldestMarked < 0 ? static_cast<int>(chain.size()) : oldestMarked - first;
    for (int i = 0; i < summedFrom; ++i)
        chain[i].summed = false;
    if (summedFrom >= chain.size())
        return chain;
    auto at = [&](const QSqlQuery &query) -> ChainMonth * {
        const int index = order(query.value(0).toInt(), query.value(1).toInt()) - first;
        const int m = query.value(1).toInt();
        if (m < 1 || m > 12 || index < summedFrom || index >= chain.size())
            return nullptr;
        return &chain[index];
    };
    const int fromYear = chain[summedFrom].year;
    QSqlQuery &sheets = run(ChainSheets, sheetsSql, {ida, fromYear, chain.last().year});
    while (sheets.next()) {
        ChainMonth *m = at(sheets);
        if (!m)
            continue;
        SheetTotals &t = m->sheets;
        t.sheets = sheets.value(2).toInt();
        t.hours = static_cast<float>(number(sheets, 3));
        t.oilChanges = sheets.value(4).toInt();
        t.filterChanges = sheets.value(5).toInt();
        t.bm = number(sheets, 6);
        t.gz = number(sheets, 7);
        t.restit = number(sheets, 8);
        t.um = number(sheets, 9);
        t.ut = number(sheets, 10);
        t.ua = number(sheets, 11);
        t.fuelMicro = exactSum(sheets, 12);
    }
    sheets.finish();
    QSqlQuery &trips = run(ChainTrips, tripsSql, {ida, fromYear, chain.last().year});
    while (trips.next())
        if (ChainMonth *m = at(trips))
            m->trips = tripTotals(trips, 2);
    trips.finish();
    return chain;
}

bool MonthStore::hasSheets(int ida, int year, int month) const
{
    QSqlQuery &query = run(HasSheets, QStringLiteral("SELECT 1 FROM foaie WHERE ida=? AND anul=? AND idl=?"),
                           {ida, year, month});
    const bool found = query.next();
    query.finish();
    return found;
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
