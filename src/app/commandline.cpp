#include "app/commandline.h"

#include "app/startup.h"
#include "cards/cardcli.h"
#include "control/auditcli.h"
#include "db/database.h"
#include "db/backupcli.h"
#include "db/rolescli.h"
#include "fleet/duecli.h"
#include "legacy/importcli.h"
#include "months/monthcli.h"
#include "reports/reportcli.h"
#include "sample/demofleet.h"
#include "ui/qttexts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

#include <cstring>
#include <functional>

namespace vok::commandline {

namespace {

// What every mode knows of where the data live.
struct Target {
    QString dataDir;
    QString databaseUrl;
};

using ModeRun = std::function<int(const QCommandLineParser &, const Target &, QTextStream &out, QTextStream &err)>;

// A run chosen by one option of its own: without windows, unless it opens
// the program's windows when done.
struct Mode {
    const char *trigger;                  // the option, without its dashes
    QList<QCommandLineOption> options;    // the trigger first, then the mode's own options
    ModeRun run;
    bool opensWindows = false;            // needs the display as the windows do
};

QCommandLineOption option(const char *name, const char *description, const char *valueName = nullptr)
{
    if (valueName)
        return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description), QString::fromLatin1(valueName));
    return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description));
}

QString value(const QCommandLineParser &parser, const char *name)
{
    return parser.value(QString::fromLatin1(name));
}

QStringList values(const QCommandLineParser &parser, const char *name)
{
    return parser.values(QString::fromLatin1(name));
}

// Set by prepare() when the windows would need a display that is not there.
bool noDisplay = false;

// The program with its windows, on a data folder or a shared database.
int openWindows(const StartupOptions &options, QTextStream &err)
{
    if (noDisplay) {
        err << "vok: nu exista un ecran pe care sa se deschida ferestrele (DISPLAY nu este setat); "
               "modurile din linia de comanda nu au nevoie de el (vok --help)\n";
        return 2;
    }
    err.flush();
    installQtTranslations(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    return runProgram(options);
}

// vok --demo DIR: a new data folder with the sample fleet, then the windows on it.
int runDemo(const QCommandLineParser &parser, QTextStream &out, QTextStream &err)
{
    // The display is asked for first, as a start of the windows asks for it:
    // without one nothing is written.
    if (noDisplay)
        return openWindows({}, err);
    if (parser.isSet(QStringLiteral("data-dir")) || parser.isSet(QStringLiteral("database"))) {
        err << "vok: --demo isi face propriul dosar de date; nu se foloseste cu --data-dir sau --database\n";
        return 2;
    }
    sample::DemoOptions options;
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        options.seed = value(parser, "seed").toUInt(&ok);
        if (!ok) {
            err << "vok: --seed cere un numar intreg de la 0 la 4294967295, nu " << value(parser, "seed") << '\n';
            return 2;
        }
    }
    options.today = QDate::currentDate();
    const QString dir = QDir(value(parser, "demo")).absolutePath();
    sample::DemoFolder folder;
    try {
        folder = sample::createDemoFolder(dir, options);
    } catch (const DbError &error) {
        err << "vok: " << error.message() << '\n';
        return 2;
    }
    if (!folder.created()) {
        err << "vok: " << folder.refusal << '\n';
        return 1;
    }
    out << "date demonstrative: " << QDir::toNativeSeparators(dir) << Qt::endl;
    StartupOptions startup;
    startup.dataDir = dir;
    return openWindows(startup, err);
}

