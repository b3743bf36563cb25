// Every lookup a window makes reads one vehicle, sheet or month through an
// index: none may walk a table that grows with the years of trips. The engine
// has no planner statistics in the clerk's file, so the plans on an empty
// database are the plans at fleet scale.
#include "db/database.h"
#include "db/schema.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;

namespace {

// The plan's lines, "SEARCH foaie USING INDEX ..." and the like.
QStringList plan(const QSqlDatabase &db, const QString &sql, int values)
{
    QVariantList bound;
    for (int i = 0; i < values; ++i)
        bound << 1;
    QSqlQuery query = exec(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql, bound);
    QStringList lines;
    while (query.next())
        lines << query.value(3).toString();
    return lines;
}

QStringList indexNames(const QSqlDatabase &db)
{
    QSqlQuery query = exec(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' ORDER BY name"));
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

} // namespace

class IndexesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void lookupReadsThroughAnIndex_data();
    void lookupReadsThroughAnIndex();
    void versionOneIsMigrated();

private:
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

void IndexesTest::initTestCase()
{
    m_db = database::openSqlite(m_dir.filePath(QStringLiteral("vok.db")), QStringLiteral("plans"), DatabaseKind::Data);
}

void IndexesTest::cleanupTestCase()
{
    m_db = QSqlDatabase();
    database::close(QStringLiteral("plans"));
}

void IndexesTest::lookupReadsThroughAnIndex_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("bounded"); // the constraint the first search must use
    auto row = [](const char *name, const char *sql, const char *bounded) {
        QTest::newRow(name) << QString::fromLatin1(sql) << QString::fromLatin1(bounded);
    };
    row("a month's sheet numbers", "SELECT nrf FROM foaie WHERE ida=? AND idl=? AND anul=? ORDER BY nrf",
        "(ida=? AND anul=? AND idl=?)");
    row("a month's sheet numbers for refuelling", "SELECT nrf FROM foaie WHERE ida=? AND anul=? AND idl=? ORDER BY nrf",
        "(ida=? AND anul=? AND idl=?)");
    row("a sheet by vehicle and number", "SELECT * FROM foaie WHERE ida=? AND nrf=?", "(ida=? AND nrf=?)");
    row("a vehicle has sheets", "SELECT idf FROM foaie WHERE ida=?", "(ida=?)");
    row("a sheet's trips in the grid", "SELECT * FROM curse WHERE idf=? ORDER BY idc", "(idf=?)");
    row("a trip by number", "SELECT * FROM curse WHERE idf=? AND nrc=?", "(idf=? AND nrc=?)");
    row("a sheet's trips deleted", "DELETE FROM curse WHERE idf=?", "(idf=?)");
    row("a month's sheet sums",
        "SELECT COUNT(*), SUM(bm), SUM(gz) FROM foaie WHERE ida=? AND anul=? AND idl=?",
        "(ida=? AND anul=? AND idl=?)");
    row("a month's trip sums",
        "SELECT SUM(c.Cn), SUM(c.kmT) FROM curse c INNER JOIN foaie f ON c.idf=f.idf "
        "WHERE f.ida=? AND f.anul=? AND f.idl=?",
        "(ida=? AND anul=? AND idl=?)");
    row("a month's row and the one before",
        "SELECT a.Cb, p.idd, m.idd FROM auto a LEFT JOIN dateluna p ON p.ida=a.ida AND p.anul=? AND p.idl=? "
        "LEFT JOIN dateluna m ON m.ida=a.ida AND m.anul=? AND m.idl=? WHERE a.ida=?",
        "(rowid=?)");
    row("a month's sheets one by one",
        "SELECT orap, oras, schu, bm FROM foaie WHERE ida=? AND anul=? AND idl=? ORDER BY nrf",
        "(ida=? AND anul=? AND idl=?)");
    row("a vehicle's sheets of a year", "SELECT idl, orap, oras, bm FROM foaie WHERE ida=? AND anul=? ORDER BY idl, nrf",
        "(ida=? AND anul=?)");
    row("a vehicle's trip sums of a year by month",
        "SELECT f.idl, SUM(c.Cn), SUM(c.kmT) FROM curse c INNER JOIN foaie f ON c.idf=f.idf "
        "WHERE f.ida=? AND f.anul=? GROUP BY f.idl",
        "(ida=? AND anul=?)");
    row("a vehicle's rows of two years", "SELECT idd, restrez FROM dateluna WHERE ida=? AND anul>=? AND anul<=?",
        "(ida=? AND anul>? AND anul<?)");
    row("a vehicle and whether it has sheets before a year",
        "SELECT a.nrauto, CASE WHEN EXISTS (SELECT 1 FROM foaie f WHERE f.ida=a.ida AND f.anul<?) THEN 1 ELSE 0 END "
        "FROM auto a WHERE a.ida=?",
        "(rowid=?)");
    row("a vehicle's months with sheets",
        "SELECT DISTINCT anul, idl FROM foaie WHERE ida=? AND anul>=? ORDER BY anul, idl", "(ida=? AND anul>?)");
    row("a month's row deleted", "DELETE FROM dateluna WHERE ida=? AND anul=? AND idl=?",
        "(ida=? AND anul=? AND idl=?)");
    row("the fleet's year",
        "SELECT * FROM dateluna INNER JOIN auto ON dateluna.ida=auto.ida WHERE dateluna.anul=? AND auto.rap=? "
        "ORDER BY dateluna.idl",
        "(anul=?)");
    row("the fleet's month",
        "SELECT * FROM dateluna INNER JOIN auto ON dateluna.ida=auto.ida "
        "WHERE dateluna.anul=? AND dateluna.idl=? AND auto.rap=?",
        "(anul=? AND idl=?)");
    row("a vehicle's parts", "SELECT * FROM piese WHERE ida=? ORDER BY idp", "(ida=?)");
    // Each driver once, read from the index name by name.
    row("the drivers",
        "WITH RECURSIVE d(s) AS (SELECT MIN(sofer) FROM foaie UNION ALL "
        "SELECT (SELECT MIN(sofer) FROM foaie WHERE sofer > d.s) FROM d WHERE d.s IS NOT NULL) "
        "SELECT s FROM d WHERE s IS NOT NULL ORDER BY s",
        "foaie_driver");
}

void IndexesTest::lookupReadsThroughAnIndex()
{
    QFETCH(QString, sql);
    QFETCH(QString, bounded);
    const QStringList lines = plan(m_db, sql, int(sql.count(u'?')));
    const QString shown = lines.join(QStringLiteral(" | "));
    // The tables that grow with the trips, under their names or aliases.
    const QStringList growing = {QStringLiteral("foaie"), QStringLiteral("curse"), QStringLiteral("dateluna"),
                                 QStringLiteral("piese"), QStringLiteral("f"), QStringLiteral("c"),
                                 QStringLiteral("p"), QStringLiteral("m")};
    for (const QString &line : lines)
        QVERIFY2(!(line.startsWith(QLatin1String("SCAN ")) && growing.contains(line.section(u' ', 1, 1))),
                 qPrintable(shown));
    const bool found = std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
        return line.startsWith(QLatin1String("SEARCH")) && line.contains(bounded);
    });
    QVERIFY2(found, qPrintable(shown));
}

