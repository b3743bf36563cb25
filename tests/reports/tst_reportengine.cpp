#include "reportfixture.h"

#include "reports/reportcli.h"
#include "reports/reportengine.h"
#include "reports/reportstore.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace vok;

namespace {

const QDate printDate(2024, 4, 15);

ReportRequest request(const QString &file, const QString &selection, const QStringList &sort = {},
                      const QStringList &formulas = {})
{
    ReportRequest r;
    r.reportFile = file;
    r.selection = selection;
    r.sortFields = sort;
    r.formulas = formulas;
    return r;
}

QString referencePath(const QString &name)
{
    return QStringLiteral(VOK_SOURCE_DIR "/tests/reports/reference/") + name;
}

// Compares a report's text with its reviewed reference; VOK_UPDATE_REFERENCE=1
// writes the reference instead (then review the difference before committing).
void compareWithReference(const QString &name, const QString &text)
{
    const QString path = referencePath(name);
    if (qEnvironmentVariableIsSet("VOK_UPDATE_REFERENCE")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text.toUtf8());
        return;
    }
    QFile in(path);
    QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(path));
    const QStringList expected = QString::fromUtf8(in.readAll()).split(u'\n');
    const QStringList actual = text.split(u'\n');
    for (int i = 0; i < std::min(expected.size(), actual.size()); ++i)
        QVERIFY2(expected[i] == actual[i],
                 qPrintable(QStringLiteral("%1 line %2:\n  expected: %3\n  actual:   %4").arg(name).arg(i + 1).arg(expected[i], actual[i])));
    QCOMPARE(actual.size(), expected.size());
}

void lookAt(const ReportDocument &doc, const QString &name)
{
    const QString folder = test::lookAtFolder();
    if (!folder.isEmpty())
        doc.writePdf(QDir(folder).filePath(name));
}

} // namespace

class ReportEngineTest : public QObject {
    Q_OBJECT
private slots:
    void calculationReportShowsOnlyItsSheet();
    void calculationReportPdfHoldsTheNumbers();
    void carShowsTheFormulaWithoutKg();
    void everyReportMatchesItsReference_data();
    void everyReportMatchesItsReference();
    void badRequestsAreNamed_data();
    void badRequestsAreNamed();
    void malformedDefinitionsAreNamed_data();
    void malformedDefinitionsAreNamed();
    void noRowsGivesAPageWithHeaderAndSignatures();
    void commandLineWritesPdfAndHtml();
    void commandLineRefusesABadRequest();
    void pagesRepeatHeadingAndCountPages();
    void groupsAndTotals();
    void aLongWordInANarrowColumnBreaks();
    void fleetReportsKeepVehiclesTakenOut();
    void totalsKeepTheLastRowWithThem();
    void aSummaryOfManyGroupsFillsItsPages();
    void anEmptyReportStillNamesWhatWasAskedFor();
    void linesKeptTogetherLongerThanAPageAreCut();
    void htmlEscapesTheData();
};

void ReportEngineTest::calculationReportShowsOnlyItsSheet()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    const QString text = ReportEngine(env.db()).run(request(QStringLiteral("rapcalculf.rpt"), QStringLiteral("{curse.idf}=3")), printDate).toText();
    QVERIFY(text.contains(QStringLiteral("Foaia de parcurs nr. 1235")));
    QVERIFY(text.contains(QStringLiteral("Bucuresti - Pitesti - Bucuresti")));
    QVERIFY(!text.contains(QStringLiteral("Ploiesti")));
    QVERIFY(!text.contains(QStringLiteral("1234")));
}

void ReportEngineTest::calculationReportPdfHoldsTheNumbers()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    const ReportDocument doc = ReportEngine(env.db()).run(request(QStringLiteral("rapcalculf.rpt"), QStringLiteral("{curse.idf}=1")), printDate);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("calcul.pdf"));
    doc.writePdf(pdf);
    const QString text = test::pdfText(pdf);
    QVERIFY2(!text.isEmpty(), "pdftotext could not read the PDF");
    for (const char *expected : {"SC TRANSPORT AUTO SRL", "B-10-ABC", "ROMAN 10.215 FK", "1234", "05.03.2024",
                                 "POPESCU ION", "34.092", "27.000", "61.092", "0.899", "160.0", "162.0", "179.70",
                                 "Pagina 1 din 1", "Data tiparirii: 15.04.2024", "DIRECTOR", "IONESCU VASILE",
                                 "GEORGESCU ANA", "Q1 = 0.25 * (Cm/100) * Nod"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
}

void ReportEngineTest::carShowsTheFormulaWithoutKg()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    const QString text = ReportEngine(env.db()).run(request(QStringLiteral("rapcalculf.rpt"), QStringLiteral("{curse.idf}=5")), printDate).toText();
    QVERIFY(text.contains(QStringLiteral("Cn = (Pe/100) * Cm * A + Q1 + Q4                   Pe = Ped + T + U + I + Ra")));
    QVERIFY(!text.contains(QStringLiteral("Cm * Kg * A")));
    QVERIFY(!text.contains(QStringLiteral("Kg - coeficient pentru sarcina transportata")));
}

