#include "app/startup.h"
#include "reports/reportcli.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

#include <cstring>

int main(int argc, char *argv[])
{
    // A report written from the command line needs no screen.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--report") == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vok"));
    QApplication::setApplicationVersion(QStringLiteral(VOK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("MECANIZARE - VOK: trip sheets, normed fuel consumption and daily activity sheets of a vehicle fleet."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Folder of vok.db and sys.db (else $VOK_DATA_DIR, else the per-user data folder)."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("A shared PostgreSQL database, postgresql://user@host:port/dbname (else $VOK_DATABASE); the password comes from ~/.pgpass or $PGPASSWORD."),
                                      QStringLiteral("URL"));
    const QCommandLineOption report(QStringLiteral("report"), QStringLiteral("Write this report (e.g. rapcalculf.rpt) without a window."), QStringLiteral("FILE"));
    const QCommandLineOption selection(QStringLiteral("selection"), QStringLiteral("Selection formula of the report, e.g. \"{curse.idf}=5\"."), QStringLiteral("FORMULA"));
    const QCommandLineOption sort(QStringLiteral("sort"), QStringLiteral("Sort field of the report, e.g. \"+{foaie.nrf}\" (repeatable)."), QStringLiteral("FIELD"));
    const QCommandLineOption formula(QStringLiteral("formula"), QStringLiteral("Named formula value, e.g. \"rest=50\" (repeatable)."), QStringLiteral("NAME=VALUE"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Write the report as PDF to this file."), QStringLiteral("FILE"));
    const QCommandLineOption html(QStringLiteral("html"), QStringLiteral("Write the report as HTML to this file."), QStringLiteral("FILE"));
    parser.addOptions({dataDir, database, report, selection, sort, formula, pdf, html});
    parser.process(app);

    const QString folder = vok::resolveDataDir(parser.value(dataDir));
    if (parser.isSet(report)) {
        QTextStream errors(stderr);
        vok::ReportCommand command;
        command.dataDir = folder;
        command.databaseUrl = vok::resolveDatabaseUrl(parser.value(database));
        command.reportFile = parser.value(report);
        command.selection = parser.value(selection);
        command.sortFields = parser.values(sort);
        command.formulas = parser.values(formula);
        command.pdfFile = parser.value(pdf);
        command.htmlFile = parser.value(html);
        return vok::runReportCommand(command, errors);
    }

    vok::StartupOptions options;
    options.dataDir = folder;
    options.databaseUrl = vok::resolveDatabaseUrl(parser.value(database));
    return vok::runProgram(options);
}
