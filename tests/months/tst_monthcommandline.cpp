// vok --check-months YEAR and --recompute-months YEAR through the program
// itself, on the data folder or on the shared database: lines, exit codes,
// refusals.
#include "months/monthclose.h"
#include "monthfixtures.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace vok;
using namespace vok::test;

class MonthCommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void checkRecomputeCheck();
    void earlierYearsAndWarnings();
    void lockedDatabaseWaitsThenFails();
};

namespace {

// The program run as a command, on the test's data folder or shared database.
struct Vok {
    explicit Vok(TestEnvironment &env)
    {
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        target = {QStringLiteral("--data-dir"), env.dataDir()};
        if (env.onServer()) {
            target = QStringList{QStringLiteral("--database"), TestEnvironment::serverUrl()};
            environment.insert(QStringLiteral("PGOPTIONS"),
                               QStringLiteral("-c search_path=")
                                   + env.value(QStringLiteral("SELECT current_schema()")).toString());
        }
    }
    int operator()(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, target + arguments);
        if (!process.waitForFinished(60000))
            return -1;
        printed = QString::fromUtf8(process.readAllStandardOutput());
        told = QString::fromUtf8(process.readAllStandardError());
        return process.exitCode();
    }
    const QString program = QStringLiteral(VOK_BINARY_DIR "/vok");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QStringList target;
    QString printed, told;
};

} // namespace

// B-01-ABC: January to April closed, then February's trip changed.
// B-02-XYZ: January and March closed (February idle), May never closed.
// B-03-OUT: taken out of the lists, a month never closed.
void MonthCommandLineTest::checkRecomputeCheck()
{
    const QString program = QStringLiteral(VOK_BINARY_DIR "/vok");
    if (!QFileInfo::exists(program))
        QSKIP("the program is not built");
    TestEnvironment env;
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC"), .restrez = 40});
    const int b = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ"), .restrez = 10});
    const int out = addVehicle(env, {.nrauto = QStringLiteral("B-03-OUT"), .apar = 0});
    int nrf = 0;
    auto month = [&](int ida, int m, double Cn, bool close) {
        const int idf = addSheet(env, ida, {.nrf = ++nrf, .anul = 2024, .idl = m, .bm = 50});
        addTrip(env, idf, {.kmT = 100, .kmE = 110, .Cn = Cn});
        if (close)
            closeMonth(env.db(), ida, 2024, m);
        return idf;
    };
    int february = 0;
    for (int m = 1; m <= 4; ++m) {
        const int idf = month(a, m, 20, true);
        if (m == 2)
            february = idf;
    }
    env.sql(QStringLiteral("UPDATE curse SET Cn=25.5 WHERE idf=?"), {february});
    month(b, 1, 12, true);
    month(b, 3, 12, true);
    month(b, 5, 12, false);
    month(out, 6, 1, false);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    QStringList target = {QStringLiteral("--data-dir"), env.dataDir()};
    if (env.onServer()) {
        target = QStringList{QStringLiteral("--database"), TestEnvironment::serverUrl()};
        environment.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c search_path=")
                                                            + env.value(QStringLiteral("SELECT current_schema()")).toString());
    }
    QString printed, told;
    auto vok = [&](const QStringList &arguments) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, target + arguments);
        if (!process.waitForFinished(60000))
            return -1;
        printed = QString::fromUtf8(process.readAllStandardOutput());
        told = QString::fromUtf8(process.readAllStandardError());
        return process.exitCode();
    };
    const QString stale = QStringLiteral("B-01-ABC\t2024\t2\tstale\trestrez:100->94.5,Cn:20->25.5\n"
                                         "B-01-ABC\t2024\t3\tstale\trestrez:130->124.5\n"
                                         "B-01-ABC\t2024\t4\tstale\trestrez:160->154.5\n");
    QCOMPARE(vok({QStringLiteral("--check-months"), QStringLiteral("2024")}), 1);
    QCOMPARE(printed, stale + QStringLiteral("B-02-XYZ\t2024\t3\trestarts\nB-02-XYZ\t2024\t5\tnot-closed\n"));
    // The recompute prints the months it changed, in the same words; the
    // vehicle taken out of the lists is left as it was.
    QCOMPARE(vok({QStringLiteral("--recompute-months"), QStringLiteral("2024")}), 0);
    QCOMPARE(printed, stale + QStringLiteral("B-02-XYZ\t2024\t5\tnot-closed\n"));
    QCOMPARE(env.value(QStringLiteral("SELECT restrez FROM dateluna WHERE ida=? AND idl=4"), {a}).toDouble(), 154.5);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {out}).toInt(), 0);
    // Only warnings are left (May, closed now, follows an idle April).
    QCOMPARE(vok({QStringLiteral("--check-months"), QStringLiteral("2024")}), 0);
    QCOMPARE(printed, QStringLiteral("B-02-XYZ\t2024\t3\trestarts\nB-02-XYZ\t2024\t5\trestarts\n"));
    QCOMPARE(vok({QStringLiteral("--recompute-months"), QStringLiteral("2024")}), 0);
    QCOMPARE(printed, QString());
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {b}).toInt(), 3);

    // Refused, with the reason on stderr and nothing on stdout.
    for (const QString &year : {QStringLiteral("24"), QStringLiteral("MMXXIV")}) {
        QCOMPARE(vok({QStringLiteral("--check-months"), year}), 2);
        QVERIFY(printed.isEmpty() && told.contains(QStringLiteral("patru cifre")));
    }
    if (!env.onServer()) {
        target = QStringList{QStringLiteral("--data-dir"), env.dataDir() + QStringLiteral("/nowhere")};
        QCOMPARE(vok({QStringLiteral("--recompute-months"), QStringLiteral("2024")}), 2);
        QVERIFY2(told.contains(QStringLiteral("nu exista")), qPrintable(told));
        QVERIFY(!QFileInfo::exists(env.dataDir() + QStringLiteral("/nowhere/vok.db")));
    }
}

