#include "benchtasks.h"
#include "cards/cardstore.h"

#include "sample/fleetgenerator.h"
#include "control/auditstore.h"

#include "app/mainwindow.h"
#include "db/backup.h"
#include "db/database.h"
#include "base/numbers.h"
#include "db/passwordstore.h"
#include "fleet/vehiclestore.h"
#include "months/monthclose.h"
#include "months/monthstatus.h"
#include "reports/previewwindow.h"
#include "reports/reportengine.h"
#include "reports/reportpaths.h"
#include "trips/consumption.h"
#include "trips/sheetstore.h"
#include "trips/tripsheetservice.h"
#include "trips/tripstore.h"
#include "trips/tripwindow.h"
#include "ui/messageservice.h"
#include "ui/programstate.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLineEdit>
#include <QProcess>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <functional>
#include <vector>

namespace vok::bench {

namespace {

// A message service that never blocks: it answers every question No and
// tells stderr what the clerk would have seen.
class QuietMessages : public MessageService {
public:
    void inform(QWidget *, const QString &text, const QString &, Icon) override { note(text); }
    bool confirm(QWidget *, const QString &text, const QString &, Icon) override
    {
        note(text);
        return false;
    }
    void error(QWidget *, const QString &text, const QString &) override { note(text); }

private:
    static void note(const QString &text)
    {
        std::fprintf(stderr, "vokbench: message: %s\n", qPrintable(text.simplified()));
    }
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The processor time this process has used, in seconds: on a shared machine
// it shows how much of a wall-clock time was spent waiting for the others.
double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

double seconds(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e9;
}

struct Pair {
    double a = 0, b = 0;
    double ratio() const { return b > 0 ? a / b : 0; }
};

// Measures a and b alternately, one run of each at a time (which goes first
// alternates too), after a few untimed warm-up runs; `between` runs untimed
// after every run. A sample is the mean of `batch` runs of each side, taken
// in that alternation, so that both sides meet the same background (the
// disk's syncs, other programs); the medians of the samples are compared.
Pair sideBySide(int reps, const std::function<void()> &a, const std::function<void()> &b,
                const std::function<void()> &between = {}, int batch = 1)
{
    auto once = [&between](const std::function<void()> &work) {
        const double t = seconds(work);
        if (between)
            between();
        return t;
    };
    for (int k = 0; k < std::max(2, batch); ++k) {
        once(a);
        once(b);
    }
    std::vector<double> ta, tb;
    for (int i = 0; i < reps; ++i) {
        double sumA = 0, sumB = 0;
        for (int k = 0; k < batch; ++k) {
            if ((i * batch + k) % 2 == 0) {
                sumA += once(a);
                sumB += once(b);
            } else {
                sumB += once(b);
                sumA += once(a);
            }
        }
        ta.push_back(sumA / batch);
        tb.push_back(sumB / batch);
    }
    if (qEnvironmentVariableIsSet("VOK_BENCH_SAMPLES")) {
        for (size_t i = 0; i < ta.size(); ++i)
            std::fprintf(stderr, "  %.3f %.3f\n", ta[i] * 1e3, tb[i] * 1e3);
    }
    return {median(ta), median(tb)};
}

struct Run {
    const BenchOptions &options;
    int failures = 0;

