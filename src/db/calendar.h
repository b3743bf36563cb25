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

} // namespace vok
