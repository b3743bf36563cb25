// Copies of the data folder, their rotation, restoring one and the checks,
// on real files; the command line through the program itself, killed in the
// middle of a copy.
#include "db/automaticcopy.h"
#include "db/backup.h"
#include "db/backupcli.h"
#include "db/database.h"
#include "db/passwordstore.h"
#include "db/schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>

using namespace vok;

namespace {

int connectionCounter = 0;

// A data folder made by the program's own code, closed again.
struct Folder {
    QTemporaryDir dir;
    QString path(const QString &name = QStringLiteral("vok.db")) const { return dir.filePath(name); }

    Folder()
    {
        const QString name = QStringLiteral("make-%1").arg(++connectionCounter);
        {
            database::openSqlite(path(QStringLiteral("sys.db")), name + QStringLiteral("s"), DatabaseKind::System);
            const QSqlDatabase db = database::openSqlite(path(), name, DatabaseKind::Data);
            exec(db, QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('B-01-ABC', 'Dacia')"));
            exec(db, QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, data, idl, anul) "
                                    "VALUES (7, 1, 'POPESCU', '05.03.2026', 3, 2026)"));
            exec(db, QStringLiteral("INSERT INTO curse (idf, nrc, kmT, Cn, traseu) VALUES (1, 1, 12.5, 3.25, 'X')"));
        }
        database::close(name);
        database::close(name + QStringLiteral("s"));
    }

    // Runs statements on vok.db on a connection opened for them.
    void sql(const QStringList &statements) const
    {
        const QString name = QStringLiteral("sql-%1").arg(++connectionCounter);
        {
            const QSqlDatabase db = database::openSqlite(path(), name, DatabaseKind::Data);
            for (const QString &s : statements)
                exec(db, s);
        }
        database::close(name);
    }
};

