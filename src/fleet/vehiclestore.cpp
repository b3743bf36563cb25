#include "fleet/vehiclestore.h"

#include "db/database.h"

#include <QSqlRecord>

namespace vok {

namespace {

const QString vehicleColumns = QStringLiteral(
    "ida, nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod, apar, rap, kmef, kmefinc, "
    "kmechiv, restrez, versiune");

std::optional<Vehicle> readVehicle(QSqlQuery &query)
{
    if (!query.next())
        return std::nullopt;
    Vehicle v;
    v.ida = query.value(0).toInt();
    v.nrauto = query.value(1).toString();
    v.marca = query.value(2).toString();
    v.formula = query.value(3).toInt();
    v.motor = query.value(4).toInt();
    v.Cm = query.value(5).toDouble();
    v.Ca = query.value(6).toDouble();
    v.Cb = query.value(7).toDouble();
    v.Cf = query.value(8).toDouble();
    v.Ispec = query.value(9).toInt();
    v.Iaerod = query.value(10).toInt();
    v.apar = query.value(11).toInt();
    v.rap = query.value(12).toInt();
    v.kmef = query.value(13).toDouble();
    v.kmefinc = query.value(14).toDouble();
    v.kmechiv = query.value(15).toDouble();
    v.restrez = query.value(16).toDouble();
    v.versiune = query.value(17).toInt();
    return v;
}

} // namespace

VehicleStore::VehicleStore(const QSqlDatabase &db)
    : m_db(db)
    , m_byId(db, QStringLiteral("SELECT ") + vehicleColumns + QStringLiteral(" FROM auto WHERE ida=?"))
{
}

QStringList VehicleStore::visibleNumbers() const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT nrauto FROM auto WHERE apar=1 ORDER BY nrauto"));
    QStringList numbers;
    while (query.next())
        numbers << query.value(0).toString();
    return numbers;
}

std::optional<Vehicle> VehicleStore::byNumber(const QString &nrauto) const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT ") + vehicleColumns
                                     + QStringLiteral(" FROM auto WHERE nrauto=?"),
                           {nrauto});
    return readVehicle(query);
}

std::optional<Vehicle> VehicleStore::byId(int ida) const
{
    return m_byId.read({ida}, readVehicle);
}

QString vehicleDeletedText()
{
    return QStringLiteral(" Autovehiculul a fost sters intre timp de alt utilizator !!! ");
}

double defaultConsumption(const Consumption &consumption)
{
    switch (consumption.implicit) {
    case 1: return consumption.Cm1;
    case 2: return consumption.Cm2;
    default: return consumption.Cm3;
    }
}

QStringList VehicleStore::makes() const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT DISTINCT marca FROM auto WHERE marca IS NOT NULL "
                                                "ORDER BY marca"));
    QStringList makes;
    while (query.next())
        makes << query.value(0).toString();
    return makes;
}

std::optional<Consumption> VehicleStore::consumption(int ida) const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT Cm1, Cm2, Cm3, implicit, versiune FROM consum WHERE ida=?"),
                           {ida});
    if (!query.next())
        return std::nullopt;
    Consumption c;
    c.Cm1 = query.value(0).toDouble();
    c.Cm2 = query.value(1).toDouble();
    c.Cm3 = query.value(2).toDouble();
    c.implicit = query.value(3).toInt();
    c.versiune = query.value(4).toInt();
    return c;
}

