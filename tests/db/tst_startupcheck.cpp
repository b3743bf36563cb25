// What a start checks of an existing vok.db: a small file whole, a large one
// (a fleet's years of trips) its schema only, so that start-up does not grow
// with the data. A damaged page the start did not read is reported by the
// statement that reads it.
#include "db/database.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;

namespace {

constexpr qint64 megabyte = 1024 * 1024;

// A vok.db of at least `size` bytes: one parts row whose description fills it.
QString databaseOf(const QTemporaryDir &dir, qint64 size)
{
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    {
        QSqlDatabase db = database::openSqlite(path, QStringLiteral("make"), DatabaseKind::Data);
        exec(db, QStringLiteral("INSERT INTO piese (ida, denp) VALUES (?, ?)"),
             {1, QString(size, u'x')});
        exec(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    database::close(QStringLiteral("make"));
    return path;
}

// Overwrites `count` bytes at `offset` with 0xFF.
void scribble(const QString &path, qint64 offset, int count)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.size() > offset + count);
    QVERIFY(file.seek(offset));
    QCOMPARE(file.write(QByteArray(count, '\xFF')), qint64(count));
}

} // namespace

class StartupCheckTest : public QObject {
    Q_OBJECT
private slots:
    void smallFileIsCheckedWhole();
    void largeFileOpensWithADamagedDataPage();
    void largeFileWithADamagedSchemaIsRefused();
};

void StartupCheckTest::smallFileIsCheckedWhole()
{
    QTemporaryDir dir;
    const QString path = databaseOf(dir, 4 * megabyte);
    scribble(path, 2 * megabyte, 64);
    QVERIFY_THROWS_EXCEPTION(DbError, database::openSqlite(path, QStringLiteral("small"), DatabaseKind::Data));
    database::close(QStringLiteral("small"));
}

void StartupCheckTest::largeFileOpensWithADamagedDataPage()
{
    QTemporaryDir dir;
    const QString path = databaseOf(dir, 40 * megabyte);
    scribble(path, 20 * megabyte, 64);
    {
        QSqlDatabase db = database::openSqlite(path, QStringLiteral("large"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 0);
        // The damaged page is met by the statement that reads it.
        QVERIFY_THROWS_EXCEPTION(DbError, scalar(db, QStringLiteral("SELECT length(denp) FROM piese")));
    }
    database::close(QStringLiteral("large"));
}

void StartupCheckTest::largeFileWithADamagedSchemaIsRefused()
{
    QTemporaryDir dir;
    const QString path = databaseOf(dir, 40 * megabyte);
    // Page 1 holds the schema after the 100-byte file header.
    scribble(path, 100, 200);
    QVERIFY_THROWS_EXCEPTION(DbError, database::openSqlite(path, QStringLiteral("schema"), DatabaseKind::Data));
    database::close(QStringLiteral("schema"));
}

QTEST_GUILESS_MAIN(StartupCheckTest)
#include "tst_startupcheck.moc"