// Every row of every table of a database file, in key order.
QStringList dump(const QString &file)
{
    const QString name = QStringLiteral("dump-%1").arg(++connectionCounter);
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open())
            return {QStringLiteral("cannot open")};
        for (const QString &table : schema::tableNames(DatabaseKind::Data)) {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table)))
                return {QStringLiteral("no table ") + table};
            while (q.next()) {
                QStringList values;
                for (int i = 0; i < q.record().count(); ++i)
                    values << q.value(i).toString();
                rows << table + u':' + values.join(u'|');
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

QByteArray hashOf(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString programPath() { return QStringLiteral(VOK_PROGRAM); }

// Runs statements on any database file, as a hostile tool would.
void alter(const QString &file, const QStringList &statements)
{
    const QString name = QStringLiteral("alter-%1").arg(++connectionCounter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        QVERIFY(db.open());
        for (const QString &s : statements)
            exec(db, s);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// What turns a copy into one of the first schema version, as that version made it.
QStringList firstVersion()
{
    QStringList first{"DROP TABLE jurnal", "DROP INDEX foaie_sheets", "DROP INDEX foaie_driver",
                      "CREATE INDEX foaie_month ON foaie (ida, anul, idl)", "CREATE INDEX curse_sheet ON curse (idf)",
                      "ALTER TABLE auto DROP COLUMN caprez", "ALTER TABLE foaie DROP COLUMN versiunealim"};
    for (const char *table : {"auto", "consum", "foaie", "curse", "piese", "setari", "sporI", "sporU", "sporT", "coefKg",
                              "consumCm1", "consumCm2", "consumCm3", "consumCm4", "sistemU", "uleiCa1", "uleiCa2"})
        first << QStringLiteral("ALTER TABLE %1 DROP COLUMN versiune").arg(QLatin1String(table));
    // Steps 6 to 8: the sheet's measurements, drivers and documents, fuel cards.
    for (const char *column : {"kmplecare", "kmsosire", "rezplecare", "rezsosire"})
        first << QStringLiteral("ALTER TABLE foaie DROP COLUMN %1").arg(QLatin1String(column));
    first << "DROP TABLE soferi" << "DROP TABLE documente" << "ALTER TABLE auto DROP COLUMN kmrevizie"
          << "ALTER TABLE auto DROP COLUMN kmultrev" << "ALTER TABLE setari DROP COLUMN zilescadente"
          << "ALTER TABLE setari DROP COLUMN kmscadente";
    for (const char *table : {"carduri", "importcard", "tranzactii", "formatecard", "facturi", "facturilinii"})
        first << QStringLiteral("DROP TABLE %1").arg(QLatin1String(table));
    first << "ALTER TABLE setari DROP COLUMN produsecarb" << "ALTER TABLE setari DROP COLUMN produsepermise";
    // Step 9: the marks of the months changed since their closing.
    for (const char *trigger : {"foaie_luna_ins", "foaie_luna_upd", "foaie_luna_del", "curse_luna_ins", "curse_luna_upd",
                                "curse_luna_del", "dateluna_luna_ins", "dateluna_luna_upd", "dateluna_urmatoarea_upd",
                                "dateluna_luna_del", "auto_luni_upd"})
        first << QStringLiteral("DROP TRIGGER %1").arg(QLatin1String(trigger));
    first << "DROP TABLE lunischimbate";
    first << "PRAGMA user_version=1";
    return first;
}

// Sets the password of a sys.db.
void setPassword(const QString &sysFile, const QString &password)
{
    const QString name = QStringLiteral("password-%1").arg(++connectionCounter);
    {
        const QSqlDatabase sys = database::openSqlite(sysFile, name, DatabaseKind::System);
        PasswordStore(sys).set(password);
    }
    database::close(name);
}

QStringList folderEntries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Sets a file's modification time without opening it.
void setModified(const QString &file, const QDateTime &when)
{
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = when.toSecsSinceEpoch();
    times[0].tv_nsec = times[1].tv_nsec = 0;
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0) == 0);
}

} // namespace

class BackupTest : public QObject {
    Q_OBJECT
private slots:
    void copyWhileAnotherConnectionWritesIsConsistent();
    void killedDuringCopyLeavesDataAndCopiesIntact();
    void copiesKept_data();
    void copiesKept();
    void rotationKeepsSevenDailyAndFourWeekly();
    void automaticCopyOnlyWhenChanged();
    void automaticCopyRunsOnItsOwnThread();
    void restoreRefused_data();
    void restoreRefused();
    void restoreGivesBackExactlyItsRows();
    void checkFindsWhatIsWrong();
    void commandLine();
    void foreignObjectsRefused_data();
    void foreignObjectsRefused();
    void installRefusesForeignObjects();
    void killedBetweenRenamesEndsWithOnePair_data();
    void killedBetweenRenamesEndsWithOnePair();
    void leftoversOfKilledRunsRemoved();
    void passwordFileTheStartRefusesIsRefused();
    void restoreKeepsPermissions();
    void currentPasswordBeforeReplacing_data();
    void currentPasswordBeforeReplacing();
    void compactionCopiesApartFromAutomaticOnes();
};

void BackupTest::copyWhileAnotherConnectionWritesIsConsistent()
{
    Folder folder;
    // Enough pages that the copy takes several steps.
    QStringList bulk{QStringLiteral("BEGIN")};
    for (int s = 0; s < 1200; ++s) {
        bulk << QStringLiteral("INSERT INTO foaie (nrf, ida, idl, anul) VALUES (%1, 1, 1, 2025)").arg(100 + s);
        for (int c = 1; c <= 3; ++c)
            bulk << QStringLiteral("INSERT INTO curse (idf, nrc, traseu) VALUES (%1, %2, '%3')")
                        .arg(s + 2)
                        .arg(c)
                        .arg(QString(4000, QLatin1Char('t')));
    }
    bulk << QStringLiteral("COMMIT");
    folder.sql(bulk);

    // A writer on its own connection: each transaction a sheet with its three trips.
    std::atomic<bool> stop{false};
    std::atomic<int> committed{0};
    QThread *writer = QThread::create([&] {
        const QString name = QStringLiteral("writer");
        {
            const QSqlDatabase db = database::openSqlite(folder.path(), name, DatabaseKind::Data);
            for (int nrf = 10000; !stop; ++nrf) {
                Transaction t(db);
                exec(db, QStringLiteral("INSERT INTO foaie (nrf, ida, idl, anul) VALUES (?, 1, 2, 2025)"), {nrf});
                const QVariant idf = scalar(db, QStringLiteral("SELECT idf FROM foaie WHERE ida=1 AND nrf=?"), {nrf});
                for (int c = 1; c <= 3; ++c)
                    exec(db, QStringLiteral("INSERT INTO curse (idf, nrc, traseu) VALUES (?, ?, ?)"),
                         {idf, c, QString(3000, QLatin1Char('w'))});
                t.commit();
                ++committed;
            }
        }
        database::close(name);
    });
    writer->start();
    QTRY_VERIFY(committed > 3);
    const int before = committed;
    const QString copy = QDir(folder.dir.path()).filePath(QStringLiteral("copy.db"));
    int steps = 0;
    backup::copyDatabase(folder.path(), copy, [&](qint64, qint64) {
        ++steps;
        QThread::msleep(30); // the writer commits between the steps
        return true;
    });
    const int during = committed - before;
    stop = true;
    writer->wait();
    delete writer;
    QVERIFY2(steps > 2, qPrintable(QString::number(steps)));
    QVERIFY2(during > 0, "no write happened during the copy");

    QCOMPARE(backup::integrityProblems(copy), QStringList());
    const QString name = QStringLiteral("copy-check");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(copy);
        QVERIFY(db.open());
        // Every sheet has its three trips: no transaction was cut in two.
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM foaie f WHERE (SELECT COUNT(*) FROM curse c "
                                           "WHERE c.idf=f.idf) NOT IN (1, 3)"))
                     .toInt(),
                 0);
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
        QVERIFY(scalar(db, QStringLiteral("SELECT COUNT(*) FROM foaie WHERE nrf>=10000")).toInt() >= before);
    }
    QSqlDatabase::removeDatabase(name);
    QVERIFY(!QFileInfo::exists(copy + QStringLiteral(".partial")));
}

