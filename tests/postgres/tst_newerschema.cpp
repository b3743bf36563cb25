#include "db/database.h"
#include "testenvironment.h"

#include <QtTest>

using namespace vok;

// A database on the server that a newer program has moved on is refused at
// the start, as a newer vok.db is, and is left as it was.
class NewerSchemaTest : public QObject {
    Q_OBJECT
private slots:
    void newerSchemaIsRefused_data();
    void newerSchemaIsRefused();
};

void NewerSchemaTest::newerSchemaIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("ahead");
    QTest::addColumn<bool>("refused");
    QTest::newRow("data, current") << "data" << 0 << false;
    QTest::newRow("data, one step newer") << "data" << 1 << true;
    QTest::newRow("system, one step newer") << "system" << 1 << true;
    QTest::newRow("data, far newer") << "data" << 40 << true;
}

void NewerSchemaTest::newerSchemaIsRefused()
{
    if (test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("needs the test server");
    QFETCH(QString, kind);
    QFETCH(int, ahead);
    QFETCH(bool, refused);
    test::TestEnvironment env;
    const QString schema = env.value(QStringLiteral("SELECT current_schema()")).toString();
    const int version = database::currentSchemaVersion(kind == QLatin1String("data") ? DatabaseKind::Data
                                                                                      : DatabaseKind::System)
                        + ahead;
    env.sql(QStringLiteral("UPDATE vok_schema SET version=? WHERE kind=?"), {version, kind});
    const int tables = env.value(QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema=?"),
                                 {schema})
                           .toInt();

    // The program's own start on that schema.
    qputenv("PGOPTIONS", QStringLiteral("-c search_path=%1").arg(schema).toUtf8());
    QString error;
    try {
        database::openServer(test::TestEnvironment::serverUrl(), QStringLiteral("newer"));
    } catch (const DbError &e) {
        error = e.message();
    }
    database::close(QStringLiteral("newer"));
    qunsetenv("PGOPTIONS");

    if (refused) {
        QVERIFY2(error.contains(QStringLiteral("versiune mai noua a programului (schema %1)").arg(version)), qPrintable(error));
    } else {
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    QCOMPARE(env.value(QStringLiteral("SELECT version FROM vok_schema WHERE kind=?"), {kind}).toInt(), version);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema=?"), {schema})
                 .toInt(),
             tables);
}

QTEST_GUILESS_MAIN(NewerSchemaTest)
#include "tst_newerschema.moc"
