#include "db/database.h"
#include "fleet/vehiclestore.h"
#include "testenvironment.h"

#include <QtTest>

using namespace vok;

namespace {

VehicleRecord record(const QString &number, int implicit = 2)
{
    VehicleRecord r;
    r.nrauto = number;
    r.marca = QStringLiteral("ROMAN 8.135");
    r.formula = 1;
    r.motor = 2;
    r.Ca = 1.2;
    r.Cb = 18;
    r.Cf = 1.5;
    r.Ispec = 3;
    r.Iaerod = 1;
    r.consumption = {30.5, 25.25, 20.125, implicit};
    return r;
}

} // namespace

class VehicleStoreTest : public QObject {
    Q_OBJECT
private slots:
    void newNumberInsertsVehicleAndConsumption();
    void existingNumberIsUpdatedInPlace();
    void defaultConsumptionFollowsImplicit_data();
    void defaultConsumptionFollowsImplicit();
    void saveLeavesOtherColumnsAlone();
    void makesAreListedOnce();
    void removalRefusedWhileSheetsExist();
    void removalDropsVehicleAndMonthsOnly();
    void removalOfUnknownKey();
};

void VehicleStoreTest::newNumberInsertsVehicleAndConsumption()
{
    test::TestEnvironment env;
    VehicleStore store(env.db());
    const int ida = store.save(record(QStringLiteral("B-01-ABC")));
    QVERIFY(ida > 0);
    const std::optional<Vehicle> v = store.byNumber(QStringLiteral("B-01-ABC"));
    QVERIFY(v);
    QCOMPARE(v->ida, ida);
    QCOMPARE(v->apar, 1);
    QCOMPARE(v->formula, 1);
    QCOMPARE(v->motor, 2);
    QCOMPARE(v->Cb, 18.0);
    QCOMPARE(v->Ispec, 3);
    QCOMPARE(v->Iaerod, 1);
    const std::optional<Consumption> c = store.consumption(ida);
    QVERIFY(c);
    QCOMPARE(c->Cm3, 20.125);
    QCOMPARE(c->implicit, 2);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM consum")).toInt(), 1);
}

void VehicleStoreTest::existingNumberIsUpdatedInPlace()
{
    test::TestEnvironment env;
    VehicleStore store(env.db());
    const int first = store.save(record(QStringLiteral("B-01-ABC")));
    VehicleRecord changed = record(QStringLiteral("B-01-ABC"), 1);
    changed.marca = QStringLiteral("DACIA 1310");
    changed.formula = 2;
    changed.Ispec = 0;
    changed.consumption.Cm1 = 9.5;
    QCOMPARE(store.save(changed), first);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM consum")).toInt(), 1);
    const Vehicle v = *store.byId(first);
    QCOMPARE(v.marca, QStringLiteral("DACIA 1310"));
    QCOMPARE(v.formula, 2);
    QCOMPARE(v.Ispec, 0);
    QCOMPARE(v.Cm, 9.5);
    QCOMPARE(store.consumption(first)->implicit, 1);
}

void VehicleStoreTest::defaultConsumptionFollowsImplicit_data()
{
    QTest::addColumn<int>("implicit");
    QTest::addColumn<double>("cm");
    QTest::newRow("urban") << 1 << 30.5;
    QTest::newRow("mixed") << 2 << 25.25;
    QTest::newRow("extra-urban") << 3 << 20.125;
}

void VehicleStoreTest::defaultConsumptionFollowsImplicit()
{
    QFETCH(int, implicit);
    QFETCH(double, cm);
    test::TestEnvironment env;
    VehicleStore store(env.db());
    // First saved with another default, then changed: both rows follow.
    store.save(record(QStringLiteral("B-02"), implicit == 1 ? 3 : 1));
    const int ida = store.save(record(QStringLiteral("B-02"), implicit));
    QCOMPARE(store.byId(ida)->Cm, cm);
    const QString column = QStringLiteral("Cm%1").arg(implicit);
    QCOMPARE(env.value(QStringLiteral("SELECT a.Cm - c.") + column
                       + QStringLiteral(" FROM auto a JOIN consum c ON c.ida = a.ida WHERE c.implicit = ?"),
                       {implicit})
                 .toDouble(),
             0.0);
}

