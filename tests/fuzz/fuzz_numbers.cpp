// Coverage-guided fuzzing of the number helpers (libFuzzer; `make fuzz`).
// The first byte picks what the rest is: a UTF-16 text (lone surrogates and
// NULs included), a Latin-1 text (mostly ASCII, where numbers live), or a
// double with a mask. A broken rule stops the run with the input saved.
#include "base/numbers.h"

#include <QString>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace vok;

namespace {

const char *const masks[] = {"#0.000", "#0.00", "#0.0", "#0", "0", "00"};

[[noreturn]] void broken(const char *rule, const QString &detail)
{
    std::fprintf(stderr, "rule broken: %s: %s\n", rule, detail.toUtf8().constData());
    std::abort();
}

double parse(const QString &text)
{
    QByteArray ascii = text.toLatin1();
    if (ascii.startsWith('+'))
        ascii.remove(0, 1);
    double value = 0.0;
    const auto result = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value);
    return result.ec == std::errc() && std::isfinite(value) ? value : 0.0;
}

bool digit(QChar c) { return c >= u'0' && c <= u'9'; }

// The whole text a decimal number, by hand: sign, digits, at most one point.
bool wholeNumber(const QString &t)
{
    int i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        if (digit(t[i]))
            digits = true;
        else if (t[i] == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

bool negativeZero(const QString &text)
{
    if (!text.startsWith(u'-'))
        return false;
    for (int i = 1; i < text.size(); ++i)
        if (text[i] != u'0' && text[i] != u'.')
            return false;
    return true;
}

void checkShown(double value, const char *mask)
{
    const QString m = QString::fromLatin1(mask);
    const QString shown = formatNumber(value, m);
    const int dot = int(m.indexOf(u'.'));
    const int decimals = dot < 0 ? 0 : int(m.size()) - dot - 1;
    if (negativeZero(shown))
        broken("never a negative zero", shown);
    if (!isNumber(shown) || (decimals > 0) != shown.contains(u'.'))
        broken("the mask's form", shown);
    if (decimals > 0 && shown.size() - shown.indexOf(u'.') - 1 != decimals)
        broken("exactly the mask's decimals", shown);
    if (std::isfinite(value) && std::fabs(value) < 1e15
        && std::fabs(parse(shown) - value) > 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(value) * 1e-14)
        broken("within half a unit", QStringLiteral("%1 -> %2").arg(value, 0, 'g', 17).arg(shown));
}

void checkText(const QString &text)
{
    const double read = readNumber(text);
    if (!std::isfinite(read))
        broken("a finite reading", text);
    const bool number = isNumber(text);
    if (number != wholeNumber(text.trimmed()))
        broken("isNumber is the whole decimal number", text);
    int lead = 0;
    while (lead < text.size() && text[lead].isSpace())
        ++lead;
    bool plainBlanks = true;
    for (int i = 0; i < lead; ++i)
        plainBlanks = plainBlanks && (text[i] == u' ' || text[i] == u'\t');
    // (Other leading blanks: a known disagreement, see tst_numberfuzz.)
    if (number && plainBlanks) {
        const double expected = parse(text.trimmed());
        if (!(read == expected || (std::fabs(read) < 1e-300 && std::fabs(expected) < 1e-300)))
            broken("a number reads its value", text);
        if (std::fabs(read) < 1e15)
            for (const char *mask : masks)
                checkShown(read, mask);
    }
}

void checkValue(double value, const char *mask)
{
    checkShown(value, mask);
    const QString asDouble = doubleText(value);
    if (negativeZero(asDouble) || !isNumber(asDouble) || asDouble.endsWith(u'.'))
        broken("plain double text", asDouble);
    if (std::isfinite(value) && std::fabs(value) < 1e300
        && std::fabs(parse(asDouble) - value) > std::fabs(value) * 1e-14)
        broken("double text within 15 digits", asDouble);
    const float single = std::isfinite(value) && std::fabs(value) < 3e38 ? float(value) : 0.0f;
    const QString asSingle = singleText(single);
    if (negativeZero(asSingle) || !isNumber(asSingle))
        broken("plain single text", asSingle);
    if (std::fabs(parse(asSingle) - double(single)) > std::fabs(double(single)) * 1e-6)
        broken("single text within 7 digits", asSingle);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0] % 3;
    ++data;
    --size;
    if (mode == 0) {
        QString text(int(size / 2), Qt::Uninitialized);
        std::memcpy(text.data(), data, (size / 2) * 2);
        checkText(text);
    } else if (mode == 1) {
        checkText(QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size)));
    } else if (size >= 9) {
        double value;
        std::memcpy(&value, data, sizeof value);
        checkValue(value, masks[data[8] % 6]);
    }
    return 0;
}
