// The window "Decont carduri": a month's card findings chosen with the keys,
// Enter on a finding opening its sheet in the refuelling window, a finding
// without a sheet told, the month's report.
#include "cards/cardstore.h"
#include "cards/decontwindow.h"
#include "monthfixtures.h"
#include "windowtest.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace vok;
using namespace vok::test;

namespace {

// B-01-ABC with card C1 and a sheet of 05.03.2024 that received 40 l, on the
// statement as 45 l; an unknown card on 06.03.2024.
void fleet(TestEnvironment &env)
{
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    const int idf = addSheet(env, a, {.nrf = 1, .anul = 2024, .idl = 3, .bm = 40});
    addTrip(env, idf, {.kmT = 50, .kmE = 50, .Cn = 10});
    const cards::CardStore store(env.db());
    cards::CardRecord card;
    card.nrcard = QStringLiteral("C1");
    card.ida = a;
    card.furnizor = QStringLiteral("Petrol");
    store.saveCard({}, card, QStringLiteral("test"));
    const QByteArray file = cards::vokHeader() + "\nC1,B-01-ABC,05.03.2024,09:00,MOTORINA,45,,,\n"
                                                 "C9,CJ 99 XYZ,06.03.2024,10:00,MOTORINA,20,,,\n";
    const cards::StatementRead read = cards::readStatement(file, cards::vokFormat());
    store.importStatement(QStringLiteral("a.csv"), QString(), QStringLiteral("vok"), cards::fileDigest(file), read.transactions,
                          QStringLiteral("test"));
}

QStringList rows(QTableView *grid)
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

void choose(QWidget *window, const char *list, const QString &text)
{
    auto *combo = child<QComboBox>(window, QString::fromLatin1(list));
    combo->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(combo->hasFocus());
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(combo, text);
}

} // namespace

class DecontWindowTest : public QObject {
    Q_OBJECT
private slots:
    void findingsOfTheMonth();
    void enterOpensTheSheetInRefuelling();
    void reportOfTheMonth();
};

void DecontWindowTest::findingsOfTheMonth()
{
    TestEnvironment env;
    fleet(env);
    DecontWindow window(env.context());
    QCOMPARE(window.objectName(), QStringLiteral("decont"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Decont carduri"));
    QVERIFY(showActive(&window));
    QVERIFY(window.width() <= 1024 && window.height() <= 768);
    choose(&window, "an", QStringLiteral("2024"));
    choose(&window, "luna", QStringLiteral("martie"));
    auto *grid = child<QTableView>(&window, QStringLiteral("constatari"));
    QCOMPARE(rows(grid), (QStringList{"B-01-ABC|1|05.03.2024|Diferenta cantitate|card:45.00 sheet:40.00",
                                      "CJ 99 XYZ||06.03.2024|Card necunoscut|card:C9 plate:CJ 99 XYZ"}));
    QCOMPARE(child<QLabel>(&window, QStringLiteral("total"))->text(), QStringLiteral("2 constatari"));
    choose(&window, "luna", QStringLiteral("aprilie"));
    QCOMPARE(rows(grid), QStringList());
    QCOMPARE(child<QLabel>(&window, QStringLiteral("total"))->text(), QStringLiteral("Nicio constatare"));
    QVERIFY(env.messages().texts().isEmpty());
}

void DecontWindowTest::enterOpensTheSheetInRefuelling()
{
    TestEnvironment env;
    fleet(env);
    DecontWindow window(env.context());
    QVERIFY(showActive(&window));
    choose(&window, "an", QStringLiteral("2024"));
    choose(&window, "luna", QStringLiteral("martie"));
    auto *grid = child<QTableView>(&window, QStringLiteral("constatari"));
    grid->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(grid->currentIndex().row(), 0);
    QString seen;
    QTimer::singleShot(0, &window, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        seen = modal->objectName() + u'|' + child<QComboBox>(modal, QStringLiteral("nra"))->currentText() + u'|'
               + child<QComboBox>(modal, QStringLiteral("nrfoi"))->currentText() + u'|'
               + child<QLineEdit>(modal, QStringLiteral("cantc"))->text();
        // The clerk corrects the refuelling to the statement's 45 l, then leaves.
        env.sql(QStringLiteral("UPDATE foaie SET bm=45 WHERE nrf=1"));
        child<QPushButton>(modal, QStringLiteral("Command3"))->click();
    });
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(seen, QStringLiteral("alim|B-01-ABC|1|40.000"));
    // Back: the findings as they are now, the keyboard in the grid.
    QCOMPARE(rows(grid).size(), 1);
    QTRY_VERIFY(grid->hasFocus());
    // The unknown card has no sheet: told, nothing opened.
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(env.messages().texts().size(), 1);
    QVERIFY(env.messages().texts().first().contains(QStringLiteral("Card necunoscut")));
}

void DecontWindowTest::reportOfTheMonth()
{
    TestEnvironment env;
    fleet(env);
    DecontWindow window(env.context());
    QVERIFY(showActive(&window));
    choose(&window, "an", QStringLiteral("2024"));
    choose(&window, "luna", QStringLiteral("martie"));
    auto *report = child<QPushButton>(&window, QStringLiteral("Command1"));
    QCOMPARE(report->text(), QStringLiteral("Raport"));
    report->setFocus(Qt::TabFocusReason);
    QTest::keyClick(report, Qt::Key_Space);
    QCOMPARE(env.reports().requests.size(), 1);
    QCOMPARE(env.reports().requests.first().reportFile, QStringLiteral("rapdecont.rpt"));
    QCOMPARE(env.reports().requests.first().selection, QStringLiteral("{tranzactii.anul}=2024 and {tranzactii.idl}=3"));
}

QTEST_MAIN(DecontWindowTest)
#include "tst_decontwindow.moc"