void IndexesTest::versionOneIsMigrated()
{
    // A file of the first version, with a sheet and its trip.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString &statement : schema::migrationStep(DatabaseKind::Data, 1, schema::Dialect::Sqlite))
            exec(db, statement);
        exec(db, QStringLiteral("PRAGMA user_version = 1"));
        exec(db, QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, idl, anul) VALUES (7, 1, 'ION', 3, 2024)"));
        exec(db, QStringLiteral("INSERT INTO curse (idf, nrc, kmT) VALUES (1, 1, 12.5)"));
        QVERIFY(indexNames(db).contains(QStringLiteral("foaie_month")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v1"));

    {
        QSqlDatabase db = database::openSqlite(path, QStringLiteral("v2"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA user_version")).toInt(), database::currentSchemaVersion(DatabaseKind::Data));
        const QStringList names = indexNames(db);
        QVERIFY2(names.contains(QStringLiteral("foaie_sheets")), qPrintable(names.join(u' ')));
        QVERIFY2(names.contains(QStringLiteral("foaie_driver")), qPrintable(names.join(u' ')));
        QVERIFY2(!names.contains(QStringLiteral("foaie_month")), qPrintable(names.join(u' ')));
        QVERIFY2(!names.contains(QStringLiteral("curse_sheet")), qPrintable(names.join(u' ')));
        QCOMPARE(scalar(db, QStringLiteral("SELECT kmT FROM curse INNER JOIN foaie ON curse.idf=foaie.idf "
                                           "WHERE foaie.ida=? AND foaie.anul=? AND foaie.idl=?"),
                        {1, 2024, 3}).toDouble(),
                 12.5);
    }
    database::close(QStringLiteral("v2"));
    // Opening it again finds nothing left to do.
    {
        QSqlDatabase db = database::openSqlite(path, QStringLiteral("v2again"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM foaie")).toInt(), 1);
    }
    database::close(QStringLiteral("v2again"));
}

QTEST_GUILESS_MAIN(IndexesTest)
#include "tst_indexes.moc"