// December 2023 changed after January and February 2024 were closed from
// it: the next year is stale, the recompute starts in December, and the
// checks list a rest below zero as a warning only.
void MonthCommandLineTest::earlierYearsAndWarnings()
{
    TestEnvironment env;
    Vok vok(env);
    if (!QFileInfo::exists(vok.program))
        QSKIP("the program is not built");
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC"), .restrez = 40});
    const int b = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ"), .restrez = 5});
    int nrf = 0, december = 0;
    for (const auto &[year, month] : {std::pair{2023, 11}, std::pair{2023, 12}, std::pair{2024, 1}, std::pair{2024, 2}}) {
        const int idf = addSheet(env, a, {.nrf = ++nrf, .anul = year, .idl = month, .bm = 50});
        addTrip(env, idf, {.kmT = 100, .kmE = 110, .Cn = 20});
        closeMonth(env.db(), a, year, month);
        if (month == 12)
            december = idf;
    }
    // B-02-XYZ burns more than it had: -6.63 in March.
    const int idf = addSheet(env, b, {.nrf = ++nrf, .anul = 2024, .idl = 3, .bm = 100.1});
    addTrip(env, idf, {.kmT = 100, .kmE = 110, .Cn = 111.73});
    closeMonth(env.db(), b, 2024, 3);
    env.sql(QStringLiteral("UPDATE curse SET Cn=30 WHERE idf=?"), {december});

    const QString stale = QStringLiteral("B-01-ABC\t2023\t12\tstale\trestrez:100->90,Cn:20->30\n"
                                         "B-01-ABC\t2024\t1\tstale\trestrez:130->120\n"
                                         "B-01-ABC\t2024\t2\tstale\trestrez:160->150\n");
    QCOMPARE(vok({QStringLiteral("--check-months"), QStringLiteral("2024")}), 1);
    QCOMPARE(vok.printed, stale);
    QCOMPARE(vok({QStringLiteral("--recompute-months"), QStringLiteral("2024")}), 0);
    QCOMPARE(vok.printed, stale);
    QCOMPARE(env.value(QStringLiteral("SELECT restrez FROM dateluna WHERE ida=? AND anul=2024 AND idl=2"), {a}).toDouble(),
             150.0);
    QCOMPARE(vok({QStringLiteral("--check-months"), QStringLiteral("2024")}), 0);
    QCOMPARE(vok.printed, QString());

    // The rest below zero is a warning of --check: listed, exit 0.
    const QString warning = QStringLiteral("avertisment:\tB-02-XYZ\t2024\t3\t-6.63\trestul in rezervor este sub zero\n");
    QCOMPARE(vok({QStringLiteral("--check")}), 0);
    QCOMPARE(vok.printed, warning + QStringLiteral("ok\n"));
    // A tank of 50 l: B-01-ABC's 150 l are over it, a warning too.
    env.sql(QStringLiteral("UPDATE auto SET caprez=50"));
    QCOMPARE(vok({QStringLiteral("--check")}), 0);
    QVERIFY2(vok.printed.startsWith(QStringLiteral("avertisment:\tB-01-ABC\t2023\t11\t70.00\t")), qPrintable(vok.printed));
    QCOMPARE(vok.printed.count(QStringLiteral("avertisment:")), 5);
    // A fault of the data beside the warnings: exit 1.
    if (!env.onServer()) {
        env.sql(QStringLiteral("INSERT INTO dateluna (ida, anul, idl, restrez) VALUES (999, 2024, 1, 0)"));
        QCOMPARE(vok({QStringLiteral("--check")}), 1);
        QVERIFY(vok.printed.contains(QStringLiteral("avertisment:")));
    }
}

// --recompute-months waits for another program's write as every write does
// (5 s), then gives up with the engine's message in Romanian, once, exit 2;
// nothing of it is written. Once the other lets go, it goes through.
void MonthCommandLineTest::lockedDatabaseWaitsThenFails()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("a server has no file lock");
    Vok vok(env);
    if (!QFileInfo::exists(vok.program))
        QSKIP("the program is not built");
    const int a = addVehicle(env, {.restrez = 40});
    const int idf = addSheet(env, a, {.anul = 2024, .idl = 1, .bm = 50});
    addTrip(env, idf, {.kmT = 100, .kmE = 110, .Cn = 20});

    const QString other = QStringLiteral("other-program");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), other);
        db.setDatabaseName(env.dataDir() + QStringLiteral("/vok.db"));
        QVERIFY(db.open());
        QSqlQuery lock(db);
        QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(vok({QStringLiteral("--recompute-months"), QStringLiteral("2024")}), 2);
        QVERIFY2(waited.elapsed() >= 4500, qPrintable(QString::number(waited.elapsed())));
        QVERIFY(vok.printed.isEmpty());
        QVERIFY2(vok.told.startsWith(QStringLiteral("vok: Baza de date este folosita de alt program (database is locked)")),
                 qPrintable(vok.told));
        QCOMPARE(vok.told.count(QStringLiteral("locked")), 1);
        QVERIFY2(!vok.told.contains(QStringLiteral("vok.db: vok.db")), qPrintable(vok.told));
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
    }
    QSqlDatabase::removeDatabase(other);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna")).toInt(), 0);
    QCOMPARE(vok({QStringLiteral("--recompute-months"), QStringLiteral("2024")}), 0);
    QCOMPARE(vok.printed, QStringLiteral("B-01-ABC\t2024\t1\tnot-closed\n"));
}

QTEST_GUILESS_MAIN(MonthCommandLineTest)
#include "tst_monthcommandline.moc"
