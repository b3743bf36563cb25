// Runs on SQLite only: files, locks and killed processes of a data folder.
// Faults made for real at start-up and while working: files that are not
// databases, damaged or truncated, a read-only data folder, a file locked by
// another process, a missing password file, a full disk. At start-up the
// message names the file and the file is left as it was; while working the
// action is rolled back and a retry succeeds once the cause is gone.
#include "app/mainwindow.h"
#include "app/startup.h"
#include "db/database.h"
#include "db/passwordstore.h"
#include "testenvironment.h"

#include <QDateTime>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QSqlError>
#include <QTimer>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vok;

namespace {

// The bytes and the modification time of a file: what "left untouched" means.
struct Snapshot {
    QByteArray bytes;
    QDateTime modified;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return {file.readAll(), QFileInfo(path).fileTime(QFileDevice::FileModificationTime)};
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A database of this program with some rows, closed (its WAL folded in).
QByteArray realDatabase(DatabaseKind kind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.db"));
    {
        const QSqlDatabase db = database::openSqlite(path, QStringLiteral("maker"), kind);
        if (kind == DatabaseKind::Data) {
            Transaction transaction(db);
            for (int i = 0; i < 400; ++i)
                exec(db, QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES (?, ?)"),
                     {QStringLiteral("B-%1").arg(i), QString(60, QLatin1Char('m'))});
            transaction.commit();
        } else {
            PasswordStore(db).set(QStringLiteral("secret"));
        }
    }
    database::close(QStringLiteral("maker"));
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QString fileName(DatabaseKind kind)
{
    return kind == DatabaseKind::Data ? QStringLiteral("vok.db") : QStringLiteral("sys.db");
}

// Opens `path` expecting a refusal; returns the message.
QString refusal(const QString &path, DatabaseKind kind)
{
    QString message;
    try {
        database::openSqlite(path, QStringLiteral("faulty"), kind);
    } catch (const DbError &error) {
        message = error.message();
    }
    database::close(QStringLiteral("faulty"));
    if (qEnvironmentVariableIsSet("VOK_SHOW_MESSAGES"))
        qInfo("%s", qPrintable(message));
    return message;
}

QString childProgram() { return QStringLiteral(VOK_CHILD_PROCESS); }

// Opens `path` in a second process, as "nobody" when the tests run as root
// (root writes wherever it likes), else as this user. Returns its answer.
// As "nobody" it runs a copy of the program in `folder` (open to others),
// since the build folder's parents may be closed to other users.
QString openInChild(const QString &path, const QString &folder)
{
    QProcess child;
    QString program = childProgram();
    if (::geteuid() == 0) {
        program = folder + QStringLiteral("/childprocess");
        if (!QFile::exists(program) && !QFile::copy(childProgram(), program))
            return QStringLiteral("cannot copy the child program");
        ::chmod(QFile::encodeName(program).constData(), 0755);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("LSAN_OPTIONS")); // its suppressions file may be out of reach
        child.setProcessEnvironment(environment);
        child.setChildProcessModifier([] {
            const gid_t none[1] = {65534};
            if (::setgroups(1, none) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
        });
    }
    child.start(program, {QStringLiteral("open"), path});
    child.waitForFinished(20000);
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}

// A temporary folder that user "nobody" can enter: under /tmp, whatever
// TMPDIR says.
QString openTemplate() { return QStringLiteral("/tmp/vok-reliability-XXXXXX"); }

// A second process holding `path` locked until it is stopped.
class Locker {
public:
    Locker(const QString &path, const QString &how)
    {
        m_process.start(childProgram(), {QStringLiteral("lock"), path, how});
        m_process.waitForStarted();
        m_process.waitForReadyRead(10000);
        m_line = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~Locker() { release(); }
    bool locked() const { return m_line == QLatin1String("locked"); }
    QString line() const { return m_line; }
    void release()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

private:
    QProcess m_process;
    QString m_line;
};

// Closes the next message box the program shows, keeping its text.
class MessageBoxCatcher : public QObject {
public:
    MessageBoxCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (box && box->isVisible()) {
                    texts << box->text();
                    box->done(QMessageBox::Ok);
                }
                auto *menu = qobject_cast<MainWindow *>(widget);
                if (menu && menu->isVisible() && !menuShown) {
                    menuShown = true;
                    menu->item(QStringLiteral("mnuies"))->trigger(); // "IESIRE"
                }
            }
        });
        m_timer.start(20);
    }
    QStringList texts;
    bool menuShown = false;

private:
    QTimer m_timer;
};

