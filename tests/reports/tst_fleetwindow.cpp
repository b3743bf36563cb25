#include "db/calendar.h"
#include "reports/fleetwindow.h"
#include "reports/monthclose.h"
#include "tst_monthclose_fixtures.h"
#include "windowtest.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace vok;
using namespace vok::test;

class FleetWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithEveryVehicleMarked();
    void toggleClearsAndMarksAll();
    void marksWrittenBeforeAnnualReport();
    void marksWrittenWhenReportButtonGainsFocus();
    void monthlyReportRequest();
    void marksChangedWhileButtonKeepsFocus();
    void monthNeverViewedIsAbsent();
};

namespace {

const QStringList numbers = {QStringLiteral("B-01-AAA"), QStringLiteral("B-02-BBB"),
                             QStringLiteral("B-03-CCC"), QStringLiteral("B-04-DDD"),
                             QStringLiteral("B-05-EEE")};

struct Window {
    explicit Window(TestEnvironment &env)
        : window(env.context())
    {
        nra = child<QListWidget>(&window, QStringLiteral("nra"));
        an = child<QComboBox>(&window, QStringLiteral("an"));
        luna = child<QComboBox>(&window, QStringLiteral("luna"));
        month = child<QPushButton>(&window, QStringLiteral("Command2"));
        year = child<QPushButton>(&window, QStringLiteral("Command1"));
        toggle = child<QPushButton>(&window, QStringLiteral("Command4"));
    }
    int marked() const { return nra->selectedItems().size(); }
    FleetWindow window;
    QListWidget *nra;
    QComboBox *an, *luna;
    QPushButton *month, *year, *toggle;
};

void addFleet(TestEnvironment &env)
{
    for (const QString &number : numbers)
        addVehicle(env, {.nrauto = number});
    // Taken out of the lists: keeps its mark whatever happens in the window.
    addVehicle(env, {.nrauto = QStringLiteral("B-99-OUT"), .apar = 0});
    env.sql(QStringLiteral("UPDATE auto SET rap=1 WHERE nrauto='B-99-OUT'"));
}

QMap<QString, int> marks(TestEnvironment &env)
{
    QMap<QString, int> result;
    for (const QString &number : numbers + QStringList{QStringLiteral("B-99-OUT")})
        result[number] = env.value(QStringLiteral("SELECT rap FROM auto WHERE nrauto=?"), {number}).toInt();
    return result;
}

} // namespace

