#include "fleet/partswindow.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace vok;

namespace {

const QString saved = QStringLiteral(" Datele au fost salvate ");
const QString pickVehicle = QStringLiteral(" Selectati numarul de inmatriculare !!! ");

struct Window {
    explicit Window(test::TestEnvironment &env)
        : window(env.context())
    {
        nra = test::child<QComboBox>(&window, QStringLiteral("nra"));
        tip = test::child<QLabel>(&window, QStringLiteral("tip"));
        grid = test::child<QTableView>(&window, QStringLiteral("DBGrid1"));
        for (const char *name : {"nract", "den", "valp", "zi", "luna", "an"})
            boxes[QString::fromLatin1(name)] = test::child<QLineEdit>(&window, QString::fromLatin1(name));
        save = test::child<QPushButton>(&window, QStringLiteral("Command1"));
        report = test::child<QPushButton>(&window, QStringLiteral("Command2"));
        exit = test::child<QPushButton>(&window, QStringLiteral("Command3"));
    }

    // Picks a number in nra as the clerk does: the box gets the focus (and
    // its list is refilled), the list is opened, a line is chosen with Enter.
    bool pick(const QString &number)
    {
        nra->setFocus(Qt::TabFocusReason);
        const int index = nra->findText(number);
        if (index < 0)
            return false;
        nra->showPopup();
        QAbstractItemView *list = nra->view();
        if (!QTest::qWaitForWindowExposed(list->window()))
            return false;
        list->setCurrentIndex(list->model()->index(index, 0));
        QTest::keyClick(list, Qt::Key_Return);
        return QTest::qWaitFor([list] { return !list->window()->isVisible(); }) && nra->currentText() == number;
    }

    // Types into a box and leaves it with Tab.
    void type(const QString &box, const QString &text)
    {
        QLineEdit *edit = boxes.value(box);
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    QLineEdit *operator[](const char *name) const { return boxes.value(QString::fromLatin1(name)); }

    PartsWindow window;
    QComboBox *nra;
    QLabel *tip;
    QTableView *grid;
    QHash<QString, QLineEdit *> boxes;
    QPushButton *save, *report, *exit;
};

int addVehicles(test::TestEnvironment &env)
{
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('B-01-AAA', 'Dacia Logan'), "
                           "('B-02-BBB', 'Roman 19.215')"));
    return env.value(QStringLiteral("SELECT ida FROM auto WHERE nrauto='B-02-BBB'")).toInt();
}

void addEntry(test::TestEnvironment &env, int ida, const QString &act, const QString &denp, double valoare)
{
    env.sql(QStringLiteral("INSERT INTO piese (ida, act, denp, valoare, zi, luna, an) "
                           "VALUES (?, ?, ?, ?, '01', '02', '2007')"),
            {ida, act, denp, valoare});
}

} // namespace

class PartsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensEmpty();
    void pickingShowsTheVehiclesLog();
    void savesWithTwoDigitDayAndMonth();
    void saveChecksInOrder_data();
    void saveChecksInOrder();
    void apostropheAtStartOrEndOfDescription_data();
    void apostropheAtStartOrEndOfDescription();
    void apostropheInTheMiddleIsStoredAsTyped();
    void gridEditRefused_data();
    void gridEditRefused();
    void gridEditStored();
    void deleteAsksFirst();
    void reportOfThePickedVehicle();
    void takenOutVehicleIsNotOffered();
};

