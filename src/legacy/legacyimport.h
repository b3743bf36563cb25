#pragma once

#include "db/backup.h"
#include "legacy/mdbreader.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Bringing in a department's data from the former program's files: vok.mdb
// (every business and reference table, whose names and columns are ours)
// and sys.mdb (the access password in plain text). The import builds new
// databases beside the data folder's files, and they replace the current
// ones only when everything is in.
namespace vok::legacy {

// A row left out because it breaks the program's rules.
struct RefusedRow {
    QString table;   // ours
    QString key;     // "ida=9", or the row's line in the table when it has no key
    QString reason;
};

struct ImportReport {
    QDateTime when;
    QString dataFile;                            // vok.mdb
    QString systemFile;                          // sys.mdb, empty when none was given
    QList<QPair<QString, qint64>> imported;      // rows brought in, per table of ours
    QList<RefusedRow> refused;
    QStringList notes;                           // tables and columns not known or missing, the password

    qint64 refusedIn(const QString &table) const;
    // The report as the clerk reads it and as it is saved.
    QString text() const;
};

// What the file holds, shown before the import.
struct Preview {
    QList<MdbTable> tables;      // every table with its rows counted
    QStringList unknown;         // tables that are not the program's
    bool withSystem = false;     // a sys.mdb goes with it
};

// Reads the tables of `vokMdb` and counts their rows. Throws UnreadableFile
// for a file that is not a readable Access file or holds no data of the
// program (no table auto). `progress` (asked with 0 of 0) may stop it:
// backup::Cancelled.
Preview preview(const QString &vokMdb, const backup::Progress &progress = {});

// The sys.mdb beside a vok.mdb (its name in any case), or empty.
QString systemFileBeside(const QString &vokMdb);

// Whether the data folder's databases hold anything: a row in any table, or
// a password.
bool folderHoldsData(const QString &dataDir);

struct Built {
    backup::Prepared prepared;   // the new files, for backup::install()
    ImportReport report;
};

// Reads vok.mdb (and sys.mdb when given; without it the current password
// stays) into new databases beside the data folder's files, every table and
// column of the program mapped by name without regard to case, keys kept
// and each table's key sequence moved past the file's keys. Rows that break
// the program's rules are left out and reported. Throws UnreadableFile when
// a file cannot be read, DbError on any other failure; nothing of the data
// folder changes (the new files are removed again).
Built build(const QString &dataDir, const QString &vokMdb, const QString &sysMdb, const QDateTime &when,
            const backup::Progress &progress = {});

// Saves the report beside the data, as import-<date and time>.txt; returns its path.
QString saveReport(const QString &dataDir, const ImportReport &report);

} // namespace vok::legacy
