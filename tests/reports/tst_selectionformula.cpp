#include "db/database.h"
#include "reportfixture.h"

#include "reports/reportengine.h"
#include "reports/selectionformula.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace vok;
using formula::Value;

namespace {

formula::Scope schemaScope()
{
    formula::Scope s;
    s.tables.insert(QStringLiteral("foaie"), {QStringLiteral("idf"), QStringLiteral("nrf"), QStringLiteral("ida"),
                                              QStringLiteral("anul"), QStringLiteral("idl"), QStringLiteral("bm"),
                                              QStringLiteral("gz"), QStringLiteral("um"), QStringLiteral("ut"),
                                              QStringLiteral("ua"), QStringLiteral("restit"), QStringLiteral("data")});
    s.tables.insert(QStringLiteral("curse"), {QStringLiteral("idf"), QStringLiteral("Cn"), QStringLiteral("kmT"), QStringLiteral("Gm")});
    s.tables.insert(QStringLiteral("dateluna"), {QStringLiteral("anul"), QStringLiteral("idl"), QStringLiteral("ida")});
    s.tables.insert(QStringLiteral("auto"), {QStringLiteral("rap"), QStringLiteral("marca"), QStringLiteral("nrauto")});
    s.tables.insert(QStringLiteral("piese"), {QStringLiteral("ida")});
    return s;
}

QString columnSql(const QString &table, const QString &column) { return table + u'.' + column; }

const QString quantities = QStringLiteral(
    " and ({foaie.bm}>0 or {foaie.gz}>0 or {foaie.um}>0 or {foaie.ut}>0 or {foaie.ua}>0 or {foaie.restit}>0)");

} // namespace

class SelectionFormulaTest : public QObject {
    Q_OBJECT
private slots:
    void windowFormulasBecomeBoundFilters_data();
    void windowFormulasBecomeBoundFilters();
    void malformedFormulasNameThePlace_data();
    void malformedFormulasNameThePlace();
    void quotedTextsStayValues_data();
    void quotedTextsStayValues();
    void hostileTextSelectsNothingAndChangesNothing();
    void evaluationFollowsSqlRules_data();
    void evaluationFollowsSqlRules();
    void functionsOnlyWhereAllowed();
    void anyTextEitherParsesOrIsRefused();
};

void SelectionFormulaTest::windowFormulasBecomeBoundFilters_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("calculation report") << QStringLiteral("{curse.idf}=5") << QStringLiteral("(curse.idf = ?)") << QVariantList{5};
    QTest::newRow("refuelling month")
        << QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=7") + quantities
        << QStringLiteral("((((foaie.anul = ?) AND (foaie.idl = ?)) AND (foaie.ida = ?)) AND ((((((foaie.bm > ?) OR "
                          "(foaie.gz > ?)) OR (foaie.um > ?)) OR (foaie.ut > ?)) OR (foaie.ua > ?)) OR (foaie.restit > ?)))")
        << QVariantList{2024, 3, 7, 0, 0, 0, 0, 0, 0};
    QTest::newRow("refuelling year")
        << QStringLiteral("{foaie.anul}=2024 and {foaie.ida}=7") + quantities
        << QStringLiteral("(((foaie.anul = ?) AND (foaie.ida = ?)) AND ((((((foaie.bm > ?) OR (foaie.gz > ?)) OR "
                          "(foaie.um > ?)) OR (foaie.ut > ?)) OR (foaie.ua > ?)) OR (foaie.restit > ?)))")
        << QVariantList{2024, 7, 0, 0, 0, 0, 0, 0};
    QTest::newRow("parts") << QStringLiteral("{piese.ida}=12") << QStringLiteral("(piese.ida = ?)") << QVariantList{12};
    QTest::newRow("activity month") << QStringLiteral("{foaie.anul}=2023 and {foaie.idl}=12 and {foaie.ida}=1")
                                    << QStringLiteral("(((foaie.anul = ?) AND (foaie.idl = ?)) AND (foaie.ida = ?))")
                                    << QVariantList{2023, 12, 1};
    QTest::newRow("activity year") << QStringLiteral("{dateluna.anul}=2024 and {dateluna.ida}=1")
                                   << QStringLiteral("((dateluna.anul = ?) AND (dateluna.ida = ?))") << QVariantList{2024, 1};
    QTest::newRow("fleet month") << QStringLiteral("{dateluna.anul}=2024 and {dateluna.idl}=1 and {auto.rap}=1")
                                 << QStringLiteral("(((dateluna.anul = ?) AND (dateluna.idl = ?)) AND (auto.rap = ?))")
                                 << QVariantList{2024, 1, 1};
    QTest::newRow("fleet year") << QStringLiteral("{dateluna.anul}=2024 and {auto.rap}=1")
                                << QStringLiteral("((dateluna.anul = ?) AND (auto.rap = ?))") << QVariantList{2024, 1};
    QTest::newRow("every operator") << QStringLiteral("{curse.Cn}<>1 or {curse.Cn}<2 or {curse.Cn}<=3.5 or {curse.Cn}>=-4 or {curse.Cn}>.5")
                                    << QStringLiteral("(((((curse.Cn <> ?) OR (curse.Cn < ?)) OR (curse.Cn <= ?)) OR (curse.Cn >= ?)) OR (curse.Cn > ?))")
                                    << QVariantList{1, 2, 3.5, -4, 0.5};
    QTest::newRow("and before or") << QStringLiteral("{curse.idf}=1 or {curse.idf}=2 and {curse.Cn}>0")
                                   << QStringLiteral("((curse.idf = ?) OR ((curse.idf = ?) AND (curse.Cn > ?)))") << QVariantList{1, 2, 0};
    QTest::newRow("parentheses") << QStringLiteral("({curse.idf}=1 or {curse.idf}=2) and not {curse.Cn}=0")
                                 << QStringLiteral("(((curse.idf = ?) OR (curse.idf = ?)) AND (NOT (curse.Cn = ?)))") << QVariantList{1, 2, 0};
    QTest::newRow("upper case keywords, any case names")
        << QStringLiteral("{FOAIE.ANUL}=2024 AND {Foaie.Idl}=3 OR {auto.MARCA}=\"ROMAN\"")
        << QStringLiteral("(((foaie.anul = ?) AND (foaie.idl = ?)) OR (auto.marca = ?))")
        << QVariantList{2024, 3, QStringLiteral("ROMAN")};
    QTest::newRow("text date") << QStringLiteral("{foaie.data}='05.03.2024'") << QStringLiteral("(foaie.data = ?)")
                               << QVariantList{QStringLiteral("05.03.2024")};
    QTest::newRow("arithmetic") << QStringLiteral("{curse.Gm}*{curse.kmT}>100+2*3")
                                << QStringLiteral("((curse.Gm * curse.kmT) > (? + (? * ?)))") << QVariantList{100, 2, 3};
}

