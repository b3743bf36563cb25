#pragma once

// Whether the closed months of a vehicle are still true, and the recompute of
// the carry-over chain. No widgets: the SITUATIE window, the questions before
// the reports, the trip and refuelling windows' note and the command line
// (--check-months, --recompute-months) all read their answers here.
//
// Contract:
// - A month's status compares its stored dateluna row with the row that
//   re-closing the vehicle's months in calendar order (recomputeChain from
//   January of the year) would store, computed exactly as closeMonth computes
//   it (monthRow). January opens from the stored December of the year before.
//   So a change in March shows March stale and, through the carry-over, every
//   later month whose opening moves with it.
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
    Restarts,  // current, but the previous month has no row while the vehicle has sheets before:
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

// The twelve months of one vehicle and year.
struct VehicleMonths {
    int ida = 0;
    QString nrauto;
    int year = 0;
    std::array<MonthStatus, 12> months; // index 0 = January
    // True when a month is stale or not closed.
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

// A month that a recompute wrote and that was not current before it.
struct MonthChange {
    int year = 0;
    int month = 0;
    MonthState before = MonthState::Stale; // Stale (a row that changed) or NotClosed (a new row)
    QList<ColumnChange> changes;           // Stale: stored -> recomputed
};

// Re-closes, in calendar order, every month with sheets of vehicle `ida` from
// `fromMonth` of `fromYear` to its last month with sheets, each through
// computeMonth and writeMonth as closeMonth does; months without sheets stay
// as they are (no row is written). One transaction: when a statement fails,
// the vehicle's rows stay as they were and DbError is thrown. Returns the
// months whose row was created or changed.
QList<MonthChange> recomputeChain(const QSqlDatabase &db, int ida, int fromYear, int fromMonth);

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
