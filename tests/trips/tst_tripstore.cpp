#include "db/database.h"
#include "testenvironment.h"
#include "trips/triplookupstore.h"
#include "trips/tripstore.h"

#include <QSqlQueryModel>
#include <QtTest>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

Trip sample(int idf, int nrc)
{
    Trip t;
    t.idf = idf;
    t.nrc = nrc;
    t.km = {10, 20.5, 0, 1, 2, 3};
    t.kmT = 36.5;
    t.kmE = 38.3;
    t.Kg = 1.15;
    t.Gm = 5.5;
    t.T = 1.5;
    t.U = 2.5;
    t.I = 0.5;
    t.nri = 2;
    t.Ra = -2;
    t.A = 1.1;
    t.nrq1 = 4;
    t.nrq4 = 1;
    t.Cn = 12.345;
    t.Cu = 0.2;
    t.remorca = 2;
    t.traseu = s("Bucuresti - Pitesti");
    t.kmtract = 12;
    t.kmurb = 8.5;
    return t;
}

void seedLookups(test::TestEnvironment &env)
{
    for (const char *row : {"(10, 1.40, 1.45, 1.30, 1.35)", "(1, 1.05, 1.10, 1.02, 1.06)", "(5, 1.20, 1.25, 1.15, 1.18)"})
        env.sql(s("INSERT INTO coefKg (tone, motor1fr, motor1r, motor23fr, motor23r) VALUES ") + s(row));
    env.sql(s("INSERT INTO sporI (nri, fel_auto, fel_prest, fel_prest2, sporkm) VALUES "
              "(1, 'autobasculanta', 'basculare', 'bena', 0.5), (2, 'autocisterna', 'm3', 'pompare', 1.2)"));
    env.sql(s("INSERT INTO auto (nrauto, Cm) VALUES ('A', 30), ('B', 7)"));
    env.sql(s("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (1, 34, 30, 28, 2)"));
}

} // namespace

class TripStoreTest : public QObject {
    Q_OBJECT
private slots:
    void insertAndRead();
    void overwriteKeepsKeySheetAndNumber();
    void removeByNumberAndKey();
    void gridColumnsAndRows();
    void loadColumn_data();
    void loadColumn();
    void loadCoefficient_data();
    void loadCoefficient();
    void installation();
    void chooseRegime();
};

void TripStoreTest::insertAndRead()
{
    test::TestEnvironment env;
    TripStore store(env.db());
    const int idc = env.written([&](WriteRun &run) { return store.insert(run, sample(3, 1)); });
    const std::optional<Trip> t = store.byId(idc);
    QVERIFY(t);
    QCOMPARE(t->idf, 3);
    QCOMPARE(t->nrc, 1);
    QCOMPARE(t->km[1], 20.5);
    QCOMPARE(t->km[5], 3.0);
    QCOMPARE(t->kmT, 36.5);
    QCOMPARE(t->kmE, 38.3);
    QCOMPARE(t->Kg, 1.15);
    QCOMPARE(t->Gm, 5.5);
    QCOMPARE(t->T, 1.5);
    QCOMPARE(t->U, 2.5);
    QCOMPARE(t->I, 0.5);
    QCOMPARE(t->nri, 2);
    QCOMPARE(t->Ra, -2.0);
    QCOMPARE(t->A, 1.1);
    QCOMPARE(t->nrq1, 4);
    QCOMPARE(t->nrq4, 1);
    QCOMPARE(t->Cn, 12.345);
    QCOMPARE(t->Cu, 0.2);
    QCOMPARE(t->remorca, 2);
    QCOMPARE(t->traseu, s("Bucuresti - Pitesti"));
    QCOMPARE(t->kmtract, 12.0);
    QCOMPARE(t->kmurb, 8.5);
    QCOMPARE(store.byNumber(3, 1)->idc, idc);
    QVERIFY(!store.byNumber(4, 1));
    // A route with an apostrophe is only text.
    Trip quoted = sample(3, 2);
    quoted.traseu = s("O'Neill'); DROP TABLE curse; --");
    env.written([&](WriteRun &run) { return store.insert(run, quoted); });
    QCOMPARE(store.byNumber(3, 2)->traseu, quoted.traseu);
}

void TripStoreTest::overwriteKeepsKeySheetAndNumber()
{
    test::TestEnvironment env;
    TripStore store(env.db());
    const int idc = env.written([&](WriteRun &run) { return store.insert(run, sample(3, 1)); });
    Trip changed = sample(99, 77);
    changed.km = {0, 0, 0, 0, 0, 100};
    changed.kmT = 100;
    changed.Cn = 50;
    changed.U = 0;
    changed.traseu = s("nou");
    env.written([&](WriteRun &run) { return store.overwrite(run, *store.byId(idc), changed); });
    const Trip t = *store.byId(idc);
    QCOMPARE(t.idf, 3);
    QCOMPARE(t.nrc, 1);
    QCOMPARE(t.km[5], 100.0);
    QCOMPARE(t.kmT, 100.0);
    QCOMPARE(t.Cn, 50.0);
    QCOMPARE(t.U, 0.0);
    QCOMPARE(t.traseu, s("nou"));
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM curse")).toInt(), 1);
}

