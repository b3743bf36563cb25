// The window `grafice`: its wiring (the figures are tested in tst_chartdata).
#include "dialoganswers.h"
#include "testenvironment.h"
#include "windowtest.h"

#include "charts/chartwindow.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QComboBox>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;

namespace {

// Two vehicles with a year of closed months; the truck's tank holds 100
// litres and its rest passes that in October.
void addFleet(test::TestEnvironment &env, int year)
{
    env.sql("INSERT INTO auto (nrauto, marca, Cm, apar, caprez) VALUES ('B-10-ABC', 'ROMAN 10.215', 30, 1, 100)");
    env.sql("INSERT INTO auto (nrauto, marca, Cm, apar, caprez) VALUES ('B-22-XYZ', 'DACIA LOGAN', 6.5, 1, 0)");
    const QString month = "INSERT INTO dateluna (ida, anul, idl, km, kme, Cn, bm, gz, restit, restrez) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, 0, 0, ?)";
    double rest = 40;
    for (int m = 1; m <= 12; ++m) {
        const double received = m == 10 ? 160 : 90;
        rest += received - 90;
        env.sql(month, {1, year, m, 300.0, 320.0, 90.0, received, rest});
        env.sql(month, {2, year, m, 1000.0, 1000.0, 65.0, 65.0, 20.0});
    }
}

} // namespace

class ChartWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheLastClosedYearAndMarksWhatLooksWrong();
    void savesTheChartOnShow();
    void marksAMonthNoLongerCurrent();
    void reachesTheMonthsNotYetClosed();
    void drawsRealAgainstNormedWhereMeasured();
};

void ChartWindowTest::showsTheLastClosedYearAndMarksWhatLooksWrong()
{
    test::TestEnvironment env;
    const int year = QDate::currentDate().year() - 1;
    addFleet(env, year);
    ChartWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QCOMPARE(window.objectName(), QString("grafice"));
    QCOMPARE(window.windowTitle(), QString("Grafice"));
    QVERIFY(window.width() <= 1024 && window.height() <= 768);

    // The first vehicle, its twelve closed months.
    auto *nra = test::child<QComboBox>(&window, "nra");
    QCOMPARE(nra->currentText(), QString("B-10-ABC"));
    QCOMPARE(test::child<QLabel>(&window, "tip")->text(), QString("Marca si tipul : ROMAN 10.215"));
    QCOMPARE(window.vehicleChart().months.size(), 12);
    QCOMPARE(window.vehicleChart().months.first().when, (charts::YearMonth{year, 1}));
    QCOMPARE(test::child<QComboBox>(&window, "an")->currentText(), QString::number(year));

    // The rest above the tank's capacity: on the fuel chart and in the list.
    auto *tabs = test::child<QTabWidget>(&window, "grafic");
    QCOMPARE(tabs->count(), 6);
    tabs->setCurrentIndex(ChartWindow::Fuel);
    QStringList series;
    for (QAbstractSeries *s : window.chart(ChartWindow::Fuel)->series())
        series << s->name();
    QVERIFY2(series.contains("Peste capacitate"), qPrintable(series.join(", ")));
    QVERIFY(series.contains("Capacitate (100 l)"));
    const QStringList listed = window.observations();
    QCOMPARE(listed.size(), 3); // October to December
    QVERIFY2(listed.first().startsWith("B-10-ABC, octombrie"), qPrintable(listed.first()));
    QVERIFY(listed.first().contains("peste capacitatea rezervorului (100 litri)"));

    // The clerk picks the car with the keys: its months, nothing wrong.
    nra->setFocus();
    QTest::keyClick(nra, Qt::Key_Down);
    QCOMPARE(nra->currentText(), QString("B-22-XYZ"));
    QCOMPARE(window.observations(), QStringList{"Nu sunt observatii."});
    auto *bars = qobject_cast<QBarSeries *>(window.chart(ChartWindow::Kilometres)->series().first());
    QVERIFY(bars);
    QCOMPARE(bars->barSets().first()->at(0), 1000.0);

    // A range chosen upside down is put right.
    auto *fromYear = test::child<QComboBox>(&window, "an1");
    fromYear->setFocus();
    QTest::keyClick(fromYear, Qt::Key_End);
    QVERIFY(!(test::child<QComboBox>(&window, "an2")->currentText().toInt() < fromYear->currentText().toInt()));
    QVERIFY(window.vehicleChart().months.size() >= 1 && window.vehicleChart().months.size() <= 36);

    // The fleet's year: the truck is marked, both are ranked; the list says
    // first what the mark means.
    tabs->setCurrentIndex(ChartWindow::FleetRestGrowth);
    QVERIFY(window.observations().first().startsWith("(!) "));
    QVERIFY(window.observations().at(1).startsWith("B-10-ABC"));
    QVERIFY(window.chart(ChartWindow::FleetRestGrowth)->title().contains(QString::number(year)));
    QVERIFY(env.messages().texts().isEmpty());
}

