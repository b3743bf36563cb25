#include "fuel/refuelstore.h"

#include "db/database.h"

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
                                          "ua, nractu3, schu, nractschu, schf, nractschf, restit, nractrst "
                                          "FROM foaie WHERE ida=? AND nrf=?"),
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
    return s;
}

void RefuelStore::save(const SheetRefuel &v) const
{
    Transaction transaction(m_db);
    QSqlQuery query = exec(m_db,
                           QStringLiteral("UPDATE foaie SET bm=?, gz=?, nractc=?, um=?, nractu1=?, ut=?, "
                                          "nractu2=?, ua=?, nractu3=?, schu=?, nractschu=?, schf=?, "
                                          "nractschf=?, restit=?, nractrst=? WHERE idf=?"),
                           {v.bm, v.gz, v.nractc, v.um, v.nractu1, v.ut, v.nractu2, v.ua, v.nractu3,
                            v.schu ? 1 : 0, v.nractschu, v.schf ? 1 : 0, v.nractschf, v.restit,
                            v.nractrst, v.idf});
    if (query.numRowsAffected() != 1)
        throw DbError(QStringLiteral(" Foaia de parcurs nu mai exista in baza de date !!! "));
    transaction.commit();
}

void RefuelStore::clearFuel(int idf) const
{
    Transaction transaction(m_db);
    const QSqlQuery query = exec(m_db, QStringLiteral("UPDATE foaie SET bm=0, gz=0, nractc='' WHERE idf=?"), {idf});
    if (query.numRowsAffected() != 1)
        throw DbError(QStringLiteral(" Foaia de parcurs nu mai exista in baza de date !!! "));
    transaction.commit();
}

} // namespace vok
