#pragma once

#include <QSqlDatabase>

namespace vok {

// The outcome of closing a month of a vehicle.
struct MonthClose {
    bool noSheets = false;            // the month has no sheet: nothing written
    bool openedFromSettings = false;  // no row for the previous month: opening values from the vehicle's settings
    double openingRest = 0, openingKm = 0, openingKmEquiv = 0;
};

// Closes month `month` (1..12) of `year` for vehicle `ida` into its dateluna
// row: totals the month's sheets and trips, carries over the rest in the tank
// and the km counters of the previous month's row (December of the year before
// for January), or of the vehicle's settings when that row is missing, and
// inserts or updates the month's one row. Closing again recomputes the row.
// Empty sums count as 0. Reads and write run in one transaction. Throws
// DbError when a statement fails or the vehicle does not exist.
MonthClose closeMonth(const QSqlDatabase &db, int ida, int year, int month);

} // namespace vok
