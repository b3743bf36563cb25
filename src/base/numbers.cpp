#include "base/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace vok {

namespace {

// A finite value as sign, significant digits and the power of ten of the
// first digit, rounded to `significant` digits.
struct Decimal {
    bool negative = false;
    std::string digits; // no leading zeros unless the value is zero
    int exponent = 0;   // value = 0.d1d2... * 10^(exponent + 1)
};

Decimal toDecimal(double value, int significant)
{
    Decimal d;
    if (!std::isfinite(value) || value == 0.0) {
        d.digits.assign(1, '0');
        return d;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", significant - 1, value);
    std::string text(buffer);
    std::size_t pos = 0;
    if (text[pos] == '-') {
        d.negative = true;
        ++pos;
    }
    const std::size_t e = text.find('e');
    for (std::size_t i = pos; i < e; ++i)
        if (text[i] != '.')
            d.digits.push_back(text[i]);
    d.exponent = std::stoi(text.substr(e + 1));
    return d;
}

// Splits a decimal into its integer and fraction digit strings.
void splitDecimal(const Decimal &d, std::string &intPart, std::string &fracPart)
{
    intPart.clear();
    fracPart.clear();
    if (d.digits == "0") {
        intPart.assign(1, '0');
        return;
    }
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent >= 0) {
        for (int i = 0; i <= d.exponent; ++i)
            intPart.push_back(i < n ? d.digits[i] : '0');
        if (d.exponent + 1 < n)
            fracPart = d.digits.substr(d.exponent + 1);
    } else {
        intPart.assign(1, '0');
        fracPart.assign(static_cast<std::size_t>(-d.exponent - 1), '0');
        fracPart += d.digits;
    }
}

QString plainText(double value, int significant)
{
    const Decimal d = toDecimal(value, significant);
    std::string intPart, fracPart;
    splitDecimal(d, intPart, fracPart);
    while (!fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    std::string text = intPart;
    if (!fracPart.empty())
        text += '.' + fracPart;
    if (d.negative && text != "0")
        text.insert(text.begin(), '-');
    return QString::fromStdString(text);
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

double readNumber(const QString &text)
{
    int i = 0;
    const int n = text.size();
    // The same blanks isNumber trims: a number pasted with a leading no-break
    // space reads as the number it shows.
    while (i < n && text[i].isSpace())
        ++i;
    QString number;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        number.append(text[i++]);
    bool point = false;
    bool digits = false;
    for (; i < n; ++i) {
        if (isDigit(text[i])) {
            number.append(text[i]);
            digits = true;
        } else if (text[i] == u'.' && !point) {
            number.append(u'.');
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

bool isNumber(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    const int n = t.size();
    if (i < n && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        if (isDigit(t[i]))
            digits = true;
        else if (t[i] == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

QString formatNumber(double value, const QString &mask)
{
    const int dot = mask.indexOf(u'.');
    const int decimals = dot < 0 ? 0 : int(mask.size() - dot - 1);
    const QString integerMask = dot < 0 ? mask : mask.left(dot);
    const int minIntegerDigits = std::max<int>(1, int(integerMask.count(u'0')));

    const Decimal d = toDecimal(value, 15);
    std::string intPart, fracPart;
    splitDecimal(d, intPart, fracPart);
    fracPart.resize(static_cast<std::size_t>(decimals) + 1, '0');
    const bool roundUp = fracPart.back() >= '5';
    fracPart.pop_back();

    std::string all = intPart + fracPart;
    if (roundUp) {
        int i = static_cast<int>(all.size()) - 1;
        while (i >= 0 && all[i] == '9')
            all[i--] = '0';
        if (i >= 0)
            ++all[i];
        else
            all.insert(all.begin(), '1');
    }
    std::string integer = all.substr(0, all.size() - static_cast<std::size_t>(decimals));
    const std::string fraction = all.substr(all.size() - static_cast<std::size_t>(decimals));
    const std::size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? std::string() : integer.substr(firstNonZero);
    if (static_cast<int>(integer.size()) < minIntegerDigits)
        integer.insert(0, static_cast<std::size_t>(minIntegerDigits) - integer.size(), '0');

    std::string text = integer;
    if (decimals > 0)
        text += '.' + fraction;
    const bool zero = text.find_first_not_of("0.") == std::string::npos;
    if (d.negative && !zero)
        text.insert(text.begin(), '-');
    return QString::fromStdString(text);
}

QString singleText(float value) { return plainText(static_cast<double>(value), 7); }

QString doubleText(double value) { return plainText(value, 15); }

double singleValue(float value) { return singleText(value).toDouble(); }

double doubleValue(double value)
{
    // The same correctly rounded 15 significant digits as doubleText, read
    // back without building the text: the month figures are rounded by the
    // thousand when a fleet's year is checked.
    if (!std::isfinite(value) || value == 0.0)
        return 0.0;
    char buffer[64];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    double result = 0;
    std::from_chars(buffer, written.ptr, result);
    return result;
}

} // namespace vok
