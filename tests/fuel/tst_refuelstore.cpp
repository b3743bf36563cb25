#include "db/database.h"
#include "base/numbers.h"
#include "fuel/refuelrules.h"
#include "fuel/refuelstore.h"
#include "testenvironment.h"

#include <QRegularExpression>
#include <QtTest>

using namespace vok;
using refuel::annualSelection;
using refuel::monthlySelection;

class RefuelStoreTest : public QObject {
    Q_OBJECT
private slots:
    void sheetNumbersOfOneMonth();
    void sheetNeverSavedReadsZeroAndEmpty();
    void saveWritesOnlyThatSheet();
    void saveOfAVanishedSheetIsAnError();
    void selectionAdmitsOnlySheetsWithAQuantity();
};

namespace {

void addSheet(test::TestEnvironment &env, int ida, int nrf, int year, int month, const QString &data = {})
{
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, anul, idl, data) VALUES (?, ?, ?, ?, ?)"),
            {nrf, ida, year, month, data});
}

// The rows of foaie that a selection formula admits. The formulas this window
// builds are plain comparisons of {foaie.column} with numbers joined by "and"
// and "or", so removing the braces gives the same condition in SQL.
QList<int> selected(test::TestEnvironment &env, const QString &formula)
{
    QString condition = formula;
    condition.replace(QRegularExpression(QStringLiteral("\\{foaie\\.(\\w+)\\}")), QStringLiteral("\\1"));
    QSqlQuery query = exec(env.db(), QStringLiteral("SELECT nrf FROM foaie WHERE ") + condition
                                         + QStringLiteral(" ORDER BY nrf"));
    QList<int> numbers;
    while (query.next())
        numbers << query.value(0).toInt();
    return numbers;
}

} // namespace

void RefuelStoreTest::sheetNumbersOfOneMonth()
{
    test::TestEnvironment env;
    addSheet(env, 1, 12, 2024, 3);
    addSheet(env, 1, 3, 2024, 3);
    addSheet(env, 1, 100, 2024, 3);
    addSheet(env, 1, 7, 2024, 4);   // another month
    addSheet(env, 1, 8, 2023, 3);   // another year
    addSheet(env, 2, 5, 2024, 3);   // another vehicle
    RefuelStore store(env.db());
    QCOMPARE(store.sheetNumbers(1, 2024, 3), (QList<int>{3, 12, 100}));
    QCOMPARE(store.sheetNumbers(1, 2024, 5), QList<int>());
}

void RefuelStoreTest::sheetNeverSavedReadsZeroAndEmpty()
{
    test::TestEnvironment env;
    addSheet(env, 1, 9, 2024, 3, QStringLiteral("04.03.2024"));
    RefuelStore store(env.db());
    const std::optional<SheetRefuel> sheet = store.sheet(1, 9);
    QVERIFY(sheet);
    QVERIFY(sheet->idf > 0);
    QCOMPARE(sheet->nrf, 9);
    QCOMPARE(sheet->data, QStringLiteral("04.03.2024"));
    QCOMPARE(sheet->bm + sheet->gz + sheet->um + sheet->ut + sheet->ua + sheet->restit, 0.0);
    QVERIFY(!sheet->schu && !sheet->schf);
    QVERIFY(sheet->nractc.isEmpty() && sheet->nractschu.isEmpty() && sheet->nractrst.isEmpty());
    QVERIFY(!store.sheet(1, 10));
    QVERIFY(!store.sheet(2, 9));
}

