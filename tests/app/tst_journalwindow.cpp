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
#include <QDateEdit>
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
    // A period before today: nothing.
    auto *to = test::child<QDateEdit>(&window, s("panala"));
    to->setDate(QDate::currentDate().addDays(-1));
    test::child<QPushButton>(&window, s("Command1"))->click();
    QCOMPARE(grid->model()->rowCount(), 0);
    QVERIFY(env.messages().problems().isEmpty());
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
