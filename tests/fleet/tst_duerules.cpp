#include "base/texts.h"
#include "fleet/driverrules.h"
#include "fleet/driverstore.h"
#include "fleet/duerules.h"

#include <QtTest>

using namespace vok;
using namespace vok::due;

Q_DECLARE_METATYPE(QList<vok::due::DocumentRow>)
Q_DECLARE_METATYPE(QList<vok::due::DriverRow>)
Q_DECLARE_METATYPE(QList<vok::due::ServiceRow>)
Q_DECLARE_METATYPE(QList<vok::Driver>)

namespace {

const QDate today(2026, 3, 10);

DocumentRow doc(int iddoc, int ida, const QString &tip, const QString &panala, bool listed = true)
{
    return DocumentRow{iddoc, ida, QStringLiteral("B-%1-VOK").arg(ida), listed, tip, panala};
}

ServiceRow service(int ida, double interval, std::optional<double> last, OdometerSource source, double km,
                   bool listed = true)
{
    ServiceRow row;
    row.ida = ida;
    row.nrauto = QStringLiteral("B-%1-VOK").arg(ida);
    row.listed = listed;
    row.kmrevizie = interval;
    row.kmultrev = last;
    row.odometer = {source, km, {}};
    return row;
}

QStringList lines(const QList<Item> &items)
{
    QStringList result;
    for (const Item &item : items)
        result << line(item);
    return result;
}

} // namespace

class DueRulesTest : public QObject {
    Q_OBJECT
private slots:
    void parseDate_data();
    void parseDate();
    void documentInForce_data();
    void documentInForce();
    void documents_data();
    void documents();
    void drivers_data();
    void drivers();
    void services_data();
    void services();
    void orderOfLines();
    void driverChoicesOffered_data();
    void driverChoicesOffered();
    void driverSave_data();
    void driverSave();
    void documentSave_data();
    void documentSave();
};

void DueRulesTest::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("day") << "31.12.2026" << QDate(2026, 12, 31);
    QTest::newRow("leap day") << "29.02.2028" << QDate(2028, 2, 29);
    QTest::newRow("no leap day") << "29.02.2027" << QDate();
    QTest::newRow("no 31 April") << "31.04.2026" << QDate();
    QTest::newRow("short day") << "1.02.2026" << QDate();
    QTest::newRow("iso") << "2026-02-01" << QDate();
    QTest::newRow("empty") << "" << QDate();
    QTest::newRow("text after") << "01.02.2026x" << QDate();
}

void DueRulesTest::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(due::parseDate(text).value_or(QDate()), date);
}

void DueRulesTest::documentInForce_data()
{
    QTest::addColumn<QList<DocumentRow>>("documents");
    QTest::addColumn<QList<int>>("inForce");
    // As text "01.02.2027" < "31.12.2026"; as dates it is later.
    QTest::newRow("latest by date, not by text")
        << QList<DocumentRow>{doc(1, 1, "ITP", "31.12.2026"), doc(2, 1, "ITP", "01.02.2027")} << QList<int>{2};
    QTest::newRow("older added later")
        << QList<DocumentRow>{doc(1, 1, "RCA", "01.02.2027"), doc(2, 1, "RCA", "01.02.2026")} << QList<int>{1};
    QTest::newRow("no end date stands for its kind")
        << QList<DocumentRow>{doc(1, 1, "TRUSA", "01.01.2026"), doc(2, 1, "TRUSA", ""), doc(3, 1, "TRUSA", "01.01.2030")}
        << QList<int>{2};
    QTest::newRow("each kind and vehicle apart")
        << QList<DocumentRow>{doc(1, 1, "ITP", "01.01.2026"), doc(2, 1, "RCA", "01.01.2026"),
                              doc(3, 2, "ITP", "01.01.2026")}
        << QList<int>{1, 2, 3};
    QTest::newRow("an end that is no date passed by")
        << QList<DocumentRow>{doc(1, 1, "ITP", "31.02.2026"), doc(2, 1, "ITP", "01.01.2026")} << QList<int>{2};
}

void DueRulesTest::documentInForce()
{
    QFETCH(QList<DocumentRow>, documents);
    QFETCH(QList<int>, inForce);
    QList<int> keys;
    for (const DocumentRow &d : due::inForce(documents))
        keys << d.iddoc;
    QCOMPARE(keys, inForce);
}

