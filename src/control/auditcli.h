#pragma once

#include <QString>

class QTextStream;

namespace vok::control {

// vok [--data-dir DIR | --database URL] --audit YEAR: every finding of the
// year's sheets, one line each (findingLine), on `out`; reasons on `errors`.
struct AuditCommand {
    QString dataDir;
    QString databaseUrl;
    QString year; // as typed: four digits
};

// Exit code 0 when nothing is found, 1 when something is, 2 on an error.
int runAuditCommand(const AuditCommand &command, QTextStream &out, QTextStream &errors);

} // namespace vok::control
