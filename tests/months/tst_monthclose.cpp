#include "db/database.h"
#include "months/monthclose.h"
#include "months/monthstatus.h"
#include "months/monthstore.h"
#include "monthfixtures.h"

#include <QtTest>

using namespace vok;
using namespace vok::test;

class MonthCloseTest : public QObject {
    Q_OBJECT
private slots:
    void firstMonthOpensFromSettings();
    void januaryOpensFromDecemberOfTheYearBefore();
    void oilAndFilterChangesAddSumpAndFilter();
    void unloadedTripCountsInKmOnly();
    void hoursToOneDecimal_data();
    void hoursToOneDecimal();
    void restInTankToTwoDecimals_data();
    void restInTankToTwoDecimals();
    void figuresStoredWith15Digits();
    void closingTwiceKeepsOneRow();
    void monthWithoutSheetsWritesNothing();
    void emptySumsCountAsZero();
    void otherMonthsAndVehiclesStayOut();
    void chainCarriesOverAndRecloses();
    void missingVehicleIsAnErrorAndWritesNothing();
};

namespace {

MonthRow rowOf(TestEnvironment &env, int ida, int year, int month)
{
    const std::optional<MonthRow> row = MonthStore(env.db()).row(ida, year, month);
    if (!row)
        qWarning("no dateluna row for %d %d/%d", ida, month, year);
    return row.value_or(MonthRow{});
}

int rowCount(TestEnvironment &env)
{
    return env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna")).toInt();
}

} // namespace

void MonthCloseTest::firstMonthOpensFromSettings()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.kmef = 1000, .kmechiv = 1100, .restrez = 40});
    const int idf = addSheet(env, ida, {.anul = 2024, .idl = 3, .bm = 100});
    addTrip(env, idf, {.kmT = 200, .kmE = 210, .Cn = 30.5, .Cu = 0.3});

    const MonthClose closed = closeMonth(env.db(), ida, 2024, 3);
    QVERIFY(!closed.noSheets);
    QVERIFY(closed.openedFromSettings);
    QCOMPARE(closed.openingRest, 40.0);
    QCOMPARE(closed.openingKm, 1000.0);
    QCOMPARE(closed.openingKmEquiv, 1100.0);

    const MonthRow row = rowOf(env, ida, 2024, 3);
    QCOMPARE(row.restrez, 109.5);
    QCOMPARE(row.km, 200.0);
    QCOMPARE(row.kme, 210.0);
    QCOMPARE(row.kmt, 1200.0);
    QCOMPARE(row.kmet, 1310.0);
    QCOMPARE(row.Cn, 30.5);
    QCOMPARE(row.bm, 100.0);
}

void MonthCloseTest::januaryOpensFromDecemberOfTheYearBefore()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.kmef = 1, .kmechiv = 2, .restrez = 3});
    const int other = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ")});
    addMonthRow(env, ida, 2023, 12, 12.34, 5000, 5100);
    // Rows that must not be taken: December of the same year, of another
    // vehicle, and the month before in numbers only.
    addMonthRow(env, ida, 2024, 12, 99, 99, 99);
    addMonthRow(env, other, 2023, 12, 77, 77, 77);
    addMonthRow(env, ida, 2024, 0, 55, 55, 55);
    const int idf = addSheet(env, ida, {.anul = 2024, .idl = 1});
    addTrip(env, idf, {.kmT = 100, .kmE = 120, .Cn = 10});

    const MonthClose closed = closeMonth(env.db(), ida, 2024, 1);
    QVERIFY(!closed.openedFromSettings);
    QCOMPARE(closed.openingRest, 12.34);
    QCOMPARE(closed.openingKm, 5000.0);
    QCOMPARE(closed.openingKmEquiv, 5100.0);
    const MonthRow row = rowOf(env, ida, 2024, 1);
    QCOMPARE(row.restrez, 2.34);
    QCOMPARE(row.kmt, 5100.0);
    QCOMPARE(row.kmet, 5220.0);
}

void MonthCloseTest::oilAndFilterChangesAddSumpAndFilter()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.Cb = 12.5, .Cf = 1.2});
    const int first = addSheet(env, ida, {.nrf = 10, .idl = 2, .schu = 1});
    const int second = addSheet(env, ida, {.nrf = 11, .idl = 2, .schf = 1});
    addSheet(env, ida, {.nrf = 12, .idl = 2});
    addTrip(env, first, {.kmT = 50, .kmE = 50, .Cn = 5, .Cu = 0.25});
    addTrip(env, second, {.kmT = 50, .kmE = 50, .Cn = 5, .Cu = 0.15});

    closeMonth(env.db(), ida, 2024, 2);
    QCOMPARE(rowOf(env, ida, 2024, 2).Cu, 0.4 + 12.5 + 1.2);
}

