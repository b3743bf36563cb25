// The vehicle window and the parts log of clerk A while clerk B, through a
// connection of its own, changes or deletes what A has on screen; A's own
// deletion followed by a save; and the parts log's number box and grid
// editors, which must write nothing the clerk did not change. Runs on SQLite
// (two connections to one file) and on the test server.
#include "db/database.h"
#include "fleet/partsstore.h"
#include "fleet/partswindow.h"
#include "fleet/vehiclestore.h"
#include "fleet/vehiclewindow.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

int counter = 0;

const QString saveQuestion = s(" Sunteti sigur ca doriti salvarea datelor ? ");

// A data folder with two vehicles, each with a parts entry, and clerk B's
// connection to it.
struct Clerks {
    test::TestEnvironment env;
    QString name = s("fleet-clerk-b-%1").arg(++counter);
    QSqlDatabase b;

    Clerks()
    {
        env.sql(s("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf) "
                  "VALUES ('B-01-AAA', 'DACIA', 2, 1, 7.5, 0.1, 4, 0.5), ('B-217-VOK', 'ROMAN', 1, 2, 30, 0.5, 20, 2)"));
        env.sql(s("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (1, 8.5, 7.5, 6, 2), (2, 34, 30, 28, 2)"));
        env.sql(s("INSERT INTO piese (ida, act, denp, valoare, zi, luna, an) VALUES "
                  "(1, 'FF 5998/11.01.2026', 'FILTRU', 45, '11', '01', '2026'), "
                  "(2, 'F 2', 'ANVELOPE', 800, '12', '01', '2026')"));
        b = env.otherClerk(name);
    }
    ~Clerks()
    {
        b = QSqlDatabase();
        database::close(name);
    }

    int count(const QString &sql) { return env.value(sql).toInt(); }
};

QString focused() { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }

// A key as the keyboard sends it: to whatever has the focus now.
void press(Qt::Key key, char text = 0)
{
    QWidget *target = QApplication::focusWidget();
    QVERIFY(target);
    if (text)
        QTest::keyClick(target, text);
    else
        QTest::keyClick(target, key);
}

// Enters a box (a text box or a list) as the clerk does, types over what it
// shows (an empty text deletes it) and, with `leave`, presses Tab.
void type(QWidget *box, const QString &text, bool leave = true)
{
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    if (auto *list = qobject_cast<QComboBox *>(box); list && list->lineEdit())
        list->lineEdit()->selectAll();
    else if (auto *edit = qobject_cast<QLineEdit *>(box))
        edit->selectAll();
    if (text.isEmpty())
        press(Qt::Key_Delete);
    for (const QChar ch : text)
        press(Qt::Key_unknown, ch.toLatin1());
    if (!leave)
        return;
    press(Qt::Key_Tab);
    QTRY_VERIFY(!box->hasFocus());
    QTest::qWait(20); // the check of the box left runs after the focus change
}

} // namespace

class FleetClerksTest : public QObject {
    Q_OBJECT
private slots:
    void vehicleOwnDeletionThenSave();
    void vehicleChangedOrDeletedByAnother_data();
    void vehicleChangedOrDeletedByAnother();
    void partsNumberIsTypedWhole();
    void partsEditorWithoutChangeWritesNothing();
    void partsEntryDeletedByAnother();
};

// The vehicle deleted in the window is gone for the window too: its number
// typed again and saved is a new vehicle, with the usual question.
void FleetClerksTest::vehicleOwnDeletionThenSave()
{
    Clerks c;
    VehicleWindow window(c.env.context());
    QVERIFY(test::showActive(&window));
    auto *nrauto = test::child<QComboBox>(&window, s("nrauto"));
    type(nrauto, s("B-01-AAA"));
    QTRY_COMPARE(window.rememberedVehicle(), 1);
    c.env.messages().answer(true);
    QTest::mouseClick(test::child<QPushButton>(&window, s("Command3")), Qt::LeftButton);
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM auto WHERE nrauto='B-01-AAA'")), 0);

    // The clerk fills the vehicle again, the number last, and saves.
    c.env.messages().clear();
    type(test::child<QComboBox>(&window, s("marca")), s("DACIA 1310"));
    for (const char *box : {"Cm1", "Cm2", "Cm3", "Cb", "Cf", "Ca"})
        type(test::child<QLineEdit>(&window, s(box)), s("7"));
    type(nrauto, s("B-01-AAA"), false);
    c.env.messages().answer(true);
    QTest::mouseClick(test::child<QPushButton>(&window, s("Command1")), Qt::LeftButton);
    QCOMPARE(c.env.messages().texts(), (QStringList{saveQuestion, s("Datele au fost salvate")}));
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM auto WHERE nrauto='B-01-AAA' AND marca='DACIA 1310'")), 1);
    QVERIFY(c.env.messages().problems().isEmpty());
}