void DueRulesTest::documents_data()
{
    QTest::addColumn<QList<DocumentRow>>("documents");
    QTest::addColumn<int>("days");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("today itself: still in force, left 0")
        << QList<DocumentRow>{doc(1, 1, "ITP", "10.03.2026")} << 30 << QStringList{"document\tB-1-VOK\tITP\t10.03.2026\t0"};
    QTest::newRow("yesterday: overdue")
        << QList<DocumentRow>{doc(1, 1, "RCA", "09.03.2026")} << 30 << QStringList{"document\tB-1-VOK\tRCA\t09.03.2026\t-1"};
    QTest::newRow("exactly the days ahead")
        << QList<DocumentRow>{doc(1, 1, "RCA", "09.04.2026")} << 30 << QStringList{"document\tB-1-VOK\tRCA\t09.04.2026\t30"};
    QTest::newRow("one day beyond")
        << QList<DocumentRow>{doc(1, 1, "RCA", "10.04.2026")} << 30 << QStringList{};
    QTest::newRow("renewed: the old one is not due")
        << QList<DocumentRow>{doc(1, 1, "ITP", "01.03.2026"), doc(2, 1, "ITP", "01.03.2027")} << 30 << QStringList{};
    QTest::newRow("no end date never lapses") << QList<DocumentRow>{doc(1, 1, "EXTINCTOR", "")} << 3650 << QStringList{};
    QTest::newRow("vehicle taken out of the lists")
        << QList<DocumentRow>{doc(1, 1, "ITP", "01.03.2026", false)} << 30 << QStringList{};
    QTest::newRow("zero days: overdue and today only")
        << QList<DocumentRow>{doc(1, 1, "ITP", "10.03.2026"), doc(2, 2, "ITP", "11.03.2026"), doc(3, 3, "ITP", "01.03.2026")}
        << 0 << QStringList{"document\tB-3-VOK\tITP\t01.03.2026\t-9", "document\tB-1-VOK\tITP\t10.03.2026\t0"};
}

void DueRulesTest::documents()
{
    QFETCH(QList<DocumentRow>, documents);
    QFETCH(int, days);
    QFETCH(QStringList, expected);
    QCOMPARE(lines(dueItems(documents, {}, {}, today, days, 1000)), expected);
}

void DueRulesTest::drivers_data()
{
    QTest::addColumn<QList<DriverRow>>("drivers");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("licence and certificate")
        << QList<DriverRow>{{1, "POPESCU ION", true, "20.03.2026", "01.03.2026"}}
        << QStringList{"driver\tPOPESCU ION\taviz\t01.03.2026\t-9", "driver\tPOPESCU ION\tpermis\t20.03.2026\t10"};
    QTest::newRow("inactive driver left out")
        << QList<DriverRow>{{1, "POPESCU ION", false, "01.03.2026", "01.03.2026"}} << QStringList{};
    QTest::newRow("papers without dates") << QList<DriverRow>{{1, "POPESCU ION", true, "", ""}} << QStringList{};
    QTest::newRow("far away") << QList<DriverRow>{{1, "POPESCU ION", true, "01.01.2030", "10.04.2026"}} << QStringList{};
}

void DueRulesTest::drivers()
{
    QFETCH(QList<DriverRow>, drivers);
    QFETCH(QStringList, expected);
    QCOMPARE(lines(dueItems({}, drivers, {}, today, 30, 1000)), expected);
}