void BackupTest::killedDuringCopyLeavesDataAndCopiesIntact()
{
    Folder folder;
    QStringList bulk{QStringLiteral("BEGIN")};
    for (int i = 0; i < 3000; ++i)
        bulk << QStringLiteral("INSERT INTO curse (idf, nrc, traseu) VALUES (1, %1, '%2')")
                    .arg(i + 2)
                    .arg(QString(3000, QLatin1Char('k')));
    bulk << QStringLiteral("COMMIT");
    folder.sql(bulk);
    const QStringList rows = dump(folder.path());
    const QString copies = QDir(folder.dir.path()).filePath(QStringLiteral("copii"));

    // How long one whole copy takes, so that the kills land inside copies:
    // the shorter of two, since the first start of the program pays for
    // what the system caches afterwards (much more so under the sanitizers).
    qint64 span = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 2; ++run) {
        QElapsedTimer clock;
        clock.start();
        QProcess whole;
        whole.start(programPath(), {QStringLiteral("--data-dir"), folder.dir.path(), QStringLiteral("--backup"), copies});
        QVERIFY(whole.waitForFinished(60000));
        QCOMPARE(whole.exitCode(), 0);
        span = std::min(span, std::max<qint64>(clock.elapsed(), 50));
    }

    QRandomGenerator random(20260301);
    int killed = 0;
    for (int run = 0; run < 12; ++run) {
        QProcess child;
        child.start(programPath(), {QStringLiteral("--data-dir"), folder.dir.path(), QStringLiteral("--backup"), copies});
        QVERIFY(child.waitForStarted());
        QThread::msleep(random.bounded(span));
        child.kill();
        QVERIFY(child.waitForFinished(20000));
        if (child.exitStatus() == QProcess::CrashExit)
            ++killed;
        // The data as they were, and every copy with a copy's name whole.
        QCOMPARE(backup::integrityProblems(folder.path()), QStringList());
        QCOMPARE(dump(folder.path()), rows);
        for (const QString &name : QDir(copies).entryList({QStringLiteral("vok-*.db")}, QDir::Files)) {
            const QString copy = QDir(copies).filePath(name);
            QVERIFY2(backup::integrityProblems(copy).isEmpty(), qPrintable(name));
            QCOMPARE(dump(copy), rows);
        }
    }
    QVERIFY2(killed >= 6, qPrintable(QString::number(killed)));
}

void BackupTest::copiesKept_data()
{
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QStringList>("kept");
    auto days = [](const QDate &first, int count) {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list << first.addDays(i).toString(Qt::ISODate);
        return list;
    };
    QTest::newRow("fewer than seven") << days(QDate(2026, 3, 1), 5) << days(QDate(2026, 3, 1), 5);
    // Sixty days in a row (the last, 30.4.2026, a Thursday): the week of the
    // oldest daily copy (20.4, Monday, to 24.4) gives no weekly copy; the
    // four weeks before it give their Sundays.
    QTest::newRow("sixty days") << days(QDate(2026, 3, 2), 60)
                                << (days(QDate(2026, 4, 24), 7)
                                    + QStringList{"2026-04-19", "2026-04-12", "2026-04-05", "2026-03-29"});
    // Copies only when the data changed: the weekly copy of a week is its newest.
    QTest::newRow("sparse") << QStringList{"2026-01-05", "2026-01-07", "2026-01-20", "2026-02-02", "2026-02-03",
                                           "2026-02-10", "2026-02-11", "2026-02-12", "2026-02-13", "2026-02-16",
                                           "2026-02-17", "2026-02-18"}
                            << QStringList{"2026-02-18", "2026-02-17", "2026-02-16", "2026-02-13", "2026-02-12",
                                           "2026-02-11", "2026-02-10", "2026-02-03", "2026-01-20", "2026-01-07"};
}

void BackupTest::copiesKept()
{
    QFETCH(QStringList, taken);
    QFETCH(QStringList, kept);
    QList<QDateTime> times;
    for (const QString &day : taken)
        times << QDateTime(QDate::fromString(day, Qt::ISODate), QTime(9, 0));
    QStringList result;
    for (const QDateTime &t : backup::copiesToKeep(times))
        result << t.date().toString(Qt::ISODate);
    std::sort(kept.begin(), kept.end(), std::greater<>());
    QCOMPARE(result, kept);
}

