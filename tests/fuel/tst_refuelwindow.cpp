#include "base/calendar.h"
#include "fuel/refuelwindow.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace vok;

namespace {

const QString noVehicle = QStringLiteral(" Selectati numarul de inmatriculare !!! ");
const QString noSheet = QStringLiteral(" Selectati numarul foii de parcurs !!! ");
const QString noQuantity = QStringLiteral(" Specificati cantitatea !!! ");
const QString question = QStringLiteral(" Sigur doriti salvarea datelor !!! ");
const QString saved = QStringLiteral(" Datele au fost salvate ");

int thisYear() { return QDate::currentDate().year(); }

// A window on a data folder with two vehicles and a few sheets in March and
// April of this year.
struct Fixture {
    test::TestEnvironment env;
    RefuelWindow *window = nullptr;

    Fixture()
    {
        env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('B-10-ABC', 'Dacia Logan')"));
        env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('CJ-20-XYZ', 'Iveco Daily')"));
        env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca, apar) VALUES ('HIDDEN-1', 'x', 0)"));
        sheet(1, 101, 3, QStringLiteral("02.03"));
        sheet(1, 102, 3, QStringLiteral("09.03"));
        sheet(1, 103, 4, QStringLiteral("01.04"));
        sheet(2, 101, 3, QStringLiteral("03.03"));
        window = new RefuelWindow(env.context());
    }
    ~Fixture() { delete window; }

    void sheet(int ida, int nrf, int month, const QString &day)
    {
        env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, anul, idl, data) VALUES (?, ?, ?, ?, ?)"),
                {nrf, ida, thisYear(), month, day + u'.' + QString::number(thisYear())});
    }

    template <typename T> T *c(const char *name) { return test::child<T>(window, QString::fromLatin1(name)); }
    QLineEdit *box(const char *name) { return c<QLineEdit>(name); }

    // Chooses an entry of a list as the clerk does: entering the list, then
    // picking the entry.
    bool choose(const char *list, const QString &text)
    {
        QComboBox *combo = c<QComboBox>(list);
        combo->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        const int index = combo->findText(text);
        if (index < 0)
            return false;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return true;
    }
    void month(int m) { c<QComboBox>("luna")->setCurrentIndex(m - 1); }
    void open(const QString &vehicle, int m, int nrf)
    {
        QVERIFY(choose("nra", vehicle));
        month(m);
        QVERIFY(choose("nrfoi", QString::number(nrf)));
    }
    void click(const char *button) { QTest::mouseClick(c<QPushButton>(button), Qt::LeftButton); }
    QVariant column(const QString &col, int ida, int nrf)
    {
        return env.value(QStringLiteral("SELECT ") + col + QStringLiteral(" FROM foaie WHERE ida=? AND nrf=?"),
                         {ida, nrf});
    }
};

} // namespace

class RefuelWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithItsControls();
    void sheetListOffersOnlyTheMonthsSheets();
    void enteringSheetListWithoutVehicle();
    void realMessageBoxAsksOnce();
    void saveNeedsVehicleAndSheet();
    void gasThenPetrolMovesTheQuantity();
    void chosenTypeWithZeroIsRefused();
    void untickingOilEmptiesItsDocument();
    void nothingOfThePreviousSheetStays();
    void anotherVehicleOrMonthForgetsTheSheet();
    void saveRefusesWhatTheBoxesWouldRefuse();
    void reportsKeepTheChoices();
    void reportWithoutVehicle();
    void oilChangeAloneAfterAFuelSheet();
    void fuelOnTheWrongSheetIsTakenOff();
    void anotherClerksRefuellingIsNotOverwritten();
};

