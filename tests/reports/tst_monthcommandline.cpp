// vok --check-months YEAR and --recompute-months YEAR: their lines, exit codes
// and refusals, on the data folder or on the shared database, and once through
// the program itself.
#include "db/database.h"
#include "reports/monthclose.h"
#include "reports/monthcli.h"
#include "tst_monthclose_fixtures.h"

#include <QProcess>
#include <QTextStream>
#include <QtTest>

using namespace vok;
using namespace vok::test;

class MonthCommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void checkRecomputeCheck();
    void refusals_data();
    void refusals();
    void throughTheProgram();
};

namespace {

// What a run printed and returned.
struct Run {
    int code = -1;
    QStringList lines;
    QString errors;
};

// B-01-ABC: January to April closed, then February's trip changed.
// B-02-XYZ: January and March closed (February idle), May never closed.
// B-03-OUT: taken out of the lists, a month never closed.
void fleet(TestEnvironment &env)
{
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC"), .kmef = 1000, .kmechiv = 1100, .restrez = 40});
    const int b = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ"), .restrez = 10});
    const int out = addVehicle(env, {.nrauto = QStringLiteral("B-03-OUT"), .apar = 0});
    int nrf = 0;
    auto month = [&](int ida, int m, double Cn) {
        const int idf = addSheet(env, ida, {.nrf = ++nrf, .anul = 2024, .idl = m, .bm = 50});
        addTrip(env, idf, {.kmT = 100, .kmE = 110, .Cn = Cn});
        return idf;
    };
    int february = 0;
    for (int m = 1; m <= 4; ++m) {
        const int idf = month(a, m, 20);
        if (m == 2)
            february = idf;
        closeMonth(env.db(), a, 2024, m);
    }
    env.sql(QStringLiteral("UPDATE curse SET Cn=25.5 WHERE idf=?"), {february});
    for (int m : {1, 3}) {
        month(b, m, 12);
        closeMonth(env.db(), b, 2024, m);
    }
    month(b, 5, 12);
    month(out, 6, 1);
}

// The server's schema of this environment, for the command's own connection.
void useSchemaOf(TestEnvironment &env)
{
    if (env.onServer())
        qputenv("PGOPTIONS", "-c search_path=" + env.value(QStringLiteral("SELECT current_schema()")).toString().toUtf8());
}

MonthCommand command(TestEnvironment &env, const QString &year)
{
    MonthCommand c;
    if (env.onServer())
        c.databaseUrl = TestEnvironment::serverUrl();
    else
        c.dataDir = env.dataDir();
    c.year = year;
    return c;
}

Run run(int (*mode)(const MonthCommand &, QTextStream &, QTextStream &), const MonthCommand &c)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    Run r;
    r.code = mode(c, outStream, errStream);
    outStream.flush();
    errStream.flush();
    r.lines = out.split(u'\n', Qt::SkipEmptyParts);
    r.errors = err;
    return r;
}

const QStringList staleA = {
    QStringLiteral("B-01-ABC\t2024\t2\tstale\trestrez:100->94.5,Cn:20->25.5"),
    QStringLiteral("B-01-ABC\t2024\t3\tstale\trestrez:130->124.5"),
    QStringLiteral("B-01-ABC\t2024\t4\tstale\trestrez:160->154.5"),
};

} // namespace