void BackupTest::rotationKeepsSevenDailyAndFourWeekly()
{
    QTemporaryDir dir;
    const QDateTime first(QDate(2026, 1, 1), QTime(8, 30, 5));
    for (int i = 0; i < 60; ++i) {
        const QString name = backup::copyName(first.addDays(i));
        for (const QString &file : {name, QStringLiteral("sys") + name.mid(3)}) {
            QFile f(dir.filePath(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
    }
    // Left-overs of an interrupted run: removed once they are old.
    for (const QString &file : {QStringLiteral("vok-2026-01-02-000000.db.partial"), QStringLiteral("sys-2026-01-03-000000.db")}) {
        QFile f(dir.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        setModified(dir.filePath(file), QDateTime::currentDateTime().addDays(-2));
    }
    QFile other(dir.filePath(QStringLiteral("vok-inainte-de-restaurare-2026-01-01-000000.db")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();

    backup::rotate(dir.path());
    const QStringList data = QDir(dir.path()).entryList({QStringLiteral("vok-2*.db")}, QDir::Files);
    const QStringList system = QDir(dir.path()).entryList({QStringLiteral("sys-2*.db")}, QDir::Files);
    QCOMPARE(data.size(), 7 + 4);
    QCOMPARE(system.size(), 7 + 4);
    QVERIFY(data.contains(backup::copyName(first.addDays(59))));
    QVERIFY(!QDir(dir.path()).entryList({QStringLiteral("*.partial")}).size());
    QVERIFY(other.exists());
    backup::rotate(dir.path());
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("vok-2*.db")}, QDir::Files), data);
}

void BackupTest::automaticCopyOnlyWhenChanged()
{
    Folder folder;
    const QDateTime monday(QDate(2026, 3, 2), QTime(8, 0));
    const QStringList files{folder.path(), folder.path(QStringLiteral("sys.db"))};
    for (const QString &f : files)
        setModified(f, monday.addDays(-1));

    backup::AutomaticOutcome outcome = backup::runAutomaticCopy(folder.dir.path(), monday);
    QCOMPARE(outcome.kind, backup::AutomaticOutcome::Made);
    QCOMPARE(QFileInfo(outcome.copy).fileName(), QStringLiteral("vok-2026-03-02-080000.db"));
    QVERIFY(QFileInfo::exists(backup::systemFileFor(outcome.copy)));
    // Once a day.
    QCOMPARE(backup::runAutomaticCopy(folder.dir.path(), monday.addSecs(3600)).kind,
             backup::AutomaticOutcome::AlreadyToday);
    // The next day, nothing written since: no copy.
    QCOMPARE(backup::runAutomaticCopy(folder.dir.path(), monday.addDays(1)).kind, backup::AutomaticOutcome::NotNeeded);
    // Written on Tuesday after that: Wednesday's start copies.
    folder.sql({QStringLiteral("UPDATE auto SET marca='Logan'")});
    for (const QString &f : files)
        setModified(f, monday.addDays(1).addSecs(3600));
    outcome = backup::runAutomaticCopy(folder.dir.path(), monday.addDays(2));
    QCOMPARE(outcome.kind, backup::AutomaticOutcome::Made);
    QCOMPARE(QDir(backup::automaticFolder(folder.dir.path())).entryList({QStringLiteral("vok-*.db")}).size(), 2);

    // A failure is noted, and the next start tries again.
    QFile::remove(folder.path());
    outcome = backup::runAutomaticCopy(folder.dir.path(), monday.addDays(3));
    QCOMPARE(outcome.kind, backup::AutomaticOutcome::Failed);
    QFile log(QDir(backup::automaticFolder(folder.dir.path())).filePath(QStringLiteral("copii-automate.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY2(text.contains("2026-03-05 08:00:00 eroare: "), text.constData());
    QCOMPARE(backup::runAutomaticCopy(folder.dir.path(), monday.addDays(3)).kind, backup::AutomaticOutcome::Failed);
}

void BackupTest::automaticCopyRunsOnItsOwnThread()
{
    Folder folder;
    QStringList bulk{QStringLiteral("BEGIN")};
    for (int i = 0; i < 2000; ++i)
        bulk << QStringLiteral("INSERT INTO curse (idf, nrc, traseu) VALUES (1, %1, '%2')").arg(i + 2).arg(QString(3000, u'a'));
    bulk << QStringLiteral("COMMIT");
    folder.sql(bulk);
    const QDir copies(backup::automaticFolder(folder.dir.path()));
    {
        AutomaticCopy copy(folder.dir.path());
        QSignalSpy finished(&copy, &AutomaticCopy::finished);
        copy.start(QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
        QCOMPARE(copy.outcome().kind, backup::AutomaticOutcome::Made);
    }
    // Stopped at once (the program closing): nothing half-made stays, and
    // the day's copy is made at a later start.
    {
        AutomaticCopy copy(folder.dir.path());
        copy.start(QDateTime(QDate(2026, 3, 3), QTime(8, 0)));
        copy.stop();
        QVERIFY(!copy.isRunning());
        if (copy.outcome().kind == backup::AutomaticOutcome::Failed)
            QVERIFY2(copy.outcome().message.startsWith("intrerupta"), qPrintable(copy.outcome().message));
    }
    QCOMPARE(copies.entryList({QStringLiteral("*.partial*")}), QStringList());
    for (const QString &name : copies.entryList({QStringLiteral("vok-*.db")}))
        QCOMPARE(backup::integrityProblems(copies.filePath(name)), QStringList());
}

void BackupTest::restoreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("truncated") << "truncated" << "trunchiat";
    QTest::newRow("foreign") << "foreign" << "nu este o baza de date a acestui program";
    QTest::newRow("newer") << "newer" << "versiune mai noua";
    QTest::newRow("not a database") << "text" << "nu este o baza de date";
    QTest::newRow("damaged") << "damaged" << "deteriorat";
    QTest::newRow("missing") << "missing" << "nu exista";
    QTest::newRow("the data file itself") << "self" << "chiar fisierul de date";
}

void BackupTest::restoreRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Folder folder;
    QStringList bulk{QStringLiteral("BEGIN")};
    for (int i = 0; i < 200; ++i)
        bulk << QStringLiteral("INSERT INTO curse (idf, nrc, traseu) VALUES (1, %1, '%2')").arg(i + 2).arg(QString(2000, u'r'));
    bulk << QStringLiteral("COMMIT");
    folder.sql(bulk);
    QTemporaryDir elsewhere;
    const QString good = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    QString file = elsewhere.filePath(QStringLiteral("vok-candidate.db"));
    QVERIFY(QFile::copy(good, file));
    auto rewrite = [&](const QByteArray &bytes) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    QFile source(good);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray content = source.readAll();
    if (kind == QLatin1String("truncated")) {
        rewrite(content.left(content.size() / 2));
    } else if (kind == QLatin1String("damaged")) {
        QByteArray broken = content;
        for (qsizetype i = 4096 * 3; i < 4096 * 5; ++i)
            broken[i] = char(0x5a);
        rewrite(broken);
    } else if (kind == QLatin1String("text")) {
        rewrite("Nr. auto;marca\nB-01-ABC;Dacia\n");
    } else if (kind == QLatin1String("missing")) {
        file = elsewhere.filePath(QStringLiteral("vok-none.db"));
    } else if (kind == QLatin1String("self")) {
        file = folder.path();
    } else {
        if (kind == QLatin1String("foreign"))
            QFile::remove(file);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("alter"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        if (kind == QLatin1String("foreign")) {
            exec(db, QStringLiteral("CREATE TABLE clients (id INTEGER, name TEXT)"));
            exec(db, QStringLiteral("INSERT INTO clients VALUES (1, 'x')"));
        } else {
            exec(db, QStringLiteral("PRAGMA user_version=%1").arg(database::currentSchemaVersion(DatabaseKind::Data) + 1));
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("alter"));
    }

    const QStringList before = QDir(folder.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QByteArray data = hashOf(folder.path());
    const QByteArray system = hashOf(folder.path(QStringLiteral("sys.db")));
    try {
        backup::prepareRestore(folder.dir.path(), file);
        QFAIL("the copy was not refused");
    } catch (const backup::Refused &refusal) {
        QVERIFY2(refusal.message().contains(reason), qPrintable(refusal.message()));
    }
    // And through the command line.
    QString out, err;
    QTextStream o(&out), e(&err);
    QCOMPARE(backup::runRestoreCommand({folder.dir.path(), {}}, file, o, e), 1);
    QVERIFY2(err.contains(reason), qPrintable(err));
    QCOMPARE(QDir(folder.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(hashOf(folder.path()), data);
    QCOMPARE(hashOf(folder.path(QStringLiteral("sys.db"))), system);
}

void BackupTest::restoreGivesBackExactlyItsRows()
{
    Folder folder;
    const QStringList original = dump(folder.path());
    const QString copy = backup::copyDataFolder(folder.dir.path(), folder.path(QStringLiteral("copii")),
                                                QDateTime(QDate(2026, 3, 1), QTime(10, 30, 15)));
    QCOMPARE(QFileInfo(copy).fileName(), QStringLiteral("vok-2026-03-01-103015.db"));
    // An older copy is brought up to the program's schema.
    alter(copy, firstVersion());

    folder.sql({QStringLiteral("UPDATE auto SET marca='Logan'"), QStringLiteral("DELETE FROM curse"),
                QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('B-99-NEW', 'Iveco')")});
    const QStringList changed = dump(folder.path());

    const backup::Prepared prepared = backup::prepareRestore(folder.dir.path(), copy);
    QCOMPARE(prepared.summary.vehicles, qint64(1));
    QCOMPARE(prepared.summary.sheets, qint64(1));
    QCOMPARE(prepared.summary.lastSheetDate, QStringLiteral("05.03.2026"));
    QCOMPARE(prepared.summary.taken, QDateTime(QDate(2026, 3, 1), QTime(10, 30, 15)));
    QVERIFY(prepared.summary.migrated);
    QVERIFY(!prepared.summary.systemFile.isEmpty());
    const backup::Installed installed =
        backup::install(prepared, QStringLiteral("inainte-de-restaurare"), QDateTime(QDate(2026, 3, 6), QTime(9, 0)));

    QCOMPARE(dump(folder.path()), original);
    QCOMPARE(dump(installed.dataAside), changed);
    QCOMPARE(QFileInfo(installed.dataAside).fileName(), QStringLiteral("vok-inainte-de-restaurare-2026-03-06-090000.db"));
    QVERIFY(QFileInfo::exists(installed.systemAside));
    QVERIFY(!QFileInfo::exists(prepared.data));
    const QString name = QStringLiteral("after-restore");
    {
        const QSqlDatabase db = database::openSqlite(folder.path(), name, DatabaseKind::Data);
        QCOMPARE(schema::version(db, DatabaseKind::Data), database::currentSchemaVersion(DatabaseKind::Data));
    }
    database::close(name);
}

void BackupTest::checkFindsWhatIsWrong()
{
    Folder folder;
    QCOMPARE(backup::checkDataFolder(folder.dir.path()), QStringList());
    folder.sql({QStringLiteral("INSERT INTO curse (idc, idf, nrc) VALUES (50, 9, 1)"),
                QStringLiteral("INSERT INTO foaie (idf, nrf, ida) VALUES (60, 3, 8)"),
                QStringLiteral("INSERT INTO dateluna (idd, ida, anul, idl) VALUES (70, 8, 2026, 2)")});
    QCOMPARE(backup::checkDataFolder(folder.dir.path()),
             (QStringList{"vok.db: curse: cursa idc=50 (nr. 1) este pe foaia idf=9, care nu exista",
                          "vok.db: foaie: foaia idf=60 (nr. 3) este a autovehiculului ida=8, care nu exista",
                          "vok.db: dateluna: luna idd=70 (2/2026) este a autovehiculului ida=8, care nu exista"}));

    // A damaged page is the engine's finding.
    QStringList bulk{QStringLiteral("BEGIN")};
    for (int i = 0; i < 300; ++i)
        bulk << QStringLiteral("INSERT INTO curse (idf, nrc, traseu) VALUES (1, %1, '%2')").arg(i + 2).arg(QString(2000, u'd'));
    bulk << QStringLiteral("COMMIT");
    folder.sql(bulk);
    {
        QFile f(folder.path());
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(f.size() - 4096 * 20);
        f.write(QByteArray(4096 * 2, char(0x33)));
    }
    const QStringList problems = backup::checkDataFolder(folder.dir.path());
    QVERIFY(!problems.isEmpty());
    QVERIFY2(problems.first().startsWith(QLatin1String("vok.db: ")), qPrintable(problems.join(u'\n')));
}

void BackupTest::commandLine()
{
    Folder folder;
    QTemporaryDir copies;
    auto run = [](const QStringList &arguments, QByteArray *out = nullptr, QByteArray *err = nullptr) {
        QProcess vok;
        vok.start(programPath(), arguments);
        vok.waitForFinished(60000);
        if (out)
            *out = vok.readAllStandardOutput();
        if (err)
            *err = vok.readAllStandardError();
        return vok.exitCode();
    };
    const QString dir = folder.dir.path();
    QByteArray out, err;
    QCOMPARE(run({"--data-dir", dir, "--backup", copies.path()}, &out, &err), 0);
    const QString copy = QString::fromLocal8Bit(out).trimmed();
    QVERIFY2(QFileInfo(copy).isFile() && copy.startsWith(copies.path()), out.constData());
    QVERIFY(QFileInfo::exists(backup::systemFileFor(copy)));

    QCOMPARE(run({"--data-dir", dir, "--check"}, &out), 0);
    QCOMPARE(out.trimmed(), QByteArray("ok"));
    folder.sql({QStringLiteral("INSERT INTO curse (idc, idf, nrc) VALUES (50, 9, 1)")});
    QCOMPARE(run({"--data-dir", dir, "--check"}, &out), 1);
    QCOMPARE(out.trimmed(), QByteArray("vok.db: curse: cursa idc=50 (nr. 1) este pe foaia idf=9, care nu exista"));

    QCOMPARE(run({"--data-dir", dir, "--restore", copy}, &out, &err), 0);
    QCOMPARE(run({"--data-dir", dir, "--check"}), 0);
    QCOMPARE(run({"--data-dir", dir, "--restore", folder.path(QStringLiteral("nothing.db"))}, &out, &err), 1);
    QVERIFY2(err.contains("nu exista"), err.constData());
    QCOMPARE(run({"--data-dir", copies.filePath(QStringLiteral("empty")), "--backup", copies.path()}, &out, &err), 1);
    QCOMPARE(run({"--data-dir", copies.filePath(QStringLiteral("empty")), "--check"}), 2);
}


void BackupTest::foreignObjectsRefused_data()
{
    QTest::addColumn<QString>("file");      // vok or sys
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("named");     // what the refusal names; empty = accepted
    QTest::newRow("a trigger that empties auto")
        << "vok" << QStringList{"CREATE TRIGGER t AFTER INSERT ON curse BEGIN DELETE FROM auto; END"} << "triggerul t";
    QTest::newRow("a view") << "vok" << QStringList{"CREATE VIEW v AS SELECT * FROM auto"} << "vederea v";
    QTest::newRow("a table") << "vok" << QStringList{"CREATE TABLE extra (x)"} << "tabela extra";
    QTest::newRow("an index") << "vok" << QStringList{"CREATE INDEX spy ON auto (marca)"} << "indexul spy";
    QTest::newRow("a column") << "vok" << QStringList{"ALTER TABLE auto ADD COLUMN spion TEXT"} << "spion";
    QTest::newRow("the program's index on another table")
        << "vok" << QStringList{"DROP INDEX piese_vehicle", "CREATE INDEX piese_vehicle ON auto (ida)"}
        << "indexul piese_vehicle";
    QTest::newRow("the program's index made unique")
        << "vok" << QStringList{"DROP INDEX piese_vehicle", "CREATE UNIQUE INDEX piese_vehicle ON piese (ida)"}
        << "indexul piese_vehicle (pe tabela piese) are alta definitie";
    QTest::newRow("a column of a later version") << "vok" << QStringList{"PRAGMA user_version=2"} << "caprez";
    QTest::newRow("a table missing") << "vok" << QStringList{"DROP TABLE uleiCa2"} << "lipseste tabela uleiCa2";
    QTest::newRow("a trigger in sys.db")
        << "sys" << QStringList{"CREATE TRIGGER s AFTER UPDATE ON valid BEGIN DELETE FROM valid; END"} << "triggerul s";
    QTest::newRow("the engine's statistics") << "vok" << QStringList{"ANALYZE"} << "";
    QTest::newRow("a copy of the first version") << "vok" << firstVersion() << "";
}

void BackupTest::foreignObjectsRefused()
{
    QFETCH(QString, file);
    QFETCH(QStringList, statements);
    QFETCH(QString, named);
    Folder folder;
    QTemporaryDir elsewhere;
    const QString copy = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    alter(file == QLatin1String("vok") ? copy : backup::systemFileFor(copy), statements);

    const QByteArray data = hashOf(folder.path());
    const QByteArray system = hashOf(folder.path(QStringLiteral("sys.db")));
    const QStringList before = folderEntries(folder.dir.path());
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = backup::runRestoreCommand({folder.dir.path(), {}}, copy, o, e, [] { return std::nullopt; });
    if (named.isEmpty()) {
        QVERIFY2(code == 0, qPrintable(err));
        return;
    }
    QCOMPARE(code, 1);
    QVERIFY2(err.contains(named), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("nu este o baza de date a acestui program")), qPrintable(err));
    QCOMPARE(hashOf(folder.path()), data);
    QCOMPARE(hashOf(folder.path(QStringLiteral("sys.db"))), system);
    QCOMPARE(folderEntries(folder.dir.path()), before);
}

void BackupTest::installRefusesForeignObjects()
{
    // Whatever prepared the files (an import, a restore), install() lets in
    // only the program's own objects.
    Folder folder;
    QTemporaryDir elsewhere;
    const QString copy = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    backup::Prepared prepared = backup::prepareRestore(folder.dir.path(), copy);
    alter(prepared.data, {"CREATE TRIGGER t AFTER INSERT ON curse BEGIN DELETE FROM auto; END"});
    const QByteArray data = hashOf(folder.path());
    try {
        backup::install(prepared, QStringLiteral("inainte-de-import"), QDateTime::currentDateTime());
        QFAIL("the files went in");
    } catch (const backup::Refused &refusal) {
        QVERIFY2(refusal.message().contains(QStringLiteral("triggerul t")), qPrintable(refusal.message()));
    }
    QCOMPARE(hashOf(folder.path()), data);
    backup::discard(prepared);
}

void BackupTest::killedBetweenRenamesEndsWithOnePair_data()
{
    QTest::addColumn<int>("renamed");         // renames done when the run dies
    QTest::addColumn<bool>("nextProgram");    // the next start is the program's --check
    QTest::newRow("after sys.db") << 1 << false;
    QTest::newRow("after sys.db, then vok --check") << 1 << true;
    QTest::newRow("after both") << 2 << false;
}

void BackupTest::killedBetweenRenamesEndsWithOnePair()
{
    QFETCH(int, renamed);
    QFETCH(bool, nextProgram);
    Folder folder;
    setPassword(folder.path(QStringLiteral("sys.db")), QStringLiteral("veche"));
    QTemporaryDir elsewhere;
    const QString copy = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    alter(copy, {"UPDATE auto SET marca='DIN COPIE'"});
    setPassword(backup::systemFileFor(copy), QStringLiteral("noua"));
    const QStringList fromCopy = dump(copy);

    struct Killed {};
    {
        const backup::Prepared prepared = backup::prepareRestore(folder.dir.path(), copy);
        const QByteArray preparedSys = hashOf(prepared.system);
        try {
            backup::install(prepared, QStringLiteral("inainte-de-restaurare"), QDateTime::currentDateTime(),
                            [&](int done) {
                                if (done == renamed)
                                    throw Killed();
                            });
            QFAIL("the run was not stopped");
        } catch (const Killed &) {
        }
        QCOMPARE(hashOf(folder.path(QStringLiteral("sys.db"))), preparedSys);
    }
    // The next start completes the replacement: the copy's pair, nothing left over.
    if (nextProgram) {
        QProcess check;
        check.start(programPath(), {QStringLiteral("--data-dir"), folder.dir.path(), QStringLiteral("--check")});
        QVERIFY(check.waitForFinished(60000));
        QCOMPARE(check.exitCode(), 0);
        QVERIFY(check.readAllStandardError().contains("dusa la capat"));
    } else {
        QCOMPARE(backup::recoverInterrupted(folder.dir.path()).size(), renamed == 1 ? 1 : 0);
    }
    QCOMPARE(dump(folder.path()), fromCopy);
    QVERIFY(!QFileInfo::exists(folder.path(QStringLiteral("vok.db.inlocuire"))));
    QVERIFY(!QFileInfo::exists(folder.path(QStringLiteral("vok.db.restaurare"))));
    QVERIFY(!QFileInfo::exists(folder.path(QStringLiteral("sys.db.restaurare"))));
    const QString name = QStringLiteral("after-kill-%1").arg(renamed);
    {
        const QSqlDatabase sys = database::openSqlite(folder.path(QStringLiteral("sys.db")), name, DatabaseKind::System);
        QVERIFY(PasswordStore(sys).matches(QStringLiteral("noua")));
    }
    database::close(name);
    QCOMPARE(backup::recoverInterrupted(folder.dir.path()), QStringList());
}

void BackupTest::leftoversOfKilledRunsRemoved()
{
    Folder folder;
    QTemporaryDir elsewhere;
    const QString copy = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    // Files a live restore holds stay; those of a killed one go.
    backup::Prepared prepared = backup::prepareRestore(folder.dir.path(), copy);
    QCOMPARE(backup::recoverInterrupted(folder.dir.path()), QStringList());
    QVERIFY(QFileInfo::exists(prepared.data));
    prepared.hold.reset();
    QCOMPARE(backup::recoverInterrupted(folder.dir.path()).size(), 2);
    QVERIFY(!QFileInfo::exists(prepared.data));
    QVERIFY(!QFileInfo::exists(prepared.system));

    // A killed --backup: a half-written copy and a password copy alone, of
    // any age, go at the next copy into that folder.
    const QString stem = QStringLiteral("vok-2026-03-01-101010.db");
    for (const QString &name : QStringList{stem + ".partial", "sys-2026-03-01-101010.db", "sys-2026-03-01-111111.db.partial"}) {
        QFile f(elsewhere.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("half");
    }
    const QString next = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    QStringList expected{QFileInfo(copy).fileName(), QFileInfo(backup::systemFileFor(copy)).fileName(),
                         QFileInfo(next).fileName(), QFileInfo(backup::systemFileFor(next)).fileName()};
    expected.sort();
    QCOMPARE(folderEntries(elsewhere.path()), expected);
}

void BackupTest::passwordFileTheStartRefusesIsRefused()
{
    Folder folder;
    QTemporaryDir elsewhere;
    const QString copy = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    alter(backup::systemFileFor(copy), {"DELETE FROM valid"});
    const QByteArray system = hashOf(folder.path(QStringLiteral("sys.db")));
    QString out, err;
    QTextStream o(&out), e(&err);
    QCOMPARE(backup::runRestoreCommand({folder.dir.path(), {}}, copy, o, e, [] { return std::nullopt; }), 1);
    QVERIFY2(err.contains(PasswordStore::missingRowMessage()), qPrintable(err));
    QCOMPARE(hashOf(folder.path(QStringLiteral("sys.db"))), system);
}

void BackupTest::restoreKeepsPermissions()
{
    Folder folder;
    QTemporaryDir elsewhere;
    const QString copy = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const auto owner = QFile::ReadOwner | QFile::WriteOwner;
    for (const char *name : {"vok.db", "sys.db"})
        QVERIFY(QFile::setPermissions(folder.path(QLatin1String(name)), owner));
    QString out, err;
    QTextStream o(&out), e(&err);
    QCOMPARE(backup::runRestoreCommand({folder.dir.path(), {}}, copy, o, e, [] { return std::nullopt; }), 0);
    for (const char *name : {"vok.db", "sys.db"})
        QCOMPARE(QFile::permissions(folder.path(QLatin1String(name))) & 0x7077, owner & 0x7077);
}

void BackupTest::currentPasswordBeforeReplacing_data()
{
    QTest::addColumn<QString>("current");      // the data folder's password; "!" = sys.db unreadable
    QTest::addColumn<QVariant>("environment"); // VOK_PASSWORD, null = not set
    QTest::addColumn<QVariant>("typed");       // on the terminal, null = no terminal
    QTest::addColumn<bool>("withSysCopy");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    const QVariant none;
    QTest::newRow("no terminal") << "veche" << none << none << true << 1 << " Parola curenta este necesara ";
    QTest::newRow("wrong from the environment") << "veche" << QVariant("alta") << none << true << 1 << " Parola incorecta !!! ";
    QTest::newRow("wrong on the terminal") << "veche" << none << QVariant("Veche") << true << 1 << " Parola incorecta !!! ";
    QTest::newRow("right from the environment") << "veche" << QVariant("veche") << none << true << 0 << "";
    QTest::newRow("right on the terminal") << "veche" << none << QVariant("veche") << true << 0 << "";
    QTest::newRow("no password set") << "" << none << none << true << 0 << "";
    QTest::newRow("sys.db unreadable") << "!" << none << none << true << 0 << "avertisment";
    QTest::newRow("the password stays") << "veche" << none << none << false << 0 << "";
}

void BackupTest::currentPasswordBeforeReplacing()
{
    QFETCH(QString, current);
    QFETCH(QVariant, environment);
    QFETCH(QVariant, typed);
    QFETCH(bool, withSysCopy);
    QFETCH(int, code);
    QFETCH(QString, said);
    Folder folder;
    QTemporaryDir elsewhere;
    const QString copy = backup::copyDataFolder(folder.dir.path(), elsewhere.path(), QDateTime::currentDateTime());
    setPassword(backup::systemFileFor(copy), QStringLiteral("noua"));
    if (!withSysCopy)
        QFile::remove(backup::systemFileFor(copy));
    if (current == QLatin1String("!")) {
        QFile f(folder.path(QStringLiteral("sys.db")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, 'x'));
    } else {
        setPassword(folder.path(QStringLiteral("sys.db")), current);
    }
    const QByteArray system = hashOf(folder.path(QStringLiteral("sys.db")));
    const QByteArray data = hashOf(folder.path());
    if (environment.isNull())
        qunsetenv("VOK_PASSWORD");
    else
        qputenv("VOK_PASSWORD", environment.toString().toUtf8());
    int asked = 0;
    QString out, err;
    QTextStream o(&out), e(&err);
    const int result = backup::runRestoreCommand({folder.dir.path(), {}}, copy, o, e, [&]() -> std::optional<QString> {
        ++asked;
        if (typed.isNull())
            return std::nullopt;
        return typed.toString();
    });
    qunsetenv("VOK_PASSWORD");
    QVERIFY2(result == code, qPrintable(err));
    if (!said.isEmpty())
        QVERIFY2(err.contains(said), qPrintable(err));
    QVERIFY(asked <= 1);
    if (code == 1) {
        QCOMPARE(hashOf(folder.path(QStringLiteral("sys.db"))), system);
        QCOMPARE(hashOf(folder.path()), data);
    } else if (withSysCopy) {
        QCOMPARE(hashOf(folder.path(QStringLiteral("sys.db"))), hashOf(backup::systemFileFor(copy)));
    }
}

void BackupTest::compactionCopiesApartFromAutomaticOnes()
{
    Folder folder;
    const QString automatic = backup::automaticFolder(folder.dir.path());
    const QDateTime first(QDate(2026, 3, 2), QTime(9, 0));
    for (int day = 0; day < 7; ++day)
        backup::copyDataFolder(folder.dir.path(), automatic, first.addDays(day));
    const QStringList daily = QDir(automatic).entryList({QStringLiteral("vok-*.db")}, QDir::Files);
    QCOMPARE(daily.size(), 7);
    QStringList copies;
    for (int run = 0; run < 6; ++run)
        copies << backup::compact(folder.dir.path(), first.addDays(7).addSecs(run * 60)).copy;
    // The automatic copies as they were; the newest compaction copies kept by their own rule.
    QCOMPARE(QDir(automatic).entryList({QStringLiteral("vok-*.db")}, QDir::Files), daily);
    const QString compaction = backup::compactionFolder(folder.dir.path());
    QCOMPARE(QFileInfo(copies.last()).absolutePath(), QFileInfo(compaction).absoluteFilePath());
    QCOMPARE(QDir(compaction).entryList({QStringLiteral("vok-*.db")}, QDir::Files).size(), backup::compactionCopiesKept);
    QVERIFY(QFileInfo::exists(copies.last()));
    QVERIFY(!QFileInfo::exists(copies.first()));
}

QTEST_GUILESS_MAIN(BackupTest)
#include "tst_backup.moc"