void SelectionFormulaTest::windowFormulasBecomeBoundFilters()
{
    QFETCH(QString, formula);
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    const formula::SqlFilter filter = formula::toSql(formula::parse(formula, schemaScope(), QStringLiteral("Formula")), columnSql);
    QCOMPARE(filter.sql, sql);
    QCOMPARE(filter.values.size(), values.size());
    for (int i = 0; i < values.size(); ++i)
        QVERIFY2(filter.values[i] == values[i], qPrintable(QStringLiteral("value %1: %2").arg(i).arg(filter.values[i].toString())));
}

void SelectionFormulaTest::malformedFormulasNameThePlace_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QStringLiteral("   ") << QStringLiteral("formula este goala (pozitia 1)");
    QTest::newRow("missing value") << QStringLiteral("{foaie.anul}=") << QStringLiteral("formula se termina prea devreme, se asteapta o valoare (pozitia 14)");
    QTest::newRow("missing value before and") << QStringLiteral("{foaie.anul}= and {foaie.idl}=3")
                                              << QStringLiteral("se asteapta o valoare inainte de \"and\" (pozitia 15)");
    QTest::newRow("unclosed parenthesis") << QStringLiteral("({foaie.bm}>0 or {foaie.gz}>0")
                                          << QStringLiteral("lipseste paranteza inchisa ) in loc de \"sfarsitul formulei\" (pozitia 30)");
    QTest::newRow("extra parenthesis") << QStringLiteral("{foaie.bm}>0)") << QStringLiteral("se asteapta and, or sau sfarsitul formulei in loc de \")\" (pozitia 13)");
    QTest::newRow("unclosed brace") << QStringLiteral("{foaie.anul=2024") << QStringLiteral("lipseste acolada inchisa } (pozitia 1)");
    QTest::newRow("unclosed text") << QStringLiteral("{auto.marca}='ROMAN") << QStringLiteral("text neterminat, lipseste ghilimeaua de inchidere (pozitia 14)");
    QTest::newRow("unknown column") << QStringLiteral("{foaie.anul}=2024 and {foaie.luna}=3")
                                    << QStringLiteral("coloana {foaie.luna} nu exista in tabela foaie (pozitia 23)");
    QTest::newRow("unknown table") << QStringLiteral("{consum.ida}=1") << QStringLiteral("tabela consum din {consum.ida} nu face parte din raport (pozitia 1)");
    QTest::newRow("bare word") << QStringLiteral("{auto.marca}=ROMAN") << QStringLiteral("cuvant necunoscut \"roman\"");
    QTest::newRow("two comparisons") << QStringLiteral("{foaie.anul}=2024=2024") << QStringLiteral("in loc de \"=\" (pozitia 18)");
    QTest::newRow("double equals") << QStringLiteral("{foaie.anul}==2024") << QStringLiteral("se asteapta o valoare in loc de \"=\" (pozitia 14)");
    QTest::newRow("statement separator") << QStringLiteral("{foaie.ida}=1; DELETE FROM foaie") << QStringLiteral("caracter nepermis \";\" (pozitia 14)");
    QTest::newRow("comment") << QStringLiteral("{foaie.ida}=1 -- x") << QStringLiteral("cuvant necunoscut \"x\"");
    QTest::newRow("number glued to word") << QStringLiteral("{foaie.ida}=1x") << QStringLiteral("numar gresit \"1x\" (pozitia 13)");
    QTest::newRow("named value in selection") << QStringLiteral("{foaie.ida}={@rest}") << QStringLiteral("valoarea {@rest} nu este definita in raport (pozitia 13)");
    QTest::newRow("function in selection") << QStringLiteral("sum({curse.Cn})>0") << QStringLiteral("functia \"sum\" nu este permisa aici (pozitia 1)");
}

