#include "trips/sheetstore.h"

#include "db/database.h"
#include "base/numbers.h"

#include <QJsonArray>

namespace vok {

namespace {

const QString sheetColumns
    = QStringLiteral("idf, nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul, versiune, kmplecare, kmsosire");

std::optional<double> optionalNumber(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

// A measurement as it is bound: NULL when not recorded.
QVariant boundNumber(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

QJsonValue journalNumber(const std::optional<double> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

Sheet sheetFromRow(const QSqlQuery &query)
{
    Sheet s;
    s.idf = query.value(0).toInt();
    s.nrf = query.value(1).toInt();
    s.ida = query.value(2).toInt();
    s.sofer = query.value(3).toString();
    s.orap = query.value(4).toDouble();
    s.oras = query.value(5).toDouble();
    s.nrore = query.value(6).toDouble();
    s.data = query.value(7).toString();
    s.decada = query.value(8).toInt();
    s.idl = query.value(9).toInt();
    s.anul = query.value(10).toInt();
    s.versiune = query.value(11).toInt();
    s.kmplecare = optionalNumber(query.value(12));
    s.kmsosire = optionalNumber(query.value(13));
    return s;
}

std::optional<Sheet> readSheet(QSqlQuery &query)
{
    if (!query.next())
        return std::nullopt;
    return sheetFromRow(query);
}

// The hours on duty as the sheet's text would write them (15 significant
// digits: 17.3 - 8.1 is 9.2).
double hours(const SheetHeader &h) { return doubleText(h.oras - h.orap).toDouble(); }

// The header's columns as the journal keeps them.
QJsonObject headerObject(const QString &data, double orap, double oras, double nrore, const QString &sofer,
                         int decada, int idl, int anul, const std::optional<double> &kmplecare,
                         const std::optional<double> &kmsosire)
{
    return {{QStringLiteral("data"), data},     {QStringLiteral("orap"), orap},
            {QStringLiteral("oras"), oras},     {QStringLiteral("nrore"), nrore},
            {QStringLiteral("sofer"), sofer},   {QStringLiteral("decada"), decada},
            {QStringLiteral("idl"), idl},       {QStringLiteral("anul"), anul},
            {QStringLiteral("kmplecare"), journalNumber(kmplecare)},
            {QStringLiteral("kmsosire"), journalNumber(kmsosire)}};
}

Change sheetChange(const QString &action, int idf, int ida, int nrf)
{
    Change c;
    c.table = QStringLiteral("foaie");
    c.key = idf;
    c.action = action;
    c.ida = ida;
    c.nrf = nrf;
    return c;
}

} // namespace

int decadeOf(int day) { return day <= 10 ? 1 : day <= 20 ? 2 : 3; }

SheetStore::SheetStore(const QSqlDatabase &db)
    : m_db(db)
    , m_byNumber(db, QStringLiteral("SELECT ") + sheetColumns + QStringLiteral(" FROM foaie WHERE ida=? AND nrf=?"))
    , m_byNumberWithTrip(db, QStringLiteral("SELECT f.")
                                 + QString(sheetColumns).replace(QStringLiteral(", "), QStringLiteral(", f."))
                                 + QStringLiteral(", ") + tripColumnList(QStringLiteral("c."))
                                 + QStringLiteral(" FROM foaie f LEFT JOIN curse c ON c.idf=f.idf AND c.nrc=? "
                                                  "WHERE f.ida=? AND f.nrf=?"))
    , m_hasTrips(db, QStringLiteral("SELECT COUNT(*) FROM curse WHERE idf=?"))
    , m_dropMonth(db, QStringLiteral("DELETE FROM dateluna WHERE ida=? AND anul=? AND idl=?"))
    , m_update(db, QStringLiteral("UPDATE foaie SET data=?, orap=?, oras=?, nrore=?, sofer=?, decada=?, idl=?, anul=?, "
                                  "kmplecare=?, kmsosire=?, versiune=versiune+1 WHERE idf=? AND versiune=?"))
    , m_insert(db, QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul, "
                                  "kmplecare, kmsosire) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING idf"))
{
}

QList<int> SheetStore::numbers(int ida, int month, int year) const
{
    QSqlQuery query = month == 0
                          ? exec(m_db, QStringLiteral("SELECT nrf FROM foaie WHERE ida=? AND anul=? ORDER BY nrf"),
                                 {ida, year})
                          : exec(m_db,
                                 QStringLiteral("SELECT nrf FROM foaie WHERE ida=? AND idl=? AND anul=? ORDER BY nrf"),
                                 {ida, month, year});
    QList<int> result;
    while (query.next())
        result << query.value(0).toInt();
    return result;
}

std::optional<Sheet> SheetStore::byNumber(int ida, int nrf) const
{
    return m_byNumber.read({ida, nrf}, readSheet);
}

SheetStore::WithTrip SheetStore::byNumberWithTrip(int ida, int nrf, int nrc) const
{
    return m_byNumberWithTrip.read({nrc, ida, nrf}, [](QSqlQuery &query) {
        WithTrip found;
        if (!query.next())
            return found;
        found.sheet = sheetFromRow(query);
        const int first = int(sheetColumns.count(u',')) + 1;
        if (!query.value(first).isNull())
            found.trip = tripFromRow(query, first);
        return found;
    });
}

std::optional<Sheet> SheetStore::byId(int idf) const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT ") + sheetColumns + QStringLiteral(" FROM foaie WHERE idf=?"),
                           {idf});
    return readSheet(query);
}

QStringList SheetStore::drivers() const
{
    // Each name once, read from the driver index name by name: the cost grows
    // with the number of drivers, not with the years of sheets.
    QSqlQuery query = exec(m_db, QStringLiteral(
        "WITH RECURSIVE d(sofer) AS (SELECT MIN(sofer) FROM foaie UNION ALL "
        "SELECT (SELECT MIN(sofer) FROM foaie WHERE sofer > d.sofer) FROM d WHERE d.sofer IS NOT NULL) "
        "SELECT sofer FROM d WHERE sofer IS NOT NULL ORDER BY sofer"));
    QStringList result;
    while (query.next())
        result << query.value(0).toString();
    return result;
}

bool SheetStore::hasTrips(int idf) const
{
    return m_hasTrips.read({idf}, [](QSqlQuery &query) { return query.next() && query.value(0).toInt() > 0; });
}

void SheetStore::update(WriteRun &run, const Sheet &stored, const SheetHeader &h)
{
    // A header saved again as it was loaded changes nothing: no write.
    if (stored.data == h.data && stored.orap == h.orap && stored.oras == h.oras && stored.nrore == hours(h)
        && stored.sofer == h.sofer && stored.decada == h.decada && stored.idl == h.idl && stored.anul == h.anul
        && stored.kmplecare == h.kmplecare && stored.kmsosire == h.kmsosire)
        return;
    QSqlQuery &query = m_update.run({h.data, h.orap, h.oras, hours(h), h.sofer, h.decada, h.idl, h.anul,
                                     boundNumber(h.kmplecare), boundNumber(h.kmsosire), stored.idf, stored.versiune});
    const int rows = query.numRowsAffected();
    query.finish();
    if (rows < 1)
        throw StaleRecord();
    if (stored.idl != h.idl || stored.anul != h.anul)
        m_dropMonth.execute({stored.ida, stored.anul, stored.idl});
    Change c = sheetChange(Change::updated(), stored.idf, stored.ida, stored.nrf);
    c.before = headerObject(stored.data, stored.orap, stored.oras, stored.nrore, stored.sofer, stored.decada,
                            stored.idl, stored.anul, stored.kmplecare, stored.kmsosire);
    c.after = headerObject(h.data, h.orap, h.oras, hours(h), h.sofer, h.decada, h.idl, h.anul, h.kmplecare,
                           h.kmsosire);
    run.record(std::move(c));
}

int SheetStore::insert(WriteRun &run, const SheetHeader &h)
{
    const int idf = m_insert.read({h.nrf, h.ida, h.sofer, h.orap, h.oras, hours(h), h.data, h.decada, h.idl, h.anul,
                                   boundNumber(h.kmplecare), boundNumber(h.kmsosire)},
                                  [](QSqlQuery &query) { return query.next() ? query.value(0).toInt() : 0; });
    if (idf == 0)
        throw DbError(QStringLiteral("the new trip sheet cannot be read back"));
    Change c = sheetChange(Change::inserted(), idf, h.ida, h.nrf);
    c.after = headerObject(h.data, h.orap, h.oras, hours(h), h.sofer, h.decada, h.idl, h.anul, h.kmplecare,
                           h.kmsosire);
    c.after.insert(QStringLiteral("nrf"), h.nrf);
    c.after.insert(QStringLiteral("ida"), h.ida);
    run.record(std::move(c));
    return idf;
}

void SheetStore::remove(WriteRun &run, const Sheet &sheet)
{
    // The whole sheet and its trips go to the journal as they were.
    QSqlQuery row = exec(m_db, QStringLiteral("SELECT * FROM foaie WHERE idf=?"), {sheet.idf});
    if (!row.next())
        return;
    Change c = sheetChange(Change::deleted(), sheet.idf, sheet.ida, sheet.nrf);
    c.before = journal::rowObject(row, QStringLiteral("foaie"));
    row.finish();
    QJsonArray trips;
    QSqlQuery tripRows = exec(m_db, QStringLiteral("SELECT * FROM curse WHERE idf=? ORDER BY idc"), {sheet.idf});
    while (tripRows.next())
        trips.append(journal::rowObject(tripRows, QStringLiteral("curse")));
    tripRows.finish();
    c.before.insert(QStringLiteral("curse"), trips);
    exec(m_db, QStringLiteral("DELETE FROM foaie WHERE idf=?"), {sheet.idf});
    exec(m_db, QStringLiteral("DELETE FROM curse WHERE idf=?"), {sheet.idf});
    m_dropMonth.execute({sheet.ida, sheet.anul, sheet.idl});
    run.record(std::move(c));
}

} // namespace vok
