#include "db/backup.h"

#include "db/backupfiles.h"
#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace vok::backup {

using namespace files;

// --- restoring ---------------------------------------------------------------

namespace {

QString canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

// Copies a file that no connection of this program has open (a copy the
// clerk chose), with its journal when one holds transactions.
void copyPlain(const QString &from, const QString &to)
{
    removeWithJournals(to);
    if (!QFile::copy(from, to))
        throw Refused(QStringLiteral("%1 nu poate fi citit").arg(from));
    QFile(to).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                             | QFileDevice::ReadOther);
    if (walHasFrames(from) && !QFile::copy(from + QStringLiteral("-wal"), to + QStringLiteral("-wal")))
        throw Refused(QStringLiteral("%1-wal nu poate fi citit").arg(from));
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

    prepared.data = dir.filePath(QStringLiteral("vok.db.restaurare"));
    try {
        copyPlain(file, prepared.data);
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
            database::openSqlite(prepared.system, name, DatabaseKind::System);
            database::close(name);
        }
    } catch (const DbError &) {
        database::close(QStringLiteral("vok-restore-check"));
        discard(prepared);
        throw;
    }
    return prepared;
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
    if (!QFileInfo(path).isFile())
        return;
    {
        Connection probe(path, SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(probe.handle(), 1000);
        try {
            probe.run(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
            probe.run(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        } catch (const DbError &) {
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

Installed install(const Prepared &prepared, const QString &asideTag, const QDateTime &when)
{
    const QDir dir(prepared.dataDir);
    const QString data = dir.filePath(dataName);
    const QString system = dir.filePath(systemName);
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
    syncFile(prepared.data);
    if (!prepared.system.isEmpty()) {
        syncFile(prepared.system);
        renameOver(prepared.system, system);
    }
    renameOver(prepared.data, data);
    syncFolder(dir.absolutePath());
    return installed;
}

} // namespace vok::backup
