#pragma once

#include <QString>
#include <QStringList>

namespace vok {

// The month names of every month list, "ianuarie" .. "decembrie".
const QStringList &monthNames();
// The name of month 1..12; empty outside that range.
QString monthName(int month);
// Year lists run from this year to the current one.
inline constexpr int FirstYear = 2006;

// True when the day is one of the month's days in that year (29.02 only in a
// leap year, never 31.04); month and day count from 1.
bool isCalendarDate(int year, int month, int day);
// The refusal of a day its month does not have.
inline QString dayNotInMonthMessage() { return QStringLiteral(" Nu exista aceasta zi in luna aleasa !!! "); }

} // namespace vok
