#include "dialoganswers.h"
#include "reportfixture.h"
#include "sheetreader.h"
#include "windowtest.h"

#include "reports/previewwindow.h"
#include "reports/reportfilename.h"
#include "ui/filedialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;

namespace {

ReportRequest calculation(int idf)
{
    ReportRequest r;
    r.reportFile = QStringLiteral("rapcalculf.rpt");
    r.selection = QStringLiteral("{curse.idf}=%1").arg(idf);
    return r;
}

void addTrips(test::TestEnvironment &env, int count)
{
    for (int n = 10; n < 10 + count; ++n)
        env.sql(QStringLiteral("INSERT INTO curse (idf, nrc, kmI, kmT, kmE, Kg, A, Cn, Cu, traseu) "
                               "VALUES (1, ?, 10, 10, 9, 1, 1, 2.7, 0.045, 'Bucuresti - Ploiesti')"),
                {n});
}

} // namespace

class ReportPreviewWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheSheetAndPagesThrough();
    void zoomChangesThePageSizeAndIsKeptForTheRun();
    void savesAndPrintsThePdf();
    void savesExcelAndCsvFromItsButtons();
    void proposesTheReportsDescription();
    void badRequestIsToldAndNothingOpens_data();
    void badRequestIsToldAndNothingOpens();
    void anotherDataFileIsRead();
    void failedQueryIsToldAndTheProgramGoesOn();
};

void ReportPreviewWindowTest::showsTheSheetAndPagesThrough()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    addTrips(env, 120);
    PreviewReportService service(env.db(), &env.messages());
    std::optional<ReportDocument> doc = service.render(nullptr, calculation(1));
    QVERIFY(doc.has_value());
    PreviewSettings settings;
    PreviewWindow window(*doc, &settings, &env.messages());
    QVERIFY(test::showActive(&window));
    QVERIFY(window.pageCount() >= 3);

    auto *count = test::child<QLabel>(&window, QStringLiteral("numarPagini"));
    auto *page = test::child<QSpinBox>(&window, QStringLiteral("pagina"));
    auto *next = test::child<QPushButton>(&window, QStringLiteral("paginaUrmatoare"));
    auto *previous = test::child<QPushButton>(&window, QStringLiteral("paginaAnterioara"));
    auto *last = test::child<QPushButton>(&window, QStringLiteral("ultimaPagina"));
    auto *first = test::child<QPushButton>(&window, QStringLiteral("primaPagina"));
    QVERIFY(count && page && next && previous && last && first);
    QCOMPARE(count->text(), QStringLiteral("din %1").arg(window.pageCount()));
    QVERIFY(!previous->isEnabled());
    QVERIFY(!first->isEnabled());

    const QString folder = test::lookAtFolder();
    if (!folder.isEmpty())
        window.grab().save(QDir(folder).filePath(QStringLiteral("preview-1.png")));

    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(window.currentPage(), 1);
    QCOMPARE(page->value(), 2);
    QTest::mouseClick(last, Qt::LeftButton);
    QCOMPARE(window.currentPage(), window.pageCount() - 1);
    QVERIFY(!next->isEnabled());
    if (!folder.isEmpty())
        window.grab().save(QDir(folder).filePath(QStringLiteral("preview-last.png")));
    QTest::keyClick(&window, Qt::Key_PageUp);
    QCOMPARE(window.currentPage(), window.pageCount() - 2);
    page->setValue(1);
    QCOMPARE(window.currentPage(), 0);
    QTest::mouseClick(test::child<QPushButton>(&window, QStringLiteral("iesire")), Qt::LeftButton);
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(env.messages().problems().isEmpty());
    QVERIFY(env.messages().messages().isEmpty());
}

void ReportPreviewWindowTest::zoomChangesThePageSizeAndIsKeptForTheRun()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    PreviewReportService service(env.db(), &env.messages());
    const std::optional<ReportDocument> doc = service.render(nullptr, calculation(1));
    QVERIFY(doc.has_value());
    PreviewSettings settings;
    {
        PreviewWindow window(*doc, &settings, &env.messages());
        QVERIFY(test::showActive(&window));
        auto *zoom = test::child<QComboBox>(&window, QStringLiteral("zoom"));
        auto *view = test::child<QLabel>(&window, QStringLiteral("paginaRaport"));
        zoom->setCurrentText(QStringLiteral("50%"));
        const int small = view->pixmap().width();
        zoom->setCurrentText(QStringLiteral("100%"));
        const int normal = view->pixmap().width();
        QVERIFY(small > 0);
        QVERIFY(std::abs(normal - 2 * small) <= 2);
        QCOMPARE(window.zoom(), 1.0);
    }
    PreviewWindow again(*doc, &settings, &env.messages());
    QCOMPARE(test::child<QComboBox>(&again, QStringLiteral("zoom"))->currentText(), QStringLiteral("100%"));
}