int runProgramIn(const QString &folder, MessageBoxCatcher &catcher)
{
    Q_UNUSED(catcher);
    StartupOptions options;
    options.dataDir = folder;
    options.splashMilliseconds = 50;
    return runProgram(options);
}

} // namespace

class StartupFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void refusedFileIsLeftUntouched_data();
    void refusedFileIsLeftUntouched();
    void emptyFileIsANewDatabase();
    void lockedByAnotherProcessAtStartup();
    void writeLockedAtStartupStillOpens();
    void writerKilledInRollbackModeIsRecovered();
    void writeLockedWhileWorkingRollsBackAndRetries();
    void databasePathIsAFolder();
    void readOnlyFolder();
    void readOnlyFolderForAnotherUser();
    void readOnlyFileForAnotherUser();
    void folderUnderARegularFile();
    void folderOfAReadOnlyFileSystem();
    void startupRefusesAMissingPasswordFile_data();
    void startupRefusesAMissingPasswordFile();
    void startupRefusesAPasswordTableWithoutItsRow();
    void startupNamesTheDamagedFile();
    void firstStartCreatesBothFiles();
    void diskFullRollsBackAndRetries();
};

void StartupFaultsTest::refusedFileIsLeftUntouched_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    for (const DatabaseKind kind : {DatabaseKind::Data, DatabaseKind::System}) {
        const QByteArray real = realDatabase(kind);
        QVERIFY(real.size() >= 8192);
        const QByteArray tag = fileName(kind).toLatin1();
        auto row = [&](const char *name, const QByteArray &bytes, const char *expected) {
            QTest::newRow((tag + ' ' + name).constData()) << int(kind) << bytes << QString::fromLatin1(expected);
        };
        row("text", QByteArray("trip sheets of March\n").repeated(200), "nu este o baza de date");
        row("random bytes", QByteArray(4096, '\xA5'), "nu este o baza de date");
        row("shorter than the header", real.left(60), "trunchiat");
        row("half of it", real.left(real.size() / 2), "trunchiat");
        row("only the first page", real.left(4096), "trunchiat");

        QByteArray scribbled = real;
        for (int i = 4096; i < scribbled.size(); ++i)
            scribbled[i] = char(i * 7);
        row("pages overwritten", scribbled, "deteriorata");

        QByteArray badPageSize = real;
        badPageSize[16] = 0x03; // 768: not a power of two
        badPageSize[17] = 0x00;
        row("bad page size", badPageSize, "deteriorata");

        QByteArray newer = real;
        newer[60] = 0x7f; // user_version of a far newer program
        row("newer schema", newer, "versiune mai noua");
    }
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            exec(db, QStringLiteral("CREATE TABLE invoices (id INTEGER, total REAL)"));
            exec(db, QStringLiteral("INSERT INTO invoices VALUES (1, 9.5)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTest::newRow("vok.db of another program") << int(DatabaseKind::Data) << file.readAll()
                                                   << QStringLiteral("altui program");
    }
}

void StartupFaultsTest::refusedFileIsLeftUntouched()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName(DatabaseKind(kind)));
    writeFile(path, bytes);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
    }
    const Snapshot before = snapshot(path);

    const QString message = refusal(path, DatabaseKind(kind));

    QVERIFY2(message.startsWith(fileName(DatabaseKind(kind)) + QStringLiteral(": ")), qPrintable(message));
    QVERIFY2(message.contains(expected), qPrintable(message));
    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY(snapshot(path) == before);
    // A second attempt says the same and still writes nothing.
    QCOMPARE(refusal(path, DatabaseKind(kind)), message);
    QVERIFY(snapshot(path) == before);
}

