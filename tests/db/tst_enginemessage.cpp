// The database engine's messages as the clerk reads them: Romanian first,
// the engine's own words after them, once.
#include "db/backup.h"
#include "db/database.h"

#include <QtTest>

using namespace vok;

class EngineMessageTest : public QObject {
    Q_OBJECT
private slots:
    void romanianThenTheEngine_data();
    void romanianThenTheEngine();
    void aFailingStatementSaysItOnce();
    void theCheckNamesTheFileOnce();
};

void EngineMessageTest::romanianThenTheEngine_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("shown");
    QTest::newRow("locked") << "database is locked"
                            << "Baza de date este folosita de alt program (database is locked)";
    QTest::newRow("disk full") << "database or disk is full" << "Discul este plin: datele nu au fost scrise (database or disk is full)";
    QTest::newRow("damaged") << "database disk image is malformed"
                             << "Baza de date este deteriorata (database disk image is malformed)";
    QTest::newRow("unique, SQLite") << "UNIQUE constraint failed: auto.nrauto"
                                    << "Inregistrarea exista deja in baza de date (UNIQUE constraint failed: auto.nrauto)";
    QTest::newRow("unique, server") << "ERROR:  duplicate key value violates unique constraint \"auto_nrauto\""
                                    << "Inregistrarea exista deja in baza de date (ERROR:  duplicate key value violates "
                                       "unique constraint \"auto_nrauto\")";
    QTest::newRow("read-only") << "attempt to write a readonly database"
                               << "Baza de date nu poate fi scrisa (doar citire) (attempt to write a readonly database)";
    QTest::newRow("anything else") << "iunie blocat" << "Eroare a bazei de date (iunie blocat)";
    QTest::newRow("given once") << "Baza de date este folosita de alt program (database is locked)"
                                << "Baza de date este folosita de alt program (database is locked)";
    QTest::newRow("generic, given once") << "Eroare a bazei de date (iunie blocat)" << "Eroare a bazei de date (iunie blocat)";
}

void EngineMessageTest::romanianThenTheEngine()
{
    QFETCH(QString, engine);
    QFETCH(QString, shown);
    QCOMPARE(engineMessage(engine), shown);
}

void EngineMessageTest::aFailingStatementSaysItOnce()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = QStringLiteral("engine-message");
    {
        const QSqlDatabase db = database::openSqlite(dir.filePath(QStringLiteral("vok.db")), name, DatabaseKind::Data);
        exec(db, QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES (?, ?)"), {QStringLiteral("B-1"), QStringLiteral("X")});
        try {
            Transaction transaction(db, Transaction::Write);
            exec(db, QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES (?, ?)"), {QStringLiteral("B-1"), QStringLiteral("X")});
            QFAIL("the same number went in twice");
        } catch (const DbError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("Inregistrarea exista deja in baza de date (")),
                     qPrintable(error.message()));
            QCOMPARE(error.message().count(QStringLiteral("UNIQUE")), 1);
        }
        // The write transaction was rolled back: the connection writes again.
        Transaction transaction(db, Transaction::Write);
        exec(db, QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES (?, ?)"), {QStringLiteral("B-2"), QStringLiteral("X")});
        transaction.commit();
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 2);
        // The rows read straight from the file say it the same way, and
        // read what the program's statements read.
        try {
            RowReader rows(db, QStringLiteral("SELECT nrauto FROM autovehicule"));
            QFAIL("a table that is not there was read");
        } catch (const DbError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("Structura bazei de date nu este cea asteptata (")),
                     qPrintable(error.message()));
        }
        RowReader rows(db, QStringLiteral("SELECT nrauto, Cm, ida FROM auto WHERE nrauto>? ORDER BY nrauto"),
                       {QStringLiteral("B-1")});
        QVERIFY(rows.next());
        QCOMPARE(rows.text(0), QStringLiteral("B-2"));
        QVERIFY(rows.isNull(1));
        QCOMPARE(rows.real(1), 0.0);
        QCOMPARE(rows.integer(2), 2);
        QVERIFY(!rows.next());
        // Every value converts as the program's other statements convert it,
        // whatever an old file holds in a figure's column.
        const QString values = QStringLiteral(
            "SELECT v FROM (SELECT NULL AS v UNION ALL SELECT 7 UNION ALL SELECT 2.7 UNION ALL SELECT -2.5 "
            "UNION ALL SELECT '12.5' UNION ALL SELECT '8,5' UNION ALL SELECT 'abc' UNION ALL SELECT '3')");
        RowReader straight(db, values);
        QSqlQuery through = exec(db, values);
        int count = 0;
        while (straight.next()) {
            QVERIFY(through.next());
            const QVariant value = through.value(0);
            QCOMPARE(straight.real(0), value.toDouble());
            QCOMPARE(straight.integer(0), value.toLongLong());
            QCOMPARE(straight.text(0), value.toString());
            QCOMPARE(straight.isNull(0), value.isNull());
            ++count;
        }
        QCOMPARE(count, 8);
    }
    database::close(name);
}

// "Verificare" and --check on a vok.db that is not a database: one line that
// names the file once, in Romanian, the engine's words after them.
void EngineMessageTest::theCheckNamesTheFileOnce()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("vok.db")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("foi de parcurs din martie\n").repeated(300));
    file.close();
    const QStringList lines = backup::checkDataFolder(dir.path());
    QVERIFY2(!lines.isEmpty(), "the check found nothing");
    const QString first = lines.first();
    QVERIFY2(first.startsWith(QStringLiteral("vok.db: Fisierul nu este o baza de date (")), qPrintable(first));
    QCOMPARE(first.count(QStringLiteral("vok.db")), 1);
}

QTEST_GUILESS_MAIN(EngineMessageTest)
#include "tst_enginemessage.moc"
