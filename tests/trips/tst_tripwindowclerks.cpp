// The trip window of clerk A while clerk B, through a connection of its own,
// changes or deletes the sheet on A's screen; and A's own deletions followed
// by a save. Runs on SQLite (two connections to one file) and on the test
// server.
#include "db/database.h"
#include "testenvironment.h"
#include "trips/tripsheetservice.h"
#include "trips/tripwindow.h"
#include "windowtest.h"

#include <QComboBox>
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
const QString saved = s(" Datele au fost salvate ");

// Clerk A's trip window over a car with sheet 7 (driver POPA DAN) holding
// trip 1, and clerk B's connection to the same data.
struct Fixture {
    test::TestEnvironment env;
    std::unique_ptr<TripWindow> window;
    QString name = s("trip-clerk-b-%1").arg(++counter);
    QSqlDatabase b;
    int idf = 0;

    Fixture()
    {
        env.sql(s("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod) "
                  "VALUES ('B-02-CAR', 'DACIA LOGAN', 2, 1, 7.5, 0.1, 4, 0.5, 0, 0)"));
        env.sql(s("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (1, 8.5, 7.5, 6, 2)"));
        env.sql(s("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul) "
                  "VALUES (7, 1, 'POPA DAN', 8, 16, 8, '10.02.2026', 1, 2, 2026)"));
        idf = env.value(s("SELECT idf FROM foaie")).toInt();
        env.sql(s("INSERT INTO curse (idf, nrc, kmII, kmT, kmE, Cn, traseu) VALUES (?, 1, 100, 100, 100, 7.5, 'A - B')"),
                {idf});
        b = env.otherClerk(name);
        window = std::make_unique<TripWindow>(env.context());
    }
    ~Fixture()
    {
        window.reset();
        b = QSqlDatabase();
        database::close(name);
    }

    template <typename T = QLineEdit> T *c(const char *name) { return test::child<T>(window.get(), s(name)); }
    QString focused() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    // Types into a box as the clerk does and leaves it with Tab.
    void type(QWidget *box, const QString &text)
    {
        box->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(box->hasFocus());
        QWidget *keys = box;
        if (auto *list = qobject_cast<QComboBox *>(box); list && list->lineEdit())
            keys = list->lineEdit();
        if (auto *edit = qobject_cast<QLineEdit *>(keys))
            edit->selectAll();
        QTest::keyClicks(keys, text);
        QTest::keyClick(keys, Qt::Key_Tab);
        QTRY_VERIFY(!box->hasFocus());
        QTest::qWait(20); // the check of the box left runs after the focus change
    }

    // The car and its sheet 7 on screen, and trip 1 typed (so loaded).
    void openTrip()
    {
        type(c<QComboBox>("nra"), s("B-02-CAR"));
        type(c<QComboBox>("nrfoi"), s("7"));
        QTRY_COMPARE(c<QComboBox>("sof")->currentText(), s("POPA DAN"));
        type(c("nrc"), s("1"));
        QTRY_COMPARE(c("trs")->text(), s("A - B"));
    }

    void save() { QTest::mouseClick(c<QPushButton>("Command2"), Qt::LeftButton); }

    // Clerk B's save of trip `nrc` on sheet 7 over the sheet and trip as B
    // loads them now, with B's driver and km II.
    void saveAsB(const QString &driver, int nrc, const char *kmII)
    {
        TripSheetService service(b);
        const std::optional<Sheet> sheet = service.sheets().byNumber(1, 7);
        const std::optional<Trip> trip = service.trips().byNumber(sheet->idf, nrc);
        SheetHeader h;
        h.nrf = 7;
        h.ida = 1;
        h.sofer = driver;
        h.orap = sheet->orap;
        h.oras = sheet->oras;
        h.data = sheet->data;
        h.decada = sheet->decada;
        h.idl = sheet->idl;
        h.anul = sheet->anul;
        TripForm form;
        form.nrc = QString::number(nrc);
        form.km[1] = s(kmII);
        const auto plan = service.planSave(h, form, 2, sheet, trip);
        service.save(*plan, true);
    }

    int count(const QString &sql) { return env.value(sql).toInt(); }
};

} // namespace

