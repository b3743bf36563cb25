// The figures of the charts, from closed months alone, and what looks wrong in them.
#include "charts/chartdata.h"

#include "charts/chartstore.h"
#include "testenvironment.h"

#include <QtTest>

#include <cmath>

using namespace vok;
using namespace vok::charts;

Q_DECLARE_METATYPE(vok::charts::YearMonth)
Q_DECLARE_METATYPE(vok::charts::MonthRow)
Q_DECLARE_METATYPE(QList<vok::control::AuditSheet>)

namespace {

MonthRow row(int year, int month, double km, double cn, double bm, double restrez, double gz = 0, double restit = 0)
{
    MonthRow r;
    r.when = {year, month};
    r.km = km;
    r.kme = km * 1.25;
    r.cn = cn;
    r.bm = bm;
    r.gz = gz;
    r.restit = restit;
    r.restrez = restrez;
    return r;
}

Vehicle truck(double capacity = 0) { return {1, "B-10-ABC", "ROMAN", 30, capacity}; }

QStringList kinds(const QVector<Anomaly> &list)
{
    QStringList out;
    for (const Anomaly &a : list) {
        const char *kind = a.kind == Anomaly::Kind::RestBelowZero       ? "sub zero"
                           : a.kind == Anomaly::Kind::RestAboveCapacity ? "peste capacitate"
                                                                        : "neactualizata";
        out << QStringLiteral("%1 %2/%3 %4").arg(a.nrauto).arg(a.when.month).arg(a.when.year).arg(QLatin1String(kind));
    }
    return out;
}

// A sheet of the book's month `month` of 2024: tank levels (negative: not
// recorded), fuel received and returned, its trips' normed fuel.
control::AuditSheet sheet(int month, double rezplecare, double rezsosire, double bm, double normed, double gz = 0,
                          double restit = 0)
{
    control::AuditSheet s;
    s.ida = 1;
    s.nrauto = QStringLiteral("B-10-ABC");
    s.anul = 2024;
    s.idl = month;
    if (rezplecare >= 0)
        s.rezplecare = rezplecare;
    if (rezsosire >= 0)
        s.rezsosire = rezsosire;
    s.fuelIn = bm + gz;
    s.restit = restit;
    s.normed = normed;
    return s;
}

QStringList measuredLines(const QVector<MeasuredMonth> &months)
{
    QStringList out;
    for (const MeasuredMonth &m : months)
        out << QStringLiteral("%1/%2 foi:%3 normat:%4 real:%5 economie:%6")
                   .arg(m.when.month)
                   .arg(m.when.year)
                   .arg(m.sheets)
                   .arg(m.normed)
                   .arg(m.real)
                   .arg(m.economy());
    return out;
}

} // namespace

class ChartDataTest : public QObject {
    Q_OBJECT
private slots:
    void vehiclePointsCoverTheRange();
    void defaultRange_data();
    void defaultRange();
    void anomalies_data();
    void anomalies();
    void fleetRanking();
    void measuredMonths_data();
    void measuredMonths();
    void storeReadsTheClosedMonths();
};

void ChartDataTest::vehiclePointsCoverTheRange()
{
    // November 2023 to February 2024, January not closed; a row outside the range is left out.
    const QVector<MonthRow> rows = {row(2023, 10, 50, 15, 20, 5), row(2023, 11, 200, 60, 80, 25, 10, 5),
                                    row(2023, 12, 0, 0, 0, 25), row(2024, 2, 100, 31.5, 40, 33.5)};
    const VehicleChart c = vehicleChart(truck(), rows, {2023, 11}, {2024, 2});
    QCOMPARE(c.months.size(), 4);
    QCOMPARE(c.months[0].when, (YearMonth{2023, 11}));
    QVERIFY(c.months[0].closed);
    QCOMPARE(c.months[0].received, 85.0); // 80 + 10 gas - 5 given back
    QCOMPARE(*c.months[0].per100km, 24.0); // 60 litres over 250 equivalent km
    QVERIFY(c.months[1].closed);
    QVERIFY(!c.months[1].per100km.has_value()); // no km: no litres per 100 km
    QCOMPARE(c.months[2].when, (YearMonth{2024, 1}));
    QVERIFY(!c.months[2].closed);
    QCOMPARE(c.months[3].restrez, 33.5);
    QCOMPARE(*c.months[3].per100km, 25.2);
    QCOMPARE(monthLabel(c.months[2].when), QStringLiteral("ian 2024"));
    QVERIFY(vehicleChart(truck(), rows, {2024, 2}, {2023, 11}).months.isEmpty());
}

