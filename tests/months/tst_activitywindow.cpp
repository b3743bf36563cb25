#include "base/calendar.h"
#include "months/activitywindow.h"
#include "db/restwarnings.h"
#include "months/monthclose.h"
#include "monthfixtures.h"
#include "windowtest.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace vok;
using namespace vok::test;

class ActivityWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithCurrentYearAndMonth();
    void captionsFollowTheChoices();
    void noVehicleChosen_data();
    void noVehicleChosen();
    void monthWithoutSheets();
    void firstMonthReportsFromSettings();
    void januaryToMarchCarryOver();
    void yearReport();
    void closingFailureIsShownAndNoReportOpens();
    void previousMonthMessageBeforeWriting();
    void yearReportOffersRecompute();
    void monthAfterOneNotCurrentAsksFirst_data();
    void monthAfterOneNotCurrentAsksFirst();
    void restOutOfRangeIsSaidAfterClosing_data();
    void restOutOfRangeIsSaidAfterClosing();
};

namespace {

struct Window {
    explicit Window(TestEnvironment &env)
        : window(env.context())
    {
        nra = child<QComboBox>(&window, QStringLiteral("nra"));
        tip = child<QLabel>(&window, QStringLiteral("tip"));
        an = child<QComboBox>(&window, QStringLiteral("an"));
        luna = child<QComboBox>(&window, QStringLiteral("luna"));
        month = child<QPushButton>(&window, QStringLiteral("Command2"));
        year = child<QPushButton>(&window, QStringLiteral("Command1"));
    }
    void choose(const QString &number, int y, int m)
    {
        nra->setCurrentIndex(nra->findText(number));
        an->setCurrentIndex(an->findText(QString::number(y)));
        luna->setCurrentIndex(m - 1);
    }
    ActivityWindow window;
    QComboBox *nra, *an, *luna;
    QLabel *tip;
    QPushButton *month, *year;
};

} // namespace

void ActivityWindowTest::opensWithCurrentYearAndMonth()
{
    TestEnvironment env;
    addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ")});
    addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    addVehicle(env, {.nrauto = QStringLiteral("B-00-OUT"), .apar = 0});
    Window w(env);
    QVERIFY(showActive(&w.window));
    QCOMPARE(w.window.objectName(), QStringLiteral("foaieaz"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Fisa activitatii zilnice"));
    const QDate today = QDate::currentDate();
    QCOMPARE(w.an->currentText(), QString::number(today.year()));
    QCOMPARE(w.an->itemText(0), QStringLiteral("2006"));
    QCOMPARE(w.luna->currentText(), monthName(today.month()));
    QCOMPARE(w.month->text(), QStringLiteral("V.O.K. ") + monthName(today.month()));
    QCOMPARE(w.year->text(), QStringLiteral("Raport ") + QString::number(today.year()));
    QCOMPARE(w.nra->count(), 2);
    QCOMPARE(w.nra->itemText(0), QStringLiteral("B-01-ABC"));
    QCOMPARE(w.nra->currentIndex(), -1);
    QVERIFY(w.window.findChild<QLabel *>()); // labels exist
    bool warningShown = false;
    for (const QLabel *label : w.window.findChildren<QLabel *>())
        warningShown |= label->text() == ActivityWindow::annualWarningText();
    QVERIFY(warningShown);
    QVERIFY(env.messages().problems().isEmpty());
}

void ActivityWindowTest::captionsFollowTheChoices()
{
    TestEnvironment env;
    addVehicle(env, {.marca = QStringLiteral("DACIA 1310")});
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose(QStringLiteral("B-01-ABC"), 2019, 2);
    QCOMPARE(w.month->text(), QStringLiteral("V.O.K. februarie"));
    QCOMPARE(w.year->text(), QStringLiteral("Raport 2019"));
    QCOMPARE(w.tip->text(), QStringLiteral("Marca si tipul : DACIA 1310"));
}

void ActivityWindowTest::noVehicleChosen_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Raport luna") << QStringLiteral("Command2");
    QTest::newRow("Raport an") << QStringLiteral("Command1");
}

void ActivityWindowTest::noVehicleChosen()
{
    QFETCH(QString, button);
    TestEnvironment env;
    addVehicle(env, {});
    Window w(env);
    QVERIFY(showActive(&w.window));
    QTest::mouseClick(child<QPushButton>(&w.window, button), Qt::LeftButton);
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral(" Selectati numarul de inmatriculare !!! ")});
    QTRY_COMPARE(QApplication::focusWidget(), w.nra);
    QVERIFY(env.reports().requests.isEmpty());
    QVERIFY(env.messages().problems().isEmpty());
}

