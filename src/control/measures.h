#pragma once

#include <QString>

#include <optional>

// What the clerk measures on a sheet beside the book: the odometer at
// departure and return, and the fuel in the tank at departure and return.
// Every one is optional: a blank box is "not recorded" (NULL), never 0.
namespace vok::control {

// The masks the boxes and the findings write them with.
inline QString kmMask() { return QStringLiteral("#0.0"); }
inline QString litreMask() { return QStringLiteral("#0.00"); }

// The refusals of the boxes.
inline QString odometerBackMessage() { return QStringLiteral(" Km bord sosire mai mic decat km bord plecare !!! "); }
inline QString negativeLitresMessage() { return QStringLiteral(" Cantitatea nu poate fi negativa !!! "); }

// A measurement as typed: blank (blanks only) is not recorded; otherwise the
// number the text reads. `ok` is false for a text that is not a number.
std::optional<double> measuredValue(const QString &text, bool *ok = nullptr);

// The text a box shows for a stored measurement: blank when not recorded.
QString measuredText(const std::optional<double> &value, const QString &mask);

// True when both odometer readings are recorded and the return reads below
// the departure (compared as the boxes show them, to 0.1 km).
bool odometerBackwards(const std::optional<double> &departure, const std::optional<double> &arrival);

} // namespace vok::control