void ChartDataTest::defaultRange_data()
{
    QTest::addColumn<QVector<YearMonth>>("closed");
    QTest::addColumn<QVector<YearMonth>>("sheets");
    QTest::addColumn<YearMonth>("from");
    QTest::addColumn<YearMonth>("to");
    const YearMonth today{2024, 5};
    const QVector<YearMonth> none;
    QTest::newRow("none: the last twelve months") << none << none << YearMonth{2023, 6} << today;
    QTest::newRow("fewer than twelve") << QVector<YearMonth>{{2024, 3}, {2024, 1}} << none << YearMonth{2024, 1}
                                       << YearMonth{2024, 3};
    QVector<YearMonth> many;
    for (int m = 1; m <= 12; ++m)
        many << YearMonth{2023, m};
    many << YearMonth{2024, 2} << YearMonth{2024, 4}; // March never closed
    QTest::newRow("the last twelve closed, across a gap") << many << none << YearMonth{2023, 3} << YearMonth{2024, 4};
    // Sheets typed after the last closed month: the range reaches them.
    QTest::newRow("sheets not yet closed") << many << QVector<YearMonth>{{2024, 4}, {2024, 5}} << YearMonth{2023, 4}
                                           << YearMonth{2024, 5};
    QTest::newRow("sheets alone") << none << QVector<YearMonth>{{2024, 2}} << YearMonth{2024, 2} << YearMonth{2024, 2};
    (void)today;
}

void ChartDataTest::defaultRange()
{
    QFETCH(QVector<YearMonth>, closed);
    QFETCH(QVector<YearMonth>, sheets);
    QFETCH(YearMonth, from);
    QFETCH(YearMonth, to);
    const auto range = charts::defaultRange(closed, sheets, {2024, 5});
    QCOMPARE(range.first, from);
    QCOMPARE(range.second, to);
}

void ChartDataTest::anomalies_data()
{
    QTest::addColumn<double>("capacity");
    QTest::addColumn<QVector<MonthRow>>("rows");
    QTest::addColumn<QList<int>>("notCurrent"); // months of 2024
    QTest::addColumn<QStringList>("found");
    const QVector<MonthRow> rows = {row(2024, 1, 100, 30, 20, -10), row(2024, 2, 100, 30, 40, 0),
                                    row(2024, 3, 100, 30, 130, 100), row(2024, 4, 100, 30, 90, 160.004)};
    QTest::newRow("capacity unknown: only below zero") << 0.0 << rows << QList<int>{} << QStringList{"B-10-ABC 1/2024 sub zero"};
    QTest::newRow("capacity 150") << 150.0 << rows << QList<int>{}
                                  << QStringList{"B-10-ABC 1/2024 sub zero", "B-10-ABC 4/2024 peste capacitate"};
    QTest::newRow("a full tank is not above it") << 100.0 << QVector<MonthRow>{row(2024, 3, 100, 30, 130, 100)} << QList<int>{}
                                                 << QStringList{};
    QTest::newRow("a rest that reads 0.00 is not below zero") << 0.0 << QVector<MonthRow>{row(2024, 1, 100, 30, 30, -0.004)}
                                                              << QList<int>{} << QStringList{};
    QTest::newRow("months not current") << 150.0 << rows << QList<int>{2, 5}
                                        << QStringList{"B-10-ABC 1/2024 sub zero", "B-10-ABC 2/2024 neactualizata",
                                                       "B-10-ABC 4/2024 peste capacitate", "B-10-ABC 5/2024 neactualizata"};
}

