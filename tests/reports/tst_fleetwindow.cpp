#include "base/calendar.h"
#include "reports/fleetwindow.h"
#include "months/monthclose.h"
#include "monthfixtures.h"
#include "windowtest.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
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
    void failedMarksToldOnce();
    void reportOffersRecompute_data();
    void reportOffersRecompute();
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

// A real message box takes the activation and gives it back: the marks that
// could not be written are told once, and the window goes on.
void FleetWindowTest::failedMarksToldOnce()
{
    TestEnvironment env;
    addFleet(env);
    if (env.onServer()) {
        env.sql(QStringLiteral("CREATE FUNCTION no_marks() RETURNS trigger AS $$ BEGIN "
                               "RAISE EXCEPTION 'baza de date blocata'; END $$ LANGUAGE plpgsql"));
        env.sql(QStringLiteral("CREATE TRIGGER no_marks BEFORE UPDATE ON auto FOR EACH ROW EXECUTE FUNCTION no_marks()"));
    } else {
        env.sql(QStringLiteral("CREATE TRIGGER no_marks BEFORE UPDATE ON auto "
                               "BEGIN SELECT RAISE(ABORT, 'baza de date blocata'); END"));
    }
    QtMessageService messages;
    WindowContext context = env.context();
    context.messages = &messages;
    FleetWindow window(context);
    QVERIFY(showActive(&window));
    QStringList shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &window, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown << box->text();
            box->accept();
        }
    });
    closer.start(20);
    auto *list = child<QListWidget>(&window, QStringLiteral("nra"));
    auto *month = child<QPushButton>(&window, QStringLiteral("Command2"));
    auto *year = child<QPushButton>(&window, QStringLiteral("Command1"));
    list->item(0)->setSelected(false);
    list->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(list->hasFocus());
    // Tab by Tab, as the clerk goes: the first report button takes the focus.
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("baza de date blocata")), qPrintable(shown.first()));
    // The window gets the activation back (the window manager's part), and
    // the focus its button, more than once: no second message.
    for (int i = 0; i < 3; ++i) {
        window.activateWindow();
        QTRY_VERIFY(month->hasFocus());
        QTest::qWait(100);
        QTest::keyClick(month, Qt::Key_Tab);
        QTRY_VERIFY(year->hasFocus());
        QTest::keyClick(year, Qt::Key_Backtab);
    }
    QCOMPARE(shown.size(), 1);
    QVERIFY(env.reports().requests.isEmpty());

    // Once the database takes the marks again, the report goes.
    env.sql(QStringLiteral("DROP TRIGGER no_marks") + (env.onServer() ? QStringLiteral(" ON auto") : QString()));
    QTest::keyClick(year, Qt::Key_Space);
    QCOMPARE(env.reports().requests.size(), 1);
    QCOMPARE(marks(env).value(numbers[0]), 0);
    QCOMPARE(shown.size(), 1);
}

void FleetWindowTest::reportOffersRecompute_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("month");       // of the monthly report
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<double>("april");    // April's rest in the tank of the changed vehicle, afterwards
    QTest::newRow("annual, Da") << "Command1" << 0 << true << true << 45.0;
    QTest::newRow("annual, Nu") << "Command1" << 0 << true << false << 65.0;
    QTest::newRow("April, through the carry-over") << "Command2" << 4 << true << true << 45.0;
    QTest::newRow("January, before the change") << "Command2" << 1 << false << false << 65.0;
}

void FleetWindowTest::reportOffersRecompute()
{
    QFETCH(QString, button);
    QFETCH(int, month);
    QFETCH(bool, asked);
    QFETCH(bool, answer);
    QFETCH(double, april);
    // Two marked vehicles with January to April closed; one of them taken out
    // of the lists since (its mark stays, its months count). February of the
    // taken-out one changed afterwards.
    TestEnvironment env;
    const int listed = addVehicle(env, {.nrauto = numbers[0], .restrez = 5});
    const int out = addVehicle(env, {.nrauto = QStringLiteral("B-99-OUT"), .restrez = 5});
    int february = 0;
    for (int ida : {listed, out}) {
        for (int m = 1; m <= 4; ++m) {
            const int idf = addSheet(env, ida, {.nrf = m, .anul = 2024, .idl = m, .bm = 30});
            addTrip(env, idf, {.kmT = 100, .kmE = 100, .Cn = 15});
            if (ida == out && m == 2)
                february = idf;
            closeMonth(env.db(), ida, 2024, m);
        }
    }
    env.sql(QStringLiteral("UPDATE auto SET apar=0, rap=1 WHERE ida=?"), {out});
    env.sql(QStringLiteral("UPDATE curse SET Cn=35 WHERE idf=?"), {february});
    if (asked)
        env.messages().answer(answer);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.an->setCurrentIndex(w.an->findText(QStringLiteral("2024")));
    if (month > 0)
        w.luna->setCurrentIndex(month - 1);
    QTest::mouseClick(child<QPushButton>(&w.window, button), Qt::LeftButton);
    QCOMPARE(env.messages().texts().size(), asked ? 1 : 0);
    QCOMPARE(env.value(QStringLiteral("SELECT restrez FROM dateluna WHERE ida=? AND idl=4"), {out}).toDouble(), april);
    QCOMPARE(env.reports().requests.size(), 1);
    QVERIFY(env.messages().problems().isEmpty());
}

QTEST_MAIN(FleetWindowTest)
#include "tst_fleetwindow.moc"