void ReportEngineTest::everyReportMatchesItsReference_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QStringList>("sort");
    QTest::addColumn<QStringList>("formulas");
    QTest::newRow("rapcalculf") << QStringLiteral("rapcalculf.rpt") << QStringLiteral("{curse.idf}=1") << QStringList() << QStringList();
    const QString quantities = QStringLiteral(" and ({foaie.bm}>0 or {foaie.gz}>0 or {foaie.um}>0 or {foaie.ut}>0 or {foaie.ua}>0 or {foaie.restit}>0)");
    QTest::newRow("rapalimluna") << QStringLiteral("rapalimluna.rpt")
                                 << QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=1") + quantities
                                 << QStringList() << QStringList();
    QTest::newRow("rapaliman") << QStringLiteral("rapaliman.rpt") << QStringLiteral("{foaie.anul}=2024 and {foaie.ida}=1") + quantities
                               << QStringList() << QStringList();
    QTest::newRow("rappiese") << QStringLiteral("rappiese.rpt") << QStringLiteral("{piese.ida}=1") << QStringList() << QStringList();
    QTest::newRow("rapvokluna") << QStringLiteral("rapvokluna.rpt") << QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=1")
                                << QStringList{QStringLiteral("+{foaie.nrf}")}
                                << QStringList{QStringLiteral("rest=50"), QStringLiteral("kmef=12000"), QStringLiteral("kmechiv=13500")};
    QTest::newRow("rapvokan") << QStringLiteral("rapvokan.rpt") << QStringLiteral("{dateluna.anul}=2024 and {dateluna.ida}=1") << QStringList() << QStringList();
    QTest::newRow("rapvoklunaauto") << QStringLiteral("rapvoklunaauto.rpt")
                                    << QStringLiteral("{dateluna.anul}=2024 and {dateluna.idl}=3 and {auto.rap}=1") << QStringList() << QStringList();
    QTest::newRow("rapvokanauto") << QStringLiteral("rapvokanauto.rpt") << QStringLiteral("{dateluna.anul}=2024 and {auto.rap}=1")
                                  << QStringList() << QStringList();
}

void ReportEngineTest::everyReportMatchesItsReference()
{
    QFETCH(QString, file);
    QFETCH(QString, selection);
    QFETCH(QStringList, sort);
    QFETCH(QStringList, formulas);
    test::TestEnvironment env;
    test::insertReportFixture(env);
    try {
        const ReportDocument doc = ReportEngine(env.db()).run(request(file, selection, sort, formulas), printDate);
        compareWithReference(QFileInfo(file).completeBaseName() + QStringLiteral(".txt"), doc.toText());
        lookAt(doc, QFileInfo(file).completeBaseName() + QStringLiteral(".pdf"));
    } catch (const ReportError &error) {
        QFAIL(qPrintable(error.message()));
    }
}