void RefuelWindowTest::opensWithItsControls()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    QCOMPARE(f.window->objectName(), QStringLiteral("alim"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Alimentare carburant, ulei "));
    QComboBox *an = f.c<QComboBox>("an");
    QCOMPARE(an->itemText(0), QStringLiteral("2006"));
    QCOMPARE(an->currentText(), QString::number(thisYear()));
    QCOMPARE(an->itemText(an->count() - 1), QString::number(thisYear()));
    QComboBox *luna = f.c<QComboBox>("luna");
    QCOMPARE(luna->count(), 12);
    QCOMPARE(luna->currentIndex(), QDate::currentDate().month() - 1);
    QCOMPARE(f.c<QPushButton>("Command2")->text(), QStringLiteral("Raport ") + monthName(QDate::currentDate().month()));
    QCOMPARE(f.c<QPushButton>("Command4")->text(), QStringLiteral("Raport ") + QString::number(thisYear()));
    f.month(3);
    QCOMPARE(f.c<QPushButton>("Command2")->text(), QStringLiteral("Raport martie"));
    an->setCurrentIndex(0);
    QCOMPARE(f.c<QPushButton>("Command4")->text(), QStringLiteral("Raport 2006"));
    QCOMPARE(f.c<QPushButton>("Command1")->text(), QStringLiteral("Salvare"));
    QCOMPARE(f.c<QPushButton>("Command3")->text(), QStringLiteral("Iesire"));
    QCOMPARE(f.c<QRadioButton>("bm")->text(), QStringLiteral("benzina, motorina"));
    QCOMPARE(f.c<QRadioButton>("gz")->text(), QStringLiteral("gaz"));
    QVERIFY(!f.c<QRadioButton>("bm")->isChecked() && !f.c<QRadioButton>("gz")->isChecked());
    QCOMPARE(f.box("cantc")->text(), QStringLiteral("0.000"));
    QCOMPARE(f.box("cantu1")->text(), QStringLiteral("0.00"));
    QCOMPARE(f.box("rstc")->text(), QStringLiteral("0.000"));
    QVERIFY(!f.box("actschu")->isEnabled() && !f.box("actschf")->isEnabled());
    QVERIFY(!f.c<QComboBox>("nrfoi")->isEditable());

    // Vehicles taken out are not offered; choosing one shows its make.
    QComboBox *nra = f.c<QComboBox>("nra");
    nra->setFocus();
    QCOMPARE(nra->count(), 2);
    QVERIFY(f.choose("nra", QStringLiteral("CJ-20-XYZ")));
    QCOMPARE(f.c<QLabel>("tip")->text(), QStringLiteral("Marca si tipul : Iveco Daily"));
    QVERIFY(f.window->vehicleId() == 2);

    // Leaving a numeric box applies its mask.
    QLineEdit *cantc = f.box("cantc");
    cantc->setFocus();
    cantc->setText(QStringLiteral("12.3456"));
    f.box("actc")->setFocus();
    QTRY_COMPARE(cantc->text(), QStringLiteral("12.346"));
    QVERIFY(f.env.messages().texts().isEmpty());
}

void RefuelWindowTest::sheetListOffersOnlyTheMonthsSheets()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    QVERIFY(f.choose("nra", QStringLiteral("B-10-ABC")));
    f.month(3);
    QComboBox *nrfoi = f.c<QComboBox>("nrfoi");
    nrfoi->setFocus();
    QStringList offered;
    for (int i = 0; i < nrfoi->count(); ++i)
        offered << nrfoi->itemText(i);
    QCOMPARE(offered, (QStringList{QStringLiteral("101"), QStringLiteral("102")}));
    QVERIFY(f.choose("nrfoi", QStringLiteral("102")));
    QCOMPARE(f.c<QLabel>("dataf")->text(), QStringLiteral("09.03.") + QString::number(thisYear()));
    QCOMPARE(f.window->sheetId(), f.column(QStringLiteral("idf"), 1, 102).toInt());
    QVERIFY(f.env.messages().texts().isEmpty());
}

void RefuelWindowTest::enteringSheetListWithoutVehicle()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.box("cantc")->setFocus();
    f.c<QComboBox>("nrfoi")->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(f.env.messages().texts(), QStringList{noVehicle});
    QTRY_VERIFY(f.c<QComboBox>("nra")->hasFocus());
    QCOMPARE(f.c<QComboBox>("nrfoi")->count(), 0);
    QTest::qWait(50);
    QCOMPARE(f.env.messages().texts().size(), 1);
}

// The fake message service never takes the activation from the window; a real
// message box does, and the window must not ask again when it gets it back.
void RefuelWindowTest::realMessageBoxAsksOnce()
{
    test::TestEnvironment env;
    QtMessageService messages;
    WindowContext context = env.context();
    context.messages = &messages;
    RefuelWindow window(context);
    QVERIFY(test::showActive(&window));

    QStringList shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &window, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown << box->text();
            box->accept();
        }
    });
    closer.start(20);
    window.findChild<QComboBox *>(QStringLiteral("nrfoi"))->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(shown, QStringList{noVehicle});
    QTRY_VERIFY(window.findChild<QComboBox *>(QStringLiteral("nra"))->hasFocus());
    QTest::qWait(200);
    QCOMPARE(shown, QStringList{noVehicle});
}

