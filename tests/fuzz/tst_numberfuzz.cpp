// Hostile and random input for the number helpers: texts the clerk could type
// or paste (long digit runs, NaN-like words, control characters, quotes, SQL,
// other scripts' digits and blanks) and values from the whole double range.
// Each input is checked against an independent reading of the rules, never
// against the code under test.
//
// A short, fixed pass runs with the tests; VOK_FUZZ_SECONDS=N runs each
// generator for N seconds instead, VOK_SEED=S repeats a run.
#include "base/numbers.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace vok;

namespace {

const QStringList masks = {QStringLiteral("#0.000"), QStringLiteral("#0.00"), QStringLiteral("#0.0"),
                           QStringLiteral("#0"), QStringLiteral("0"), QStringLiteral("00")};

int decimalsOf(const QString &mask)
{
    const int dot = int(mask.indexOf(u'.'));
    return dot < 0 ? 0 : int(mask.size()) - dot - 1;
}

// The reference reading: the standard library's locale-free conversion of
// the ASCII number that the rules describe; values out of the double range
// (beyond 1.8e308, or below the smallest subnormal) read 0.
double reference(const QString &number)
{
    QByteArray ascii = number.toLatin1();
    if (ascii.startsWith('+'))
        ascii.remove(0, 1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value);
    Q_UNUSED(end);
    return error == std::errc() && std::isfinite(value) ? value : 0.0;
}

bool sameReading(double a, double b)
{
    return a == b || (std::fabs(a) < 1e-300 && std::fabs(b) < 1e-300);
}

// Possessive, so that a long digit run fails at once instead of backtracking.
const QRegularExpression wholeNumber(QStringLiteral("^[+-]?(?:[0-9]++(?:\\.[0-9]*+)?|\\.[0-9]++)$"));
const QRegularExpression numericPrefix(QStringLiteral("^[ \\t]*+([+-]?(?:[0-9]++(?:\\.[0-9]*+)?|\\.[0-9]++))"));

// The text with every character outside ASCII (lone surrogates included,
// which the expressions refuse to look at) replaced by one that is neither a
// digit nor a blank; none of them belongs to a number.
QString ascii(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() > 0x7e)
            c = QChar(u'~');
    return out;
}

// Pieces hostile texts are made of.
const QStringList words = {
    QStringLiteral("NaN"), QStringLiteral("nan"), QStringLiteral("-nan"), QStringLiteral("inf"),
    QStringLiteral("-Infinity"), QStringLiteral("1e308"), QStringLiteral("1E-400"), QStringLiteral("0x1F"),
    QStringLiteral("1,5"), QStringLiteral("1.2.3"), QStringLiteral("--5"), QStringLiteral("+-5"),
    QStringLiteral("-0"), QStringLiteral("-0.0"), QStringLiteral("."), QStringLiteral("-."),
    QStringLiteral("'"), QStringLiteral("''"), QStringLiteral("\""), QStringLiteral("';DROP TABLE auto;--"),
    QStringLiteral("' OR '1'='1"), QStringLiteral("SELECT * FROM valid"), QStringLiteral("{curse.idf}=5"),
    QStringLiteral("%s%n"), QStringLiteral("\\"), QStringLiteral("\u0663\u0664"), QStringLiteral("\uFF15"),
    QStringLiteral("\u00A0"), QStringLiteral("\u2007"), QStringLiteral("\u3000"), QStringLiteral("\u200B"),
    QStringLiteral("\uFEFF"), QStringLiteral("\u202E"), QStringLiteral("\U0001F697"), QStringLiteral("\u0219"),
    QString(QChar(0xD800)), QString(QChar(0xDFFF)), QString(QChar(0)), QStringLiteral("\r\n"),
    QStringLiteral("\x1b[2J"), QStringLiteral("\x7f"),
};

QString digits(QRandomGenerator &random, int count)
{
    QString text;
    text.reserve(count);
    for (int i = 0; i < count; ++i)
        text.append(QChar(u'0' + random.bounded(10)));
    return text;
}

