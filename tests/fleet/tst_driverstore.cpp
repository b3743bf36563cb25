#include "db/database.h"
#include "fleet/documentstore.h"
#include "fleet/driverstore.h"
#include "fleet/vehiclestore.h"
#include "reports/reportengine.h"
#include "testenvironment.h"

#include <QtTest>

using namespace vok;

namespace {

int vehicle(test::TestEnvironment &env, const QString &number)
{
    VehicleRecord r;
    r.nrauto = number;
    r.marca = QStringLiteral("DACIA LOGAN");
    r.consumption = {8, 7, 6, 2};
    return VehicleStore(env.db()).save(r);
}

Driver driver(const QString &name, const QString &licence = {}, const QString &certificate = {}, bool active = true)
{
    Driver d;
    d.nume = name;
    d.permis = QStringLiteral("AB123456");
    d.categorii = QStringLiteral("B,C");
    d.exppermis = licence;
    d.expaviz = certificate;
    d.activ = active;
    return d;
}

VehicleDocument document(int ida, const QString &tip, const QString &from, const QString &to)
{
    VehicleDocument d;
    d.ida = ida;
    d.tip = tip;
    d.numar = QStringLiteral("NR %1").arg(to);
    d.dela = from;
    d.panala = to;
    return d;
}

int addSheet(test::TestEnvironment &env, int ida, int nrf, const QString &date, const QVariant &kmsosire)
{
    const QDate day = QDate::fromString(date, QStringLiteral("dd.MM.yyyy"));
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, data, idl, anul, kmsosire) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            {nrf, ida, QStringLiteral("POPESCU ION"), date, day.month(), day.year(), kmsosire});
    return env.value(QStringLiteral("SELECT idf FROM foaie WHERE ida=? AND nrf=?"), {ida, nrf}).toInt();
}

} // namespace

class DriverStoreTest : public QObject {
    Q_OBJECT
private slots:
    void driverSavedByName();
    void staleDriverRefused();
    void driverRemovedAndJournalled();
    void documentsNewestFirst();
    void documentChangeAndStaleRemoval();
    void serviceIntervalNullable();
    void odometerFromSheetThenClosedMonth();
    void dueItemsFromTheDatabase();
    void settingsDefaults();
    void dueReport();
};

void DriverStoreTest::driverSavedByName()
{
    test::TestEnvironment env;
    DriverStore store(env.db());
    const int key = store.save(driver(QStringLiteral("POPESCU ION"), QStringLiteral("01.02.2027")), std::nullopt);
    QVERIFY(key > 0);
    Driver changed = *store.byId(key);
    changed.activ = false;
    changed.expaviz = QStringLiteral("05.05.2026");
    QCOMPARE(store.save(changed, changed.versiune), key);
    const Driver stored = *store.byName(QStringLiteral("POPESCU ION"));
    QCOMPARE(stored.activ, false);
    QCOMPARE(stored.expaviz, QStringLiteral("05.05.2026"));
    QCOMPARE(stored.exppermis, QStringLiteral("01.02.2027"));
    QCOMPARE(stored.versiune, changed.versiune + 1);
    QVERIFY(store.activeNames().isEmpty());
    // The journal keeps the insertion and, of the change, what changed.
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE tabela='soferi'")).toInt(), 2);
    const QString after = env.value(QStringLiteral("SELECT dupa FROM jurnal WHERE tabela='soferi' AND actiune=?"),
                                    {Change::updated()})
                              .toString();
    QVERIFY2(after.contains(QStringLiteral("expaviz")) && !after.contains(QStringLiteral("exppermis")), qPrintable(after));
}

void DriverStoreTest::staleDriverRefused()
{
    test::TestEnvironment env;
    DriverStore store(env.db());
    const int key = store.save(driver(QStringLiteral("ALBU DAN")), std::nullopt);
    const Driver loaded = *store.byId(key);
    store.save(loaded, loaded.versiune); // another clerk saves first
    QVERIFY_THROWS_EXCEPTION(StaleRecord, store.save(loaded, loaded.versiune));
    // Loaded, then deleted meanwhile: never silently recreated.
    QVERIFY(store.remove(key));
    QVERIFY_THROWS_EXCEPTION(StaleRecord, store.save(loaded, loaded.versiune));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM soferi")).toInt(), 0);
}

void DriverStoreTest::driverRemovedAndJournalled()
{
    test::TestEnvironment env;
    DriverStore store(env.db());
    const int key = store.save(driver(QStringLiteral("ALBU DAN"), QStringLiteral("01.01.2030")), std::nullopt);
    QVERIFY(store.remove(key));
    QVERIFY(!store.remove(key));
    const QString before = env.value(QStringLiteral("SELECT inainte FROM jurnal WHERE tabela='soferi' AND actiune=?"),
                                     {Change::deleted()})
                               .toString();
    QVERIFY2(before.contains(QStringLiteral("\"exppermis\":\"01.01.2030\"")), qPrintable(before));
}