void MonthCloseTest::unloadedTripCountsInKmOnly()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {});
    const int idf = addSheet(env, ida, {.idl = 4});
    addTrip(env, idf, {.nrc = 1, .kmT = 100, .kmE = 110, .Gm = 0});
    addTrip(env, idf, {.nrc = 2, .kmT = 50, .kmE = 60, .Gm = 5});
    addTrip(env, idf, {.nrc = 3, .kmT = 20, .kmE = 20, .Gm = 2.5});

    closeMonth(env.db(), ida, 2024, 4);
    const MonthRow row = rowOf(env, ida, 2024, 4);
    QCOMPARE(row.km, 170.0);
    QCOMPARE(row.kme, 190.0);
    QCOMPARE(row.kminc, 70.0);
    QCOMPARE(row.tone, 7.5);
    QCOMPARE(row.tonekm, 300.0);
}

void MonthCloseTest::hoursToOneDecimal_data()
{
    QTest::addColumn<QList<double>>("departures");
    QTest::addColumn<QList<double>>("arrivals");
    QTest::addColumn<double>("hours");
    QTest::newRow("8 to 16.5") << QList<double>{8} << QList<double>{16.5} << 8.5;
    QTest::newRow("two sheets") << QList<double>{8, 7} << QList<double>{16.5, 15.25} << 16.8;
    QTest::newRow("half rounds up") << QList<double>{6} << QList<double>{6.25} << 0.3;
    QTest::newRow("no hours") << QList<double>{8} << QList<double>{8} << 0.0;
    // Summed in single precision after every sheet: 7.349999, not 7.35.
    QTest::newRow("single precision") << QList<double>(5, 8) << QList<double>(5, 9.47) << 7.3;
}

void MonthCloseTest::hoursToOneDecimal()
{
    QFETCH(QList<double>, departures);
    QFETCH(QList<double>, arrivals);
    QFETCH(double, hours);
    TestEnvironment env;
    const int ida = addVehicle(env, {});
    for (int i = 0; i < departures.size(); ++i)
        addSheet(env, ida, {.nrf = i + 1, .idl = 5, .orap = departures[i], .oras = arrivals[i]});
    closeMonth(env.db(), ida, 2024, 5);
    QCOMPARE(rowOf(env, ida, 2024, 5).ore, hours);
}

void MonthCloseTest::restInTankToTwoDecimals_data()
{
    QTest::addColumn<double>("opening"); // the vehicle's rest at SETARI
    QTest::addColumn<QList<double>>("received"); // bm of each sheet
    QTest::addColumn<double>("returned");        // restit of the first sheet
    QTest::addColumn<QList<double>>("consumed"); // Cn of each trip
    QTest::addColumn<double>("rest");
    QTest::newRow("half away from zero") << 10.0 << QList<double>{55.005} << 2.0 << QList<double>{31.5} << 31.51;
    // 100.1 + 55.795 taken in binary is 155.894999...: the rest must still
    // land on the half and go away from zero.
    QTest::newRow("negative half") << 22.49 << QList<double>{126.78} << 0.0 << QList<double>{100.1, 55.795} << -6.63;
    QTest::newRow("positive half, three trips") << 26.22 << QList<double>{97.1} << 0.0
                                                << QList<double>{8.845, 53.18, 55.41} << 5.89;
    QTest::newRow("two sheets, returned fuel") << 12.54 << QList<double>{19.947, 63.576} << 0.5
                                               << QList<double>{58.694, 36.434} << 0.44;
    QTest::newRow("no trips") << 0.0 << QList<double>{5.555} << 0.0 << QList<double>{} << 5.56;
    QTest::newRow("below zero, no half") << 1.0 << QList<double>{0.0} << 0.0 << QList<double>{3.333} << -2.33;
}

