#pragma once

#include <QString>

class QTextStream;

// The fuel cards' command-line modes: results on `out`, reasons on `errors`.
namespace vok::cards {

struct CardCommand {
    QString dataDir;
    QString databaseUrl;
    QString file;          // --import-card / --import-efactura
    QString formatName;    // --card-format (default vok)
    QString supplier;      // --supplier
    bool acceptPartial = false;
    QString month;         // --reconcile YYYY-MM
};

// vok --import-card FILE [--card-format NAME] [--supplier NAME] [--accept-partial]:
// prints "importate N". Exit 0 imported, 1 refused or already imported, 2 error.
int runImportCard(const CardCommand &command, QTextStream &out, QTextStream &errors);
// vok --import-efactura FILE: prints "importate N" (the invoice's lines). Exits as above.
int runImportInvoice(const CardCommand &command, QTextStream &out, QTextStream &errors);
// vok --reconcile YYYY-MM: one line per finding. Exit 0 none, 1 some, 2 error.
int runReconcile(const CardCommand &command, QTextStream &out, QTextStream &errors);

// The month of a YYYY-MM text; false when it is not one.
bool parseMonth(const QString &text, int *year, int *month);

} // namespace vok::cards
