#include "db/backup.h"

#include "db/backupfiles.h"
#include "db/passwordstore.h"
#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sqlite3.h>

#include <atomic>

namespace vok::backup {

using namespace files;

// --- restoring ---------------------------------------------------------------

namespace {

QString canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

// Copies a file that no connection of this program has open (a copy the
// clerk chose), with its journal when one holds transactions. The copy keeps
// the permissions of the file copied (writable by its owner, a copy from
// read-only media included) until install() gives it those of the file it
// replaces.
void copyPlain(const QString &from, const QString &to)
{
    removeWithJournals(to);
    if (!QFile::copy(from, to))
        throw Refused(QStringLiteral("%1 nu poate fi citit").arg(from));
    QFile::setPermissions(to, QFile::permissions(from) | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (walHasFrames(from) && !QFile::copy(from + QStringLiteral("-wal"), to + QStringLiteral("-wal")))
        throw Refused(QStringLiteral("%1-wal nu poate fi citit").arg(from));
}

// The names of the files a restore or an import prepares in the data folder.
const QStringList preparedNames = {QStringLiteral("vok.db.restaurare"), QStringLiteral("sys.db.restaurare"),
                                   QStringLiteral("vok.db.import"), QStringLiteral("sys.db.import")};

// The note of the renames of an install() in progress: one line "from\tto"
// per rename, names in the data folder.
const QString swapNote = QStringLiteral("vok.db.inlocuire");

QString uniqueConnection(const QString &stem)
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1-%2").arg(stem).arg(++counter);
}

} // namespace

Prepared prepareRestore(const QString &dataDir, const QString &file)
{
    const QDir dir(dataDir);
    const QFileInfo info(file);
    if (!info.exists())
        throw Refused(QStringLiteral("fisierul %1 nu exista").arg(file));
    if (!info.isFile())
        throw Refused(QStringLiteral("%1 nu este un fisier").arg(file));
    if (canonical(file) == canonical(dir.filePath(dataName)) || canonical(file) == canonical(dir.filePath(systemName)))
        throw Refused(QStringLiteral("%1 este chiar fisierul de date in folosinta").arg(file));

    Prepared prepared;
    prepared.dataDir = dir.absolutePath();
    prepared.summary.file = info.absoluteFilePath();
    const QString system = systemFileFor(file);
    if (!system.isEmpty() && QFileInfo(system).isFile() && canonical(system) != canonical(dir.filePath(systemName)))
        prepared.summary.systemFile = QFileInfo(system).absoluteFilePath();
    prepared.summary.taken = copyTime(info.fileName());
    if (!prepared.summary.taken.isValid())
        prepared.summary.taken = info.lastModified();

    recoverInterrupted(dataDir);
    prepared.data = dir.filePath(QStringLiteral("vok.db.restaurare"));
    try {
        copyPlain(file, prepared.data);
        holdPrepared(prepared);
        try {
            prepared.summary.schemaVersion = checkDatabase(prepared.data, DatabaseKind::Data);
        } catch (const Refused &refusal) {
            throw Refused(QStringLiteral("%1: %2").arg(info.fileName(), refusal.message()));
        }
        if (!prepared.summary.systemFile.isEmpty()) {
            prepared.system = dir.filePath(QStringLiteral("sys.db.restaurare"));
            copyPlain(prepared.summary.systemFile, prepared.system);
            try {
                checkDatabase(prepared.system, DatabaseKind::System);
            } catch (const Refused &refusal) {
                throw Refused(QStringLiteral("%1: %2").arg(QFileInfo(prepared.summary.systemFile).fileName(),
                                                          refusal.message()));
            }
        }
        prepared.summary.migrated = prepared.summary.schemaVersion < database::currentSchemaVersion(DatabaseKind::Data);

        // Migrated where it stands, and read for the clerk.
        const QString name = QStringLiteral("vok-restore-check");
        {
            QSqlDatabase db = database::openSqlite(prepared.data, name, DatabaseKind::Data);
            prepared.summary.vehicles = scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toLongLong();
            prepared.summary.sheets = scalar(db, QStringLiteral("SELECT COUNT(*) FROM foaie")).toLongLong();
            prepared.summary.lastSheetDate =
                scalar(db, QStringLiteral("SELECT data FROM foaie ORDER BY anul DESC, idl DESC, "
                                          "substr(data, 1, 2) DESC, nrf DESC LIMIT 1"))
                    .toString();
        }
        database::close(name);
        // A data file never goes in without its password file: without a
        // copy of it and without a current one, a new one holds no password.
        if (prepared.system.isEmpty() && !QFileInfo::exists(dir.filePath(systemName))) {
            prepared.system = dir.filePath(QStringLiteral("sys.db.restaurare"));
            removeWithJournals(prepared.system);
        }
        if (!prepared.system.isEmpty()) {
            // Read as the start-up reads it: a sys.db without its password
            // row would keep the program from starting.
            QString problem;
            {
                const QSqlDatabase sys = database::openSqlite(prepared.system, name, DatabaseKind::System);
                try {
                    PasswordStore(sys).isSet();
                } catch (const DbError &error) {
                    problem = error.message();
                }
            }
            database::close(name);
            if (!problem.isEmpty())
                throw Refused(QStringLiteral("%1: %2; programul nu ar putea porni cu ea")
                                  .arg(QFileInfo(prepared.summary.systemFile).fileName(), problem));
        }
    } catch (const DbError &) {
        database::close(QStringLiteral("vok-restore-check"));
        discard(prepared);
        throw;
    }
    return prepared;
}

void holdPrepared(Prepared &prepared)
{
    // Released first: a second lock of this program on the same file would
    // be refused. The password file goes with the data file and is taken for
    // held with it (recoverInterrupted).
    prepared.hold.reset();
    prepared.hold = std::make_shared<FileLock>(prepared.data);
}

void discard(const Prepared &prepared)
{
    if (!prepared.data.isEmpty())
        removeWithJournals(prepared.data);
    if (!prepared.system.isEmpty())
        removeWithJournals(prepared.system);
}

namespace {

// Refuses a database that another program has open: a connection that
// wants the file to itself gets it only when nobody else holds it. It also
// moves what the journal still holds into the file, so that no journal of
// the old file remains to be laid over the new one.
void ensureUnused(const QString &path)
{
    // A file that is no database (the password file a restore mends) is open
    // in no program: each refuses it.
    if (!QFileInfo(path).isFile() || !database::headerProblem(path).isEmpty())
        return;
    {
        Connection probe(path, SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(probe.handle(), 1000);
        try {
            probe.run(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
            probe.run(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        } catch (const DbError &error) {
            // Only a lock says another program has it; a file too damaged to
            // be read (the password file a restore mends) is no one's.
            if (!error.message().contains(QLatin1String("locked")) && !error.message().contains(QLatin1String("busy")))
                return;
            throw Refused(QStringLiteral("%1 este folosit de alt program; inchideti-l si reincercati")
                              .arg(QFileInfo(path).fileName()));
        }
    }
    if (walHasFrames(path))
        throw Refused(QStringLiteral("%1 este folosit de alt program (jurnalul sau nu a putut fi golit)")
                          .arg(QFileInfo(path).fileName()));
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

// Keeps `live` under `aside`: a second name for the same file when the file
// system allows it, else a copy.
void keepAside(const QString &live, const QString &aside)
{
#ifdef Q_OS_UNIX
    if (::link(encoded(live).constData(), encoded(aside).constData()) == 0)
        return;
#endif
    if (!QFile::copy(live, aside))
        throw DbError(QStringLiteral("%1 nu poate fi pastrat ca %2").arg(live, aside));
    syncFile(aside);
}

} // namespace

namespace {

// The renames a note lists, those not done yet done now.
void completeSwaps(const QDir &dir, const QList<QPair<QString, QString>> &swaps)
{
    for (const auto &[from, to] : swaps)
        if (QFileInfo::exists(dir.filePath(from)))
            renameOver(dir.filePath(from), dir.filePath(to));
    syncFolder(dir.absolutePath());
}

QList<QPair<QString, QString>> readNote(const QString &path)
{
    QList<QPair<QString, QString>> swaps;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return swaps;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> names = line.split('\t');
        if (names.size() != 2)
            continue;
        const QString from = QString::fromUtf8(names.at(0));
        const QString to = QString::fromUtf8(names.at(1));
        // Only the names install() writes: nothing else of the folder is touched.
        if (preparedNames.contains(from) && (to == dataName || to == systemName))
            swaps << qMakePair(from, to);
    }
    return swaps;
}

} // namespace

Installed install(const Prepared &prepared, const QString &asideTag, const QDateTime &when,
                  const std::function<void(int)> &afterRename)
{
    const QDir dir(prepared.dataDir);
    const QString data = dir.filePath(dataName);
    const QString system = dir.filePath(systemName);
    // Whatever goes in holds only the program's own objects.
    checkObjects(prepared.data, DatabaseKind::Data);
    if (!prepared.system.isEmpty())
        checkObjects(prepared.system, DatabaseKind::System);
    ensureUnused(data);
    if (!prepared.system.isEmpty())
        ensureUnused(system);

    const QString folder = automaticFolder(prepared.dataDir);
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("dosarul %1 nu poate fi creat").arg(folder));
    const QString stamp = when.toString(stampFormat);
    Installed installed;
    auto asideName = [&](const QString &kind) {
        return QDir(folder).filePath(QStringLiteral("%1-%2-%3.db").arg(kind, asideTag, stamp));
    };
    if (QFileInfo(data).isFile()) {
        installed.dataAside = asideName(QStringLiteral("vok"));
        keepAside(data, installed.dataAside);
    }
    if (!prepared.system.isEmpty() && QFileInfo(system).isFile()) {
        installed.systemAside = asideName(QStringLiteral("sys"));
        keepAside(system, installed.systemAside);
    }
    syncFolder(folder);
    // The new files are read and written by whom the old ones were.
    if (QFileInfo(data).isFile())
        QFile::setPermissions(prepared.data, QFile::permissions(data));
    if (!prepared.system.isEmpty() && QFileInfo(system).isFile())
        QFile::setPermissions(prepared.system, QFile::permissions(system));
    syncFile(prepared.data);
    QList<QPair<QString, QString>> swaps;
    if (!prepared.system.isEmpty()) {
        syncFile(prepared.system);
        swaps << qMakePair(QFileInfo(prepared.system).fileName(), systemName);
    }
    swaps << qMakePair(QFileInfo(prepared.data).fileName(), dataName);

    // The note first, whole or not at all: from it on, a start of the
    // program completes the renames.
    const QString note = dir.filePath(swapNote);
    {
        QSaveFile file(note);
        if (!file.open(QIODevice::WriteOnly))
            throw DbError(QStringLiteral("%1: %2").arg(note, file.errorString()));
        for (const auto &[from, to] : swaps)
            file.write((from + u'\t' + to + u'\n').toUtf8());
        if (!file.commit())
            throw DbError(QStringLiteral("%1: %2").arg(note, file.errorString()));
    }
    syncFolder(dir.absolutePath());
    {
        const FileLock noteHeld(note);
        int renamed = 0;
        for (const auto &[from, to] : swaps) {
            renameOver(dir.filePath(from), dir.filePath(to));
            if (afterRename)
                afterRename(++renamed);
        }
        syncFolder(dir.absolutePath());
        QFile::remove(note);
    }
    syncFolder(dir.absolutePath());
    return installed;
}

QStringList recoverInterrupted(const QString &dataDir)
{
    const QDir dir(dataDir);
    QStringList done;
    const QString note = dir.filePath(swapNote);
    if (QFileInfo::exists(note) && !isHeld(note)) {
        const QList<QPair<QString, QString>> swaps = readNote(note);
        QStringList names;
        for (const auto &[from, to] : swaps)
            if (QFileInfo::exists(dir.filePath(from)))
                names << to;
        completeSwaps(dir, swaps);
        QFile::remove(note);
        syncFolder(dir.absolutePath());
        if (!names.isEmpty())
            done << QStringLiteral("inlocuirea fisierelor intrerupta a fost dusa la capat: %1")
                        .arg(names.join(QStringLiteral(", ")));
    }
    for (const QString &name : preparedNames) {
        const QString path = dir.filePath(name);
        // A password file goes with its data file and is held with it.
        const QString partner = dir.filePath(QStringLiteral("vok") + name.mid(3));
        if (QFileInfo::exists(path) && !isHeld(path) && !isHeld(partner)) {
            removeWithJournals(path);
            done << QStringLiteral("fisierul ramas %1 a fost sters").arg(name);
        }
    }
    return done;
}

CurrentPassword currentPassword(const QString &dataDir)
{
    CurrentPassword result;
    const QString path = QDir(dataDir).filePath(systemName);
    if (!QFileInfo::exists(path) || QFileInfo(path).size() == 0)
        return result;
    const QString name = uniqueConnection(QStringLiteral("vok-current-password"));
    try {
        {
            const QSqlDatabase sys = database::openSqlite(path, name, DatabaseKind::System);
            result.kind = PasswordStore(sys).isSet() ? CurrentPassword::Set : CurrentPassword::None;
        }
        database::close(name);
    } catch (const DbError &error) {
        database::close(name);
        result.kind = CurrentPassword::Unreadable;
        result.problem = error.message();
    }
    return result;
}

bool isCurrentPassword(const QString &dataDir, const QString &typed)
{
    const QString name = uniqueConnection(QStringLiteral("vok-current-password"));
    bool matches = false;
    try {
        {
            const QSqlDatabase sys =
                database::openSqlite(QDir(dataDir).filePath(systemName), name, DatabaseKind::System);
            matches = PasswordStore(sys).matches(typed);
        }
        database::close(name);
    } catch (const DbError &) {
        database::close(name);
        throw;
    }
    return matches;
}

} // namespace vok::backup