void StartupFaultsTest::emptyFileIsANewDatabase()
{
    // A first start killed before its first commit leaves an empty file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    writeFile(path, {});
    {
        const QSqlDatabase db = database::openSqlite(path, QStringLiteral("empty"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA user_version")).toInt(),
                 database::currentSchemaVersion(DatabaseKind::Data));
    }
    database::close(QStringLiteral("empty"));
}

void StartupFaultsTest::lockedByAnotherProcessAtStartup()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    writeFile(path, realDatabase(DatabaseKind::Data));
    Locker locker(path, QStringLiteral("exclusive"));
    QVERIFY2(locker.locked(), qPrintable(locker.line()));
    const Snapshot before = snapshot(path);

    const QString message = refusal(path, DatabaseKind::Data);
    QVERIFY2(message.startsWith(QStringLiteral("vok.db: Baza de date este folosita de alt program (database is locked)")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("locked")), qPrintable(message));
    QVERIFY(snapshot(path) == before);

    // Once the other program lets go, the same file opens with its rows.
    locker.release();
    {
        const QSqlDatabase db = database::openSqlite(path, QStringLiteral("after"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 400);
    }
    database::close(QStringLiteral("after"));
}

void StartupFaultsTest::writeLockedAtStartupStillOpens()
{
    // Another program in the middle of a write: readers go on (WAL), so the
    // program starts; its own saves wait for the other to finish.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    writeFile(path, realDatabase(DatabaseKind::Data));
    Locker locker(path, QStringLiteral("write"));
    QVERIFY2(locker.locked(), qPrintable(locker.line()));
    {
        const QSqlDatabase db = database::openSqlite(path, QStringLiteral("shared"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 400);
    }
    database::close(QStringLiteral("shared"));
}

void StartupFaultsTest::writerKilledInRollbackModeIsRecovered()
{
    // A copy of vok.db in the rollback-journal mode, whose writer was killed
    // in the middle of a transaction: the journal left behind is rolled back
    // and the file opens with its rows and without the half-done change.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    writeFile(path, realDatabase(DatabaseKind::Data));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rollback"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA journal_mode=DELETE")).toString(), QStringLiteral("delete"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rollback"));
    const qint64 sizeBefore = QFileInfo(path).size();
    QProcess writer;
    writer.start(childProgram(), {QStringLiteral("lock"), path, QStringLiteral("write")});
    QVERIFY(writer.waitForReadyRead(10000));
    QCOMPARE(QString::fromUtf8(writer.readLine()).trimmed(), QStringLiteral("locked"));
    writer.kill();
    QVERIFY(writer.waitForFinished(10000));
    QVERIFY(QFileInfo(path + QStringLiteral("-journal")).size() > 0);
    QVERIFY(QFileInfo(path).size() > sizeBefore); // the change reached the file

    {
        QSqlDatabase db;
        try {
            db = database::openSqlite(path, QStringLiteral("recovered"), DatabaseKind::Data);
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.message()));
        }
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 400);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name='lockprobe'")).toInt(), 0);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto WHERE marca='half-done'")).toInt(), 0);
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    }
    database::close(QStringLiteral("recovered"));
}

void StartupFaultsTest::databasePathIsAFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vok.db"));
    QVERIFY(QDir().mkpath(path));
    const QString message = refusal(path, DatabaseKind::Data);
    QVERIFY2(message.startsWith(QStringLiteral("vok.db: nu este un fisier de baza de date")), qPrintable(message));
    QVERIFY(QDir(path).isEmpty());
}

void StartupFaultsTest::writeLockedWhileWorkingRollsBackAndRetries()
{
    test::TestEnvironment env;
    exec(env.db(), QStringLiteral("PRAGMA busy_timeout=300"));
    Locker locker(env.context().dataFile, QStringLiteral("write"));
    QVERIFY2(locker.locked(), qPrintable(locker.line()));

    auto saveVehicleAndSheet = [&] {
        Transaction transaction(env.db());
        exec(env.db(), QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES (?, ?)"),
             {QStringLiteral("CJ-10-ABC"), QStringLiteral("DACIA")});
        exec(env.db(), QStringLiteral("INSERT INTO foaie (nrf, ida) SELECT 1, ida FROM auto WHERE nrauto=?"),
             {QStringLiteral("CJ-10-ABC")});
        transaction.commit();
    };
    QString message;
    try {
        saveVehicleAndSheet();
    } catch (const DbError &error) {
        message = error.message();
    }
    QVERIFY2(message.contains(QStringLiteral("locked")), qPrintable(message));
    // Reading still works while the other process writes (WAL), and nothing of the action is there.
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 0);

    locker.release();
    saveVehicleAndSheet();
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM foaie")).toInt(), 1);
}

void StartupFaultsTest::readOnlyFolder()
{
    if (::geteuid() == 0)
        QSKIP("root writes into read-only folders; readOnlyFolderForAnotherUser and "
              "folderOfAReadOnlyFileSystem cover this path");
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("vok.db"));
    writeFile(existing, realDatabase(DatabaseKind::Data));
    const Snapshot before = snapshot(existing);
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));

    const QString onExisting = refusal(existing, DatabaseKind::Data);
    const QString onMissing = refusal(dir.filePath(QStringLiteral("sys.db")), DatabaseKind::System);

    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(onExisting.startsWith(QStringLiteral("vok.db: dosarul de date este doar pentru citire")), qPrintable(onExisting));
    QVERIFY2(onMissing.startsWith(QStringLiteral("sys.db: dosarul de date este doar pentru citire, baza de date nu poate fi creata")),
             qPrintable(onMissing));
    QVERIFY(snapshot(existing) == before);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("sys.db"))));
}