void MonthCommandLineTest::checkRecomputeCheck()
{
    TestEnvironment env;
    fleet(env);
    useSchemaOf(env);

    const Run check = run(runCheckMonths, command(env, QStringLiteral("2024")));
    const QStringList expected = staleA + QStringList{QStringLiteral("B-02-XYZ\t2024\t3\trestarts"),
                                                      QStringLiteral("B-02-XYZ\t2024\t5\tnot-closed")};
    QCOMPARE(check.lines, expected);
    QCOMPARE(check.code, 1);
    QVERIFY2(check.errors.isEmpty(), qPrintable(check.errors));

    // The recompute prints the months it changed, in the same words.
    const Run recompute = run(runRecomputeMonths, command(env, QStringLiteral("2024")));
    QCOMPARE(recompute.lines, QStringList(staleA) << QStringLiteral("B-02-XYZ\t2024\t5\tnot-closed"));
    QCOMPARE(recompute.code, 0);
    QCOMPARE(env.value(QStringLiteral("SELECT d.restrez FROM dateluna d INNER JOIN auto a ON a.ida=d.ida "
                                      "WHERE a.nrauto='B-01-ABC' AND d.idl=4")).toDouble(),
             154.5);
    // Taken out of the lists: left as it was.
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna d INNER JOIN auto a ON a.ida=d.ida "
                                      "WHERE a.nrauto='B-03-OUT'")).toInt(),
             0);

    // Only the warnings are left (May, closed now, follows an idle April): done.
    const Run again = run(runCheckMonths, command(env, QStringLiteral("2024")));
    QCOMPARE(again.lines, (QStringList{QStringLiteral("B-02-XYZ\t2024\t3\trestarts"),
                                       QStringLiteral("B-02-XYZ\t2024\t5\trestarts")}));
    QCOMPARE(again.code, 0);
    // A second recompute has nothing to change.
    const Run nothing = run(runRecomputeMonths, command(env, QStringLiteral("2024")));
    QCOMPARE(nothing.lines, QStringList{});
    QCOMPARE(nothing.code, 0);
}

void MonthCommandLineTest::refusals_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<bool>("missingData");
    QTest::addColumn<QString>("reason");
    QTest::newRow("two digits") << "24" << false << "patru cifre";
    QTest::newRow("not a number") << "anul" << false << "patru cifre";
    QTest::newRow("empty") << "" << false << "patru cifre";
    QTest::newRow("no database") << "2024" << true << "nu exista";
}

void MonthCommandLineTest::refusals()
{
    QFETCH(QString, year);
    QFETCH(bool, missingData);
    QFETCH(QString, reason);
    TestEnvironment env;
    if (missingData && env.onServer())
        QSKIP("a data folder only");
    useSchemaOf(env);
    MonthCommand c = command(env, year);
    if (missingData)
        c.dataDir = env.dataDir() + QStringLiteral("/nowhere");
    for (auto mode : {runCheckMonths, runRecomputeMonths}) {
        const Run r = run(mode, c);
        QCOMPARE(r.code, 2);
        QVERIFY(r.lines.isEmpty());
        QVERIFY2(r.errors.contains(reason), qPrintable(r.errors));
    }
    QVERIFY(!QFileInfo::exists(env.dataDir() + QStringLiteral("/nowhere/vok.db")));
}

void MonthCommandLineTest::throughTheProgram()
{
    const QString program = QStringLiteral(VOK_BINARY_DIR "/vok");
    if (!QFileInfo::exists(program))
        QSKIP("the program is not built");
    TestEnvironment env;
    fleet(env);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("VOK_DATABASE"));
    QStringList target = {QStringLiteral("--data-dir"), env.dataDir()};
    if (env.onServer()) {
        target = QStringList{QStringLiteral("--database"), TestEnvironment::serverUrl()};
        environment.insert(QStringLiteral("PGOPTIONS"),
                           QStringLiteral("-c search_path=") + env.value(QStringLiteral("SELECT current_schema()")).toString());
    }
    auto vok = [&](const QStringList &arguments, QString *out) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, target + arguments);
        if (!process.waitForFinished(60000))
            return -1;
        *out = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitCode();
    };
    QString out;
    QCOMPARE(vok({QStringLiteral("--check-months"), QStringLiteral("2024")}, &out), 1);
    QCOMPARE(out.split(u'\n', Qt::SkipEmptyParts).size(), 5);
    QCOMPARE(out.split(u'\n').first(), staleA.first());
    QCOMPARE(vok({QStringLiteral("--recompute-months"), QStringLiteral("2024")}, &out), 0);
    QCOMPARE(out.split(u'\n', Qt::SkipEmptyParts).size(), 4);
    QCOMPARE(vok({QStringLiteral("--check-months"), QStringLiteral("2024")}, &out), 0);
    QCOMPARE(out, QStringLiteral("B-02-XYZ\t2024\t3\trestarts\nB-02-XYZ\t2024\t5\trestarts\n"));
    QCOMPARE(vok({QStringLiteral("--check-months"), QStringLiteral("MMXXIV")}, &out), 2);
    QVERIFY(out.isEmpty());
}

QTEST_GUILESS_MAIN(MonthCommandLineTest)
#include "tst_monthcommandline.moc"
