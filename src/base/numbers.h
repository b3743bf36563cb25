#pragma once

#include <QString>

// Reading and writing numbers the way the clerk's boxes, the database and the
// report filters expect them: a point as decimal separator whatever the
// locale, and the display masks of the paper forms.
namespace vok {

// The numeric prefix of the text: leading blanks (any Unicode blank), an optional sign, digits and
// at most one point. A text that does not start with a number reads 0.
double readNumber(const QString &text);

// True when the whole text, blanks trimmed, is a decimal number ("12", "-3.5",
// ".5", "7."). An empty text is not a number.
bool isNumber(const QString &text);

// The value written with a display mask: "#0.000", "#0.00", "#0.0", "#0", "0"
// or "00". At least one integer digit (two for "00"), exactly the mask's
// decimals, halves rounded away from zero on the value's 15-significant-digit
// decimal form (2.675 gives "2.68"); never "-0.0".
QString formatNumber(double value, const QString &mask);

// Plain decimal text for storage and filters: a point, no grouping, no
// exponent, trailing zeros dropped; 7 significant digits for single-precision
// values, 15 for double-precision ones.
QString singleText(float value);
QString doubleText(double value);

// The double that a single-precision value stands for: the double of its
// 7-significant-digit text (72.1, not 72.09999847).
double singleValue(float value);

// The double that a double-precision value is stored as: the double of its
// 15-significant-digit text (12000.3, not 12000.300000000001).
double doubleValue(double value);

// The refusal of a number of kilometres below 0.
inline QString negativeKmMessage() { return QStringLiteral(" Numarul de kilometri nu poate fi negativ !!! "); }

} // namespace vok
