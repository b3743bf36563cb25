#pragma once

#include <QString>

#include <functional>
#include <optional>

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

// Asks for the data folder's current password; nullopt when it cannot be
// asked (no terminal).
using PasswordPrompt = std::function<std::optional<QString>()>;
// Asks once on the terminal, without echo; nullopt when standard input is
// not a terminal.
std::optional<QString> askOnTerminal();

// Before sys.db is replaced: when the data folder holds a password, it must
// be given, from $VOK_PASSWORD or else `prompt`. Returns 0 to go on (a
// sys.db that cannot be read is replaced with a warning on `err`), 1 with
// the reason on `err` when the password is missing or wrong.
int requireCurrentPassword(const QString &dataDir, QTextStream &err, const PasswordPrompt &prompt);

// vok --restore FILE: the copy FILE (with the sys copy beside it) in place of
// the data folder's files, the current ones kept aside in backups/. When the
// sys copy replaces a password, the current one is asked first.
int runRestoreCommand(const Target &target, const QString &file, QTextStream &out, QTextStream &err,
                      const PasswordPrompt &prompt = askOnTerminal);

// vok --check: the files' integrity (not on a server) and the data's
// consistency; each problem on a line of `out`, or "ok".
int runCheckCommand(const Target &target, QTextStream &out, QTextStream &err);

} // namespace vok::backup
