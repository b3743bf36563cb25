// The window "Control consum": the findings of a year for every vehicle or
// one, a finding's sheet opened in the trip window with Enter, the report of
// a vehicle's month.
#include "control/controlwindow.h"
#include "monthfixtures.h"
#include "windowtest.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace vok;
using namespace vok::test;

namespace {

// B-01-ABC: its odometer turned back on its second sheet of 2024.
// B-02-XYZ: two sheets of one date at overlapping hours, and a sheet of 2023.
struct Fleet {
    explicit Fleet(TestEnvironment &env)
    {
        const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
        const int b = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ")});
        const int first = addSheet(env, a, {.nrf = 1, .anul = 2024, .idl = 3});
        addTrip(env, first, {.kmT = 50, .kmE = 50, .Cn = 10});
        const int second = addSheet(env, a, {.nrf = 2, .anul = 2024, .idl = 4});
        addTrip(env, second, {.kmT = 50, .kmE = 50, .Cn = 10});
        env.sql(QStringLiteral("UPDATE foaie SET kmplecare=100, kmsosire=150 WHERE idf=?"), {first});
        env.sql(QStringLiteral("UPDATE foaie SET kmplecare=140, kmsosire=190 WHERE idf=?"), {second});
        addSheet(env, b, {.nrf = 7, .anul = 2024, .idl = 5, .orap = 8, .oras = 12});
        addSheet(env, b, {.nrf = 8, .anul = 2024, .idl = 5, .orap = 11, .oras = 15});
        addSheet(env, b, {.nrf = 3, .anul = 2023, .idl = 5, .orap = 8, .oras = 12});
        addSheet(env, b, {.nrf = 4, .anul = 2023, .idl = 5, .orap = 11, .oras = 15});
    }
};

struct Window {
    explicit Window(TestEnvironment &env)
        : window(env.context())
        , grid(child<QTableView>(&window, QStringLiteral("constatari")))
    {
    }
    // Chooses a list's entry with the keys, as the clerk does: the list
    // entered, its text typed.
    void choose(const char *list, const QString &text)
    {
        auto *combo = child<QComboBox>(&window, QString::fromLatin1(list));
        combo->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(combo->hasFocus());
        // A pause first, as between two choices of the clerk: the list's
        // search starts afresh.
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(combo, text);
    }
    QStringList rows() const
    {
        QStringList result;
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                cells << grid->model()->index(r, c).data().toString();
            result << cells.join(u'|');
        }
        return result;
    }
    QString total() const { return child<QLabel>(const_cast<ControlWindow *>(&window), QStringLiteral("total"))->text(); }
    ControlWindow window;
    QTableView *grid;
};

} // namespace

class ControlWindowTest : public QObject {
    Q_OBJECT
private slots:
    void findingsOfTheYear();
    void enterOpensTheSheet();
    void reportOfAVehiclesMonth();
};

void ControlWindowTest::findingsOfTheYear()
{
    TestEnvironment env;
    Fleet fleet(env);
    Window w(env);
    QCOMPARE(w.window.objectName(), QStringLiteral("control"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Control consum"));
    QVERIFY(showActive(&w.window));
    QVERIFY(w.window.width() <= 1024 && w.window.height() <= 768);
    w.choose("an", QStringLiteral("2024"));
    QCOMPARE(w.rows(), (QStringList{
                           "B-01-ABC|2|05.04.2024|Km bord mai mici decat inainte|previous:150.0 this:140.0",
                           "B-02-XYZ|8|05.05.2024|Foi suprapuse ale autovehiculului|other:B-02-XYZ/7"}));
    QCOMPARE(w.total(), QStringLiteral("2 constatari"));
    w.choose("nra", QStringLiteral("B-02"));
    QCOMPARE(w.rows().size(), 1);
    w.choose("an", QStringLiteral("2023"));
    QCOMPARE(w.rows(), QStringList{"B-02-XYZ|4|05.05.2023|Foi suprapuse ale autovehiculului|other:B-02-XYZ/3"});
    w.choose("nra", QStringLiteral("B-01"));
    QCOMPARE(w.rows(), QStringList{});
    QCOMPARE(w.total(), QStringLiteral("Nicio constatare"));
    QVERIFY(env.messages().texts().isEmpty());
}

void ControlWindowTest::enterOpensTheSheet()
{
    TestEnvironment env;
    Fleet fleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose("an", QStringLiteral("2024"));
    w.grid->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(w.grid->hasFocus());
    QTest::keyClick(w.grid, Qt::Key_Down);
    QCOMPARE(w.grid->currentIndex().row(), 1);
    QTest::keyClick(w.grid, Qt::Key_Up);
    QString seen;
    QTimer::singleShot(0, &w.window, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        seen = modal->objectName() + u'|' + child<QComboBox>(modal, QStringLiteral("nra"))->currentText() + u'|'
               + child<QComboBox>(modal, QStringLiteral("nrfoi"))->currentText() + u'|'
               + child<QLineEdit>(modal, QStringLiteral("kmplecare"))->text() + u'|'
               + child<QLineEdit>(modal, QStringLiteral("kmsosire"))->text() + u'|'
               + QString::number(child<QTableView>(modal, QStringLiteral("DBGrid1"))->model()->rowCount());
        // The clerk corrects the odometer at the departure, then leaves.
        env.sql(QStringLiteral("UPDATE foaie SET kmplecare=150, kmsosire=200 WHERE nrf=2"));
        child<QPushButton>(modal, QStringLiteral("Command4"))->click();
    });
    QTest::keyClick(w.grid, Qt::Key_Return);
    QCOMPARE(seen, QStringLiteral("foaie|B-01-ABC|2|140.0|190.0|1"));
    // Back in the window: the findings as they are now, the keyboard in the grid.
    QCOMPARE(w.rows().size(), 1);
    QTRY_VERIFY(w.grid->hasFocus());
    QVERIFY(env.messages().problems().isEmpty());
}

void ControlWindowTest::reportOfAVehiclesMonth()
{
    TestEnvironment env;
    Fleet fleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.choose("an", QStringLiteral("2024"));
    auto *report = child<QPushButton>(&w.window, QStringLiteral("Command1"));
    QCOMPARE(report->text(), QStringLiteral("Raport"));
    // Every vehicle: the report is of one.
    QTest::mouseClick(report, Qt::LeftButton);
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral(" Selectati numarul de inmatriculare !!! ")});
    QVERIFY(env.reports().requests.isEmpty());
    w.choose("nra", QStringLiteral("B-01"));
    w.choose("luna", QStringLiteral("aprilie"));
    QTest::mouseClick(report, Qt::LeftButton);
    QCOMPARE(env.reports().requests.size(), 1);
    QCOMPARE(env.reports().requests.first().reportFile, QStringLiteral("rapcontrol.rpt"));
    QCOMPARE(env.reports().requests.first().selection,
             QStringLiteral("{foaie.anul}=2024 and {foaie.idl}=4 and {foaie.ida}=1"));
}

QTEST_MAIN(ControlWindowTest)
#include "tst_controlwindow.moc"