    bool wanted(const char *name) const
    {
        return options.only.isEmpty() || QString::fromLatin1(name).contains(options.only);
    }
    void ratio(const char *name, const Pair &pair, const char *what)
    {
        std::fprintf(stderr, "vokbench: %s: %s median %.3f ms against %.3f ms\n", name, what, pair.a * 1e3,
                     pair.b * 1e3);
        std::printf("ratio %s %.3f\n", name, pair.ratio());
        std::fflush(stdout);
    }
    void failed(const char *name, const char *why)
    {
        std::fprintf(stderr, "vokbench: %s failed: %s\n", name, why);
        ++failures;
    }
};

QString dataFile(const QString &dir) { return QDir(dir).filePath(QStringLiteral("vok.db")); }

// The report definitions: $VOK_REPORTS_DIR, else reports/ of the build tree
// (vokbench lives in bench/ beside it), else where the program looks.
QString reportsDir()
{
    if (!qEnvironmentVariableIsEmpty("VOK_REPORTS_DIR"))
        return qEnvironmentVariable("VOK_REPORTS_DIR");
    const QDir build(QCoreApplication::applicationDirPath() + QStringLiteral("/../reports"));
    if (build.exists())
        return build.absolutePath();
    return reportsDirectory();
}

// The program's start-up up to the main menu on screen, splash excluded:
// both databases opened (created or migrated as needed), the password
// looked up, the main menu built and shown. Returns the seconds it took;
// closing everything afterwards is not counted.
double startProgram(const QString &dir)
{
    static int counter = 0;
    const QString name = QStringLiteral("bench-start-%1").arg(++counter);
    double elapsed = 0;
    {
        QElapsedTimer clock;
        clock.start();
        QuietMessages messages;
        ProgramState state;
        WindowContext context;
        context.dataFile = dataFile(dir);
        context.db = database::openSqlite(context.dataFile, name, DatabaseKind::Data);
        context.sys = database::openSqlite(QDir(dir).filePath(QStringLiteral("sys.db")), name + QStringLiteral("-sys"),
                                           DatabaseKind::System);
        PreviewReportService reports(context.db, &messages);
        context.messages = &messages;
        context.reports = &reports;
        context.state = &state;
        state.passwordAttempts = 1;
        if (PasswordStore(context.sys).isSet())
            std::fprintf(stderr, "vokbench: %s has a password; start-up measured without the prompt\n",
                         qPrintable(dir));
        MainWindow menu(context);
        menu.show();
        for (int i = 0; i < 100 && !(menu.windowHandle() && menu.windowHandle()->isExposed()); ++i)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        elapsed = clock.nsecsElapsed() / 1e9;
    }
    database::close(name);
    database::close(name + QStringLiteral("-sys"));
    return elapsed;
}

QSqlDatabase openBenchDb(const QString &dir, const QString &name)
{
    return database::openSqlite(dataFile(dir), name, DatabaseKind::Data);
}

// The vehicle, year and month every per-vehicle figure works on: the first
// vehicle (the same data in the full fleet and in its 1%), a month in the
// middle of its years.
struct Target {
    int ida = 0;
    int year = 0;
    int month = 6;
    int nrf = 0;
    int idf = 0;
};

Target target(const QSqlDatabase &db)
{
    Target t;
    t.ida = scalar(db, QStringLiteral("SELECT MIN(ida) FROM auto")).toInt();
    const int first = scalar(db, QStringLiteral("SELECT MIN(anul) FROM foaie WHERE ida=?"), {t.ida}).toInt();
    const int last = scalar(db, QStringLiteral("SELECT MAX(anul) FROM foaie WHERE ida=?"), {t.ida}).toInt();
    t.year = (first + last + 1) / 2;
    QSqlQuery sheet = exec(db, QStringLiteral("SELECT idf, nrf FROM foaie WHERE ida=? AND anul=? AND idl=? ORDER BY nrf"),
                           {t.ida, t.year, t.month});
    if (!sheet.next())
        throw DbError(QStringLiteral("the fleet has no sheet in %1/%2").arg(t.month).arg(t.year));
    t.idf = sheet.value(0).toInt();
    t.nrf = sheet.value(1).toInt();
    return t;
}

// Closing a month with nothing but the queries it needs: the vehicle, the
// month's sheet and trip totals, the previous month's row and the write of
// the month's row, in one transaction.
void bareMonthClose(const QSqlDatabase &db, int ida, int year, int month)
{
    Transaction transaction(db);
    QSqlQuery vehicle = exec(db, QStringLiteral("SELECT Cb, Cf, restrez, kmef, kmechiv FROM auto WHERE ida=?"), {ida});
    vehicle.next();
    QSqlQuery sheets = exec(db, QStringLiteral(
        "SELECT COUNT(*), SUM(oras-orap), SUM(CASE WHEN schu>0 THEN 1 ELSE 0 END), "
        "SUM(CASE WHEN schf>0 THEN 1 ELSE 0 END), SUM(bm), SUM(gz), SUM(restit), SUM(um), SUM(ut), SUM(ua) "
        "FROM foaie WHERE ida=? AND anul=? AND idl=?"), {ida, year, month});
    sheets.next();
    QSqlQuery trips = exec(db, QStringLiteral(
        "SELECT SUM(c.Cn), SUM(c.kmT), SUM(c.kmE), SUM(c.Cu), SUM(CASE WHEN c.Gm>0 THEN c.Gm ELSE 0 END), "
        "SUM(CASE WHEN c.Gm>0 THEN c.Gm*c.kmT ELSE 0 END), SUM(CASE WHEN c.Gm>0 THEN c.kmT ELSE 0 END) "
        "FROM curse c INNER JOIN foaie f ON c.idf=f.idf WHERE f.ida=? AND f.anul=? AND f.idl=?"),
        {ida, year, month});
    trips.next();
    const int prevYear = month == 1 ? year - 1 : year;
    const int prevMonth = month == 1 ? 12 : month - 1;
    QSqlQuery previous = exec(db, QStringLiteral("SELECT restrez, kmt, kmet FROM dateluna WHERE ida=? AND anul=? AND idl=?"),
                              {ida, prevYear, prevMonth});
    const bool hasPrevious = previous.next();
    const double rest = hasPrevious ? previous.value(0).toDouble() : vehicle.value(2).toDouble();
    const double km = hasPrevious ? previous.value(1).toDouble() : vehicle.value(3).toDouble();
    const double kme = hasPrevious ? previous.value(2).toDouble() : vehicle.value(4).toDouble();
    const double cn = trips.value(0).toDouble();
    const QVariant idd = scalar(db, QStringLiteral("SELECT idd FROM dateluna WHERE ida=? AND anul=? AND idl=?"),
                                {ida, year, month});
    const QVariantList values = {
        sheets.value(1).toDouble(), trips.value(1).toDouble(), trips.value(2).toDouble(),
        trips.value(6).toDouble(), trips.value(4).toDouble(), trips.value(5).toDouble(),
        sheets.value(4).toDouble(), sheets.value(5).toDouble(), sheets.value(6).toDouble(),
        rest + sheets.value(4).toDouble() + sheets.value(5).toDouble() - sheets.value(6).toDouble() - cn, cn,
        sheets.value(7).toDouble(), sheets.value(8).toDouble(), sheets.value(9).toDouble(),
        trips.value(3).toDouble() + sheets.value(2).toDouble() * vehicle.value(0).toDouble()
            + sheets.value(3).toDouble() * vehicle.value(1).toDouble(),
        km + trips.value(1).toDouble(), kme + trips.value(2).toDouble(), idd};
    exec(db, QStringLiteral("UPDATE dateluna SET ore=?, km=?, kme=?, kminc=?, tone=?, tonekm=?, bm=?, gz=?, restit=?, "
                            "restrez=?, Cn=?, um=?, ut=?, ua=?, Cu=?, kmt=?, kmet=? WHERE idd=?"),
         values);
    transaction.commit();
}

const char *const tripColumns =
    "idf, nrc, kmI, kmII, kmIII, kmIV, kmV, kmVI, kmT, kmE, Kg, Gm, T, U, I, nri, Ra, A, nrq1, nrq4, Cn, Cu, "
    "remorca, traseu, kmtract, kmurb";

QVariantList tripValues(int idf, int nrc)
{
    return {idf, nrc, 0.0, 120.5, 30.1, 0.0, 0.0, 0.0, 150.6, 171.9, 1.12, 10.0, 0.0, 0.0, 0.0, 0, 0.0, 1.0, 0, 0,
            48.127, 0.241, 0, QStringLiteral("BUCURESTI - PLOIESTI"), 0.0, 0.0};
}

// A trip saved with nothing but its INSERT, in its own transaction.
void bareTripInsert(const QSqlDatabase &db, int idf, int nrc)
{
    Transaction transaction(db);
    exec(db, QStringLiteral("INSERT INTO curse (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                 .arg(QString::fromLatin1(tripColumns)),
         tripValues(idf, nrc));
    transaction.commit();
}

// The same work as a trip save with its bare statements: the trip's INSERT
// and its journal row (the trip's columns as JSON text, as the program keeps
// them), in one transaction.
void bareTripInsertJournalled(const QSqlDatabase &db, int idf, int nrc, const QString &nrauto, int nrf)
{
    const QVariantList values = tripValues(idf, nrc);
    const QStringList columns = QString::fromLatin1(tripColumns).split(QStringLiteral(", "));
    QJsonObject after;
    for (qsizetype i = 0; i < columns.size(); ++i)
        after.insert(columns.at(i), QJsonValue::fromVariant(values.at(i)));
    Transaction transaction(db);
    const QVariant idc = scalar(
        db,
        QStringLiteral("INSERT INTO curse (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                       "RETURNING idc")
            .arg(QString::fromLatin1(tripColumns)),
        values);
    exec(db,
         QStringLiteral("INSERT INTO jurnal (cand, cine, fereastra, tabela, cheie, nrauto, nrf, nrc, actiune, inainte, dupa) "
                        "VALUES (?, ?, 'foaie', 'curse', ?, ?, ?, ?, 'adaugare', NULL, ?)"),
         {QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), QStringLiteral("bench"), idc,
          nrauto, nrf, nrc, QString::fromUtf8(QJsonDocument(after).toJson(QJsonDocument::Compact))});
    transaction.commit();
}

void measureStartup(Run &run)
{
    const BenchOptions &o = run.options;
    // An empty data folder, created by a first start and then started again.
    const QString empty = QDir(o.workDir).filePath(QStringLiteral("empty"));
    QDir(empty).removeRecursively();
    QDir().mkpath(empty);
    startProgram(empty);
    startProgram(o.fullDir);
    std::vector<double> full, none;
    for (int i = 0; i < o.reps; ++i) {
        if (i % 2 == 0) {
            full.push_back(startProgram(o.fullDir));
            none.push_back(startProgram(empty));
        } else {
            none.push_back(startProgram(empty));
            full.push_back(startProgram(o.fullDir));
        }
    }
    const Pair pair{median(full), median(none)};
    run.ratio("startup_scaling", pair, "start-up to the main menu, full against empty");
}

void measureMonthClose(Run &run, const QSqlDatabase &full, const QSqlDatabase &small)
{
    const Target t = target(full);
    const Target s = target(small);
    if (run.wanted("monthclose_vs_sql")) {
        const Pair pair = sideBySide(run.options.reps, [&] { closeMonth(full, t.ida, t.year, t.month); },
                                     [&] { bareMonthClose(full, t.ida, t.year, t.month); }, {},
                                     run.options.batch);
        run.ratio("monthclose_vs_sql", pair, "closeMonth against its bare queries (full fleet)");
    }
    if (run.wanted("monthclose_scaling")) {
        const Pair pair = sideBySide(run.options.reps, [&] { closeMonth(full, t.ida, t.year, t.month); },
                                     [&] { closeMonth(small, s.ida, s.year, s.month); }, {},
                                     run.options.batch);
        run.ratio("monthclose_scaling", pair, "closeMonth, full against 1%");
    }
}

// The fuel control's audit of the whole fleet: one year (what `vok --audit`
// and the window "Control consum" read), and every year at once.
void measureAudit(Run &run, const QSqlDatabase &full)
{
    const Target t = target(full);
    for (const char *name : {"audit_fleet_year", "audit_fleet_all"}) {
        if (!run.wanted(name))
            continue;
        const int year = std::strcmp(name, "audit_fleet_year") == 0 ? t.year : 0;
        std::vector<double> times, cpu;
        qsizetype findings = 0;
        for (int i = 0; i < run.options.reportReps; ++i) {
            const double cpuBefore = processCpuSeconds();
            times.push_back(seconds([&] { findings = control::auditYear(full, year).size(); }));
            cpu.push_back(processCpuSeconds() - cpuBefore);
        }
        std::fprintf(stderr, "vokbench: %s: %s, %lld findings, median %.3f s of processor time\n", name,
                     year ? qPrintable(QStringLiteral("year %1").arg(year)) : "every year",
                     static_cast<long long>(findings), median(cpu));
        std::printf("time %s %.3f\n", name, median(times));
        std::fflush(stdout);
    }
}

// The fuel cards at fleet scale: a statement of 12,000 rows (the month's
// sheets' refuelling, each vehicle with its card, a few rows a sheet) read and imported into an empty database, and the month's
// reconciliation: the fleet's sheets and cards, the 12,000 transactions read
// back by their month, and every rule.
void measureCards(Run &run, const QSqlDatabase &full)
{
    if (!run.wanted("import_card_12k") && !run.wanted("reconcile_month_fleet"))
        return;
    const Target t = target(full);
    cards::ReconcileInput month = cards::CardStore(full).loadMonth(t.year, t.month);
    QHash<int, QString> plates;
    for (const cards::RVehicle &v : month.vehicles) {
        plates.insert(v.ida, v.nrauto);
        month.cards << cards::RCard{QStringLiteral("8%1").arg(v.ida, 9, 10, QLatin1Char('0')), v.ida,
                                    QStringLiteral("Petrol S.A."), QDate(), true};
    }
    // Each sheet's fuel received, in as many refuellings as make 12,000 rows,
    // inside its hours.
    int withFuel = 0;
    for (const cards::RSheet &sheet : std::as_const(month.sheets))
        withFuel += sheet.fuelIn > 0 ? 1 : 0;
    const int perSheet = withFuel ? std::max(1, (12000 + withFuel - 1) / withFuel) : 1;
    QByteArray statement = cards::vokHeader() + "\r\n";
    int rows = 0;
    for (const cards::RSheet &sheet : std::as_const(month.sheets)) {
        if (sheet.fuelIn <= 0)
            continue;
        const int pieces = std::min(perSheet, 12000 - rows);
        double left = sheet.fuelIn;
        for (int k = 0; k < pieces; ++k) {
            const double litres = k + 1 == pieces ? left : std::floor(sheet.fuelIn / pieces * 100) / 100;
            left -= litres;
            const QTime time = QTime(0, 0).addSecs(int(sheet.orap * 3600) + 300 * (k + 1));
            statement += QStringLiteral("8%1,%2,%3,%4,MOTORINA,%5,7.20,%6,Statia %7\r\n")
                             .arg(sheet.ida, 9, 10, QLatin1Char('0'))
                             .arg(plates.value(sheet.ida), sheet.date.toString(QStringLiteral("dd.MM.yyyy")),
                                  time.toString(QStringLiteral("HH:mm")))
                             .arg(litres, 0, 'f', 2)
                             .arg(litres * 7.2, 0, 'f', 2)
                             .arg(rows % 7)
                             .toUtf8();
            ++rows;
        }
    }
    const QString scratchDir = QDir(run.options.workDir).filePath(QStringLiteral("cards-bench"));
    const QString connection = QStringLiteral("bench-cards");
    std::vector<double> imports;
    for (int i = 0; i < run.options.reportReps; ++i) {
        database::close(connection);
        QDir(scratchDir).removeRecursively();
        QDir().mkpath(scratchDir);
        const QSqlDatabase scratch = database::openSqlite(dataFile(scratchDir), connection, DatabaseKind::Data);
        imports.push_back(seconds([&] {
            const cards::CardStore store(scratch);
            const cards::StatementRead read = cards::readStatement(statement, store.format(QStringLiteral("vok")));
            store.importStatement(QStringLiteral("bench.csv"), QStringLiteral("Petrol S.A."), QStringLiteral("vok"),
                                  cards::fileDigest(statement), read.transactions, QStringLiteral("bench"));
        }));
    }
    std::vector<double> reconciles;
    qsizetype findings = 0;
    {
        const QSqlDatabase scratch = QSqlDatabase::database(connection);
        for (int i = 0; i < run.options.reportReps; ++i)
            reconciles.push_back(seconds([&] {
                cards::ReconcileInput in = cards::CardStore(full).loadMonth(t.year, t.month);
                in.cards = month.cards;
                in.transactions = cards::CardStore(scratch).loadMonth(t.year, t.month).transactions;
                findings = cards::reconcile(in).size();
            }));
    }
    database::close(connection);
    std::fprintf(stderr, "vokbench: cards: %d transactions on %lld sheets of %d/%d, %lld findings\n", rows,
                 static_cast<long long>(month.sheets.size()), t.month, t.year, static_cast<long long>(findings));
    if (run.wanted("import_card_12k"))
        std::printf("time import_card_12k %.3f\n", median(imports));
    if (run.wanted("reconcile_month_fleet"))
        std::printf("time reconcile_month_fleet %.3f\n", median(reconciles));
    std::fflush(stdout);
}

// The months of a year and the carry-over chain at fleet scale: the status of
// every vehicle and month of a year (what SITUATIE and the questions before
// the reports read), the recompute of every vehicle's year with its writes,
// and one vehicle's years recomputed in one transaction against closing its
// months one by one as the clerk would.
void measureMonthChain(Run &run, const QSqlDatabase &full)
{
    const Target t = target(full);
    const int vehicles = scalar(full, QStringLiteral("SELECT COUNT(*) FROM auto WHERE apar=1")).toInt();
    if (run.wanted("monthstatus_fleet_year")) {
        std::vector<double> times, cpu;
        int notCurrent = 0;
        for (int i = 0; i < run.options.reportReps; ++i) {
            const double cpuBefore = processCpuSeconds();
            times.push_back(seconds([&] {
                notCurrent = 0;
                for (const VehicleMonths &v : fleetMonths(full, t.year))
                    for (const MonthStatus &m : v.months)
                        notCurrent += m.state == MonthState::Current || m.state == MonthState::NoSheets ? 0 : 1;
            }));
            cpu.push_back(processCpuSeconds() - cpuBefore);
        }
        std::fprintf(stderr, "vokbench: monthstatus_fleet_year: %d vehicles, year %d, %d months not current, "
                             "median %.3f s of processor time\n",
                     vehicles, t.year, notCurrent, median(cpu));
        std::printf("time monthstatus_fleet_year %.3f\n", median(times));
        std::fflush(stdout);
    }
    const int lastYear = scalar(full, QStringLiteral("SELECT MAX(anul) FROM foaie WHERE ida=?"), {t.ida}).toInt();
    const int firstYear = scalar(full, QStringLiteral("SELECT MIN(anul) FROM foaie WHERE ida=?"), {t.ida}).toInt();
    if (run.wanted("chain_recompute_fleet_year")) {
        // The last year: January to December, every listed vehicle, one
        // transaction each, every month written.
        QList<std::pair<int, QString>> listed;
        QSqlQuery query = exec(full, QStringLiteral("SELECT ida, nrauto FROM auto WHERE apar=1 ORDER BY nrauto"));
        while (query.next())
            listed.append({query.value(0).toInt(), query.value(1).toString()});
        std::vector<double> times, cpu;
        int changed = 0;
        for (int i = 0; i < run.options.reportReps; ++i) {
            const double cpuBefore = processCpuSeconds();
            times.push_back(seconds([&] {
                changed = 0;
                for (const auto &[ida, nrauto] : listed)
                    changed += static_cast<int>(recomputeChain(full, ida, lastYear, 1).size());
            }));
            cpu.push_back(processCpuSeconds() - cpuBefore);
        }
        std::fprintf(stderr, "vokbench: chain_recompute_fleet_year: %lld vehicles, year %d, %d months changed by "
                             "the last run, median %.3f s of processor time\n",
                     static_cast<long long>(listed.size()), lastYear, changed, median(cpu));
        std::printf("time chain_recompute_fleet_year %.3f\n", median(times));
        std::fflush(stdout);
    }
    if (run.wanted("chain_recompute_vs_closes")) {
        QList<std::pair<int, int>> months;
        QSqlQuery query = exec(full, QStringLiteral("SELECT DISTINCT anul, idl FROM foaie WHERE ida=? ORDER BY anul, idl"),
                               {t.ida});
        while (query.next())
            months.append({query.value(0).toInt(), query.value(1).toInt()});
        std::fprintf(stderr, "vokbench: chain_recompute_vs_closes: %lld months of %d to %d\n",
                     static_cast<long long>(months.size()), firstYear, lastYear);
        const Pair pair = sideBySide(
            std::max(1, run.options.reps / 3), [&] { recomputeChain(full, t.ida, firstYear, 1); },
            [&] {
                for (const auto &[year, month] : months)
                    closeMonth(full, t.ida, year, month);
            });
        run.ratio("chain_recompute_vs_closes", pair, "one vehicle's years recomputed against closeMonth month by month");
    }
}

// The header "Salvare" finds on screen for a stored sheet: the sheet as stored.
SheetHeader headerOnScreen(const QSqlDatabase &db, int ida, int nrf)
{
    const std::optional<Sheet> sheet = SheetStore(db).byNumber(ida, nrf);
    if (!sheet)
        throw DbError(QStringLiteral("sheet %1 of vehicle %2 not found").arg(nrf).arg(ida));
    SheetHeader header;
    header.nrf = sheet->nrf;
    header.ida = sheet->ida;
    header.sofer = sheet->sofer;
    header.orap = sheet->orap;
    header.oras = sheet->oras;
    header.data = sheet->data;
    header.decada = sheet->decada;
    header.idl = sheet->idl;
    header.anul = sheet->anul;
    return header;
}

// What "Salvare" does for a new trip on a stored sheet, through the trip
// window's service (which keeps its prepared statements for the window's
// life, here for the whole measurement): the trip read from the boxes, the
// vehicle read and the trip's consumption computed, the sheet looked up by
// vehicle and number and the trip by number, then the header written back
// (only when it differs from the stored one) and the trip inserted in one
// transaction.
int storeTripSave(TripSheetService &service, const SheetHeader &header, int nrc)
{
    const QVariantList v = tripValues(0, nrc);
    TripForm form;
    form.nrc = QString::number(nrc);
    for (int k = 0; k < 6; ++k)
        form.km[static_cast<size_t>(k)] = doubleText(v.at(2 + k).toDouble());
    form.greut = doubleText(v.at(11).toDouble());
    form.Kg = doubleText(v.at(10).toDouble());
    form.coef = doubleText(v.at(17).toDouble());
    form.traseu = v.at(23).toString();
    const std::optional<TripSheetService::SavePlan> plan = service.planSave(header, form, 2);
    if (!plan)
        throw DbError(QStringLiteral("vehicle %1 not found").arg(header.ida));
    if (plan->storedTrip)
        throw DbError(QStringLiteral("trip %1 exists already").arg(nrc));
    const std::optional<int> idf = service.save(*plan, true);
    if (!idf)
        throw DbError(QStringLiteral("trip %1 not saved").arg(nrc));
    return *idf;
}

// What the trip window reads when the clerk picks a vehicle's month and one
// of its sheets: the month's sheet numbers, the sheet, its trips in the grid.
void loadSheet(const QSqlDatabase &db, const Target &t, QSqlQueryModel &model)
{
    const QList<int> numbers = SheetStore(db).numbers(t.ida, t.month, t.year);
    if (numbers.isEmpty())
        throw DbError(QStringLiteral("no sheets listed"));
    const std::optional<Sheet> sheet = SheetStore(db).byNumber(t.ida, numbers.first());
    if (!sheet)
        throw DbError(QStringLiteral("sheet not found"));
    TripStore(db).showTrips(&model, sheet->idf);
    while (model.canFetchMore())
        model.fetchMore();
    if (model.rowCount() == 0)
        throw DbError(QStringLiteral("the sheet shows no trips"));
}

void measureTrips(Run &run, const QSqlDatabase &full, const QSqlDatabase &small)
{
    const Target t = target(full);
    const Target s = target(small);
    if (run.wanted("tripsave_vs_insert")) {
        // A new trip (number 900) saved and deleted again, untimed, after
        // each run.
        const int nrc = 900;
        auto cleanUp = [&] { exec(full, QStringLiteral("DELETE FROM curse WHERE idf=? AND nrc=?"), {t.idf, nrc}); };
        cleanUp();
        TripSheetService service(full);
        const SheetHeader header = headerOnScreen(full, t.ida, t.nrf);
        const Pair pair = sideBySide(run.options.reps, [&] { storeTripSave(service, header, nrc); },
                                     [&] { bareTripInsert(full, t.idf, nrc); }, cleanUp, run.options.batch);
        run.ratio("tripsave_vs_insert", pair, "trip save through the stores against a bare INSERT (full fleet)");
    }
    if (run.wanted("tripsave_vs_sql")) {
        // The same, against the bare statements of the same work: the
        // trip's INSERT and its journal row in one transaction.
        const int nrc = 901;
        auto cleanUp = [&] { exec(full, QStringLiteral("DELETE FROM curse WHERE idf=? AND nrc=?"), {t.idf, nrc}); };
        cleanUp();
        TripSheetService service(full);
        const SheetHeader header = headerOnScreen(full, t.ida, t.nrf);
        const QString nrauto = scalar(full, QStringLiteral("SELECT nrauto FROM auto WHERE ida=?"), {t.ida}).toString();
        const Pair pair = sideBySide(
            run.options.reps, [&] { storeTripSave(service, header, nrc); },
            [&] { bareTripInsertJournalled(full, t.idf, nrc, nrauto, t.nrf); }, cleanUp, run.options.batch);
        run.ratio("tripsave_vs_sql", pair,
                  "trip save through the stores against the bare INSERTs of the trip and its journal row (full fleet)");
    }
    if (run.wanted("sheetload_scaling")) {
        QSqlQueryModel fullModel, smallModel;
        const Pair pair = sideBySide(run.options.reps, [&] { loadSheet(full, t, fullModel); },
                                     [&] { loadSheet(small, s, smallModel); }, {}, run.options.batch);
        run.ratio("sheetload_scaling", pair, "month's sheets listed and one sheet's trips loaded, full against 1%");
    }
}

// A copy of the full fleet's data folder, as the day's automatic copy makes
// it (its own thread and connection), while the clerk saves trips on the
// program's connection: the copy's time, and how long each save took meanwhile.
void measureBackup(Run &run, const QSqlDatabase &full)
{
    if (!run.wanted("backup_full_fleet"))
        return;
    const Target t = target(full);
    const QString folder = QDir(run.options.workDir).filePath(QStringLiteral("backup-copies"));
    QDir(folder).removeRecursively();
    std::atomic<bool> done{false};
    QString failure;
    double copySeconds = 0;
    QThread *copier = QThread::create([&] {
        try {
            copySeconds = seconds([&] {
                backup::copyDataFolder(run.options.fullDir, folder, QDateTime::currentDateTime());
            });
        } catch (const DbError &error) {
            failure = error.message();
        }
        done = true;
    });
    const double cpuBefore = processCpuSeconds();
    copier->start();
    std::vector<double> saves;
    TripSheetService service(full);
    const SheetHeader header = headerOnScreen(full, t.ida, t.nrf);
    int nrc = 901;
    QElapsedTimer clock;
    clock.start();
    double slowestAt = 0;
    while (!done) {
        const double at = clock.nsecsElapsed() / 1e9;
        saves.push_back(seconds([&] { storeTripSave(service, header, nrc++); }));
        if (saves.back() >= *std::max_element(saves.begin(), saves.end()))
            slowestAt = at;
        QThread::msleep(20); // the clerk types between two saves
    }
    copier->wait();
    delete copier;
    exec(full, QStringLiteral("DELETE FROM curse WHERE idf=? AND nrc>=901"), {t.idf});
    const qint64 size = QFileInfo(dataFile(run.options.fullDir)).size();
    QDir(folder).removeRecursively();
    if (!failure.isEmpty()) {
        run.failed("backup_full_fleet", qPrintable(failure));
        return;
    }
    const double slowest = saves.empty() ? 0 : *std::max_element(saves.begin(), saves.end());
    std::fprintf(stderr,
                 "vokbench: backup_full_fleet: %.0f MB copied and checked in %.2f s (%.2f s of processor time in all); "
                 "%zu trip saves meanwhile, median %.2f ms, slowest %.2f ms (%.1f s into the copy)\n",
                 size / 1048576.0, copySeconds, processCpuSeconds() - cpuBefore, saves.size(), median(saves) * 1e3,
                 slowest * 1e3, slowestAt);
    std::printf("time backup_full_fleet %.3f\n", copySeconds);
    std::printf("time tripsave_during_backup %.4f\n", median(saves));
    std::fflush(stdout);
}

void measureFleetReport(Run &run, const QSqlDatabase &full)
{
    if (!run.wanted("fleet_annual_report"))
        return;
    const Target t = target(full);
    // Every vehicle marked, as the fleet window leaves them with all selected.
    exec(full, QStringLiteral("UPDATE auto SET rap=1 WHERE apar=1 AND rap<>1"));
    const QString pdf = QDir(run.options.workDir).filePath(QStringLiteral("rapvokanauto.pdf"));
    ReportRequest request;
    request.reportFile = QStringLiteral("rapvokanauto.rpt");
    request.dataFile = dataFile(run.options.fullDir);
    request.selection = QStringLiteral("{dateluna.anul}=%1 and {auto.rap}=1").arg(t.year);
    std::vector<double> times, cpu;
    for (int i = 0; i < run.options.reportReps; ++i) {
        QFile::remove(pdf);
        const double cpuBefore = processCpuSeconds();
        times.push_back(seconds([&] { ReportEngine(full, reportsDir()).run(request).writePdf(pdf); }));
        cpu.push_back(processCpuSeconds() - cpuBefore);
        if (!QFileInfo(pdf).size())
            throw DbError(QStringLiteral("the fleet annual report wrote no PDF"));
    }
    std::fprintf(stderr, "vokbench: fleet_annual_report: %s of the year %d, %.0f KB, median %.3f s of processor time\n",
                 qPrintable(request.selection), t.year, QFileInfo(pdf).size() / 1024.0, median(cpu));
    std::printf("time fleet_annual_report %.3f\n", median(times));
    std::fflush(stdout);
}

// Peak resident memory of a child process running the program with the full
// database open and the trip window showing a sheet, in MB. The child reads
// its own high-water mark (VmHWM): the rusage of a spawned child would count
// the parent's pages it shared before it started the program.
void measurePeakMemory(Run &run)
{
    if (!run.wanted("peak_rss_mb"))
        return;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(run.options.program, {QStringLiteral("--child-trip-window"), run.options.fullDir});
    if (!child.waitForFinished(300000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        run.failed("peak_rss_mb", "the child failed");
        return;
    }
    const QList<QByteArray> words = child.readAllStandardOutput().simplified().split(' ');
    const int at = words.indexOf("vmhwm_kb");
    if (at < 0 || at + 1 >= words.size()) {
        run.failed("peak_rss_mb", "the child told no peak memory");
        return;
    }
    std::printf("memory peak_rss_mb %.1f\n", words.at(at + 1).toDouble() / 1024.0);
    std::fflush(stdout);
}

// The statements the connection `db` sends the server while `work` runs,
// counted in the server's log: the session has the server log every
// statement it receives (log_statement, which the owner role of the
// throw-away server may set), and the log lines of its server process are
// counted. Qt's PostgreSQL driver sends every statement on its own (a PREPARE
// and a DEALLOCATE as well) and waits for its answer, so each statement is
// one round trip over the network. -1 when the log cannot be read or shows
// nothing of the session.
int serverRoundTrips(const QSqlDatabase &db, const QString &logFile, const std::function<void()> &work)
{
    QFile log(logFile);
    if (logFile.isEmpty() || !log.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray process = '[' + scalar(db, QStringLiteral("SELECT pg_backend_pid()")).toString().toLatin1() + ']';
    exec(db, QStringLiteral("SET log_statement TO 'all'"));
    const qint64 start = log.size();
    work();
    // This statement is the last one logged; the ones before it were logged
    // before they ran.
    exec(db, QStringLiteral("SET log_statement TO 'none'"));
    log.seek(start);
    const bool show = qEnvironmentVariableIsSet("VOK_BENCH_STATEMENTS");
    int count = 0;
    bool sawEnd = false;
    for (const QByteArray &line : log.readAll().split('\n')) {
        if (!line.contains(process))
            continue;
        if (line.contains("LOG:  statement: SET log_statement")) {
            sawEnd = true;
        } else if (line.contains("LOG:  statement: ") || line.contains("LOG:  execute ")) {
            ++count;
            if (show)
                std::fprintf(stderr, "  %s\n", line.mid(line.indexOf("LOG:  ") + 6).left(160).constData());
        }
    }
    return sawEnd ? count : -1;
}

// What one trip save costs in round trips to the server: the save the clerk
// makes all day (a new trip on a stored sheet, its window's statements
// prepared by an earlier save), the first save of a window, and, beside them,
// the other figures' actions. At a network's round trip of 5 ms each adds 5
// ms to what the clerk waits for.
void measureRoundTrips(Run &run, const QSqlDatabase &full)
{
    if (!run.wanted("roundtrips"))
        return;
    const Target t = target(full);
    const int nrc = 900;
    auto cleanUp = [&] { exec(full, QStringLiteral("DELETE FROM curse WHERE idf=? AND nrc=?"), {t.idf, nrc}); };
    const SheetHeader header = headerOnScreen(full, t.ida, t.nrf);
    auto count = [&](const char *name, const char *what, const std::function<void()> &work) {
        const int n = serverRoundTrips(full, run.options.serverLog, work);
        if (n < 0) {
            run.failed(name, "the server's log shows none of the session's statements");
            return n;
        }
        std::fprintf(stderr, "vokbench: %s: %d statements (round trips) %s; %d ms more at 5 ms a round trip\n",
                     name, n, what, n * 5);
        std::printf("roundtrips %s %d\n", name + std::strlen("roundtrips_"), n);
        std::fflush(stdout);
        return n;
    };
    cleanUp();
    {
        TripSheetService service(full);
        count("roundtrips_tripsave_first", "for the first trip save of a trip window",
              [&] { storeTripSave(service, header, nrc); });
        cleanUp();
        count("roundtrips_tripsave", "for a new trip saved on a stored sheet",
              [&] { storeTripSave(service, header, nrc); });
        cleanUp();
    }
    count("roundtrips_tripsave_bare", "for the bare INSERT of a trip", [&] { bareTripInsert(full, t.idf, nrc); });
    cleanUp();
    {
        // As the "V.O.K." window closes a month: the check of the month before,
        // then the closing, through the window's one store; its second closing.
        const MonthStore months(full);
        auto close = [&] {
            checkOpening(months, t.ida, t.year, t.month);
            closeMonth(months, t.ida, t.year, t.month);
        };
        close();
        count("roundtrips_monthclose", "for closing a month with the check of the month before", close);
    }
    count("roundtrips_monthclose_bare", "for the bare queries of a month closing",
          [&] { bareMonthClose(full, t.ida, t.year, t.month); });
    QSqlQueryModel model;
    count("roundtrips_sheetload", "for listing a month's sheets and loading one sheet's trips",
          [&] { loadSheet(full, t, model); });
}

// A relay between the program and the server on this machine that holds
// every packet the program sends for a while before passing it on: a
// network whose round trip is that much longer, as from a distant office.
// It runs on a thread of its own, since the program waits for the server's
// answers on its own thread.
class DelayedRelay : public QObject {
public:
    DelayedRelay(QString host, quint16 port, int delayMs)
        : m_host(std::move(host))
        , m_port(port)
        , m_delayMs(delayMs)
    {
        moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(this, [this] { listen(); }, Qt::BlockingQueuedConnection);
    }
    ~DelayedRelay() override
    {
        QMetaObject::invokeMethod(this, [this] { stop(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    quint16 port() const { return m_listenPort; }

private:
    struct Pending {
        qint64 due; // nanoseconds of m_clock
        QByteArray data;
    };
    void listen()
    {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = m_server->nextPendingConnection())
                relay(client);
        });
        m_server->listen(QHostAddress::LocalHost, 0);
        m_listenPort = m_server->serverPort();
        m_clock.start();
    }
    void stop()
    {
        delete m_server;
        m_server = nullptr;
        qDeleteAll(findChildren<QTcpSocket *>());
    }
    void relay(QTcpSocket *client)
    {
        client->setParent(this);
        auto *server = new QTcpSocket(this);
        auto *queue = new std::deque<Pending>;
        client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        server->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        server->connectToHost(m_host, m_port);
        // What the program sends waits its time, in order; the answers pass at once.
        // Every packet has a timer of its own, set for its delay; one that
        // fires passes on the packets whose time has come, in the order they
        // arrived (a timer may fire a little early by the clock in
        // nanoseconds: within a tenth of a millisecond counts as due).
        auto flush = [this, server, queue] { pass(server, queue); };
        connect(client, &QTcpSocket::readyRead, server, [this, client, queue, server, flush] {
            queue->push_back({m_clock.nsecsElapsed() + m_delayMs * 1000000LL, client->readAll()});
            QTimer::singleShot(m_delayMs, Qt::PreciseTimer, server, flush);
        });
        connect(server, &QTcpSocket::readyRead, client, [client, server] { client->write(server->readAll()); });
        connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
        connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        connect(client, &QObject::destroyed, this, [queue] { delete queue; });
    }

    // Passes on the packets whose time has come; one whose timer fired early
    // is looked at again a millisecond later.
    void pass(QTcpSocket *server, std::deque<Pending> *queue)
    {
        while (!queue->empty() && queue->front().due <= m_clock.nsecsElapsed() + 100000) {
            server->write(queue->front().data);
            queue->pop_front();
        }
        server->flush();
        if (!queue->empty() && queue->front().due <= m_clock.nsecsElapsed() + 1000000)
            QTimer::singleShot(1, Qt::PreciseTimer, server, [this, server, queue] { pass(server, queue); });
    }

    QString m_host;
    quint16 m_port;
    int m_delayMs;
    QThread m_thread;
    QTcpServer *m_server = nullptr;
    quint16 m_listenPort = 0;
    QElapsedTimer m_clock;
};

// A trip save over a network whose round trip is `delayMs` longer than this
// machine's (DelayedRelay), against the same save here: what the network
// adds to a save, measured, beside what the round trips count.
void measureNetwork(Run &run, const QSqlDatabase &full, int delayMs)
{
    if (!run.wanted("tripsave_network"))
        return;
    const Target t = target(full);
    const int nrc = 900;
    auto cleanUp = [&] { exec(full, QStringLiteral("DELETE FROM curse WHERE idf=? AND nrc=?"), {t.idf, nrc}); };
    const SheetHeader header = headerOnScreen(full, t.ida, t.nrf);
    QUrl url(run.options.fullUrl);
    DelayedRelay relay(url.host(), static_cast<quint16>(url.port(5432)), delayMs);
    url.setPort(relay.port());
    const QString connection = QStringLiteral("bench-distant");
    Pair pair;
    try {
        const QSqlDatabase distant = database::openServer(url.toString(), connection);
        TripSheetService far(distant), near(full);
        cleanUp();
        pair = sideBySide(std::max(3, run.options.reps / 3), [&] { storeTripSave(far, header, nrc); },
                          [&] { storeTripSave(near, header, nrc); }, cleanUp);
    } catch (const DbError &) {
        database::close(connection);
        throw;
    }
    database::close(connection);
    const QByteArray name = QByteArray("tripsave_network_") + QByteArray::number(delayMs) + "ms";
    std::fprintf(stderr, "vokbench: %s: a trip save %.1f ms through a network of %d ms more a round trip, "
                         "%.1f ms here: %.1f ms more\n",
                 name.constData(), pair.a * 1e3, delayMs, pair.b * 1e3, (pair.a - pair.b) * 1e3);
    std::printf("time %s %.4f\n", name.constData(), pair.a - pair.b);
    std::fflush(stdout);
}

// The process's peak resident memory in KB, from /proc/self/status.
qint64 highWaterMark()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).simplified().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

int runTripWindowChild(const QString &dir)
{
    const QString name = QStringLiteral("vok");
    QuietMessages messages;
    ProgramState state;
    WindowContext context;
    context.dataFile = dataFile(dir);
    try {
        context.db = database::openSqlite(context.dataFile, QString::fromLatin1(DataConnectionName), DatabaseKind::Data);
        context.sys = database::openSqlite(QDir(dir).filePath(QStringLiteral("sys.db")),
                                           QString::fromLatin1(SystemConnectionName), DatabaseKind::System);
    } catch (const DbError &error) {
        std::fprintf(stderr, "vokbench child: %s\n", qPrintable(error.message()));
        return 1;
    }
    PreviewReportService reports(context.db, &messages);
    context.messages = &messages;
    context.reports = &reports;
    context.state = &state;
    MainWindow menu(context);
    menu.show();
    QCoreApplication::processEvents();

    int sheetYear = 0;
    try {
        sheetYear = target(context.db).year;
    } catch (const DbError &error) {
        std::fprintf(stderr, "vokbench child: %s\n", qPrintable(error.message()));
        return 1;
    }
    int rows = -1;
    {
        TripWindow window(context, &menu);
        window.show();
        window.activateWindow();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        // The clerk picks the first vehicle, types the month and year, then
        // picks the first sheet of that month.
        if (auto *vehicle = window.findChild<QComboBox *>(QStringLiteral("nra"))) {
            vehicle->setFocus();
            QCoreApplication::processEvents();
            const int index = vehicle->findText(sample::registration(0));
            if (index >= 0) {
                vehicle->setCurrentIndex(index);
                emit vehicle->activated(index);
            }
            QCoreApplication::processEvents();
        }
        if (auto *month = window.findChild<QLineEdit *>(QStringLiteral("luna")))
            month->setText(QStringLiteral("06"));
        if (auto *year = window.findChild<QLineEdit *>(QStringLiteral("anul")))
            year->setText(QString::number(sheetYear));
        if (auto *sheet = window.findChild<QComboBox *>(QStringLiteral("nrfoi"))) {
            sheet->setFocus();
            QCoreApplication::processEvents();
            if (sheet->count() > 0) {
                sheet->setCurrentIndex(0);
                emit sheet->activated(0);
            }
            QCoreApplication::processEvents();
        }
        if (auto *grid = window.findChild<QTableView *>(QStringLiteral("DBGrid1")))
            rows = grid->model() ? grid->model()->rowCount() : -1;
        QCoreApplication::processEvents();
    }
    std::fprintf(stderr, "vokbench: peak_rss_mb: the trip window showed %d trips\n", rows);
    std::printf("vmhwm_kb %lld\n", static_cast<long long>(highWaterMark()));
    return rows > 0 ? 0 : 1;
}

int runAll(const BenchOptions &options)
{
    Run run{options};
    QFile load(QStringLiteral("/proc/loadavg"));
    const QByteArray loadAverage = load.open(QIODevice::ReadOnly) ? load.readAll().simplified() : QByteArray("?");
    std::fprintf(stderr, "vokbench: full %s, 1%% %s, %d repetitions, batches of %d; load average %s on %d processors\n",
                 qPrintable(options.fullDir), qPrintable(options.smallDir), options.reps, options.batch,
                 loadAverage.constData(), QThread::idealThreadCount());
    // One figure that fails is reported and the others still run.
    auto guarded = [&run](const char *what, const std::function<void()> &work) {
        try {
            work();
        } catch (const DbError &error) {
            run.failed(what, qPrintable(error.message()));
        }
    };
    if (run.wanted("startup_scaling"))
        guarded("startup_scaling", [&] { measureStartup(run); });
    {
        QSqlDatabase full, small;
        guarded("opening the fleets", [&] {
            full = openBenchDb(options.fullDir, QStringLiteral("bench-full"));
            small = openBenchDb(options.smallDir, QStringLiteral("bench-small"));
        });
        if (full.isOpen() && small.isOpen()) {
            guarded("month closing", [&] { measureMonthClose(run, full, small); });
            guarded("month chain", [&] { measureMonthChain(run, full); });
            guarded("audit", [&] { measureAudit(run, full); });
            guarded("cards", [&] { measureCards(run, full); });
            guarded("trips", [&] { measureTrips(run, full, small); });
            guarded("fleet_annual_report", [&] { measureFleetReport(run, full); });
            guarded("backup_full_fleet", [&] { measureBackup(run, full); });
        }
    }
    database::close(QStringLiteral("bench-full"));
    database::close(QStringLiteral("bench-small"));
    measurePeakMemory(run);
    return run.failures;
}

int runOnServer(const BenchOptions &options)
{
    Run run{options};
    std::fprintf(stderr, "vokbench: on a server: full %s, small %s, %d repetitions, batches of %d\n",
                 qPrintable(options.fullUrl), qPrintable(options.smallUrl), options.reps, options.batch);
    auto guarded = [&run](const char *what, const std::function<void()> &work) {
        try {
            work();
        } catch (const DbError &error) {
            run.failed(what, qPrintable(error.message()));
        }
    };
    {
        QSqlDatabase full, small;
        guarded("opening the fleets", [&] {
            full = database::openServer(options.fullUrl, QStringLiteral("bench-full"));
            small = database::openServer(options.smallUrl, QStringLiteral("bench-small"));
        });
        if (full.isOpen() && small.isOpen()) {
            guarded("sizes", [&] {
                const QString size = QStringLiteral("SELECT pg_database_size(current_database())");
                std::fprintf(stderr, "vokbench: databases of %.0f MB (%lld trips) and %.0f MB (%lld trips)\n",
                             scalar(full, size).toDouble() / 1048576.0,
                             scalar(full, QStringLiteral("SELECT COUNT(*) FROM curse")).toLongLong(),
                             scalar(small, size).toDouble() / 1048576.0,
                             scalar(small, QStringLiteral("SELECT COUNT(*) FROM curse")).toLongLong());
            });
            guarded("month closing", [&] { measureMonthClose(run, full, small); });
            guarded("trips", [&] { measureTrips(run, full, small); });
            guarded("round trips", [&] { measureRoundTrips(run, full); });
            guarded("network", [&] { measureNetwork(run, full, options.networkDelayMs); });
        }
    }
    database::close(QStringLiteral("bench-full"));
    database::close(QStringLiteral("bench-small"));
    return run.failures;
}

} // namespace vok::bench