// Every command-line mode of the program. A new one adds an entry here.
const QList<Mode> &modes()
{
    static const QList<Mode> all = {
        {"report",
         {option("report", "Write this report (e.g. rapcalculf.rpt) without a window.", "FILE"),
          option("selection", "Selection formula of the report, e.g. \"{curse.idf}=5\".", "FORMULA"),
          option("sort", "Sort field of the report, e.g. \"+{foaie.nrf}\" (repeatable).", "FIELD"),
          option("formula", "Named formula value, e.g. \"rest=50\" (repeatable).", "NAME=VALUE"),
          option("pdf", "Write the report as PDF to this file.", "FILE"),
          option("html", "Write the report as HTML to this file.", "FILE"),
          option("xlsx", "Write the report as an Excel workbook (XLSX) to this file.", "FILE"),
          option("csv", "Write the report as CSV (UTF-8, comma-separated) to this file.", "FILE")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &, QTextStream &err) {
             ReportCommand command;
             command.dataDir = target.dataDir;
             command.databaseUrl = target.databaseUrl;
             command.reportFile = value(parser, "report");
             command.selection = value(parser, "selection");
             command.sortFields = values(parser, "sort");
             command.formulas = values(parser, "formula");
             command.pdfFile = value(parser, "pdf");
             command.htmlFile = value(parser, "html");
             command.xlsxFile = value(parser, "xlsx");
             command.csvFile = value(parser, "csv");
             return runReportCommand(command, err);
         }},
        {"backup",
         {option("backup", "Copy vok.db and sys.db into this folder, under names with the date and time; prints the copy's path.", "FOLDER")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             return backup::runBackupCommand({target.dataDir, target.databaseUrl}, value(parser, "backup"), out, err);
         }},
        {"restore",
         {option("restore", "Restore this copy of vok.db (with the sys copy beside it); the current files are kept in backups/. Exit 1 when refused.", "FILE")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             return backup::runRestoreCommand({target.dataDir, target.databaseUrl}, value(parser, "restore"), out, err);
         }},
        {"check",
         {option("check", "Check the databases' integrity and the data's consistency; exit 1 with each problem on a line.")},
         [](const QCommandLineParser &, const Target &target, QTextStream &out, QTextStream &err) {
             return backup::runCheckCommand({target.dataDir, target.databaseUrl}, out, err);
         }},
        {"import-mdb",
         {option("import-mdb", "Import the former program's vok.mdb into the data folder (read with mdbtools); prints the import report. Exit 1 when refused.", "FILE"),
          option("sys-mdb", "With --import-mdb: its sys.mdb, whose password is taken over.", "FILE"),
          option("replace", "With --import-mdb: replace a data folder that holds data (its files are kept in backups/).")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             legacy::ImportCommand command;
             command.dataDir = target.dataDir;
             command.databaseUrl = target.databaseUrl;
             command.dataFile = value(parser, "import-mdb");
             command.systemFile = value(parser, "sys-mdb");
             command.replace = parser.isSet(QStringLiteral("replace"));
             return legacy::runImportCommand(command, out, err);
         }},
        {"check-months",
         {option("check-months", "List the closed months (dateluna) of YEAR that are not current: one line per vehicle and month, nrauto<TAB>YEAR<TAB>MONTH<TAB>stale|not-closed|restarts[<TAB>column:stored->recomputed,...]. Exit 0 when none is stale or not closed, 1 when one is, 2 on an error.", "YEAR")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             return runCheckMonths({target.dataDir, target.databaseUrl, value(parser, "check-months")}, out, err);
         }},
        {"recompute-months",
         {option("recompute-months", "Recompute the closed months of every listed vehicle from January of YEAR on (one transaction per vehicle) and list the months that changed, as --check-months does. Exit 0, or 2 on an error.", "YEAR")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             return runRecomputeMonths({target.dataDir, target.databaseUrl, value(parser, "recompute-months")}, out, err);
         }},
        {"migrate",
         {option("migrate", "Bring the database's schema up to date (on a server: as the database's owner, granting the roles their rights). Exit 1 when refused.")},
         [](const QCommandLineParser &, const Target &target, QTextStream &out, QTextStream &err) {
             return rolescli::runMigrate({target.dataDir, target.databaseUrl}, out, err);
         }},
        {"setup-roles",
         {option("setup-roles", "With --database, as the database's owner (CREATEROLE): make the server's roles vok_admin, vok_operator and vok_cititor where missing and grant their rights. Exit 1 when refused.")},
         [](const QCommandLineParser &, const Target &target, QTextStream &out, QTextStream &err) {
             return rolescli::runSetupRoles({target.dataDir, target.databaseUrl}, out, err);
         }},
        {"add-user",
         {option("add-user", "With --database, as the database's owner: a login NAME for a clerk, in the role given by --role; its password is the first line of standard input. Exit 1 when refused.", "NAME"),
          option("role", "With --add-user: vok_admin, vok_operator or vok_cititor.", "ROLE")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             QTextStream in(stdin);
             return rolescli::runAddUser({target.dataDir, target.databaseUrl}, value(parser, "add-user"),
                                         value(parser, "role"), in, out, err);
         }},
        {"remove-user",
         {option("remove-user", "With --database, as the database's owner: take away the clerk's login NAME (its journal rows stay). Exit 1 when refused.", "NAME")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             return rolescli::runRemoveUser({target.dataDir, target.databaseUrl}, value(parser, "remove-user"), out, err);
         }},
        {"due",
         {option("due", "List what lapses within DAYS days (documents, drivers' papers) and the services due within the settings' km, overdue included: one line each, kind<TAB>subject<TAB>what<TAB>when<TAB>left, kind document, driver or service. Exit 0 when none, 1 when some, 2 on an error.", "DAYS")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             return runDueCommand({target.dataDir, target.databaseUrl, value(parser, "due"), {}}, out, err);
         }},
        {"audit",
         {option("audit", "Audit the trip sheets of YEAR against their odometers, tanks, trips and closed months: one line per finding, nrauto<TAB>nrf<TAB>dd.mm.yyyy<TAB>kind<TAB>detail. Exit 0 when there is none, 1 when there is one, 2 on an error.", "YEAR")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             return control::runAuditCommand({target.dataDir, target.databaseUrl, value(parser, "audit")}, out, err);
         }},
        {"import-card",
         {option("import-card", "Import a fuel-card statement (CSV) and print \"importate N\". Exit 1, nothing stored, when a row is refused (each refused row's line on stderr) or the file was imported before.", "FILE"),
          option("card-format", "With --import-card: the statement's column mapping (default vok).", "NAME"),
          option("supplier", "With --import-card: the supplier of the statement (else the mapping's).", "NAME"),
          option("accept-partial", "With --import-card: import the rows that can be read, leaving the refused ones.")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             cards::CardCommand command{target.dataDir, target.databaseUrl, value(parser, "import-card"),
                                        value(parser, "card-format"), value(parser, "supplier"),
                                        parser.isSet(QStringLiteral("accept-partial")), {}};
             return cards::runImportCard(command, out, err);
         }},
        {"import-efactura",
         {option("import-efactura", "Import a supplier's e-invoice (UBL 2.1 Invoice or CreditNote) and print \"importate N\" (its lines). Exit 1, nothing stored, when refused or imported before.", "FILE")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             cards::CardCommand command;
             command.dataDir = target.dataDir;
             command.databaseUrl = target.databaseUrl;
             command.file = value(parser, "import-efactura");
             return cards::runImportInvoice(command, out, err);
         }},
        {"reconcile",
         {option("reconcile", "Reconcile the month's fuel-card statements and e-invoices with the trip sheets: one line per finding, nrauto<TAB>nrf<TAB>dd.mm.yyyy<TAB>kind<TAB>detail. Exit 0 when there is none, 1 when there is one, 2 on an error.", "YYYY-MM")},
         [](const QCommandLineParser &parser, const Target &target, QTextStream &out, QTextStream &err) {
             cards::CardCommand command;
             command.dataDir = target.dataDir;
             command.databaseUrl = target.databaseUrl;
             command.month = value(parser, "reconcile");
             return cards::runReconcile(command, out, err);
         }},
        {"demo",
         {option("demo", "Create the new data folder DIR with a sample fleet (a year of trip sheets, every month but the last two closed) and open the program on it; prints the folder. Exit 1, nothing written, when DIR holds a vok.db or sys.db.", "DIR"),
          option("seed", "With --demo: the seed of the sample data (default 1); the same seed in the same month gives the same data.", "N")},
         [](const QCommandLineParser &parser, const Target &, QTextStream &out, QTextStream &err) {
             return runDemo(parser, out, err);
         },
         true},
    };
    return all;
}