// A text built from numbers, signs, blanks, words and raw characters.
QString hostileText(QRandomGenerator &random)
{
    QString text;
    const int pieces = random.bounded(1, 6);
    for (int p = 0; p < pieces; ++p) {
        switch (random.bounded(8)) {
        case 0: text += digits(random, random.bounded(1, 25)); break;
        case 1: text += digits(random, random.bounded(300, 5000)); break; // long digit runs
        case 2: text += QStringLiteral("%1.%2").arg(digits(random, random.bounded(0, 18)), digits(random, random.bounded(0, 18))); break;
        case 3: text += words.at(random.bounded(int(words.size()))); break;
        case 4: text += QString(QChar(random.bounded(0x20))); break; // control characters
        case 5: text += QString(QChar(char16_t(random.bounded(0x10000)))); break;
        case 6: text += QStringLiteral(" \t+-.").at(random.bounded(6)); break;
        default: text += QStringLiteral("-0000.000"); break;
        }
    }
    return text;
}

// Values from every corner of the double range.
double hostileValue(QRandomGenerator &random)
{
    switch (random.bounded(7)) {
    case 0: {
        quint64 bits = random.generate64();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value; // anything, NaN and infinities included
    }
    case 1: return double(random.bounded(-2000000, 2000000)) / std::pow(10.0, random.bounded(0, 7));
    case 2: return (double(random.bounded(0, 100000)) + 0.5) / std::pow(10.0, random.bounded(0, 4)); // halves
    case 3: return (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-320, 309));
    case 4: return (random.generateDouble() - 0.5) * 1e-3; // tiny, about to round to zero
    case 5: {
        const double specials[] = {0.0, -0.0, DBL_MIN, -DBL_MIN, DBL_MAX, -DBL_MAX, DBL_TRUE_MIN,
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(), 1e15, -1e15, 999999999999999.5,
                                   2.675, -2.675, 0.0005, -0.0005, 0.05, -0.049999999999999996};
        return specials[random.bounded(int(std::size(specials)))];
    }
    default: return double(random.generate64() % 2000000000000000ull) / 1000.0 - 1e12;
    }
}

// Runs `check` on generated inputs: a fixed number in the short pass, or for
// VOK_FUZZ_SECONDS seconds. Returns how many were tried.
template <typename Check> qint64 fuzz(qint64 shortPass, Check check)
{
    const int seconds = qEnvironmentVariableIntValue("VOK_FUZZ_SECONDS");
    QElapsedTimer clock;
    clock.start();
    qint64 tried = 0;
    while (seconds > 0 ? clock.elapsed() < seconds * 1000LL : tried < shortPass) {
        if (!check())
            return -1;
        ++tried;
    }
    return tried;
}

QRandomGenerator seeded(const char *what)
{
    bool ok = false;
    quint32 seed = quint32(qEnvironmentVariableIntValue("VOK_SEED", &ok));
    if (!ok)
        seed = QRandomGenerator::global()->generate();
    qInfo("%s: seed %u (VOK_SEED=%u repeats it)", what, seed, seed);
    return QRandomGenerator(seed);
}

bool isNegativeZero(const QString &text)
{
    return text.startsWith(u'-') && text.mid(1).count(u'0') + text.mid(1).count(u'.') == text.size() - 1;
}

QString printable(const QString &text)
{
    QString out;
    for (const QChar c : text.left(80))
        out += c.unicode() >= 0x20 && c.unicode() < 0x7f ? QString(c)
                                                         : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return text.size() > 80 ? out + QStringLiteral("...(%1 chars)").arg(text.size()) : out;
}

} // namespace

class NumberFuzzTest : public QObject {
    Q_OBJECT
private slots:
    void textsAreReadByTheRules();
    void leadingUnicodeBlankIsNotANumberThatReadsZero();
    void valuesAreWrittenByTheMasks();
    void storageTextsReadBackTheirValue();
    void shortDecimalsSurviveStorage();
};

