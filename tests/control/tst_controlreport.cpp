// "ECONOMII SI DEPASIRI" (rapcontrol.rpt) on a small month: one row per
// sheet, the real consumption only where both tank levels are recorded, the
// totals per driver and for the month over those sheets alone.
#include "monthfixtures.h"
#include "reports/reportengine.h"

#include <QtTest>

using namespace vok;
using namespace vok::test;

class ControlReportTest : public QObject {
    Q_OBJECT
private slots:
    void economyAndOverrun();
};

void ControlReportTest::economyAndOverrun()
{
    TestEnvironment env;
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    // POPESCU: 40 + 20 - 2 - 48 = 10 l real against 12 normed (economy 2);
    // then 48 + 0 - 30 = 18 l real against 15 normed (overrun 3).
    const int first = addSheet(env, a, {.nrf = 1, .anul = 2024, .idl = 3, .bm = 20, .restit = 2});
    addTrip(env, first, {.nrc = 1, .kmT = 60, .Cn = 8});
    addTrip(env, first, {.nrc = 2, .kmT = 20, .Cn = 4});
    env.sql(QStringLiteral("UPDATE foaie SET kmplecare=1000, kmsosire=1081, rezplecare=40, rezsosire=48 WHERE idf=?"),
            {first});
    const int second = addSheet(env, a, {.nrf = 2, .anul = 2024, .idl = 3});
    addTrip(env, second, {.kmT = 75, .Cn = 15});
    env.sql(QStringLiteral("UPDATE foaie SET rezplecare=48, rezsosire=30, data='20.03.2024' WHERE idf=?"), {second});
    // IONESCU: the tank not measured at return: in the normed total only.
    const int third = addSheet(env, a, {.nrf = 3, .anul = 2024, .idl = 3});
    addTrip(env, third, {.kmT = 50, .Cn = 10});
    env.sql(QStringLiteral("UPDATE foaie SET sofer='IONESCU', rezplecare=30, data='25.03.2024' WHERE idf=?"), {third});
    // Another month: not in the report.
    addSheet(env, a, {.nrf = 4, .anul = 2024, .idl = 4});

    ReportRequest request;
    request.reportFile = QStringLiteral("rapcontrol.rpt");
    request.selection = QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=%1").arg(a);
    const QString text = ReportEngine(env.db()).run(request, QDate(2024, 4, 15)).toText();
    const auto has = [&](const QString &fragment) {
        if (!text.contains(fragment))
            qWarning().noquote() << text;
        return text.contains(fragment);
    };
    QVERIFY(has(QStringLiteral("ECONOMII SI DEPASIRI")));
    QVERIFY(has(QStringLiteral("B-01-ABC")));
    // Sheet by sheet: km by odometer and by trips, tank, received, normed, real, economy.
    QVERIFY(has(QStringLiteral("1 | 05.03.2024 | POPESCU | 81.0 | 80.0 | 40.00 | 18.00 | 48.00 | 12.00 | 10.00 | 2.00")));
    QVERIFY(has(QStringLiteral("2 | 20.03.2024 | POPESCU |  | 75.0 | 48.00 | 0.00 | 30.00 | 15.00 | 18.00 | -3.00")));
    QVERIFY(has(QStringLiteral("3 | 25.03.2024 | IONESCU |  | 50.0 | 30.00 | 0.00 |  | 10.00\n")));
    QVERIFY(!text.contains(QStringLiteral("| 4 |")));
    // Per driver, and the month: every sheet's normed, then the measured ones against the real.
    QVERIFY(has(QStringLiteral("Total sofer | 81.0 | 155.0 |  |  |  | 27.00\n")));
    QVERIFY(has(QStringLiteral("Total luna | 81.0 | 205.0 |  |  |  | 37.00\n")));
    QCOMPARE(text.count(QStringLiteral("la sosire | 27.00 | 28.00 | -1.00\n")), 2);
}

QTEST_MAIN(ControlReportTest)
#include "tst_controlreport.moc"