void SelectionFormulaTest::malformedFormulasNameThePlace()
{
    QFETCH(QString, formula);
    QFETCH(QString, message);
    try {
        formula::parse(formula, schemaScope(), QStringLiteral("Formula de selectie"));
        QFAIL("the formula was accepted");
    } catch (const ReportError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("Formula de selectie: ")), qPrintable(error.message()));
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void SelectionFormulaTest::quotedTextsStayValues_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("value");
    QTest::newRow("doubled apostrophe") << QStringLiteral("{auto.marca}='O''Neil'") << QStringLiteral("O'Neil");
    QTest::newRow("apostrophe in double quotes") << QStringLiteral("{auto.marca}=\"D'Arc\"") << QStringLiteral("D'Arc");
    QTest::newRow("doubled double quote") << QStringLiteral("{auto.marca}=\"a\"\"b\"") << QStringLiteral("a\"b");
    QTest::newRow("semicolon and keywords") << QStringLiteral("{auto.marca}='x''; DROP TABLE auto; --'")
                                            << QStringLiteral("x'; DROP TABLE auto; --");
    QTest::newRow("or inside text") << QStringLiteral("{auto.marca}=' or 1=1 or '") << QStringLiteral(" or 1=1 or ");
    QTest::newRow("braces inside text") << QStringLiteral("{auto.marca}='{auto.rap}'") << QStringLiteral("{auto.rap}");
}

void SelectionFormulaTest::quotedTextsStayValues()
{
    QFETCH(QString, formula);
    QFETCH(QString, value);
    const formula::SqlFilter filter = formula::toSql(formula::parse(formula, schemaScope(), QStringLiteral("F")), columnSql);
    QCOMPARE(filter.sql, QStringLiteral("(auto.marca = ?)"));
    QCOMPARE(filter.values, QVariantList{value});
}

void SelectionFormulaTest::hostileTextSelectsNothingAndChangesNothing()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    ReportRequest request;
    request.reportFile = QStringLiteral("rapcalculf.rpt");
    request.selection = QStringLiteral("{auto.marca}='x'' OR 1=1; DELETE FROM curse; --' or {curse.idf}=\"1 OR 1=1\"");
    try {
        const ReportDocument doc = ReportEngine(env.db()).run(request);
        QVERIFY(doc.toText().contains(QStringLiteral("Nu exista date pentru selectia facuta.")));
    } catch (const vok::DbError &error) {
        // A server refuses to compare a whole number with a text outright.
        QVERIFY2(env.onServer(), qPrintable(error.message()));
    }
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM curse")).toInt(), 6);
    // A plain quoted make selects its vehicle's trips.
    request.selection = QStringLiteral("{auto.marca}='DACIA LOGAN 1.5 DCI'");
    QVERIFY(ReportEngine(env.db()).run(request).toText().contains(QStringLiteral("Sediu - Primarie")));
}