void NumberFuzzTest::textsAreReadByTheRules()
{
    QRandomGenerator random = seeded("texts");
    QString failure;
    const qint64 tried = fuzz(30000, [&] {
        const QString text = hostileText(random);
        const double read = readNumber(text);
        const bool number = isNumber(text);
        // Leading blanks of every kind are skipped, the same that isNumber trims.
        const QString trimmed = text.trimmed();
        int lead = 0;
        while (lead < text.size() && text[lead].isSpace())
            ++lead;
        const QRegularExpressionMatch prefix = numericPrefix.match(ascii(text.mid(lead)));
        const double expected = prefix.hasMatch() ? reference(prefix.captured(1)) : 0.0;
        if (!std::isfinite(read))
            failure = QStringLiteral("readNumber gave a non-finite value");
        else if (!sameReading(read, expected))
            failure = QStringLiteral("readNumber gave %1, the rules %2").arg(read, 0, 'g', 17).arg(expected, 0, 'g', 17);
        else if (number != wholeNumber.match(ascii(trimmed)).hasMatch())
            failure = QStringLiteral("isNumber said %1").arg(number);
        else if (number && !sameReading(read, reference(trimmed)))
            failure = QStringLiteral("a number that reads %1 instead of its value").arg(read);
        else if (number && std::fabs(read) < 1e15) {
            for (const QString &mask : masks) {
                const QString shown = formatNumber(read, mask);
                if (!isNumber(shown) || std::fabs(reference(shown) - read) > 0.5 * std::pow(10.0, -decimalsOf(mask)) * (1 + 1e-9) + std::fabs(read) * 1e-14) {
                    failure = QStringLiteral("shown with %1 as %2").arg(mask, shown);
                    break;
                }
            }
        }
        if (!failure.isEmpty())
            failure = QStringLiteral("%1 for \"%2\"").arg(failure, printable(text));
        return failure.isEmpty();
    });
    QVERIFY2(tried >= 0, qPrintable(failure));
    qInfo("%lld texts tried", tried);
}

void NumberFuzzTest::leadingUnicodeBlankIsNotANumberThatReadsZero()
{
    // A number pasted with a leading no-break space (U+00A0, common in
    // copied spreadsheet cells), a line feed or another Unicode blank passes
    // isNumber, which trims every kind of blank; readNumber must read the
    // number it shows, not 0.
    const QStringList texts = {QStringLiteral("\u00A05"), QStringLiteral("\n5"), QStringLiteral("\u30005.5"),
                               QStringLiteral("\r7")};
    for (const QString &text : texts) {
        QVERIFY(isNumber(text));
        QCOMPARE(readNumber(text), reference(text.trimmed()));
    }
}

void NumberFuzzTest::valuesAreWrittenByTheMasks()
{
    QRandomGenerator random = seeded("values");
    QString failure;
    const qint64 tried = fuzz(30000, [&] {
        const double value = hostileValue(random);
        for (const QString &mask : masks) {
            const QString shown = formatNumber(value, mask);
            const int decimals = decimalsOf(mask);
            const QRegularExpression form(QStringLiteral("^-?[0-9]{%1,}%2$")
                                              .arg(mask == QLatin1String("00") ? 2 : 1)
                                              .arg(decimals ? QStringLiteral("\\.[0-9]{%1}").arg(decimals) : QString()));
            if (!form.match(shown).hasMatch())
                failure = QStringLiteral("not in the form of the mask");
            else if (isNegativeZero(shown))
                failure = QStringLiteral("a negative zero");
            else if (!std::isfinite(value) && reference(shown) != 0)
                failure = QStringLiteral("a non-finite value shown as a number");
            else if (std::isfinite(value) && std::fabs(value) < 1e15
                     && std::fabs(reference(shown) - value)
                            > 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(value) * 1e-14)
                failure = QStringLiteral("more than half a unit away");
            else if (std::isfinite(value) && std::fabs(value) < 1e15 && formatNumber(readNumber(shown), mask) != shown)
                failure = QStringLiteral("read back and shown again it changes");
            if (!failure.isEmpty()) {
                failure = QStringLiteral("%1: %2 with %3 gives %4").arg(failure).arg(value, 0, 'g', 17).arg(mask, printable(shown));
                return false;
            }
        }
        return true;
    });
    QVERIFY2(tried >= 0, qPrintable(failure));
    qInfo("%lld values tried with %lld masks", tried, qint64(masks.size()));
}