void ReportPreviewWindowTest::savesAndPrintsThePdf()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    PreviewReportService service(env.db(), &env.messages());
    const std::optional<ReportDocument> doc = service.render(nullptr, calculation(1));
    QVERIFY(doc.has_value());
    PreviewSettings settings;
    PreviewWindow window(*doc, &settings, &env.messages());
    QVERIFY(test::showActive(&window));

    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("salvat.pdf"));
    QVERIFY(window.savePdf(saved));
    const QString savedText = test::pdfText(saved);
    QVERIFY(savedText.contains(QStringLiteral("34.092")));

    // Printing goes through the same pages; a PDF printer stands in for paper.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("tiparit.pdf")));
    printer.setPageOrientation(QPageLayout::Landscape);
    window.printTo(printer);
    const QString printed = test::pdfText(dir.filePath(QStringLiteral("tiparit.pdf")));
    QVERIFY(printed.contains(QStringLiteral("34.092")));
    QVERIFY(printed.contains(QStringLiteral("Pagina 1 din 1")));

    // The printer is kept for the run; a page range chosen for one report is
    // not applied to the next one.
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    window.preparePrinter(printer);
    QCOMPARE(printer.printRange(), QPrinter::AllPages);
    QCOMPARE(printer.fromPage(), 0);
    QCOMPARE(printer.pageLayout().orientation(), doc->landscape ? QPageLayout::Landscape : QPageLayout::Portrait);

    // A folder that cannot be written is told, and the preview stays.
    QVERIFY(!window.savePdf(dir.filePath(QStringLiteral("nu/exista/raport.pdf"))));
    QCOMPARE(env.messages().messages().size(), 1);
    QVERIFY(env.messages().last().contains(QStringLiteral("nu poate fi scris")));
    QVERIFY(window.isVisible());
}

void ReportPreviewWindowTest::savesExcelAndCsvFromItsButtons()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    PreviewReportService service(env.db(), &env.messages());
    const std::optional<ReportDocument> doc = service.render(nullptr, calculation(1));
    QVERIFY(doc.has_value());
    PreviewSettings settings;
    PreviewWindow window(*doc, &settings, &env.messages());
    QVERIFY(test::showActive(&window));
    QVERIFY(window.minimumSizeHint().width() <= 1024); // every button on a 1024-pixel screen
    QTemporaryDir dir;

    // The clerk types a name without its suffix; the file gets it.
    bool answered = false;
    test::answerFileDialog(dir.filePath(QStringLiteral("calcul")), &answered);
    QTest::mouseClick(test::child<QPushButton>(&window, QStringLiteral("salvareExcel")), Qt::LeftButton);
    QVERIFY(answered);
    const QString xlsx = dir.filePath(QStringLiteral("calcul.xlsx"));
    QCOMPARE(env.messages().last(), QStringLiteral(" Raportul a fost salvat in %1 ").arg(QDir::toNativeSeparators(xlsx)));
    QString error;
    const QJsonObject book = test::readSheet(xlsx, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    bool found = false;
    for (const QJsonValue &v : book.value(QStringLiteral("cells")).toArray())
        found = found || (v.toObject().value(QStringLiteral("type")).toString() == u"n"
                          && v.toObject().value(QStringLiteral("value")).toDouble() == 34.092);
    QVERIFY2(found, "the trip's Cn is a numeric cell");

    // The next file is proposed in the folder of the last one.
    test::answerFileDialog(dir.filePath(QStringLiteral("calcul.csv")), &answered);
    QTest::mouseClick(test::child<QPushButton>(&window, QStringLiteral("salvareCsv")), Qt::LeftButton);
    QVERIFY(answered);
    QCOMPARE(saveFolder(), dir.path());
    const QList<QStringList> rows = test::csvRows(test::readSheet(dir.filePath(QStringLiteral("calcul.csv")), &error));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(std::any_of(rows.cbegin(), rows.cend(), [](const QStringList &r) { return r.contains(QStringLiteral("34.092")); }));
    QVERIFY(env.messages().problems().isEmpty());
}

