#include "fleet/partswindow.h"
#include "fleet/settingsmodels.h"
#include "fleet/settingswindow.h"
#include "fleet/vehiclestore.h"
#include "testenvironment.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "windowtest.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace vok;

namespace {

const QString apostrophe = QStringLiteral(" Nu se accepta caracterul apostrof (') !!! ");
const QString onlyNumbers = QStringLiteral("Introduceti doar numere !");

void addVehicles(test::TestEnvironment &env)
{
    // Inserted out of order: the starting-state grid sorts by number, the
    // "Auto scoase" list keeps table order.
    for (const char *number : {"B-03-CCC", "B-01-AAA", "B-02-BBB"})
        env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES (?, ?)"),
                {QString::fromLatin1(number), QStringLiteral("Marca ") + QString::fromLatin1(number)});
}

QStringList visibleInParts(test::TestEnvironment &env)
{
    PartsWindow parts(env.context());
    if (!test::showActive(&parts))
        return {QStringLiteral("not shown")};
    auto *nra = test::child<QComboBox>(&parts, QStringLiteral("nra"));
    nra->setFocus(Qt::TabFocusReason);
    QStringList numbers;
    for (int i = 0; i < nra->count(); ++i)
        numbers << nra->itemText(i);
    return numbers;
}

QStringList visibleInLists(test::TestEnvironment &env)
{
    QComboBox list;
    lists::fillVehicles(&list, env.db());
    QStringList numbers;
    for (int i = 0; i < list.count(); ++i)
        numbers << list.itemText(i);
    return numbers;
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithControlsAndOneHeaderRow();
    void headerEditIsStored();
    void headerApostropheRefused();
    void twoApostrophesGiveTwoMessages();
    void refusalWithRealMessageBoxes();
    void startingStateRefusesNonNumbers_data();
    void startingStateRefusesNonNumbers();
    void startingStateStoresNumber();
    void numberAndMakeAreReadOnly();
    void takenOutVehicleLeavesEveryListAndComesBack();
    void markingAndUnmarkingLeavesVehicleListed();
    void escapeWritesTheMarksAsIesire();
    void negativeStartingKilometresRefused();
};