void ActivityWindowTest::monthWithoutSheets()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {});
    addSheet(env, ida, {.anul = 2024, .idl = 2});
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose(QStringLiteral("B-01-ABC"), 2024, 3);
    QTest::mouseClick(w.month, Qt::LeftButton);
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral(" Nu aveti date pentru luna si anul selectat !!! ")});
    QVERIFY(env.reports().requests.isEmpty());
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna")).toInt(), 0);
    QVERIFY(env.messages().problems().isEmpty());
}

void ActivityWindowTest::firstMonthReportsFromSettings()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.kmef = 1234.5, .kmechiv = 1300, .restrez = 45.25});
    const int idf = addSheet(env, ida, {.anul = 2024, .idl = 5, .bm = 60});
    addTrip(env, idf, {.kmT = 100, .kmE = 110, .Cn = 20});
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose(QStringLiteral("B-01-ABC"), 2024, 5);
    QTest::mouseClick(w.month, Qt::LeftButton);

    QCOMPARE(env.messages().texts(),
             QStringList{QStringLiteral(" Restul in rezervor din luna precedenta nu a fost gasit !!! \n"
                                        " Programul va folosi valoarea introdusa la ,,SETARI'' ")});
    QCOMPARE(env.reports().requests.size(), 1);
    const ReportRequest request = env.reports().requests.first();
    QCOMPARE(request.reportFile, QStringLiteral("rapvokluna.rpt"));
    QCOMPARE(request.dataFile, env.context().dataFile);
    QCOMPARE(request.selection, QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=5 and {foaie.ida}=%1").arg(ida));
    QCOMPARE(request.sortFields, QStringList{QStringLiteral("+{foaie.nrf}")});
    QCOMPARE(request.formulas, (QStringList{QStringLiteral("rest=45.25"), QStringLiteral("kmef=1234.5"),
                                            QStringLiteral("kmechiv=1300")}));
    QCOMPARE(env.value(QStringLiteral("SELECT restrez FROM dateluna WHERE ida=? AND anul=2024 AND idl=5"), {ida})
                 .toDouble(),
             85.25);
    // The choices stay after the report.
    QCOMPARE(w.nra->currentText(), QStringLiteral("B-01-ABC"));
    QCOMPARE(w.an->currentText(), QStringLiteral("2024"));
    QCOMPARE(w.luna->currentText(), QStringLiteral("mai"));
    QVERIFY(w.window.isVisible());
    QVERIFY(env.messages().problems().isEmpty());
}