void FleetWindowTest::opensWithEveryVehicleMarked()
{
    TestEnvironment env;
    addFleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    QCOMPARE(w.window.objectName(), QStringLiteral("central"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Centralizare autovehicule"));
    QCOMPARE(w.nra->count(), 5);
    QCOMPARE(w.nra->item(0)->text(), numbers.first());
    QCOMPARE(w.marked(), 5);
    QCOMPARE(w.nra->currentRow(), 0);
    QCOMPARE(w.toggle->text(), QStringLiteral("Deselectie totala"));
    const QDate today = QDate::currentDate();
    QCOMPARE(w.an->currentText(), QString::number(today.year()));
    QCOMPARE(w.month->text(), QStringLiteral("Raport ") + monthName(today.month()));
    QCOMPARE(w.year->text(), QStringLiteral("Raport ") + QString::number(today.year()));
    bool noteShown = false;
    for (const QLabel *label : w.window.findChildren<QLabel *>())
        noteShown |= label->text() == FleetWindow::noteText();
    QVERIFY(noteShown);
    QVERIFY(env.messages().problems().isEmpty());
}

void FleetWindowTest::toggleClearsAndMarksAll()
{
    TestEnvironment env;
    addFleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QCOMPARE(w.marked(), 0);
    QCOMPARE(w.toggle->text(), QStringLiteral("Selectie totala"));
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QCOMPARE(w.marked(), 5);
    QCOMPARE(w.toggle->text(), QStringLiteral("Deselectie totala"));
}

void FleetWindowTest::marksWrittenBeforeAnnualReport()
{
    TestEnvironment env;
    addFleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    // Mark the second and the fourth by clicking them, as the clerk does.
    for (int row : {1, 3})
        QTest::mouseClick(w.nra->viewport(), Qt::LeftButton, {},
                          w.nra->visualItemRect(w.nra->item(row)).center());
    QCOMPARE(w.marked(), 2);
    w.an->setCurrentIndex(w.an->findText(QStringLiteral("2024")));
    QTest::mouseClick(w.year, Qt::LeftButton);

    QMap<QString, int> expected;
    for (const QString &number : numbers)
        expected[number] = 0;
    expected[numbers[1]] = 1;
    expected[numbers[3]] = 1;
    expected[QStringLiteral("B-99-OUT")] = 1;
    QCOMPARE(marks(env), expected);
    QCOMPARE(env.reports().requests.size(), 1);
    const ReportRequest request = env.reports().requests.first();
    QCOMPARE(request.reportFile, QStringLiteral("rapvokanauto.rpt"));
    QCOMPARE(request.dataFile, env.context().dataFile);
    QCOMPARE(request.selection, QStringLiteral("{dateluna.anul}=2024 and {auto.rap}=1"));
    // The choices stay.
    QCOMPARE(w.marked(), 2);
    QCOMPARE(w.an->currentText(), QStringLiteral("2024"));
    QVERIFY(env.messages().problems().isEmpty());
}

void FleetWindowTest::marksWrittenWhenReportButtonGainsFocus()
{
    TestEnvironment env;
    addFleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.nra->item(0)->setSelected(false);
    w.month->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(marks(env).value(numbers[0]), 0);
    QCOMPARE(marks(env).value(numbers[4]), 1);
    QVERIFY(env.reports().requests.isEmpty());
}

void FleetWindowTest::monthlyReportRequest()
{
    TestEnvironment env;
    addFleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.an->setCurrentIndex(w.an->findText(QStringLiteral("2023")));
    w.luna->setCurrentIndex(10);
    QCOMPARE(w.month->text(), QStringLiteral("Raport noiembrie"));
    QCOMPARE(w.year->text(), QStringLiteral("Raport 2023"));
    QTest::mouseClick(w.month, Qt::LeftButton);
    QCOMPARE(env.reports().requests.size(), 1);
    const ReportRequest request = env.reports().requests.first();
    QCOMPARE(request.reportFile, QStringLiteral("rapvoklunaauto.rpt"));
    QCOMPARE(request.selection, QStringLiteral("{dateluna.anul}=2023 and {dateluna.idl}=11 and {auto.rap}=1"));
    QCOMPARE(marks(env).value(numbers[2]), 1);
    QVERIFY(env.messages().problems().isEmpty());
}

void FleetWindowTest::marksChangedWhileButtonKeepsFocus()
{
    TestEnvironment env;
    addFleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.year->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(w.year->hasFocus());
    QCOMPARE(marks(env).value(numbers[2]), 1);
    w.nra->item(2)->setSelected(false);
    QTest::keyClick(w.year, Qt::Key_Space);
    QCOMPARE(env.reports().requests.size(), 1);
    QCOMPARE(marks(env).value(numbers[2]), 0);
    QCOMPARE(marks(env).value(numbers[3]), 1);
}

void FleetWindowTest::monthNeverViewedIsAbsent()
{
    // Both vehicles have sheets in March; only the first one's month was closed.
    TestEnvironment env;
    const int viewed = addVehicle(env, {.nrauto = numbers[0]});
    const int never = addVehicle(env, {.nrauto = numbers[1]});
    addSheet(env, viewed, {.anul = 2024, .idl = 3});
    addSheet(env, never, {.anul = 2024, .idl = 3});
    closeMonth(env.db(), viewed, 2024, 3);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.an->setCurrentIndex(w.an->findText(QStringLiteral("2024")));
    w.luna->setCurrentIndex(2);
    QTest::mouseClick(w.month, Qt::LeftButton);
    QCOMPARE(marks(env).value(numbers[1]), 1);
    // What the monthly selection admits: the marked vehicles' rows of that month.
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna d INNER JOIN auto a ON a.ida=d.ida "
                                      "WHERE d.anul=2024 AND d.idl=3 AND a.rap=1"))
                 .toInt(),
             1);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {never}).toInt(), 0);
}

QTEST_MAIN(FleetWindowTest)
#include "tst_fleetwindow.moc"
