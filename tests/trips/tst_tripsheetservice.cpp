#include "db/database.h"
#include "testenvironment.h"
#include "trips/tripsheetservice.h"

#include <QtTest>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

// A vehicle (Cm 30, Ca 0.5) and, when asked, its sheet 5 of March 2026 with
// the month closed, and trip 1 on it.
struct Fleet {
    test::TestEnvironment env;
    int ida = 0;

    Fleet(bool sheetStored, bool tripStored)
    {
        env.sql(s("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca) VALUES ('B-01', 'ROMAN', 1, 2, 30, 0.5)"));
        ida = env.value(s("SELECT ida FROM auto")).toInt();
        env.sql(s("INSERT INTO dateluna (ida, anul, idl) VALUES (?, 2026, 3)"), {ida});
        if (sheetStored)
            env.sql(s("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul) "
                      "VALUES (5, ?, 'VECHI', 8, 9, 1, '01.03.2026', 1, 3, 2026)"),
                    {ida});
        if (tripStored)
            env.sql(s("INSERT INTO curse (idf, nrc, kmT) VALUES ((SELECT idf FROM foaie), 1, 10)"));
    }

    // The header typed: the sheet moved to April, another driver.
    SheetHeader header() const
    {
        SheetHeader h;
        h.nrf = 5;
        h.ida = ida;
        h.sofer = s("NOU");
        h.orap = 7;
        h.oras = 15.5;
        h.data = s("10.04.2026");
        h.decada = 1;
        h.idl = 4;
        h.anul = 2026;
        return h;
    }

    static TripForm trip(int nrc, const char *kmII)
    {
        TripForm form;
        form.nrc = QString::number(nrc);
        form.km[1] = s(kmII);
        return form;
    }

    int count(const char *sql) { return env.value(s(sql)).toInt(); }
};

} // namespace

class TripSheetServiceTest : public QObject {
    Q_OBJECT
private slots:
    void saveOnAnswer_data();
    void saveOnAnswer();
    void vehicleGone();
    void oneServiceForManyActions();
    void failedStatementIsPreparedAgain();
};

// What "Salvare" leaves written for each answer: a stored sheet's header is
// written even when the clerk declines the trip (and its month dropped as it
// leaves it); a new sheet and the trip only with a Yes.
void TripSheetServiceTest::saveOnAnswer_data()
{
    QTest::addColumn<bool>("sheetStored");
    QTest::addColumn<bool>("tripStored");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("driver"); // empty: no sheet
    QTest::addColumn<int>("marchRows");
    QTest::addColumn<double>("kmT"); // of trip 1; -1: none
    const QString save = s(" Sunteti sigur ca doriti salvarea datelor ? ");
    const QString overwrite = s(" Acest numar de cursa la aceasta foaie de parcurs exista deja !!! \n"
                                " Doriti scrierea peste vechile date ? ");
    QTest::newRow("new sheet, yes") << false << false << true << save << s("NOU") << 1 << 60.0;
    QTest::newRow("new sheet, declined") << false << false << false << save << QString() << 1 << -1.0;
    QTest::newRow("stored sheet, new trip, yes") << true << false << true << save << s("NOU") << 0 << 60.0;
    QTest::newRow("stored sheet, new trip, declined") << true << false << false << save << s("NOU") << 0 << -1.0;
    QTest::newRow("stored trip, overwritten") << true << true << true << overwrite << s("NOU") << 0 << 60.0;
    QTest::newRow("stored trip, declined") << true << true << false << overwrite << s("NOU") << 0 << 10.0;
}

