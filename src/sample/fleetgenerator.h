#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace vok::sample {

// The shape of a synthetic fleet: every vehicle gets `sheetsPerMonth` trip
// sheets in every month of `years` whole years ending with `lastYear`, each
// with `tripsPerSheet` trips, refuellings that keep the tank plausible, and
// every month closed into dateluna as the activity-sheet window would.
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
// trips and month rows. One transaction per vehicle-year, prepared statements
// reused. Throws DbError when a statement fails.
FleetCounts generateFleet(const QSqlDatabase &db, const FleetShape &shape, const Progress &progress = {});

// The year range the shape covers.
int firstYear(const FleetShape &shape);
int lastYear(const FleetShape &shape);

// Registration number of the vehicle with that zero-based index, as the
// generator writes it ("B-10-AAA").
QString registration(int index);

} // namespace vok::sample
