// The demonstration folder of vok --demo, read back through the program's own
// stores: every table filled, every closed month what closing it gives, the
// one stale month found stale, every sample reference row marked, the same
// seed giving the same data, a folder with data refused.
#include "sample/demofleet.h"

#include "db/database.h"
#include "db/schema.h"
#include "fleet/partsstore.h"
#include "fleet/referencestore.h"
#include "fleet/settingsstore.h"
#include "fleet/vehiclestore.h"
#include "charts/chartdata.h"
#include "charts/chartstore.h"
#include "months/monthclose.h"
#include "months/monthstatus.h"
#include "control/auditcli.h"
#include "control/audit.h"

#include <QSet>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;
using namespace vok::sample;

namespace {

// March 2025: the year shown is March 2024 to February 2025.
const DemoOptions fixedMonth{7, QDate(2025, 3, 15)};

// Every row of every business table, as text.
QStringList contents(const QSqlDatabase &db)
{
    QStringList lines;
    for (const QString &table : schema::tableNames(DatabaseKind::Data)) {
        QSqlQuery query = exec(db, QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
        while (query.next()) {
            QStringList values{table};
            for (int c = 0; c < query.record().count(); ++c)
                values << query.value(c).toString();
            lines << values.join(u'|');
        }
    }
    return lines;
}

QStringList contentsOf(const QString &dir)
{
    const QString name = QStringLiteral("demo-read-") + QFileInfo(dir).fileName();
    QStringList lines;
    {
        QSqlDatabase db = database::openSqlite(QDir(dir).filePath(QStringLiteral("vok.db")), name, DatabaseKind::Data);
        lines = contents(db);
    }
    database::close(name);
    return lines;
}

} // namespace

class DemoFleetTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void tablesFilled_data();
    void tablesFilled();
    void fleetShowsEveryKind();
    void closedMonthsAsClosingGives();
    void chartsMarkOneMonth();
    void auditFindsTheSeededCases();
    void measuresRecordedAsTheTripsGo();
    void referenceRowsMarked_data();
    void referenceRowsMarked();
    void sameSeedSameData();
    void folderWithDataRefused_data();
    void folderWithDataRefused();

private:
    QTemporaryDir m_root;
    QString m_dir;
    DemoSummary m_summary;
    QSqlDatabase m_db;
};

void DemoFleetTest::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_dir = m_root.filePath(QStringLiteral("demo"));
    const DemoFolder folder = createDemoFolder(m_dir, fixedMonth);
    QVERIFY2(folder.created(), qPrintable(folder.refusal));
    m_summary = folder.summary;
    QCOMPARE(QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("sys.db"), QStringLiteral("vok.db")}));
    m_db = database::openSqlite(QDir(m_dir).filePath(QStringLiteral("vok.db")), QStringLiteral("demo"),
                                DatabaseKind::Data);
}

void DemoFleetTest::cleanupTestCase()
{
    m_db = QSqlDatabase();
    database::close(QStringLiteral("demo"));
}

void DemoFleetTest::tablesFilled_data()
{
    QTest::addColumn<QString>("table");
    for (const QString &table : schema::tableNames(DatabaseKind::Data))
        QTest::newRow(qPrintable(table)) << table;
}

void DemoFleetTest::tablesFilled()
{
    QFETCH(QString, table);
    QVERIFY(scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt() > 0);
}

