// Runs on SQLite only: the schema's steps are checked on the file a copy or an old version leaves; the server's steps run in every test that opens one.
#include "db/database.h"
#include "db/schema.h"
#include "testenvironment.h"

#include <QSqlRecord>
#include <QtTest>

using namespace vok;

class SchemaTest : public QObject {
    Q_OBJECT
private slots:
    void everyTableAndColumn_data();
    void everyTableAndColumn();
    void defaultsReadZero();
    void validHasOneEmptyRow();
    void naturalKeysAreUnique();
    void deletedKeyIsNeverReused();
    void secondStartKeepsData();
    void versionTwoGetsTheTankCapacity();
    void notADatabaseIsLeftUntouched();
    void failedStatementRollsBackItsRun();
};

void SchemaTest::everyTableAndColumn_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    auto row = [](const char *t, const char *cols) {
        QTest::newRow(t) << QString::fromLatin1(t) << QString::fromLatin1(cols).split(u' ');
    };
    row("auto", "ida nrauto marca formula motor Cm Ca Cb Cf Ispec Iaerod apar rap kmef kmefinc kmechiv restrez caprez");
    row("consum", "ida Cm1 Cm2 Cm3 implicit");
    row("foaie", "idf nrf ida sofer orap oras nrore data decada idl anul bm nractc gz um nractu1 ut nractu2 ua "
                 "nractu3 schu nractschu schf nractschf restit nractrst");
    row("curse", "idc idf nrc kmI kmII kmIII kmIV kmV kmVI kmT kmE Kg Gm T U I nri Ra A nrq1 nrq4 Cn Cu "
                 "remorca traseu kmtract kmurb");
    row("dateluna", "idd ida anul idl ore km kme kminc tone tonekm bm gz restit restrez Cn um ut ua Cu kmt kmet");
    row("piese", "ida act denp valoare zi luna an");
    row("setari", "unitate functie numeman intocmit");
    row("sporI", "nri fel_auto fel_prest fel_prest2 sporkm");
    row("sporU", "autom bucur restul");
    row("sporT", "nrcrt tip_r gr motor1r1 motor1r2 motor2r1 motor2r2 motor3r1 motor3r2");
    row("coefKg", "tone motor1fr motor1r motor23fr motor23r");
    row("consumCm1", "aprind fel marca capcil sarcina Cm");
    row("consumCm2", "aprind fel marca capcil locuri Cm");
    row("consumCm3", "aprind fel marca capcil loc Cm");
    row("consumCm4", "aprind fel marca capcil Cm");
    row("sistemU", "autom baia filtru");
    row("uleiCa1", "ciclu autocamion autotren autobuz");
    row("uleiCa2", "ciclu <2000 2001-2005 5001-11000 >11000");
}

void SchemaTest::everyTableAndColumn()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    test::TestEnvironment env;
    const QSqlRecord record = env.db().record(table);
    QVERIFY2(!record.isEmpty(), qPrintable(table));
    for (const QString &column : columns)
        QVERIFY2(record.contains(column), qPrintable(table + u'.' + column));
}

void SchemaTest::defaultsReadZero()
{
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('B-1', 'X')"));
    QCOMPARE(env.value(QStringLiteral("SELECT kmef + kmefinc + kmechiv + restrez + rap + caprez FROM auto")).toDouble(), 0.0);
    QCOMPARE(env.value(QStringLiteral("SELECT apar FROM auto")).toInt(), 1);
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida) VALUES (1, 1)"));
    QCOMPARE(env.value(QStringLiteral("SELECT bm + gz + restit + um + ut + ua + schu + schf FROM foaie")).toDouble(), 0.0);
}

void SchemaTest::validHasOneEmptyRow()
{
    test::TestEnvironment env;
    QCOMPARE(scalar(env.sys(), QStringLiteral("SELECT COUNT(*) FROM valid")).toInt(), 1);
    QVERIFY(scalar(env.sys(), QStringLiteral("SELECT parola FROM valid")).isNull());
}

void SchemaTest::naturalKeysAreUnique()
{
    test::TestEnvironment env;
    const QStringList twice = {
        QStringLiteral("INSERT INTO auto (nrauto) VALUES ('B-1')"),
        QStringLiteral("INSERT INTO consum (ida) VALUES (1)"),
        QStringLiteral("INSERT INTO foaie (ida, nrf) VALUES (1, 7)"),
        QStringLiteral("INSERT INTO curse (idf, nrc) VALUES (1, 1)"),
        QStringLiteral("INSERT INTO dateluna (ida, anul, idl) VALUES (1, 2024, 3)"),
    };
    for (const QString &statement : twice) {
        env.sql(statement);
        QVERIFY_THROWS_EXCEPTION(DbError, exec(env.db(), statement));
    }
}