void PartsWindowTest::opensEmpty()
{
    test::TestEnvironment env;
    addVehicles(env);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QCOMPARE(w.window.objectName(), QStringLiteral("piese"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Piese, reparatii etc."));
    QCOMPARE(w.grid->model()->rowCount(), 0);
    QCOMPARE(w.grid->model()->columnCount(), 3); // the hidden key is not shown
    QCOMPARE(w.grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nr.act/data"));
    QCOMPARE(w.grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Denumire"));
    QCOMPARE(w.grid->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Valoare"));
    QCOMPARE(w["valp"]->text(), QStringLiteral("0"));
    QCOMPARE(w["zi"]->text(), QStringLiteral("00"));
    QCOMPARE(w["luna"]->text(), QStringLiteral("00"));
    QVERIFY(w["an"]->text().isEmpty());
    QCOMPARE(w["nract"]->maxLength(), 25);
    QCOMPARE(w["den"]->maxLength(), 50);
    QCOMPARE(w["valp"]->maxLength(), 10);
    QVERIFY(w.nra->isEditable()); // the whole number typed, or picked from the list
    QCOMPARE(w.save->text(), QStringLiteral("Salvare"));
    QCOMPARE(w.report->text(), QStringLiteral("Raport"));
    QCOMPARE(w.exit->text(), QStringLiteral("Iesire"));
    QVERIFY(w.window.width() <= 1024 && w.window.height() <= 768);
    QTest::mouseClick(w.exit, Qt::LeftButton);
    QTRY_VERIFY(!w.window.isVisible());
    QVERIFY(env.messages().texts().isEmpty());
}

void PartsWindowTest::pickingShowsTheVehiclesLog()
{
    test::TestEnvironment env;
    const int ida = addVehicles(env);
    addEntry(env, ida, QStringLiteral("F 1"), QStringLiteral("Filtru ulei"), 45);
    addEntry(env, ida - 1, QStringLiteral("F 9"), QStringLiteral("Alt vehicul"), 10);
    addEntry(env, ida, QStringLiteral("F 2"), QStringLiteral("Anvelope"), 1200.5);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QVERIFY(w.pick(QStringLiteral("B-02-BBB")));
    QCOMPARE(w.tip->text(), QStringLiteral("Marca si tipul : Roman 19.215"));
    QCOMPARE(w.grid->model()->rowCount(), 2);
    QCOMPARE(w.grid->model()->index(1, 1).data().toString(), QStringLiteral("Anvelope"));
    QCOMPARE(w.grid->model()->index(1, 2).data().toString(), QStringLiteral("1200.5"));
    QTRY_VERIFY(w.grid->hasFocus());
    QVERIFY(w.pick(QStringLiteral("B-01-AAA")));
    QCOMPARE(w.grid->model()->rowCount(), 1);
    QCOMPARE(w.grid->model()->index(0, 0).data().toString(), QStringLiteral("F 9"));
    QVERIFY(env.messages().texts().isEmpty());
}

void PartsWindowTest::savesWithTwoDigitDayAndMonth()
{
    test::TestEnvironment env;
    const int ida = addVehicles(env);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QVERIFY(w.pick(QStringLiteral("B-02-BBB")));
    w.type(QStringLiteral("nract"), QStringLiteral("F 123"));
    w.type(QStringLiteral("den"), QStringLiteral("Filtru aer"));
    w.type(QStringLiteral("valp"), QStringLiteral("150.5"));
    w.type(QStringLiteral("zi"), QStringLiteral("5"));
    QTRY_COMPARE(w["zi"]->text(), QStringLiteral("05"));
    w.type(QStringLiteral("luna"), QStringLiteral("3"));
    QTRY_COMPARE(w["luna"]->text(), QStringLiteral("03"));
    w.type(QStringLiteral("an"), QStringLiteral("2007"));
    QTest::mouseClick(w.save, Qt::LeftButton);
    QTRY_COMPARE(env.messages().texts(), QStringList{saved});
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM piese")).toInt(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT ida FROM piese")).toInt(), ida);
    QCOMPARE(env.value(QStringLiteral("SELECT act || '|' || denp || '|' || zi || '|' || luna || '|' || an FROM piese"))
                 .toString(),
             QStringLiteral("F 123|Filtru aer|05|03|2007"));
    QCOMPARE(env.value(QStringLiteral("SELECT valoare FROM piese")).toDouble(), 150.5);
    QCOMPARE(w.grid->model()->rowCount(), 1);
    // The boxes keep their contents for a similar entry.
    QCOMPARE(w["den"]->text(), QStringLiteral("Filtru aer"));

    // Saved straight from the day box, without leaving it first.
    w["zi"]->setText(QStringLiteral("7"));
    w["valp"]->clear();
    w.save->click();
    QTRY_COMPARE(env.messages().texts().size(), 2);
    QCOMPARE(env.value(QStringLiteral("SELECT zi FROM piese ORDER BY idp DESC")).toString(), QStringLiteral("07"));
    QCOMPARE(env.value(QStringLiteral("SELECT valoare FROM piese ORDER BY idp DESC")).toDouble(), 0.0);
    QCOMPARE(w.grid->model()->rowCount(), 2);
    QVERIFY(env.messages().problems().isEmpty());
}

void PartsWindowTest::saveChecksInOrder_data()
{
    QTest::addColumn<bool>("pick");
    QTest::addColumn<QString>("zi");
    QTest::addColumn<QString>("luna");
    QTest::addColumn<QString>("an");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    auto row = [](const char *name, bool pick, const char *zi, const char *luna, const char *an, const char *message,
                  const char *focus) {
        QTest::newRow(name) << pick << QString::fromLatin1(zi) << QString::fromLatin1(luna) << QString::fromLatin1(an)
                            << QString::fromLatin1(message) << QString::fromLatin1(focus);
    };
    row("no vehicle", false, "05", "03", "2007", " Selectati numarul de inmatriculare !!! ", "nra");
    row("day 32", true, "32", "03", "2007", " Nu exista aceasta zi !!! ", "zi");
    row("day 0", true, "0", "03", "2007", " Specificati ziua !!! ", "zi");
    row("day 00", true, "00", "03", "2007", " Specificati ziua !!! ", "zi");
    row("month 13", true, "05", "13", "2007", " Nu exista aceasta luna !!! ", "luna");
    row("month 00", true, "05", "00", "2007", " Specificati luna !!! ", "luna");
    row("no year", true, "05", "03", "", " Specificati anul !!! ", "an");
    // Not printed as 31.02.2026 in the vehicle's log.
    row("31 February", true, "31", "02", "2026", " Nu exista aceasta zi in luna aleasa !!! ", "zi");
}

void PartsWindowTest::saveChecksInOrder()
{
    QFETCH(bool, pick);
    QFETCH(QString, zi);
    QFETCH(QString, luna);
    QFETCH(QString, an);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    test::TestEnvironment env;
    addVehicles(env);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    if (pick)
        QVERIFY(w.pick(QStringLiteral("B-01-AAA")));
    w["zi"]->setText(zi);
    w["luna"]->setText(luna);
    w["an"]->setText(an);
    w.save->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.save, Qt::Key_Space);
    QTRY_COMPARE(env.messages().texts(), QStringList{message});
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM piese")).toInt(), 0);
    QVERIFY(env.messages().problems().isEmpty());
}

void PartsWindowTest::apostropheAtStartOrEndOfDescription_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString begin = QStringLiteral(" Nu se acccepta caracterul apostrof (') la inceput de cuvant !!! ");
    const QString end = QStringLiteral(" Nu se acccepta caracterul apostrof (') la sfarsit de cuvant !!! ");
    QTest::newRow("description start") << QStringLiteral("den") << QStringLiteral("'Filtru") << begin;
    QTest::newRow("description end") << QStringLiteral("den") << QStringLiteral("Filtru'") << end;
    QTest::newRow("document start") << QStringLiteral("nract") << QStringLiteral("'F 1") << begin;
    QTest::newRow("document end") << QStringLiteral("nract") << QStringLiteral("F 1'") << end;
}

