#include "db/database.h"
#include "testenvironment.h"
#include "trips/sheetstore.h"

#include <QtTest>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

SheetHeader header(int nrf, int ida, int day, int month, int year, double orap = 8, double oras = 16)
{
    SheetHeader h;
    h.nrf = nrf;
    h.ida = ida;
    h.sofer = s("POPESCU");
    h.orap = orap;
    h.oras = oras;
    h.data = QStringLiteral("%1.%2.%3").arg(day, 2, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0')).arg(year);
    h.decada = decadeOf(day);
    h.idl = month;
    h.anul = year;
    return h;
}

QStringList monthRows(test::TestEnvironment &env)
{
    QSqlQuery q = exec(env.db(), s("SELECT ida, anul, idl FROM dateluna ORDER BY ida, anul, idl"));
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1/%2.%3").arg(q.value(0).toInt()).arg(q.value(1).toInt()).arg(q.value(2).toInt());
    return rows;
}

} // namespace

class SheetStoreTest : public QObject {
    Q_OBJECT
private slots:
    void decades_data();
    void decades();
    void numbersOfTheMonth();
    void numberIsUniqueAcrossYears();
    void driversOnceInOrder();
    void insertReadsBackTheKey();
    void hoursAsTheSheetWritesThem();
    void updateDropsTheMonthItLeaves_data();
    void updateDropsTheMonthItLeaves();
    void removeDropsItsOwnMonthOnly();
};

void SheetStoreTest::decades_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("decade");
    for (auto [day, decade] : {std::pair{1, 1}, {10, 1}, {11, 2}, {20, 2}, {21, 3}, {31, 3}})
        QTest::newRow(qPrintable(QString::number(day))) << day << decade;
}

void SheetStoreTest::decades()
{
    QFETCH(int, day);
    QFETCH(int, decade);
    QCOMPARE(decadeOf(day), decade);
}

void SheetStoreTest::numbersOfTheMonth()
{
    test::TestEnvironment env;
    SheetStore store(env.db());
    env.written([&](WriteRun &run) { return store.insert(run, header(12, 1, 5, 3, 2026)); });
    env.written([&](WriteRun &run) { return store.insert(run, header(3, 1, 25, 3, 2026)); });
    env.written([&](WriteRun &run) { return store.insert(run, header(4, 1, 1, 4, 2026)); });
    env.written([&](WriteRun &run) { return store.insert(run, header(5, 1, 1, 3, 2025)); });
    env.written([&](WriteRun &run) { return store.insert(run, header(6, 2, 1, 3, 2026)); });
    QCOMPARE(store.numbers(1, 3, 2026), (QList<int>{3, 12}));
    QCOMPARE(store.numbers(1, 0, 2026), (QList<int>{3, 4, 12}));
    QCOMPARE(store.numbers(1, 3, 2024), QList<int>{});
}

void SheetStoreTest::numberIsUniqueAcrossYears()
{
    test::TestEnvironment env;
    SheetStore store(env.db());
    const int idf = env.written([&](WriteRun &run) { return store.insert(run, header(15, 1, 10, 1, 2025)); });
    const std::optional<Sheet> sheet = store.byNumber(1, 15);
    QVERIFY(sheet);
    QCOMPARE(sheet->idf, idf);
    QCOMPARE(sheet->anul, 2025);
    QVERIFY(!store.byNumber(2, 15));
    QVERIFY_THROWS_EXCEPTION(DbError, env.written([&](WriteRun &run) { return store.insert(run, header(15, 1, 10, 3, 2026)); }));
}

void SheetStoreTest::driversOnceInOrder()
{
    test::TestEnvironment env;
    SheetStore store(env.db());
    SheetHeader h = header(1, 1, 1, 1, 2026);
    for (const char *name : {"VASILE", "ANDREI", "VASILE", "MIHAI"}) {
        h.sofer = s(name);
        ++h.nrf;
        env.written([&](WriteRun &run) { return store.insert(run, h); });
    }
    QCOMPARE(store.drivers(), (QStringList{s("ANDREI"), s("MIHAI"), s("VASILE")}));
}

