#include "fuel/refuelstore.h"

#include "db/database.h"
#include "db/journal.h"

#include <QSqlQuery>

namespace vok {

RefuelStore::RefuelStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QList<int> RefuelStore::sheetNumbers(int ida, int year, int month) const
{
    QSqlQuery query = exec(m_db,
                           QStringLiteral("SELECT nrf FROM foaie WHERE ida=? AND anul=? AND idl=? ORDER BY nrf"),
                           {ida, year, month});
    QList<int> numbers;
    while (query.next())
        numbers << query.value(0).toInt();
    return numbers;
}

std::optional<SheetRefuel> RefuelStore::sheet(int ida, int nrf) const
{
    QSqlQuery query = exec(m_db,
                           QStringLiteral("SELECT idf, nrf, data, bm, nractc, gz, um, nractu1, ut, nractu2, "
                                          "ua, nractu3, schu, nractschu, schf, nractschf, restit, nractrst, "
                                          "versiunealim, rezplecare, rezsosire FROM foaie WHERE ida=? AND nrf=?"),
                           {ida, nrf});
    if (!query.next())
        return std::nullopt;
    // Columns never written read as 0 or as an empty text.
    SheetRefuel s;
    s.idf = query.value(0).toInt();
    s.nrf = query.value(1).toInt();
    s.data = query.value(2).toString();
    s.bm = query.value(3).toDouble();
    s.nractc = query.value(4).toString();
    s.gz = query.value(5).toDouble();
    s.um = query.value(6).toDouble();
    s.nractu1 = query.value(7).toString();
    s.ut = query.value(8).toDouble();
    s.nractu2 = query.value(9).toString();
    s.ua = query.value(10).toDouble();
    s.nractu3 = query.value(11).toString();
    s.schu = query.value(12).toDouble() > 0;
    s.nractschu = query.value(13).toString();
    s.schf = query.value(14).toDouble() > 0;
    s.nractschf = query.value(15).toString();
    s.restit = query.value(16).toDouble();
    s.nractrst = query.value(17).toString();
    s.versiunealim = query.value(18).toInt();
    if (!query.value(19).isNull())
        s.rezplecare = query.value(19).toDouble();
    if (!query.value(20).isNull())
        s.rezsosire = query.value(20).toDouble();
    return s;
}

namespace {

const QString refuelColumns = QStringLiteral(
    "bm, gz, nractc, um, nractu1, ut, nractu2, ua, nractu3, schu, nractschu, schf, nractschf, restit, nractrst, "
    "rezplecare, rezsosire");

// A tank level as it is bound: NULL when not recorded.
QVariant level(const std::optional<double> &litres)
{
    return litres ? QVariant(*litres) : QVariant(QMetaType(QMetaType::Double));
}

// Writes `sets` on the sheet's refuelling at the version it was loaded with,
// and journals what it changed. Returns the new version.
int writeRefuel(const QSqlDatabase &db, const QString &window, int idf, int versiunealim, const QString &sets,
                QVariantList values)
{
    WriteRun run(db, window);
    QSqlQuery row = exec(db, QStringLiteral("SELECT ") + refuelColumns + QStringLiteral(", ida, nrf FROM foaie WHERE idf=?"), {idf});
    if (!row.next())
        throw DbError(QStringLiteral(" Foaia de parcurs nu mai exista in baza de date !!! "));
    Change c;
    c.table = QStringLiteral("foaie");
    c.key = idf;
    c.action = Change::updated();
    c.before = journal::rowObject(row, QStringLiteral("foaie"));
    c.ida = c.before.take(QStringLiteral("ida")).toInt();
    c.nrf = c.before.take(QStringLiteral("nrf")).toInt();
    row.finish();
    values << idf << versiunealim;
    journal::requireRow(exec(db, QStringLiteral("UPDATE foaie SET ") + sets
                                     + QStringLiteral(", versiunealim=versiunealim+1 WHERE idf=? AND versiunealim=?"),
                             values));
    QSqlQuery written = exec(db, QStringLiteral("SELECT ") + refuelColumns + QStringLiteral(" FROM foaie WHERE idf=?"), {idf});
    written.next();
    c.after = journal::rowObject(written, QStringLiteral("foaie"));
    written.finish();
    journal::keepChanged(c);
    run.record(std::move(c));
    run.commit();
    return versiunealim + 1;
}

} // namespace

int RefuelStore::save(const SheetRefuel &v, const QString &window) const
{
    return writeRefuel(m_db, window, v.idf, v.versiunealim,
                       QStringLiteral("bm=?, gz=?, nractc=?, um=?, nractu1=?, ut=?, nractu2=?, ua=?, nractu3=?, "
                                      "schu=?, nractschu=?, schf=?, nractschf=?, restit=?, nractrst=?, rezplecare=?, rezsosire=?"),
                       {v.bm, v.gz, v.nractc, v.um, v.nractu1, v.ut, v.nractu2, v.ua, v.nractu3, v.schu ? 1 : 0,
                        v.nractschu, v.schf ? 1 : 0, v.nractschf, v.restit, v.nractrst, level(v.rezplecare),
                        level(v.rezsosire)});
}

int RefuelStore::clearFuel(int idf, int versiunealim, const QString &window) const
{
    return writeRefuel(m_db, window, idf, versiunealim, QStringLiteral("bm=0, gz=0, nractc=''"), {});
}

} // namespace vok