void SchemaTest::deletedKeyIsNeverReused()
{
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO auto (nrauto) VALUES ('A')"));
    env.sql(QStringLiteral("INSERT INTO auto (nrauto) VALUES ('B')"));
    env.sql(QStringLiteral("DELETE FROM auto WHERE nrauto='B'"));
    env.sql(QStringLiteral("INSERT INTO auto (nrauto) VALUES ('C')"));
    QCOMPARE(env.value(QStringLiteral("SELECT ida FROM auto WHERE nrauto='C'")).toInt(), 3);
}

void SchemaTest::secondStartKeepsData()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    {
        QSqlDatabase db = database::openSqlite(path, QStringLiteral("first"), DatabaseKind::Data);
        exec(db, QStringLiteral("INSERT INTO auto (nrauto, Cm) VALUES (?, ?)"), {QStringLiteral("B-10-ABC"), 12.5});
    }
    database::close(QStringLiteral("first"));
    {
        QSqlDatabase db = database::openSqlite(path, QStringLiteral("second"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("SELECT Cm FROM auto WHERE nrauto=?"), {QStringLiteral("B-10-ABC")}).toDouble(), 12.5);
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA user_version")).toInt(), database::currentSchemaVersion(DatabaseKind::Data));
    }
    database::close(QStringLiteral("second"));
}

void SchemaTest::versionTwoGetsTheTankCapacity()
{
    // A file of the second version, with a vehicle: it gains auto.caprez,
    // read as 0 (unknown), and keeps everything else.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v2file"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (int step = 1; step <= 2; ++step)
            for (const QString &statement : schema::migrationStep(DatabaseKind::Data, step, schema::Dialect::Sqlite))
                exec(db, statement);
        exec(db, QStringLiteral("PRAGMA user_version = 2"));
        exec(db, QStringLiteral("INSERT INTO auto (nrauto, restrez) VALUES ('B-10-ABC', 40)"));
        exec(db, QStringLiteral("INSERT INTO dateluna (ida, anul, idl, restrez) VALUES (1, 2020, 5, 10)"));
        QVERIFY(!db.record(QStringLiteral("auto")).contains(QStringLiteral("caprez")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v2file"));
    {
        QSqlDatabase db = database::openSqlite(path, QStringLiteral("v3"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("SELECT caprez FROM auto WHERE nrauto='B-10-ABC'")).toDouble(), 0.0);
        QCOMPARE(scalar(db, QStringLiteral("SELECT restrez FROM auto WHERE nrauto='B-10-ABC'")).toDouble(), 40.0);
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA user_version")).toInt(),
                 database::currentSchemaVersion(DatabaseKind::Data));
        // Later steps: the vehicle starts at version 0, the journal is empty.
        QCOMPARE(scalar(db, QStringLiteral("SELECT versiune FROM auto WHERE nrauto='B-10-ABC'")).toInt(), 0);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM jurnal")).toInt(), 0);
        // Nothing is known of how its months were closed: each is marked to be summed.
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM lunischimbate WHERE ida=1 AND anul=2020 AND idl=5"))
                     .toInt(),
                 1);
        // A file that says it is older than it is (an old copy restored):
        // the step runs again and finds its column already there.
        exec(db, QStringLiteral("UPDATE auto SET caprez=60"));
        exec(db, QStringLiteral("PRAGMA user_version = 1"));
    }
    database::close(QStringLiteral("v3"));
    {
        QSqlDatabase db = database::openSqlite(path, QStringLiteral("again"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("SELECT caprez FROM auto WHERE nrauto='B-10-ABC'")).toDouble(), 60.0);
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA user_version")).toInt(),
                 database::currentSchemaVersion(DatabaseKind::Data));
    }
    database::close(QStringLiteral("again"));
}

void SchemaTest::notADatabaseIsLeftUntouched()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray junk(4096, 'x');
    file.write(junk);
    file.close();
    try {
        database::openSqlite(path, QStringLiteral("junk"), DatabaseKind::Data);
        QFAIL("a file that is not a database was opened");
    } catch (const DbError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("vok.db:")), qPrintable(error.message()));
    }
    database::close(QStringLiteral("junk"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), junk);
}

void SchemaTest::failedStatementRollsBackItsRun()
{
    test::TestEnvironment env;
    try {
        Transaction transaction(env.db());
        exec(env.db(), QStringLiteral("INSERT INTO auto (nrauto) VALUES ('A')"));
        exec(env.db(), QStringLiteral("INSERT INTO nosuchtable VALUES (1)"));
        transaction.commit();
        QFAIL("the failing statement did not throw");
    } catch (const DbError &error) {
        QVERIFY(error.message().contains(QStringLiteral("nosuchtable")));
    }
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 0);
    // The connection is usable again afterwards.
    env.sql(QStringLiteral("INSERT INTO auto (nrauto) VALUES ('A')"));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
}

QTEST_GUILESS_MAIN(SchemaTest)
#include "tst_schema.moc"