void ActivityWindowTest::januaryToMarchCarryOver()
{
    TestEnvironment env;
    const int first = addVehicle(env, {.kmef = 1000, .kmechiv = 1000, .restrez = 10});
    const int second = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ"), .kmef = 500, .kmechiv = 520,
                                        .restrez = 30});
    addMonthRow(env, first, 2023, 12, 15, 900, 950); // December of the year before
    int nrf = 0;
    for (int ida : {first, second}) {
        for (int month = 1; month <= 3; ++month) {
            const int idf = addSheet(env, ida, {.nrf = ++nrf, .anul = 2024, .idl = month, .bm = 40});
            addTrip(env, idf, {.kmT = 100.0 * month, .kmE = 110.0 * month, .Cn = 12.5 * month});
        }
    }
    Window w(env);
    QVERIFY(showActive(&w.window));
    for (const QString &number : {QStringLiteral("B-01-ABC"), QStringLiteral("B-02-XYZ")}) {
        for (int month = 1; month <= 3; ++month) {
            w.choose(number, 2024, month);
            QTest::mouseClick(w.month, Qt::LeftButton);
        }
    }
    // Only the second vehicle's January opens from the settings.
    QCOMPARE(env.messages().texts().size(), 1);
    const auto &requests = env.reports().requests;
    QCOMPARE(requests.size(), 6);
    QCOMPARE(requests[0].formulas, (QStringList{QStringLiteral("rest=15"), QStringLiteral("kmef=900"),
                                                QStringLiteral("kmechiv=950")}));
    // 15 + 40 - 12.5 = 42.5; then 42.5 + 40 - 25 = 57.5; the second: 30, 57.5, 72.5
    QCOMPARE(requests[1].formulas, (QStringList{QStringLiteral("rest=42.5"), QStringLiteral("kmef=1000"),
                                                QStringLiteral("kmechiv=1060")}));
    QCOMPARE(requests[2].formulas, (QStringList{QStringLiteral("rest=57.5"), QStringLiteral("kmef=1200"),
                                                QStringLiteral("kmechiv=1280")}));
    QCOMPARE(requests[3].formulas, (QStringList{QStringLiteral("rest=30"), QStringLiteral("kmef=500"),
                                                QStringLiteral("kmechiv=520")}));
    QCOMPARE(requests[5].formulas, (QStringList{QStringLiteral("rest=72.5"), QStringLiteral("kmef=800"),
                                                QStringLiteral("kmechiv=850")}));
    QCOMPARE(requests[5].selection, QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=%1").arg(second));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE anul=2024")).toInt(), 6);
    QVERIFY(env.messages().problems().isEmpty());
}

void ActivityWindowTest::yearReport()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {});
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose(QStringLiteral("B-01-ABC"), 2023, 7);
    QTest::mouseClick(w.year, Qt::LeftButton);
    QCOMPARE(env.reports().requests.size(), 1);
    const ReportRequest request = env.reports().requests.first();
    QCOMPARE(request.reportFile, QStringLiteral("rapvokan.rpt"));
    QCOMPARE(request.dataFile, env.context().dataFile);
    QCOMPARE(request.selection, QStringLiteral("{dateluna.anul}=2023 and {dateluna.ida}=%1").arg(ida));
    QVERIFY(request.sortFields.isEmpty());
    QVERIFY(request.formulas.isEmpty());
    QCOMPARE(w.an->currentText(), QStringLiteral("2023"));
    QVERIFY(env.messages().texts().isEmpty());
    QVERIFY(env.messages().problems().isEmpty());
}

void ActivityWindowTest::closingFailureIsShownAndNoReportOpens()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {});
    addSheet(env, ida, {.anul = 2024, .idl = 4});
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose(QStringLiteral("B-01-ABC"), 2024, 4);
    env.sql(QStringLiteral("DROP TABLE dateluna"));
    QTest::mouseClick(w.month, Qt::LeftButton);
    QCOMPARE(env.messages().messages().size(), 1);
    QCOMPARE(env.messages().messages().first().kind, FakeMessageService::Kind::Error);
    QVERIFY(env.reports().requests.isEmpty());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(w.window.isVisible());
}

namespace {

// Counts the month rows at the moment each message is shown.
class RowCountingMessages : public FakeMessageService {
public:
    explicit RowCountingMessages(TestEnvironment &env)
        : m_env(env)
    {
    }
    void inform(QWidget *parent, const QString &text, const QString &title, Icon icon) override
    {
        rows << m_env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna")).toInt();
        FakeMessageService::inform(parent, text, title, icon);
    }
    QList<int> rows;

private:
    TestEnvironment &m_env;
};

} // namespace