void ReportEngineTest::badRequestsAreNamed_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QStringList>("sort");
    QTest::addColumn<QStringList>("formulas");
    QTest::addColumn<QString>("message");
    const QString calc = QStringLiteral("rapcalculf.rpt");
    QTest::newRow("missing file") << QStringLiteral("nuexista.rpt") << QString() << QStringList() << QStringList()
                                  << QStringLiteral("Fisierul de raport nuexista.rpt nu exista");
    QTest::newRow("unknown column") << calc << QStringLiteral("{curse.idx}=5") << QStringList() << QStringList()
                                    << QStringLiteral("Formula de selectie \"{curse.idx}=5\": coloana {curse.idx} nu exista in tabela curse (pozitia 1)");
    QTest::newRow("table not in report") << calc << QStringLiteral("{curse.idf}=5 and {piese.ida}=1") << QStringList() << QStringList()
                                         << QStringLiteral("tabela piese din {piese.ida} nu face parte din raport (pozitia 19)");
    QTest::newRow("no table") << calc << QStringLiteral("{idf}=5") << QStringList() << QStringList()
                              << QStringLiteral("coloana {idf} trebuie scrisa {tabela.coloana} (pozitia 1)");
    QTest::newRow("dangling and") << calc << QStringLiteral("{curse.idf}=5 and") << QStringList() << QStringList()
                                  << QStringLiteral("formula se termina prea devreme, se asteapta o valoare (pozitia 18)");
    QTest::newRow("sql in selection") << calc << QStringLiteral("{curse.idf}=5; DROP TABLE curse") << QStringList() << QStringList()
                                      << QStringLiteral("caracter nepermis \";\" (pozitia 14)");
    QTest::newRow("bad sort") << calc << QStringLiteral("{curse.idf}=5") << QStringList{QStringLiteral("+{foaie.nrx}")} << QStringList()
                              << QStringLiteral("Campul de sortare \"+{foaie.nrx}\": coloana {foaie.nrx} nu exista in tabela foaie");
    QTest::newRow("unknown formula") << calc << QStringLiteral("{curse.idf}=5") << QStringList() << QStringList{QStringLiteral("rest=50")}
                                     << QStringLiteral("Valoarea \"rest\" nu este definita in raportul rapcalculf.rpt, care nu primeste valori.");
    QTest::newRow("formula without =") << calc << QStringLiteral("{curse.idf}=5") << QStringList() << QStringList{QStringLiteral("rest")}
                                       << QStringLiteral("Valoarea \"rest\" trebuie scrisa nume=valoare");
}

void ReportEngineTest::badRequestsAreNamed()
{
    QFETCH(QString, file);
    QFETCH(QString, selection);
    QFETCH(QStringList, sort);
    QFETCH(QStringList, formulas);
    QFETCH(QString, message);
    test::TestEnvironment env;
    test::insertReportFixture(env);
    try {
        ReportEngine(env.db()).run(request(file, selection, sort, formulas), printDate);
        QFAIL("the request was accepted");
    } catch (const ReportError &error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
    // Nothing was dropped or changed.
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM curse")).toInt(), 6);
}

void ReportEngineTest::malformedDefinitionsAreNamed_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");
    QTest::newRow("not json") << QByteArray("{\n  \"title\": \"x\",\n  oops\n}")
                              << QStringLiteral("x.rpt: fisier gresit la linia 3");
    QTest::newRow("no source") << QByteArray("{\"title\": \"x\", \"detail\": false}")
                               << QStringLiteral("x.rpt: source: se asteapta un obiect");
    QTest::newRow("unknown key") << QByteArray("{\"source\": {\"from\": \"curse\"}, \"colums\": []}")
                                 << QStringLiteral("x.rpt: radacina: cheie necunoscuta \"colums\"");
    QTest::newRow("bad mask") << QByteArray("{\"source\": {\"from\": \"curse\"}, \"columns\": [{\"id\": \"a\", \"value\": \"{curse.Cn}\", \"mask\": \"#0.0000\"}]}")
                              << QStringLiteral("x.rpt: columns[0].mask: masca \"#0.0000\" nu exista");
    QTest::newRow("row names unknown column") << QByteArray("{\"source\": {\"from\": \"curse\"}, \"columns\": [{\"id\": \"a\", \"value\": \"{curse.Cn}\"}], "
                                                            "\"footer\": [{\"row\": {\"b\": \"sum({curse.Cn})\"}}]}")
                                              << QStringLiteral("x.rpt: footer[0]: coloana \"b\" nu exista in columns");
    QTest::newRow("row without columns") << QByteArray("{\"source\": {\"from\": \"curse\"}, \"detail\": false, "
                                                       "\"footer\": [{\"label\": \"Total\", \"row\": {}}]}")
                                         << QStringLiteral("x.rpt: footer[0]: o linie row are nevoie de columns");
    QTest::newRow("unknown table") << QByteArray("{\"source\": {\"from\": \"cursa\"}, \"columns\": [{\"id\": \"a\", \"value\": \"1\"}]}")
                                   << QStringLiteral("x.rpt: source.from: tabela cursa nu exista in baza de date");
    QTest::newRow("bad join") << QByteArray("{\"source\": {\"from\": \"curse\", \"joins\": [{\"table\": \"foaie\", \"on\": \"{curse.idf}={foaie.idx}\"}]}, "
                                            "\"columns\": [{\"id\": \"a\", \"value\": \"1\"}]}")
                              << QStringLiteral("x.rpt: source.joins[0].on: coloana {foaie.idx} nu exista in tabela foaie (pozitia 13)");
    QTest::newRow("aggregate in detail") << QByteArray("{\"source\": {\"from\": \"curse\"}, \"columns\": [{\"id\": \"a\", \"value\": \"sum({curse.Cn})\"}]}")
                                         << QStringLiteral("x.rpt: columns[0] (a).value: totalul \"sum\" nu este permis aici (pozitia 1)");
    QTest::newRow("unknown function") << QByteArray("{\"source\": {\"from\": \"curse\"}, \"columns\": [{\"id\": \"a\", \"value\": \"drop({curse.Cn})\"}]}")
                                      << QStringLiteral("functie necunoscuta \"drop\"");
}