void ReportPreviewWindowTest::proposesTheReportsDescription()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    PreviewReportService service(env.db(), &env.messages());
    const std::optional<ReportDocument> doc = service.render(nullptr, calculation(1));
    QVERIFY(doc.has_value());
    PreviewWindow window(*doc, nullptr, &env.messages());
    QVERIFY(test::showActive(&window));
    // The dialog opens with the report's title, vehicle and sheet as the name.
    QString proposed;
    auto *poll = new QTimer(&window);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            proposed = name->text();
        dialog->reject();
    });
    poll->start();
    QTest::mouseClick(test::child<QPushButton>(&window, QStringLiteral("salvareCsv")), Qt::LeftButton);
    QCOMPARE(proposed, fileNameFor(reportDescription(*doc)) + QStringLiteral(".csv"));
    QVERIFY(proposed.startsWith(QStringLiteral("CALCULUL CONSUMULUI NORMAT DE CARBURANT SI ULEI ")));
    QVERIFY(env.messages().messages().isEmpty()); // cancelled: nothing said, nothing written
    // The printer's document name gives "print to file" the same name.
    QPrinter printer;
    window.preparePrinter(printer);
    QCOMPARE(printer.docName(), fileNameFor(reportDescription(*doc)) + QStringLiteral(".pdf"));
}

void ReportPreviewWindowTest::badRequestIsToldAndNothingOpens_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing definition") << QStringLiteral("lipsa.rpt") << QStringLiteral("{curse.idf}=1")
                                        << QStringLiteral("Fisierul de raport lipsa.rpt nu exista");
    QTest::newRow("formula") << QStringLiteral("rapcalculf.rpt") << QStringLiteral("{curse.idf}=")
                             << QStringLiteral("Formula de selectie \"{curse.idf}=\"");
}

void ReportPreviewWindowTest::badRequestIsToldAndNothingOpens()
{
    QFETCH(QString, file);
    QFETCH(QString, selection);
    QFETCH(QString, message);
    test::TestEnvironment env;
    PreviewReportService service(env.db(), &env.messages());
    ReportRequest request;
    request.reportFile = file;
    request.selection = selection;
    service.show(nullptr, request); // returns at once: nothing to preview
    QCOMPARE(env.messages().messages().size(), 1);
    QCOMPARE(env.messages().messages().first().kind, test::FakeMessageService::Kind::Error);
    QVERIFY2(env.messages().last().contains(message), qPrintable(env.messages().last()));
    QVERIFY(QApplication::topLevelWidgets().isEmpty() || !qobject_cast<PreviewWindow *>(QApplication::activeModalWidget()));
}

void ReportPreviewWindowTest::anotherDataFileIsRead()
{
    if (!test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("reads the database files of a data folder");
    test::TestEnvironment env;
    test::TestEnvironment other;
    test::insertReportFixture(other);
    PreviewReportService service(env.db(), &env.messages());
    ReportRequest request = calculation(1);
    request.dataFile = other.context().dataFile;
    const std::optional<ReportDocument> doc = service.render(nullptr, request);
    QVERIFY(doc.has_value());
    QVERIFY(doc->toText().contains(QStringLiteral("34.092")));
    request.dataFile = other.dataDir() + QStringLiteral("/lipsa.db");
    QVERIFY(!service.render(nullptr, request).has_value());
    QVERIFY(env.messages().last().contains(QStringLiteral("nu exista")));
}

void ReportPreviewWindowTest::failedQueryIsToldAndTheProgramGoesOn()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    env.sql(QStringLiteral("ALTER TABLE setari RENAME TO setari_vechi"));
    PreviewReportService service(env.db(), &env.messages());
    QVERIFY(!service.render(nullptr, calculation(1)).has_value());
    QCOMPARE(env.messages().messages().size(), 1);
    QVERIFY2(env.messages().last().startsWith(QStringLiteral("Raportul rapcalculf.rpt nu poate fi intocmit: ")),
             qPrintable(env.messages().last()));
    QVERIFY(env.messages().last().contains(QStringLiteral("setari")));
    // The connection still serves the next report.
    env.sql(QStringLiteral("ALTER TABLE setari_vechi RENAME TO setari"));
    QVERIFY(service.render(nullptr, calculation(1)).has_value());
}

QTEST_MAIN(ReportPreviewWindowTest)
#include "tst_reportpreviewwindow.moc"
