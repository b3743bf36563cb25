#include "fleet/driverstore.h"

#include "db/database.h"

#include <QSet>

namespace vok {

namespace {

const QString driverColumns =
    QStringLiteral("idsofer, nume, permis, categorii, exppermis, expaviz, activ, versiune");

Driver readDriver(const QSqlQuery &q)
{
    Driver d;
    d.idsofer = q.value(0).toInt();
    d.nume = q.value(1).toString();
    d.permis = q.value(2).toString();
    d.categorii = q.value(3).toString();
    d.exppermis = q.value(4).toString();
    d.expaviz = q.value(5).toString();
    d.activ = q.value(6).toInt() != 0;
    d.versiune = q.value(7).toInt();
    return d;
}

QJsonObject values(const Driver &d)
{
    return {{QStringLiteral("nume"), d.nume},           {QStringLiteral("permis"), d.permis},
            {QStringLiteral("categorii"), d.categorii}, {QStringLiteral("exppermis"), d.exppermis},
            {QStringLiteral("expaviz"), d.expaviz},     {QStringLiteral("activ"), d.activ ? 1 : 0}};
}

} // namespace

DriverStore::DriverStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QList<Driver> DriverStore::all() const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT ") + driverColumns + QStringLiteral(" FROM soferi ORDER BY nume"));
    QList<Driver> drivers;
    while (q.next())
        drivers << readDriver(q);
    return drivers;
}

QStringList DriverStore::activeNames() const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT nume FROM soferi WHERE activ<>0 ORDER BY nume"));
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

std::optional<Driver> DriverStore::byName(const QString &nume) const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT ") + driverColumns + QStringLiteral(" FROM soferi WHERE nume=?"),
                       {nume});
    if (!q.next())
        return std::nullopt;
    return readDriver(q);
}

std::optional<Driver> DriverStore::byId(int idsofer) const
{
    QSqlQuery q = exec(m_db,
                       QStringLiteral("SELECT ") + driverColumns + QStringLiteral(" FROM soferi WHERE idsofer=?"),
                       {idsofer});
    if (!q.next())
        return std::nullopt;
    return readDriver(q);
}

int DriverStore::save(const Driver &d, std::optional<int> loaded, const QString &window)
{
    WriteRun run(m_db, window);
    const std::optional<Driver> existing = byName(d.nume);
    Change c;
    c.table = QStringLiteral("soferi");
    c.after = values(d);
    int key = 0;
    if (existing) {
        key = existing->idsofer;
        journal::requireRow(exec(m_db,
                                 QStringLiteral("UPDATE soferi SET permis=?, categorii=?, exppermis=?, expaviz=?, "
                                                "activ=?, versiune=versiune+1 WHERE idsofer=? AND versiune=?"),
                                 {d.permis, d.categorii, d.exppermis, d.expaviz, d.activ ? 1 : 0, key,
                                  loaded.value_or(existing->versiune)}));
        c.action = Change::updated();
        c.before = values(*existing);
        journal::keepChanged(c);
    } else {
        // The driver on screen was deleted meanwhile.
        if (loaded)
            throw StaleRecord();
        QSqlQuery q = exec(m_db,
                           QStringLiteral("INSERT INTO soferi (nume, permis, categorii, exppermis, expaviz, activ) "
                                          "VALUES (?, ?, ?, ?, ?, ?) RETURNING idsofer"),
                           {d.nume, d.permis, d.categorii, d.exppermis, d.expaviz, d.activ ? 1 : 0});
        key = q.next() ? q.value(0).toInt() : 0;
        if (key == 0)
            throw DbError(QStringLiteral("the new driver cannot be read back"));
        c.action = Change::inserted();
    }
    c.key = key;
    run.record(std::move(c));
    run.commit();
    return key;
}

bool DriverStore::remove(int idsofer, const QString &window)
{
    WriteRun run(m_db, window);
    QSqlQuery row = exec(m_db, QStringLiteral("SELECT * FROM soferi WHERE idsofer=?"), {idsofer});
    if (!row.next())
        return false;
    Change c;
    c.table = QStringLiteral("soferi");
    c.key = idsofer;
    c.action = Change::deleted();
    c.before = journal::rowObject(row, QStringLiteral("soferi"));
    row.finish();
    exec(m_db, QStringLiteral("DELETE FROM soferi WHERE idsofer=?"), {idsofer});
    run.record(std::move(c));
    run.commit();
    return true;
}

QStringList driverChoices(const QList<Driver> &registered, const QStringList &onSheets)
{
    QStringList choices;
    QSet<QString> seen;
    for (const Driver &d : registered) {
        seen.insert(d.nume);
        if (d.activ)
            choices << d.nume;
    }
    for (const QString &name : onSheets)
        if (!name.isEmpty() && !seen.contains(name)) {
            seen.insert(name);
            choices << name;
        }
    return choices;
}

QStringList DriverStore::choices(const QStringList &onSheets) const { return driverChoices(all(), onSheets); }

} // namespace vok
