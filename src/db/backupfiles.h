#pragma once

#include "db/database.h"

#include <QString>
#include <QStringList>

struct sqlite3;

// The work on database files that copying, checking and restoring share:
// names in the data folder, a connection of the SQLite library to one file,
// syncing and renaming files so that a rename reaches the disk, and the checks
// a copy or a file to restore goes through. Internal to the backup code.
namespace vok::backup::files {

inline const QString dataName = QStringLiteral("vok.db");
inline const QString systemName = QStringLiteral("sys.db");
inline const QString logName = QStringLiteral("copii-automate.log");
inline const QString partialSuffix = QStringLiteral(".partial");
inline const QString stampFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

// Pages copied between two looks at the clock and the Cancel button: 4 MB
// of a file with pages of 4 KB.
inline constexpr int stepPages = 1024;
// Steps of copying between two flushes of the copy to the disk (64 MB).
inline constexpr int stepsPerFlush = 16;

QByteArray encoded(const QString &path);

// One connection of the SQLite library to one file, closed on destruction.
class Connection {
public:
    Connection(const QString &path, int flags);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }
    QString message() const;
    [[noreturn]] void fail() const;

    // Runs `sql` and returns the first column of every row as text.
    QStringList rows(const QString &sql) const;
    QString value(const QString &sql) const { return rows(sql).value(0); }
    void run(const QString &sql) const { rows(sql); }
    // Runs `sql` with `values` bound in order and returns every column of
    // every row as text.
    QList<QStringList> records(const QString &sql, const QStringList &values = {}) const;

private:
    QString m_path;
    sqlite3 *m_db = nullptr;
};

// A descriptor of a new file, to flush what is written into it so far. It
// creates the file and outlives the SQLite connection that writes it, so
// that closing it never drops that connection's locks.
class FileSync {
public:
    explicit FileSync(const QString &path);
    ~FileSync();
    FileSync(const FileSync &) = delete;
    FileSync &operator=(const FileSync &) = delete;
    void now() const;
    // The file is also held (isHeld) as long as this object lives, under
    // its name and, after a rename, under the new one.

private:
    int m_fd = -1;
};

// Writes what the system still holds of a file to the disk.
void syncFile(const QString &path);
// A rename reaches the disk only with its folder.
void syncFolder(const QString &folder);
// Replaces `to` by `from` in one step: whoever opens `to` finds the old or
// the new file, never none.
void renameOver(const QString &from, const QString &to);
// Removes a database file and the journals SQLite keeps beside it.
void removeWithJournals(const QString &path);
// A WAL file beside `path` that holds at least one frame.
bool walHasFrames(const QString &path);

// A lock on a file that lives as long as this object (flock, which the
// engine's own locks do not touch): a left-over file that nobody holds
// belongs to a run that was killed and can be removed.
class FileLock {
public:
    FileLock() = default;
    explicit FileLock(const QString &path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

private:
    int m_fd = -1;
};
// True when a live program holds a FileLock on `path`.
bool isHeld(const QString &path);

// The first object of the database on `db` that this program's schema of
// `version` does not make: a table, index, trigger or view by name and type,
// a trigger or view with another text, a table with other columns, a table of
// that version missing. The engine's own tables and indexes are allowed.
// Empty when the file holds only the program's objects.
QString foreignObject(const Connection &db, DatabaseKind kind, int version);
// The same for a database file; every file that goes in place of the data
// folder's passes it. Throws Refused naming the object.
void checkObjects(const QString &path, DatabaseKind kind);

// The checks every copy and every file to restore goes through: a database
// that the engine finds sound, of this program's schema kind and a version it
// knows, holding only the objects that schema makes (foreignObject).
// Returns the file's schema version; throws Refused with the reason.
int checkDatabase(const QString &path, DatabaseKind kind);

} // namespace vok::backup::files