void SettingsWindowTest::opensWithControlsAndOneHeaderRow()
{
    test::TestEnvironment env;
    addVehicles(env);
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QCOMPARE(window.objectName(), QStringLiteral("setari"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Elemente care apar in rapoarte"));
    auto *header = test::child<QTableView>(&window, QStringLiteral("DBGrid1"));
    auto *state = test::child<QTableView>(&window, QStringLiteral("DBGrid2"));
    auto *nra = test::child<QListWidget>(&window, QStringLiteral("nra"));
    auto *exit = test::child<QPushButton>(&window, QStringLiteral("Command1"));
    QVERIFY(header && state && nra && exit);
    QCOMPARE(exit->text(), QStringLiteral("Iesire"));
    QCOMPARE(header->model()->rowCount(), 1);
    QCOMPARE(header->model()->columnCount(), 4); // the hidden key is not shown
    QCOMPARE(header->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("DENUMIRE UNITATE"));
    QCOMPARE(header->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("INTOCMIT"));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM setari")).toInt(), 1);
    QCOMPARE(state->model()->columnCount(), 7);
    QCOMPARE(state->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Rest in rezervor (litri)"));
    QCOMPARE(state->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Capacitate rezervor (litri)"));
    QCOMPARE(state->model()->index(0, 0).data().toString(), QStringLiteral("B-01-AAA"));
    QCOMPARE(state->model()->index(2, 0).data().toString(), QStringLiteral("B-03-CCC"));
    QCOMPARE(nra->count(), 3);
    QCOMPARE(nra->item(0)->text(), QStringLiteral("B-03-CCC")); // table order
    QVERIFY(window.width() <= 1024 && window.height() <= 768);

    // Opening again does not add a second header row.
    SettingsWindow again(env.context());
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM setari")).toInt(), 1);
    QVERIFY(env.messages().problems().isEmpty());
    QVERIFY(env.messages().texts().isEmpty());
}

void SettingsWindowTest::headerEditIsStored()
{
    test::TestEnvironment env;
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, QStringLiteral("DBGrid1"));
    QVERIFY(test::typeInCell(grid, 0, 0, QStringLiteral("SC TRANSPORT SA")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT unitate FROM setari")).toString(), QStringLiteral("SC TRANSPORT SA"));
    QVERIFY(test::typeInCell(grid, 0, 3, QStringLiteral("Ionescu")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT intocmit FROM setari")).toString(), QStringLiteral("Ionescu"));
    QCOMPARE(env.value(QStringLiteral("SELECT unitate FROM setari")).toString(), QStringLiteral("SC TRANSPORT SA"));
    QVERIFY(env.messages().texts().isEmpty());
    QVERIFY(env.messages().problems().isEmpty());
}

void SettingsWindowTest::headerApostropheRefused()
{
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO setari (unitate, functie, numeman, intocmit) VALUES ('SC A', '', '', '')"));
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, QStringLiteral("DBGrid1"));
    QVERIFY(test::typeInCell(grid, 0, 0, QStringLiteral("SC D'ARC")));
    QTRY_COMPARE(env.messages().texts(), QStringList{apostrophe});
    QCOMPARE(env.value(QStringLiteral("SELECT unitate FROM setari")).toString(), QStringLiteral("SC A"));
    QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("SC A"));
    // The cell is open again, emptied; Esc brings back what is stored.
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->model()->index(0, 0)));
    QVERIFY(editor);
    QVERIFY(editor->text().isEmpty());
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(!grid->indexWidget(grid->model()->index(0, 0)));
    QCOMPARE(env.value(QStringLiteral("SELECT unitate FROM setari")).toString(), QStringLiteral("SC A"));
    // Typed again without the apostrophe, it is stored.
    QVERIFY(test::typeInCell(grid, 0, 0, QStringLiteral("SC DARC")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT unitate FROM setari")).toString(), QStringLiteral("SC DARC"));
    QCOMPARE(env.messages().texts().size(), 1);
    QVERIFY(env.messages().problems().isEmpty());
}

void SettingsWindowTest::twoApostrophesGiveTwoMessages()
{
    // A header row that already holds an apostrophe (typed elsewhere) is
    // checked whole: one message per offending field.
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO setari (unitate, functie, numeman, intocmit) VALUES ('', ?, '', '')"),
            {QStringLiteral("Director'")});
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, QStringLiteral("DBGrid1"));
    QVERIFY(test::typeInCell(grid, 0, 2, QStringLiteral("O'Neil")));
    QTRY_COMPARE(env.messages().texts(), (QStringList{apostrophe, apostrophe}));
    QVERIFY(env.value(QStringLiteral("SELECT numeman FROM setari")).toString().isEmpty());

    // The same rule without a window: three offending fields, three messages.
    QCOMPARE(settings::headerProblems({QStringLiteral("a'"), QStringLiteral("b"), QStringLiteral("'c"),
                                       QStringLiteral("d'd")}).size(), 3);
    QVERIFY(settings::headerProblems({QStringLiteral("a"), {}, {}, {}}).isEmpty());
}

void SettingsWindowTest::refusalWithRealMessageBoxes()
{
    // Real message boxes, closed as they come, while the grid finishes its edit.
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO setari (unitate, functie, numeman, intocmit) VALUES ('', ?, '', '')"),
            {QStringLiteral("Director'")});
    QtMessageService real;
    WindowContext context = env.context();
    context.messages = &real;
    SettingsWindow window(context);
    QVERIFY(test::showActive(&window));
    int closed = 0;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &closer, [&closed] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            QCOMPARE(box->text(), apostrophe);
            box->accept();
            ++closed;
        }
    });
    closer.start(20);
    auto *grid = test::child<QTableView>(&window, QStringLiteral("DBGrid1"));
    QVERIFY(test::typeInCell(grid, 0, 0, QStringLiteral("O'Neil")));
    QTRY_COMPARE(closed, 2);
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->model()->index(0, 0)));
    QTRY_VERIFY(editor && editor->hasFocus());
    QVERIFY(editor->text().isEmpty());
    QVERIFY(env.value(QStringLiteral("SELECT unitate FROM setari")).toString().isEmpty());
    QTest::qWait(100);
    QCOMPARE(closed, 2);
}

void SettingsWindowTest::startingStateRefusesNonNumbers_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::newRow("letters after digits") << 2 << QStringLiteral("12a");
    QTest::newRow("empty") << 3 << QString();
    QTest::newRow("comma") << 4 << QStringLiteral("12,5");
    QTest::newRow("text") << 5 << QStringLiteral("plin");
    QTest::newRow("capacity") << 6 << QStringLiteral("60 l");
}

