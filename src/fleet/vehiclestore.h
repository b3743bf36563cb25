#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace vok {

// One row of auto.
struct Vehicle {
    int ida = 0;
    QString nrauto;
    QString marca;
    int formula = 2;
    int motor = 1;
    double Cm = 0, Ca = 0, Cb = 0, Cf = 0;
    int Ispec = 0, Iaerod = 0;
    int apar = 1, rap = 0;
    double kmef = 0, kmefinc = 0, kmechiv = 0, restrez = 0;
};

// The vehicle register. Throws DbError when a statement fails.
class VehicleStore {
public:
    explicit VehicleStore(const QSqlDatabase &db);

    // Registration numbers of the vehicles offered in the lists (apar = 1), in order.
    QStringList visibleNumbers() const;
    std::optional<Vehicle> byNumber(const QString &nrauto) const;
    std::optional<Vehicle> byId(int ida) const;

private:
    QSqlDatabase m_db;
};

} // namespace vok