class TripWindowClerksTest : public QObject {
    Q_OBJECT
private slots:
    void headerChangedByAnotherIsNotWrittenBack();
    void ownDeletionLeavesNewState_data();
    void ownDeletionLeavesNewState();
    void changeOrDeletionByAnother_data();
    void changeOrDeletionByAnother();
};

// B changes the driver while A's screen still shows the old one: A's trips are
// saved, the stored driver comes on A's screen, and no save of A writes the
// old driver back.
void TripWindowClerksTest::headerChangedByAnotherIsNotWrittenBack()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.openTrip();
    f.saveAsB(s("IONESCU VASILE"), 1, "100");

    f.type(f.c("nrc"), s("2"));
    f.type(f.c("cat2"), s("50"));
    f.env.messages().answer(true);
    f.save();
    QCOMPARE(f.env.messages().texts(),
             (QStringList{saveQuestion, saved,
                          s(" Antetul foii de parcurs a fost modificat intre timp de alt utilizator. "
                            "Pe ecran sunt acum datele salvate. ")}));
    QCOMPARE(f.c<QComboBox>("sof")->currentText(), s("IONESCU VASILE"));

    f.env.messages().clear();
    f.type(f.c("nrc"), s("3"));
    f.type(f.c("cat2"), s("40"));
    f.env.messages().answer(true);
    f.save();
    QCOMPARE(f.env.messages().texts(), (QStringList{saveQuestion, saved}));
    QCOMPARE(f.count(s("SELECT COUNT(*) FROM curse")), 3);
    QCOMPARE(f.env.value(s("SELECT sofer FROM foaie")).toString(), s("IONESCU VASILE"));
    // B's change is the only one to the header.
    QCOMPARE(f.count(s("SELECT COUNT(*) FROM jurnal WHERE tabela='foaie' AND actiune='modificare'")), 1);

    // A changes the driver now: written over the header as stored.
    f.env.messages().clear();
    f.type(f.c<QComboBox>("sof"), s("POPA DAN"));
    f.type(f.c("nrc"), s("4"));
    f.env.messages().answer(true);
    f.save();
    QCOMPARE(f.env.messages().texts(), (QStringList{saveQuestion, saved}));
    QCOMPARE(f.env.value(s("SELECT sofer FROM foaie")).toString(), s("POPA DAN"));
    QVERIFY(f.env.messages().problems().isEmpty());
}

// The window's own deletion of the trip or sheet on screen leaves it as for
// a new trip or sheet: the next save asks and inserts, with the clerk's edit.
void TripWindowClerksTest::ownDeletionLeavesNewState_data()
{
    QTest::addColumn<QString>("deletion");
    QTest::addColumn<int>("sheets"); // stored after the save
    QTest::newRow("Stergere curse") << s("trip") << 1;
    QTest::newRow("Stergere foi parcurs") << s("sheet") << 1;
    QTest::newRow("a row deleted in the grid") << s("row") << 1;
}

void TripWindowClerksTest::ownDeletionLeavesNewState()
{
    QFETCH(QString, deletion);
    QFETCH(int, sheets);
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.openTrip();
    auto *grid = f.c<QTableView>("DBGrid1");
    if (deletion == s("row")) {
        // The trip loaded from its row, which is then deleted.
        test::doubleClickCell(grid, 0, 2);
        QTRY_COMPARE(f.c("nrc")->text(), s("1"));
        grid->setFocus();
        grid->selectRow(0);
        f.env.messages().answer(true);
        QTest::keyClick(grid, Qt::Key_Delete);
    } else {
        f.env.messages().answer(true);
        QTest::mouseClick(f.c<QPushButton>(deletion == s("trip") ? "Command5" : "Command3"), Qt::LeftButton);
    }
    QCOMPARE(f.count(s("SELECT COUNT(*) FROM curse")), 0);
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(f.c("trs")->text(), s("A - B")); // the trip stays on screen

    f.env.messages().clear();
    f.type(f.c<QComboBox>("sof"), s("IONESCU VASILE"));
    f.type(f.c("nrc"), s("1"));
    f.env.messages().answer(true);
    f.save();
    QCOMPARE(f.env.messages().texts(), (QStringList{saveQuestion, saved}));
    QCOMPARE(f.count(s("SELECT COUNT(*) FROM foaie")), sheets);
    QCOMPARE(f.env.value(s("SELECT sofer FROM foaie WHERE nrf=7")).toString(), s("IONESCU VASILE"));
    QCOMPARE(f.count(s("SELECT COUNT(*) FROM curse c JOIN foaie f ON f.idf=c.idf WHERE f.nrf=7 AND c.nrc=1 "
                       "AND c.traseu='A - B'")),
             1);
    QCOMPARE(grid->model()->rowCount(), 1);
    QVERIFY(f.env.messages().problems().isEmpty());
}