void SheetStoreTest::insertReadsBackTheKey()
{
    test::TestEnvironment env;
    SheetStore store(env.db());
    const int first = env.written([&](WriteRun &run) { return store.insert(run, header(1, 1, 5, 3, 2026)); });
    const int second = env.written([&](WriteRun &run) { return store.insert(run, header(2, 1, 15, 3, 2026)); });
    QVERIFY(second != first);
    const std::optional<Sheet> sheet = store.byId(second);
    QVERIFY(sheet);
    QCOMPARE(sheet->nrf, 2);
    QCOMPARE(sheet->data, s("15.03.2026"));
    QCOMPARE(sheet->decada, 2);
    QVERIFY(!store.hasTrips(second));
    env.sql(s("INSERT INTO curse (idf, nrc) VALUES (?, 1)"), {second});
    QVERIFY(store.hasTrips(second));
    QVERIFY(!store.hasTrips(first));
}

void SheetStoreTest::hoursAsTheSheetWritesThem()
{
    test::TestEnvironment env;
    SheetStore store(env.db());
    const int idf = env.written([&](WriteRun &run) { return store.insert(run, header(1, 1, 5, 3, 2026, 8.1, 17.3)); });
    QCOMPARE(env.value(s("SELECT nrore FROM foaie WHERE idf=?"), {idf}).toDouble(), 9.2);
    env.written([&](WriteRun &run) { return store.update(run, *store.byId(idf), header(1, 1, 5, 3, 2026, 7.3, 15.45)); });
    QCOMPARE(env.value(s("SELECT nrore FROM foaie WHERE idf=?"), {idf}).toDouble(), 8.15);
    QCOMPARE(env.value(s("SELECT orap FROM foaie WHERE idf=?"), {idf}).toDouble(), 7.3);
}

void SheetStoreTest::updateDropsTheMonthItLeaves_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("same month") << 3 << 2026 << QStringList{s("1/2025.3"), s("1/2026.3"), s("1/2026.4"), s("2/2026.3")};
    QTest::newRow("next month") << 4 << 2026 << QStringList{s("1/2025.3"), s("1/2026.4"), s("2/2026.3")};
    QTest::newRow("same month, next year") << 3 << 2027 << QStringList{s("1/2025.3"), s("1/2026.4"), s("2/2026.3")};
}

void SheetStoreTest::updateDropsTheMonthItLeaves()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QStringList, left);
    test::TestEnvironment env;
    SheetStore store(env.db());
    const int idf = env.written([&](WriteRun &run) { return store.insert(run, header(20, 1, 15, 3, 2026)); });
    for (const char *row : {"(1, 2025, 3)", "(1, 2026, 3)", "(1, 2026, 4)", "(2, 2026, 3)"})
        env.sql(s("INSERT INTO dateluna (ida, anul, idl) VALUES ") + s(row));
    env.written([&](WriteRun &run) { return store.update(run, *store.byId(idf), header(20, 1, 21, month, year)); });
    QCOMPARE(monthRows(env), left);
    const Sheet sheet = *store.byId(idf);
    QCOMPARE(sheet.idl, month);
    QCOMPARE(sheet.anul, year);
    QCOMPARE(sheet.decada, 3);
}

void SheetStoreTest::removeDropsItsOwnMonthOnly()
{
    test::TestEnvironment env;
    SheetStore store(env.db());
    const int idf = env.written([&](WriteRun &run) { return store.insert(run, header(20, 1, 15, 3, 2026)); });
    const int other = env.written([&](WriteRun &run) { return store.insert(run, header(21, 1, 15, 3, 2026)); });
    env.sql(s("INSERT INTO curse (idf, nrc) VALUES (?, 1), (?, 2), (?, 1)"), {idf, idf, other});
    for (const char *row : {"(1, 2025, 3)", "(1, 2026, 3)", "(1, 2026, 4)", "(2, 2026, 3)"})
        env.sql(s("INSERT INTO dateluna (ida, anul, idl) VALUES ") + s(row));
    env.written([&](WriteRun &run) { return store.remove(run, *store.byId(idf)); });
    QVERIFY(!store.byId(idf));
    QVERIFY(store.byId(other));
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM curse")).toInt(), 1);
    QCOMPARE(monthRows(env), (QStringList{s("1/2025.3"), s("1/2026.4"), s("2/2026.3")}));
}

QTEST_GUILESS_MAIN(SheetStoreTest)
#include "tst_sheetstore.moc"