void SelectionFormulaTest::evaluationFollowsSqlRules_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QVariant>("cn");
    QTest::addColumn<QString>("expected"); // "1", "0" or "null"
    QTest::newRow("equal") << QStringLiteral("{curse.Cn}=2.5") << QVariant(2.5) << QStringLiteral("1");
    QTest::newRow("null compares to nothing") << QStringLiteral("{curse.Cn}=0") << QVariant() << QStringLiteral("null");
    QTest::newRow("null is not true in and") << QStringLiteral("{curse.Cn}>0 and 1=1") << QVariant() << QStringLiteral("0");
    QTest::newRow("or rescues null") << QStringLiteral("{curse.Cn}>0 or 1=1") << QVariant() << QStringLiteral("1");
    QTest::newRow("numeric text compares as number") << QStringLiteral("{curse.Cn}=10") << QVariant(QStringLiteral("10.0")) << QStringLiteral("1");
    QTest::newRow("text compares as text") << QStringLiteral("{curse.Cn}='abc'") << QVariant(QStringLiteral("abc")) << QStringLiteral("1");
    QTest::newRow("arithmetic") << QStringLiteral("{curse.Cn}*2+1=6") << QVariant(2.5) << QStringLiteral("1");
    QTest::newRow("division by zero") << QStringLiteral("{curse.Cn}/0") << QVariant(2.5) << QStringLiteral("null");
}

void SelectionFormulaTest::evaluationFollowsSqlRules()
{
    QFETCH(QString, formula);
    QFETCH(QVariant, cn);
    QFETCH(QString, expected);
    const formula::NodePtr node = formula::parse(formula, schemaScope(), QStringLiteral("F"));
    formula::RowAccess row;
    row.field = [&](const formula::Node &) { return Value::fromVariant(cn); };
    row.parameter = [](const QString &) { return Value::null(); };
    row.aggregate = [](const formula::Node &) { return Value::null(); };
    const Value v = formula::evaluate(*node, row);
    if (expected == u"null")
        QVERIFY(v.isNull());
    else
        QCOMPARE(v.truth(), expected == u"1");
}

void SelectionFormulaTest::functionsOnlyWhereAllowed()
{
    formula::Scope layout = schemaScope();
    layout.functions = true;
    layout.parameters = {QStringLiteral("rest")};
    const formula::NodePtr node = formula::parse(QStringLiteral("sum(iif({curse.Gm}>0, {curse.kmT}, 0)) + {@REST}"), layout, QStringLiteral("F"));
    QVERIFY(formula::hasAggregate(node));
    QStringList fields;
    formula::collectFields(node, fields);
    QCOMPARE(fields, (QStringList{QStringLiteral("curse.Gm"), QStringLiteral("curse.kmT")}));

    layout.aggregates = false;
    QVERIFY_THROWS_EXCEPTION(ReportError, formula::parse(QStringLiteral("sum({curse.Cn})"), layout, QStringLiteral("F")));
    layout.aggregates = true;
    QVERIFY_THROWS_EXCEPTION(ReportError, formula::parse(QStringLiteral("sum(sum({curse.Cn}))"), layout, QStringLiteral("F")));
    QVERIFY_THROWS_EXCEPTION(ReportError, formula::parse(QStringLiteral("iif({curse.Cn}>0, 1)"), layout, QStringLiteral("F")));
}

void SelectionFormulaTest::anyTextEitherParsesOrIsRefused()
{
    // Pieces of formulas glued at random: every text parses into a filter or
    // is refused with a ReportError, never anything else.
    const QStringList pieces = {
        QStringLiteral("{foaie.anul}"), QStringLiteral("{foaie.bm"), QStringLiteral("{@rest}"), QStringLiteral("{x.y}"),
        QStringLiteral("{}"), QStringLiteral("{.}"), QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<="),
        QStringLiteral(">"), QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("("),
        QStringLiteral(")"), QStringLiteral("2024"), QStringLiteral("1.5"), QStringLiteral("."), QStringLiteral("'a''b'"),
        QStringLiteral("'"), QStringLiteral("\""), QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("/"),
        QStringLiteral("sum("), QStringLiteral(","), QStringLiteral(";"), QStringLiteral(" "), QStringLiteral("iif("),
    };
    formula::Scope layout = schemaScope();
    layout.functions = true;
    QRandomGenerator random(20240315);
    int parsed = 0;
    for (int i = 0; i < 5000; ++i) {
        QString text;
        const int n = int(random.bounded(1, 9));
        for (int j = 0; j < n; ++j)
            text += pieces[int(random.bounded(qsizetype(pieces.size())))] + (random.bounded(2) ? QStringLiteral(" ") : QString());
        try {
            const formula::NodePtr node = formula::parse(text, i % 2 ? layout : schemaScope(), QStringLiteral("F"));
            QVERIFY(node);
            if (!formula::hasAggregate(node) && i % 2 == 0)
                formula::toSql(node, columnSql);
            ++parsed;
        } catch (const ReportError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("F: ")), qPrintable(text + u' ' + error.message()));
        }
    }
    QVERIFY(parsed > 0);
}

QTEST_GUILESS_MAIN(SelectionFormulaTest)
#include "tst_selectionformula.moc"