void NumberFuzzTest::storageTextsReadBackTheirValue()
{
    QRandomGenerator random = seeded("storage");
    const QRegularExpression plain(QStringLiteral("^-?[0-9]+(\\.[0-9]*[1-9])?$"));
    QString failure;
    const qint64 tried = fuzz(30000, [&] {
        const double value = hostileValue(random);
        const float single = float(std::isfinite(value) && std::fabs(value) < FLT_MAX ? value : 0.0);
        const QString asDouble = doubleText(value);
        const QString asSingle = singleText(single);
        if (!plain.match(asDouble).hasMatch() || !plain.match(asSingle).hasMatch())
            failure = QStringLiteral("not plain decimal text");
        else if (isNegativeZero(asDouble) || isNegativeZero(asSingle))
            failure = QStringLiteral("a negative zero");
        else if (!std::isfinite(value) && asDouble != QLatin1String("0"))
            failure = QStringLiteral("a non-finite value stored as a number");
        // (Within 15 digits of the largest double the text rounds beyond it.)
        else if (std::isfinite(value) && std::fabs(value) < 1e300
                 && std::fabs(reference(asDouble) - value) > std::fabs(value) * 1e-14)
            failure = QStringLiteral("the double text is off");
        else if (std::fabs(reference(asSingle) - double(single)) > std::fabs(double(single)) * 1e-6)
            failure = QStringLiteral("the single text is off");
        else if (singleValue(single) != reference(asSingle))
            failure = QStringLiteral("singleValue is not the value of the single text");
        if (!failure.isEmpty()) {
            failure = QStringLiteral("%1: %2 gives %3 / %4")
                          .arg(failure)
                          .arg(value, 0, 'g', 17)
                          .arg(printable(asDouble), printable(asSingle));
            return false;
        }
        return true;
    });
    QVERIFY2(tried >= 0, qPrintable(failure));
    qInfo("%lld values tried", tried);
}

void NumberFuzzTest::shortDecimalsSurviveStorage()
{
    // A decimal of at most 15 significant digits comes back exactly from the
    // double text, one of at most 6 from the single text.
    QRandomGenerator random = seeded("decimals");
    QString failure;
    const qint64 tried = fuzz(30000, [&] {
        const int significant = random.bounded(1, 16);
        const QString mantissa = QString::number(random.bounded(1, 10)) + digits(random, significant - 1);
        const int point = random.bounded(0, significant + 1);
        QString text = mantissa.left(point) + QLatin1Char('.') + mantissa.mid(point);
        text = QStringLiteral("%1%2e%3").arg(random.bounded(2) ? QStringLiteral("-") : QString(), text).arg(random.bounded(-12, 13));
        const double value = reference(text);
        if (reference(doubleText(value)) != value)
            failure = QStringLiteral("%1 stored as %2").arg(text, doubleText(value));
        if (significant <= 6) {
            const float single = float(value);
            if (singleText(single).toFloat() != single)
                failure = QStringLiteral("%1 stored as single %2").arg(text, singleText(single));
        }
        return failure.isEmpty();
    });
    QVERIFY2(tried >= 0, qPrintable(failure));
    qInfo("%lld decimals tried", tried);
}

QTEST_GUILESS_MAIN(NumberFuzzTest)
#include "tst_numberfuzz.moc"
