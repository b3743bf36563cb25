#include "fleet/partsstore.h"

#include "db/journal.h"

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
        "SELECT idp, ida, act, denp, COALESCE(valoare, 0), zi, luna, an, versiune FROM piese WHERE ida=? ORDER BY idp"),
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
        e.versiune = query.value(8).toInt();
        rows << e;
    }
    return rows;
}

namespace {

QJsonObject entryObject(const PartEntry &e)
{
    return {{QStringLiteral("ida"), e.ida},   {QStringLiteral("act"), e.act}, {QStringLiteral("denp"), e.denp},
            {QStringLiteral("valoare"), e.valoare}, {QStringLiteral("zi"), e.zi}, {QStringLiteral("luna"), e.luna},
            {QStringLiteral("an"), e.an}};
}

Change partChange(const QString &action, const PartEntry &e)
{
    Change c;
    c.table = QStringLiteral("piese");
    c.key = e.idp;
    c.action = action;
    c.ida = e.ida;
    return c;
}

} // namespace

int PartsStore::add(const PartEntry &e, const QString &window) const
{
    WriteRun run(m_db, window);
    QSqlQuery query = exec(m_db, QStringLiteral(
        "INSERT INTO piese (ida, act, denp, valoare, zi, luna, an) VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING idp"),
        {e.ida, e.act, e.denp, e.valoare, e.zi, e.luna, e.an});
    PartEntry added = e;
    added.idp = query.next() ? query.value(0).toInt() : 0;
    query.finish();
    Change c = partChange(Change::inserted(), added);
    c.after = entryObject(added);
    run.record(std::move(c));
    run.commit();
    return added.idp;
}

int PartsStore::update(const PartEntry &stored, const PartEntry &e, const QString &window) const
{
    // Written again as it is, an entry changes nothing: no write, no new version.
    if (stored.act == e.act && stored.denp == e.denp && stored.valoare == e.valoare)
        return stored.versiune;
    WriteRun run(m_db, window);
    journal::requireRow(exec(m_db, QStringLiteral("UPDATE piese SET act=?, denp=?, valoare=?, versiune=versiune+1 "
                                                  "WHERE idp=? AND versiune=?"),
                             {e.act, e.denp, e.valoare, stored.idp, stored.versiune}),
                        m_db, QStringLiteral("piese"), QStringLiteral("idp"), stored.idp);
    Change c = partChange(Change::updated(), stored);
    c.before = {{QStringLiteral("act"), stored.act}, {QStringLiteral("denp"), stored.denp},
                {QStringLiteral("valoare"), stored.valoare}};
    c.after = {{QStringLiteral("act"), e.act}, {QStringLiteral("denp"), e.denp}, {QStringLiteral("valoare"), e.valoare}};
    journal::keepChanged(c);
    run.record(std::move(c));
    run.commit();
    return stored.versiune + 1;
}

void PartsStore::remove(const PartEntry &stored, const QString &window) const
{
    WriteRun run(m_db, window);
    journal::requireRow(exec(m_db, QStringLiteral("DELETE FROM piese WHERE idp=? AND versiune=?"),
                             {stored.idp, stored.versiune}),
                        m_db, QStringLiteral("piese"), QStringLiteral("idp"), stored.idp);
    Change c = partChange(Change::deleted(), stored);
    c.before = entryObject(stored);
    run.record(std::move(c));
    run.commit();
}

} // namespace vok