void DueRulesTest::services_data()
{
    QTest::addColumn<QList<ServiceRow>>("services");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("sheet odometer within the km ahead")
        << QList<ServiceRow>{service(1, 15000, 100000, OdometerSource::Sheet, 114500)}
        << QStringList{"service\tB-1-VOK\trevizie\t115000\t500"};
    QTest::newRow("exactly the km ahead")
        << QList<ServiceRow>{service(1, 15000, 100000, OdometerSource::Sheet, 114000)}
        << QStringList{"service\tB-1-VOK\trevizie\t115000\t1000"};
    QTest::newRow("not yet") << QList<ServiceRow>{service(1, 15000, 100000, OdometerSource::Sheet, 113999.5)}
                             << QStringList{};
    QTest::newRow("overdue") << QList<ServiceRow>{service(1, 15000, 100000, OdometerSource::Sheet, 115200.5)}
                             << QStringList{"service\tB-1-VOK\trevizie\t115000\t-200.5"};
    QTest::newRow("no sheet odometer: the closed month's km")
        << QList<ServiceRow>{service(1, 10000, 50000, OdometerSource::ClosedMonth, 59800)}
        << QStringList{"service\tB-1-VOK\trevizie\t60000\t200"};
    QTest::newRow("no odometer at all") << QList<ServiceRow>{service(1, 10000, 0, OdometerSource::None, 0)}
                                        << QStringList{};
    QTest::newRow("no interval") << QList<ServiceRow>{service(1, 0, 50000, OdometerSource::Sheet, 99999)}
                                 << QStringList{};
    QTest::newRow("no last service") << QList<ServiceRow>{service(1, 10000, std::nullopt, OdometerSource::Sheet, 99999)}
                                     << QStringList{};
    QTest::newRow("taken out of the lists")
        << QList<ServiceRow>{service(1, 10000, 50000, OdometerSource::Sheet, 70000, false)} << QStringList{};
}

void DueRulesTest::services()
{
    QFETCH(QList<ServiceRow>, services);
    QFETCH(QStringList, expected);
    QCOMPARE(lines(dueItems({}, {}, services, today, 30, 1000)), expected);
}

void DueRulesTest::orderOfLines()
{
    const QList<Item> items = dueItems(
        {doc(1, 2, "RCA", "20.03.2026"), doc(2, 1, "RCA", "20.03.2026"), doc(3, 1, "ITP", "20.03.2026"),
         doc(4, 3, "CASCO", "01.03.2026")},
        {{1, "ZAHARIA DAN", true, "12.03.2026", ""}, {2, "ALBU ION", true, "", "15.03.2026"}},
        {service(5, 10000, 10000, OdometerSource::Sheet, 19900)}, today, 30, 1000);
    QCOMPARE(lines(items), (QStringList{
                               "document\tB-3-VOK\tCASCO\t01.03.2026\t-9",
                               "document\tB-1-VOK\tITP\t20.03.2026\t10",
                               "document\tB-1-VOK\tRCA\t20.03.2026\t10",
                               "document\tB-2-VOK\tRCA\t20.03.2026\t10",
                               "driver\tZAHARIA DAN\tpermis\t12.03.2026\t2",
                               "driver\tALBU ION\taviz\t15.03.2026\t5",
                               "service\tB-5-VOK\trevizie\t20000\t100",
                           }));
    QVERIFY(items.first().overdue());
    QCOMPARE(items.at(4).idsofer, 1);
    QCOMPARE(items.last().ida, 5);

    // The window: overdue first, whatever their kind, the rest as above.
    const QList<Item> late = dueItems({doc(1, 1, "ITP", "20.03.2026")}, {{1, "ALBU ION", true, "01.03.2026", ""}},
                                      {service(2, 10000, 10000, OdometerSource::Sheet, 20100)}, today, 30, 1000);
    QCOMPARE(lines(overdueFirst(late)), (QStringList{"driver\tALBU ION\tpermis\t01.03.2026\t-9",
                                                     "service\tB-2-VOK\trevizie\t20000\t-100",
                                                     "document\tB-1-VOK\tITP\t20.03.2026\t10"}));
}

void DueRulesTest::driverChoicesOffered_data()
{
    QTest::addColumn<QList<Driver>>("registered");
    QTest::addColumn<QStringList>("onSheets");
    QTest::addColumn<QStringList>("offered");
    Driver active;
    active.nume = "POPESCU ION";
    Driver inactive;
    inactive.nume = "ALBU DAN";
    inactive.activ = false;
    QTest::newRow("register first, then the sheets' others")
        << QList<Driver>{active} << QStringList{"ALBU MIHAI", "POPESCU ION"} << QStringList{"POPESCU ION", "ALBU MIHAI"};
    QTest::newRow("an inactive driver is not offered")
        << QList<Driver>{inactive, active} << QStringList{"ALBU DAN"} << QStringList{"POPESCU ION"};
    QTest::newRow("empty register: today's list") << QList<Driver>{} << QStringList{"A", "B"} << QStringList{"A", "B"};
}

