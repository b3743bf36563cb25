#include "db/database.h"
#include "testenvironment.h"

#include <QSqlDatabase>
#include <QtTest>
#include <QUrl>

#include <atomic>
#include <thread>

using namespace vok;

// Two clerks on one server saving the same natural keys at the same moment:
// the unique keys let one save through and give the other a clear message.
class RaceTest : public QObject {
    Q_OBJECT
private slots:
    void sameNaturalKeysAtOnce_data();
    void sameNaturalKeysAtOnce();
    void secondStartWaitsForTheMigration();
    void lostConnectionIsAMessageAndARetryWorks();
};

namespace {

QSqlDatabase openClerk(const QString &name, const QString &schema)
{
    const QUrl url(test::TestEnvironment::serverUrl());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(url.host());
    db.setPort(url.port(5432));
    db.setDatabaseName(url.path().mid(1));
    db.setUserName(url.userName());
    if (db.open() && !schema.isEmpty())
        exec(db, QStringLiteral("SET search_path TO ") + schema);
    return db;
}

} // namespace

void RaceTest::sameNaturalKeysAtOnce_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("count");
    QTest::newRow("vehicle number") << "INSERT INTO auto (nrauto, marca) VALUES ('B-01-RACE', 'X')"
                                    << "SELECT COUNT(*) FROM auto WHERE nrauto='B-01-RACE'";
    QTest::newRow("sheet number") << "INSERT INTO foaie (ida, nrf) VALUES (1, 77)"
                                  << "SELECT COUNT(*) FROM foaie WHERE ida=1 AND nrf=77";
    QTest::newRow("trip number") << "INSERT INTO curse (idf, nrc) VALUES (5, 1)"
                                 << "SELECT COUNT(*) FROM curse WHERE idf=5 AND nrc=1";
    QTest::newRow("closed month") << "INSERT INTO dateluna (ida, anul, idl) VALUES (1, 2024, 3)"
                                  << "SELECT COUNT(*) FROM dateluna WHERE ida=1 AND anul=2024 AND idl=3";
}

void RaceTest::sameNaturalKeysAtOnce()
{
    if (test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("needs the test server");
    QFETCH(QString, statement);
    QFETCH(QString, count);
    test::TestEnvironment env;
    const QString schema = env.value(QStringLiteral("SELECT current_schema()")).toString();

    std::atomic<int> ready{0};
    std::atomic<int> saved{0};
    QStringList errors;
    QMutex lock;
    auto clerk = [&](int n) {
        const QString name = QStringLiteral("clerk-%1").arg(n);
        {
            QSqlDatabase db = openClerk(name, schema);
            ++ready;
            while (ready < 2)
                std::this_thread::yield();
            try {
                Transaction transaction(db);
                exec(db, statement);
                transaction.commit();
                ++saved;
            } catch (const DbError &error) {
                QMutexLocker locker(&lock);
                errors << error.message();
            }
        }
        QSqlDatabase::removeDatabase(name);
    };
    std::thread first(clerk, 1), second(clerk, 2);
    first.join();
    second.join();
    QCOMPARE(saved.load(), 1);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QStringLiteral("duplicate key")), qPrintable(errors.first()));
    // The refused statement aborted its transaction, not the connection.
    QVERIFY2(!errors.first().contains(QStringLiteral("refacuta")), qPrintable(errors.first()));
    QCOMPARE(env.value(count).toInt(), 1);
}

void RaceTest::secondStartWaitsForTheMigration()
{
    if (test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("needs the test server");
    test::TestEnvironment env; // a schema of its own for the two starts
    const QString schema = env.value(QStringLiteral("SELECT current_schema()")).toString();
    exec(env.db(), QStringLiteral("CREATE SCHEMA ") + schema + QStringLiteral("_fresh"));
    QStringList errors;
    QMutex lock;
    auto start = [&](int n) {
        const QString name = QStringLiteral("start-%1").arg(n);
        {
            QSqlDatabase db = openClerk(name, schema + QStringLiteral("_fresh"));
            try {
                database::ensureSchema(db, DatabaseKind::Data);
                database::ensureSchema(db, DatabaseKind::System);
            } catch (const DbError &error) {
                QMutexLocker locker(&lock);
                errors << error.message();
            }
        }
        QSqlDatabase::removeDatabase(name);
    };
    std::thread first(start, 1), second(start, 2);
    first.join();
    second.join();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM ") + schema + QStringLiteral("_fresh.valid")).toInt(), 1);
    exec(env.db(), QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral("_fresh CASCADE"));
}

void RaceTest::lostConnectionIsAMessageAndARetryWorks()
{
    if (test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("needs the test server");
    test::TestEnvironment env;
    const QString schema = env.value(QStringLiteral("SELECT current_schema()")).toString();
    const QString insert = QStringLiteral("INSERT INTO ") + schema + QStringLiteral(".auto (nrauto) VALUES (?)");
    {
        QSqlDatabase clerk = openClerk(QStringLiteral("lost"), QString());
        const int pid = scalar(clerk, QStringLiteral("SELECT pg_backend_pid()")).toInt();
        exec(env.db(), QStringLiteral("SELECT pg_terminate_backend(?)"), {pid});
        try {
            exec(clerk, insert, {QStringLiteral("B-01-LOST")});
            QFAIL("a statement on a lost connection did not fail");
        } catch (const DbError &error) {
            QVERIFY2(error.message().contains(QStringLiteral("reluati operatia")), qPrintable(error.message()));
        }
        exec(clerk, insert, {QStringLiteral("B-01-LOST")}); // the retry
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lost"));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM auto WHERE nrauto='B-01-LOST'")).toInt(), 1);
}

QTEST_GUILESS_MAIN(RaceTest)
#include "tst_race.moc"
