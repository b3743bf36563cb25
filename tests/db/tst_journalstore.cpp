// A deleted sheet brought back from the journal ("Readucere foaie stearsa")
// into a closed month: the month and the closed months after it are closed
// again in the same transaction, and the clerk is told which.
#include "db/database.h"
#include "db/journalstore.h"
#include "months/monthclose.h"
#include "months/monthstatus.h"
#include "monthfixtures.h"
#include "trips/tripsheetservice.h"

#include <QtTest>

using namespace vok;
using namespace vok::test;

class JournalStoreTest : public QObject {
    Q_OBJECT
private slots:
    void restoreRecomputesTheClosedMonths_data();
    void restoreRecomputesTheClosedMonths();
};

namespace {

double rest(TestEnvironment &env, int month)
{
    const QVariant value = env.value(QStringLiteral("SELECT restrez FROM dateluna WHERE anul=2026 AND idl=?"), {month});
    return value.isValid() ? value.toDouble() : -1;
}

} // namespace

void JournalStoreTest::restoreRecomputesTheClosedMonths_data()
{
    QTest::addColumn<bool>("closedAgain");  // February closed again after the deletion
    QTest::addColumn<bool>("failing");      // writing April fails
    QTest::addColumn<QList<double>>("rests"); // January to April afterwards (-1: no row)
    QTest::addColumn<QStringList>("recomputed");
    // 30 + 40 - 20 = 50; February with sheet 10 (10 l, 5 l burnt) 75, without it 70.
    QTest::newRow("closed again") << true << false << QList<double>{50, 75, 95, 115}
                                  << QStringList{"februarie 2026", "martie 2026", "aprilie 2026"};
    QTest::newRow("left not closed") << false << false << QList<double>{50, -1, 95, 115} << QStringList{};
    QTest::newRow("the recompute fails") << true << true << QList<double>{50, 70, 90, 110} << QStringList{};
}

void JournalStoreTest::restoreRecomputesTheClosedMonths()
{
    QFETCH(bool, closedAgain);
    QFETCH(bool, failing);
    QFETCH(QList<double>, rests);
    QFETCH(QStringList, recomputed);
    TestEnvironment env;
    const int ida = addVehicle(env, {.restrez = 30});
    for (int month = 1; month <= 4; ++month) {
        const int idf = addSheet(env, ida, {.nrf = month, .anul = 2026, .idl = month, .bm = 40});
        addTrip(env, idf, {.kmT = 100, .kmE = 100, .Cn = 20});
    }
    const int extra = addSheet(env, ida, {.nrf = 10, .anul = 2026, .idl = 2, .bm = 10});
    addTrip(env, extra, {.kmT = 10, .kmE = 10, .Cn = 5});
    for (int month = 1; month <= 4; ++month)
        closeMonth(env.db(), ida, 2026, month);
    QCOMPARE(rest(env, 4), 115.0);

    TripSheetService service(env.db());
    service.deleteSheet(*service.sheets().byNumber(ida, 10));
    QCOMPARE(rest(env, 2), -1.0); // the deletion leaves February not closed
    if (closedAgain)
        recomputeChain(env.db(), ida, 2026, 2);
    const qint64 idj = env.value(QStringLiteral("SELECT idj FROM jurnal WHERE tabela='foaie' AND actiune=?"),
                                 {Change::deleted()})
                           .toLongLong();
    if (failing) {
        if (env.onServer()) {
            env.sql(QStringLiteral("CREATE FUNCTION april_fails() RETURNS trigger AS $$ BEGIN "
                                   "IF NEW.idl = 4 THEN RAISE EXCEPTION 'aprilie blocat'; END IF; RETURN NEW; END "
                                   "$$ LANGUAGE plpgsql"));
            env.sql(QStringLiteral("CREATE TRIGGER april_fails BEFORE UPDATE ON dateluna FOR EACH ROW "
                                   "EXECUTE FUNCTION april_fails()"));
        } else {
            env.sql(QStringLiteral("CREATE TRIGGER april_fails BEFORE UPDATE ON dateluna WHEN NEW.idl = 4 "
                                   "BEGIN SELECT RAISE(ABORT, 'aprilie blocat'); END"));
        }
    }

    JournalStore journal(env.db());
    QStringList told;
    if (failing) {
        QVERIFY_THROWS_EXCEPTION(DbError, journal.restoreSheet(idj, QStringLiteral("jurnal"), recloseAfterRestore, &told));
        // One transaction: the sheet did not come back either.
        QVERIFY(!service.sheets().byNumber(ida, 10));
    } else {
        QCOMPARE(journal.restoreSheet(idj, QStringLiteral("jurnal"), recloseAfterRestore, &told),
                 JournalStore::Restore::Restored);
        QVERIFY(service.sheets().byNumber(ida, 10));
    }
    QCOMPARE(told, recomputed);
    QList<double> after;
    for (int month = 1; month <= 4; ++month)
        after << rest(env, month);
    QCOMPARE(after, rests);
    if (!failing) {
        const QString done = journaltexts::restored(told);
        QVERIFY2(recomputed.isEmpty() ? done == QStringLiteral(" Foaia de parcurs a fost readusa ")
                                      : done.contains(QStringLiteral("V.O.K. recalculat: februarie 2026, martie 2026, aprilie 2026")),
                 qPrintable(done));
    }
}

QTEST_GUILESS_MAIN(JournalStoreTest)
#include "tst_journalstore.moc"
