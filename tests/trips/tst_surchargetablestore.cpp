#include "db/database.h"
#include "trips/surcharge.h"
#include "trips/surchargetablestore.h"
#include "testenvironment.h"

#include <QtTest>

using namespace vok;

class SurchargeTableStoreTest : public QObject {
    Q_OBJECT
private slots:
    void towingColumn_data();
    void towingColumn();
    void towingRateReadsTheChosenColumnOfTheClickedRow();
    void rowsSharingTypeAndWeightKeepTheirOwnRate();
    void textsWithApostrophesAreRead();
    void missingRowOrValue();
    void urbanTableShowsRestulTwice();
    void towingTableKeepsStoredOrderAndShowsPlainNumbers();
    void modelIsReadOnly();
    void texts();
    void urbanDistanceText_data();
    void urbanDistanceText();
};

namespace {

void addTowingRow(test::TestEnvironment &env, const QString &nrcrt, const QString &type, const QString &weight,
                  double base)
{
    env.sql(QStringLiteral("INSERT INTO sporT (nrcrt, tip_r, gr, motor1r1, motor1r2, motor2r1, motor2r2, "
                           "motor3r1, motor3r2) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {nrcrt, type, weight, base + 11, base + 12, base + 21, base + 22, base + 31, base + 32});
}

int lastKey(test::TestEnvironment &env) { return env.value(QStringLiteral("SELECT MAX(idr) FROM sporT")).toInt(); }

} // namespace

void SurchargeTableStoreTest::towingColumn_data()
{
    QTest::addColumn<int>("motor");
    QTest::addColumn<int>("trailers");
    QTest::addColumn<QString>("column");
    QTest::newRow("class 1, one trailer") << 1 << 1 << "motor1r1";
    QTest::newRow("class 1, two trailers") << 1 << 2 << "motor1r2";
    QTest::newRow("class 2, one trailer") << 2 << 1 << "motor2r1";
    QTest::newRow("class 2, two trailers") << 2 << 2 << "motor2r2";
    QTest::newRow("class 3, one trailer") << 3 << 1 << "motor3r1";
    QTest::newRow("class 3, two trailers") << 3 << 2 << "motor3r2";
    QTest::newRow("no trailer") << 1 << 0 << QString();
    QTest::newRow("no vehicle chosen") << 0 << 1 << QString();
    QTest::newRow("unknown class") << 4 << 1 << QString();
}

void SurchargeTableStoreTest::towingColumn()
{
    QFETCH(int, motor);
    QFETCH(int, trailers);
    QFETCH(QString, column);
    QCOMPARE(SurchargeTableStore::towingColumn(motor, trailers).value_or(QString()), column);
}

void SurchargeTableStoreTest::towingRateReadsTheChosenColumnOfTheClickedRow()
{
    test::TestEnvironment env;
    addTowingRow(env, QStringLiteral("1"), QStringLiteral("Remorci usoare"), QStringLiteral("pana la 1"), 0);
    addTowingRow(env, QStringLiteral("2"), QStringLiteral("Remorci grele"), QStringLiteral("peste 5"), 100);
    const int heavy = lastKey(env);
    SurchargeTableStore store(env.db());
    const std::optional<TowingRate> rate = store.towingRate(heavy, 3, 2);
    QVERIFY(rate);
    QCOMPARE(rate->trailerType, QStringLiteral("Remorci grele"));
    QCOMPARE(rate->ownWeight, QStringLiteral("peste 5"));
    QCOMPARE(rate->rate, 132.0);
    QCOMPARE(store.towingRate(heavy, 2, 1)->rate, 121.0);
    QCOMPARE(store.towingRate(heavy - 1, 1, 1)->rate, 11.0);
}

void SurchargeTableStoreTest::rowsSharingTypeAndWeightKeepTheirOwnRate()
{
    // Two rows of the normative may carry the same trailer type and weight
    // class (9a and 9b); each row clicked gives its own value.
    test::TestEnvironment env;
    addTowingRow(env, QStringLiteral("9a"), QStringLiteral("Automobile"), QStringLiteral("-"), 0);
    const int first = lastKey(env);
    addTowingRow(env, QStringLiteral("9b"), QStringLiteral("Automobile"), QStringLiteral("-"), 50);
    const int second = lastKey(env);
    SurchargeTableStore store(env.db());
    QCOMPARE(store.towingRate(first, 1, 1)->rate, 11.0);
    QCOMPARE(store.towingRate(second, 1, 1)->rate, 61.0);
}

void SurchargeTableStoreTest::textsWithApostrophesAreRead()
{
    test::TestEnvironment env;
    addTowingRow(env, QStringLiteral("3"), QStringLiteral("Remorci ' OR 1=1 --"), QStringLiteral("2'5"), 0);
    const std::optional<TowingRate> rate = SurchargeTableStore(env.db()).towingRate(lastKey(env), 1, 2);
    QVERIFY(rate);
    QCOMPARE(rate->trailerType, QStringLiteral("Remorci ' OR 1=1 --"));
    QCOMPARE(rate->ownWeight, QStringLiteral("2'5"));
    QCOMPARE(rate->rate, 12.0);
}

void SurchargeTableStoreTest::missingRowOrValue()
{
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO sporT (nrcrt, tip_r, gr, motor1r1) VALUES ('4', 'X', 'Y', 7.5)"));
    SurchargeTableStore store(env.db());
    const int key = lastKey(env);
    QCOMPARE(store.towingRate(key, 1, 1)->rate, 7.5);
    QCOMPARE(store.towingRate(key, 2, 2)->rate, 0.0); // an empty cell of the table reads 0
    QVERIFY(!store.towingRate(key + 1, 1, 1));
    QVERIFY(!store.towingRate(key, 0, 1));
    QVERIFY(!store.towingRate(key, 1, 0));
}

void SurchargeTableStoreTest::urbanTableShowsRestulTwice()
{
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO sporU (autom, bucur, restul) VALUES ('Autoturisme', 25, 15)"));
    env.sql(QStringLiteral("INSERT INTO sporU (autom, bucur, restul) VALUES ('Autobuze', 20, 12.5)"));
    ReferenceTableModel model;
    SurchargeTableStore(env.db()).loadUrbanTable(model);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Autoturisme"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("25"));
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("12.5"));
    QCOMPARE(model.index(1, 3).data().toString(), QStringLiteral("12.5"));
}

void SurchargeTableStoreTest::towingTableKeepsStoredOrderAndShowsPlainNumbers()
{
    test::TestEnvironment env;
    addTowingRow(env, QStringLiteral("2"), QStringLiteral("B"), QStringLiteral("b"), 0.5);
    addTowingRow(env, QStringLiteral("1"), QStringLiteral("A"), QStringLiteral("a"), 1000);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    ReferenceTableModel model;
    SurchargeTableStore(env.db()).loadTowingTable(model);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(model.columnCount(), 10);
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("2"));
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("B"));
    QCOMPARE(model.index(0, SurchargeTableStore::towingFirstRateColumn).data().toString(), QStringLiteral("11.5"));
    QCOMPARE(model.index(1, 9).data().toString(), QStringLiteral("1032"));
    QCOMPARE(model.index(1, SurchargeTableStore::towingKeyColumn).data().toInt(), lastKey(env));
}

