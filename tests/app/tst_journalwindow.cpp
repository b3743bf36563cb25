// The window "Jurnal modificari": the changes of both clerks, filtered as the
// clerk types the filters, and a deleted sheet brought back from its row.
#include "app/journalwindow.h"
#include "db/database.h"
#include "fleet/vehiclestore.h"
#include "db/schema.h"
#include "testenvironment.h"
#include "trips/tripsheetservice.h"
#include "windowtest.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

// A vehicle and its sheet 5 with two trips, saved by clerk "ana", then the
// sheet deleted by the user of the tests.
void fill(test::TestEnvironment &env)
{
    VehicleRecord v;
    v.nrauto = s("B-07-JRN");
    v.marca = s("ROMAN");
    v.consumption = {30, 32, 34, 2};
    const int ida = VehicleStore(env.db()).save(v);
    TripSheetService service(env.db());
    SheetHeader h;
    h.nrf = 5;
    h.ida = ida;
    h.sofer = s("POPESCU");
    h.orap = 8;
    h.oras = 16;
    h.data = QDate::currentDate().toString(s("dd.MM.yyyy"));
    h.idl = QDate::currentDate().month();
    h.anul = QDate::currentDate().year();
    for (int nrc = 1; nrc <= 2; ++nrc) {
        TripForm form;
        form.nrc = QString::number(nrc);
        form.km[1] = s("10");
        service.save(*service.planSave(h, form, 2), true);
    }
    // The journal takes no change, whoever asks: its guards are lifted as
    // an administrator would, for the fixture alone.
    if (env.onServer()) {
        env.sql(s("ALTER TABLE jurnal DISABLE TRIGGER USER"));
        env.sql(s("UPDATE jurnal SET cine='ana'"));
        env.sql(s("ALTER TABLE jurnal ENABLE TRIGGER USER"));
    } else {
        env.sql(s("DROP TRIGGER jurnal_no_update"));
        env.sql(s("UPDATE jurnal SET cine='ana'"));
        for (const QString &statement : schema::migrationStep(DatabaseKind::Data, 5, schema::Dialect::Sqlite))
            env.sql(statement);
    }
    service.deleteSheet(*service.sheets().byNumber(ida, 5));
}

int rowOf(QTableView *grid, const QString &table, const QString &action)
{
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        if (grid->model()->index(row, 3).data().toString() == table
            && grid->model()->index(row, 8).data().toString() == action)
            return row;
    return -1;
}

} // namespace

class JournalWindowTest : public QObject {
    Q_OBJECT
private slots:
    void filtersAsTyped();
    void datesAsTyped_data();
    void datesAsTyped();
    void gridAndButtonsByKeys();
    void deletedSheetComesBack();
};

void JournalWindowTest::filtersAsTyped()
{
    test::TestEnvironment env;
    fill(env);
    JournalWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, s("DBGrid1"));
    QCOMPARE(grid->model()->rowCount(), 6); // vehicle, consum, sheet, 2 trips, deletion
    // Newest first: the deletion leads, with the sheet whole below.
    QCOMPARE(grid->model()->index(0, 8).data().toString(), s("stergere"));
    QVERIFY(test::child<QPlainTextEdit>(&window, s("inainte"))->toPlainText().contains(s("sofer: POPESCU")));

    // The clerk picks the user "ana" from its list and presses Enter.
    auto *user = test::child<QComboBox>(&window, s("utilizator"));
    user->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(user->hasFocus());
    QTest::keyClicks(user, s("ana"));
    QCOMPARE(user->currentText(), s("ana"));
    QTest::keyClick(user, Qt::Key_Return);
    QTRY_COMPARE(grid->model()->rowCount(), 5);

    // And the sheet number: only the sheet and its trips.
    auto *sheet = test::child<QLineEdit>(&window, s("nrfoi"));
    test::type(sheet, s("5"));
    QTest::keyClick(sheet, Qt::Key_Return);
    QTRY_COMPARE(grid->model()->rowCount(), 3);
    // A period before today, typed with its points: nothing.
    auto *to = test::child<QLineEdit>(&window, s("panala"));
    const QString yesterday = QDate::currentDate().addDays(-1).toString(s("dd.MM.yyyy"));
    test::type(to, yesterday);
    QCOMPARE(to->text(), yesterday);
    test::child<QPushButton>(&window, s("Command1"))->click();
    QCOMPARE(grid->model()->rowCount(), 0);
    QVERIFY(env.messages().problems().isEmpty());
    QVERIFY(env.messages().texts().isEmpty());
}