void ActivityWindowTest::previousMonthMessageBeforeWriting()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.restrez = 20});
    const int idf = addSheet(env, ida, {.anul = 2024, .idl = 5, .bm = 60});
    addTrip(env, idf, {.kmT = 100, .kmE = 110, .Cn = 20});
    RowCountingMessages messages(env);
    WindowContext context = env.context();
    context.messages = &messages;
    ActivityWindow window(context);
    QVERIFY(showActive(&window));
    child<QComboBox>(&window, QStringLiteral("nra"))->setCurrentIndex(0);
    child<QComboBox>(&window, QStringLiteral("an"))->setCurrentText(QStringLiteral("2024"));
    child<QComboBox>(&window, QStringLiteral("luna"))->setCurrentIndex(4);
    QTest::mouseClick(child<QPushButton>(&window, QStringLiteral("Command2")), Qt::LeftButton);
    QCOMPARE(messages.texts(), QStringList{ActivityWindow::noPreviousMonthText()});
    // Told before the month is written; written afterwards.
    QCOMPARE(messages.rows, QList<int>{0});
    QCOMPARE(env.value(QStringLiteral("SELECT restrez FROM dateluna")).toDouble(), 60.0);
    QCOMPARE(env.reports().requests.size(), 1);
}

// A trip of February changed after closing: the annual report asks first,
// and Da recomputes February and March before it opens.
void ActivityWindowTest::yearReportOffersRecompute()
{
    TestEnvironment env;
    const int ida = addVehicle(env, {.restrez = 30});
    for (int month = 1; month <= 3; ++month) {
        const int idf = addSheet(env, ida, {.nrf = month, .anul = 2024, .idl = month, .bm = 40});
        addTrip(env, idf, {.kmT = 100, .kmE = 100, .Cn = month == 2 ? 30.0 : 20.0});
        closeMonth(env.db(), ida, 2024, month);
    }
    env.sql(QStringLiteral("UPDATE curse SET Cn=20"));
    env.messages().answer(true);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose(QStringLiteral("B-01-ABC"), 2024, 3);
    QTest::mouseClick(w.year, Qt::LeftButton);
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral(
                                         " Unele luni nu sunt actualizate (vezi SITUATIE). Recalculati inainte de raport? ")});
    // 30 + 40 - 20 = 50, 70, 90 (80 before).
    QCOMPARE(env.value(QStringLiteral("SELECT restrez FROM dateluna WHERE idl=3")).toDouble(), 90.0);
    QCOMPARE(env.reports().requests.size(), 1);
    QCOMPARE(env.reports().requests.first().reportFile, QStringLiteral("rapvokan.rpt"));
    QVERIFY(env.messages().problems().isEmpty());
}