void ChartDataTest::anomalies()
{
    QFETCH(double, capacity);
    QFETCH(QVector<MonthRow>, rows);
    QFETCH(QList<int>, notCurrent);
    QFETCH(QStringList, found);
    QSet<int> stale;
    for (int m : notCurrent)
        stale.insert(YearMonth{2024, m}.index());
    const QVector<Anomaly> list = charts::anomalies(vehicleChart(truck(capacity), rows, {2024, 1}, {2024, 6}), stale);
    QCOMPARE(kinds(list), found);
    for (const Anomaly &a : list) {
        QVERIFY(a.text().startsWith(QStringLiteral("B-10-ABC, ")));
        if (a.kind == Anomaly::Kind::NotCurrent) // February has its row, May was never closed
            QVERIFY(a.text().contains(a.when.month == 2 ? "nu mai este actualizat" : "nu a fost inchis"));
    }
}

void ChartDataTest::fleetRanking()
{
    FleetVehicle a{{1, "B-10-ABC", "ROMAN", 30, 0}, {row(2024, 1, 100, 30, 40, 60), row(2024, 2, 100, 32, 40, 68)},
                   row(2023, 12, 100, 30, 30, 50)};
    // Its year opens with what January opened with: 20 - (10 - 12) = 22.
    FleetVehicle b{{2, "B-22-XYZ", "DACIA", 6.5, 45}, {row(2024, 3, 200, 12, 10, 20)}, std::nullopt};
    // Without km: ranked last by consumption.
    FleetVehicle c{{3, "CT-05-TIR", "IVECO", 25, 0}, {row(2024, 5, 0, 0, 0, 5)}, std::nullopt};
    FleetVehicle idle{{4, "IF-01-AAA", "FORD", 9, 0}, {}, row(2023, 12, 10, 1, 0, 7)};
    const QVector<FleetEntry> year = fleetYear({a, b, c, idle});
    QCOMPARE(year.size(), 3); // a vehicle without a closed month of the year is not ranked

    const QVector<FleetEntry> consumption = rankedByConsumption(year);
    QCOMPARE(consumption[0].vehicle.nrauto, QStringLiteral("B-10-ABC"));
    QCOMPARE(*consumption[0].per100km, 24.8); // 62 litres over 250 equivalent km
    QCOMPARE(consumption[1].vehicle.nrauto, QStringLiteral("B-22-XYZ"));
    QCOMPARE(*consumption[1].per100km, 4.8);
    QCOMPARE(consumption[2].vehicle.nrauto, QStringLiteral("CT-05-TIR"));
    QVERIFY(!consumption[2].per100km.has_value());

    const QVector<FleetEntry> growth = rankedByRestGrowth(year);
    QCOMPARE(growth[0].vehicle.nrauto, QStringLiteral("B-10-ABC"));
    QCOMPARE(growth[0].openingRest, 50.0); // December's rest
    QCOMPARE(growth[0].restGrowth(), 18.0);
    QCOMPARE(growth[1].vehicle.nrauto, QStringLiteral("CT-05-TIR"));
    QCOMPARE(growth[1].restGrowth(), 0.0);
    QCOMPARE(growth[2].vehicle.nrauto, QStringLiteral("B-22-XYZ"));
    QCOMPARE(growth[2].openingRest, 22.0);
    QCOMPARE(growth[2].restGrowth(), -2.0);

    // B-22-XYZ (tank of 45 litres) and the fleet's months not current.
    b.rows[0].restrez = 50;
    const QVector<Anomaly> found = fleetAnomalies({a, b, c}, 2024, {{3, YearMonth{2024, 5}.index()}});
    QCOMPARE(kinds(found), (QStringList{"B-22-XYZ 3/2024 peste capacitate", "CT-05-TIR 5/2024 neactualizata"}));
}

