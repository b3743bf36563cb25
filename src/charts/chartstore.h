#pragma once

#include "charts/chartdata.h"

#include <QSqlDatabase>

#include <optional>

namespace vok {

// The charts' SQL: the listed vehicles, their closed months and the months
// with sheets. Throws DbError.
class ChartStore {
public:
    explicit ChartStore(const QSqlDatabase &db);

    // The vehicles offered in lists (apar=1), by registration number.
    QVector<charts::Vehicle> listedVehicles() const;
    std::optional<charts::Vehicle> vehicle(int ida) const;
    // The months of a vehicle that have their row, in order.
    QVector<charts::YearMonth> closedMonths(int ida) const;
    // The months in which a vehicle has sheets, closed or not, in order.
    QVector<charts::YearMonth> sheetMonths(int ida) const;
    // A vehicle's rows from `from` to `to`, both included, in order.
    QVector<charts::MonthRow> months(int ida, charts::YearMonth from, charts::YearMonth to) const;
    // A vehicle's sheets of the months from `from` to `to` (their month of
    // the book), as the audit reads them: tank levels, fuel received and
    // returned, the trips' normed fuel.
    QList<control::AuditSheet> sheets(int ida, charts::YearMonth from, charts::YearMonth to) const;
    // The most recent closed month of any listed vehicle.
    std::optional<charts::YearMonth> latestClosedMonth() const;
    // Every listed vehicle with its rows of `year` and the December before.
    QVector<charts::FleetVehicle> fleetYear(int year) const;

private:
    QSqlDatabase m_db;
};

} // namespace vok