void PartsWindowTest::apostropheAtStartOrEndOfDescription()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    test::TestEnvironment env;
    addVehicles(env);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    w.type(box, typed);
    QTRY_COMPARE(env.messages().texts(), QStringList{message});
    QTRY_VERIFY(w.boxes.value(box)->hasFocus());
    QCOMPARE(w.boxes.value(box)->text(), typed);
    QVERIFY(env.messages().problems().isEmpty());
}

void PartsWindowTest::apostropheInTheMiddleIsStoredAsTyped()
{
    test::TestEnvironment env;
    addVehicles(env);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QVERIFY(w.pick(QStringLiteral("B-01-AAA")));
    w.type(QStringLiteral("nract"), QStringLiteral("F d'1"));
    w.type(QStringLiteral("den"), QStringLiteral("Filtru d'aer"));
    w.type(QStringLiteral("zi"), QStringLiteral("1"));
    w.type(QStringLiteral("luna"), QStringLiteral("2"));
    w.type(QStringLiteral("an"), QStringLiteral("2008"));
    QTRY_COMPARE(w["luna"]->text(), QStringLiteral("02"));
    QVERIFY(env.messages().texts().isEmpty());
    w.save->click();
    QTRY_COMPARE(env.messages().texts(), QStringList{saved});
    QCOMPARE(env.value(QStringLiteral("SELECT denp FROM piese")).toString(), QStringLiteral("Filtru d'aer"));
    QCOMPARE(env.value(QStringLiteral("SELECT act FROM piese")).toString(), QStringLiteral("F d'1"));
}

