#include "app/duereminder.h"
#include "app/mainwindow.h"
#include "fleet/documentstore.h"
#include "fleet/documentwindow.h"
#include "fleet/driverstore.h"
#include "fleet/driverwindow.h"
#include "fleet/duewindow.h"
#include "fleet/vehiclestore.h"
#include "fleet/vehiclewindow.h"
#include "testenvironment.h"
#include "trips/tripwindow.h"
#include "windowtest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace vok;
using test::child;

namespace {

QString saveQuestion() { return QStringLiteral(" Sunteti sigur ca doriti salvarea datelor ? "); }

// What the clerk types into the focused control, then a key.
void typeThen(const QString &text, Qt::Key key = Qt::Key_Tab)
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus);
    if (!text.isEmpty())
        QTest::keyClicks(focus, text);
    QTest::keyClick(QApplication::focusWidget(), key);
    QTest::qWait(30);
}

void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    QTest::qWait(30);
}

QString focusName() { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }

int addVehicle(test::TestEnvironment &env, const QString &number)
{
    VehicleRecord r;
    r.nrauto = number;
    r.marca = QStringLiteral("DACIA LOGAN");
    r.consumption = {8, 7, 6, 2};
    return VehicleStore(env.db()).save(r);
}

// Closes the next modal window to open with Escape, and says which it was.
void escapeNextModal(QString *opened)
{
    QTimer::singleShot(100, [opened] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        *opened = modal->objectName();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
}

} // namespace

class DriverWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void driversTypedKeysOnly();
    void refusalsKeepTheFocus();
    void deletionDefaultsToNo();
    void documentsTypedChangedDeleted();
    void documentsButtonInAuto();
    void serviceIntervalAndOdometer();
    void dueWindowOpensWhatIsDue();
    void reminderOnceADay();
    void tripDriverListOffersTheRegisterFirst();
};

