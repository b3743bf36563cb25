#include "trips/sheetstore.h"

#include "db/database.h"
#include "db/numbers.h"

namespace vok {

namespace {

const QString sheetColumns = QStringLiteral("idf, nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul");

std::optional<Sheet> readSheet(QSqlQuery &query)
{
    if (!query.next())
        return std::nullopt;
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
    return s;
}

// The hours on duty as the sheet's text would write them (15 significant
// digits: 17.3 - 8.1 is 9.2).
double hours(const SheetHeader &h) { return doubleText(h.oras - h.orap).toDouble(); }

} // namespace

int decadeOf(int day) { return day <= 10 ? 1 : day <= 20 ? 2 : 3; }

SheetStore::SheetStore(const QSqlDatabase &db)
    : m_db(db)
    , m_byNumber(db, QStringLiteral("SELECT ") + sheetColumns + QStringLiteral(" FROM foaie WHERE ida=? AND nrf=?"))
    , m_hasTrips(db, QStringLiteral("SELECT COUNT(*) FROM curse WHERE idf=?"))
    , m_dropMonth(db, QStringLiteral("DELETE FROM dateluna WHERE ida=? AND anul=? AND idl=?"))
    , m_update(db, QStringLiteral("UPDATE foaie SET data=?, orap=?, oras=?, nrore=?, sofer=?, decada=?, idl=?, anul=? "
                                  "WHERE idf=?"))
    , m_insert(db, QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING idf"))
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

void SheetStore::update(const Sheet &stored, const SheetHeader &h)
{
    if (stored.idl != h.idl || stored.anul != h.anul)
        m_dropMonth.execute({stored.ida, stored.anul, stored.idl});
    // A header saved again as it is stored changes nothing: no write.
    if (stored.data == h.data && stored.orap == h.orap && stored.oras == h.oras && stored.nrore == hours(h)
        && stored.sofer == h.sofer && stored.decada == h.decada && stored.idl == h.idl && stored.anul == h.anul)
        return;
    m_update.execute({h.data, h.orap, h.oras, hours(h), h.sofer, h.decada, h.idl, h.anul, stored.idf});
}

int SheetStore::insert(const SheetHeader &h)
{
    const QVariant idf = m_insert.read({h.nrf, h.ida, h.sofer, h.orap, h.oras, hours(h), h.data, h.decada, h.idl, h.anul},
                                       [](QSqlQuery &query) { return query.next() ? query.value(0) : QVariant(); });
    if (!idf.isValid())
        throw DbError(QStringLiteral("the new trip sheet cannot be read back"));
    return idf.toInt();
}

void SheetStore::remove(const Sheet &sheet)
{
    exec(m_db, QStringLiteral("DELETE FROM foaie WHERE idf=?"), {sheet.idf});
    exec(m_db, QStringLiteral("DELETE FROM curse WHERE idf=?"), {sheet.idf});
    m_dropMonth.execute({sheet.ida, sheet.anul, sheet.idl});
}

} // namespace vok