void RefuelWindowTest::saveNeedsVehicleAndSheet()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), QStringList{noVehicle});
    QTRY_VERIFY(f.c<QComboBox>("nra")->hasFocus());
    f.env.messages().clear();
    QVERIFY(f.choose("nra", QStringLiteral("B-10-ABC")));
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), QStringList{noSheet});
    QTRY_VERIFY(f.c<QComboBox>("nrfoi")->hasFocus());
    QVERIFY(f.env.messages().problems().isEmpty());
}

void RefuelWindowTest::gasThenPetrolMovesTheQuantity()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.open(QStringLiteral("B-10-ABC"), 3, 101);
    f.c<QRadioButton>("gz")->setChecked(true);
    f.box("cantc")->setText(QStringLiteral("40.000"));
    f.box("actc")->setText(QStringLiteral("BF 77/02.03"));
    f.env.messages().answer(true);
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), (QStringList{question, saved}));
    QCOMPARE(f.column(QStringLiteral("bm"), 1, 101).toDouble(), 0.0);
    QCOMPARE(f.column(QStringLiteral("gz"), 1, 101).toDouble(), 40.0);
    QCOMPARE(f.column(QStringLiteral("nractc"), 1, 101).toString(), QStringLiteral("BF 77/02.03"));
    // The fields keep their values after a save.
    QCOMPARE(f.box("cantc")->text(), QStringLiteral("40.000"));

    f.c<QRadioButton>("bm")->setChecked(true);
    f.env.messages().answer(true);
    f.click("Command1");
    QCOMPARE(f.column(QStringLiteral("bm"), 1, 101).toDouble(), 40.0);
    QCOMPARE(f.column(QStringLiteral("gz"), 1, 101).toDouble(), 0.0);
    // The other sheets are untouched.
    QCOMPARE(f.env.value(QStringLiteral("SELECT SUM(bm) + SUM(gz) FROM foaie WHERE NOT (ida=1 AND nrf=101)"))
                 .toDouble(), 0.0);
    QVERIFY(f.env.messages().problems().isEmpty());
}

// Another clerk stores the sheet's refuelling meanwhile: "Salvare" refuses,
// writes nothing, and shows what the other clerk stored.
void RefuelWindowTest::anotherClerksRefuellingIsNotOverwritten()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.open(QStringLiteral("B-10-ABC"), 3, 102);
    f.env.sql(QStringLiteral("UPDATE foaie SET um=4, versiunealim=versiunealim+1 WHERE ida=1 AND nrf=102"));
    test::type(f.box("cantu1"), QStringLiteral("1.50"));
    f.env.messages().answer(true);
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(),
             (QStringList{question, QStringLiteral(" Datele au fost modificate intre timp de alt utilizator. "
                                                   "Reincarcati si reluati modificarea. ")}));
    QCOMPARE(f.column(QStringLiteral("um"), 1, 102).toDouble(), 4.0);
    QCOMPARE(f.box("cantu1")->text(), QStringLiteral("4.00"));

    // Reloaded, the clerk's save goes through, and again after it.
    for (const char *oil : {"5.00", "6.00"}) {
        f.env.messages().clear();
        test::type(f.box("cantu1"), QString::fromLatin1(oil));
        f.env.messages().answer(true);
        f.click("Command1");
        QCOMPARE(f.env.messages().texts(), (QStringList{question, saved}));
        QCOMPARE(f.column(QStringLiteral("um"), 1, 102).toDouble(), QString::fromLatin1(oil).toDouble());
    }
    QCOMPARE(f.env.value(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE fereastra='alim'")).toInt(), 2);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void RefuelWindowTest::chosenTypeWithZeroIsRefused()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.open(QStringLiteral("B-10-ABC"), 3, 101);
    f.c<QRadioButton>("bm")->setChecked(true);
    f.box("cantu1")->setText(QStringLiteral("2.00"));   // only oil was meant
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), QStringList{noQuantity});
    QTRY_VERIFY(f.box("cantc")->hasFocus());
    QCOMPARE(f.column(QStringLiteral("um"), 1, 101).toDouble(), 0.0);

    // Declining the question writes nothing either.
    f.env.messages().clear();
    f.box("cantc")->setText(QStringLiteral("5.000"));
    f.env.messages().answer(false);
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), QStringList{question});
    QCOMPARE(f.column(QStringLiteral("bm"), 1, 101).toDouble(), 0.0);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void RefuelWindowTest::untickingOilEmptiesItsDocument()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.env.sql(QStringLiteral("UPDATE foaie SET schu=1, nractschu='SU 5', schf=1, nractschf='SF 6' "
                             "WHERE ida=1 AND nrf=101"));
    f.open(QStringLiteral("B-10-ABC"), 3, 101);
    QVERIFY(f.c<QCheckBox>("schu")->isChecked());
    QCOMPARE(f.box("actschu")->text(), QStringLiteral("SU 5"));
    QVERIFY(f.box("actschu")->isEnabled());
    QCOMPARE(f.box("actschf")->text(), QStringLiteral("SF 6"));

    f.c<QCheckBox>("schu")->setChecked(false);
    QCOMPARE(f.box("actschu")->text(), QString());
    QVERIFY(!f.box("actschu")->isEnabled());
    f.env.messages().answer(true);
    f.click("Command1");
    QCOMPARE(f.column(QStringLiteral("schu"), 1, 101).toInt(), 0);
    QCOMPARE(f.column(QStringLiteral("nractschu"), 1, 101).toString(), QString());
    QCOMPARE(f.column(QStringLiteral("schf"), 1, 101).toInt(), 1);
    QCOMPARE(f.column(QStringLiteral("nractschf"), 1, 101).toString(), QStringLiteral("SF 6"));
    QVERIFY(f.env.messages().problems().isEmpty());
}