void StartupFaultsTest::readOnlyFolderForAnotherUser()
{
    // The folder belongs to this user and is read-only to everyone; the
    // second process runs as "nobody" when the tests run as root, else as
    // this user. Either way it may read but not write there.
    QTemporaryDir dir(openTemplate());
    const QString folder = dir.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    const QString existing = folder + QStringLiteral("/vok.db");
    writeFile(existing, realDatabase(DatabaseKind::Data));
    const Snapshot before = snapshot(existing);
    const auto readAndEnter = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                              | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(dir.path(), readAndEnter | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(folder, readAndEnter));
    QVERIFY(QFile::setPermissions(existing, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup));

    const QString onExisting = openInChild(existing, dir.path());
    const QString onMissing = openInChild(folder + QStringLiteral("/sys.db"), dir.path());

    QFile::setPermissions(folder, readAndEnter | QFile::WriteOwner);
    QVERIFY2(onExisting.startsWith(QStringLiteral("error vok.db: dosarul de date este doar pentru citire")), qPrintable(onExisting));
    QVERIFY2(onMissing.startsWith(QStringLiteral("error sys.db: dosarul de date este doar pentru citire, baza de date nu poate fi creata")),
             qPrintable(onMissing));
    QVERIFY(snapshot(existing) == before);
    QVERIFY(!QFile::exists(folder + QStringLiteral("/sys.db")));
}

void StartupFaultsTest::readOnlyFileForAnotherUser()
{
    // The folder takes new files from anyone; vok.db is writable only by its owner.
    QTemporaryDir dir(openTemplate());
    const QString folder = dir.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    const QString existing = folder + QStringLiteral("/vok.db");
    writeFile(existing, realDatabase(DatabaseKind::Data));
    const Snapshot before = snapshot(existing);
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
    QVERIFY(QFile::setPermissions(existing, QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup
                                                | (::geteuid() == 0 ? QFile::WriteOwner : QFileDevice::Permissions())));

    const QString answer = openInChild(existing, dir.path());

    QVERIFY2(answer.startsWith(QStringLiteral("error vok.db: fisierul este doar pentru citire")), qPrintable(answer));
    QVERIFY(snapshot(existing) == before);
    QVERIFY(!QFile::exists(existing + QStringLiteral("-wal")));
}

void StartupFaultsTest::folderUnderARegularFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("notafolder"));
    writeFile(file, "x");
    const QString message = refusal(file + QStringLiteral("/vok.db"), DatabaseKind::Data);
    QVERIFY2(message.startsWith(QStringLiteral("vok.db: dosarul de date nu exista")), qPrintable(message));

    // The program itself stops before any window, naming the folder.
    MessageBoxCatcher catcher;
    QCOMPARE(runProgramIn(file + QStringLiteral("/data"), catcher), 1);
    QCOMPARE(catcher.texts.size(), 1);
    QVERIFY2(catcher.texts.first().contains(file + QStringLiteral("/data")), qPrintable(catcher.texts.first()));
    QCOMPARE(snapshot(file).bytes, QByteArray("x"));
}

void StartupFaultsTest::folderOfAReadOnlyFileSystem()
{
    // /proc takes no new files, whoever asks: a data folder nobody can write to.
    const QString folder = QStringLiteral("/proc/self/fdinfo");
    if (!QFileInfo(folder).isDir())
        QSKIP("no /proc on this system");
    const QString message = refusal(folder + QStringLiteral("/vok.db"), DatabaseKind::Data);
    QVERIFY2(message.startsWith(QStringLiteral("vok.db: dosarul de date este doar pentru citire, baza de date nu poate fi creata"))
                 || message.startsWith(QStringLiteral("vok.db: baza de date nu poate fi creata in /proc/self/fdinfo")),
             qPrintable(message));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/vok.db")));
}

void StartupFaultsTest::startupRefusesAMissingPasswordFile_data()
{
    QTest::addColumn<bool>("emptyFile");
    QTest::newRow("sys.db deleted") << false;
    QTest::newRow("sys.db emptied") << true;
}

