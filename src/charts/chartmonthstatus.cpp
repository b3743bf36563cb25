#include "charts/chartmonthstatus.h"

#include "months/monthstatus.h"

namespace vok::charts {

namespace {

// Stale (the row differs from closing the month again) and not closed (sheets
// without a row) are not current; a chain that restarts from SETARI is only a
// warning of SITUATIE, not a month out of date.
bool notCurrent(MonthState state) { return state == MonthState::Stale || state == MonthState::NotClosed; }

} // namespace

QSet<int> notCurrentMonths(const QSqlDatabase &db, int ida, YearMonth from, YearMonth to)
{
    QSet<int> months;
    for (int year = from.year; year <= to.year; ++year) {
        const VehicleMonths status = vehicleMonths(db, ida, year);
        for (int m = 1; m <= 12; ++m) {
            const YearMonth when{year, m};
            if (notCurrent(status.months[std::size_t(m - 1)].state) && !(when < from) && !(to < when))
                months.insert(when.index());
        }
    }
    return months;
}

QSet<std::pair<int, int>> notCurrentFleetMonths(const QSqlDatabase &db, int year)
{
    QSet<std::pair<int, int>> months;
    for (const VehicleMonths &vehicle : fleetMonths(db, year))
        for (int m = 1; m <= 12; ++m)
            if (notCurrent(vehicle.months[std::size_t(m - 1)].state))
                months.insert({vehicle.ida, YearMonth{year, m}.index()});
    return months;
}

} // namespace vok::charts
