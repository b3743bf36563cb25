#pragma once

#include <QString>

class QTextStream;

// The command-line modes of the database's care: results on `out`, reasons
// on `err`. Exit codes: 0 done, 1 refused (nothing changed) or not sound,
// 2 an error.
namespace vok::backup {

struct Target {
    QString dataDir;
    QString databaseUrl;   // a server: copies and restores are its tools' work
};

// vok --backup FOLDER: a copy of vok.db and sys.db in FOLDER; prints the
// path of the copy of vok.db.
int runBackupCommand(const Target &target, const QString &folder, QTextStream &out, QTextStream &err);

// vok --restore FILE: the copy FILE (with the sys copy beside it) in place of
// the data folder's files, the current ones kept aside in backups/.
int runRestoreCommand(const Target &target, const QString &file, QTextStream &out, QTextStream &err);

// vok --check: the files' integrity (not on a server) and the data's
// consistency; each problem on a line of `out`, or "ok".
int runCheckCommand(const Target &target, QTextStream &out, QTextStream &err);

} // namespace vok::backup