void ChartWindowTest::savesTheChartOnShow()
{
    test::TestEnvironment env;
    addFleet(env, QDate::currentDate().year() - 1);
    ChartWindow window(env.context());
    QVERIFY(test::showActive(&window));
    test::child<QTabWidget>(&window, "grafic")->setCurrentIndex(ChartWindow::Fuel);
    QTemporaryDir dir;
    bool answered = false;
    test::answerFileDialog(dir.filePath("combustibil"), &answered);
    QTest::mouseClick(test::child<QPushButton>(&window, "salvarePng"), Qt::LeftButton);
    QVERIFY(answered);
    QImage png(dir.filePath("combustibil.png"));
    QVERIFY(!png.isNull() && png.width() >= 1600);
    QCOMPARE(env.messages().last(), " Graficul a fost salvat in " + QDir::toNativeSeparators(dir.filePath("combustibil.png")) + ' ');

    test::answerFileDialog(dir.filePath("combustibil.pdf"), &answered);
    QTest::mouseClick(test::child<QPushButton>(&window, "salvarePdf"), Qt::LeftButton);
    QVERIFY(answered);
    QFile pdf(dir.filePath("combustibil.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");

    // A folder that cannot be written is told, and nothing is left behind.
    QVERIFY(!window.savePdf(dir.filePath("nu/exista/grafic.pdf")));
    QVERIFY(env.messages().last().contains("nu poate fi scris"));
    QVERIFY(env.messages().problems().isEmpty());
}

void ChartWindowTest::marksAMonthNoLongerCurrent()
{
    // March of the truck has a sheet whose figures its stored row does not hold.
    test::TestEnvironment env;
    const int year = QDate::currentDate().year() - 1;
    addFleet(env, year);
    env.sql("INSERT INTO foaie (nrf, ida, sofer, orap, oras, data, decada, idl, anul, bm) "
            "VALUES (7, 1, 'ION', 8, 16, ?, 1, 3, ?, 95)", {QString("05.03.%1").arg(year), year});
    env.sql("INSERT INTO curse (idf, nrc, kmT, kmE, Kg, Gm, A, Cn, Cu) VALUES (1, 1, 310, 330, 1, 0, 1, 93, 0.5)");
    ChartWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QStringList series;
    for (QAbstractSeries *s : window.chart(ChartWindow::Fuel)->series())
        series << s->name();
    QVERIFY2(series.contains("Luna neactualizata"), qPrintable(series.join(", ")));
    QVERIFY(window.observations().contains(QString("B-10-ABC, martie %1: V.O.K.-ul lunii nu mai este actualizat (vezi SITUATIE)").arg(year)));
    test::child<QTabWidget>(&window, "grafic")->setCurrentIndex(ChartWindow::FleetConsumption);
    QVERIFY(window.observations().at(1).startsWith(QString("B-10-ABC, martie %1: V.O.K.").arg(year)));
}

// Sheets typed in the months after the last closed one: the range reaches
// them, marked on the month axis; litres per 100 equivalent km against Cm.
void ChartWindowTest::reachesTheMonthsNotYetClosed()
{
    test::TestEnvironment env;
    const int year = QDate::currentDate().year() - 1;
    addFleet(env, year);
    env.sql("INSERT INTO foaie (nrf, ida, sofer, orap, oras, data, decada, idl, anul) "
            "VALUES (7, 1, 'ION', 8, 16, ?, 1, 1, ?)", {QString("05.01.%1").arg(year + 1), year + 1});
    ChartWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QCOMPARE(window.vehicleChart().months.last().when, (charts::YearMonth{year + 1, 1}));
    QVERIFY(!window.vehicleChart().months.last().closed);
    auto *axis = qobject_cast<QBarCategoryAxis *>(window.chart(ChartWindow::Kilometres)->axes(Qt::Horizontal).first());
    QVERIFY(axis);
    QVERIFY2(axis->categories().last().endsWith('*'), qPrintable(axis->categories().join(' ')));
    QVERIFY(!axis->categories().first().endsWith('*'));
    QVERIFY(axis->titleText().contains("fara V.O.K. inchis"));
    auto *bars = qobject_cast<QBarSeries *>(window.chart(ChartWindow::PerHundredKm)->series().first());
    QVERIFY(bars);
    QCOMPARE(bars->barSets().first()->at(0), 90.0 * 100 / 320); // over the equivalent km
    QStringList fuel;
    for (QBarSet *set : qobject_cast<QBarSeries *>(window.chart(ChartWindow::Fuel)->series().first())->barSets())
        fuel << set->label();
    QCOMPARE(fuel, (QStringList{"Consum normat", "Combustibil primit, minus cel restituit"}));
}

// The truck's tank read at both ends on its sheets of March and May, not in
// April: two points a line each, nothing drawn for April, one legend entry each.
void ChartWindowTest::drawsRealAgainstNormedWhereMeasured()
{
    test::TestEnvironment env;
    const int year = QDate::currentDate().year() - 1;
    addFleet(env, year);
    const QString sheet = "INSERT INTO foaie (nrf, ida, sofer, orap, oras, data, decada, idl, anul, bm, rezplecare, rezsosire) "
                          "VALUES (?, 1, 'ION', 8, 16, ?, 1, ?, ?, ?, ?, ?)";
    env.sql(sheet, {1, QString("05.03.%1").arg(year), 3, year, 90, 40, 42});
    env.sql(sheet, {2, QString("05.04.%1").arg(year), 4, year, 90, 40, QVariant()});
    env.sql(sheet, {3, QString("05.05.%1").arg(year), 5, year, 90, 40, 30});
    const QString trip = "INSERT INTO curse (idf, nrc, kmT, kmE, Kg, Gm, A, Cn, Cu) VALUES (?, 1, 300, 320, 1, 0, 1, 90, 0.3)";
    for (int idf = 1; idf <= 3; ++idf)
        env.sql(trip, {idf});
    ChartWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QCOMPARE(window.measuredMonths().size(), 2);

    QMap<QString, QStringList> points; // by series name: "month:litres"
    int entries = 0;
    QChart *chart = window.chart(ChartWindow::Measured);
    for (QAbstractSeries *s : chart->series()) {
        auto *line = qobject_cast<QLineSeries *>(s);
        QVERIFY(line);
        for (const QPointF &p : line->points())
            points[line->name()] << QString("%1:%2").arg(p.x() + 1).arg(p.y());
        for (QLegendMarker *m : chart->legend()->markers(s))
            entries += m->isVisible();
    }
    QCOMPARE(points.value("Consum real (numai foile cu rezervorul masurat la plecare si la sosire)"),
             (QStringList{"3:88", "5:100"}));
    QCOMPARE(points.value("Consum normat al acelorasi foi"), (QStringList{"3:90", "5:90"}));
    QCOMPARE(entries, 2);
    QVERIFY(!chart->title().contains("nicio foaie"));

    // The car measured nothing: the title says so.
    auto *nra = test::child<QComboBox>(&window, "nra");
    nra->setFocus();
    QTest::keyClick(nra, Qt::Key_Down);
    QVERIFY(window.chart(ChartWindow::Measured)->series().isEmpty());
    QVERIFY(window.chart(ChartWindow::Measured)->title().contains("nicio foaie cu rezervorul masurat"));
}

QTEST_MAIN(ChartWindowTest)
#include "tst_chartwindow.moc"