// Why the options on the command line cannot run: two modes, or an option of
// a mode that is not the one chosen; empty when they can. `given` holds the
// options' names as the parser read them.
QString conflict(const QStringList &given)
{
    QStringList chosen; // in the order given
    for (const QString &name : given)
        for (const Mode &mode : modes())
            if (name == QLatin1String(mode.trigger) && !chosen.contains(name))
                chosen << name;
    if (chosen.size() > 1)
        return QStringLiteral("--%1 si --%2 nu se folosesc impreuna: un singur mod pe rand")
            .arg(chosen.at(0), chosen.at(1));
    for (const Mode &mode : modes()) {
        const QString trigger = QString::fromLatin1(mode.trigger);
        if (chosen.contains(trigger))
            continue;
        for (const QCommandLineOption &own : mode.options)
            if (given.contains(own.names().first()))
                return QStringLiteral("--%1 se foloseste doar cu --%2").arg(own.names().first(), trigger);
    }
    return {};
}

bool isOption(const char *argument, const char *name)
{
    // --name, --name=value, and Qt's single-dash long form -name.
    const char *rest = argument;
    if (rest[0] != '-')
        return false;
    ++rest;
    if (rest[0] == '-')
        ++rest;
    const std::size_t length = std::strlen(name);
    return std::strncmp(rest, name, length) == 0 && (rest[length] == '\0' || rest[length] == '=');
}

