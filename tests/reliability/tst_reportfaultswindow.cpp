// Runs on SQLite only: files, locks and killed processes of a data folder.
// Report faults made to happen for real: the report definition missing,
// damaged or wrong on disk, and the report's query failing in the database,
// met through the running program's report service (the trip window's "Raport
// calcul foaie" with the preview service) and through `vok --report`. Each
// time: one clear message that names the file and the place, no preview and
// no output file, the data untouched, and the program goes on: the same
// report opens once the cause is gone.
#include "../reports/reportfixture.h"

#include "db/database.h"
#include "reports/previewwindow.h"
#include "trips/tripwindow.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "windowtest.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace vok;

namespace {

const QString reportName = QStringLiteral("rapcalculf.rpt");

QString realReports() { return QStringLiteral(VOK_BINARY_DIR "/reports"); }
QString program() { return QStringLiteral(VOK_BINARY_DIR "/vok"); }

// A copy of the report definitions in which `damage` changes rapcalculf.rpt.
bool copyReports(const QString &to)
{
    const QDir from(realReports());
    const QStringList files = from.entryList(QDir::Files);
    if (files.isEmpty())
        return false;
    for (const QString &file : files)
        if (!QFile::copy(from.filePath(file), QDir(to).filePath(file)))
            return false;
    return true;
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

enum Damage { Missing, Empty, Truncated, Garbage, NotUtf8, Folder, BadFormula, UnknownColumn, UnknownTable };

void damage(const QString &path, Damage how)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    switch (how) {
    case Missing: QVERIFY(QFile::remove(path)); return;
    case Empty: text.clear(); break;
    case Truncated: text.truncate(text.size() / 2); break;
    case Garbage: {
        text = QByteArray(4096, '\0');
        for (int i = 0; i < text.size(); ++i)
            text[i] = char((i * 7919) % 251);
        break;
    }
    case NotUtf8: text.replace("Traseu", "Tr\xff\xfe" "aseu"); break;
    case Folder:
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        return;
    case BadFormula: text.replace("\"{curse.kmT}\"", "\"{curse.kmT}+(\""); break;
    case UnknownColumn: text.replace("\"{curse.kmT}\"", "\"{curse.kmTT}\""); break;
    case UnknownTable: text.replace("\"from\": \"curse\"", "\"from\": \"cursa\""); break;
    }
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text), qint64(text.size()));
}

// The trip window on sheet 1234 of B-10-ABC, its report served by the
// program's own preview service.
struct TripWithPreview {
    test::TestEnvironment &env;
    PreviewReportService service;
    WindowContext context;
    std::unique_ptr<TripWindow> window;
    int previews = 0;
    QTimer closer;

    explicit TripWithPreview(test::TestEnvironment &e)
        : env(e)
        , service(e.db(), &e.messages())
        , context(e.context())
    {
        context.reports = &service;
        window = std::make_unique<TripWindow>(context);
        // A preview that opens is counted and closed, as the clerk would.
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [this] {
            if (auto *preview = qobject_cast<PreviewWindow *>(QApplication::activeModalWidget())) {
                ++previews;
                preview->reject();
            }
        });
        closer.start();
    }

    bool open()
    {
        if (!test::showActive(window.get()))
            return false;
        auto *nra = window->findChild<QComboBox *>(QStringLiteral("nra"));
        lists::fillVehicles(nra, env.db());
        nra->setCurrentIndex(nra->findText(QStringLiteral("B-10-ABC")));
        auto *nrfoi = window->findChild<QComboBox *>(QStringLiteral("nrfoi"));
        nrfoi->setFocus();
        if (!QTest::qWaitFor([&] { return nrfoi->hasFocus(); }))
            return false;
        nrfoi->setEditText(QStringLiteral("1234"));
        auto *zi = window->findChild<QWidget *>(QStringLiteral("zi"));
        zi->setFocus();
        // The sheet is looked up as its box is left, after the focus change.
        if (!QTest::qWaitFor([&] { return zi->hasFocus(); }))
            return false;
        QCoreApplication::processEvents();
        return zi->hasFocus();
    }

    void report() { window->findChild<QPushButton *>(QStringLiteral("Command6"))->click(); }
};

struct CommandResult {
    int exitCode = -1;
    QString errors;
};

