// The window "Situatia lunilor": the months of the listed vehicles, the chosen
// month's detail, the recompute of one vehicle or of all, V.O.K. on Enter.
#include "months/monthclose.h"
#include "months/monthstatuswindow.h"
#include "monthfixtures.h"
#include "windowtest.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace vok;
using namespace vok::test;

class MonthStatusWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheMonthsAndTheirDetail();
    void recompute_data();
    void recompute();
    void enterOpensTheMonthsVok();
    void decemberOfTheYearBefore();
};

namespace {

// B-01-ABC: January to April 2024 closed, then March's trip changed.
// B-02-XYZ: January closed, March closed with February idle, April never closed.
// B-03-OUT: taken out of the lists.
struct Fleet {
    explicit Fleet(TestEnvironment &env)
    {
        const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC"), .restrez = 10});
        const int b = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ"), .restrez = 10});
        addVehicle(env, {.nrauto = QStringLiteral("B-03-OUT"), .apar = 0});
        int nrf = 0;
        int march = 0;
        for (int m = 1; m <= 4; ++m) {
            const int idf = addSheet(env, a, {.nrf = ++nrf, .anul = 2024, .idl = m, .bm = 40});
            addTrip(env, idf, {.kmT = 100, .kmE = 105, .Cn = 25});
            if (m == 3)
                march = idf;
            closeMonth(env.db(), a, 2024, m);
        }
        env.sql(QStringLiteral("UPDATE curse SET Cn=27.5, kmT=110 WHERE idf=?"), {march});
        for (int m : {1, 3, 4}) {
            const int idf = addSheet(env, b, {.nrf = ++nrf, .anul = 2024, .idl = m, .bm = 20});
            addTrip(env, idf, {.kmT = 50, .kmE = 50, .Cn = 10});
            if (m != 4)
                closeMonth(env.db(), b, 2024, m);
        }
    }
};

struct Window {
    explicit Window(TestEnvironment &env)
        : window(env.context())
        , grid(child<QTableView>(&window, QStringLiteral("luni")))
        , differences(child<QTableWidget>(&window, QStringLiteral("diferente")))
    {
    }
    void year(int y)
    {
        auto *an = child<QComboBox>(&window, QStringLiteral("an"));
        an->setCurrentIndex(an->findText(QString::number(y)));
    }
    QString text(const char *label) { return child<QLabel>(&window, QString::fromLatin1(label))->text(); }
    QStringList row(int r) const
    {
        QStringList texts;
        for (int m = 0; m < 12; ++m)
            texts << grid->model()->index(r, m).data().toString();
        return texts;
    }
    MonthStatusWindow window;
    QTableView *grid;
    QTableWidget *differences;
};

const QStringList empty8(8, QString());

} // namespace