void MonthCloseTest::restInTankToTwoDecimals()
{
    QFETCH(double, opening);
    QFETCH(QList<double>, received);
    QFETCH(double, returned);
    QFETCH(QList<double>, consumed);
    QFETCH(double, rest);
    TestEnvironment env;
    const int ida = addVehicle(env, {.restrez = opening});
    int first = 0;
    for (int i = 0; i < received.size(); ++i) {
        const int idf = addSheet(env, ida, {.nrf = i + 1, .idl = 6, .bm = received[i], .restit = i == 0 ? returned : 0.0});
        if (i == 0)
            first = idf;
    }
    for (int i = 0; i < consumed.size(); ++i)
        addTrip(env, first, {.nrc = i + 1, .kmT = 10, .kmE = 10, .Cn = consumed[i]});
    const MonthClose closed = closeMonth(env.db(), ida, 2024, 6);
    QCOMPARE(rowOf(env, ida, 2024, 6).restrez, rest);
    QCOMPARE(closed.closingRest, rest);
    // The status computes the same rest: the month is current.
    QCOMPARE(int(vehicleMonths(env.db(), ida, 2024).months[5].state), int(MonthState::Current));
}

void MonthCloseTest::figuresStoredWith15Digits()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.kmef = 0.1, .kmechiv = 0.1});
    const int idf = addSheet(env, ida, {.idl = 6, .bm = 0.1, .gz = 0.2});
    addTrip(env, idf, {.nrc = 1, .kmT = 12000.1, .kmE = 12000.1, .Gm = 0.1, .Cn = 0.1, .Cu = 0.1});
    addTrip(env, idf, {.nrc = 2, .kmT = 0.2, .kmE = 0.2, .Gm = 0.2, .Cn = 0.2, .Cu = 0.2});
    closeMonth(env.db(), ida, 2024, 6);
    // Raw sums would be 12000.300000000001, 0.30000000000000004 and the like.
    const MonthRow row = rowOf(env, ida, 2024, 6);
    QCOMPARE(row.km, 12000.3);
    QCOMPARE(row.kme, 12000.3);
    QCOMPARE(row.kminc, 12000.3);
    QCOMPARE(row.tone, 0.3);
    QCOMPARE(row.tonekm, 1200.05);
    QCOMPARE(row.Cn, 0.3);
    QCOMPARE(row.Cu, 0.3);
    QCOMPARE(row.kmt, 12000.4);
    QCOMPARE(row.kmet, 12000.4);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE km=? AND Cn=? AND kmt=?"),
                       {12000.3, 0.3, 12000.4}).toInt(),
             1);
}

void MonthCloseTest::closingTwiceKeepsOneRow()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {});
    const int idf = addSheet(env, ida, {.idl = 7});
    addTrip(env, idf, {.nrc = 1, .kmT = 100, .kmE = 100, .Cn = 10});
    closeMonth(env.db(), ida, 2024, 7);
    const int idd = rowOf(env, ida, 2024, 7).idd;

    addTrip(env, idf, {.nrc = 2, .kmT = 40, .kmE = 45, .Cn = 4});
    closeMonth(env.db(), ida, 2024, 7);
    QCOMPARE(rowCount(env), 1);
    const MonthRow row = rowOf(env, ida, 2024, 7);
    QCOMPARE(row.idd, idd);
    QCOMPARE(row.km, 140.0);
    QCOMPARE(row.Cn, 14.0);
    QCOMPARE(row.restrez, -14.0);
}

void MonthCloseTest::monthWithoutSheetsWritesNothing()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.restrez = 5});
    addSheet(env, ida, {.anul = 2023, .idl = 8}); // the same month of another year
    const MonthClose closed = closeMonth(env.db(), ida, 2024, 8);
    QVERIFY(closed.noSheets);
    QVERIFY(!closed.openedFromSettings);
    QCOMPARE(rowCount(env), 0);
}

void MonthCloseTest::emptySumsCountAsZero()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.kmef = 300, .kmechiv = 310, .restrez = 25});
    // Refuelling never saved: the columns are empty; no trip either.
    addSheet(env, ida, {.idl = 9, .bm = QVariant(), .gz = QVariant(), .restit = QVariant(),
                        .um = QVariant(), .ut = QVariant(), .ua = QVariant()});
    closeMonth(env.db(), ida, 2024, 9);
    const MonthRow row = rowOf(env, ida, 2024, 9);
    QCOMPARE(row.restrez, 25.0);
    QCOMPARE(row.kmt, 300.0);
    QCOMPARE(row.kmet, 310.0);
    QCOMPARE(row.km, 0.0);
    QCOMPARE(row.bm, 0.0);
    QCOMPARE(row.Cu, 0.0);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE km IS NULL OR bm IS NULL "
                                      "OR Cn IS NULL OR um IS NULL OR kmt IS NULL"))
                 .toInt(),
             0);
}

