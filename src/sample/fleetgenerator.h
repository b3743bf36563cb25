#pragma once

#include "trips/consumption.h"
#include "trips/tripstore.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <random>

// Sample data made by the program's own arithmetic: the synthetic fleets of
// the benchmarks (vokgen) and the demonstration folder (vok --demo).
namespace vok::sample {

// The random values of the sample data: the standard's Mersenne twister, whose
// sequence for a seed is the same in every standard library, mapped to ranges
// by our own arithmetic (the std::uniform_*_distribution results differ from
// one standard library to another). The same seed gives the same values on
// every build.
class SampleRandom {
public:
    explicit SampleRandom(unsigned seed)
        : m_engine(seed)
    {
    }
    // A value in [low, high).
    double uniform(double low, double high);
    // A whole number 0 .. n-1 (n >= 1).
    int pick(int n);
    // True with probability p.
    bool chance(double p);

private:
    std::mt19937 m_engine;
};

// Fills in what "Salvare" of the trip window computes for a trip from what the
// clerk typed (its six road categories, load coefficient, surcharges, stops
// and heatings) and the vehicle's norms: kmT and kmE, the normed fuel Cn and
// the oil burn Cu, each with the precision the window stores. So a trip made
// here and saved again in the window keeps its figures.
void computeTrip(Trip &trip, const VehicleNorms &norms);

// One of the two regular drivers (k = 0, 1) of the vehicle with that
// zero-based index, out of 900 names: "POPESCU ION".
QString driverName(int vehicle, int k);

// The shape of a synthetic fleet: every vehicle gets `sheetsPerMonth` trip
// sheets in every month of `years` whole years ending with `lastYear`, each
// with `tripsPerSheet` trips, refuellings that keep the tank plausible, and
// every month closed into dateluna by the program's own month closing
// (computeMonth and writeMonth, months/monthclose.h), so that every closed
// month is current.
struct FleetShape {
    int vehicles = 500;
    int years = 10;
    int sheetsPerMonth = 25;
    int tripsPerSheet = 3;
    int lastYear = 0; // 0: the year before the current one
    unsigned seed = 1;
};

struct FleetCounts {
    qint64 vehicles = 0;
    qint64 sheets = 0;
    qint64 trips = 0;
    qint64 months = 0;
};

// Progress after each vehicle: (vehicles done, counts so far).
using Progress = std::function<void(int, const FleetCounts &)>;

// Fills an open, empty business database (created by the program's own
// schema) with the fleet: reference rows, report header, vehicles, sheets,
// trips (computeTrip) and month rows. One transaction per vehicle-year,
// prepared statements reused. The same shape and seed give the same fleet.
// Throws DbError when a statement fails.
FleetCounts generateFleet(const QSqlDatabase &db, const FleetShape &shape, const Progress &progress = {});

// The year range the shape covers.
int firstYear(const FleetShape &shape);
int lastYear(const FleetShape &shape);

// Registration number of the vehicle with that zero-based index, as the
// generator writes it ("B-10-AAA").
QString registration(int index);

} // namespace vok::sample
