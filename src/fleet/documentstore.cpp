#include "fleet/documentstore.h"

#include "base/numbers.h"
#include "db/database.h"

#include <algorithm>

namespace vok {

namespace {

const QString documentColumns = QStringLiteral("iddoc, ida, tip, numar, dela, panala, obs, versiune");

VehicleDocument readDocument(const QSqlQuery &q)
{
    VehicleDocument d;
    d.iddoc = q.value(0).toInt();
    d.ida = q.value(1).toInt();
    d.tip = q.value(2).toString();
    d.numar = q.value(3).toString();
    d.dela = q.value(4).toString();
    d.panala = q.value(5).toString();
    d.obs = q.value(6).toString();
    d.versiune = q.value(7).toInt();
    return d;
}

QJsonObject values(const VehicleDocument &d)
{
    return {{QStringLiteral("tip"), d.tip},       {QStringLiteral("numar"), d.numar},
            {QStringLiteral("dela"), d.dela},     {QStringLiteral("panala"), d.panala},
            {QStringLiteral("obs"), d.obs}};
}

QVariant orNull(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

QJsonValue journalValue(const std::optional<double> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

std::optional<double> optionalNumber(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

// The day a document is ordered by: its end, else its start.
QDate newestKey(const VehicleDocument &d)
{
    if (const auto end = due::parseDate(d.panala))
        return *end;
    if (const auto start = due::parseDate(d.dela))
        return *start;
    return {};
}

} // namespace

DocumentStore::DocumentStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QList<VehicleDocument> DocumentStore::forVehicle(int ida) const
{
    QSqlQuery q = exec(m_db,
                       QStringLiteral("SELECT ") + documentColumns
                           + QStringLiteral(" FROM documente WHERE ida=? ORDER BY iddoc DESC"),
                       {ida});
    QList<VehicleDocument> documents;
    while (q.next())
        documents << readDocument(q);
    // Dates are text: ordered as days here, the same on every engine.
    std::stable_sort(documents.begin(), documents.end(), [](const VehicleDocument &a, const VehicleDocument &b) {
        return newestKey(a) > newestKey(b);
    });
    return documents;
}

std::optional<VehicleDocument> DocumentStore::byId(int iddoc) const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT ") + documentColumns + QStringLiteral(" FROM documente WHERE iddoc=?"),
                       {iddoc});
    if (!q.next())
        return std::nullopt;
    return readDocument(q);
}

int DocumentStore::save(const VehicleDocument &d, const QString &window)
{
    WriteRun run(m_db, window);
    Change c;
    c.table = QStringLiteral("documente");
    c.ida = d.ida;
    c.after = values(d);
    int key = d.iddoc;
    if (d.iddoc) {
        const std::optional<VehicleDocument> stored = byId(d.iddoc);
        if (!stored)
            throw StaleRecord();
        journal::requireRow(exec(m_db,
                                 QStringLiteral("UPDATE documente SET tip=?, numar=?, dela=?, panala=?, obs=?, "
                                                "versiune=versiune+1 WHERE iddoc=? AND versiune=?"),
                                 {d.tip, d.numar, d.dela, d.panala, d.obs, d.iddoc, d.versiune}));
        c.action = Change::updated();
        c.before = values(*stored);
        journal::keepChanged(c);
    } else {
        if (!scalar(m_db, QStringLiteral("SELECT ida FROM auto WHERE ida=?"), {d.ida}).isValid())
            throw StaleRecord(); // the vehicle went meanwhile
        QSqlQuery q = exec(m_db,
                           QStringLiteral("INSERT INTO documente (ida, tip, numar, dela, panala, obs) "
                                          "VALUES (?, ?, ?, ?, ?, ?) RETURNING iddoc"),
                           {d.ida, d.tip, d.numar, d.dela, d.panala, d.obs});
        key = q.next() ? q.value(0).toInt() : 0;
        if (key == 0)
            throw DbError(QStringLiteral("the new document cannot be read back"));
        c.action = Change::inserted();
    }
    c.key = key;
    run.record(std::move(c));
    run.commit();
    return key;
}

void DocumentStore::remove(const VehicleDocument &d, const QString &window)
{
    WriteRun run(m_db, window);
    QSqlQuery row = exec(m_db, QStringLiteral("SELECT * FROM documente WHERE iddoc=? AND versiune=?"),
                         {d.iddoc, d.versiune});
    if (!row.next())
        throw StaleRecord();
    Change c;
    c.table = QStringLiteral("documente");
    c.key = d.iddoc;
    c.ida = d.ida;
    c.action = Change::deleted();
    c.before = journal::rowObject(row, QStringLiteral("documente"));
    row.finish();
    exec(m_db, QStringLiteral("DELETE FROM documente WHERE iddoc=?"), {d.iddoc});
    run.record(std::move(c));
    run.commit();
}

std::optional<ServiceInterval> DocumentStore::service(int ida) const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT kmrevizie, kmultrev, versiune FROM auto WHERE ida=?"), {ida});
    if (!q.next())
        return std::nullopt;
    ServiceInterval s;
    s.kmrevizie = q.value(0).toDouble();
    s.kmultrev = optionalNumber(q.value(1));
    s.versiune = q.value(2).toInt();
    return s;
}

int DocumentStore::saveService(int ida, const ServiceInterval &stored, const ServiceInterval &typed,
                               const QString &window)
{
    WriteRun run(m_db, window);
    journal::requireRow(exec(m_db,
                             QStringLiteral("UPDATE auto SET kmrevizie=?, kmultrev=?, versiune=versiune+1 "
                                            "WHERE ida=? AND versiune=?"),
                             {typed.kmrevizie, orNull(typed.kmultrev), ida, stored.versiune}));
    Change c;
    c.table = QStringLiteral("auto");
    c.key = ida;
    c.ida = ida;
    c.action = Change::updated();
    c.before = {{QStringLiteral("kmrevizie"), stored.kmrevizie}, {QStringLiteral("kmultrev"), journalValue(stored.kmultrev)}};
    c.after = {{QStringLiteral("kmrevizie"), typed.kmrevizie}, {QStringLiteral("kmultrev"), journalValue(typed.kmultrev)}};
    journal::keepChanged(c);
    run.record(std::move(c));
    run.commit();
    return stored.versiune + 1;
}

due::Odometer DocumentStore::odometer(int ida) const
{
    due::Odometer odometer;
    // The latest sheet by its date (dd.mm.yyyy: the day is its first two characters).
    QSqlQuery sheet = exec(m_db,
                           QStringLiteral("SELECT kmsosire, data FROM foaie WHERE ida=? AND kmsosire IS NOT NULL "
                                          "ORDER BY anul DESC, idl DESC, SUBSTR(data, 1, 2) DESC, nrf DESC LIMIT 1"),
                           {ida});
    if (sheet.next()) {
        odometer.source = due::OdometerSource::Sheet;
        odometer.km = sheet.value(0).toDouble();
        odometer.from = sheet.value(1).toString();
        return odometer;
    }
    QSqlQuery month = exec(m_db,
                           QStringLiteral("SELECT kmt, idl, anul FROM dateluna WHERE ida=? AND kmt IS NOT NULL "
                                          "ORDER BY anul DESC, idl DESC LIMIT 1"),
                           {ida});
    if (month.next()) {
        odometer.source = due::OdometerSource::ClosedMonth;
        odometer.km = month.value(0).toDouble();
        odometer.from = QStringLiteral("%1.%2").arg(month.value(1).toInt(), 2, 10, QLatin1Char('0')).arg(month.value(2).toInt());
    }
    return odometer;
}

DueSettings DocumentStore::dueSettings() const
{
    DueSettings settings;
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT zilescadente, kmscadente FROM setari ORDER BY ids"));
    if (q.next()) {
        if (!q.value(0).isNull())
            settings.days = q.value(0).toInt();
        if (!q.value(1).isNull())
            settings.km = q.value(1).toDouble();
    }
    return settings;
}

void DocumentStore::saveDueSettings(const DueSettings &settings, const QString &window)
{
    WriteRun run(m_db, window);
    if (!scalar(m_db, QStringLiteral("SELECT ids FROM setari")).isValid())
        exec(m_db, QStringLiteral("INSERT INTO setari (unitate, functie, numeman, intocmit) VALUES (?, ?, ?, ?)"),
             {QString(), QString(), QString(), QString()});
    QList<Change> changes;
    QSqlQuery rows = exec(m_db, QStringLiteral("SELECT ids, zilescadente, kmscadente FROM setari ORDER BY ids"));
    while (rows.next()) {
        Change c;
        c.table = QStringLiteral("setari");
        c.key = rows.value(0).toLongLong();
        c.action = Change::updated();
        c.before = {{QStringLiteral("zilescadente"), rows.value(1).toInt()},
                    {QStringLiteral("kmscadente"), rows.value(2).toDouble()}};
        c.after = {{QStringLiteral("zilescadente"), settings.days}, {QStringLiteral("kmscadente"), settings.km}};
        journal::keepChanged(c);
        changes << c;
    }
    rows.finish();
    exec(m_db, QStringLiteral("UPDATE setari SET zilescadente=?, kmscadente=?, versiune=versiune+1"),
         {settings.days, settings.km});
    for (Change &c : changes)
        run.record(std::move(c));
    run.commit();
}

QList<due::Item> DocumentStore::dueItems(const QDate &today, int days) const
{
    QList<due::DocumentRow> documents;
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT d.iddoc, d.ida, a.nrauto, a.apar, d.tip, d.panala "
                                            "FROM documente d INNER JOIN auto a ON a.ida=d.ida"));
    while (q.next())
        documents << due::DocumentRow{q.value(0).toInt(), q.value(1).toInt(), q.value(2).toString(),
                                      q.value(3).toInt() == 1, q.value(4).toString(), q.value(5).toString()};
    q.finish();

    QList<due::DriverRow> drivers;
    for (const Driver &d : DriverStore(m_db).all())
        drivers << due::DriverRow{d.idsofer, d.nume, d.activ, d.exppermis, d.expaviz};

    QList<due::ServiceRow> services;
    QSqlQuery s = exec(m_db, QStringLiteral("SELECT ida, nrauto, apar, kmrevizie, kmultrev FROM auto "
                                            "WHERE apar=1 AND kmrevizie>0 AND kmultrev IS NOT NULL"));
    while (s.next()) {
        due::ServiceRow row;
        row.ida = s.value(0).toInt();
        row.nrauto = s.value(1).toString();
        row.listed = s.value(2).toInt() == 1;
        row.kmrevizie = s.value(3).toDouble();
        row.kmultrev = optionalNumber(s.value(4));
        services << row;
    }
    s.finish();
    for (due::ServiceRow &row : services)
        row.odometer = odometer(row.ida);
    return due::dueItems(documents, drivers, services, today, days, dueSettings().km);
}

} // namespace vok