void PartsWindowTest::gridEditRefused_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("messages");
    auto max = [](int n) { return QStringLiteral(" Numarul maxim de caractere este %1 !!! ").arg(n); };
    const QString apostrophe = QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! ");
    QTest::newRow("description of 51") << 1 << QString(51, u'x') << QStringList{max(50)};
    QTest::newRow("document of 26") << 0 << QString(26, u'x') << QStringList{max(25)};
    QTest::newRow("apostrophe in description") << 1 << QStringLiteral("Filtru d'aer") << QStringList{apostrophe};
    QTest::newRow("apostrophe and too long") << 0 << QStringLiteral("F'") + QString(25, u'1')
                                             << QStringList{apostrophe, max(25)};
    QTest::newRow("value 12a") << 2 << QStringLiteral("12a") << QStringList{QStringLiteral("Introduceti doar numere !")};
    QTest::newRow("value of 11") << 2 << QStringLiteral("12345678901") << QStringList{max(10)};
}

void PartsWindowTest::gridEditRefused()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QStringList, messages);
    test::TestEnvironment env;
    const int ida = addVehicles(env);
    addEntry(env, ida, QStringLiteral("F 1"), QStringLiteral("Filtru ulei"), 45);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QVERIFY(w.pick(QStringLiteral("B-02-BBB")));
    QVERIFY(test::typeInCell(w.grid, 0, column, typed));
    QTRY_COMPARE(env.messages().texts(), messages);
    QCOMPARE(env.value(QStringLiteral("SELECT act || '|' || denp FROM piese")).toString(),
             QStringLiteral("F 1|Filtru ulei"));
    QCOMPARE(env.value(QStringLiteral("SELECT valoare FROM piese")).toDouble(), 45.0);
    QCOMPARE(w.grid->model()->index(0, column).data().toString(),
             (QStringList{QStringLiteral("F 1"), QStringLiteral("Filtru ulei"), QStringLiteral("45")}).at(column));
    QVERIFY(env.messages().problems().isEmpty());
}