void ReportEngineTest::malformedDefinitionsAreNamed()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    test::TestEnvironment env;
    try {
        const ReportDefinition d = ReportDefinition::parse(json, QStringLiteral("x.rpt"));
        ReportEngine(env.db()).run(d, request(QStringLiteral("x.rpt"), QString()), printDate);
        QFAIL("the definition was accepted");
    } catch (const ReportError &error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void ReportEngineTest::noRowsGivesAPageWithHeaderAndSignatures()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    const ReportDocument doc = ReportEngine(env.db()).run(request(QStringLiteral("rapcalculf.rpt"), QStringLiteral("{curse.idf}=999")), printDate);
    const QString text = doc.toText();
    QVERIFY(text.contains(QStringLiteral("Nu exista date pentru selectia facuta.")));
    QVERIFY(text.contains(QStringLiteral("IONESCU VASILE")));
    QCOMPARE(ReportPages(doc, doc.pageLayout()).count(), 1);
}

void ReportEngineTest::commandLineWritesPdfAndHtml()
{
    if (!test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("reads the database files of a data folder");
    test::TestEnvironment env;
    test::insertReportFixture(env);
    QTemporaryDir out;
    ReportCommand command;
    command.dataDir = env.dataDir();
    command.reportFile = QStringLiteral("rapcalculf.rpt");
    command.selection = QStringLiteral("{curse.idf}=1");
    command.pdfFile = out.filePath(QStringLiteral("cli.pdf"));
    command.htmlFile = out.filePath(QStringLiteral("cli.html"));
    QString messages;
    QTextStream errors(&messages);
    QCOMPARE(runReportCommand(command, errors), 0);
    QVERIFY2(messages.isEmpty(), qPrintable(messages));

    // The same pages as the preview's rendering.
    const ReportDocument doc = ReportEngine(env.db()).run(request(QStringLiteral("rapcalculf.rpt"), QStringLiteral("{curse.idf}=1")));
    const QString direct = out.filePath(QStringLiteral("direct.pdf"));
    doc.writePdf(direct);
    QCOMPARE(test::pdfText(command.pdfFile), test::pdfText(direct));

    QFile html(command.htmlFile);
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(html.readAll());
    QVERIFY(page.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(page.contains(QStringLiteral("34.092")));
    QVERIFY(page.contains(QStringLiteral("Ploiesti - Bucuresti (incarcat)")));
}

void ReportEngineTest::commandLineRefusesABadRequest()
{
    if (!test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("reads the database files of a data folder");
    test::TestEnvironment env;
    QTemporaryDir out;
    ReportCommand command;
    command.dataDir = env.dataDir();
    command.reportFile = QStringLiteral("rapcalculf.rpt");
    command.selection = QStringLiteral("{curse.idf}=");
    command.pdfFile = out.filePath(QStringLiteral("cli.pdf"));
    QString messages;
    QTextStream errors(&messages);
    QVERIFY(runReportCommand(command, errors) != 0);
    QVERIFY2(messages.contains(QStringLiteral("Formula de selectie")), qPrintable(messages));
    QVERIFY(!QFileInfo::exists(command.pdfFile));

    messages.clear();
    command.selection = QStringLiteral("{curse.idf}=1");
    command.dataDir = out.filePath(QStringLiteral("nowhere"));
    QVERIFY(runReportCommand(command, errors) != 0);
    QVERIFY2(messages.contains(QStringLiteral("nu exista")), qPrintable(messages));
    QVERIFY(!QFileInfo::exists(out.filePath(QStringLiteral("nowhere/vok.db"))));
}

void ReportEngineTest::pagesRepeatHeadingAndCountPages()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    // Many trips on one sheet: several pages, each with the column heading.
    for (int n = 10; n < 130; ++n)
        env.sql(QStringLiteral("INSERT INTO curse (idf, nrc, kmI, kmT, kmE, Kg, A, Cn, Cu, traseu) VALUES (1, ?, 10, 10, 9, 1, 1, 2.7, 0.045, 'Ruta')"), {n});
    const ReportDocument doc = ReportEngine(env.db()).run(request(QStringLiteral("rapcalculf.rpt"), QStringLiteral("{curse.idf}=1")), printDate);
    const ReportPages pages(doc, doc.pageLayout());
    QVERIFY(pages.count() >= 3);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    doc.writePdf(pdf);
    const QString text = test::pdfText(pdf);
    const QStringList sheets = text.split(u'\f', Qt::SkipEmptyParts);
    QCOMPARE(sheets.size(), pages.count());
    for (int p = 0; p < pages.count(); ++p) {
        QVERIFY2(sheets[p].contains(QStringLiteral("Pagina %1 din %2").arg(p + 1).arg(pages.count())), qPrintable(sheets[p]));
        if (sheets[p].contains(QStringLiteral("Ruta")))
            QVERIFY(sheets[p].contains(QStringLiteral("Traseu")));
        QVERIFY(sheets[p].contains(QStringLiteral("SC TRANSPORT AUTO SRL")));
    }
}

void ReportEngineTest::aLongWordInANarrowColumnBreaks()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    for (int n = 10; n < 70; ++n)
        env.sql(QStringLiteral("INSERT INTO curse (idf, nrc, kmT, Cn, traseu) VALUES (1, ?, 10, 2.7, ?)"),
                {n, QStringLiteral("FACT1001/05.01.2026")});
    // The same document number, once in a column wide enough and once in one
    // that is not: there it continues on a second line instead of being cut
    // off at the cell's edge, so the rows are taller and need more pages.
    auto pagesWith = [&](double width) {
        const QByteArray json = QStringLiteral(R"json({
          "source": {"from": "curse"}, "signatures": false,
          "columns": [{"id": "nrc", "caption": "Nr", "value": "{curse.nrc}", "mask": "0", "width": 1},
                      {"id": "act", "caption": "Act", "value": "{curse.traseu}", "width": %1, "wrap": true},
                      {"id": "rest", "caption": "Rest", "value": "{curse.Cn}", "mask": "#0.000", "width": 16}]
        })json").arg(width).toUtf8();
        const ReportDocument doc = ReportEngine(env.db()).run(ReportDefinition::parse(json, QStringLiteral("x.rpt")),
                                                              request(QStringLiteral("x.rpt"), QStringLiteral("{curse.idf}=1")), printDate);
        return ReportPages(doc, doc.pageLayout()).count();
    };
    const int wide = pagesWith(12);
    const int narrow = pagesWith(1.5);
    QVERIFY2(narrow > wide, qPrintable(QStringLiteral("%1 pages narrow, %2 wide").arg(narrow).arg(wide)));
}