void SettingsWindowTest::startingStateRefusesNonNumbers()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    test::TestEnvironment env;
    addVehicles(env);
    env.sql(QStringLiteral("UPDATE auto SET kmef=5, kmefinc=4, kmechiv=3, restrez=2"));
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, QStringLiteral("DBGrid2"));
    QVERIFY(test::typeInCell(grid, 1, column, typed));
    QTRY_COMPARE(env.messages().texts(), QStringList{onlyNumbers});
    QTest::qWait(50);
    QCOMPARE(env.messages().texts().size(), 1); // once
    QCOMPARE(env.value(QStringLiteral("SELECT kmef + kmefinc + kmechiv + restrez FROM auto WHERE nrauto='B-02-BBB'"))
                 .toDouble(), 14.0);
    QVERIFY(env.messages().problems().isEmpty());
}

void SettingsWindowTest::startingStateStoresNumber()
{
    test::TestEnvironment env;
    addVehicles(env);
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, QStringLiteral("DBGrid2"));
    QVERIFY(test::typeInCell(grid, 1, 2, QStringLiteral("1200")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT kmef FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), 1200.0);
    QVERIFY(test::typeInCell(grid, 1, 5, QStringLiteral("35.5")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT restrez FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), 35.5);
    QCOMPARE(env.value(QStringLiteral("SELECT kmef FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), 1200.0);
    QCOMPARE(env.value(QStringLiteral("SELECT SUM(kmef) FROM auto WHERE nrauto<>'B-02-BBB'")).toDouble(), 0.0);
    QCOMPARE(grid->model()->index(1, 2).data().toString(), QStringLiteral("1200"));
    QVERIFY(test::typeInCell(grid, 1, 6, QStringLiteral("60")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT caprez FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), 60.0);
    QCOMPARE(env.value(QStringLiteral("SELECT restrez FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), 35.5);
    QVERIFY(env.messages().texts().isEmpty());
    QVERIFY(env.messages().problems().isEmpty());
}

void SettingsWindowTest::numberAndMakeAreReadOnly()
{
    test::TestEnvironment env;
    addVehicles(env);
    SettingsWindow window(env.context());
    auto *grid = test::child<QTableView>(&window, QStringLiteral("DBGrid2"));
    QAbstractItemModel *model = grid->model();
    QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(model->flags(model->index(0, 2)) & Qt::ItemIsEditable);
    QVERIFY(!model->setData(model->index(0, 0), QStringLiteral("X")));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM auto WHERE nrauto='X'")).toInt(), 0);
}

void SettingsWindowTest::takenOutVehicleLeavesEveryListAndComesBack()
{
    test::TestEnvironment env;
    addVehicles(env);
    const QStringList all = {QStringLiteral("B-01-AAA"), QStringLiteral("B-02-BBB"), QStringLiteral("B-03-CCC")};
    QCOMPARE(visibleInLists(env), all);
    {
        SettingsWindow window(env.context());
        QVERIFY(test::showActive(&window));
        auto *nra = test::child<QListWidget>(&window, QStringLiteral("nra"));
        QCOMPARE(nra->item(2)->text(), QStringLiteral("B-02-BBB"));
        nra->item(2)->setCheckState(Qt::Checked);
        QTest::mouseClick(test::child<QPushButton>(&window, QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
    const QStringList shown = {QStringLiteral("B-01-AAA"), QStringLiteral("B-03-CCC")};
    QCOMPARE(env.value(QStringLiteral("SELECT apar FROM auto WHERE nrauto='B-02-BBB'")).toInt(), 0);
    QCOMPARE(visibleInLists(env), shown);
    QCOMPARE(VehicleStore(env.db()).visibleNumbers(), shown);
    QCOMPARE(visibleInParts(env), shown);
    // Its data stay: it is still found by its number.
    QVERIFY(VehicleStore(env.db()).byNumber(QStringLiteral("B-02-BBB")).has_value());

    {
        SettingsWindow window(env.context());
        QVERIFY(test::showActive(&window));
        auto *nra = test::child<QListWidget>(&window, QStringLiteral("nra"));
        QCOMPARE(nra->item(2)->checkState(), Qt::Checked);
        QCOMPARE(nra->item(0)->checkState(), Qt::Unchecked);
        nra->item(2)->setCheckState(Qt::Unchecked);
        QTest::mouseClick(test::child<QPushButton>(&window, QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_VERIFY(!window.isVisible());
    }
    QCOMPARE(env.value(QStringLiteral("SELECT apar FROM auto WHERE nrauto='B-02-BBB'")).toInt(), 1);
    QCOMPARE(visibleInLists(env), all);
    QCOMPARE(visibleInParts(env), all);
    QVERIFY(env.messages().texts().isEmpty());
    QVERIFY(env.messages().problems().isEmpty());
}

void SettingsWindowTest::markingAndUnmarkingLeavesVehicleListed()
{
    test::TestEnvironment env;
    addVehicles(env);
    env.sql(QStringLiteral("UPDATE auto SET apar=0 WHERE nrauto='B-01-AAA'"));
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *nra = test::child<QListWidget>(&window, QStringLiteral("nra"));
    nra->item(0)->setCheckState(Qt::Checked);
    nra->item(0)->setCheckState(Qt::Unchecked);
    // Closing without "Iesire" writes nothing.
    window.reject();
    QCOMPARE(env.value(QStringLiteral("SELECT SUM(apar) FROM auto")).toInt(), 2);
    SettingsWindow second(env.context());
    QVERIFY(test::showActive(&second));
    nra = test::child<QListWidget>(&second, QStringLiteral("nra"));
    nra->item(0)->setCheckState(Qt::Checked);
    nra->item(0)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(test::child<QPushButton>(&second, QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_VERIFY(!second.isVisible());
    // Every line is written: the one taken out before stays out, the others are listed.
    QCOMPARE(env.value(QStringLiteral("SELECT apar FROM auto WHERE nrauto='B-03-CCC'")).toInt(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT apar FROM auto WHERE nrauto='B-01-AAA'")).toInt(), 0);
    QVERIFY(env.messages().problems().isEmpty());
}

void SettingsWindowTest::escapeWritesTheMarksAsIesire()
{
    test::TestEnvironment env;
    addVehicles(env);
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *nra = test::child<QListWidget>(&window, QStringLiteral("nra"));
    nra->setFocus(Qt::TabFocusReason);
    nra->setCurrentRow(2);
    QTest::keyClick(nra, Qt::Key_Space); // marks B-02-BBB
    QCOMPARE(nra->item(2)->checkState(), Qt::Checked);
    QTest::keyClick(nra, Qt::Key_Escape);
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(env.value(QStringLiteral("SELECT apar FROM auto WHERE nrauto='B-02-BBB'")).toInt(), 0);
    QCOMPARE(env.value(QStringLiteral("SELECT SUM(apar) FROM auto")).toInt(), 2);
}

void SettingsWindowTest::negativeStartingKilometresRefused()
{
    // No vehicle starts with negative kilometres; the cell is offered again.
    test::TestEnvironment env;
    addVehicles(env);
    env.sql(QStringLiteral("UPDATE auto SET kmef=5"));
    SettingsWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, QStringLiteral("DBGrid2"));
    QVERIFY(test::typeInCell(grid, 1, 3, QStringLiteral("-100")));
    QTRY_COMPARE(env.messages().texts(), QStringList{QStringLiteral(" Numarul de kilometri nu poate fi negativ !!! ")});
    QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    QCOMPARE(grid->currentIndex(), grid->model()->index(1, 3));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // leaves the edit, not the window
    QVERIFY(window.isVisible());
    QCOMPARE(env.value(QStringLiteral("SELECT kmef + kmefinc + kmechiv FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), 5.0);
    // Fuel left in the tank is no count of kilometres.
    QVERIFY(test::typeInCell(grid, 1, 5, QStringLiteral("-3")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT restrez FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), -3.0);
    // A tank of negative litres is refused as well.
    env.messages().clear();
    QVERIFY(test::typeInCell(grid, 1, 6, QStringLiteral("-60")));
    QTRY_COMPARE(env.messages().texts(), QStringList{QStringLiteral(" Capacitatea rezervorului nu poate fi negativa !!! ")});
    QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(env.value(QStringLiteral("SELECT caprez FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), 0.0);
}

QTEST_MAIN(SettingsWindowTest)
#include "tst_settingswindow.moc"
