// Runs on SQLite only: the generators aim at the parsers; what reaches the database is bound the same way on both engines.
// Hostile and random input for the formula language of the reports: texts a
// window, a report definition or the command line could hand over (long digit
// runs, huge and tiny numbers, NaN-like words, control characters, quotes of
// both kinds, SQL keywords, deep nesting, unbalanced braces). Rules:
// - a text either parses or is refused with a ReportError whose message
//   starts with the place and names a position inside the text; nothing
//   else is thrown and nothing crashes;
// - the SQL of a parsed selection holds operators, parentheses, placeholders
//   and the columns the formula names, never a piece of the text typed: every
//   value is bound, one per placeholder, and the database accepts it;
// - a parsed formula evaluates on any row without a crash.
//
// A short, fixed pass runs with the tests; VOK_FUZZ_SECONDS=N runs each
// generator for N seconds instead, VOK_SEED=S repeats a run.
#include "db/database.h"
#include "reports/selectionformula.h"
#include "testenvironment.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace vok;
using formula::Value;

namespace {

const QString where = QStringLiteral("Formula de selectie");

formula::Scope selectionScope()
{
    formula::Scope s;
    s.tables.insert(QStringLiteral("foaie"), {QStringLiteral("idf"), QStringLiteral("nrf"), QStringLiteral("ida"),
                                              QStringLiteral("anul"), QStringLiteral("idl"), QStringLiteral("sofer"),
                                              QStringLiteral("data"), QStringLiteral("bm")});
    s.tables.insert(QStringLiteral("curse"), {QStringLiteral("idf"), QStringLiteral("nrc"), QStringLiteral("Cn"),
                                              QStringLiteral("kmT"), QStringLiteral("traseu")});
    s.tables.insert(QStringLiteral("auto"), {QStringLiteral("ida"), QStringLiteral("nrauto"), QStringLiteral("marca")});
    return s;
}

formula::Scope reportScope()
{
    formula::Scope s = selectionScope();
    s.parameters = {QStringLiteral("rest"), QStringLiteral("total")};
    s.functions = true;
    return s;
}

QString columnSql(const QString &table, const QString &column) { return table + u'.' + column; }

// What the SQL of a selection may hold besides the columns: placeholders,
// operators, parentheses, blanks and the three keywords.
const QRegularExpression sqlSkeleton(QStringLiteral("^(?:[?()=<>+*/ -]|AND|OR|NOT)*$"));
const QRegularExpression columnReference(QStringLiteral("\\b(?:foaie|curse|auto)\\.[A-Za-z]+\\b"));
const QRegularExpression clearError(QStringLiteral("^Formula de selectie: .+ \\(pozitia ([0-9]+)\\)$"),
                                    QRegularExpression::DotMatchesEverythingOption);

const QStringList words = {
    QStringLiteral("{foaie.anul}"), QStringLiteral("{foaie.idl}"), QStringLiteral("{curse.idf}"),
    QStringLiteral("{auto.marca}"), QStringLiteral("{curse.Cn}"), QStringLiteral("{CURSE.TRASEU}"),
    QStringLiteral("{ foaie . nrf }"), QStringLiteral("{@rest}"), QStringLiteral("{@nimic}"),
    QStringLiteral("{foaie.nope}"), QStringLiteral("{piese.ida}"), QStringLiteral("{idf}"), QStringLiteral("{}"),
    QStringLiteral("{foaie."), QStringLiteral("{"), QStringLiteral("}"), QStringLiteral("{{"), QStringLiteral("}}"),
    QStringLiteral("{@"), QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("AND"),
    QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<"),
    QStringLiteral(">"), QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("/"),
    QStringLiteral("("), QStringLiteral(")"), QStringLiteral(","), QStringLiteral("sum("), QStringLiteral("iif("),
    QStringLiteral("round("), QStringLiteral("count()"), QStringLiteral("abs("), QStringLiteral("max("),
    QStringLiteral("'x'"), QStringLiteral("\"y\""), QStringLiteral("'it''s'"), QStringLiteral("\"a\"\"b\""),
    QStringLiteral("'"), QStringLiteral("\""), QStringLiteral("''"), QStringLiteral("'; DROP TABLE curse; --'"),
    QStringLiteral("; DROP TABLE curse"), QStringLiteral("--"), QStringLiteral("/*"), QStringLiteral("*/"),
    QStringLiteral("SELECT"), QStringLiteral("UNION"), QStringLiteral("1=1"), QStringLiteral("NULL"),
    QStringLiteral("NaN"), QStringLiteral("inf"), QStringLiteral("-inf"), QStringLiteral("1e308"),
    QStringLiteral("1e-308"), QStringLiteral("0x1F"), QStringLiteral("1,5"), QStringLiteral("-0"),
    QStringLiteral(".5"), QStringLiteral("5."), QStringLiteral("1.2.3"), QStringLiteral("2024"),
    QStringLiteral("0.000000000000000000001"), QStringLiteral("\u0661\u0662"), QStringLiteral("\uFF15"),
    QStringLiteral("\u00A0"), QStringLiteral("\u200F"), QStringLiteral("\u202E"), QStringLiteral("e\u0301"),
    QStringLiteral("\U0001F600"), QStringLiteral("?"), QStringLiteral("$1"), QStringLiteral(":a"), QStringLiteral("\\"),
    QStringLiteral("`"), QStringLiteral("["), QStringLiteral("]"), QStringLiteral(";"), QStringLiteral("@"),
};

QString digits(QRandomGenerator &random, int count)
{
    QString text(count, u'0');
    for (int i = 0; i < count; ++i)
        text[i] = QChar(u'0' + random.bounded(10));
    return text;
}

QString repeated(const QString &piece, int times)
{
    QString text;
    text.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

QString hostileFormula(QRandomGenerator &random)
{
    QString text;
    const int pieces = random.bounded(1, 16);
    for (int p = 0; p < pieces; ++p) {
        switch (random.bounded(12)) {
        case 0: text += digits(random, random.bounded(1, 25)); break;
        case 1: text += digits(random, random.bounded(300, 3000)); break; // long digit runs
        case 2: text += digits(random, random.bounded(0, 20)) + u'.' + digits(random, random.bounded(0, 400)); break;
        case 3: text += QString(QChar(random.bounded(0x20))); break; // control characters, NUL included
        case 4: text += QString(QChar(char16_t(random.bounded(0x10000)))); break; // lone surrogates too
        case 5: { // nesting, balanced or not
            const int depth = random.bounded(1, random.bounded(2) ? 50 : 5000);
            const QString open = QStringList{QStringLiteral("("), QStringLiteral("not "), QStringLiteral("-"),
                                             QStringLiteral("abs("), QStringLiteral("{")}.at(random.bounded(5));
            text += repeated(open, depth) + QStringLiteral("{curse.idf}");
            text += repeated(open.endsWith(u'(') ? QStringLiteral(")") : QString(), depth - random.bounded(2));
            break;
        }
        case 6: text += repeated(QStringLiteral(" or {curse.idf}=") + QString::number(random.bounded(100)),
                                 random.bounded(1, 300)); break; // long chains
        case 7: text += QStringLiteral("'") + repeated(QStringLiteral("x''"), random.bounded(0, 2000)) + u'\''; break;
        default: text += words.at(random.bounded(int(words.size()))); break;
        }
        if (random.bounded(3))
            text += u' ';
    }
    return text;
}

// Texts that are grammatical more often: a comparison joined to others.
QString plausibleFormula(QRandomGenerator &random)
{
    static const QStringList fields = {QStringLiteral("{foaie.anul}"), QStringLiteral("{foaie.idl}"),
                                       QStringLiteral("{curse.idf}"), QStringLiteral("{auto.marca}"),
                                       QStringLiteral("{curse.Cn}"), QStringLiteral("{foaie.sofer}")};
    static const QStringList ops = {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<"),
                                    QStringLiteral(">="), QStringLiteral("+"), QStringLiteral("*"),
                                    QStringLiteral("/"), QStringLiteral("-")};
    auto value = [&]() -> QString {
        switch (random.bounded(7)) {
        case 0: return QString::number(random.bounded(-100000, 100000));
        case 1: return digits(random, random.bounded(1, 400));
        case 2: return QStringLiteral("0.") + digits(random, random.bounded(1, 400));
        case 3: return QStringLiteral("'") + QString(words.at(random.bounded(int(words.size())))).replace(u'\'', QStringLiteral("''")) + u'\'';
        case 4: return QStringLiteral("\"") + QString(words.at(random.bounded(int(words.size())))).replace(u'"', QStringLiteral("\"\"")) + u'"';
        case 5: return QStringLiteral("-(") + fields.at(random.bounded(int(fields.size()))) + u')';
        default: return fields.at(random.bounded(int(fields.size())));
        }
    };
    QString text = value() + ops.at(random.bounded(int(ops.size()))) + value();
    const int more = random.bounded(0, 6);
    for (int i = 0; i < more; ++i)
        text = (random.bounded(4) == 0 ? QStringLiteral("not (") + text + u')' : text)
            + (random.bounded(2) ? QStringLiteral(" and ") : QStringLiteral(" or ")) + value()
            + ops.at(random.bounded(int(ops.size()))) + value();
    return text;
}

// The inputs every pass tries.
QStringList adversarial()
{
    QStringList texts = {
        QString(), QStringLiteral(" "), QStringLiteral("\t\n\r"), QString(1, QChar(0)),
        QStringLiteral("{foaie.anul}=") + repeated(QStringLiteral("9"), 5000),
        QStringLiteral("{foaie.anul}=0.") + repeated(QStringLiteral("0"), 5000) + u'1',
        QStringLiteral("{foaie.anul}=") + repeated(QStringLiteral("9"), 400) + QStringLiteral(".5"),
        QStringLiteral("{foaie.anul}=1e308"), QStringLiteral("{foaie.anul}=NaN"), QStringLiteral("{foaie.anul}=-0"),
        QStringLiteral("{foaie.anul}='NaN'"), QStringLiteral("{auto.marca}='x'' OR 1=1; --'"),
        QStringLiteral("{auto.marca}=\"x\"\" OR 1=1; --\""), QStringLiteral("{auto.marca}='unterminated"),
        QStringLiteral("{auto.marca}=\"unterminated"), QStringLiteral("{curse.idf}=1; DROP TABLE curse"),
        QStringLiteral("{curse.idf} = 1 UNION SELECT * FROM auto"), QStringLiteral("{curse.idf}=1 -- comment"),
        QStringLiteral("{curse.idf}=1 /* x */"), QStringLiteral("{foaie.anul"), QStringLiteral("foaie.anul}=1"),
        QStringLiteral("{{foaie.anul}}=1"), QStringLiteral("{foaie.anul}}=1"), QStringLiteral("{@rest}"),
        QStringLiteral("{curse.idf}=1)"), QStringLiteral("({curse.idf}=1"), QStringLiteral("round({curse.Cn}, 1000000000)"),
        QStringLiteral("round({curse.Cn}, -1000000000)"), QStringLiteral("round({curse.Cn}, ") + repeated(QStringLiteral("9"), 400) + u')',
        QStringLiteral("round(1e300, 20)"), QStringLiteral("iif(1,2)"), QStringLiteral("sum(sum(1))"),
        QStringLiteral("{curse.idf}=\u202E1\u202C"), QStringLiteral("{auto.marca}='\U0001F600'"),
        QStringLiteral("{auto.marca}='") + QString(1, QChar(0xD800)) + u'\'',
        QStringLiteral("{auto.marca}=") + QString(1, QChar(0xDC00)),
    };
    for (const QString &open : {QStringLiteral("("), QStringLiteral("not "), QStringLiteral("-"), QStringLiteral("+"),
                                QStringLiteral("abs("), QStringLiteral("iif(1,1,")}) {
        for (const int depth : {100, 1000, 100000}) {
            texts << repeated(open, depth) + QStringLiteral("{curse.idf}")
                         + repeated(open.endsWith(u'(') ? QStringLiteral(")") : QString(), depth);
            texts << repeated(open, depth); // never closed
        }
    }
    for (const int length : {1000, 100000}) {
        texts << QStringLiteral("{curse.idf}") + repeated(QStringLiteral("+1"), length);
        texts << QStringLiteral("{curse.idf}=1") + repeated(QStringLiteral(" or {curse.idf}=1"), length);
        texts << repeated(QStringLiteral(")"), length) << repeated(QStringLiteral("{"), length)
              << repeated(QStringLiteral("}"), length) << repeated(QStringLiteral("'"), length);
    }
    return texts;
}

template <typename Check> qint64 fuzz(qint64 shortPass, Check check)
{
    const int seconds = qEnvironmentVariableIntValue("VOK_FUZZ_SECONDS");
    QElapsedTimer clock;
    clock.start();
    qint64 tried = 0;
    while (seconds > 0 ? clock.elapsed() < seconds * 1000LL : tried < shortPass) {
        if (!check())
            break;
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

QString shown(const QString &text)
{
    QString s = text.left(300);
    for (QChar &c : s)
        if (c.unicode() < 0x20 || c.isSurrogate())
            c = u'\u00B7';
    return QStringLiteral("[%1 chars] %2").arg(text.size()).arg(s);
}

// A row of random values of every kind.
formula::RowAccess randomRow(QRandomGenerator &random)
{
    formula::RowAccess row;
    auto value = [&random]() -> Value {
        switch (random.bounded(6)) {
        case 0: return Value::null();
        case 1: return Value::of(std::numeric_limits<double>::quiet_NaN());
        case 2: return Value::of(random.bounded(2) ? 1e308 : -1e-308);
        case 3: return Value::of(QStringLiteral("'; DROP TABLE x; --"));
        case 4: return Value::of(QStringLiteral("12.5"));
        default: return Value::of(double(random.bounded(-1000, 1000)));
        }
    };
    row.field = [value](const formula::Node &) { return value(); };
    row.parameter = [value](const QString &) { return value(); };
    row.aggregate = [value](const formula::Node &) { return value(); };
    return row;
}

} // namespace

class FormulaFuzzTest : public QObject {
    Q_OBJECT
private:
    // Empty when the text behaved; else what went wrong.
    QString check(const QString &text, QRandomGenerator &random);
    test::TestEnvironment *m_env = nullptr;
    qint64 m_parsed = 0;
    qint64 m_refused = 0;
    qint64 m_queried = 0;

private slots:
    void initTestCase() { m_env = new test::TestEnvironment; }
    void cleanupTestCase() { delete m_env; }
    void adversarialTextsParseOrAreRefused();
    void randomTextsParseOrAreRefused();
    void plausibleFormulasBindEveryValue();
};

QString FormulaFuzzTest::check(const QString &text, QRandomGenerator &random)
{
    for (const bool report : {false, true}) {
        const formula::Scope scope = report ? reportScope() : selectionScope();
        formula::NodePtr node;
        try {
            node = formula::parse(text, scope, where);
        } catch (const ReportError &error) {
            ++m_refused;
            QString message = error.message();
            for (QChar &c : message) // the expression cannot look at broken UTF-16
                if (c.isSurrogate())
                    c = u'?';
            const QRegularExpressionMatch m = clearError.match(message);
            if (!m.hasMatch())
                return QStringLiteral("unclear refusal \"%1\"").arg(shown(error.message()));
            const qsizetype position = m.captured(1).toLongLong();
            if (position < 1 || position > text.size() + 1)
                return QStringLiteral("position %1 outside the text").arg(position);
            if (error.message().size() > 400)
                return QStringLiteral("a refusal of %1 characters").arg(error.message().size());
            continue;
        } catch (const std::exception &error) {
            return QStringLiteral("threw %1").arg(QString::fromUtf8(error.what()));
        }
        ++m_parsed;
        QStringList fields;
        formula::collectFields(node, fields);
        formula::hasAggregate(node);
        formula::evaluate(*node, randomRow(random));
        if (report)
            continue;

        formula::SqlFilter filter;
        try {
            filter = formula::toSql(node, columnSql);
        } catch (const ReportError &error) {
            ++m_refused;
            if (!clearError.match(error.message()).hasMatch())
                return QStringLiteral("unclear refusal of the SQL \"%1\"").arg(shown(error.message()));
            continue;
        }
        QString skeleton = filter.sql;
        skeleton.remove(columnReference);
        if (!sqlSkeleton.match(skeleton).hasMatch())
            return QStringLiteral("typed text in the SQL: %1").arg(shown(filter.sql));
        if (filter.sql.count(u'?') != filter.values.size())
            return QStringLiteral("%1 placeholders for %2 values").arg(filter.sql.count(u'?')).arg(filter.values.size());
        for (const QVariant &value : filter.values) {
            if (value.typeId() == QMetaType::Double && !std::isfinite(value.toDouble()))
                return QStringLiteral("a non-finite value bound: %1").arg(value.toDouble());
        }
        // The database takes the condition as it is (a few, they cost time).
        if (m_queried < 3000) {
            ++m_queried;
            try {
                scalar(m_env->db(),
                       QStringLiteral("SELECT COUNT(*) FROM curse LEFT JOIN foaie ON curse.idf=foaie.idf "
                                      "LEFT JOIN auto ON foaie.ida=auto.ida WHERE ")
                           + filter.sql,
                       filter.values);
            } catch (const DbError &error) {
                if (!m_env->onServer()) // a server refuses to compare a number with a text
                    return QStringLiteral("the database refused %1: %2").arg(shown(filter.sql), error.message());
            }
        }
    }
    return {};
}

void FormulaFuzzTest::adversarialTextsParseOrAreRefused()
{
    QRandomGenerator random(1);
    const QStringList texts = adversarial();
    for (const QString &text : texts) {
        QElapsedTimer clock;
        clock.start();
        const QString failure = check(text, random);
        if (clock.elapsed() > 200)
            qInfo("slow %lld ms: %s", clock.elapsed(), qPrintable(shown(text).left(80)));
        QVERIFY2(failure.isEmpty(), qPrintable(failure + QStringLiteral(" <- ") + shown(text)));
    }
    // The tables are as they were.
    QCOMPARE(scalar(m_env->db(), QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 0);
    qInfo("%lld adversarial texts", qint64(texts.size()));
}

void FormulaFuzzTest::randomTextsParseOrAreRefused()
{
    QRandomGenerator random = seeded("random texts");
    QString failure, input;
    const qint64 tried = fuzz(4000, [&] {
        input = hostileFormula(random);
        failure = check(input, random);
        return failure.isEmpty();
    });
    QVERIFY2(failure.isEmpty(), qPrintable(failure + QStringLiteral(" <- ") + shown(input)));
    qInfo("%lld random texts, %lld parses, %lld refusals", tried, m_parsed, m_refused);
}

void FormulaFuzzTest::plausibleFormulasBindEveryValue()
{
    QRandomGenerator random = seeded("plausible formulas");
    QString failure, input;
    m_parsed = 0;
    m_refused = 0;
    const qint64 tried = fuzz(4000, [&] {
        input = plausibleFormula(random);
        failure = check(input, random);
        return failure.isEmpty();
    });
    QVERIFY2(failure.isEmpty(), qPrintable(failure + QStringLiteral(" <- ") + shown(input)));
    qInfo("%lld plausible formulas, %lld parses, %lld refusals, %lld run as queries", tried, m_parsed, m_refused,
          m_queried);
    QVERIFY(m_parsed > tried / 4);
}

QTEST_MAIN(FormulaFuzzTest)
#include "tst_formulafuzz.moc"
