// The audit's findings, kind by kind, at their thresholds and edges: equal
// values, values not recorded, midnight, the first sheet of a year, several
// sheets on one date.
#include "control/audit.h"

#include <QtTest>

using namespace vok::control;

Q_DECLARE_METATYPE(QList<AuditSheet>)
Q_DECLARE_METATYPE(QList<BookMonth>)

namespace {

// A sheet of vehicle `nrauto` (its key from the name), with nothing measured.
struct S {
    AuditSheet s;
    S(const char *nrauto, int nrf, const char *data, double orap = 0, double oras = 0)
    {
        s.nrauto = QString::fromLatin1(nrauto);
        s.ida = s.nrauto.isEmpty() ? 0 : s.nrauto.back().unicode();
        s.idf = s.ida * 1000 + nrf;
        s.nrf = nrf;
        s.data = QString::fromLatin1(data);
        s.idl = s.data.mid(3, 2).toInt();
        s.anul = s.data.mid(6, 4).toInt();
        s.orap = orap;
        s.oras = oras;
    }
    S &km(std::optional<double> departure, std::optional<double> arrival, double trips)
    {
        s.kmplecare = departure;
        s.kmsosire = arrival;
        s.kmTrips = trips;
        return *this;
    }
    S &tank(std::optional<double> departure, std::optional<double> arrival, double in, double normed,
            double returned = 0)
    {
        s.rezplecare = departure;
        s.rezsosire = arrival;
        s.fuelIn = in;
        s.normed = normed;
        s.restit = returned;
        return *this;
    }
    S &driver(const char *name)
    {
        s.sofer = QString::fromLatin1(name);
        return *this;
    }
    S &capacity(double litres)
    {
        s.caprez = litres;
        return *this;
    }
    operator AuditSheet() const { return s; }
};

QStringList lines(const QList<Finding> &findings)
{
    QStringList result;
    for (const Finding &f : findings)
        result << findingLine(f);
    return result;
}

} // namespace

class AuditTest : public QObject {
    Q_OBJECT
private slots:
    void findings_data();
    void findings();
    void realConsumptionNeedsBothLevels();
    void datesOrderAsDates();
};