// B changes or deletes the vehicle on A's screen: A's save is refused with
// what happened, the focus goes to the number; a deleted vehicle is cleared,
// so that A's second save is refused instead of making it again.
void FleetClerksTest::vehicleChangedOrDeletedByAnother_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("number"); // on A's screen after the refusal
    QTest::addColumn<QString>("make");
    QTest::addColumn<QStringList>("second"); // the messages of A's second save
    QTest::addColumn<int>("vehicles");       // of that number in the end
    QTest::newRow("deleted") << true << s(" Autovehiculul a fost sters intre timp de alt utilizator !!! ") << QString()
                             << QString() << QStringList{s(" Selectati numarul de inmatriculare !!! ")} << 0;
    QTest::newRow("changed") << false
                             << s(" Datele au fost modificate intre timp de alt utilizator. Reincarcati si reluati "
                                  "modificarea. ")
                             << s("B-01-AAA") << s("ARO 10") << QStringList{saveQuestion, s("Datele au fost salvate")}
                             << 1;
}

void FleetClerksTest::vehicleChangedOrDeletedByAnother()
{
    QFETCH(bool, deleted);
    QFETCH(QString, message);
    QFETCH(QString, number);
    QFETCH(QString, make);
    QFETCH(QStringList, second);
    QFETCH(int, vehicles);
    Clerks c;
    VehicleWindow window(c.env.context());
    QVERIFY(test::showActive(&window));
    auto *nrauto = test::child<QComboBox>(&window, s("nrauto"));
    auto *marca = test::child<QComboBox>(&window, s("marca"));
    type(nrauto, s("B-01-AAA"));
    QTRY_COMPARE(window.rememberedVehicle(), 1);

    VehicleStore clerkB(c.b);
    if (deleted) {
        QCOMPARE(clerkB.remove(1), VehicleStore::Removal::Removed);
    } else {
        const Vehicle loaded = *clerkB.byNumber(s("B-01-AAA"));
        VehicleRecord r;
        r.nrauto = loaded.nrauto;
        r.marca = s("ARO 10");
        r.formula = loaded.formula;
        r.motor = loaded.motor;
        r.Ca = loaded.Ca;
        r.Cb = loaded.Cb;
        r.Cf = loaded.Cf;
        r.consumption = *clerkB.consumption(loaded.ida);
        r.ida = loaded.ida;
        r.versiune = loaded.versiune;
        clerkB.save(r);
    }
    const int journal = c.count(s("SELECT COUNT(*) FROM jurnal"));

    type(marca, s("DACIA 1310"));
    c.env.messages().answer(true);
    QTest::mouseClick(test::child<QPushButton>(&window, s("Command1")), Qt::LeftButton);
    QCOMPARE(c.env.messages().texts(), (QStringList{saveQuestion, message}));
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM jurnal")), journal);
    QCOMPARE(nrauto->currentText(), number);
    QCOMPARE(marca->currentText(), make);
    QTRY_COMPARE(focused(), s("nrauto"));

    c.env.messages().clear();
    if (second.size() > 1)
        c.env.messages().answer(true);
    QTest::mouseClick(test::child<QPushButton>(&window, s("Command1")), Qt::LeftButton);
    QCOMPARE(c.env.messages().texts(), second);
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM auto WHERE nrauto='B-01-AAA'")), vehicles);
    QVERIFY(c.env.messages().problems().isEmpty());
}

