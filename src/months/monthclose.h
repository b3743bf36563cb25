#pragma once

#include "months/monthstore.h"

#include <QSqlDatabase>

namespace vok {

// The outcome of closing a month of a vehicle.
struct MonthClose {
    bool noSheets = false;            // the month has no sheet: nothing written
    bool openedFromSettings = false;  // no row for the previous month: opening values from the vehicle's settings
    double openingRest = 0, openingKm = 0, openingKmEquiv = 0;
    double closingRest = 0;   // the rest in the tank at the end of the month
    double tankCapacity = 0;  // the vehicle's caprez, 0 when unknown
};

// What closing a month would write now, computed without writing anything.
struct MonthComputation {
    MonthClose close; // what closeMonth would return
    MonthRow row;     // the row it would store (idd: the stored row's key, 0 when none);
                      // meaningless when close.noSheets
};

// The opening values of a month: the previous month's closing values, or the
// vehicle's initial state.
struct MonthOpening {
    bool fromSettings = false;
    double rest = 0, km = 0, kmEquiv = 0;
};

// The rest in the tank at the end of a month: the opening rest plus the fuel
// received and minus the fuel returned (`fuelMicro`) and the normed
// consumption (`CnMicro`), summed exactly, brought to two decimals with
// halves away from zero (22.49 + 126.78 - 155.895 = -6.63).
double restInTank(double openingRest, qint64 fuelMicro, qint64 CnMicro);

// The arithmetic of the closing, nothing read: the row of month `month` of
// `year` of vehicle `ida` from its sums, the vehicle's sump and filter
// capacities and the opening values. Hours to one decimal (summed in single
// precision), the rest in the tank to two, every figure as it is stored (at
// most 15 significant digits). The row's idd is 0.
MonthRow monthRow(int ida, int year, int month, const SheetTotals &sheets, const TripTotals &trips, double Cb,
                  double Cf, const MonthOpening &opening);

// Computes month `month` (1..12) of `year` for vehicle `ida` as closeMonth
// would, reading only. Throws DbError when a statement fails or the vehicle
// does not exist.
MonthComputation computeMonth(const QSqlDatabase &db, int ida, int year, int month);
// The same through a store kept for many months (its statements prepared
// once). `forWriting`: computed to be written in the caller's write
// transaction; on a server the month is then locked against the marks of
// other clerks' writes to it until the transaction ends.
MonthComputation computeMonth(const MonthStore &store, int ida, int year, int month, bool forWriting = false);

// Writes a computed month (nothing for a month without sheets), inside the
// caller's transaction. Throws DbError.
void writeMonth(const QSqlDatabase &db, const MonthComputation &computed);
void writeMonth(const MonthStore &store, const MonthComputation &computed);

// Closes month `month` (1..12) of `year` for vehicle `ida` into its dateluna
// row: totals the month's sheets and trips, carries over the rest in the tank
// and the km counters of the previous month's row (December of the year before
// for January), or of the vehicle's settings when that row is missing, and
// inserts or updates the month's one row. Closing again recomputes the row.
// Empty sums count as 0. Reads and write run in one transaction
// (computeMonth, then writeMonth). Throws DbError when a statement fails or
// the vehicle does not exist.
MonthClose closeMonth(const QSqlDatabase &db, int ida, int year, int month);
// The same through a store kept for many closings (its statements prepared once).
MonthClose closeMonth(const MonthStore &store, int ida, int year, int month);

} // namespace vok