void DriverStoreTest::documentsNewestFirst()
{
    test::TestEnvironment env;
    const int ida = vehicle(env, QStringLiteral("B-01-VOK"));
    DocumentStore store(env.db());
    store.save(document(ida, QStringLiteral("ITP"), QStringLiteral("01.02.2025"), QStringLiteral("31.12.2025")));
    store.save(document(ida, QStringLiteral("ITP"), QStringLiteral("01.01.2026"), QStringLiteral("01.02.2027")));
    store.save(document(ida, QStringLiteral("TRUSA"), QStringLiteral("15.06.2026"), QString()));
    store.save(document(vehicle(env, QStringLiteral("B-02-VOK")), QStringLiteral("RCA"), {}, QStringLiteral("01.01.2031")));
    QStringList order;
    for (const VehicleDocument &d : store.forVehicle(ida))
        order << d.tip + u' ' + (d.panala.isEmpty() ? d.dela : d.panala);
    QCOMPARE(order, (QStringList{"ITP 01.02.2027", "TRUSA 15.06.2026", "ITP 31.12.2025"}));
}

void DriverStoreTest::documentChangeAndStaleRemoval()
{
    test::TestEnvironment env;
    const int ida = vehicle(env, QStringLiteral("B-01-VOK"));
    DocumentStore store(env.db());
    const int key = store.save(document(ida, QStringLiteral("RCA"), QStringLiteral("01.01.2026"), QStringLiteral("31.12.2026")));
    VehicleDocument loaded = *store.byId(key);
    loaded.obs = QStringLiteral("platit integral");
    store.save(loaded);
    QCOMPARE(store.byId(key)->obs, QStringLiteral("platit integral"));
    // Written against the version it was loaded with.
    QVERIFY_THROWS_EXCEPTION(StaleRecord, store.save(loaded));
    QVERIFY_THROWS_EXCEPTION(StaleRecord, store.remove(loaded));
    store.remove(*store.byId(key));
    QVERIFY(!store.byId(key));
    QCOMPARE(env.value(QStringLiteral("SELECT nrauto FROM jurnal WHERE tabela='documente' AND actiune=?"),
                       {Change::deleted()})
                 .toString(),
             QStringLiteral("B-01-VOK"));
}

void DriverStoreTest::serviceIntervalNullable()
{
    test::TestEnvironment env;
    const int ida = vehicle(env, QStringLiteral("B-01-VOK"));
    DocumentStore store(env.db());
    const ServiceInterval none = *store.service(ida);
    QCOMPARE(none.kmrevizie, 0.0);
    QVERIFY(!none.kmultrev);
    store.saveService(ida, none, {15000, 120500.5, 0});
    const ServiceInterval stored = *store.service(ida);
    QCOMPARE(stored.kmrevizie, 15000.0);
    QCOMPARE(stored.kmultrev.value_or(-1), 120500.5);
    QVERIFY_THROWS_EXCEPTION(StaleRecord, store.saveService(ida, none, {1, 1, 0}));
    store.saveService(ida, stored, {15000, std::nullopt, 0});
    QVERIFY(env.value(QStringLiteral("SELECT kmultrev FROM auto WHERE ida=?"), {ida}).isNull());
}

void DriverStoreTest::odometerFromSheetThenClosedMonth()
{
    test::TestEnvironment env;
    const int ida = vehicle(env, QStringLiteral("B-01-VOK"));
    DocumentStore store(env.db());
    QCOMPARE(store.odometer(ida).source, due::OdometerSource::None);
    env.sql(QStringLiteral("INSERT INTO dateluna (ida, anul, idl, kmt) VALUES (?, 2025, 12, 81000), (?, 2026, 1, 82000)"),
            {ida, ida});
    const due::Odometer month = store.odometer(ida);
    QCOMPARE(month.source, due::OdometerSource::ClosedMonth);
    QCOMPARE(month.km, 82000.0);
    QCOMPARE(month.from, QStringLiteral("01.2026"));
    // A sheet without a reading does not count; the latest by its date does,
    // whatever the numbers of the sheets.
    addSheet(env, ida, 7, QStringLiteral("09.02.2026"), 82950);
    addSheet(env, ida, 5, QStringLiteral("10.02.2026"), 83010);
    addSheet(env, ida, 9, QStringLiteral("11.02.2026"), QVariant(QMetaType(QMetaType::Double)));
    addSheet(env, ida, 8, QStringLiteral("02.01.2026"), 82100);
    const due::Odometer read = store.odometer(ida);
    QCOMPARE(read.source, due::OdometerSource::Sheet);
    QCOMPARE(read.km, 83010.0);
    QCOMPARE(read.from, QStringLiteral("10.02.2026"));
}