// Both formula kinds, the three regimes, an installation of sporI, an
// aerodynamic class, the header, a parts log for every vehicle, and sheets
// with gas, oil added, oil and filter changes and fuel returned.
void DemoFleetTest::fleetShowsEveryKind()
{
    const VehicleStore vehicles(m_db);
    const QStringList numbers = vehicles.visibleNumbers();
    QCOMPARE(numbers.size(), m_summary.vehicles);
    QSet<int> formulas, regimes;
    int installations = 0, aerodynamic = 0;
    const QStringList kinds = ReferenceStore(m_db).installationKinds();
    for (const QString &number : numbers) {
        const Vehicle v = *vehicles.byNumber(number);
        formulas << v.formula;
        const Consumption regime = *vehicles.consumption(v.ida);
        regimes << regime.implicit;
        QCOMPARE(v.Cm, defaultConsumption(regime));
        if (v.Ispec > 0) {
            QVERIFY(v.Ispec <= kinds.size());
            ++installations;
        }
        aerodynamic += v.Iaerod > 0 ? 1 : 0;
        QVERIFY2(PartsStore(m_db).entries(v.ida).size() >= 4, qPrintable(number));
    }
    QCOMPARE(formulas, QSet<int>({1, 2}));
    QCOMPARE(regimes, QSet<int>({1, 2, 3}));
    QVERIFY(installations > 0 && aerodynamic > 0);
    QVERIFY(!SettingsStore(m_db).headers().value(0).unitate.isEmpty());
    for (const char *recorded : {"gz > 0", "um > 0", "ut > 0", "ua > 0", "schu = 1", "schf = 1", "restit > 0"})
        QVERIFY2(scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM foaie WHERE ") + QLatin1String(recorded)).toInt() > 0,
                 recorded);
    QCOMPARE(m_summary.sheets, scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM foaie")).toInt());
    QCOMPARE(m_summary.trips, scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM curse")).toInt());
}

// Every month but the last two closed, each row exactly what closing the month
// gives now, except the one changed after its closing, which the month status
// finds stale (and nothing else).
void DemoFleetTest::closedMonthsAsClosingGives()
{
    QCOMPARE(m_summary.firstMonth, QDate(2024, 3, 1));
    QCOMPARE(m_summary.lastMonth, QDate(2025, 2, 1));
    QVERIFY(!m_summary.staleVehicle.isEmpty());
    const MonthStore store(m_db);
    int closed = 0, stale = 0;
    for (const QString &number : VehicleStore(m_db).visibleNumbers()) {
        const int ida = VehicleStore(m_db).byNumber(number)->ida;
        for (int m = 0; m < 12; ++m) {
            const QDate month = m_summary.firstMonth.addMonths(m);
            const QString where = number + u' ' + month.toString(QStringLiteral("MM.yyyy"));
            const MonthState state = vehicleMonths(m_db, ida, month.year()).months[month.month() - 1].state;
            const std::optional<MonthRow> row = store.row(ida, month.year(), month.month());
            if (m >= 10) {
                QVERIFY2(!row && state == MonthState::NotClosed, qPrintable(where));
                continue;
            }
            QVERIFY2(row, qPrintable(where));
            ++closed;
            const MonthRow closing = computeMonth(m_db, ida, month.year(), month.month()).row;
            const bool changed = number == m_summary.staleVehicle && month.year() == m_summary.staleYear
                                 && month.month() == m_summary.staleMonth;
            if (changed) {
                ++stale;
                QCOMPARE(state, MonthState::Stale);
                const QList<ColumnChange> changes = rowChanges(*row, closing);
                QCOMPARE(changes.size(), 1);
                QCOMPARE(changes.first().column, QStringLiteral("um"));
            } else {
                QVERIFY2(row->figures() == closing.figures(), qPrintable(where));
                QVERIFY2(state == MonthState::Current, qPrintable(where));
            }
        }
    }
    QCOMPARE(closed, m_summary.closedMonths);
    QCOMPARE(closed, 10 * m_summary.vehicles);
    QCOMPARE(stale, 1);
}

// What the charts find wrong in the closed months: the tank never runs dry,
// and its rest goes above the capacity once, in the month of the fill-up
// counted twice.
void DemoFleetTest::chartsMarkOneMonth()
{
    const ChartStore store(m_db);
    const charts::YearMonth from{m_summary.firstMonth.year(), m_summary.firstMonth.month()};
    const charts::YearMonth to{m_summary.lastMonth.year(), m_summary.lastMonth.month()};
    QList<charts::Anomaly> found;
    for (const charts::Vehicle &vehicle : store.listedVehicles()) {
        QVERIFY(vehicle.capacity > 0);
        const charts::VehicleChart chart = charts::vehicleChart(vehicle, store.months(vehicle.ida, from, to), from, to);
        for (const charts::Anomaly &anomaly : charts::anomalies(chart))
            found << anomaly;
    }
    QCOMPARE(found.size(), 1);
    QVERIFY2(found.first().kind == charts::Anomaly::Kind::RestAboveCapacity, qPrintable(found.first().text()));
    QCOMPARE(found.first().nrauto, m_summary.overfullVehicle);
    QCOMPARE(found.first().when, charts::YearMonth({m_summary.overfullYear, m_summary.overfullMonth}));
}

void DemoFleetTest::auditFindsTheSeededCases()
{
    // One case of each kind, and nothing else, through the command line.
    QSet<QString> kinds;
    QStringList expected;
    for (const SeededFinding &f : m_summary.seeded) {
        expected << QStringLiteral("%1\t%2\t%3\t%4").arg(f.nrauto).arg(f.nrf).arg(f.data, f.kind);
        kinds << f.kind;
    }
    QCOMPARE(kinds.size(), 8);
    QCOMPARE(expected.size(), 8);
    QStringList found;
    for (const int year : {m_summary.firstMonth.year(), m_summary.lastMonth.year()}) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int code = control::runAuditCommand({m_dir, QString(), QString::number(year)}, outStream, errStream);
        QVERIFY2(err.isEmpty(), qPrintable(err));
        const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(code, lines.isEmpty() ? 0 : 1);
        for (const QString &line : lines)
            found << line.section(u'\t', 0, 3);
    }
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
}

void DemoFleetTest::measuresRecordedAsTheTripsGo()
{
    // Every sheet measured but the overfull vehicle's after its month; the
    // readings chain from sheet to sheet.
    QCOMPARE(scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM foaie WHERE kmplecare IS NULL OR kmsosire IS NULL")).toInt(), 0);
    const int unmeasured = scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM foaie WHERE rezsosire IS NULL")).toInt();
    QVERIFY(unmeasured > 0 && unmeasured < m_summary.sheets / 6);
    const QList<control::Finding> findings = control::audit([&] {
        control::AuditInput input;
        QSqlQuery q = exec(m_db, QStringLiteral("SELECT f.nrf, f.data, f.kmplecare, f.kmsosire, a.nrauto, f.ida FROM foaie f "
                                                "JOIN auto a ON a.ida=f.ida"));
        while (q.next()) {
            control::AuditSheet s;
            s.nrf = q.value(0).toInt();
            s.data = q.value(1).toString();
            s.kmplecare = q.value(2).toDouble();
            s.kmsosire = q.value(3).toDouble();
            s.nrauto = q.value(4).toString();
            s.ida = q.value(5).toInt();
            s.kmTrips = *s.kmsosire - *s.kmplecare;
            input.sheets << s;
        }
        return input;
    }());
    // The odometer alone, over the whole year: the two seeded breaks of its chain.
    QCOMPARE(findings.size(), 2);
}

void DemoFleetTest::referenceRowsMarked_data()
{
    QTest::addColumn<QString>("table");
    for (const QString &table : schema::referenceTables())
        QTest::newRow(qPrintable(table)) << table;
}

// Sample rows in every reference table, each named an example in its first
// text column (coefKg has none).
void DemoFleetTest::referenceRowsMarked()
{
    QFETCH(QString, table);
    const QList<ReferenceRow> rows = ReferenceStore(m_db).rows(table);
    QVERIFY(!rows.isEmpty());
    const QList<ReferenceColumn> columns = referenceColumns(table);
    const auto firstText = std::find_if(columns.begin(), columns.end(),
                                        [](const ReferenceColumn &c) { return c.kind == ReferenceColumn::Kind::Text; });
    if (firstText == columns.end()) {
        QCOMPARE(table, QStringLiteral("coefKg"));
        return;
    }
    const qsizetype column = firstText - columns.begin();
    for (const ReferenceRow &row : rows)
        QVERIFY2(row.values.at(column).toString().endsWith(exampleMark()), qPrintable(row.values.at(column).toString()));
}

void DemoFleetTest::sameSeedSameData()
{
    const QString again = m_root.filePath(QStringLiteral("again"));
    QVERIFY(createDemoFolder(again, fixedMonth).created());
    const QStringList first = contents(m_db);
    QCOMPARE(contentsOf(again), first);
    // Another seed gives other data.
    const QString other = m_root.filePath(QStringLiteral("other"));
    QVERIFY(createDemoFolder(other, {fixedMonth.seed + 1, fixedMonth.today}).created());
    QVERIFY(contentsOf(other) != first);
}

void DemoFleetTest::folderWithDataRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("vok.db") << QStringLiteral("vok.db");
    QTest::newRow("sys.db") << QStringLiteral("sys.db");
}

// Refused with nothing written: the folder keeps exactly what it held.
void DemoFleetTest::folderWithDataRefused()
{
    QFETCH(QString, file);
    const QString dir = m_root.filePath(QStringLiteral("holds-") + file);
    QVERIFY(QDir().mkpath(dir));
    QFile existing(QDir(dir).filePath(file));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("the clerk's own");
    existing.close();
    const DemoFolder folder = createDemoFolder(dir, fixedMonth);
    QVERIFY(!folder.created());
    QVERIFY2(folder.refusal.contains(file), qPrintable(folder.refusal));
    QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{file});
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("the clerk's own"));
}

QTEST_GUILESS_MAIN(DemoFleetTest)
#include "tst_demofleet.moc"