void MonthCloseTest::otherMonthsAndVehiclesStayOut()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {});
    const int other = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ")});
    const int mine = addSheet(env, ida, {.nrf = 1, .idl = 10, .bm = 10});
    const int nextMonth = addSheet(env, ida, {.nrf = 2, .idl = 11, .bm = 1000});
    const int lastYear = addSheet(env, ida, {.nrf = 3, .anul = 2023, .idl = 10, .bm = 1000});
    const int theirs = addSheet(env, other, {.nrf = 1, .idl = 10, .bm = 1000});
    addTrip(env, mine, {.kmT = 10, .kmE = 10, .Cn = 1});
    for (int idf : {nextMonth, lastYear, theirs})
        addTrip(env, idf, {.kmT = 1000, .kmE = 1000, .Gm = 3, .Cn = 100});
    closeMonth(env.db(), ida, 2024, 10);
    const MonthRow row = rowOf(env, ida, 2024, 10);
    QCOMPARE(row.bm, 10.0);
    QCOMPARE(row.km, 10.0);
    QCOMPARE(row.kminc, 0.0);
    QCOMPARE(row.restrez, 9.0);
    QCOMPARE(rowCount(env), 1);
}

void MonthCloseTest::chainCarriesOverAndRecloses()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.kmef = 10000, .kmechiv = 11000, .restrez = 20});
    int nrf = 0;
    auto month = [&](int idl, double bm, double kmT, double kmE, double Cn) {
        const int idf = addSheet(env, ida, {.nrf = ++nrf, .idl = idl, .bm = bm});
        addTrip(env, idf, {.kmT = kmT, .kmE = kmE, .Cn = Cn});
        return idf;
    };
    month(1, 100, 300, 320, 90.25);
    const int february = month(2, 50, 200, 210, 60.5);
    month(3, 80, 250, 260, 75.75);

    QVERIFY(closeMonth(env.db(), ida, 2024, 1).openedFromSettings);
    const MonthClose feb = closeMonth(env.db(), ida, 2024, 2);
    QVERIFY(!feb.openedFromSettings);
    QCOMPARE(feb.openingRest, 29.75);
    QCOMPARE(feb.openingKm, 10300.0);
    QCOMPARE(feb.openingKmEquiv, 11320.0);
    const MonthClose mar = closeMonth(env.db(), ida, 2024, 3);
    QCOMPARE(mar.openingRest, 19.25);
    QCOMPARE(mar.openingKm, 10500.0);
    QCOMPARE(mar.openingKmEquiv, 11530.0);
    QCOMPARE(rowOf(env, ida, 2024, 3).restrez, 23.5);
    QCOMPARE(rowOf(env, ida, 2024, 3).kmt, 10750.0);

    // February gets another trip; closing February then March again keeps the chain.
    addTrip(env, february, {.nrc = 2, .kmT = 100, .kmE = 100, .Cn = 30});
    closeMonth(env.db(), ida, 2024, 2);
    QCOMPARE(rowOf(env, ida, 2024, 2).restrez, -10.75);
    QCOMPARE(closeMonth(env.db(), ida, 2024, 3).openingRest, -10.75);
    QCOMPARE(rowOf(env, ida, 2024, 3).restrez, -6.5);
    QCOMPARE(rowOf(env, ida, 2024, 3).kmt, 10850.0);
    QCOMPARE(rowOf(env, ida, 2024, 3).kmet, 11890.0);
    QCOMPARE(rowCount(env), 3);
}

void MonthCloseTest::missingVehicleIsAnErrorAndWritesNothing()
{
    TestEnvironment env;
    addSheet(env, 42, {.idl = 1});
    QVERIFY_THROWS_EXCEPTION(DbError, closeMonth(env.db(), 42, 2024, 1));
    QCOMPARE(rowCount(env), 0);
    // The failed run left no transaction open: the next one works.
    const int ida = addVehicle(env, {});
    addSheet(env, ida, {.idl = 1});
    closeMonth(env.db(), ida, 2024, 1);
    QCOMPARE(rowCount(env), 1);
}

QTEST_GUILESS_MAIN(MonthCloseTest)
#include "tst_monthclose.moc"