QtMessageHandler previousHandler = nullptr;

// A run without windows does not need Qt's runtime folder; Qt still warns,
// on every such run, that XDG_RUNTIME_DIR is not set. Every other message passes.
void quietRuntimeDirWarning()
{
    previousHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
            return;
        if (previousHandler)
            previousHandler(type, context, text);
    });
}

} // namespace

void prepare(int argc, char *argv[])
{
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        bool headless = std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "-v") == 0
                        || std::strcmp(argument, "-?") == 0 || isOption(argument, "help")
                        || isOption(argument, "help-all") || isOption(argument, "version");
        for (const Mode &mode : modes())
            headless = headless || (!mode.opensWindows && isOption(argument, mode.trigger));
        if (headless) {
            if (!platformChosen)
                qputenv("QT_QPA_PLATFORM", "offscreen");
            quietRuntimeDirWarning();
            return;
        }
    }
    if (platformChosen)
        return;
    // Windows wanted, and no display to show them on: Qt would abort. Read the
    // command line offscreen instead, so that a mistake in it is still named,
    // and then say why no window opens.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        quietRuntimeDirWarning();
        noDisplay = true;
    }
}

int run(QApplication &app)
{
    // Qt's own messages (a file that cannot be opened...) in Romanian, on the
    // command line as in the windows.
    installQtTranslations(app);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("MECANIZARE - VOK: trip sheets, normed fuel consumption and daily activity sheets of a vehicle fleet."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(option("data-dir", "Folder of vok.db and sys.db (else $VOK_DATA_DIR, else the per-user data folder).", "DIR"));
    parser.addOption(option("database", "A shared PostgreSQL database, postgresql://user@host:port/dbname (else $VOK_DATABASE); the password comes from ~/.pgpass or $PGPASSWORD.", "URL"));
    for (const Mode &mode : modes())
        parser.addOptions(mode.options);
    // A mistake on the command line is an error (2), not a refusal (1, which
    // Qt's own handling would give); help and version are left to Qt.
    if (!parser.parse(app.arguments())) {
        QTextStream(stderr) << "vok: " << parser.errorText() << '\n';
        return 2;
    }
    parser.process(app);
    // Nothing is done when the options do not go together.
    if (const QString why = conflict(parser.optionNames()); !why.isEmpty()) {
        QTextStream(stderr) << "vok: " << why << '\n';
        return 2;
    }

    Target target;
    target.dataDir = resolveDataDir(value(parser, "data-dir"));
    target.databaseUrl = resolveDatabaseUrl(value(parser, "database"));

    for (const Mode &mode : modes()) {
        if (!parser.isSet(QString::fromLatin1(mode.trigger)))
            continue;
        QTextStream out(stdout);
        QTextStream err(stderr);
        const int code = mode.run(parser, target, out, err);
        out.flush();
        err.flush();
        return code;
    }

    StartupOptions options;
    options.dataDir = target.dataDir;
    options.databaseUrl = target.databaseUrl;
    QTextStream err(stderr);
    return openWindows(options, err);
}

} // namespace vok::commandline