void JournalWindowTest::datesAsTyped_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message"); // empty: the journal is shown
    QTest::addColumn<QString>("focus");
    QTest::newRow("with points") << s("08.12.2026") << s("31.12.2026") << QString() << s("Command1");
    QTest::newRow("digits alone") << s("08122026") << s("09122026") << QString() << s("Command1");
    QTest::newRow("one day") << s("08.12.2026") << s("08.12.2026") << QString() << s("Command1");
    QTest::newRow("from after to") << s("09.12.2026") << s("08.12.2026")
                                   << s(" Data \"De la\" este dupa data \"Pana la\" !!! ") << s("dela");
    QTest::newRow("no such day") << s("31.02.2026") << s("08.12.2026")
                                 << s(" Introduceti data sub forma zz.ll.aaaa !!! ") << s("dela");
}

// The clerk types the period box by box, Tab from one to the next, and
// presses "Afisare"; each date box is one Tab stop.
void JournalWindowTest::datesAsTyped()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    test::TestEnvironment env;
    JournalWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *fromBox = test::child<QLineEdit>(&window, s("dela"));
    auto *toBox = test::child<QLineEdit>(&window, s("panala"));
    test::type(fromBox, from);
    QTest::keyClick(fromBox, Qt::Key_Tab);
    QTRY_VERIFY(toBox->hasFocus() || !env.messages().texts().isEmpty());
    if (toBox->hasFocus()) {
        QTest::keyClicks(toBox, to);
        QTest::keyClick(toBox, Qt::Key_Tab);
        auto *user = test::child<QComboBox>(&window, s("utilizator"));
        QTRY_VERIFY(user->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), s("Command1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QTRY_COMPARE(env.messages().texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), focus);
    if (message.isEmpty())
        QCOMPARE(fromBox->text(), from.size() == 8 ? from.left(2) + u'.' + from.mid(2, 2) + u'.' + from.mid(4) : from);
}

// Tab goes through the grid in one step, the arrows move inside it; the
// buttons below answer their shortcut letters; dates read dd.mm.yyyy hh:mm.
void JournalWindowTest::gridAndButtonsByKeys()
{
    test::TestEnvironment env;
    fill(env);
    JournalWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, s("DBGrid1"));
    QVERIFY(QRegularExpression(s("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$"))
                .match(grid->model()->index(0, 0).data().toString())
                .hasMatch());
    grid->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->currentIndex().row(), 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), s("Command2"));
    // Alt+R on the row of a trip: refused, as the button says.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(env.messages().texts(), QStringList{s(" Alegeti in jurnal stergerea unei foi de parcurs !!! ")});
}

void JournalWindowTest::deletedSheetComesBack()
{
    test::TestEnvironment env;
    fill(env);
    JournalWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = test::child<QTableView>(&window, s("DBGrid1"));
    auto *restore = test::child<QPushButton>(&window, s("Command3"));

    // A row that is no sheet's deletion.
    grid->selectRow(rowOf(grid, s("curse"), s("adaugare")));
    restore->click();
    QCOMPARE(env.messages().texts(), QStringList{s(" Alegeti in jurnal stergerea unei foi de parcurs !!! ")});

    env.messages().clear();
    grid->selectRow(rowOf(grid, s("foaie"), s("stergere")));
    env.messages().answer(true);
    restore->click();
    QCOMPARE(env.messages().texts(),
             (QStringList{s(" Readuceti foaia de parcurs nr. 5 a autovehiculului B-07-JRN, cu cursele ei ? "),
                          s(" Foaia de parcurs a fost readusa ")}));
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM foaie")).toInt(), 1);
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM curse")).toInt(), 2);
    QCOMPARE(grid->model()->rowCount(), 7); // the restoring, newest first
    QCOMPARE(grid->model()->index(0, 2).data().toString(), s("jurnal"));

    // Brought back once: a second time is refused, nothing written.
    env.messages().clear();
    grid->selectRow(rowOf(grid, s("foaie"), s("stergere")));
    env.messages().answer(true);
    restore->click();
    QCOMPARE(env.messages().texts().value(1),
             s(" Autovehiculul B-07-JRN are din nou o foaie de parcurs cu numarul 5: foaia stearsa nu poate fi "
               "readusa !!! "));
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM foaie")).toInt(), 1);
    QVERIFY(env.messages().problems().isEmpty());
}

QTEST_MAIN(JournalWindowTest)
#include "tst_journalwindow.moc"
