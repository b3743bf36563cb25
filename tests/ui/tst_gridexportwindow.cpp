// Runs on SQLite only: the rules of the boxes and keys; no store is under test.
// The context menu of the grids: "Export Excel" and "Export CSV" write what
// the grid shows.
#include "dialoganswers.h"
#include "sheetreader.h"
#include "testenvironment.h"
#include "windowtest.h"

#include "fleet/normativwindow.h"
#include "fleet/partswindow.h"
#include "fleet/settingswindow.h"
#include "months/monthstatuswindow.h"
#include "ui/gridexport.h"
#include "trips/tripwindow.h"

#include <QAction>
#include <QComboBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace vok;

class GridExportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyGridOffersTheExport_data();
    void everyGridOffersTheExport();
    void exportsWhatTheGridShows();
};

void GridExportWindowTest::everyGridOffersTheExport_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("grids");
    QTest::newRow("setari") << "setari" << 2;
    QTest::newRow("piese") << "piese" << 1;
    QTest::newRow("foaie") << "foaie" << 1;
    QTest::newRow("normativ") << "normativ" << 1;
    QTest::newRow("situatie") << "situatie" << 1;
}

void GridExportWindowTest::everyGridOffersTheExport()
{
    QFETCH(QString, window);
    QFETCH(int, grids);
    test::TestEnvironment env;
    env.sql("INSERT INTO auto (nrauto, marca) VALUES ('B-02-BBB', 'Roman 19.215')");
    std::unique_ptr<QWidget> w;
    if (window == u"setari")
        w = std::make_unique<SettingsWindow>(env.context());
    else if (window == u"piese")
        w = std::make_unique<PartsWindow>(env.context());
    else if (window == u"foaie")
        w = std::make_unique<TripWindow>(env.context());
    else if (window == u"normativ")
        w = std::make_unique<NormativWindow>(env.context());
    else
        w = std::make_unique<MonthStatusWindow>(env.context());
    const QList<QTableView *> views = w->findChildren<QTableView *>();
    int offering = 0;
    for (QTableView *view : views) {
        QStringList names;
        for (QAction *a : view->actions())
            names.append(a->objectName() + u'=' + a->text());
        if (names == QStringList{"exportExcel=Export Excel", "exportCsv=Export CSV"}
            && view->contextMenuPolicy() == Qt::ActionsContextMenu)
            ++offering;
    }
    QCOMPARE(offering, grids);
    // SITUATIE names its rows by vehicle: the name leads the exported row.
    if (window == u"situatie") {
        const sheet::Table t = gridexport::table(w->findChild<QTableView *>("luni"));
        QCOMPARE(t.rows.size(), 2);
        QCOMPARE(t.rows[0].size(), 13);
        QCOMPARE(t.rows[1][0].text, QString("B-02-BBB"));
    }
}

void GridExportWindowTest::exportsWhatTheGridShows()
{
    test::TestEnvironment env;
    env.sql("INSERT INTO auto (nrauto, marca) VALUES ('B-02-BBB', 'Roman 19.215')");
    const int ida = env.value("SELECT ida FROM auto WHERE nrauto='B-02-BBB'").toInt();
    const QString part = "INSERT INTO piese (ida, act, denp, valoare, zi, luna, an) VALUES (?, ?, ?, ?, '01', '02', '2007')";
    env.sql(part, {ida, "FF 1020", "Filtru ulei, \"Mann\"", 85.5});
    env.sql(part, {ida, "FF 998", "Anvelopa 315/80 R22.5", 1450.0});
    env.sql(part, {ida, "-217-VOK", "@SUM(1+1)", -6.62}); // a spreadsheet would run these as formulas
    PartsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *nra = test::child<QComboBox>(&window, "nra");
    nra->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(nra->findText("B-02-BBB") >= 0);
    nra->setCurrentIndex(nra->findText("B-02-BBB"));
    emit nra->activated(nra->currentIndex());
    auto *grid = test::child<QTableView>(&window, "DBGrid1");
    QTRY_COMPARE(grid->model()->rowCount(), 3);

    QTemporaryDir dir;
    // CSV: the headings, then the rows as the grid shows them.
    bool answered = false;
    test::answerFileDialog(dir.filePath("piese"), &answered);
    const QStringList entries = test::chooseFromContextMenu(grid->viewport(), 1);
    QCOMPARE(entries, (QStringList{"Export Excel", "Export CSV"}));
    QVERIFY(answered);
    const QString csv = dir.filePath("piese.csv");
    QCOMPARE(env.messages().last(), " Tabelul a fost salvat in " + QDir::toNativeSeparators(csv) + ' ');
    QString error;
    QList<QStringList> expected = {{"Nr.act/data", "Denumire", "Valoare"}};
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            const QString text = grid->model()->index(r, c).data().toString();
            // Texts that begin as formulas do after an apostrophe; figures stay bare.
            row.append(text.startsWith('@') || text == "-217-VOK" ? "'" + text : text);
        }
        expected.append(row);
    }
    QVERIFY(expected.contains(QStringList{"'-217-VOK", "'@SUM(1+1)", "-6.62"}));
    QCOMPARE(test::csvRows(test::readSheet(csv, &error)), expected);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    // Excel: the values are numbers.
    test::answerFileDialog(dir.filePath("piese.xlsx"), &answered);
    test::chooseFromContextMenu(grid->viewport(), 0);
    QVERIFY(answered);
    const QJsonObject book = test::readSheet(dir.filePath("piese.xlsx"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(book.value("name").toString(), window.windowTitle().left(31));
    QList<double> numbers;
    for (const QJsonValue &v : book.value("cells").toArray())
        if (v.toObject().value("type").toString() == u"n")
            numbers.append(v.toObject().value("value").toDouble());
    QCOMPARE(numbers, (QList<double>{85.5, 1450, -6.62}));
    QVERIFY(env.messages().problems().isEmpty());
}

QTEST_MAIN(GridExportWindowTest)
#include "tst_gridexportwindow.moc"
