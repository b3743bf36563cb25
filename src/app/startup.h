#pragma once

#include <QString>

namespace vok {

struct StartupOptions {
    QString dataDir;               // holds vok.db and sys.db
    QString databaseUrl;           // a shared PostgreSQL database instead, when not empty
    int splashMilliseconds = 2500;
};

// The shared database from the command line, else $VOK_DATABASE; empty for
// the embedded database of the data folder.
QString resolveDatabaseUrl(const QString &fromCommandLine);

// The data folder from the command line, else $VOK_DATA_DIR, else the
// per-user application data folder.
QString resolveDataDir(const QString &fromCommandLine);

// Opens (creating on first start) both databases of the data folder, asks for
// the access password when one is set, shows the splash and then the main
// menu until "IESIRE". Returns the process exit code.
int runProgram(const StartupOptions &options);

} // namespace vok
