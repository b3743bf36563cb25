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
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT ") + vehicleColumns
                                     + QStringLiteral(" FROM auto WHERE ida=?"),
                           {ida});
    return readVehicle(query);
}

} // namespace vok
