#include "fleet/vehiclestore.h"

#include "db/database.h"

#include <QSqlRecord>

namespace vok {

namespace {

const QString vehicleColumns = QStringLiteral(
    "ida, nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod, apar, rap, kmef, kmefinc, "
    "kmechiv, restrez");

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
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT Cm1, Cm2, Cm3, implicit FROM consum WHERE ida=?"),
                           {ida});
    if (!query.next())
        return std::nullopt;
    Consumption c;
    c.Cm1 = query.value(0).toDouble();
    c.Cm2 = query.value(1).toDouble();
    c.Cm3 = query.value(2).toDouble();
    c.implicit = query.value(3).toInt();
    return c;
}

int VehicleStore::save(const VehicleRecord &r)
{
    // Only 1, 2 and 3 name a regime; anything else is taken as extra-urban,
    // as the window's option group does.
    Consumption c = r.consumption;
    if (c.implicit != 1 && c.implicit != 2)
        c.implicit = 3;
    const double cm = defaultConsumption(c);

    Transaction transaction(m_db);
    const QVariant existing = scalar(m_db, QStringLiteral("SELECT ida FROM auto WHERE nrauto=?"), {r.nrauto});
    if (existing.isValid()) {
        exec(m_db,
             QStringLiteral("UPDATE auto SET marca=?, formula=?, motor=?, Cm=?, Ca=?, Cb=?, Cf=?, Ispec=?, "
                            "Iaerod=? WHERE ida=?"),
             {r.marca, r.formula, r.motor, cm, r.Ca, r.Cb, r.Cf, r.Ispec, r.Iaerod, existing.toInt()});
    } else {
        exec(m_db,
             QStringLiteral("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod, apar) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"),
             {r.nrauto, r.marca, r.formula, r.motor, cm, r.Ca, r.Cb, r.Cf, r.Ispec, r.Iaerod});
    }
    // The key is the database's: read the row back by its number.
    const int ida = scalar(m_db, QStringLiteral("SELECT ida FROM auto WHERE nrauto=?"), {r.nrauto}).toInt();
    if (scalar(m_db, QStringLiteral("SELECT ida FROM consum WHERE ida=?"), {ida}).isValid()) {
        exec(m_db, QStringLiteral("UPDATE consum SET Cm1=?, Cm2=?, Cm3=?, implicit=? WHERE ida=?"),
             {c.Cm1, c.Cm2, c.Cm3, c.implicit, ida});
    } else {
        exec(m_db, QStringLiteral("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (?, ?, ?, ?, ?)"),
             {ida, c.Cm1, c.Cm2, c.Cm3, c.implicit});
    }
    transaction.commit();
    return ida;
}

bool VehicleStore::hasSheets(int ida) const
{
    return scalar(m_db, QStringLiteral("SELECT idf FROM foaie WHERE ida=?"), {ida}).isValid();
}

VehicleStore::Removal VehicleStore::remove(int ida)
{
    Transaction transaction(m_db);
    if (!scalar(m_db, QStringLiteral("SELECT ida FROM auto WHERE ida=?"), {ida}).isValid())
        return Removal::NotFound;
    if (hasSheets(ida))
        return Removal::HasSheets;
    exec(m_db, QStringLiteral("DELETE FROM auto WHERE ida=?"), {ida});
    exec(m_db, QStringLiteral("DELETE FROM dateluna WHERE ida=?"), {ida});
    transaction.commit();
    return Removal::Removed;
}

} // namespace vok
