#include "fleet/partsstore.h"

#include "db/database.h"

namespace vok {

PartsStore::PartsStore(const QSqlDatabase &db)
    : m_db(db)
{
}

std::optional<PartsVehicle> PartsStore::vehicleByNumber(const QString &nrauto) const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT ida, nrauto, marca FROM auto WHERE nrauto=?"), {nrauto});
    if (!query.next())
        return std::nullopt;
    return PartsVehicle{query.value(0).toInt(), query.value(1).toString(), query.value(2).toString()};
}

QList<PartEntry> PartsStore::entries(int ida) const
{
    QSqlQuery query = exec(m_db, QStringLiteral(
        "SELECT idp, ida, act, denp, COALESCE(valoare, 0), zi, luna, an FROM piese WHERE ida=? ORDER BY idp"),
        {ida});
    QList<PartEntry> rows;
    while (query.next()) {
        PartEntry e;
        e.idp = query.value(0).toInt();
        e.ida = query.value(1).toInt();
        e.act = query.value(2).toString();
        e.denp = query.value(3).toString();
        e.valoare = query.value(4).toDouble();
        e.zi = query.value(5).toString();
        e.luna = query.value(6).toString();
        e.an = query.value(7).toString();
        rows << e;
    }
    return rows;
}

int PartsStore::add(const PartEntry &e) const
{
    Transaction transaction(m_db);
    QSqlQuery query = exec(m_db, QStringLiteral(
        "INSERT INTO piese (ida, act, denp, valoare, zi, luna, an) VALUES (?, ?, ?, ?, ?, ?, ?)"),
        {e.ida, e.act, e.denp, e.valoare, e.zi, e.luna, e.an});
    const int idp = query.lastInsertId().toInt();
    transaction.commit();
    return idp;
}

void PartsStore::update(const PartEntry &e) const
{
    Transaction transaction(m_db);
    exec(m_db, QStringLiteral("UPDATE piese SET act=?, denp=?, valoare=? WHERE idp=?"),
         {e.act, e.denp, e.valoare, e.idp});
    transaction.commit();
}

void PartsStore::remove(int idp) const
{
    Transaction transaction(m_db);
    exec(m_db, QStringLiteral("DELETE FROM piese WHERE idp=?"), {idp});
    transaction.commit();
}

} // namespace vok
