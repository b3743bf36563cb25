#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace vok {

// A report written from the command line, without a window:
//   vok [--data-dir DIR | --database URL] --report FILE.rpt --selection "..." [--sort F]... [--formula N=V]... --pdf OUT | --html OUT | --xlsx OUT | --csv OUT
// (several of them at once write several files)
struct ReportCommand {
    QString dataDir;
    QString databaseUrl;   // a shared PostgreSQL database instead of the data folder
    QString reportFile;
    QString selection;
    QStringList sortFields;
    QStringList formulas;
    QString pdfFile;
    QString htmlFile;
    QString xlsxFile;
    QString csvFile;
};

// Writes the report; returns the process exit code, with the message on `errors` when it fails.
int runReportCommand(const ReportCommand &command, QTextStream &errors);

} // namespace vok