void StartupFaultsTest::startupRefusesAMissingPasswordFile()
{
    // A folder whose vok.db holds data and whose sys.db went missing must not
    // open without its password: nothing is created, the clerk is told.
    QFETCH(bool, emptyFile);
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("vok.db"));
    const QString sys = dir.filePath(QStringLiteral("sys.db"));
    writeFile(data, realDatabase(DatabaseKind::Data));
    if (emptyFile)
        writeFile(sys, {});
    const Snapshot before = snapshot(data);

    MessageBoxCatcher catcher;
    QCOMPARE(runProgramIn(dir.path(), catcher), 1);

    QVERIFY(!catcher.menuShown);
    QCOMPARE(catcher.texts.size(), 1);
    QVERIFY2(catcher.texts.first().startsWith(QStringLiteral("sys.db: ")), qPrintable(catcher.texts.first()));
    QVERIFY2(catcher.texts.first().contains(sys), qPrintable(catcher.texts.first()));
    QVERIFY(snapshot(data) == before);
    QCOMPARE(QFileInfo::exists(sys), emptyFile);
    QCOMPARE(QFileInfo(sys).size(), 0);
}

void StartupFaultsTest::startupRefusesAPasswordTableWithoutItsRow()
{
    // valid without its row: the program does not start as if no password
    // were set; it says so, naming sys.db, and ends.
    QTemporaryDir dir;
    const QString sys = dir.filePath(QStringLiteral("sys.db"));
    writeFile(dir.filePath(QStringLiteral("vok.db")), realDatabase(DatabaseKind::Data));
    {
        const QSqlDatabase db = database::openSqlite(sys, QStringLiteral("rowless"), DatabaseKind::System);
        exec(db, QStringLiteral("DELETE FROM valid"));
    }
    database::close(QStringLiteral("rowless"));

    MessageBoxCatcher catcher;
    QCOMPARE(runProgramIn(dir.path(), catcher), 1);

    QVERIFY(!catcher.menuShown);
    QCOMPARE(catcher.texts.size(), 1);
    QVERIFY2(catcher.texts.first().startsWith(QStringLiteral("sys.db: tabela valid nu are randul parolei de acces")),
             qPrintable(catcher.texts.first()));
    database::close(QString::fromLatin1(DataConnectionName));
    database::close(QString::fromLatin1(SystemConnectionName));
}

void StartupFaultsTest::startupNamesTheDamagedFile()
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("vok.db"));
    const QString sys = dir.filePath(QStringLiteral("sys.db"));
    writeFile(data, realDatabase(DatabaseKind::Data));
    writeFile(sys, realDatabase(DatabaseKind::System).left(2048));
    const Snapshot dataBefore = snapshot(data);
    const Snapshot sysBefore = snapshot(sys);

    MessageBoxCatcher catcher;
    QCOMPARE(runProgramIn(dir.path(), catcher), 1);

    QVERIFY(!catcher.menuShown);
    QCOMPARE(catcher.texts.size(), 1);
    QVERIFY2(catcher.texts.first().startsWith(QStringLiteral("sys.db: fisierul este trunchiat")),
             qPrintable(catcher.texts.first()));
    QVERIFY(snapshot(data) == dataBefore);
    QVERIFY(snapshot(sys) == sysBefore);
}

void StartupFaultsTest::firstStartCreatesBothFiles()
{
    QTemporaryDir dir;
    MessageBoxCatcher catcher;
    QCOMPARE(runProgramIn(dir.filePath(QStringLiteral("new/folder")), catcher), 0);
    QVERIFY(catcher.menuShown);
    QVERIFY2(catcher.texts.isEmpty(), qPrintable(catcher.texts.join(u'\n')));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("new/folder/vok.db"))).size() > 0
            || QFileInfo(dir.filePath(QStringLiteral("new/folder/vok.db-wal"))).size() > 0);
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("new/folder/sys.db"))));
    database::close(QString::fromLatin1(DataConnectionName));
    database::close(QString::fromLatin1(SystemConnectionName));
}

void StartupFaultsTest::diskFullRollsBackAndRetries()
{
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('B-1', 'x')"));
    const int pages = env.value(QStringLiteral("PRAGMA page_count")).toInt();
    env.value(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 2));

    auto saveSheets = [&] {
        Transaction transaction(env.db());
        for (int nrf = 1; nrf <= 50; ++nrf)
            exec(env.db(), QStringLiteral("INSERT INTO foaie (nrf, ida, sofer) VALUES (?, 1, ?)"),
                 {nrf, QString(1000, QLatin1Char('s'))});
        transaction.commit();
    };
    QString message;
    try {
        saveSheets();
    } catch (const DbError &error) {
        message = error.message();
    }
    QVERIFY2(message.contains(QStringLiteral("full")), qPrintable(message));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM foaie")).toInt(), 0);
    QCOMPARE(env.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));

    // Room again: the same action succeeds in full.
    env.value(QStringLiteral("PRAGMA max_page_count = 1073741823"));
    saveSheets();
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM foaie")).toInt(), 50);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
}

QTEST_MAIN(StartupFaultsTest)
#include "tst_startupfaults.moc"