CommandResult runCommand(const QString &dataDir, const QString &reportsDir, const QString &pdf)
{
    QProcess vok;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VOK_REPORTS_DIR"), reportsDir);
    environment.remove(QStringLiteral("VOK_TEST_POSTGRES"));
    vok.setProcessEnvironment(environment);
    vok.start(program(), {QStringLiteral("--data-dir"), dataDir, QStringLiteral("--report"), reportName,
                          QStringLiteral("--selection"), QStringLiteral("{curse.idf}=1"), QStringLiteral("--pdf"), pdf});
    CommandResult result;
    if (!vok.waitForFinished(120000)) {
        vok.kill();
        vok.waitForFinished();
        result.errors = QStringLiteral("did not finish");
        return result;
    }
    result.exitCode = vok.exitStatus() == QProcess::NormalExit ? vok.exitCode() : -1;
    result.errors = QString::fromUtf8(vok.readAllStandardError() + vok.readAllStandardOutput());
    return result;
}

} // namespace

class ReportFaultsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void damagedDefinitionIsNamedAndTheProgramGoesOn_data();
    void damagedDefinitionIsNamedAndTheProgramGoesOn();
    void commandLineNamesTheDamagedDefinition_data();
    void commandLineNamesTheDamagedDefinition();
    void failedQueryIsToldAndTheProgramGoesOn();
    void commandLineNamesAFailedQuery();
    void commandLineNamesAnOutputItCannotWrite();

private:
    void definitionCases();
};

void ReportFaultsWindowTest::initTestCase()
{
    QVERIFY2(QFileInfo::exists(realReports() + u'/' + reportName), "the report definitions are built (vok_reports)");
}

void ReportFaultsWindowTest::cleanup()
{
    qputenv("VOK_REPORTS_DIR", realReports().toLocal8Bit());
}

void ReportFaultsWindowTest::definitionCases()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("place"); // what the message says about where the fault is
    QTest::newRow("missing") << int(Missing) << QStringLiteral("nu exista");
    QTest::newRow("empty") << int(Empty) << QStringLiteral("rapcalculf.rpt");
    QTest::newRow("cut in half") << int(Truncated) << QStringLiteral("linia");
    QTest::newRow("random bytes") << int(Garbage) << QStringLiteral("linia");
    QTest::newRow("not UTF-8") << int(NotUtf8) << QStringLiteral("linia");
    QTest::newRow("a folder") << int(Folder) << QStringLiteral("rapcalculf.rpt");
    QTest::newRow("unbalanced formula") << int(BadFormula) << QStringLiteral("columns[8] (kmT).value");
    QTest::newRow("unknown column") << int(UnknownColumn) << QStringLiteral("columns[8] (kmT).value: coloana {curse.kmTT}");
    QTest::newRow("unknown table") << int(UnknownTable) << QStringLiteral("source.from: tabela cursa");
}

void ReportFaultsWindowTest::damagedDefinitionIsNamedAndTheProgramGoesOn_data() { definitionCases(); }

void ReportFaultsWindowTest::damagedDefinitionIsNamedAndTheProgramGoesOn()
{
    QFETCH(int, how);
    QFETCH(QString, place);
    QTemporaryDir reports;
    QVERIFY(copyReports(reports.path()));
    damage(reports.filePath(reportName), Damage(how));
    qputenv("VOK_REPORTS_DIR", reports.path().toLocal8Bit());

    test::TestEnvironment env;
    test::insertReportFixture(env);
    TripWithPreview trip(env);
    QVERIFY(trip.open());
    const int trips = env.value(QStringLiteral("SELECT COUNT(*) FROM curse")).toInt();
    env.messages().clear();
    trip.report();
    QTest::qWait(100);

    QCOMPARE(trip.previews, 0);
    QCOMPARE(env.messages().messages().size(), 1);
    const test::FakeMessageService::Message message = env.messages().messages().first();
    QCOMPARE(message.kind, test::FakeMessageService::Kind::Error);
    QVERIFY2(message.text.contains(reportName), qPrintable(message.text));
    QVERIFY2(message.text.contains(place), qPrintable(message.text));
    QVERIFY2(message.text.size() < 600, qPrintable(message.text));
    qInfo("%s", qPrintable(message.text));
    QVERIFY(trip.window->isVisible());
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM curse")).toInt(), trips);

    // The file put right, the same button opens the report.
    qputenv("VOK_REPORTS_DIR", realReports().toLocal8Bit());
    env.messages().clear();
    trip.report();
    QTRY_COMPARE(trip.previews, 1);
    QVERIFY2(env.messages().texts().isEmpty(), qPrintable(env.messages().texts().join(u'\n')));
    QVERIFY(trip.window->isVisible());
    QVERIFY(env.messages().problems().isEmpty());
}

void ReportFaultsWindowTest::commandLineNamesTheDamagedDefinition_data() { definitionCases(); }