void AuditTest::findings_data()
{
    QTest::addColumn<QList<AuditSheet>>("sheets");
    QTest::addColumn<QList<AuditSheet>>("previous");
    QTest::addColumn<QList<BookMonth>>("months");
    QTest::addColumn<QStringList>("expected");
    const QList<AuditSheet> none;
    const QList<BookMonth> noMonths;

    // The odometer along the sheets.
    QTest::newRow("chain unbroken, nothing measured between")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(100, 150, 50), S("B1", 2, "03.03.2025"),
                             S("B1", 3, "04.03.2025").km(150, 170, 20)}
        << none << noMonths << QStringList{};
    QTest::newRow("return below departure")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(150, 149.9, -0.1)} << none << noMonths
        << QStringList{"B1\t1\t02.03.2025\todometer-back\tdeparture:150.0 return:149.9"};
    QTest::newRow("return equal to departure")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(150, 150, 0)} << none << noMonths << QStringList{};
    QTest::newRow("departure below the previous return")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(100, 150, 50), S("B1", 2, "03.03.2025").km(140, 160, 20)}
        << none << noMonths << QStringList{"B1\t2\t03.03.2025\todometer-back\tprevious:150.0 this:140.0"};
    QTest::newRow("departure above the previous return")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(100, 150, 50), S("B1", 2, "03.03.2025").km(150.1, 160.1, 10)}
        << none << noMonths << QStringList{"B1\t2\t03.03.2025\todometer-gap\tprevious:150.0 this:150.1"};
    QTest::newRow("previous return not recorded")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(100, std::nullopt, 50),
                             S("B1", 2, "03.03.2025").km(900, 910, 10)}
        << none << noMonths << QStringList{};
    QTest::newRow("first sheet of the year against the last of an earlier one")
        << QList<AuditSheet>{S("B1", 1, "03.01.2025").km(1200, 1250, 50)}
        << QList<AuditSheet>{S("B1", 97, "30.12.2023").km(1000, 1100, 100),
                             S("B1", 98, "31.12.2023", 8, 16).km(1100, 1180, 80),
                             S("B1", 99, "31.12.2023", 6, 7).km(1050, 1060, 10)}
        << noMonths << QStringList{"B1\t1\t03.01.2025\todometer-gap\tprevious:1180.0 this:1200.0"};
    QTest::newRow("first sheet of the year, no earlier sheet")
        << QList<AuditSheet>{S("B1", 1, "03.01.2025").km(1200, 1250, 50)} << none << noMonths << QStringList{};
    QTest::newRow("sheets of one date in the order of their hours, not of their numbers")
        << QList<AuditSheet>{S("B1", 5, "02.03.2025", 14, 18).km(130, 150, 20),
                             S("B1", 6, "02.03.2025", 6, 12).km(100, 130, 30)}
        << none << noMonths << QStringList{};
    QTest::newRow("vehicles apart")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(100, 150, 50), S("B2", 2, "03.03.2025").km(10, 20, 10)}
        << none << noMonths << QStringList{};

    // The odometer against the trips: max(2 km, 2 %).
    QTest::newRow("odometer 2 km off short trips: at the threshold")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(100, 132, 30)} << none << noMonths << QStringList{};
    QTest::newRow("odometer 2.1 km off short trips")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(100, 132.1, 30)} << none << noMonths
        << QStringList{"B1\t1\t02.03.2025\tkm-mismatch\todometer:32.1 trips:30.0"};
    QTest::newRow("odometer 2 % off long trips: at the threshold")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(1000, 1510, 500)} << none << noMonths << QStringList{};
    QTest::newRow("odometer beyond 2 % of long trips")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(1000, 1489.9, 500)} << none << noMonths
        << QStringList{"B1\t1\t02.03.2025\tkm-mismatch\todometer:489.9 trips:500.0"};
    QTest::newRow("departure alone: no distance")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").km(100, std::nullopt, 500)} << none << noMonths
        << QStringList{};

    // Hours.
    QTest::newRow("two sheets of a vehicle at overlapping hours")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 8, 12), S("B1", 2, "02.03.2025", 11.3, 15)} << none
        << noMonths << QStringList{"B1\t2\t02.03.2025\toverlap\tother:B1/1"};
    QTest::newRow("touching hours")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 8, 12), S("B1", 2, "02.03.2025", 12, 15)} << none
        << noMonths << QStringList{};
    QTest::newRow("hours not recorded")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 0, 0), S("B1", 2, "02.03.2025", 8, 15)} << none
        << noMonths << QStringList{};
    QTest::newRow("past midnight, the next one at night")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 22, 2), S("B1", 2, "02.03.2025", 23, 23.3)} << none
        << noMonths << QStringList{"B1\t2\t02.03.2025\toverlap\tother:B1/1"};
    QTest::newRow("past midnight, the next one early on the same date")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 22, 2), S("B1", 2, "02.03.2025", 1, 5)} << none
        << noMonths << QStringList{};
    QTest::newRow("three sheets of a date: one line per pair")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 8, 18), S("B1", 2, "02.03.2025", 9, 10),
                             S("B1", 3, "02.03.2025", 9.3, 11)}
        << none << noMonths
        << QStringList{"B1\t2\t02.03.2025\toverlap\tother:B1/1", "B1\t3\t02.03.2025\toverlap\tother:B1/1",
                       "B1\t3\t02.03.2025\toverlap\tother:B1/2"};
    QTest::newRow("same hours on two dates")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 8, 12), S("B1", 2, "03.03.2025", 8, 12)} << none
        << noMonths << QStringList{};
    QTest::newRow("one driver on two vehicles")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 8, 12).driver("POPA ION"),
                             S("B2", 7, "02.03.2025", 10, 14).driver(" popa ion ")}
        << none << noMonths << QStringList{"B2\t7\t02.03.2025\tdriver-overlap\tother:B1/1"};
    QTest::newRow("one driver, one vehicle: an overlap only")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 8, 12).driver("POPA ION"),
                             S("B1", 2, "02.03.2025", 10, 14).driver("POPA ION")}
        << none << noMonths << QStringList{"B1\t2\t02.03.2025\toverlap\tother:B1/1"};
    QTest::newRow("no driver on either")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 8, 12).driver(" "), S("B2", 7, "02.03.2025", 10, 14)}
        << none << noMonths << QStringList{};
    QTest::newRow("two drivers")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025", 8, 12).driver("POPA ION"),
                             S("B2", 7, "02.03.2025", 10, 14).driver("POPA IOAN")}
        << none << noMonths << QStringList{};

    // The month's real consumption: over the normed by max(2 l, 5 %).
    QTest::newRow("overrun of 2 l on a small month: at the threshold")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(30, 20, 0, 8)} << none << noMonths << QStringList{};
    QTest::newRow("overrun above 2 l")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(30, 19.99, 0, 8)} << none << noMonths
        << QStringList{"B1\t1\t02.03.2025\toverrun\tnormed:8.00 real:10.01"};
    QTest::newRow("overrun over the month, on its last sheet known")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(50, 10, 60, 95),
                             S("B1", 2, "20.03.2025").tank(10, 40, 60, 20, 5),
                             S("B1", 3, "28.03.2025").tank(std::nullopt, 30, 0, 10),
                             S("B1", 4, "02.04.2025").tank(40, 10, 0, 30)}
        << none << noMonths << QStringList{"B1\t2\t20.03.2025\toverrun\tnormed:115.00 real:125.00"};
    QTest::newRow("5 % of a large month: at the threshold")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(100, 50, 370, 400)} << none << noMonths
        << QStringList{};
    QTest::newRow("an economy is no finding")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(100, 90, 0, 40)} << none << noMonths << QStringList{};

    // The tank's capacity, and 1 l over it.
    QTest::newRow("capacity unknown")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(10, 200, 250, 60)} << none << noMonths
        << QStringList{};
    QTest::newRow("departure with the fuel received above the capacity")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(40, 70, 50, 20).capacity(60)} << none << noMonths
        << QStringList{"B1\t1\t02.03.2025\tover-capacity\tcapacity:60.00 tank:70.00"};
    QTest::newRow("return 1 l above the capacity: at the threshold")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(std::nullopt, 61, 0, 0).capacity(60)} << none
        << noMonths << QStringList{};
    QTest::newRow("return above the capacity")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(std::nullopt, 61.5, 0, 0).capacity(60)} << none
        << noMonths << QStringList{"B1\t1\t02.03.2025\tover-capacity\tcapacity:60.00 tank:61.50"};

    // The book's rest at the end of a closed month against the tank measured.
    QTest::newRow("stock difference on the month's last sheet")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(std::nullopt, 40, 0, 0).capacity(60),
                             S("B1", 2, "31.03.2025").tank(std::nullopt, 30, 0, 0).capacity(60),
                             S("B1", 3, "01.04.2025").tank(std::nullopt, 10, 0, 0).capacity(60)}
        << none << QList<BookMonth>{{'1', 2025, 3, 24.99}, {'1', 2025, 4, 10}}
        << QStringList{"B1\t2\t31.03.2025\tstock-difference\tbook:24.99 measured:30.00"};
    QTest::newRow("stock difference of 5 l: at the threshold")
        << QList<AuditSheet>{S("B1", 2, "31.03.2025").tank(std::nullopt, 30, 0, 0)} << none
        << QList<BookMonth>{{'1', 2025, 3, 25}} << QStringList{};
    QTest::newRow("5 % of a large tank")
        << QList<AuditSheet>{S("B1", 2, "31.03.2025").tank(std::nullopt, 300, 0, 0).capacity(400)} << none
        << QList<BookMonth>{{'1', 2025, 3, 280}} << QStringList{};
    QTest::newRow("month not closed")
        << QList<AuditSheet>{S("B1", 2, "31.03.2025").tank(std::nullopt, 30, 0, 0)} << none << noMonths
        << QStringList{};
    QTest::newRow("last sheet of the month not measured")
        << QList<AuditSheet>{S("B1", 1, "02.03.2025").tank(std::nullopt, 40, 0, 0), S("B1", 2, "31.03.2025")}
        << none << QList<BookMonth>{{'1', 2025, 3, 0}} << QStringList{};

    // Several findings in order: vehicle, date, hour, number, kind.
    QTest::newRow("order of the lines")
        << QList<AuditSheet>{S("B2", 9, "01.03.2025").km(100, 90, 0), S("B1", 3, "10.03.2025", 9, 10),
                             S("B1", 2, "10.03.2025", 8, 12).km(50, 40, 0).tank(10, 100, 0, 0).capacity(50)}
        << none << noMonths
        << QStringList{"B1\t2\t10.03.2025\todometer-back\tdeparture:50.0 return:40.0",
                       "B1\t2\t10.03.2025\tkm-mismatch\todometer:-10.0 trips:0.0",
                       "B1\t2\t10.03.2025\tover-capacity\tcapacity:50.00 tank:100.00",
                       "B1\t3\t10.03.2025\toverlap\tother:B1/2",
                       "B2\t9\t01.03.2025\todometer-back\tdeparture:100.0 return:90.0",
                       "B2\t9\t01.03.2025\tkm-mismatch\todometer:-10.0 trips:0.0"};
}