void DueRulesTest::driverChoicesOffered()
{
    QFETCH(QList<Driver>, registered);
    QFETCH(QStringList, onSheets);
    QFETCH(QStringList, offered);
    QCOMPARE(driverChoices(registered, onSheets), offered);
}

void DueRulesTest::driverSave_data()
{
    QTest::addColumn<QStringList>("typed"); // nume, permis, categorii, exppermis, expaviz
    QTest::addColumn<int>("field");         // -1: accepted
    QTest::addColumn<QString>("message");
    using F = driver::EntryProblem::Field;
    QTest::newRow("accepted") << QStringList{"POPESCU ION", "B123", "B,C", "01.02.2027", ""} << -1 << "";
    QTest::newRow("loose date accepted") << QStringList{"POPESCU ION", "", "", "1.2.2027", "3/4/2027"} << -1 << "";
    QTest::newRow("no name") << QStringList{" ", "", "", "", ""} << int(F::Name) << driver::noNameMessage();
    QTest::newRow("apostrophe") << QStringList{"O'NEIL", "", "", "", ""} << int(F::Name) << texts::apostropheRefused();
    QTest::newRow("21 characters") << QStringList{QString(21, u'A'), "", "", "", ""} << int(F::Name) << texts::maxLength(20);
    QTest::newRow("20 characters") << QStringList{QString(20, u'A'), "", "", "", ""} << -1 << "";
    QTest::newRow("permit apostrophe") << QStringList{"A", "B'1", "", "", ""} << int(F::Permit) << texts::apostropheRefused();
    QTest::newRow("bad licence date") << QStringList{"A", "", "", "31.02.2027", ""} << int(F::PermitExpiry)
                                      << driver::badDateMessage();
    QTest::newRow("bad certificate date") << QStringList{"A", "", "", "", "maine"} << int(F::CertificateExpiry)
                                          << driver::badDateMessage();
}

void DueRulesTest::driverSave()
{
    QFETCH(QStringList, typed);
    QFETCH(int, field);
    QFETCH(QString, message);
    const auto problem = driver::checkSave({typed[0], typed[1], typed[2], typed[3], typed[4]});
    QCOMPARE(problem ? int(problem->field) : -1, field);
    QCOMPARE(problem ? problem->message : QString(), message);
}

void DueRulesTest::documentSave_data()
{
    QTest::addColumn<QStringList>("typed"); // tip, numar, dela, panala, obs
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("message");
    using F = document::EntryProblem::Field;
    QTest::newRow("accepted") << QStringList{"ITP", "123", "01.02.2026", "01.02.2027", ""} << -1 << "";
    QTest::newRow("no end date") << QStringList{"TRUSA", "", "01.02.2026", "", ""} << -1 << "";
    QTest::newRow("same day") << QStringList{"RCA", "", "01.02.2026", "01.02.2026", ""} << -1 << "";
    QTest::newRow("unknown kind") << QStringList{"ASIGURARE", "", "", "", ""} << int(F::Kind) << document::noKindMessage();
    QTest::newRow("number apostrophe") << QStringList{"ITP", "1'2", "", "", ""} << int(F::Number) << texts::apostropheRefused();
    QTest::newRow("bad start") << QStringList{"ITP", "", "00.01.2026", "", ""} << int(F::From) << driver::badDateMessage();
    QTest::newRow("end before start") << QStringList{"ITP", "", "02.02.2026", "1.2.2026", ""} << int(F::To)
                                      << document::endBeforeStartMessage();
    QTest::newRow("note too long") << QStringList{"ITP", "", "", "", QString(51, u'x')} << int(F::Note) << texts::maxLength(50);
}

void DueRulesTest::documentSave()
{
    QFETCH(QStringList, typed);
    QFETCH(int, field);
    QFETCH(QString, message);
    const auto problem = document::checkSave({typed[0], typed[1], typed[2], typed[3], typed[4]});
    QCOMPARE(problem ? int(problem->field) : -1, field);
    QCOMPARE(problem ? problem->message : QString(), message);
}

QTEST_GUILESS_MAIN(DueRulesTest)
#include "tst_duerules.moc"