// B changes or deletes what A has on screen. A's save is refused with what
// happened; a deleted record is cleared from the screen, so that A's second
// save is refused too instead of making it again; the focus goes to the
// sheet number, never to "Salvare".
void TripWindowClerksTest::changeOrDeletionByAnother_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<bool>("asked");          // the first save asks before it is refused
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("sheetNumber"); // on A's screen after the refusal
    QTest::addColumn<QString>("tripNumber");
    QTest::addColumn<QString>("second");      // the refusal of the second save; empty: it goes through
    QTest::addColumn<int>("trips");           // stored in the end
    QTest::newRow("sheet deleted") << s("sheet deleted") << false
                                   << s(" Foaia de parcurs a fost stearsa intre timp de alt utilizator !!! ") << QString()
                                   << s("1") << s(" Selectati numarul foii de parcurs !!! ") << 0;
    QTest::newRow("trip deleted") << s("trip deleted") << false << s(" Cursa a fost stearsa intre timp de alt utilizator !!! ")
                                  << s("7") << s("0") << s(" Specificati numarul cursei !!! ") << 0;
    QTest::newRow("trip changed") << s("trip changed") << true
                                  << s(" Datele au fost modificate intre timp de alt utilizator. Reincarcati si reluati "
                                       "modificarea. ")
                                  << s("7") << s("1") << QString() << 1;
}

void TripWindowClerksTest::changeOrDeletionByAnother()
{
    QFETCH(QString, meanwhile);
    QFETCH(bool, asked);
    QFETCH(QString, message);
    QFETCH(QString, sheetNumber);
    QFETCH(QString, tripNumber);
    QFETCH(QString, second);
    QFETCH(int, trips);
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.openTrip();
    TripSheetService clerkB(f.b);
    if (meanwhile == s("sheet deleted"))
        clerkB.deleteSheet(*clerkB.sheets().byId(f.idf));
    else if (meanwhile == s("trip deleted"))
        clerkB.deleteTrip(f.idf, 1);
    else
        f.saveAsB(s("POPA DAN"), 1, "99");
    const int journal = f.count(s("SELECT COUNT(*) FROM jurnal"));

    f.type(f.c("cat2"), s("60"));
    if (asked)
        f.env.messages().answer(true);
    f.save();
    QCOMPARE(f.env.messages().last(), message);
    QCOMPARE(f.env.messages().texts().size(), asked ? 2 : 1);
    QCOMPARE(f.count(s("SELECT COUNT(*) FROM jurnal")), journal);
    QCOMPARE(f.c<QComboBox>("nrfoi")->currentText(), sheetNumber);
    QCOMPARE(f.c("nrc")->text(), tripNumber);
    QTRY_COMPARE(f.focused(), s("nrfoi"));
    if (meanwhile == s("trip changed"))
        QCOMPARE(f.c("cat2")->text(), s("99"));

    f.env.messages().clear();
    if (second.isEmpty())
        f.env.messages().answer(true);
    f.save();
    if (!second.isEmpty())
        QCOMPARE(f.env.messages().texts(), QStringList{second});
    QCOMPARE(f.count(s("SELECT COUNT(*) FROM foaie")), meanwhile == s("sheet deleted") ? 0 : 1);
    QCOMPARE(f.count(s("SELECT COUNT(*) FROM curse")), trips);
    QVERIFY(f.env.messages().problems().isEmpty());
}

QTEST_MAIN(TripWindowClerksTest)
#include "tst_tripwindowclerks.moc"
