// vok --check-months YEAR and --recompute-months YEAR through the program
// itself, on the data folder or on the shared database: lines, exit codes,
// refusals.
#include "months/monthclose.h"
#include "monthfixtures.h"

#include <QProcess>
#include <QtTest>

using namespace vok;
using namespace vok::test;

class MonthCommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void checkRecomputeCheck();
};

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

QTEST_GUILESS_MAIN(MonthCommandLineTest)
#include "tst_monthcommandline.moc"
