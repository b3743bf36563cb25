#pragma once

#include "db/journal.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace vok {

// The vehicle's three average consumptions and which one is its Cm (consum).
struct ConsumptionRegimes {
    double Cm[3] = {0, 0, 0}; // Cm1 urban, Cm2 mixed, Cm3 extra-urban
    int implicit = 0;         // 1, 2 or 3
};

// One special installation of sporI.
struct SpecialInstallation {
    QString felPrest;  // the unit of one service
    QString felPrest2; // its description
    double sporkm = 0; // equivalent km per service
};

// The lookups of the trip window besides sheets and trips: the load
// coefficient (coefKg), the special installation (sporI) and the vehicle's
// consumption regime (consum). Throws DbError when a statement fails.
class TripLookupStore {
public:
    explicit TripLookupStore(const QSqlDatabase &db);

    // The coefKg column for an engine class and trailers: motor1 for class 1,
    // motor23 for classes 2 and 3 (and any other); fr without trailer, r with
    // one or two.
    static QString loadColumn(int motor, bool trailer);
    // Kg of the first row in ascending tonnage whose tone is not less than the
    // load, among the rows that hold a value in that column; nullopt when the
    // load is above every such tonnage.
    std::optional<double> loadCoefficient(double load, int motor, bool trailer) const;

    std::optional<SpecialInstallation> installation(int nri) const;

    std::optional<ConsumptionRegimes> regimes(int ida) const;
    // Makes regime k (1..3) the vehicle's Cm: writes auto.Cm and
    // consum.implicit when k is not already the default. Returns the regime's
    // Cm, or nullopt when the vehicle has no consum row (nothing changes).
    std::optional<double> chooseRegime(WriteRun &run, int ida, int k);

private:
    QSqlDatabase m_db;
};

} // namespace vok