int VehicleStore::save(const VehicleRecord &r, const QString &window)
{
    // Only 1, 2 and 3 name a regime; anything else is taken as extra-urban,
    // as the window's option group does.
    Consumption c = r.consumption;
    if (c.implicit != 1 && c.implicit != 2)
        c.implicit = 3;
    const double cm = defaultConsumption(c);
    WriteRun run(m_db, window);
    const std::optional<Vehicle> existing = byNumber(r.nrauto);
    Change vehicleChange;
    vehicleChange.table = QStringLiteral("auto");
    vehicleChange.nrauto = r.nrauto;
    vehicleChange.after = {{QStringLiteral("marca"), r.marca}, {QStringLiteral("formula"), r.formula},
                           {QStringLiteral("motor"), r.motor},  {QStringLiteral("Cm"), cm},
                           {QStringLiteral("Ca"), r.Ca},        {QStringLiteral("Cb"), r.Cb},
                           {QStringLiteral("Cf"), r.Cf},        {QStringLiteral("Ispec"), r.Ispec},
                           {QStringLiteral("Iaerod"), r.Iaerod}};
    int ida = 0;
    // The vehicle on screen was deleted meanwhile: it is never made again
    // from what the screen holds.
    if ((!existing && r.versiune) || (existing && r.ida && existing->ida != r.ida))
        throw StaleRecord::deleted(vehicleDeletedText());
    if (existing) {
        ida = existing->ida;
        const QSqlQuery query = exec(
            m_db,
            QStringLiteral("UPDATE auto SET marca=?, formula=?, motor=?, Cm=?, Ca=?, Cb=?, Cf=?, Ispec=?, "
                           "Iaerod=?, versiune=versiune+1 WHERE ida=? AND versiune=?"),
            {r.marca, r.formula, r.motor, cm, r.Ca, r.Cb, r.Cf, r.Ispec, r.Iaerod, ida,
             r.versiune.value_or(existing->versiune)});
        journal::requireRow(query, m_db, QStringLiteral("auto"), QStringLiteral("ida"), ida, vehicleDeletedText());
        vehicleChange.action = Change::updated();
        vehicleChange.before = {{QStringLiteral("marca"), existing->marca}, {QStringLiteral("formula"), existing->formula},
                                {QStringLiteral("motor"), existing->motor}, {QStringLiteral("Cm"), existing->Cm},
                                {QStringLiteral("Ca"), existing->Ca},       {QStringLiteral("Cb"), existing->Cb},
                                {QStringLiteral("Cf"), existing->Cf},       {QStringLiteral("Ispec"), existing->Ispec},
                                {QStringLiteral("Iaerod"), existing->Iaerod}};
        journal::keepChanged(vehicleChange);
    } else {
        QSqlQuery query = exec(m_db,
                               QStringLiteral("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, "
                                              "Ispec, Iaerod, apar) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1) RETURNING ida"),
                               {r.nrauto, r.marca, r.formula, r.motor, cm, r.Ca, r.Cb, r.Cf, r.Ispec, r.Iaerod});
        ida = query.next() ? query.value(0).toInt() : 0;
        if (ida == 0)
            throw DbError(QStringLiteral("the new vehicle cannot be read back"));
        vehicleChange.action = Change::inserted();
        vehicleChange.after.insert(QStringLiteral("nrauto"), r.nrauto);
    }
    vehicleChange.key = ida;
    run.record(vehicleChange);

    Change consumChange;
    consumChange.table = QStringLiteral("consum");
    consumChange.key = ida;
    consumChange.nrauto = r.nrauto;
    consumChange.after = {{QStringLiteral("Cm1"), c.Cm1}, {QStringLiteral("Cm2"), c.Cm2},
                          {QStringLiteral("Cm3"), c.Cm3}, {QStringLiteral("implicit"), c.implicit}};
    if (const std::optional<Consumption> stored = consumption(ida)) {
        const QSqlQuery query = exec(m_db,
                                     QStringLiteral("UPDATE consum SET Cm1=?, Cm2=?, Cm3=?, implicit=?, "
                                                    "versiune=versiune+1 WHERE ida=? AND versiune=?"),
                                     {c.Cm1, c.Cm2, c.Cm3, c.implicit, ida, r.consumVersiune.value_or(stored->versiune)});
        journal::requireRow(query);
        consumChange.action = Change::updated();
        consumChange.before = {{QStringLiteral("Cm1"), stored->Cm1}, {QStringLiteral("Cm2"), stored->Cm2},
                               {QStringLiteral("Cm3"), stored->Cm3}, {QStringLiteral("implicit"), stored->implicit}};
        journal::keepChanged(consumChange);
    } else {
        if (r.consumVersiune)
            throw StaleRecord();
        exec(m_db, QStringLiteral("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (?, ?, ?, ?, ?)"),
             {ida, c.Cm1, c.Cm2, c.Cm3, c.implicit});
        consumChange.action = Change::inserted();
    }
    run.record(consumChange);
    run.commit();
    return ida;
}

bool VehicleStore::hasSheets(int ida) const
{
    return scalar(m_db, QStringLiteral("SELECT idf FROM foaie WHERE ida=?"), {ida}).isValid();
}

VehicleStore::Removal VehicleStore::remove(int ida, const QString &window)
{
    WriteRun run(m_db, window);
    QSqlQuery row = exec(m_db, QStringLiteral("SELECT * FROM auto WHERE ida=?"), {ida});
    if (!row.next())
        return Removal::NotFound;
    if (hasSheets(ida))
        return Removal::HasSheets;
    Change c;
    c.table = QStringLiteral("auto");
    c.key = ida;
    c.action = Change::deleted();
    c.before = journal::rowObject(row, QStringLiteral("auto"));
    row.finish();
    c.nrauto = c.before.value(QStringLiteral("nrauto")).toString();
    exec(m_db, QStringLiteral("DELETE FROM auto WHERE ida=?"), {ida});
    exec(m_db, QStringLiteral("DELETE FROM dateluna WHERE ida=?"), {ida});
    run.record(std::move(c));
    run.commit();
    return Removal::Removed;
}

} // namespace vok
