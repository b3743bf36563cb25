// vokbench: the program's speed at fleet scale, measured side by side in one
// run. One line per figure on stdout:
//   ratio NAME VALUE      (medians of interleaved repetitions)
//   time NAME SECONDS
//   memory peak_rss_mb VALUE
// Details (the medians themselves) go to stderr.
//
//   vokbench --full DIR --small DIR --work-dir DIR [--reps N]
//   vokbench --smoke --work-dir DIR       (a tiny fleet, a few repetitions)
//   vokbench --full-url URL --small-url URL --server-log FILE --work-dir DIR
//                                         (on a PostgreSQL server, adding
//   roundtrips NAME COUNT                  the statements of one action)
// The databases come from vokgen; `make bench` makes them once, `make
// bench-postgres` on a throw-away server each time.

#include "benchtasks.h"
#include "sample/fleetgenerator.h"

#include "db/database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace vok;
using namespace vok::bench;
using namespace vok::sample;

namespace {

QString prepareSmokeFleet(const QString &dir, int vehicles)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const QString connection = QStringLiteral("bench-smoke-gen");
    {
        QSqlDatabase sys = database::openSqlite(QDir(dir).filePath(QStringLiteral("sys.db")),
                                                connection + QStringLiteral("-sys"), DatabaseKind::System);
        QSqlDatabase db = database::openSqlite(QDir(dir).filePath(QStringLiteral("vok.db")), connection,
                                               DatabaseKind::Data);
        exec(db, QStringLiteral("PRAGMA synchronous=OFF"));
        FleetShape shape;
        shape.vehicles = vehicles;
        shape.years = 2;
        shape.sheetsPerMonth = 4;
        shape.tripsPerSheet = 2;
        shape.lastYear = 2025;
        generateFleet(db, shape);
    }
    database::close(connection);
    database::close(connection + QStringLiteral("-sys"));
    return dir;
}

// The offscreen platform's notes about window hints say nothing about speed.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) || message.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietHandler);
    // The child measured for peak memory: the program with the trip window up.
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "--child-trip-window") == 0) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QApplication app(argc, argv);
            return runTripWindowChild(QString::fromLocal8Bit(argv[i + 1]));
        }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vokbench"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Benchmarks of the program at fleet scale."));
    parser.addHelpOption();
    const QCommandLineOption full(QStringLiteral("full"), QStringLiteral("Data folder of the full fleet."), QStringLiteral("DIR"));
    const QCommandLineOption small(QStringLiteral("small"), QStringLiteral("Data folder of its 1%."), QStringLiteral("DIR"));
    const QCommandLineOption work(QStringLiteral("work-dir"), QStringLiteral("Folder for scratch files (the empty database, report output)."), QStringLiteral("DIR"));
    const QCommandLineOption reps(QStringLiteral("reps"), QStringLiteral("Repetitions of each measurement."), QStringLiteral("N"), QStringLiteral("31"));
    const QCommandLineOption smoke(QStringLiteral("smoke"), QStringLiteral("A tiny fleet and few repetitions: checks that every figure runs."));
    const QCommandLineOption only(QStringLiteral("only"), QStringLiteral("Run only the figures whose names contain this text."), QStringLiteral("TEXT"));
    const QCommandLineOption fullUrl(QStringLiteral("full-url"), QStringLiteral("The full fleet's database on a PostgreSQL server."), QStringLiteral("URL"));
    const QCommandLineOption smallUrl(QStringLiteral("small-url"), QStringLiteral("Its small part's database on the same server."), QStringLiteral("URL"));
    const QCommandLineOption serverLog(QStringLiteral("server-log"), QStringLiteral("The server's log file, where the statements of a save are counted."), QStringLiteral("FILE"));
    const QCommandLineOption networkDelay(QStringLiteral("network-delay-ms"), QStringLiteral("On a server: the longer round trip a trip save is also timed through."), QStringLiteral("MS"), QStringLiteral("5"));
    parser.addOptions({full, small, work, reps, smoke, only, fullUrl, smallUrl, serverLog, networkDelay});
    parser.process(app);

    if (!parser.isSet(work)) {
        std::fprintf(stderr, "vokbench: --work-dir is required\n");
        return 2;
    }
    BenchOptions options;
    options.workDir = QDir(parser.value(work)).absolutePath();
    options.reps = std::max(1, parser.value(reps).toInt());
    options.only = parser.value(only);
    options.program = QCoreApplication::applicationFilePath();
    QDir().mkpath(options.workDir);

    if (parser.isSet(fullUrl) || parser.isSet(smallUrl)) {
        if (!parser.isSet(fullUrl) || !parser.isSet(smallUrl)) {
            std::fprintf(stderr, "vokbench: --full-url and --small-url go together\n");
            return 2;
        }
        options.fullUrl = parser.value(fullUrl);
        options.smallUrl = parser.value(smallUrl);
        options.serverLog = parser.value(serverLog);
        options.networkDelayMs = std::max(1, parser.value(networkDelay).toInt());
        return runOnServer(options) == 0 ? 0 : 1;
    }

    try {
        if (parser.isSet(smoke)) {
            options.fullDir = prepareSmokeFleet(QDir(options.workDir).filePath(QStringLiteral("smoke-full")), 3);
            options.smallDir = prepareSmokeFleet(QDir(options.workDir).filePath(QStringLiteral("smoke-small")), 1);
            options.reps = 3;
            options.reportReps = 1;
            options.batch = 2;
        } else {
            if (!parser.isSet(full) || !parser.isSet(small)) {
                std::fprintf(stderr, "vokbench: --full and --small are required (or --smoke)\n");
                return 2;
            }
            options.fullDir = QDir(parser.value(full)).absolutePath();
            options.smallDir = QDir(parser.value(small)).absolutePath();
        }
        for (const QString &dir : {options.fullDir, options.smallDir})
            if (!QFileInfo::exists(QDir(dir).filePath(QStringLiteral("vok.db")))) {
                std::fprintf(stderr, "vokbench: no vok.db in %s (run vokgen first)\n", qPrintable(dir));
                return 2;
            }
        const int failures = runAll(options);
        return failures == 0 ? 0 : 1;
    } catch (const DbError &error) {
        std::fprintf(stderr, "vokbench: %s\n", qPrintable(error.message()));
        return 1;
    }
}