void ChartDataTest::measuredMonths_data()
{
    QTest::addColumn<QList<control::AuditSheet>>("sheets");
    QTest::addColumn<QStringList>("months"); // March to June 2024
    const double none = -1;
    QTest::newRow("no sheet") << QList<control::AuditSheet>{} << QStringList{};
    QTest::newRow("none measured: one level or neither")
        << QList<control::AuditSheet>{sheet(3, 40, none, 20, 30), sheet(3, none, 25, 20, 30), sheet(4, none, none, 50, 45)}
        << QStringList{};
    // 40 + 20 + 5 gas - 2 given back - 30 = 33 real, against 30 normed;
    // the sheet without its tank at return counts neither its 50 litres nor its 45 normed.
    QTest::newRow("one of two measured")
        << QList<control::AuditSheet>{sheet(3, 40, 30, 20, 30, 5, 2), sheet(3, 30, none, 50, 45)}
        << QStringList{"3/2024 foi:1 normat:30 real:33 economie:-3"};
    QTest::newRow("a month without sheets is left out, not 0")
        << QList<control::AuditSheet>{sheet(3, 40, 35, 20, 25), sheet(5, 35, 30, 40, 46)}
        << QStringList{"3/2024 foi:1 normat:25 real:25 economie:0", "5/2024 foi:1 normat:46 real:45 economie:1"};
    QTest::newRow("a month with sheets, none measured, is left out too")
        << QList<control::AuditSheet>{sheet(3, 40, 35, 20, 25), sheet(4, none, none, 60, 58), sheet(5, 35, 30, 40, 46)}
        << QStringList{"3/2024 foi:1 normat:25 real:25 economie:0", "5/2024 foi:1 normat:46 real:45 economie:1"};
    QTest::newRow("several measured sheets of a month add up")
        << QList<control::AuditSheet>{sheet(6, 10, 20, 40, 28), sheet(6, 20, 5, 0, 16), sheet(6, none, 5, 30, 30)}
        << QStringList{"6/2024 foi:2 normat:44 real:45 economie:-1"};
    // An empty tank read at both ends is measured: 0 is not "not recorded".
    QTest::newRow("empty tank at both ends") << QList<control::AuditSheet>{sheet(4, 0, 0, 30, 31)}
                                             << QStringList{"4/2024 foi:1 normat:31 real:30 economie:1"};
    QTest::newRow("months outside the range")
        << QList<control::AuditSheet>{sheet(2, 40, 35, 20, 25), sheet(3, 10, 10, 5, 5), sheet(7, 40, 35, 20, 25)}
        << QStringList{"3/2024 foi:1 normat:5 real:5 economie:0"};
    // Counted in its month of the book, whatever its date.
    control::AuditSheet late = sheet(4, 10, 0, 0, 9);
    late.data = QStringLiteral("31.03.2024");
    QTest::newRow("the book's month, not the date") << QList<control::AuditSheet>{late}
                                                    << QStringList{"4/2024 foi:1 normat:9 real:10 economie:-1"};
}

void ChartDataTest::measuredMonths()
{
    QFETCH(QList<control::AuditSheet>, sheets);
    QFETCH(QStringList, months);
    QCOMPARE(measuredLines(charts::measuredMonths(sheets, {2024, 3}, {2024, 6})), months);
}

