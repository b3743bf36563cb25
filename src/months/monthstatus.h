#pragma once

// Whether the closed months of a vehicle are still true, and the recompute of
// the carry-over chain. No widgets: the SITUATIE window, the questions before
// the reports, the trip and refuelling windows' note and the command line
// (--check-months, --recompute-months) all read their answers here.
//
// Contract:
// - A closed month is true when its stored dateluna row equals the row that
//   closing it again now would store (monthRow, as closeMonth computes it),
//   opening from the stored row of the month before, or from the vehicle's
//   initial state (SETARI) when that month has no row. A month is current
//   only when it and every closed month of the run that carries over into
//   it, across years back to the month after the last one without a row, are
//   true: a month after one that hands on a stale rest or km counter is
//   stale too. So a change of fuel in March shows March stale and every
//   closed month after it, and a change in December shows the next year
//   stale.
// - A month whose previous month has no row opens from SETARI, as closing it
//   does: with sheets before it, its state is Restarts ("din SETARI"), not
//   stale. The recompute (recomputeChain) would close the month before and
//   carry it over; `recomputed` is always the row the recompute would store
//   and a stale month's `changes` are stored -> recomputed.
// - Two figures are the same when they are equal as stored (15 significant
//   digits) or differ by no more than the noise of summing in another order
//   (a billionth of their size); every figure the clerk can type differs by far
//   more.
// - Reading is all it does: nothing is written by the status functions.
// - Every function throws DbError when a statement fails.

#include "months/monthstore.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <optional>

namespace vok {

enum class MonthState {
    NoSheets,  // no sheet in the month (a row, if one was left, is not looked at)
    Current,   // the stored row equals the recomputed one on every column
    Stale,     // the stored row differs from the recomputed one (changes says how)
    NotClosed, // sheets, but no row
    Restarts,  // true, but the previous month has no row while the vehicle has sheets before:
               // its opening came from the vehicle's initial state (SETARI), a warning
};

// One figure of a month row that differs: dateluna's column name, the stored
// value and the recomputed one.
struct ColumnChange {
    QString column;
    double stored = 0;
    double recomputed = 0;
    bool operator==(const ColumnChange &) const = default;
};

struct MonthStatus {
    int year = 0;
    int month = 0;                       // 1..12
    MonthState state = MonthState::NoSheets;
    QList<ColumnChange> changes;         // Stale: the differing columns in dateluna's order
    std::optional<MonthRow> stored;      // the stored row (months with sheets)
    std::optional<MonthRow> recomputed;  // the row a recompute would store (months with sheets)
};

// A month that a recompute wrote (or would write) and that was not current before it.
struct MonthChange {
    int year = 0;
    int month = 0;
    MonthState before = MonthState::Stale; // Stale (a row that changed) or NotClosed (a new row)
    QList<ColumnChange> changes;           // Stale: stored -> recomputed
};

// The twelve months of one vehicle and year.
struct VehicleMonths {
    int ida = 0;
    QString nrauto;
    int year = 0;
    std::array<MonthStatus, 12> months; // index 0 = January
    // When December of the year before hands on a stale rest or km counter:
    // the stale months of the run of closed months that ends with it,
    // oldest first, with what their recompute would change.
    QList<MonthChange> earlier;
    // True when a month is stale or not closed, or an earlier month that
    // carries over into the year is stale.
    bool needsRecompute() const;
};

// The status of every month of `year` of vehicle `ida`. A vehicle that does
// not exist gives twelve months without sheets.
VehicleMonths vehicleMonths(const QSqlDatabase &db, int ida, int year);

// The same for each vehicle offered in lists (apar = 1), by nrauto.
QList<VehicleMonths> fleetMonths(const QSqlDatabase &db, int year);

// The same for the vehicles `idas`, in that order.
QList<VehicleMonths> vehiclesMonths(const QSqlDatabase &db, const QList<int> &idas, int year);

// The differing figures of two month rows, in dateluna's column order, by the
// comparison of the contract above.
QList<ColumnChange> rowChanges(const MonthRow &stored, const MonthRow &recomputed);


// Re-closes, in calendar order, every month with sheets of vehicle `ida` from
// `fromMonth` of `fromYear` to its last month with sheets, each through
// computeMonth and writeMonth as closeMonth does; months without sheets stay
// as they are (no row is written). When a closed month of the run that
// carries over into `fromMonth` is stale (of an earlier year too), the
// recompute starts with the first such month. One write transaction (waiting
// for another program's write as every write does): when a statement fails,
// the vehicle's rows stay as they were and DbError is thrown. Returns the
// months whose row was created or changed, earlier ones included.
QList<MonthChange> recomputeChain(const QSqlDatabase &db, int ida, int fromYear, int fromMonth);

// After a sheet of month `month` of `year` came back, inside the caller's
// transaction: when that month is closed, re-closes the vehicle's closed
// months from it on (as recomputeChain, but a month never closed stays so)
// and returns those whose row changed, as the clerk reads them ("martie 2026").
QStringList recloseAfterRestore(const QSqlDatabase &db, int ida, int year, int month);

// What closing month `month` of `year` would open from, when that is not
// current: the month before has sheets but no row, or a closed month of the
// run that carries over into it is stale.
struct OpeningCheck {
    int previousYear = 0, previousMonth = 0;
    bool previousNotClosed = false;
    QList<MonthChange> stale; // oldest first
    bool current() const { return !previousNotClosed && stale.isEmpty(); }
};
OpeningCheck checkOpening(const QSqlDatabase &db, int ida, int year, int month);
// The same through a store kept for many closings (its statements prepared once).
OpeningCheck checkOpening(const MonthStore &store, int ida, int year, int month);

// The words of the command line: "current", "stale", "not-closed",
// "restarts", "no-sheets".
QString stateName(MonthState state);

// "km:1200->1250.5,kmt:..." (plain numbers, as stored).
QString changesText(const QList<ColumnChange> &changes);

// One line of the command line for a month that is not current:
// "nrauto<TAB>YEAR<TAB>MONTH<TAB>status[<TAB>column:stored->recomputed,...]".
QString statusLine(const QString &nrauto, int year, int month, MonthState state,
                   const QList<ColumnChange> &changes);

// What the window and the reports call a figure ("Km parcursi") and the mask
// they show it with ("#0.0"), by dateluna's column name.
QString columnCaption(const QString &column);
QString columnMask(const QString &column);

// The note a window shows after a save that changed month `month` of `year`
// of vehicle `ida`, when that month has its row and the row is no longer what
// closing the month would store: "Atentie: V.O.K. noiembrie 2026 nu mai este
// actualizat (vezi SITUATIE)". Empty when the month has no row or its row is
// still current.
QString staleMonthNote(const QSqlDatabase &db, int ida, int year, int month);

} // namespace vok