void ReportEngineTest::fleetReportsKeepVehiclesTakenOut()
{
    // B-22-XYZ was marked for a fleet report and then taken out of the lists:
    // it keeps its mark on purpose, so the months it worked still count in
    // the fleet's totals.
    test::TestEnvironment env;
    test::insertReportFixture(env);
    env.sql(QStringLiteral("UPDATE auto SET apar=0, rap=1 WHERE nrauto='B-22-XYZ'"));
    const QString monthly = ReportEngine(env.db()).run(request(QStringLiteral("rapvoklunaauto.rpt"),
        QStringLiteral("{dateluna.anul}=2024 and {dateluna.idl}=3 and {auto.rap}=1")), printDate).toText();
    QVERIFY2(monthly.contains(QStringLiteral("B-10-ABC")), qPrintable(monthly));
    QVERIFY2(monthly.contains(QStringLiteral("B-22-XYZ")), qPrintable(monthly));
    const QString annual = ReportEngine(env.db()).run(request(QStringLiteral("rapvokanauto.rpt"),
        QStringLiteral("{dateluna.anul}=2024 and {auto.rap}=1")), printDate).toText();
    QVERIFY2(annual.contains(QStringLiteral("B-10-ABC")), qPrintable(annual));
    QVERIFY2(annual.contains(QStringLiteral("B-22-XYZ")), qPrintable(annual));
    // Unmarked, it is left out like any other vehicle.
    env.sql(QStringLiteral("UPDATE auto SET rap=0 WHERE nrauto='B-22-XYZ'"));
    const QString unmarked = ReportEngine(env.db()).run(request(QStringLiteral("rapvokanauto.rpt"),
        QStringLiteral("{dateluna.anul}=2024 and {auto.rap}=1")), printDate).toText();
    QVERIFY2(!unmarked.contains(QStringLiteral("B-22-XYZ")), qPrintable(unmarked));
}

