#pragma once

#include "db/database.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Copies of the data folder's databases, their rotation, restoring one, and
// the checks of a database file. Everything here works on files, each on a
// connection of its own (the SQLite library itself, not Qt's connections), so
// that it can run on a worker thread while the clerk goes on working.
namespace vok::backup {

namespace files {
class FileLock;
}

// Told how far a long task is (pages or steps done of all); returns false
// to stop it (the task then throws Cancelled and leaves nothing half-made).
using Progress = std::function<bool(qint64 done, qint64 total)>;

// A task stopped by its Progress before it was done.
class Cancelled : public DbError {
public:
    Cancelled();
};

// A file or a wish refused with the reason (the data untouched).
class Refused : public DbError {
public:
    using DbError::DbError;
};

// --- names ---------------------------------------------------------------

// The folder of the automatic copies, inside the data folder.
QString automaticFolder(const QString &dataDir);

// "vok-2026-03-01-103015.db": a copy of vok.db taken at `when`; the copy of
// sys.db beside it is named the same with "sys".
QString copyName(const QDateTime &when);
// When the copy of that file name was taken; invalid for another name.
QDateTime copyTime(const QString &fileName);
// The password file that belongs with a copy of vok.db: the same folder and
// name with its leading "vok" turned into "sys" ("vok.db" gives "sys.db").
// Empty when the name does not begin with "vok".
QString systemFileFor(const QString &dataCopy);

// --- copying ---------------------------------------------------------------

// Copies the database `source` to `target` as one consistent snapshot,
// taken on a connection of its own: writers on other connections go on
// meanwhile (their changes after the snapshot are not in the copy). The
// copy is written under a temporary name, synced and then renamed, so that
// `target` is either absent or complete. Throws DbError.
void copyDatabase(const QString &source, const QString &target, const Progress &progress = {});

// Copies vok.db and sys.db of `dataDir` into `folder` (created when
// missing) under the names of `when`, checks the copy of vok.db and returns
// its path. Throws Refused when the folder holds no data, DbError otherwise.
QString copyDataFolder(const QString &dataDir, const QString &folder, const QDateTime &when,
                       const Progress &progress = {});

// --- automatic copies ----------------------------------------------------

// The copies to keep among those taken at `taken`: the newest `daily`, then
// the newest copy of each of the `weekly` weeks (Monday to Sunday) before
// the week of the oldest daily copy kept.
QList<QDateTime> copiesToKeep(QList<QDateTime> taken, int daily = 7, int weekly = 4);

// Removes from `folder` the copies (both files) that copiesToKeep drops, and
// any copy left half-written by an interrupted run. Returns the files removed.
QStringList rotate(const QString &folder, int daily = 7, int weekly = 4);

// The last moment the data of the folder were written: vok.db, sys.db and
// their journals. A program opening the files without writing leaves it as it was.
QDateTime lastChange(const QString &dataDir);

// What one automatic run did, in one line for the folder's log.
struct AutomaticOutcome {
    enum Kind { Made, NotNeeded, AlreadyToday, Failed } kind = NotNeeded;
    QString copy;     // the copy made
    QString message;  // the line noted
};

// The day's automatic copy: when no run of today made one or found it not
// needed, and the data changed since the newest copy in `backups/`, a copy
// is made there and the copies rotated. Every run but AlreadyToday is noted
// in backups/copii-automate.log. Never throws.
AutomaticOutcome runAutomaticCopy(const QString &dataDir, const QDateTime &now, const Progress &progress = {});

// --- checks --------------------------------------------------------------

// The engine's full integrity check of one database file, on a connection of
// its own; an empty list when it is sound. A file that cannot be read as a
// database gives one line saying why.
// `progress` is asked now and then whether to go on (with 0 of 0).
QStringList integrityProblems(const QString &path, const Progress &progress = {});

// The data's own consistency on an open connection (SQLite or a server):
// trips without their sheet, sheets and month rows without their vehicle,
// natural keys used twice. One line per problem found.
QStringList consistencyProblems(const QSqlDatabase &db);

// Both checks of a data folder; each line begins with the file it concerns,
// then the warnings of the closed months (restWarnings, lines beginning
// "avertisment:", which are no fault of the data).
QStringList checkDataFolder(const QString &dataDir, const Progress &progress = {});

// --- restoring -----------------------------------------------------------

// What a copy holds, shown before it is restored.
struct CopySummary {
    QString file;           // the copy chosen
    QString systemFile;     // its password file, empty when none is beside it
    QDateTime taken;        // from its name, else the file's time
    int schemaVersion = 0;  // as the copy was written
    bool migrated = false;  // brought up to this program's schema
    qint64 vehicles = 0;
    qint64 sheets = 0;
    QString lastSheetDate;  // the date of the latest sheet, empty when none
};

// A copy checked and made ready in the data folder, waiting for install().
struct Prepared {
    QString dataDir;
    QString data;           // the new vok.db, beside the current one
    QString system;         // the new sys.db, empty to keep the current one
    CopySummary summary;
    // Held while the files wait, so that a start of the program meanwhile
    // does not take them for the left-overs of a killed run.
    std::shared_ptr<files::FileLock> hold;
};

// Holds the prepared files (Prepared::hold) from now on.
void holdPrepared(Prepared &prepared);

// Checks the copy `file` (and the sys copy beside it, when present): a
// database of this program (every table, index, trigger and view one that
// the program's schema of the copy's version makes), sound, of a schema
// version this program knows, a sys copy the start-up accepts, and prepares
// it beside the current files, migrated when older. Throws
// Refused with the reason when the copy cannot be restored; nothing of the
// data folder changes.
Prepared prepareRestore(const QString &dataDir, const QString &file);

// Removes what prepareRestore made.
void discard(const Prepared &prepared);

// What install() kept aside.
struct Installed {
    QString dataAside;      // the former vok.db
    QString systemAside;    // the former sys.db, empty when it stayed
};

// Puts prepared files in place of the data folder's vok.db (and sys.db),
// keeping the current files aside in backups/ under `asideTag` and the time,
// with the permissions of the files they replace. Prepared files holding an
// object the program does not make are refused (Refused). The two renames
// are one step: a note of them is written first, and a run killed between
// them is completed by recoverInterrupted(), so that the folder holds the
// old pair or the new pair. Every connection of this program to the data
// folder must be closed; a folder still in use by another program is
// refused (Refused). `afterRename` (tests) is called after each rename.
// Throws DbError.
Installed install(const Prepared &prepared, const QString &asideTag, const QDateTime &when,
                  const std::function<void(int renamed)> &afterRename = {});

// Run before the data folder is opened: completes the file replacement of a
// run killed between its renames, and removes files prepared for a restore
// or an import by runs that were killed. Returns one line per thing done.
QStringList recoverInterrupted(const QString &dataDir);

// The data folder's current password, before sys.db is replaced.
struct CurrentPassword {
    enum Kind { None, Set, Unreadable } kind = None;
    QString problem;  // why sys.db could not be read
};
CurrentPassword currentPassword(const QString &dataDir);
// Whether `typed` is the data folder's current password.
bool isCurrentPassword(const QString &dataDir, const QString &typed);

// --- compacting ----------------------------------------------------------

struct Compacted {
    QString copy;           // the copy made first
    qint64 before = 0;      // bytes of vok.db
    qint64 after = 0;
};

// The folder of the copies made before compacting, kept apart from the
// automatic copies and by their own rule (the newest compactionCopiesKept).
QString compactionFolder(const QString &dataDir);
inline constexpr int compactionCopiesKept = 4;

// Copies the data into compactionFolder() and then rebuilds vok.db without
// its free pages. Every connection of this program to vok.db must be closed.
Compacted compact(const QString &dataDir, const QDateTime &when, const Progress &progress = {});

// Reopens the program's connections to the data folder after install() or
// compact(), under their own names, so that every copy of them (the windows'
// context) works on the new files. Throws DbError.
void reopen(QSqlDatabase &data, QSqlDatabase &system);

} // namespace vok::backup