void VehicleStoreTest::saveLeavesOtherColumnsAlone()
{
    test::TestEnvironment env;
    VehicleStore store(env.db());
    const int ida = store.save(record(QStringLiteral("B-03")));
    env.sql(QStringLiteral("UPDATE auto SET apar=0, kmef=1500, restrez=40 WHERE ida=?"), {ida});
    store.save(record(QStringLiteral("B-03")));
    const Vehicle v = *store.byId(ida);
    QCOMPARE(v.apar, 0);
    QCOMPARE(v.kmef, 1500.0);
    QCOMPARE(v.restrez, 40.0);
}

void VehicleStoreTest::makesAreListedOnce()
{
    test::TestEnvironment env;
    VehicleStore store(env.db());
    store.save(record(QStringLiteral("B-1")));
    store.save(record(QStringLiteral("B-2")));
    VehicleRecord other = record(QStringLiteral("B-3"));
    other.marca = QStringLiteral("ARO 244");
    store.save(other);
    QCOMPARE(store.makes(), (QStringList{QStringLiteral("ARO 244"), QStringLiteral("ROMAN 8.135")}));
}

void VehicleStoreTest::removalRefusedWhileSheetsExist()
{
    test::TestEnvironment env;
    VehicleStore store(env.db());
    const int ida = store.save(record(QStringLiteral("B-04")));
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, idl, anul) VALUES (1, ?, 3, 2024)"), {ida});
    env.sql(QStringLiteral("INSERT INTO dateluna (ida, anul, idl) VALUES (?, 2024, 3)"), {ida});
    QCOMPARE(store.remove(ida), VehicleStore::Removal::HasSheets);
    QVERIFY(store.byId(ida));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna")).toInt(), 1);
}

void VehicleStoreTest::removalDropsVehicleAndMonthsOnly()
{
    test::TestEnvironment env;
    VehicleStore store(env.db());
    const int ida = store.save(record(QStringLiteral("B-05")));
    const int other = store.save(record(QStringLiteral("B-06")));
    env.sql(QStringLiteral("INSERT INTO dateluna (ida, anul, idl) VALUES (?, 2024, 3), (?, 2025, 3), (?, 2024, 3)"),
            {ida, ida, other});
    env.sql(QStringLiteral("INSERT INTO piese (ida, act, denp) VALUES (?, '1/2024', 'filtru')"), {ida});
    QCOMPARE(store.remove(ida), VehicleStore::Removal::Removed);
    QVERIFY(!store.byId(ida));
    {
        // Committed: another connection to the file sees the vehicle gone.
        QSqlDatabase second = database::openSqlite(env.context().dataFile, QStringLiteral("second"), DatabaseKind::Data);
        QCOMPARE(scalar(second, QStringLiteral("SELECT COUNT(*) FROM auto WHERE ida=?"), {ida}).toInt(), 0);
        QCOMPARE(scalar(second, QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {ida}).toInt(), 0);
    }
    database::close(QStringLiteral("second"));
    QVERIFY(store.byId(other));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {ida}).toInt(), 0);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {other}).toInt(), 1);
    // Its consum and piese rows stay behind.
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM consum WHERE ida=?"), {ida}).toInt(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM piese WHERE ida=?"), {ida}).toInt(), 1);
}

void VehicleStoreTest::removalOfUnknownKey()
{
    test::TestEnvironment env;
    QCOMPARE(VehicleStore(env.db()).remove(42), VehicleStore::Removal::NotFound);
}

QTEST_GUILESS_MAIN(VehicleStoreTest)
#include "tst_vehiclestore.moc"