void TripSheetServiceTest::saveOnAnswer()
{
    QFETCH(bool, sheetStored);
    QFETCH(bool, tripStored);
    QFETCH(bool, yes);
    QFETCH(QString, question);
    QFETCH(QString, driver);
    QFETCH(int, marchRows);
    QFETCH(double, kmT);
    Fleet fleet(sheetStored, tripStored);
    TripSheetService service(fleet.env.db());
    const std::optional<TripSheetService::SavePlan> plan
        = service.planSave(fleet.header(), Fleet::trip(1, "60"), 1);
    QVERIFY(plan);
    QCOMPARE(plan->question(), question);
    QCOMPARE(plan->trip.Cn, 18.0); // 0.6 * 30 * Kg 1
    const int storedIdc = fleet.count("SELECT COALESCE(MAX(idc), 0) FROM curse");
    const std::optional<int> idf = service.save(*plan, yes);

    QCOMPARE(idf.has_value(), yes);
    QCOMPARE(fleet.env.value(s("SELECT sofer FROM foaie")).toString(), driver);
    if (!driver.isEmpty()) {
        QCOMPARE(fleet.count("SELECT idl FROM foaie"), 4);
        QCOMPARE(fleet.env.value(s("SELECT nrore FROM foaie")).toDouble(), 8.5);
        QCOMPARE(fleet.count("SELECT COUNT(*) FROM foaie"), 1);
    }
    QCOMPARE(fleet.count("SELECT COUNT(*) FROM dateluna WHERE idl=3"), marchRows);
    QCOMPARE(fleet.count("SELECT COUNT(*) FROM curse"), kmT < 0 ? 0 : 1);
    if (kmT >= 0) {
        QCOMPARE(fleet.env.value(s("SELECT kmT FROM curse WHERE nrc=1")).toDouble(), kmT);
        QCOMPARE(fleet.count("SELECT idf FROM curse"), fleet.count("SELECT idf FROM foaie"));
    }
    if (tripStored)
        QCOMPARE(fleet.count("SELECT idc FROM curse"), storedIdc); // overwritten in place
    if (idf)
        QCOMPARE(*idf, fleet.count("SELECT idf FROM foaie"));
}

void TripSheetServiceTest::vehicleGone()
{
    Fleet fleet(false, false);
    fleet.env.sql(s("DELETE FROM auto"));
    TripSheetService service(fleet.env.db());
    QVERIFY(!service.planSave(fleet.header(), Fleet::trip(1, "10"), 1));
}

// One service, as the window keeps it, for a sheet's whole life: its
// prepared statements serve every save and deletion.
void TripSheetServiceTest::oneServiceForManyActions()
{
    Fleet fleet(false, false);
    TripSheetService service(fleet.env.db());
    for (int nrc = 1; nrc <= 4; ++nrc) {
        const auto plan = service.planSave(fleet.header(), Fleet::trip(nrc, "10"), 1);
        QVERIFY(plan);
        QCOMPARE(plan->sheet.has_value(), nrc > 1);
        QVERIFY(service.save(*plan, true));
    }
    QCOMPARE(fleet.count("SELECT COUNT(*) FROM curse"), 4);
    const int idf = fleet.count("SELECT idf FROM foaie");
    service.deleteTrip(idf, 2);
    service.deleteTrip(idf, 9); // no such trip: nothing
    QCOMPARE(fleet.count("SELECT COUNT(*) FROM curse"), 3);
    service.deleteTrips({fleet.count("SELECT MIN(idc) FROM curse"), fleet.count("SELECT MAX(idc) FROM curse")});
    QCOMPARE(fleet.count("SELECT nrc FROM curse"), 3);
    const std::optional<Sheet> sheet = service.sheets().byNumber(fleet.ida, 5);
    QVERIFY(sheet);
    QVERIFY(service.sheets().hasTrips(sheet->idf));
    fleet.env.sql(s("INSERT INTO dateluna (ida, anul, idl) VALUES (?, 2026, 4)"), {fleet.ida});
    service.deleteSheet(*sheet);
    QCOMPARE(fleet.count("SELECT COUNT(*) FROM foaie"), 0);
    QCOMPARE(fleet.count("SELECT COUNT(*) FROM curse"), 0);
    QCOMPARE(fleet.count("SELECT COUNT(*) FROM dateluna WHERE idl=4"), 0);
    QCOMPARE(fleet.count("SELECT COUNT(*) FROM dateluna WHERE idl=3"), 1);
}

// A statement that fails is reported and prepared again the next time.
void TripSheetServiceTest::failedStatementIsPreparedAgain()
{
    test::TestEnvironment env;
    PreparedQuery insert(env.db(), s("INSERT INTO auto (nrauto) VALUES (?)"));
    insert.execute({s("B-01")});
    QVERIFY_THROWS_EXCEPTION(DbError, insert.execute({s("B-01")})); // the unique registration number
    insert.execute({s("B-02")});
    PreparedQuery read(env.db(), s("SELECT COUNT(*) FROM auto WHERE nrauto<>?"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(read.read({s("X")}, [](QSqlQuery &q) { return q.next() ? q.value(0).toInt() : -1; }), 2);
}

QTEST_MAIN(TripSheetServiceTest)
#include "tst_tripsheetservice.moc"