// The number typed in the parts log's box stays there whole: the log of that
// vehicle comes, and nothing is written into another vehicle's entries.
void FleetClerksTest::partsNumberIsTypedWhole()
{
    Clerks c;
    PartsWindow window(c.env.context());
    QVERIFY(test::showActive(&window));
    auto *nra = test::child<QComboBox>(&window, s("nra"));
    auto *grid = test::child<QTableView>(&window, s("DBGrid1"));
    type(nra, s("B-217-VOK"));
    QCOMPARE(nra->currentText(), s("B-217-VOK"));
    QCOMPARE(test::child<QLabel>(&window, s("tip"))->text(), s("Marca si tipul : ROMAN"));
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(grid->model()->index(0, 0).data().toString(), s("F 2"));
    QCOMPARE(c.env.value(s("SELECT act FROM piese WHERE ida=1")).toString(), s("FF 5998/11.01.2026"));
    QCOMPARE(c.count(s("SELECT SUM(versiune) FROM piese")), 0);
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM jurnal")), 0);

    // A number not in the list is refused, and the log on screen goes with it
    // only when the box is emptied.
    type(nra, s("B-999-XXX"));
    QCOMPARE(c.env.messages().texts(), QStringList{s(" Autovehiculul nu este inregistrat !!! ")});
    QTRY_VERIFY(nra->hasFocus());
    QCOMPARE(grid->model()->rowCount(), 1);
    type(nra, QString());
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM jurnal")), 0);
    QVERIFY(c.env.messages().problems().isEmpty());
}

// A cell editor closed without a change, by Enter or by the window losing
// the focus, writes nothing: no journal row, no new version.
void FleetClerksTest::partsEditorWithoutChangeWritesNothing()
{
    Clerks c;
    PartsWindow window(c.env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, s("DBGrid1"));
    type(test::child<QComboBox>(&window, s("nra")), s("B-01-AAA"));
    QCOMPARE(grid->model()->rowCount(), 1);

    // F2 opens the editor of the current cell, Enter closes it unchanged.
    grid->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(grid->hasFocus());
    grid->setCurrentIndex(grid->model()->index(0, 0));
    press(Qt::Key_F2);
    QVERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    press(Qt::Key_Return);
    QTRY_VERIFY(grid->hasFocus());
    QCOMPARE(c.count(s("SELECT versiune FROM piese WHERE ida=1")), 0);
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM jurnal")), 0);

    // A change is written once.
    QVERIFY(test::typeInCell(grid, 0, 1, s("FILTRU ULEI")));
    QTRY_COMPARE(c.env.value(s("SELECT denp FROM piese WHERE ida=1")).toString(), s("FILTRU ULEI"));
    QCOMPARE(c.count(s("SELECT versiune FROM piese WHERE ida=1")), 1);
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM jurnal")), 1);

    // Another window takes the focus while an editor is open on that cell.
    grid->setFocus(Qt::TabFocusReason);
    grid->setCurrentIndex(grid->model()->index(0, 1));
    press(Qt::Key_F2);
    QVERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    QWidget other;
    QVERIFY(test::showActive(&other));
    QTRY_VERIFY(!qobject_cast<QLineEdit *>(window.focusWidget()));
    QCOMPARE(c.count(s("SELECT versiune FROM piese WHERE ida=1")), 1);
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM jurnal")), 1);
    QVERIFY(c.env.messages().texts().isEmpty());
}

// B deletes the entry A edits: A is told it was deleted, the log comes again
// without it, and the focus goes to the number.
void FleetClerksTest::partsEntryDeletedByAnother()
{
    Clerks c;
    PartsWindow window(c.env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, s("DBGrid1"));
    type(test::child<QComboBox>(&window, s("nra")), s("B-01-AAA"));
    PartsStore(c.b).remove(PartsStore(c.b).entries(1).first());
    QVERIFY(test::typeInCell(grid, 0, 1, s("ULEI")));
    QTRY_COMPARE(c.env.messages().texts(),
                 QStringList{s(" Inregistrarea a fost stearsa intre timp de alt utilizator !!! ")});
    QTRY_COMPARE(grid->model()->rowCount(), 0);
    QTRY_COMPARE(focused(), s("nra"));
    QCOMPARE(c.count(s("SELECT COUNT(*) FROM piese WHERE ida=1")), 0);
}

QTEST_MAIN(FleetClerksTest)
#include "tst_fleetclerks.moc"