void ReportEngineTest::totalsKeepTheLastRowWithThem()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    // However many rows: the row above a total goes to the next page with it,
    // so the total never stands alone under the column heading.
    const ReportDocument doc = ReportEngine(env.db()).run(request(QStringLiteral("rappiese.rpt"), QStringLiteral("{piese.ida}=1")), printDate);
    int totals = 0;
    for (int i = 1; i < doc.lines.size(); ++i) {
        const ReportDocument::Line &line = doc.lines[i];
        if (line.kind != ReportDocument::Line::Kind::Row || line.cells.isEmpty() || line.cells.first().text != QStringLiteral("Total"))
            continue;
        ++totals;
        QCOMPARE(doc.lines[i - 1].kind, ReportDocument::Line::Kind::Row);
        QVERIFY(doc.lines[i - 1].keepWithNext);
    }
    QCOMPARE(totals, 1);
}

void ReportEngineTest::anEmptyReportStillNamesWhatWasAskedFor()
{
    // A month in which the vehicle received nothing: no sheet is selected,
    // and the page still says which vehicle and month it is about.
    test::TestEnvironment env;
    test::insertReportFixture(env);
    const QString text = ReportEngine(env.db()).run(request(QStringLiteral("rapalimluna.rpt"),
        QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=7 and {foaie.ida}=1 and ({foaie.bm}>0 or {foaie.gz}>0)")), printDate).toText();
    QVERIFY2(text.contains(QStringLiteral("Nu exista date pentru selectia facuta.")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Numar inmatriculare: B-10-ABC | Marca si tipul: ROMAN 10.215 FK | Luna: iulie | Anul: 2024")),
             qPrintable(text));
    // A fleet month never viewed: its month and year.
    const QString fleet = ReportEngine(env.db()).run(request(QStringLiteral("rapvoklunaauto.rpt"),
        QStringLiteral("{dateluna.anul}=2024 and {dateluna.idl}=9 and {auto.rap}=1")), printDate).toText();
    QVERIFY2(fleet.contains(QStringLiteral("Luna: septembrie | Anul: 2024")), qPrintable(fleet));
}

void ReportEngineTest::aSummaryOfManyGroupsFillsItsPages()
{
    // The monthly V.O.K. of a busy vehicle: one summary row per sheet (a
    // group footer), sixty sheets. They fill the pages, one after another.
    test::TestEnvironment env;
    test::insertReportFixture(env);
    for (int n = 1; n <= 60; ++n) {
        env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, orap, oras, data, decada, idl, anul, bm) VALUES (?, 1, 7, 15, '02.05.2024', 1, 5, 2024, 10)"),
                {5000 + n});
        env.sql(QStringLiteral("INSERT INTO curse (idf, nrc, kmT, kmE, Gm, Cn, Cu) SELECT idf, 1, 100, 105, 0, 11.5, 0.08 FROM foaie WHERE nrf=?"),
                {5000 + n});
    }
    const ReportDocument doc = ReportEngine(env.db()).run(
        request(QStringLiteral("rapvokluna.rpt"), QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=5 and {foaie.ida}=1"),
                {QStringLiteral("+{foaie.nrf}")}),
        printDate);
    QVERIFY2(doc.toText().contains(QStringLiteral("> 5060 |")), qPrintable(doc.toText()));
    const int pages = ReportPages(doc, doc.pageLayout()).count();
    QVERIFY2(pages >= 2 && pages <= 4, qPrintable(QString::number(pages)));
}

void ReportEngineTest::linesKeptTogetherLongerThanAPageAreCut()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    QString lines;
    for (int n = 0; n < 150; ++n)
        lines += QStringLiteral(R"({"text": "Rand %1", "keepWithNext": true},)").arg(n);
    lines.chop(1);
    const QByteArray json = QStringLiteral(R"json({"source": {"from": "piese"}, "detail": false, "signatures": false,
        "columns": [{"id": "a", "caption": "A", "value": "{piese.act}"}], "footer": [%1]})json").arg(lines).toUtf8();
    const ReportDocument doc = ReportEngine(env.db()).run(ReportDefinition::parse(json, QStringLiteral("x.rpt")),
                                                          request(QStringLiteral("x.rpt"), QStringLiteral("{piese.ida}=1")), printDate);
    const int pages = ReportPages(doc, doc.pageLayout()).count();
    QVERIFY2(pages >= 2 && pages <= 5, qPrintable(QString::number(pages)));
}