void RefuelStoreTest::saveWritesOnlyThatSheet()
{
    test::TestEnvironment env;
    addSheet(env, 1, 1, 2024, 3);
    addSheet(env, 1, 2, 2024, 3);
    RefuelStore store(env.db());
    SheetRefuel v = *store.sheet(1, 2);
    v.bm = singleValue(40.1f);
    v.gz = 0;
    v.nractc = QStringLiteral("BF 12/04.03");
    v.um = 1.5;
    v.nractu1 = QStringLiteral("u1");
    v.ut = 0.25;
    v.nractu2 = QStringLiteral("u2");
    v.ua = 2;
    v.nractu3 = QStringLiteral("u3");
    v.schu = true;
    v.nractschu = QStringLiteral("su");
    v.schf = true;
    v.nractschf = QStringLiteral("sf");
    v.restit = 3.125;
    v.nractrst = QStringLiteral("r");
    store.save(v);

    const SheetRefuel back = *store.sheet(1, 2);
    QCOMPARE(back.bm, 40.1);
    QCOMPARE(back.gz, 0.0);
    QCOMPARE(back.nractc, v.nractc);
    QCOMPARE(back.um, 1.5);
    QCOMPARE(back.ut, 0.25);
    QCOMPARE(back.ua, 2.0);
    QCOMPARE(back.nractu1 + back.nractu2 + back.nractu3, QStringLiteral("u1u2u3"));
    QVERIFY(back.schu && back.schf);
    QCOMPARE(back.nractschu + back.nractschf, QStringLiteral("susf"));
    QCOMPARE(back.restit, 3.125);
    QCOMPARE(back.nractrst, QStringLiteral("r"));
    QCOMPARE(env.value(QStringLiteral("SELECT schu FROM foaie WHERE nrf=2")).toInt(), 1);

    // The other sheet is untouched.
    const SheetRefuel other = *store.sheet(1, 1);
    QCOMPARE(other.bm + other.um + other.restit, 0.0);
    QVERIFY(other.nractc.isEmpty());
}

void RefuelStoreTest::saveOfAVanishedSheetIsAnError()
{
    test::TestEnvironment env;
    addSheet(env, 1, 1, 2024, 3);
    RefuelStore store(env.db());
    SheetRefuel v = *store.sheet(1, 1);
    env.sql(QStringLiteral("DELETE FROM foaie"));
    v.bm = 10;
    QVERIFY_THROWS_EXCEPTION(DbError, store.save(v));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM foaie")).toInt(), 0);
}

void RefuelStoreTest::selectionAdmitsOnlySheetsWithAQuantity()
{
    test::TestEnvironment env;
    const auto sheet = [&](int nrf, int month, const QString &set, int ida = 1) {
        addSheet(env, ida, nrf, 2024, month);
        if (!set.isEmpty())
            env.sql(QStringLiteral("UPDATE foaie SET ") + set + QStringLiteral(" WHERE nrf=?"), {nrf});
    };
    sheet(1, 3, QStringLiteral("bm=40"));
    sheet(2, 3, QStringLiteral("schu=1, nractschu='x'"));   // oil change only
    sheet(3, 3, QStringLiteral("schf=1"));                  // filter change only
    sheet(4, 3, QString());                                  // nothing recorded
    sheet(5, 3, QStringLiteral("gz=10"));
    sheet(6, 3, QStringLiteral("um=1"));
    sheet(7, 3, QStringLiteral("ut=1"));
    sheet(8, 3, QStringLiteral("ua=1"));
    sheet(9, 3, QStringLiteral("restit=2"));
    sheet(10, 4, QStringLiteral("bm=5"));                    // another month
    sheet(11, 3, QStringLiteral("bm=5"), 2);                 // another vehicle
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, anul, idl, bm) VALUES (12, 1, 2023, 3, 5)"));

    QCOMPARE(selected(env, monthlySelection(2024, 3, 1)), (QList<int>{1, 5, 6, 7, 8, 9}));
    QCOMPARE(selected(env, annualSelection(2024, 1)), (QList<int>{1, 5, 6, 7, 8, 9, 10}));
    // A month in which the vehicle only had an oil change selects nothing.
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, anul, idl, schu, schf) VALUES (13, 1, 2024, 6, 1, 1)"));
    QCOMPARE(selected(env, monthlySelection(2024, 6, 1)), QList<int>());
}

QTEST_GUILESS_MAIN(RefuelStoreTest)
#include "tst_refuelstore.moc"