void RefuelWindowTest::nothingOfThePreviousSheetStays()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.env.sql(QStringLiteral("UPDATE foaie SET bm=30, nractc='BF 1', um=1, nractu1='U1', ut=2, nractu2='U2', "
                             "ua=3, nractu3='U3', schu=1, nractschu='SU', schf=1, nractschf='SF', restit=4, "
                             "nractrst='R' WHERE ida=1 AND nrf=101"));
    f.open(QStringLiteral("B-10-ABC"), 3, 101);
    QCOMPARE(f.box("cantc")->text(), QStringLiteral("30.000"));
    QCOMPARE(f.box("cantu2")->text(), QStringLiteral("2.00"));
    QCOMPARE(f.box("rstc")->text(), QStringLiteral("4.000"));
    QCOMPARE(f.box("actrst")->text(), QStringLiteral("R"));

    QVERIFY(f.choose("nrfoi", QStringLiteral("102")));
    QCOMPARE(f.c<QLabel>("dataf")->text(), QStringLiteral("09.03.") + QString::number(thisYear()));
    for (const char *name : {"actc", "actu1", "actu2", "actu3", "actschu", "actschf", "actrst"})
        QVERIFY2(f.box(name)->text().isEmpty(), name);
    QCOMPARE(f.box("cantc")->text(), QStringLiteral("0.000"));
    QCOMPARE(f.box("cantu1")->text(), QStringLiteral("0.00"));
    QCOMPARE(f.box("cantu3")->text(), QStringLiteral("0.00"));
    QCOMPARE(f.box("rstc")->text(), QStringLiteral("0.000"));
    QVERIFY(!f.c<QCheckBox>("schu")->isChecked() && !f.c<QCheckBox>("schf")->isChecked());
    // A sheet with no fuel shows no fuel type either.
    QVERIFY(!f.c<QRadioButton>("bm")->isChecked() && !f.c<QRadioButton>("gz")->isChecked());
}