void SurchargeTableStoreTest::modelIsReadOnly()
{
    test::TestEnvironment env;
    addTowingRow(env, QStringLiteral("1"), QStringLiteral("A"), QStringLiteral("a"), 0);
    ReferenceTableModel model;
    SurchargeTableStore(env.db()).loadTowingTable(model);
    QVERIFY(!(model.flags(model.index(0, 4)) & Qt::ItemIsEditable));
    QVERIFY(!model.setData(model.index(0, 4), 99.0));
    QCOMPARE(env.value(QStringLiteral("SELECT motor1r1 FROM sporT")).toDouble(), 11.0);
}

void SurchargeTableStoreTest::texts()
{
    QCOMPARE(surcharge::equivalentKm(QStringLiteral("12"), QStringLiteral("25")), 3.0);
    QCOMPARE(surcharge::equivalentKm(QStringLiteral("12 km"), QStringLiteral("abc")), 0.0);
    QCOMPARE(surcharge::urbanResultText(3.0), QStringLiteral("U = (Pu/100) * u = 3.0"));
    QCOMPARE(surcharge::urbanResultText(3.25), QStringLiteral("U = (Pu/100) * u = 3.3"));
    QCOMPARE(surcharge::urbanPreviewText(QStringLiteral("12.0")), QStringLiteral("km echiv. la 12.0 km in urban"));
    QCOMPARE(surcharge::towingResultText(0), QStringLiteral("T = (Pt / 100) * t = 0.0"));
    QCOMPARE(surcharge::towingPreviewText(QStringLiteral("40.0")), QStringLiteral("km echiv. la 40.0 km tractati"));
    QCOMPARE(surcharge::towingDescription(QStringLiteral("Remorci"), QStringLiteral("1 - 3"), 7.5),
             QStringLiteral("Tip remorca tractata : Remorci  -  greutatea proprie (tone) 1 - 3  :  7.5 km echiv./100 km"));
}

void SurchargeTableStoreTest::urbanDistanceText_data()
{
    QTest::addColumn<double>("km");
    QTest::addColumn<QString>("text");
    QTest::newRow("none typed yet") << 0.0 << QString();
    QTest::newRow("whole") << 12.0 << "12.0";
    QTest::newRow("one decimal") << 7.5 << "7.5";
    QTest::newRow("never reformatted") << 12.34 << "12.34";
}

void SurchargeTableStoreTest::urbanDistanceText()
{
    QFETCH(double, km);
    QFETCH(QString, text);
    QCOMPARE(surcharge::urbanDistanceText(km), text);
}

QTEST_GUILESS_MAIN(SurchargeTableStoreTest)
#include "tst_surchargetablestore.moc"