void DriverStoreTest::dueItemsFromTheDatabase()
{
    test::TestEnvironment env;
    const int shown = vehicle(env, QStringLiteral("B-01-VOK"));
    const int hidden = vehicle(env, QStringLiteral("B-02-VOK"));
    env.sql(QStringLiteral("UPDATE auto SET apar=0 WHERE ida=?"), {hidden});
    DocumentStore store(env.db());
    store.save(document(shown, QStringLiteral("ITP"), {}, QStringLiteral("05.03.2026")));
    store.save(document(shown, QStringLiteral("RCA"), {}, QStringLiteral("20.03.2026")));
    store.save(document(hidden, QStringLiteral("ITP"), {}, QStringLiteral("01.03.2026")));
    store.saveService(shown, *store.service(shown), {10000, 40000, 0});
    store.saveService(hidden, *store.service(hidden), {10000, 40000, 0});
    addSheet(env, shown, 1, QStringLiteral("01.03.2026"), 49500);
    addSheet(env, hidden, 1, QStringLiteral("01.03.2026"), 52000);
    DriverStore drivers(env.db());
    drivers.save(driver(QStringLiteral("POPESCU ION"), QStringLiteral("09.03.2026")), std::nullopt);
    drivers.save(driver(QStringLiteral("ALBU DAN"), QStringLiteral("09.03.2026"), {}, false), std::nullopt);
    QStringList lines;
    for (const due::Item &item : store.dueItems(QDate(2026, 3, 10), 5))
        lines << due::line(item);
    QCOMPARE(lines, (QStringList{"document\tB-01-VOK\tITP\t05.03.2026\t-5",
                                 "driver\tPOPESCU ION\tpermis\t09.03.2026\t-1",
                                 "service\tB-01-VOK\trevizie\t50000\t500"}));
    // The km ahead come from the settings.
    env.sql(QStringLiteral("INSERT INTO setari (unitate, kmscadente) VALUES ('X', 100)"));
    QCOMPARE(store.dueItems(QDate(2026, 3, 10), 5).size(), 2);
}

void DriverStoreTest::settingsDefaults()
{
    test::TestEnvironment env;
    DocumentStore store(env.db());
    QCOMPARE(store.dueSettings().days, 30);
    QCOMPARE(store.dueSettings().km, 1000.0);
    env.sql(QStringLiteral("INSERT INTO setari (unitate) VALUES ('X')"));
    QCOMPARE(store.dueSettings().days, 30);
    QCOMPARE(store.dueSettings().km, 1000.0);
    env.sql(QStringLiteral("UPDATE setari SET zilescadente=10, kmscadente=500"));
    QCOMPARE(store.dueSettings().days, 10);
    QCOMPARE(store.dueSettings().km, 500.0);
}

void DriverStoreTest::dueReport()
{
    test::TestEnvironment env;
    const int ida = vehicle(env, QStringLiteral("B-01-VOK"));
    DocumentStore store(env.db());
    store.save(document(ida, QStringLiteral("ITP"), {}, QStringLiteral("05.03.2026")));
    store.save(document(ida, QStringLiteral("RCA"), {}, QStringLiteral("20.03.2026")));
    store.save(document(ida, QStringLiteral("CASCO"), {}, QStringLiteral("20.05.2026")));
    DriverStore(env.db()).save(driver(QStringLiteral("POPESCU ION"), {}, QStringLiteral("12.03.2026")), std::nullopt);
    ReportRequest request;
    request.reportFile = QStringLiteral("rapscadente.rpt");
    const QString text = ReportEngine(env.db()).run(request, QDate(2026, 3, 10)).toText();
    QVERIFY2(text.contains(QStringLiteral("SCADENTE")), qPrintable(text));
    const qsizetype itp = text.indexOf(QStringLiteral("05.03.2026"));
    const qsizetype rca = text.indexOf(QStringLiteral("20.03.2026"));
    const qsizetype aviz = text.indexOf(QStringLiteral("aviz medical"));
    QVERIFY2(itp > 0 && rca > itp && aviz > rca, qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("DEPASIT")));
    QVERIFY(!text.contains(QStringLiteral("20.05.2026")));
    // Run again on the same connection, with less due: the rows are the day's.
    const QString later = ReportEngine(env.db()).run(request, QDate(2025, 1, 1)).toText();
    QVERIFY2(later.contains(QStringLiteral("Nimic nu expira")), qPrintable(later));
}

QTEST_GUILESS_MAIN(DriverStoreTest)
#include "tst_driverstore.moc"
