#pragma once

#include "db/backupcli.h"

#include <QString>

class QTextStream;

namespace vok::legacy {

struct ImportCommand {
    QString dataDir;
    QString databaseUrl;   // a server: refused, the import builds the data folder's files
    QString dataFile;      // vok.mdb
    QString systemFile;    // sys.mdb, empty when not given
    bool replace = false;  // a data folder that holds data is replaced (its files kept in backups/)
};

// vok --import-mdb FILE [--sys-mdb FILE] [--replace]: prints the import
// report on `out`; the reason of a refusal or an error on `err`. Exit 0
// imported, 1 refused (nothing changed), 2 an error. With sys.mdb, a
// password the data folder holds is replaced only after it is given
// (backup::requireCurrentPassword).
int runImportCommand(const ImportCommand &command, QTextStream &out, QTextStream &err,
                     const backup::PasswordPrompt &prompt = backup::askOnTerminal);

} // namespace vok::legacy