void ActivityWindowTest::monthAfterOneNotCurrentAsksFirst_data()
{
    QTest::addColumn<bool>("decemberClosed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("openingRest"); // the January report's opening rest
    QTest::addColumn<double>("decemberRest"); // December's stored rest afterwards (-1: no row)
    const QString stale = QStringLiteral(" V.O.K. decembrie 2023 nu este actualizat (vezi SITUATIE). Recalculati "
                                         "inainte de raport? ");
    const QString notClosed = QStringLiteral(" V.O.K. decembrie 2023 nu a fost inchis: luna ar porni din valorile "
                                             "de la SETARI (vezi SITUATIE). Recalculati inainte de raport? ");
    // December: 30 + 40 - 20 (closed), then its trip corrected to 25: 45.
    QTest::newRow("stale December, Da") << true << true << QStringList{stale} << "rest=45" << 45.0;
    QTest::newRow("stale December, Nu") << true << false << QStringList{stale} << "rest=50" << 50.0;
    QTest::newRow("December not closed, Da") << false << true << QStringList{notClosed} << "rest=45" << 45.0;
    QTest::newRow("December not closed, Nu") << false << false
                                             << QStringList{notClosed, ActivityWindow::noPreviousMonthText()}
                                             << "rest=30" << -1.0;
}

// V.O.K. ianuarie after a December that is not current asks before closing
// January from it, and Da brings December up to date first.
void ActivityWindowTest::monthAfterOneNotCurrentAsksFirst()
{
    QFETCH(bool, decemberClosed);
    QFETCH(bool, answer);
    QFETCH(QStringList, texts);
    QFETCH(QString, openingRest);
    QFETCH(double, decemberRest);
    TestEnvironment env;
    const int ida = addVehicle(env, {.restrez = 30});
    const int december = addSheet(env, ida, {.nrf = 1, .anul = 2023, .idl = 12, .bm = 40});
    addTrip(env, december, {.kmT = 100, .kmE = 100, .Cn = 20});
    const int january = addSheet(env, ida, {.nrf = 2, .anul = 2024, .idl = 1, .bm = 40});
    addTrip(env, january, {.kmT = 100, .kmE = 100, .Cn = 20});
    if (decemberClosed)
        closeMonth(env.db(), ida, 2023, 12);
    env.sql(QStringLiteral("UPDATE curse SET Cn=25 WHERE idf=?"), {december});
    env.messages().answer(answer);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose(QStringLiteral("B-01-ABC"), 2024, 1);
    QTest::mouseClick(w.month, Qt::LeftButton);
    QCOMPARE(env.messages().texts(), texts);
    QCOMPARE(env.reports().requests.size(), 1);
    QCOMPARE(env.reports().requests.first().formulas.first(), openingRest);
    const QVariant stored = env.value(QStringLiteral("SELECT restrez FROM dateluna WHERE anul=2023 AND idl=12"));
    QCOMPARE(stored.isValid() ? stored.toDouble() : -1.0, decemberRest);
    QVERIFY(env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE anul=2024 AND idl=1")).toInt() == 1);
    QVERIFY(env.messages().problems().isEmpty());
}

void ActivityWindowTest::restOutOfRangeIsSaidAfterClosing_data()
{
    QTest::addColumn<double>("capacity");
    QTest::addColumn<double>("received");
    QTest::addColumn<QStringList>("texts");
    const QStringList none;
    // The rest: 10 + received - 20.
    QTest::newRow("below zero") << 0.0 << 3.37 << QStringList{restWarningMessage(-6.63, 0)};
    QTest::newRow("over the tank and a litre") << 60.0 << 71.5 << QStringList{restWarningMessage(61.5, 60)};
    QTest::newRow("the tank and a litre") << 60.0 << 71.0 << none;
    QTest::newRow("zero") << 60.0 << 10.0 << none;
    QTest::newRow("capacity unknown") << 0.0 << 500.0 << none;
}

void ActivityWindowTest::restOutOfRangeIsSaidAfterClosing()
{
    QFETCH(double, capacity);
    QFETCH(double, received);
    QFETCH(QStringList, texts);
    TestEnvironment env;
    const int ida = addVehicle(env, {.restrez = 10});
    env.sql(QStringLiteral("UPDATE auto SET caprez=?"), {capacity});
    addMonthRow(env, ida, 2024, 4, 10, 0, 0);
    const int idf = addSheet(env, ida, {.anul = 2024, .idl = 5, .bm = received});
    addTrip(env, idf, {.kmT = 100, .kmE = 100, .Cn = 20});
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose(QStringLiteral("B-01-ABC"), 2024, 5);
    QTest::mouseClick(w.month, Qt::LeftButton);
    QCOMPARE(env.messages().texts(), texts);
    QCOMPARE(env.reports().requests.size(), 1); // the report opens all the same
    QVERIFY(env.messages().problems().isEmpty());
}

QTEST_MAIN(ActivityWindowTest)
#include "tst_activitywindow.moc"