void AuditTest::findings()
{
    QFETCH(QList<AuditSheet>, sheets);
    QFETCH(QList<AuditSheet>, previous);
    QFETCH(QList<BookMonth>, months);
    QFETCH(QStringList, expected);
    const QStringList found = lines(audit({sheets, previous, months}));
    QCOMPARE(found, expected);
}

void AuditTest::realConsumptionNeedsBothLevels()
{
    // The tank at departure, the fuel received, less the fuel returned and
    // the tank at return.
    QCOMPARE(realConsumption(S("B1", 1, "02.03.2025").tank(30, 20, 15, 0, 5)).value_or(-1), 20.0);
    QVERIFY(!realConsumption(S("B1", 1, "02.03.2025").tank(30, std::nullopt, 15, 0)));
    QVERIFY(!realConsumption(S("B1", 1, "02.03.2025").tank(std::nullopt, 0, 15, 0)));
    // An empty tank measured is a measurement.
    QCOMPARE(realConsumption(S("B1", 1, "02.03.2025").tank(0, 0, 0, 0)).value_or(-1), 0.0);
}

void AuditTest::datesOrderAsDates()
{
    QVERIFY(dateKey(QStringLiteral("31.01.2025")) < dateKey(QStringLiteral("01.02.2025")));
    QVERIFY(dateKey(QStringLiteral("31.12.2024")) < dateKey(QStringLiteral("01.01.2025")));
    QCOMPARE(dateKey(QStringLiteral("1.2.2025")), 0);
    QCOMPARE(dateKey(QString()), 0);
}

QTEST_APPLESS_MAIN(AuditTest)
#include "tst_audit.moc"
