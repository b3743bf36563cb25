// vokgen: fills a data folder, or an empty database on a PostgreSQL server,
// with a synthetic fleet through the program's own schema, for the benchmarks.
//   vokgen --data-dir DIR [--vehicles 500] [--years 10] [--sheets-per-month 25]
//          [--trips-per-sheet 3] [--last-year YYYY] [--seed N]
//   vokgen --database-url postgresql://user@host:port/dbname [the same counts]

#include "sample/fleetgenerator.h"

#include "db/database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

using namespace vok;

namespace {

void progress(int done, const sample::FleetCounts &counts, int vehicles, const QElapsedTimer &clock)
{
    std::fprintf(stderr, "\rvokgen: vehicle %d/%d, %lld sheets, %lld trips, %.0f s   ", done, vehicles,
                 static_cast<long long>(counts.sheets), static_cast<long long>(counts.trips), clock.elapsed() / 1000.0);
    std::fflush(stderr);
}

// The fleet on a server: its database must hold no vehicle yet. The server's
// own vacuum daemon would gather the planner's statistics after such a load;
// they are gathered at once, so that every run measures the same plans.
int fillServer(const QString &url, const sample::FleetShape &shape)
{
    const QString connection = QStringLiteral("vokgen");
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    try {
        QSqlDatabase db = database::openServer(url, connection);
        if (scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toInt() > 0) {
            std::fprintf(stderr, "vokgen: %s holds vehicles already; use an empty database\n", qPrintable(url));
            status = 1;
        } else {
            std::fprintf(stderr, "vokgen: %d vehicles x %d years (%d-%d) x 12 months x %d sheets x %d trips into %s\n",
                         shape.vehicles, shape.years, sample::firstYear(shape), sample::lastYear(shape),
                         shape.sheetsPerMonth, shape.tripsPerSheet, qPrintable(url));
            const sample::FleetCounts counts = sample::generateFleet(
                db, shape, [&](int done, const sample::FleetCounts &c) { progress(done, c, shape.vehicles, clock); });
            exec(db, QStringLiteral("ANALYZE"));
            std::fprintf(stderr, "\nvokgen: done: %lld vehicles, %lld sheets, %lld trips, %lld closed months in %.1f s\n",
                         static_cast<long long>(counts.vehicles), static_cast<long long>(counts.sheets),
                         static_cast<long long>(counts.trips), static_cast<long long>(counts.months),
                         clock.elapsed() / 1000.0);
        }
    } catch (const DbError &error) {
        std::fprintf(stderr, "\nvokgen: %s\n", qPrintable(error.message()));
        status = 1;
    }
    database::close(connection);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vokgen"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Fills a data folder with a synthetic fleet for the benchmarks."));
    parser.addHelpOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QStringLiteral("Folder to create vok.db and sys.db in (must not hold a vok.db)."), QStringLiteral("DIR"));
    const QCommandLineOption vehicles(QStringLiteral("vehicles"), QStringLiteral("Number of vehicles."), QStringLiteral("N"), QStringLiteral("500"));
    const QCommandLineOption years(QStringLiteral("years"), QStringLiteral("Number of whole years."), QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption sheets(QStringLiteral("sheets-per-month"), QStringLiteral("Trip sheets per vehicle and month."), QStringLiteral("N"), QStringLiteral("25"));
    const QCommandLineOption trips(QStringLiteral("trips-per-sheet"), QStringLiteral("Trips per sheet."), QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption lastYear(QStringLiteral("last-year"), QStringLiteral("Last year generated (default: the year before this one)."), QStringLiteral("YYYY"), QStringLiteral("0"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the random values."), QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption databaseUrl(QStringLiteral("database-url"), QStringLiteral("An empty database on a PostgreSQL server to fill instead."), QStringLiteral("URL"));
    parser.addOptions({dataDir, databaseUrl, vehicles, years, sheets, trips, lastYear, seed});
    parser.process(app);

    if (parser.isSet(dataDir) == parser.isSet(databaseUrl)) {
        std::fprintf(stderr, "vokgen: either --data-dir or --database-url is required\n");
        return 2;
    }
    sample::FleetShape shape;
    shape.vehicles = parser.value(vehicles).toInt();
    shape.years = parser.value(years).toInt();
    shape.sheetsPerMonth = parser.value(sheets).toInt();
    shape.tripsPerSheet = parser.value(trips).toInt();
    shape.lastYear = parser.value(lastYear).toInt();
    shape.seed = parser.value(seed).toUInt();
    if (shape.vehicles < 1 || shape.years < 1 || shape.sheetsPerMonth < 1 || shape.tripsPerSheet < 1
        || shape.vehicles > 17000) {
        std::fprintf(stderr, "vokgen: every count must be at least 1 (and at most 17000 vehicles)\n");
        return 2;
    }

    if (parser.isSet(databaseUrl))
        return fillServer(parser.value(databaseUrl), shape);

    const QDir dir(parser.value(dataDir));
    if (!QDir().mkpath(dir.absolutePath())) {
        std::fprintf(stderr, "vokgen: cannot create %s\n", qPrintable(dir.absolutePath()));
        return 1;
    }
    const QString dataFile = dir.absoluteFilePath(QStringLiteral("vok.db"));
    if (QFileInfo::exists(dataFile)) {
        std::fprintf(stderr, "vokgen: %s exists already; remove it first\n", qPrintable(dataFile));
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    try {
        QSqlDatabase sys = database::openSqlite(dir.absoluteFilePath(QStringLiteral("sys.db")),
                                                QStringLiteral("vokgen-sys"), DatabaseKind::System);
        sys.close();
        QSqlDatabase db = database::openSqlite(dataFile, QStringLiteral("vokgen"), DatabaseKind::Data);
        // A throw-away file being filled: no need to wait for the disk after each vehicle-year.
        exec(db, QStringLiteral("PRAGMA synchronous=OFF"));
        exec(db, QStringLiteral("PRAGMA cache_size=-65536"));
        std::fprintf(stderr, "vokgen: %d vehicles x %d years (%d-%d) x 12 months x %d sheets x %d trips into %s\n",
                     shape.vehicles, shape.years, sample::firstYear(shape), sample::lastYear(shape),
                     shape.sheetsPerMonth, shape.tripsPerSheet, qPrintable(dataFile));
        const sample::FleetCounts counts = sample::generateFleet(
            db, shape, [&](int done, const sample::FleetCounts &c) { progress(done, c, shape.vehicles, clock); });
        // No ANALYZE: the clerk's database has no planner statistics either.
        std::fprintf(stderr, "\nvokgen: checkpointing\n");
        exec(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
        std::fprintf(stderr, "vokgen: done: %lld vehicles, %lld sheets, %lld trips, %lld closed months in %.1f s (%.0f MB)\n",
                     static_cast<long long>(counts.vehicles), static_cast<long long>(counts.sheets),
                     static_cast<long long>(counts.trips), static_cast<long long>(counts.months),
                     clock.elapsed() / 1000.0, QFileInfo(dataFile).size() / 1048576.0);
    } catch (const DbError &error) {
        std::fprintf(stderr, "\nvokgen: %s\n", qPrintable(error.message()));
        return 1;
    }
    database::close(QStringLiteral("vokgen"));
    database::close(QStringLiteral("vokgen-sys"));
    return 0;
}