void RefuelWindowTest::anotherVehicleOrMonthForgetsTheSheet()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.env.sql(QStringLiteral("UPDATE foaie SET bm=30, nractc='BF 1' WHERE ida=1 AND nrf=101"));

    // Another month: the sheet of March is no longer on screen, and a save
    // cannot write into it.
    f.open(QStringLiteral("B-10-ABC"), 3, 101);
    f.box("cantc")->setText(QStringLiteral("99.000"));
    f.month(4);
    QCOMPARE(f.window->sheetId(), 0);
    QCOMPARE(f.c<QComboBox>("nrfoi")->currentText(), QString());
    QCOMPARE(f.box("cantc")->text(), QStringLiteral("0.000"));
    QCOMPARE(f.box("actc")->text(), QString());
    QCOMPARE(f.c<QLabel>("dataf")->text(), QString());
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), QStringList{noSheet});
    QCOMPARE(f.column(QStringLiteral("bm"), 1, 101).toDouble(), 30.0);

    // Another vehicle: its own sheet 101 is not the first vehicle's.
    f.env.messages().clear();
    f.month(3);
    QVERIFY(f.choose("nrfoi", QStringLiteral("101")));
    QVERIFY(f.window->sheetId() != 0);
    QVERIFY(f.choose("nra", QStringLiteral("CJ-20-XYZ")));
    QCOMPARE(f.window->sheetId(), 0);
    QCOMPARE(f.box("cantc")->text(), QStringLiteral("0.000"));
    QVERIFY(!f.c<QRadioButton>("bm")->isChecked());
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), QStringList{noSheet});

    // Choosing the same vehicle again keeps the sheet.
    f.env.messages().clear();
    QVERIFY(f.choose("nrfoi", QStringLiteral("101")));
    const int idf = f.window->sheetId();
    QCOMPARE(idf, f.column(QStringLiteral("idf"), 2, 101).toInt());
    QVERIFY(f.choose("nra", QStringLiteral("CJ-20-XYZ")));
    QCOMPARE(f.window->sheetId(), idf);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void RefuelWindowTest::saveRefusesWhatTheBoxesWouldRefuse()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.open(QStringLiteral("B-10-ABC"), 3, 101);
    f.box("cantu2")->setText(QStringLiteral("abc"));
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), QStringList{QStringLiteral("Introduceti doar numere !")});
    QTRY_VERIFY(f.box("cantu2")->hasFocus());

    f.env.messages().clear();
    f.box("cantu2")->setText(QStringLiteral("1.00"));
    f.box("actu3")->setText(QStringLiteral("O'Neil"));
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! ")});
    QTRY_VERIFY(f.box("actu3")->hasFocus());
    QCOMPARE(f.column(QStringLiteral("ut"), 1, 101).toDouble(), 0.0);

    // A tank level saved before its box is left (the button pressed without
    // taking the focus).
    f.env.messages().clear();
    test::type(f.box("actu3"), QStringLiteral("BU 3"));
    test::type(f.box("rezsosire"), QStringLiteral("-2"));
    f.c<QPushButton>("Command1")->click();
    QCOMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Cantitatea nu poate fi negativa !!! ")});
    QTRY_VERIFY(f.box("rezsosire")->hasFocus());
    QCOMPARE(f.box("rezsosire")->text(), QStringLiteral("-2"));
    QVERIFY(f.column(QStringLiteral("rezsosire"), 1, 101).isNull());
    QCOMPARE(f.column(QStringLiteral("nractu3"), 1, 101).toString(), QString());
    QVERIFY(f.env.messages().problems().isEmpty());
}

void RefuelWindowTest::reportsKeepTheChoices()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    QVERIFY(f.choose("nra", QStringLiteral("CJ-20-XYZ")));
    f.month(3);
    f.click("Command2");
    f.click("Command4");
    const QList<ReportRequest> &requests = f.env.reports().requests;
    QCOMPARE(requests.size(), 2);
    const QString year = QString::number(thisYear());
    const QString received = QStringLiteral(" and ({foaie.bm}>0 or {foaie.gz}>0 or {foaie.um}>0 or "
                                            "{foaie.ut}>0 or {foaie.ua}>0 or {foaie.restit}>0)");
    QCOMPARE(requests[0].reportFile, QStringLiteral("rapalimluna.rpt"));
    QCOMPARE(requests[0].dataFile, f.env.context().dataFile);
    QCOMPARE(requests[0].selection,
             QStringLiteral("{foaie.anul}=") + year + QStringLiteral(" and {foaie.idl}=3 and {foaie.ida}=2") + received);
    QCOMPARE(requests[1].reportFile, QStringLiteral("rapaliman.rpt"));
    QCOMPARE(requests[1].dataFile, f.env.context().dataFile);
    QCOMPARE(requests[1].selection, QStringLiteral("{foaie.anul}=") + year + QStringLiteral(" and {foaie.ida}=2") + received);

    // The window keeps its vehicle, year and month, and a third report needs no reopening.
    QCOMPARE(f.c<QComboBox>("nra")->currentText(), QStringLiteral("CJ-20-XYZ"));
    QCOMPARE(f.c<QComboBox>("an")->currentText(), year);
    QCOMPARE(f.c<QComboBox>("luna")->currentText(), QStringLiteral("martie"));
    QCOMPARE(f.c<QLabel>("tip")->text(), QStringLiteral("Marca si tipul : Iveco Daily"));
    f.click("Command2");
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[2].selection, requests[0].selection);
    QVERIFY(f.window->isVisible());
    QVERIFY(f.env.messages().texts().isEmpty());
}