void ReportEngineTest::groupsAndTotals()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    // Trips by vehicle and sheet: a sheet's fuel counted once, the last row of
    // each key, distinct counts, conditions and the opening value.
    const QByteArray json = R"json({
      "source": {"from": "curse", "joins": [{"table": "foaie", "on": "{curse.idf}={foaie.idf}"},
                                            {"table": "auto", "on": "{foaie.ida}={auto.ida}"}]},
      "parameters": {"start": 1},
      "sort": ["+{curse.nrc}"],
      "detail": false,
      "columns": [{"id": "v", "caption": "V", "width": 2, "align": "left"},
                  {"id": "trips", "caption": "Curse", "mask": "0"},
                  {"id": "sheets", "caption": "Foi", "mask": "0"},
                  {"id": "bm", "caption": "bm", "mask": "#0.0"},
                  {"id": "bmPerTrip", "caption": "bm x curse", "mask": "#0.0"},
                  {"id": "lastSheet", "caption": "Ultima foaie", "mask": "0"}],
      "groups": [{"by": "{auto.nrauto}",
                  "header": [{"text": "Auto {auto.nrauto}, prima cursa {curse.traseu}"}],
                  "footer": [{"row": {"v": "{auto.nrauto}", "trips": "count()", "sheets": "count({foaie.idf})",
                                      "bm": "sum({foaie.bm}, {foaie.idf})", "bmPerTrip": "sum({foaie.bm})",
                                      "lastSheet": "last({foaie.nrf})"}},
                             {"text": "camion", "if": "{auto.formula}=1"}]}],
      "footer": [{"label": "Total", "row": {"trips": "count()", "sheets": "count({foaie.idf})",
                                            "bm": "sum({foaie.bm}, {foaie.idf}) + {@start}"}}]
    })json";
    ReportRequest r = request(QStringLiteral("x.rpt"), QStringLiteral("{foaie.anul}=2024"), {QStringLiteral("+{foaie.nrf}")},
                              {QStringLiteral("start=0.5")});
    const ReportDocument doc = ReportEngine(env.db()).run(ReportDefinition::parse(json, QStringLiteral("x.rpt")), r, printDate);
    const QString text = doc.toText();
    // Vehicle 1: sheets 1234 (two trips, 120 l), 1235 (80.5 l), 1236, 1301 (60 l): 5 trips, 4 sheets.
    QVERIFY2(text.contains(QStringLiteral("Auto B-10-ABC, prima cursa Bucuresti - Ploiesti\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("> B-10-ABC | 5 | 4 | 260.5 | 380.5 | 1301\ncamion\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("> B-22-XYZ | 1 | 1 | 0.0 | 0.0 | 77\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("> Total | 6 | 5 | 261.0\n")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("B-22-XYZ | 1 | 1 | 0.0 | 0.0 | 77\ncamion")));
}

void ReportEngineTest::htmlEscapesTheData()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    env.sql(QStringLiteral("UPDATE auto SET marca=? WHERE ida=1"), {QStringLiteral("<b>ROMAN</b> & \"FIII\"")});
    const QString html = ReportEngine(env.db()).run(request(QStringLiteral("rapcalculf.rpt"), QStringLiteral("{curse.idf}=1")), printDate).toHtml();
    QVERIFY(html.contains(QStringLiteral("&lt;b&gt;ROMAN&lt;/b&gt; &amp; &quot;FIII&quot;")));
    QVERIFY(!html.contains(QStringLiteral("<b>ROMAN")));
}

QTEST_MAIN(ReportEngineTest)
#include "tst_reportengine.moc"
