#include "db/database.h"
#include "db/journal.h"
#include "testenvironment.h"

#include <QtTest>

using namespace vok;

// The journal of a data folder is append-only too: its rows are written, and
// never changed or removed, whatever statement asks.
class JournalGuardTest : public QObject {
    Q_OBJECT
private slots:
    void rowsAreNeverChanged_data();
    void rowsAreNeverChanged();
};

void JournalGuardTest::rowsAreNeverChanged_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("update who") << QStringLiteral("UPDATE jurnal SET cine='altcineva'");
    QTest::newRow("update values") << QStringLiteral("UPDATE jurnal SET inainte=NULL, dupa=NULL");
    QTest::newRow("delete one") << QStringLiteral("DELETE FROM jurnal WHERE idj=(SELECT MIN(idj) FROM jurnal)");
    QTest::newRow("delete all") << QStringLiteral("DELETE FROM jurnal");
}

void JournalGuardTest::rowsAreNeverChanged()
{
    QFETCH(QString, statement);
    test::TestEnvironment env;
    env.written([](WriteRun &run) {
        Change c;
        c.table = QStringLiteral("auto");
        c.key = 1;
        c.nrauto = QStringLiteral("B-01-JRN");
        c.action = Change::inserted();
        c.after = {{QStringLiteral("nrauto"), QStringLiteral("B-01-JRN")}};
        run.record(c);
        run.record(c);
    });
    const QString rows = QStringLiteral("SELECT COUNT(*) || cine || dupa FROM jurnal GROUP BY cine, dupa");
    const QString before = env.value(rows).toString();
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM jurnal")).toInt(), 2);
    QVERIFY_THROWS_EXCEPTION(DbError, exec(env.db(), statement));
    QCOMPARE(env.value(rows).toString(), before);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM jurnal")).toInt(), 2);
}

QTEST_GUILESS_MAIN(JournalGuardTest)
#include "tst_journalguard.moc"
