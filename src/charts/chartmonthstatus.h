#pragma once

#include "charts/chartdata.h"

#include <QSet>
#include <QSqlDatabase>

#include <utility>

// The one place where the charts learn which months are not current (from
// monthstatus.h: a row that differs from what closing the month again would
// give, or sheets without a row), so that they mark them. Throws DbError.
namespace vok::charts {

// YearMonth indexes of the months of one vehicle, from..to, that are not current.
QSet<int> notCurrentMonths(const QSqlDatabase &db, int ida, YearMonth from, YearMonth to);

// (ida, YearMonth index) of the listed vehicles' months of one year that are not current.
QSet<std::pair<int, int>> notCurrentFleetMonths(const QSqlDatabase &db, int year);

} // namespace vok::charts