void ReportFaultsWindowTest::commandLineNamesTheDamagedDefinition()
{
    if (!test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("writes from the database files of a data folder");
    QVERIFY2(QFileInfo::exists(program()), "the program is built (target vok)");
    QFETCH(int, how);
    QFETCH(QString, place);
    QTemporaryDir reports;
    QVERIFY(copyReports(reports.path()));
    damage(reports.filePath(reportName), Damage(how));
    test::TestEnvironment env;
    test::insertReportFixture(env);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("raport.pdf"));
    const QByteArray before = fileHash(env.dataDir() + QStringLiteral("/sys.db"));

    const CommandResult failed = runCommand(env.dataDir(), reports.path(), pdf);
    QVERIFY2(failed.exitCode > 0, qPrintable(failed.errors));
    QVERIFY2(failed.errors.contains(reportName), qPrintable(failed.errors));
    QVERIFY2(failed.errors.contains(place), qPrintable(failed.errors));
    qInfo("%s", qPrintable(failed.errors.trimmed().split(u'\n').constLast()));
    QVERIFY(!QFileInfo::exists(pdf));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM curse")).toInt(), 6);
    QCOMPARE(fileHash(env.dataDir() + QStringLiteral("/sys.db")), before);
    QCOMPARE(scalar(env.db(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));

    const CommandResult written = runCommand(env.dataDir(), realReports(), pdf);
    QVERIFY2(written.exitCode == 0, qPrintable(written.errors));
    QVERIFY(QFileInfo(pdf).size() > 0);
}

void ReportFaultsWindowTest::failedQueryIsToldAndTheProgramGoesOn()
{
    // A table gone from under the report: the query fails in the database.
    test::TestEnvironment env;
    test::insertReportFixture(env);
    TripWithPreview trip(env);
    QVERIFY(trip.open());
    env.sql(QStringLiteral("ALTER TABLE setari RENAME TO setari_mutat"));
    env.messages().clear();
    trip.report();
    QTest::qWait(100);
    QCOMPARE(trip.previews, 0);
    QCOMPARE(env.messages().messages().size(), 1);
    QVERIFY2(env.messages().last().startsWith(QStringLiteral("Raportul rapcalculf.rpt nu poate fi intocmit: ")),
             qPrintable(env.messages().last()));
    QVERIFY2(env.messages().last().contains(QStringLiteral("setari")), qPrintable(env.messages().last()));
    QVERIFY(trip.window->isVisible());

    env.sql(QStringLiteral("ALTER TABLE setari_mutat RENAME TO setari"));
    env.messages().clear();
    trip.report();
    QTRY_COMPARE(trip.previews, 1);
    QVERIFY(env.messages().texts().isEmpty());
    QVERIFY(env.messages().problems().isEmpty());
}

void ReportFaultsWindowTest::commandLineNamesAFailedQuery()
{
    if (!test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("writes from the database files of a data folder");
    QVERIFY2(QFileInfo::exists(program()), "the program is built (target vok)");
    test::TestEnvironment env;
    test::insertReportFixture(env);
    env.sql(QStringLiteral("ALTER TABLE setari RENAME TO setari_mutat"));
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("raport.pdf"));
    const CommandResult failed = runCommand(env.dataDir(), realReports(), pdf);
    QVERIFY2(failed.exitCode > 0, qPrintable(failed.errors));
    QVERIFY2(failed.errors.contains(QStringLiteral("Raportul rapcalculf.rpt nu poate fi intocmit: ")), qPrintable(failed.errors));
    QVERIFY2(failed.errors.contains(QStringLiteral("setari")), qPrintable(failed.errors));
    QVERIFY(!QFileInfo::exists(pdf));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM curse")).toInt(), 6);

    env.sql(QStringLiteral("ALTER TABLE setari_mutat RENAME TO setari"));
    const CommandResult written = runCommand(env.dataDir(), realReports(), pdf);
    QVERIFY2(written.exitCode == 0, qPrintable(written.errors));
    QVERIFY(QFileInfo(pdf).size() > 0);
}

void ReportFaultsWindowTest::commandLineNamesAnOutputItCannotWrite()
{
    if (!test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("writes from the database files of a data folder");
    QVERIFY2(QFileInfo::exists(program()), "the program is built (target vok)");
    test::TestEnvironment env;
    test::insertReportFixture(env);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("lipsa/raport.pdf")); // a folder that is not there
    const CommandResult failed = runCommand(env.dataDir(), realReports(), pdf);
    QVERIFY2(failed.exitCode > 0, qPrintable(failed.errors));
    QVERIFY2(failed.errors.contains(pdf), qPrintable(failed.errors));
    QVERIFY(!QFileInfo::exists(pdf));
}

QTEST_MAIN(ReportFaultsWindowTest)
#include "tst_reportfaultswindow.moc"