void MonthStatusWindowTest::showsTheMonthsAndTheirDetail()
{
    TestEnvironment env;
    Fleet fleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    QCOMPARE(w.window.objectName(), QStringLiteral("situatie"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Situatia lunilor"));
    QCOMPARE(child<QComboBox>(&w.window, QStringLiteral("an"))->currentText(),
             QString::number(QDate::currentDate().year()));
    QVERIFY(w.window.width() <= 1024 && w.window.height() <= 768);

    w.year(2024);
    // The listed vehicles by number, one column a month.
    QCOMPARE(w.grid->model()->rowCount(), 2);
    QCOMPARE(w.grid->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("B-01-ABC"));
    QCOMPARE(w.grid->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("mar"));
    QCOMPARE(w.row(0), (QStringList{"ok", "ok", "modificat", "modificat"} + empty8));
    QCOMPARE(w.row(1), (QStringList{"ok", "", "din SETARI", "neinchis"} + empty8));
    // Each state its own colour; a month without sheets none.
    QSet<QRgb> colours;
    for (int m = 1; m <= 4; ++m)
        colours << w.grid->model()->index(1, m - 1).data(Qt::BackgroundRole).value<QColor>().rgb();
    colours << w.grid->model()->index(0, 2).data(Qt::BackgroundRole).value<QColor>().rgb();
    QCOMPARE(colours.size(), 5);

    // The clerk moves with the arrows to March of the first vehicle.
    w.grid->setFocus(Qt::TabFocusReason);
    w.grid->setCurrentIndex(w.grid->model()->index(0, 0));
    QTest::keyClick(w.grid, Qt::Key_Right);
    QTest::keyClick(w.grid, Qt::Key_Right);
    QCOMPARE(w.grid->currentIndex(), w.grid->model()->index(0, 2));
    QVERIFY2(w.text("detaliu").contains(QStringLiteral("B-01-ABC, martie 2024")), qPrintable(w.text("detaliu")));
    // 10 + 40 - 25 = 25 in January, 40 in February, 55 then 52.5 in March.
    QStringList differences;
    for (int r = 0; r < w.differences->rowCount(); ++r)
        differences << w.differences->item(r, 0)->text() + u'|' + w.differences->item(r, 1)->text() + u'|'
                           + w.differences->item(r, 2)->text();
    QCOMPARE(differences, (QStringList{"Km parcursi|100.0|110.0", "Rest in rezervor (litri)|55.00|52.50",
                                       "Consum normat (litri)|25.000|27.500", "Km de la luarea in evidenta|300.0|310.0"}));
    QTest::keyClick(w.grid, Qt::Key_Down);
    QVERIFY2(w.text("detaliu").contains(QStringLiteral("SETARI")), qPrintable(w.text("detaliu")));
    QCOMPARE(w.differences->rowCount(), 0);
    QVERIFY(env.messages().problems().isEmpty());
}

void MonthStatusWindowTest::recompute_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("month");   // the chosen month of the first vehicle
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QString>("done");
    const QStringList restarting = QStringList{"ok", "", "din SETARI", "neinchis"} + empty8;
    const QStringList closed = QStringList{"ok", "", "din SETARI", "ok"} + empty8;
    QTest::newRow("one vehicle from March") << "Command1" << 3 << restarting
                                            << "Recalculare terminata. Luni modificate: 2; autovehicule recalculate: 1.";
    QTest::newRow("all, Da") << "Command2" << 1 << closed
                             << "Recalculare terminata. Luni modificate: 3; autovehicule recalculate: 2.";
}

void MonthStatusWindowTest::recompute()
{
    QFETCH(QString, button);
    QFETCH(int, month);
    QFETCH(QStringList, second);
    QFETCH(QString, done);
    TestEnvironment env;
    Fleet fleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.year(2024);
    w.grid->setCurrentIndex(w.grid->model()->index(0, month - 1));
    env.messages().answer(true);
    QTest::mouseClick(child<QPushButton>(&w.window, button), Qt::LeftButton);
    QCOMPARE(env.messages().texts().size(), 1);
    QVERIFY2(env.messages().last().contains(button == QLatin1String("Command1") ? QStringLiteral("B-01-ABC")
                                                                              : QStringLiteral("tuturor")),
             qPrintable(env.messages().last()));
    QCOMPARE(w.row(0), (QStringList{"ok", "ok", "ok", "ok"} + empty8));
    QCOMPARE(w.row(1), second);
    QCOMPARE(w.text("stare"), done);
    // The chosen month stays chosen.
    QCOMPARE(w.grid->currentIndex(), w.grid->model()->index(0, month - 1));
    QVERIFY(env.messages().problems().isEmpty());
}

void MonthStatusWindowTest::enterOpensTheMonthsVok()
{
    TestEnvironment env;
    Fleet fleet(env);
    Window w(env);
    QVERIFY(showActive(&w.window));
    w.year(2024);
    w.grid->setFocus(Qt::TabFocusReason);
    w.grid->setCurrentIndex(w.grid->model()->index(1, 3)); // April of B-02-XYZ, never closed
    QString seen;
    QTimer::singleShot(0, &w.window, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        seen = modal->objectName() + u'|' + child<QComboBox>(modal, QStringLiteral("nra"))->currentText() + u'|'
               + child<QComboBox>(modal, QStringLiteral("an"))->currentText() + u'|'
               + child<QComboBox>(modal, QStringLiteral("luna"))->currentText();
        // The clerk views the month, then leaves.
        QTest::mouseClick(child<QPushButton>(modal, QStringLiteral("Command2")), Qt::LeftButton);
        modal->close();
    });
    QTest::keyClick(w.grid, Qt::Key_Return);
    QCOMPARE(seen, QStringLiteral("foaieaz|B-02-XYZ|2024|aprilie"));
    QCOMPARE(env.reports().requests.size(), 1);
    // Back in the window, April is closed now.
    QCOMPARE(w.row(1).at(3), QStringLiteral("ok"));
    QCOMPARE(w.grid->currentIndex(), w.grid->model()->index(1, 3));
}

// December 2023 corrected after January and February 2024 were closed: the
// year shows stale and names December; a month closed from SETARI after a
// month never closed is "din SETARI".
void MonthStatusWindowTest::decemberOfTheYearBefore()
{
    TestEnvironment env;
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC"), .restrez = 10});
    int nrf = 0, december = 0;
    for (const auto &[year, month] : {std::pair{2023, 12}, std::pair{2024, 1}, std::pair{2024, 2}}) {
        const int idf = addSheet(env, a, {.nrf = ++nrf, .anul = year, .idl = month, .bm = 40});
        addTrip(env, idf, {.kmT = 100, .kmE = 105, .Cn = 25});
        closeMonth(env.db(), a, year, month);
        if (year == 2023)
            december = idf;
    }
    env.sql(QStringLiteral("UPDATE curse SET Cn=30 WHERE idf=?"), {december});
    // March never closed, April closed from SETARI.
    for (int m : {3, 4})
        addTrip(env, addSheet(env, a, {.nrf = ++nrf, .anul = 2024, .idl = m, .bm = 40}), {.kmT = 100, .kmE = 105, .Cn = 25});
    closeMonth(env.db(), a, 2024, 4);

    Window w(env);
    QVERIFY(showActive(&w.window));
    w.year(2024);
    QCOMPARE(w.row(0), (QStringList{"modificat", "modificat", "neinchis", "din SETARI"} + empty8));
    w.grid->setFocus(Qt::TabFocusReason);
    w.grid->setCurrentIndex(w.grid->model()->index(0, 0));
    QVERIFY2(w.text("detaliu").contains(QStringLiteral("decembrie 2023")), qPrintable(w.text("detaliu")));
    // 25 + 40 - 25: 40, then 35 after December's correction.
    QCOMPARE(w.differences->rowCount(), 1);
    QCOMPARE(w.differences->item(0, 1)->text() + u'|' + w.differences->item(0, 2)->text(), QStringLiteral("40.00|35.00"));
    QTest::keyClick(w.grid, Qt::Key_Right);
    QTest::keyClick(w.grid, Qt::Key_Right);
    QTest::keyClick(w.grid, Qt::Key_Right);
    QVERIFY2(w.text("detaliu").contains(QStringLiteral("din SETARI")), qPrintable(w.text("detaliu")));
    QVERIFY2(w.text("detaliu").contains(QStringLiteral("nu a fost inchisa")), qPrintable(w.text("detaliu")));
    QVERIFY(env.messages().problems().isEmpty());
}

QTEST_MAIN(MonthStatusWindowTest)
#include "tst_monthstatuswindow.moc"