void PartsWindowTest::gridEditStored()
{
    test::TestEnvironment env;
    const int ida = addVehicles(env);
    addEntry(env, ida, QStringLiteral("F 1"), QStringLiteral("Filtru ulei"), 45);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QVERIFY(w.pick(QStringLiteral("B-02-BBB")));
    QVERIFY(test::typeInCell(w.grid, 0, 1, QString(50, u'x')));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT denp FROM piese")).toString(), QString(50, u'x'));
    QVERIFY(test::typeInCell(w.grid, 0, 2, QStringLiteral("1234567.89")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT valoare FROM piese")).toDouble(), 1234567.89);
    QVERIFY(test::typeInCell(w.grid, 0, 0, QStringLiteral("F 1/05.03.2007")));
    QTRY_COMPARE(env.value(QStringLiteral("SELECT act FROM piese")).toString(), QStringLiteral("F 1/05.03.2007"));

    // Esc abandons an edit in progress.
    const QModelIndex index = w.grid->model()->index(0, 0);
    w.grid->setCurrentIndex(index);
    w.grid->edit(index);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->setText(QStringLiteral("abandonat"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QTest::qWait(20);
    QCOMPARE(env.value(QStringLiteral("SELECT act FROM piese")).toString(), QStringLiteral("F 1/05.03.2007"));
    QVERIFY(w.window.isVisible());
    QVERIFY(env.messages().texts().isEmpty());
}

void PartsWindowTest::deleteAsksFirst()
{
    test::TestEnvironment env;
    const int ida = addVehicles(env);
    addEntry(env, ida, QStringLiteral("F 1"), QStringLiteral("Filtru ulei"), 45);
    addEntry(env, ida, QStringLiteral("F 2"), QStringLiteral("Anvelope"), 800);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QVERIFY(w.pick(QStringLiteral("B-02-BBB")));

    // A cell alone is not a row: Delete does nothing.
    w.grid->setCurrentIndex(w.grid->model()->index(1, 1));
    QTest::keyClick(w.grid, Qt::Key_Delete);
    QVERIFY(env.messages().texts().isEmpty());

    // The row selected by its header, No: the row stays.
    env.messages().answer(false);
    w.grid->selectRow(1);
    QTest::keyClick(w.grid, Qt::Key_Delete);
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral("Stergeti inregistrarea curenta?")});
    QCOMPARE(env.messages().messages().first().title, QStringLiteral("Stergere inregistrari"));
    QCOMPARE(env.messages().messages().first().icon, MessageService::Icon::Information);
    QVERIFY(env.messages().messages().first().noByDefault); // Enter never deletes
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM piese")).toInt(), 2);

    // Yes: it goes, and the clerk is told.
    env.messages().clear();
    env.messages().answer(true);
    const QPoint header(w.grid->verticalHeader()->width() / 2, w.grid->verticalHeader()->sectionViewportPosition(1) + 3);
    QTest::mouseClick(w.grid->verticalHeader()->viewport(), Qt::LeftButton, {}, header);
    QCOMPARE(w.grid->selectionModel()->selectedRows().size(), 1);
    QTest::keyClick(w.grid, Qt::Key_Delete);
    QCOMPARE(env.messages().texts(), (QStringList{QStringLiteral("Stergeti inregistrarea curenta?"),
                                                  QStringLiteral("Inregistrarea a fost stearsa")}));
    QCOMPARE(env.messages().messages().last().title, QStringLiteral("Stergere inregistrari"));
    QCOMPARE(env.messages().messages().last().icon, MessageService::Icon::Information);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM piese")).toInt(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT act FROM piese")).toString(), QStringLiteral("F 1"));
    QCOMPARE(w.grid->model()->rowCount(), 1);
    QVERIFY(env.messages().problems().isEmpty());
}

void PartsWindowTest::reportOfThePickedVehicle()
{
    test::TestEnvironment env;
    const int ida = addVehicles(env);
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QTest::mouseClick(w.report, Qt::LeftButton);
    QTRY_COMPARE(env.messages().texts(), QStringList{pickVehicle});
    QTRY_VERIFY(w.nra->hasFocus());
    QVERIFY(env.reports().requests.isEmpty());

    QVERIFY(w.pick(QStringLiteral("B-02-BBB")));
    QTest::mouseClick(w.report, Qt::LeftButton);
    QTRY_COMPARE(env.reports().requests.size(), 1);
    const ReportRequest request = env.reports().requests.first();
    QCOMPARE(request.reportFile, QStringLiteral("rappiese.rpt"));
    QCOMPARE(request.dataFile, env.context().dataFile);
    QCOMPARE(request.selection, QStringLiteral("{piese.ida}=%1").arg(ida));
    QCOMPARE(env.messages().texts().size(), 1);
}

void PartsWindowTest::takenOutVehicleIsNotOffered()
{
    test::TestEnvironment env;
    addVehicles(env);
    env.sql(QStringLiteral("UPDATE auto SET apar=0 WHERE nrauto='B-02-BBB'"));
    Window w(env);
    QVERIFY(test::showActive(&w.window));
    QVERIFY(!w.pick(QStringLiteral("B-02-BBB")));
    QCOMPARE(w.nra->count(), 1);
    QCOMPARE(w.nra->itemText(0), QStringLiteral("B-01-AAA"));
}

QTEST_MAIN(PartsWindowTest)
#include "tst_partswindow.moc"
