#pragma once

#include "control/audit.h"

#include <QSet>
#include <QString>
#include <QVector>

#include <optional>
#include <utility>

// What the charts of the window `grafice` draw, computed from the closed
// months (`dateluna` rows) alone (the range shown also reaches the months
// with sheets not yet closed): one vehicle over a range of months, the
// fleet over one year, and what looks wrong in them; and, beside the book, a
// vehicle's real consumption where its sheets measured the tank. No widgets,
// no SQL.
namespace vok::charts {

// A calendar month; `index()` counts months from year 0, so ranges are plain
// integer ranges.
struct YearMonth {
    int year = 0;
    int month = 0; // 1 to 12

    int index() const { return year * 12 + month - 1; }
    static YearMonth fromIndex(int index) { return {index / 12, index % 12 + 1}; }
    bool isValid() const { return year > 0 && month >= 1 && month <= 12; }
    friend bool operator==(const YearMonth &a, const YearMonth &b) { return a.index() == b.index(); }
    friend bool operator<(const YearMonth &a, const YearMonth &b) { return a.index() < b.index(); }
};

// The columns of a `dateluna` row that the charts use.
struct MonthRow {
    YearMonth when;
    double km = 0, kme = 0, cn = 0, bm = 0, gz = 0, restit = 0, restrez = 0;

    // Diesel and petrol received, net of the fuel given back.
    double received() const { return bm + gz - restit; }
    // The rest in tank at the start of the month, as the month's closing used it.
    double openingRest() const { return restrez - received() + cn; }
};

struct Vehicle {
    int ida = 0;
    QString nrauto;
    QString marca;
    double cm = 0;       // average consumption, litres per 100 km
    double capacity = 0; // tank capacity (auto.caprez), litres; 0 = unknown
};

// One month on a vehicle's charts; a month without a row is there, not closed.
struct MonthPoint {
    YearMonth when;
    bool closed = false;
    double km = 0, kme = 0;
    double cn = 0;        // normed fuel
    double received = 0;  // bm + gz - restit
    double restrez = 0;   // rest in tank at the end of the month
    // Normed litres per 100 equivalent km, cn * 100 / kme, as Cm is given;
    // none for a month without equivalent km.
    std::optional<double> per100km;
};

struct VehicleChart {
    Vehicle vehicle;
    QVector<MonthPoint> months; // every month from..to, in order
};

// The points of every month from `from` to `to` (both included) out of the
// vehicle's rows (rows outside the range are left out).
VehicleChart vehicleChart(const Vehicle &vehicle, const QVector<MonthRow> &rows, YearMonth from, YearMonth to);

// A vehicle's month as its sheets measured it: the real consumption (the
// tank at departure, plus the fuel received, less the fuel returned and the
// tank at return) against the normed one, both summed over the sheets whose
// tank was read at departure and at return, and only those.
struct MeasuredMonth {
    YearMonth when;
    int sheets = 0; // the sheets counted
    double normed = 0, real = 0;
    // Economy; negative: overrun.
    double economy() const { return normed - real; }
};

// The months from `from` to `to` (both included) in which at least one of
// the vehicle's `sheets` has both tank levels, in order; a sheet counts in its
// month of the book (`anul`, `idl`). A month without such a sheet is left
// out, never given as 0.
QVector<MeasuredMonth> measuredMonths(const QList<control::AuditSheet> &sheets, YearMonth from, YearMonth to);

// The range shown first: the twelve most recent months that are closed or
// have sheets (`withSheets`), ending with the latest of them, so that months
// typed but not yet closed show too; with fewer, from the first; with none,
// the twelve months ending with `today`'s month.
std::pair<YearMonth, YearMonth> defaultRange(QVector<YearMonth> closed, const QVector<YearMonth> &withSheets,
                                             YearMonth today);

struct Anomaly {
    enum class Kind { RestBelowZero, RestAboveCapacity, NotCurrent };
    Kind kind = Kind::RestBelowZero;
    QString nrauto;
    YearMonth when;
    double rest = 0;
    double capacity = 0;
    bool closed = true; // NotCurrent: the month has its row (else it was never closed)

    // One line for the list beside the chart.
    QString text() const;
};

// What looks wrong on a vehicle's months, in month order: a rest below zero
// (trips claim more fuel than was received), a rest above the tank's capacity
// when it is known (fuel received that no trip justifies), and the months
// named in `notCurrent` (YearMonth indexes whose row is out of date).
QVector<Anomaly> anomalies(const VehicleChart &chart, const QSet<int> &notCurrent = {});

// A vehicle's closed months of one year, and the row of December before, if closed.
struct FleetVehicle {
    Vehicle vehicle;
    QVector<MonthRow> rows;                // the year's rows, in month order
    std::optional<MonthRow> previousDecember;
};

struct FleetEntry {
    Vehicle vehicle;
    int months = 0;                        // closed months of the year
    double km = 0, kme = 0, cn = 0;
    std::optional<double> per100km;        // sum cn * 100 / sum kme
    double openingRest = 0;                // at the start of the first closed month
    double closingRest = 0;                // at the end of the last one
    double restGrowth() const { return closingRest - openingRest; }
};

// The fleet's year, one entry per vehicle with at least one closed month.
QVector<FleetEntry> fleetYear(const QVector<FleetVehicle> &vehicles);
// Ranked: highest normed litres per 100 equivalent km first (vehicles
// without km last);
// and the largest growth of the rest in tank first. Ties by registration number.
QVector<FleetEntry> rankedByConsumption(QVector<FleetEntry> entries);
QVector<FleetEntry> rankedByRestGrowth(QVector<FleetEntry> entries);

// Every anomaly of the fleet's year, vehicle by vehicle; `notCurrent` holds
// (ida, YearMonth index) of the months whose row is out of date.
QVector<Anomaly> fleetAnomalies(const QVector<FleetVehicle> &vehicles, int year,
                                const QSet<std::pair<int, int>> &notCurrent = {});

// Axis labels: "ian 2024"; and the month's full name, "ianuarie".
QString monthLabel(YearMonth when);

} // namespace vok::charts