void RefuelWindowTest::reportWithoutVehicle()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.click("Command2");
    f.click("Command4");
    QCOMPARE(f.env.messages().texts(), (QStringList{noVehicle, noVehicle}));
    QVERIFY(f.env.reports().requests.isEmpty());
    QTRY_VERIFY(f.c<QComboBox>("nra")->hasFocus());
}

// An oil change alone, typed after a sheet with fuel, saves without asking
// for a fuel quantity.
void RefuelWindowTest::oilChangeAloneAfterAFuelSheet()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.env.sql(QStringLiteral("UPDATE foaie SET bm=30, nractc='BF 1' WHERE ida=1 AND nrf=101"));
    f.open(QStringLiteral("B-10-ABC"), 3, 101);
    QVERIFY(f.c<QRadioButton>("bm")->isChecked());
    QVERIFY(f.choose("nrfoi", QStringLiteral("102")));
    QTest::mouseClick(f.c<QCheckBox>("schu"), Qt::LeftButton);
    test::type(f.box("actschu"), QStringLiteral("SU 7"));
    f.env.messages().answer(true);
    f.click("Command1");
    QCOMPARE(f.env.messages().texts(), (QStringList{question, saved}));
    QCOMPARE(f.column(QStringLiteral("schu"), 1, 102).toInt(), 1);
    QCOMPARE(f.column(QStringLiteral("bm + gz"), 1, 102).toDouble(), 0.0);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void RefuelWindowTest::fuelOnTheWrongSheetIsTakenOff()
{
    Fixture f;
    QVERIFY(test::showActive(f.window));
    f.env.sql(QStringLiteral("UPDATE foaie SET gz=40, nractc='BF 9', um=1.5 WHERE ida=1 AND nrf=101"));
    QPushButton *clear = f.c<QPushButton>("Command5");
    QCOMPARE(clear->text(), QStringLiteral("Stergere combustibil"));
    f.click("Command5");
    QCOMPARE(f.env.messages().texts(), QStringList{noVehicle});

    f.open(QStringLiteral("B-10-ABC"), 3, 101);
    f.env.messages().clear();
    f.env.messages().answer(false);
    f.click("Command5");
    const auto &asked = f.env.messages().messages();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().text, QStringLiteral(" Sunteti sigur ca doriti stergerea alimentarii cu combustibil a "
                                                 "foii de parcurs cu numarul ,,101'' ?"));
    QVERIFY(asked.first().noByDefault); // Enter never deletes
    QCOMPARE(f.column(QStringLiteral("gz"), 1, 101).toDouble(), 40.0);

    f.env.messages().clear();
    f.env.messages().answer(true);
    f.click("Command5");
    QCOMPARE(f.env.messages().last(), QStringLiteral(" Stergerea a fost executata "));
    QCOMPARE(f.column(QStringLiteral("bm + gz"), 1, 101).toDouble(), 0.0);
    QCOMPARE(f.column(QStringLiteral("nractc"), 1, 101).toString(), QString());
    QCOMPARE(f.column(QStringLiteral("um"), 1, 101).toDouble(), 1.5);
    QVERIFY(!f.c<QRadioButton>("bm")->isChecked() && !f.c<QRadioButton>("gz")->isChecked());
    QCOMPARE(f.box("cantc")->text(), QStringLiteral("0.000"));
    QCOMPARE(f.box("actc")->text(), QString());
    // The oil stays, and a save now passes without a quantity.
    f.env.messages().clear();
    f.env.messages().answer(true);
    f.click("Command1");
    QCOMPARE(f.env.messages().last(), saved);
    QCOMPARE(f.column(QStringLiteral("um"), 1, 101).toDouble(), 1.5);
    QVERIFY(f.env.messages().problems().isEmpty());
}

QTEST_MAIN(RefuelWindowTest)
#include "tst_refuelwindow.moc"