void TripStoreTest::removeByNumberAndKey()
{
    test::TestEnvironment env;
    TripStore store(env.db());
    env.written([&](WriteRun &run) { return store.insert(run, sample(3, 1)); });
    const int second = env.written([&](WriteRun &run) { return store.insert(run, sample(3, 2)); });
    env.written([&](WriteRun &run) { return store.insert(run, sample(4, 1)); });
    env.written([&](WriteRun &run) { return store.removeByNumber(run, 3, 1); });
    QVERIFY(!store.byNumber(3, 1));
    QVERIFY(store.byNumber(4, 1));
    env.written([&](WriteRun &run) { return store.removeByNumber(run, 3, 9); }); // nothing there: nothing happens
    env.written([&](WriteRun &run) { return store.removeById(run, second); });
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM curse")).toInt(), 1);
}

void TripStoreTest::gridColumnsAndRows()
{
    test::TestEnvironment env;
    TripStore store(env.db());
    env.written([&](WriteRun &run) { return store.insert(run, sample(3, 2)); });
    env.written([&](WriteRun &run) { return store.insert(run, sample(3, 1)); });
    env.written([&](WriteRun &run) { return store.insert(run, sample(4, 1)); });
    QSqlQueryModel model;
    store.showTrips(&model, 3);
    QCOMPARE(model.columnCount(), 21);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(TripStore::gridColumns().size(), 21);
    QCOMPARE(model.data(model.index(0, 1)).toInt(), 2); // in the order they were saved
    QCOMPARE(model.data(model.index(0, 10)).toDouble(), 5.5);  // Gm
    QCOMPARE(model.data(model.index(0, 11)).toDouble(), 1.15); // Kg
    QCOMPARE(model.data(model.index(0, 20)).toDouble(), 0.2);  // Cu
    store.showTrips(&model, -1);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 21);
}

void TripStoreTest::loadColumn_data()
{
    QTest::addColumn<int>("motor");
    QTest::addColumn<bool>("trailer");
    QTest::addColumn<QString>("column");
    QTest::newRow("class 1, none") << 1 << false << s("motor1fr");
    QTest::newRow("class 1, trailer") << 1 << true << s("motor1r");
    QTest::newRow("class 2, none") << 2 << false << s("motor23fr");
    QTest::newRow("class 3, trailer") << 3 << true << s("motor23r");
}

void TripStoreTest::loadColumn()
{
    QFETCH(int, motor);
    QFETCH(bool, trailer);
    QFETCH(QString, column);
    QCOMPARE(TripLookupStore::loadColumn(motor, trailer), column);
}

void TripStoreTest::loadCoefficient_data()
{
    QTest::addColumn<double>("load");
    QTest::addColumn<int>("motor");
    QTest::addColumn<bool>("trailer");
    QTest::addColumn<double>("Kg"); // 0: no row
    QTest::newRow("exact") << 5.0 << 1 << false << 1.20;
    QTest::newRow("between") << 5.01 << 1 << true << 1.45;
    QTest::newRow("zero takes the smallest") << 0.0 << 2 << false << 1.02;
    QTest::newRow("class 3 as class 2") << 1.0 << 3 << true << 1.06;
    QTest::newRow("above every tonnage") << 10.5 << 1 << false << 0.0;
}

void TripStoreTest::loadCoefficient()
{
    QFETCH(double, load);
    QFETCH(int, motor);
    QFETCH(bool, trailer);
    QFETCH(double, Kg);
    test::TestEnvironment env;
    seedLookups(env);
    const std::optional<double> found = TripLookupStore(env.db()).loadCoefficient(load, motor, trailer);
    if (Kg == 0)
        QVERIFY(!found);
    else
        QCOMPARE(found.value_or(-1), Kg);
}

void TripStoreTest::installation()
{
    test::TestEnvironment env;
    seedLookups(env);
    TripLookupStore store(env.db());
    const std::optional<SpecialInstallation> inst = store.installation(2);
    QVERIFY(inst);
    QCOMPARE(inst->felPrest, s("m3"));
    QCOMPARE(inst->felPrest2, s("pompare"));
    QCOMPARE(inst->sporkm, 1.2);
    QVERIFY(!store.installation(7));
}

void TripStoreTest::chooseRegime()
{
    test::TestEnvironment env;
    seedLookups(env);
    TripLookupStore store(env.db());
    env.sql(s("UPDATE auto SET Cm=99 WHERE ida=1"));
    QCOMPARE(env.written([&](WriteRun &run) { return store.chooseRegime(run, 1, 2); }).value_or(-1), 30.0);
    QCOMPARE(env.value(s("SELECT Cm FROM auto WHERE ida=1")).toDouble(), 99.0); // the default: nothing written
    QCOMPARE(env.written([&](WriteRun &run) { return store.chooseRegime(run, 1, 1); }).value_or(-1), 34.0);
    QCOMPARE(env.value(s("SELECT Cm FROM auto WHERE ida=1")).toDouble(), 34.0);
    QCOMPARE(env.value(s("SELECT implicit FROM consum WHERE ida=1")).toInt(), 1);
    QVERIFY(!env.written([&](WriteRun &run) { return store.chooseRegime(run, 2, 1); })); // no consum row
    QCOMPARE(env.value(s("SELECT Cm FROM auto WHERE ida=2")).toDouble(), 7.0);
    QCOMPARE(store.regimes(1)->implicit, 1);
    QVERIFY(!store.regimes(2));
}

QTEST_GUILESS_MAIN(TripStoreTest)
#include "tst_tripstore.moc"
