#pragma once

#include "db/database.h"
#include "db/journal.h"

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
    int versiune = 0; // each write of the row advances it
};

// One row of consum: the vehicle's average consumption in the three regimes
// and which of them (1 urban, 2 mixed, 3 extra-urban) is its default.
struct Consumption {
    double Cm1 = 0, Cm2 = 0, Cm3 = 0;
    int implicit = 2;
    int versiune = 0;
};

// What the vehicle window saves: the auto columns it owns and the consum row.
struct VehicleRecord {
    QString nrauto;
    QString marca;
    int formula = 2;
    int motor = 1;
    double Ca = 0, Cb = 0, Cf = 0;
    int Ispec = 0, Iaerod = 0;
    Consumption consumption;
    // The vehicle as the window loaded it: its key (0 when none) and the
    // versions of its auto and consum rows; none when it loaded none (a new
    // number, or a row not stored yet).
    int ida = 0;
    std::optional<int> versiune;
    std::optional<int> consumVersiune;
};

// The refusal when the vehicle on screen was deleted by another clerk.
QString vehicleDeletedText();

// The default consumption a consum row names: Cm1, Cm2 or Cm3 as implicit is
// 1, 2 or anything else.
double defaultConsumption(const Consumption &consumption);

// The vehicle register. Throws DbError when a statement fails. A store keeps
// its reading of a vehicle by key prepared for its own life.
class VehicleStore {
public:
    explicit VehicleStore(const QSqlDatabase &db);

    // Registration numbers of the vehicles offered in the lists (apar = 1), in order.
    QStringList visibleNumbers() const;
    std::optional<Vehicle> byNumber(const QString &nrauto) const;
    std::optional<Vehicle> byId(int ida) const;

    // The makes already registered, each once, in order.
    QStringList makes() const;
    std::optional<Consumption> consumption(int ida) const;

    // Saves a vehicle by its number in one transaction: an existing number is
    // updated (its kind, engine, oil values, installation, aerodynamic class
    // and Cm), a new one inserted with apar = 1; then its consum row is
    // updated or inserted. auto.Cm always equals the consum column that
    // implicit names. A row loaded with a version that is no longer the
    // stored one is StaleRecord, a vehicle loaded and deleted since (even if
    // its number was given to another since) StaleRecord::deleted; nothing
    // written. `window` names the window, for the journal. Returns the
    // vehicle's ida.
    int save(const VehicleRecord &record, const QString &window = QStringLiteral("auto"));

    bool hasSheets(int ida) const;

    enum class Removal { Removed, HasSheets, NotFound };
    // Deletes the vehicle and all its dateluna rows in one transaction, unless
    // it has trip sheets. Its consum and piese rows stay.
    Removal remove(int ida, const QString &window = QStringLiteral("auto"));

private:
    QSqlDatabase m_db;
    mutable PreparedQuery m_byId;
};

} // namespace vok