void DriverWindowTest::driversTypedKeysOnly()
{
    test::TestEnvironment env;
    DriverWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QCOMPARE(focusName(), QStringLiteral("nume"));
    typeThen(QStringLiteral("popescu ion"));
    QCOMPARE(child<QLineEdit>(&window, QStringLiteral("nume"))->text(), QStringLiteral("POPESCU ION"));
    typeThen(QStringLiteral("AB123456"));
    typeThen(QStringLiteral("b,c"));
    typeThen(QStringLiteral("1.2.2027"));
    QCOMPARE(child<QLineEdit>(&window, QStringLiteral("exppermis"))->text(), QStringLiteral("01.02.2027"));
    typeThen(QStringLiteral("15.06.2026"));
    QCOMPARE(focusName(), QStringLiteral("activ"));
    env.messages().answer(true);
    key(Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(env.messages().texts(), (QStringList{saveQuestion(), QStringLiteral(" Datele au fost salvate ")}));
    const Driver d = *DriverStore(env.db()).byName(QStringLiteral("POPESCU ION"));
    QCOMPARE(d.permis, QStringLiteral("AB123456"));
    QCOMPARE(d.categorii, QStringLiteral("B,C"));
    QCOMPARE(d.exppermis, QStringLiteral("01.02.2027"));
    QCOMPARE(d.expaviz, QStringLiteral("15.06.2026"));
    QVERIFY(d.activ);
    QTRY_COMPARE(focusName(), QStringLiteral("nume"));
    QCOMPARE(child<QTableView>(&window, QStringLiteral("DBGrid1"))->model()->rowCount(), 1);

    // Typing a registered name loads him; Space unticks "Activ"; the save
    // changes that driver.
    env.messages().clear();
    typeThen(QStringLiteral("Popescu Ion"));
    QCOMPARE(child<QLineEdit>(&window, QStringLiteral("permis"))->text(), QStringLiteral("AB123456"));
    for (int i = 0; i < 4; ++i)
        key(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("activ"));
    key(Qt::Key_Space);
    env.messages().answer(true);
    key(Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(env.messages().texts().size(), 2);
    QVERIFY(!DriverStore(env.db()).byName(QStringLiteral("POPESCU ION"))->activ);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM soferi")).toInt(), 1);

    // Enter on the grid's row brings the driver back into the boxes.
    auto *grid = child<QTableView>(&window, QStringLiteral("DBGrid1"));
    grid->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Return);
    QCOMPARE(child<QLineEdit>(&window, QStringLiteral("nume"))->text(), QStringLiteral("POPESCU ION"));
    QCOMPARE(focusName(), QStringLiteral("permis"));
    QVERIFY(!child<QCheckBox>(&window, QStringLiteral("activ"))->isChecked());
    QVERIFY(env.messages().problems().isEmpty());
}

void DriverWindowTest::refusalsKeepTheFocus()
{
    test::TestEnvironment env;
    DriverWindow window(env.context());
    QVERIFY(test::showActive(&window));
    typeThen(QStringLiteral("O'NEIL"));
    QTRY_COMPARE(env.messages().last(), QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! "));
    QTRY_COMPARE(focusName(), QStringLiteral("nume"));
    typeThen(QStringLiteral("ALBU DAN"));
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    typeThen(QStringLiteral("31.02.2027"));
    QTRY_COMPARE(env.messages().last(), QStringLiteral(" Data trebuie scrisa zz.ll.aaaa (de exemplu 31.12.2026) !!! "));
    QTRY_COMPARE(focusName(), QStringLiteral("exppermis"));
    // Ctrl+S leaves the box as Tab does: refused again, nothing saved.
    env.messages().clear();
    key(Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(env.messages().texts().size(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM soferi")).toInt(), 0);
    // No name at all: "Salvare" sends the clerk back to it.
    env.messages().clear();
    typeThen(QString(), Qt::Key_Delete);
    key(Qt::Key_Tab);
    child<QLineEdit>(&window, QStringLiteral("nume"))->setFocus(Qt::TabFocusReason);
    typeThen(QString(), Qt::Key_Delete);
    QTest::keyClick(child<QPushButton>(&window, QStringLiteral("Command1")), Qt::Key_Space);
    QTRY_COMPARE(env.messages().last(), QStringLiteral(" Specificati numele soferului !!! "));
    QTRY_COMPARE(focusName(), QStringLiteral("nume"));
    QVERIFY(env.messages().problems().isEmpty());
}

void DriverWindowTest::deletionDefaultsToNo()
{
    test::TestEnvironment env;
    Driver d;
    d.nume = QStringLiteral("ALBU DAN");
    DriverStore(env.db()).save(d, std::nullopt);
    DriverWindow window(env.context(), QStringLiteral("ALBU DAN"));
    QVERIFY(test::showActive(&window));
    QCOMPARE(focusName(), QStringLiteral("exppermis"));
    auto *remove = child<QPushButton>(&window, QStringLiteral("Command2"));
    env.messages().answer(false);
    QTest::keyClick(remove, Qt::Key_Space);
    QTRY_COMPARE(env.messages().messages().size(), 1);
    QVERIFY(env.messages().messages().first().noByDefault);
    QCOMPARE(env.messages().last(), QStringLiteral(" Sunteti sigur ca doriti stergerea soferului ,,ALBU DAN'' ?"));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM soferi")).toInt(), 1);
    env.messages().answer(true);
    QTest::keyClick(remove, Qt::Key_Space);
    QTRY_COMPARE(env.messages().last(), QStringLiteral(" Stergerea a fost executata "));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM soferi")).toInt(), 0);
    QVERIFY(env.messages().problems().isEmpty());
}

void DriverWindowTest::documentsTypedChangedDeleted()
{
    test::TestEnvironment env;
    const int ida = addVehicle(env, QStringLiteral("B-01-VOK"));
    DocumentWindow window(env.context(), ida);
    QVERIFY(test::showActive(&window));
    QCOMPARE(focusName(), QStringLiteral("tipdoc"));
    // ITP is the first kind: Down twice picks ROVINIETA... the clerk types RCA's place.
    key(Qt::Key_Down);
    QCOMPARE(child<QComboBox>(&window, QStringLiteral("tipdoc"))->currentText(), QStringLiteral("RCA"));
    key(Qt::Key_Tab);
    typeThen(QStringLiteral("RO-123"));
    typeThen(QStringLiteral("1.1.2026"));
    typeThen(QStringLiteral("31.12.2026"));
    typeThen(QStringLiteral("platit"));
    env.messages().answer(true);
    key(Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(env.messages().texts(), (QStringList{saveQuestion(), QStringLiteral(" Datele au fost salvate ")}));
    QList<VehicleDocument> docs = DocumentStore(env.db()).forVehicle(ida);
    QCOMPARE(docs.size(), 1);
    QCOMPARE(docs.first().tip, QStringLiteral("RCA"));
    QCOMPARE(docs.first().dela, QStringLiteral("01.01.2026"));
    QCOMPARE(docs.first().obs, QStringLiteral("platit"));

    // The end before the start is refused at "Salvare".
    env.messages().clear();
    QTRY_COMPARE(focusName(), QStringLiteral("tipdoc"));
    key(Qt::Key_Tab);
    typeThen(QStringLiteral("X"));
    typeThen(QStringLiteral("02.02.2026"));
    typeThen(QStringLiteral("01.02.2026"));
    key(Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(env.messages().last(), QStringLiteral(" Data de expirare este inaintea datei de emitere !!! "));
    QTRY_COMPARE(focusName(), QStringLiteral("panala"));

    // Enter on the grid's row: changed, not added.
    env.messages().clear();
    typeThen(QStringLiteral("30.12.2026"));
    auto *grid = child<QTableView>(&window, QStringLiteral("DBGrid1"));
    grid->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("tipdoc"));
    QCOMPARE(child<QLineEdit>(&window, QStringLiteral("numar"))->text(), QStringLiteral("RO-123"));
    key(Qt::Key_Tab);
    typeThen(QStringLiteral("RO-124"));
    env.messages().answer(true);
    key(Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(env.messages().texts().size(), 2);
    docs = DocumentStore(env.db()).forVehicle(ida);
    QCOMPARE(docs.size(), 1);
    QCOMPARE(docs.first().numar, QStringLiteral("RO-124"));

    // Delete on the grid's row asks with "Nu" as the default.
    env.messages().clear();
    grid->setFocus(Qt::TabFocusReason);
    env.messages().answer(false);
    key(Qt::Key_Delete);
    QTRY_COMPARE(env.messages().messages().size(), 1);
    QVERIFY(env.messages().messages().first().noByDefault);
    QCOMPARE(DocumentStore(env.db()).forVehicle(ida).size(), 1);
    env.messages().answer(true);
    key(Qt::Key_Delete);
    QTRY_COMPARE(env.messages().last(), QStringLiteral("Inregistrarea a fost stearsa"));
    QVERIFY(DocumentStore(env.db()).forVehicle(ida).isEmpty());
    QVERIFY(env.messages().problems().isEmpty());
}

void DriverWindowTest::documentsButtonInAuto()
{
    test::TestEnvironment env;
    addVehicle(env, QStringLiteral("B-01-VOK"));
    VehicleWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *documents = child<QPushButton>(&window, QStringLiteral("Command7"));
    // No vehicle shown: refused.
    QTest::keyClick(documents, Qt::Key_Space);
    QTRY_COMPARE(env.messages().last(), QStringLiteral(" Selectati numarul de inmatriculare !!! "));
    QTRY_COMPARE(focusName(), QStringLiteral("nrauto"));
    env.messages().clear();
    typeThen(QStringLiteral("B-01-VOK"));
    QString opened;
    escapeNextModal(&opened);
    documents->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Return);
    QTRY_COMPARE(opened, QStringLiteral("documente"));
    QTRY_COMPARE(focusName(), QStringLiteral("Command7"));
    QVERIFY(env.messages().texts().isEmpty());
}

void DriverWindowTest::serviceIntervalAndOdometer()
{
    test::TestEnvironment env;
    const int ida = addVehicle(env, QStringLiteral("B-01-VOK"));
    env.sql(QStringLiteral("INSERT INTO dateluna (ida, anul, idl, kmt) VALUES (?, 2026, 1, 82000)"), {ida});
    DocumentWindow window(env.context(), ida);
    QVERIFY(test::showActive(&window));
    QVERIFY2(window.findChild<QWidget *>(QStringLiteral("kmbord"))->property("text").toString().contains(
                 QStringLiteral("ultimei luni inchise, 01.2026")),
             qPrintable(window.findChild<QWidget *>(QStringLiteral("kmbord"))->property("text").toString()));
    child<QLineEdit>(&window, QStringLiteral("kmrevizie"))->setFocus(Qt::TabFocusReason);
    typeThen(QStringLiteral("15000"));
    typeThen(QStringLiteral("70000"));
    QCOMPARE(focusName(), QStringLiteral("Command4"));
    env.messages().answer(true);
    key(Qt::Key_Return);
    QTRY_COMPARE(env.messages().texts(), (QStringList{saveQuestion(), QStringLiteral(" Datele au fost salvate ")}));
    const ServiceInterval s = *DocumentStore(env.db()).service(ida);
    QCOMPARE(s.kmrevizie, 15000.0);
    QCOMPARE(s.kmultrev.value_or(0), 70000.0);
    // Emptied, the last service is no longer known: no reminder.
    env.messages().clear();
    child<QLineEdit>(&window, QStringLiteral("kmultrev"))->setFocus(Qt::TabFocusReason);
    typeThen(QString(), Qt::Key_Delete);
    key(Qt::Key_Tab);
    env.messages().answer(true);
    key(Qt::Key_Return);
    QTRY_COMPARE(env.messages().texts().size(), 2);
    QVERIFY(!DocumentStore(env.db()).service(ida)->kmultrev);
    QVERIFY(env.messages().problems().isEmpty());
}

void DriverWindowTest::dueWindowOpensWhatIsDue()
{
    test::TestEnvironment env;
    const int ida = addVehicle(env, QStringLiteral("B-01-VOK"));
    const QDate today = QDate::currentDate();
    VehicleDocument rca;
    rca.ida = ida;
    rca.tip = QStringLiteral("RCA");
    rca.panala = today.addDays(-2).toString(QStringLiteral("dd.MM.yyyy"));
    DocumentStore(env.db()).save(rca);
    Driver d;
    d.nume = QStringLiteral("ALBU DAN");
    d.expaviz = today.addDays(5).toString(QStringLiteral("dd.MM.yyyy"));
    DriverStore(env.db()).save(d, std::nullopt);

    DueWindow window(env.context(), today);
    QVERIFY(test::showActive(&window));
    auto *grid = child<QTableView>(&window, QStringLiteral("DBGrid1"));
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("B-01-VOK"));
    QCOMPARE(grid->model()->index(0, 3).data().toString(), QStringLiteral("depasit cu 2 zile"));
    QCOMPARE(grid->model()->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    QVERIFY(grid->model()->index(1, 0).data(Qt::ForegroundRole).isNull());
    QCOMPARE(focusName(), QStringLiteral("DBGrid1"));

    QString opened;
    escapeNextModal(&opened);
    key(Qt::Key_Return);
    QTRY_COMPARE(opened, QStringLiteral("documente"));
    QTRY_COMPARE(focusName(), QStringLiteral("DBGrid1"));
    key(Qt::Key_Down);
    opened.clear();
    escapeNextModal(&opened);
    key(Qt::Key_Return);
    QTRY_COMPARE(opened, QStringLiteral("soferi"));
    // Fewer days ahead, kept in the settings: the certificate in 5 days goes.
    child<QLineEdit>(&window, QStringLiteral("zilescadente"))->setFocus(Qt::TabFocusReason);
    typeThen(QStringLiteral("3"));
    env.messages().answer(true);
    key(Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(env.messages().texts(), (QStringList{saveQuestion(), QStringLiteral(" Datele au fost salvate ")}));
    QCOMPARE(DocumentStore(env.db()).dueSettings().days, 3);
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(focusName(), QStringLiteral("DBGrid1"));
    env.messages().clear();
    // The report of what is due.
    QTest::keyClick(child<QPushButton>(&window, QStringLiteral("Command2")), Qt::Key_Space);
    QCOMPARE(env.reports().requests.size(), 1);
    QCOMPARE(env.reports().requests.first().reportFile, QStringLiteral("rapscadente.rpt"));
    // Escape closes the window.
    grid->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Escape);
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(env.messages().problems().isEmpty());
}

void DriverWindowTest::reminderOnceADay()
{
    test::TestEnvironment env;
    QFile::remove(reminder::markFile());
    const QDate today = QDate::currentDate();
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    // Nothing due: no window, and no mark (something due later today still shows).
    QVERIFY(!reminder::showAtStart(env.context(), menu, today));
    QVERIFY(!reminder::shownToday(env.context().dataFile, journal::osUser(), today));

    Driver d;
    d.nume = QStringLiteral("ALBU DAN");
    d.exppermis = today.toString(QStringLiteral("dd.MM.yyyy"));
    DriverStore(env.db()).save(d, std::nullopt);
    QString opened;
    escapeNextModal(&opened);
    QVERIFY(reminder::showAtStart(env.context(), menu, today));
    QCOMPARE(opened, QStringLiteral("scadente"));
    // Once a day: not again today, again tomorrow; another data file is apart.
    QVERIFY(!reminder::showAtStart(env.context(), menu, today));
    QVERIFY(reminder::shownToday(env.context().dataFile, journal::osUser(), today));
    QVERIFY(!reminder::shownToday(env.context().dataFile, journal::osUser(), today.addDays(1)));
    QVERIFY(!reminder::shownToday(env.context().dataFile + QStringLiteral("x"), journal::osUser(), today));
    // The CONTROL menu holds the register and the reminders.
    QVERIFY(menu.item(QStringLiteral("mnucontrol")));
    QVERIFY(menu.item(QStringLiteral("mnusoferi")));
    QVERIFY(menu.item(QStringLiteral("mnuscadente")));
    QVERIFY(env.messages().problems().isEmpty());
}

void DriverWindowTest::tripDriverListOffersTheRegisterFirst()
{
    test::TestEnvironment env;
    const int ida = addVehicle(env, QStringLiteral("B-01-VOK"));
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, data, idl, anul) VALUES "
                           "(1, ?, 'ZAHARIA ION', '01.02.2026', 2, 2026), (2, ?, 'ALBU DAN', '02.02.2026', 2, 2026), "
                           "(3, ?, 'BIRO ANA', '03.02.2026', 2, 2026)"),
            {ida, ida, ida});
    DriverStore drivers(env.db());
    Driver d;
    d.nume = QStringLiteral("POPA ION");
    drivers.save(d, std::nullopt);
    d.nume = QStringLiteral("BIRO ANA");
    d.activ = false;
    drivers.save(d, std::nullopt);
    TripWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *sof = child<QComboBox>(&window, QStringLiteral("sof"));
    sof->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(sof->count(), 3);
    QStringList offered;
    for (int i = 0; i < sof->count(); ++i)
        offered << sof->itemText(i);
    QCOMPARE(offered, (QStringList{"POPA ION", "ALBU DAN", "ZAHARIA ION"}));
    // A name not in the register is kept as typed, never completed.
    QTest::keyClicks(sof, QStringLiteral("POP"));
    QCOMPARE(sof->currentText(), QStringLiteral("POP"));
}

QTEST_MAIN(DriverWindowTest)
#include "tst_driverwindow.moc"