void ChartDataTest::storeReadsTheClosedMonths()
{
    test::TestEnvironment env;
    env.sql("INSERT INTO auto (nrauto, marca, Cm, apar, caprez) VALUES ('B-10-ABC', 'ROMAN', 30, 1, 150)");
    env.sql("INSERT INTO auto (nrauto, marca, Cm, apar) VALUES ('B-99-OUT', 'DACIA', 7, 0)");
    const QString month = "INSERT INTO dateluna (ida, anul, idl, km, kme, Cn, bm, gz, restit, restrez) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    env.sql(month, {1, 2023, 12, 100, 110, 30, 40, 0, 0, 50});
    env.sql(month, {1, 2024, 1, 200, 210, 60, 80, 5, 2, 73});
    env.sql(month, {1, 2024, 3, 150, 160, 45, 0, 0, 0, 28});
    env.sql(month, {1, 2025, 1, 10, 11, 3, 0, 0, 0, 25});
    env.sql(month, {2, 2024, 1, 10, 11, 3, 0, 0, 0, 25});
    const ChartStore store(env.db());
    const QVector<Vehicle> listed = store.listedVehicles();
    QCOMPARE(listed.size(), 1);
    QCOMPARE(listed[0].capacity, 150.0);
    QCOMPARE(store.closedMonths(1).size(), 4);
    const QVector<MonthRow> rows = store.months(1, {2023, 12}, {2024, 12});
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[1].received(), 83.0);
    QCOMPARE(rows[1].openingRest(), 50.0); // the carry-over from December
    const QVector<FleetVehicle> fleet = store.fleetYear(2024);
    QCOMPARE(fleet.size(), 1); // the vehicle taken out is not in the fleet
    QCOMPARE(fleet[0].rows.size(), 2);
    QVERIFY(fleet[0].previousDecember.has_value());
    QCOMPARE(fleet[0].previousDecember->restrez, 50.0);
    // The months with sheets, once each, whether closed or not.
    const QString sheet = "INSERT INTO foaie (ida, nrf, data, idl, anul) VALUES (?, ?, ?, ?, ?)";
    env.sql(sheet, {1, 7, "03.05.2024", 5, 2024});
    env.sql(sheet, {1, 8, "09.05.2024", 5, 2024});
    env.sql(sheet, {1, 6, "28.03.2024", 3, 2024});
    env.sql(sheet, {2, 9, "01.06.2024", 6, 2024});
    QCOMPARE(store.sheetMonths(1), (QVector<YearMonth>{{2024, 3}, {2024, 5}}));

    // The sheets as the audit reads them, by their month of the book: May's
    // two, one with its tank read at both ends and two trips.
    const QString levels = "UPDATE foaie SET rezplecare=?, rezsosire=?, bm=?, gz=?, restit=? WHERE ida=? AND nrf=?";
    env.sql(levels, {40, 30, 20, 5, 2, 1, 7});
    env.sql(levels, {35, QVariant(), 50, 0, 0, 1, 8});
    env.sql(levels, {10, 5, 10, 0, 0, 1, 6});
    env.sql(levels, {10, 5, 10, 0, 0, 2, 9});
    const int idf = env.value("SELECT idf FROM foaie WHERE ida=1 AND nrf=7").toInt();
    const QString trip = "INSERT INTO curse (idf, nrc, kmT, kmE, Kg, Gm, A, Cn, Cu) VALUES (?, ?, 100, 100, 1, 0, 1, ?, 0.3)";
    env.sql(trip, {idf, 1, 20.5});
    env.sql(trip, {idf, 2, 9.5});
    const QList<control::AuditSheet> sheets = store.sheets(1, {2024, 4}, {2025, 2});
    QCOMPARE(sheets.size(), 2);
    QCOMPARE(sheets[0].nrf, 7);
    QCOMPARE(sheets[0].normed, 30.0);
    QCOMPARE(sheets[0].rezsosire.value_or(-1), 30.0);
    QVERIFY(!sheets[1].rezsosire.has_value()); // NULL stays not recorded
    QCOMPARE(measuredLines(charts::measuredMonths(sheets, {2024, 4}, {2025, 2})),
             QStringList{"5/2024 foi:1 normat:30 real:33 economie:-3"});
    QCOMPARE(store.sheets(1, {2024, 1}, {2024, 3}).size(), 1); // March's, from the first month on
    QVERIFY(store.sheets(1, {2024, 6}, {2024, 5}).isEmpty());
}

QTEST_GUILESS_MAIN(ChartDataTest)
#include "tst_chartdata.moc"
