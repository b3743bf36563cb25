#include "fleet/referencestore.h"
#include "fleet/uleiwindow.h"
#include "fleet/vehiclestore.h"
#include "fleet/vehiclewindow.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace vok;
using test::child;

namespace {

QString saved() { return QStringLiteral("Datele au fost salvate"); }
QString saveQuestion() { return QStringLiteral(" Sunteti sigur ca doriti salvarea datelor ? "); }

// The vehicle window over a fresh database with three installations.
struct Fixture {
    test::TestEnvironment env;
    std::unique_ptr<VehicleWindow> window;

    Fixture()
    {
        const ReferenceImport installations = readReferenceCsv(
            QStringLiteral("sporI"), "nri,fel_auto,fel_prest,fel_prest2,sporkm\n0,Autobasculante,cursa,a,0.5\n"
                                     "0,Autocisterne,cursa,b,1\n0,Automacarale,ora,c,5\n0,Autoscari,ora,d,4\n");
        ReferenceStore(env.db()).replaceAll(QStringLiteral("sporI"), installations.rows);
        window = std::make_unique<VehicleWindow>(env.context());
    }

    template <typename T> T *get(const char *name) { return child<T>(window.get(), QString::fromLatin1(name)); }
    QComboBox *nrauto() { return get<QComboBox>("nrauto"); }
    QComboBox *marca() { return get<QComboBox>("marca"); }
    QLineEdit *box(const char *name) { return get<QLineEdit>(name); }
    QPushButton *button(const char *name) { return get<QPushButton>(name); }

    int vehicle(const QString &number, const QString &make, int apar = 1)
    {
        env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod, apar) "
                               "VALUES (?, ?, 1, 3, 25, 1.5, 18, 1.25, 2, 3, ?)"),
                {number, make, apar});
        const int ida = env.value(QStringLiteral("SELECT ida FROM auto WHERE nrauto=?"), {number}).toInt();
        env.sql(QStringLiteral("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (?, 30, 25, 20, 1)"), {ida});
        return ida;
    }

    // The clerk moves on to another control with the keyboard.
    void leave(QWidget *from, QWidget *to)
    {
        from->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        to->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QTest::qWait(20);
    }

    void typeNumber(const QString &number)
    {
        nrauto()->setEditText(number);
        leave(nrauto(), marca());
    }

    // Every box a save checks, filled with acceptable values.
    void fill(const QString &number, const QString &make)
    {
        typeNumber(number);
        marca()->setEditText(make);
        box("Cm1")->setText(QStringLiteral("30.5"));
        box("Cm2")->setText(QStringLiteral("25.25"));
        box("Cm3")->setText(QStringLiteral("20"));
        box("Cb")->setText(QStringLiteral("18"));
        box("Cf")->setText(QStringLiteral("1.5"));
        box("Ca")->setText(QStringLiteral("1.2"));
    }

    QVariant db(const QString &sql, const QVariantList &values = {}) { return env.value(sql, values); }
};

} // namespace

class VehicleWindowTest : public QObject {
    Q_OBJECT
private slots:
    void anotherClerksVehicleIsNotOverwritten();
    void opensWithDefaults();
    void shortInstallationList();
    void listsRefreshedOnEntry();
    void hiddenVehicleLoadsByTyping();
    void pickingFromListDoesNotRemember();
    void pickingWithTheMouse();
    void unknownNumberKeepsBoxes();
    void missingConsumptionKeepsBoxes();
    void savesNewVehicleAndResets();
    void savingExistingNumberUpdates();
    void zeroRefusedNegativeAccepted_data();
    void zeroRefusedNegativeAccepted();
    void refusedNumberAndMake_data();
    void refusedNumberAndMake();
    void declinedSaveWritesNothing();
    void leavingBoxesChecksThem();
    void numberLengthWarnedWhileTyping();
    void deletion();
    void deletionRefusedWithSheets();
    void deletionOnlyOfTheNumberShown();
    void uleiDoubleClickFillsOilBoxes();
    void utilityButtonsOpenReferenceWindows();
    void realMessageBoxGivesFocusBack();
    void threeVehiclesRegisteredChangedDeleted();
    void typedNumberAndMakeAreNotCompleted();
};

// Picks an entry of a list through its popup: a click on the arrow opens it
// (entering the list refills it), a click on the entry picks it.
static void pickWithMouse(QComboBox *list, const QString &entry)
{
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(list->width() - 6, list->height() / 2));
    QAbstractItemView *view = list->view();
    QTRY_VERIFY(view->isVisible());
    QTest::qWait(50);
    const QModelIndexList found = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, entry, 1,
                                                       Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(entry));
    const QPoint at = view->visualRect(found.first()).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->isVisible());
}

void VehicleWindowTest::pickingWithTheMouse()
{
    Fixture f;
    f.vehicle(QStringLiteral("B-01-AAA"), QStringLiteral("ROMAN 10215"));
    f.vehicle(QStringLiteral("B-02-BBB"), QStringLiteral("DACIA 1310"));
    QVERIFY(test::showActive(f.window.get()));
    pickWithMouse(f.nrauto(), QStringLiteral("B-02-BBB"));
    QTRY_COMPARE(f.nrauto()->currentText(), QStringLiteral("B-02-BBB"));
    QTRY_COMPARE(f.marca()->currentText(), QStringLiteral("DACIA 1310"));
    pickWithMouse(f.marca(), QStringLiteral("ROMAN 10215"));
    QTRY_COMPARE(f.marca()->currentText(), QStringLiteral("ROMAN 10215"));
    QVERIFY(f.env.messages().texts().isEmpty());
}

void VehicleWindowTest::opensWithDefaults()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    QCOMPARE(f.window->objectName(), QStringLiteral("auto"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Setari date auto"));
    QVERIFY(f.get<QRadioButton>("for2")->isChecked());
    QVERIFY(f.get<QRadioButton>("c2")->isChecked());
    QCOMPARE(f.get<QComboBox>("motorcp")->currentText(), QStringLiteral("pana la 150 CP"));
    QCOMPARE(f.box("Cm1")->text(), QStringLiteral("0.000"));
    QCOMPARE(f.box("Ca")->text(), QStringLiteral("0.000"));
    QCOMPARE(f.box("Cb")->text(), QStringLiteral("0.00"));
    auto *list = f.get<QComboBox>("listinstal");
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->itemText(0), QStringLiteral("Autobasculante"));
    QVERIFY(!list->isEnabled());
    QCOMPARE(list->currentIndex(), -1);
    QVERIFY(!f.get<QComboBox>("listaerod")->isEnabled());
    // Ticking enables the lists with the third installation and the first class chosen.
    f.get<QCheckBox>("spec")->click();
    QVERIFY(list->isEnabled());
    QCOMPARE(list->currentIndex(), 2);
    f.get<QCheckBox>("aero")->click();
    QCOMPARE(f.get<QComboBox>("listaerod")->currentIndex(), 0);
    f.get<QCheckBox>("spec")->click();
    QVERIFY(!list->isEnabled());
    QCOMPARE(list->currentIndex(), -1);
    QVERIFY(f.env.messages().texts().isEmpty());
}

void VehicleWindowTest::shortInstallationList()
{
    // Fewer than three installations: ticking offers the last one, none at all offers nothing.
    test::TestEnvironment env;
    const ReferenceImport one =
        readReferenceCsv(QStringLiteral("sporI"), "nri,fel_auto,fel_prest,fel_prest2,sporkm\n1,Autocisterne,ora,b,4\n");
    ReferenceStore(env.db()).replaceAll(QStringLiteral("sporI"), one.rows);
    {
        VehicleWindow window(env.context());
        child<QCheckBox>(&window, QStringLiteral("spec"))->click();
        QCOMPARE(child<QComboBox>(&window, QStringLiteral("listinstal"))->currentIndex(), 0);
    }
    env.sql(QStringLiteral("DELETE FROM sporI"));
    VehicleWindow window(env.context());
    child<QCheckBox>(&window, QStringLiteral("spec"))->click();
    QCOMPARE(child<QComboBox>(&window, QStringLiteral("listinstal"))->currentIndex(), -1);
}

void VehicleWindowTest::listsRefreshedOnEntry()
{
    Fixture f;
    f.vehicle(QStringLiteral("B-2"), QStringLiteral("ROMAN"));
    f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    f.vehicle(QStringLiteral("B-3"), QStringLiteral("ROMAN"), 0);
    QVERIFY(test::showActive(f.window.get()));
    f.leave(f.nrauto(), f.marca());
    QStringList items;
    for (int i = 0; i < f.nrauto()->count(); ++i)
        items << f.nrauto()->itemText(i);
    QCOMPARE(items, (QStringList{QStringLiteral("B-1"), QStringLiteral("B-2")}));
    // A vehicle hidden meanwhile is gone at the next entry.
    f.env.sql(QStringLiteral("UPDATE auto SET apar=0 WHERE nrauto='B-2'"));
    f.leave(f.nrauto(), f.marca());
    QCOMPARE(f.nrauto()->count(), 1);
    // Makes: each once, however often the box is entered.
    f.leave(f.box("Cm1"), f.marca());
    f.leave(f.box("Cm1"), f.marca());
    QCOMPARE(f.marca()->count(), 2);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::hiddenVehicleLoadsByTyping()
{
    Fixture f;
    const int ida = f.vehicle(QStringLiteral("B-3"), QStringLiteral("ROMAN 10.215"), 0);
    QVERIFY(test::showActive(f.window.get()));
    f.typeNumber(QStringLiteral("B-3"));
    QTRY_COMPARE(f.window->rememberedVehicle(), ida);
    QCOMPARE(f.marca()->currentText(), QStringLiteral("ROMAN 10.215"));
    QVERIFY(f.get<QRadioButton>("for1")->isChecked());
    QCOMPARE(f.get<QComboBox>("motorcp")->currentIndex(), 2);
    QCOMPARE(f.box("Cb")->text(), QStringLiteral("18"));
    QCOMPARE(f.box("Cf")->text(), QStringLiteral("1.25"));
    QCOMPARE(f.box("Cm1")->text(), QStringLiteral("30"));
    QVERIFY(f.get<QRadioButton>("c1")->isChecked());
    QVERIFY(f.get<QCheckBox>("spec")->isChecked());
    QCOMPARE(f.get<QComboBox>("listinstal")->currentIndex(), 1);
    QCOMPARE(f.get<QComboBox>("listaerod")->currentIndex(), 2);
    QVERIFY(f.env.messages().texts().isEmpty());
}

void VehicleWindowTest::pickingFromListDoesNotRemember()
{
    Fixture f;
    f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    QVERIFY(test::showActive(f.window.get()));
    f.leave(f.marca(), f.nrauto());
    QCOMPARE(f.nrauto()->count(), 1);
    emit f.nrauto()->textActivated(QStringLiteral("B-1"));
    QCOMPARE(f.marca()->currentText(), QStringLiteral("DACIA"));
    QCOMPARE(f.window->rememberedVehicle(), 0);
}

void VehicleWindowTest::unknownNumberKeepsBoxes()
{
    Fixture f;
    f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    QVERIFY(test::showActive(f.window.get()));
    f.typeNumber(QStringLiteral("B-1"));
    QTRY_VERIFY(f.window->rememberedVehicle() > 0);
    f.typeNumber(QStringLiteral("B-99"));
    QTRY_COMPARE(f.window->rememberedVehicle(), 0);
    QCOMPARE(f.marca()->currentText(), QStringLiteral("DACIA"));
    QCOMPARE(f.box("Cb")->text(), QStringLiteral("18"));
    // Saving now registers the new number with what the boxes show.
    f.env.messages().answer(true);
    f.button("Command1")->click();
    QCOMPARE(f.env.messages().last(), saved());
    QCOMPARE(f.db(QStringLiteral("SELECT marca FROM auto WHERE nrauto='B-99'")).toString(), QStringLiteral("DACIA"));
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 2);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::missingConsumptionKeepsBoxes()
{
    Fixture f;
    const int ida = f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    f.env.sql(QStringLiteral("DELETE FROM consum WHERE ida=?"), {ida});
    f.env.sql(QStringLiteral("UPDATE auto SET Ispec=0, Iaerod=0 WHERE ida=?"), {ida});
    QVERIFY(test::showActive(f.window.get()));
    f.box("Cm2")->setText(QStringLiteral("11.000"));
    f.get<QRadioButton>("c3")->setChecked(true);
    f.get<QCheckBox>("spec")->setChecked(true);
    f.typeNumber(QStringLiteral("B-1"));
    QTRY_COMPARE(f.window->rememberedVehicle(), ida);
    QCOMPARE(f.box("Cm2")->text(), QStringLiteral("11.000"));
    QVERIFY(f.get<QRadioButton>("c3")->isChecked());
    // Ispec = 0: the list is disabled with nothing chosen.
    QVERIFY(!f.get<QCheckBox>("spec")->isChecked());
    QVERIFY(!f.get<QComboBox>("listinstal")->isEnabled());
    QCOMPARE(f.get<QComboBox>("listinstal")->currentIndex(), -1);
}

void VehicleWindowTest::savesNewVehicleAndResets()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.fill(QStringLiteral("B-10-XYZ"), QStringLiteral("ROMAN 8.135 F"));
    f.get<QRadioButton>("for1")->setChecked(true);
    f.get<QComboBox>("motorcp")->setCurrentIndex(1);
    f.get<QRadioButton>("c3")->setChecked(true);
    f.get<QCheckBox>("spec")->click();
    f.get<QCheckBox>("aero")->click();
    f.get<QComboBox>("listaerod")->setCurrentIndex(1);
    f.env.messages().answer(true);
    f.button("Command1")->click();
    QCOMPARE(f.env.messages().texts(), (QStringList{saveQuestion(), saved()}));

    const std::optional<Vehicle> v = VehicleStore(f.env.db()).byNumber(QStringLiteral("B-10-XYZ"));
    QVERIFY(v);
    QCOMPARE(v->marca, QStringLiteral("ROMAN 8.135 F"));
    QCOMPARE(v->formula, 1);
    QCOMPARE(v->motor, 2);
    QCOMPARE(v->apar, 1);
    QCOMPARE(v->Cm, 20.0);
    QCOMPARE(v->Cb, 18.0);
    QCOMPARE(v->Cf, 1.5);
    QCOMPARE(v->Ca, 1.2);
    QCOMPARE(v->Ispec, 3);
    QCOMPARE(v->Iaerod, 2);
    const Consumption c = *VehicleStore(f.env.db()).consumption(v->ida);
    QCOMPARE(c.implicit, 3);
    QCOMPARE(c.Cm2, 25.25);

    // Ready for the next vehicle; kind and engine class kept.
    QCOMPARE(f.nrauto()->currentText(), QString());
    QCOMPARE(f.marca()->currentText(), QString());
    QCOMPARE(f.box("Cm3")->text(), QStringLiteral("0.000"));
    QCOMPARE(f.box("Cf")->text(), QStringLiteral("0.00"));
    QVERIFY(f.get<QRadioButton>("c2")->isChecked());
    QVERIFY(!f.get<QCheckBox>("spec")->isChecked());
    QVERIFY(!f.get<QComboBox>("listaerod")->isEnabled());
    QVERIFY(f.get<QRadioButton>("for1")->isChecked());
    QCOMPARE(f.get<QComboBox>("motorcp")->currentIndex(), 1);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::savingExistingNumberUpdates()
{
    Fixture f;
    const int ida = f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    QVERIFY(test::showActive(f.window.get()));
    f.typeNumber(QStringLiteral("B-1"));
    QTRY_COMPARE(f.window->rememberedVehicle(), ida);
    f.marca()->setEditText(QStringLiteral("DACIA 1310"));
    f.box("Cm2")->setText(QStringLiteral("9.5"));
    f.get<QRadioButton>("c2")->setChecked(true);
    f.env.messages().answer(true);
    f.button("Command1")->click();
    QCOMPARE(f.env.messages().last(), saved());
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM consum")).toInt(), 1);
    QCOMPARE(f.db(QStringLiteral("SELECT marca FROM auto WHERE ida=?"), {ida}).toString(), QStringLiteral("DACIA 1310"));
    QCOMPARE(f.db(QStringLiteral("SELECT Cm FROM auto WHERE ida=?"), {ida}).toDouble(), 9.5);
    QCOMPARE(f.db(QStringLiteral("SELECT implicit FROM consum WHERE ida=?"), {ida}).toInt(), 2);
}

// Another clerk saves the vehicle on screen meanwhile: "Salvare" refuses,
// writes nothing, and the boxes show what the other clerk stored.
void VehicleWindowTest::anotherClerksVehicleIsNotOverwritten()
{
    Fixture f;
    const int ida = f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    QVERIFY(test::showActive(f.window.get()));
    f.typeNumber(QStringLiteral("B-1"));
    QTRY_COMPARE(f.window->rememberedVehicle(), ida);
    f.env.sql(QStringLiteral("UPDATE auto SET marca='ARO 10', versiune=versiune+1"));
    f.marca()->setEditText(QStringLiteral("DACIA 1310"));
    f.env.messages().answer(true);
    f.button("Command1")->click();
    QCOMPARE(f.env.messages().last(),
             QStringLiteral(" Datele au fost modificate intre timp de alt utilizator. Reincarcati si reluati modificarea. "));
    QCOMPARE(f.db(QStringLiteral("SELECT marca FROM auto")).toString(), QStringLiteral("ARO 10"));
    QCOMPARE(f.marca()->currentText(), QStringLiteral("ARO 10"));
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE fereastra='auto'")).toInt(), 0);
    QVERIFY(f.env.messages().problems().isEmpty());
}

// A refused value sends the clerk back to its box; a negative one is saved.
// The checks themselves are tst_vehiclerules'.
void VehicleWindowTest::zeroRefusedNegativeAccepted_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: saved
    QTest::newRow("Cm1 0") << "Cm1" << "0" << " Specificati consumul urban de combustibil !!! ";
    QTest::newRow("Ca -1") << "Ca" << "-1" << "";
}

void VehicleWindowTest::zeroRefusedNegativeAccepted()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.fill(QStringLiteral("B-7"), QStringLiteral("ARO"));
    auto *edit = child<QLineEdit>(f.window.get(), box);
    edit->setText(text);
    if (message.isEmpty()) {
        f.env.messages().answer(true);
        f.button("Command1")->click();
        QCOMPARE(f.env.messages().last(), saved());
        QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
    } else {
        f.button("Command1")->click();
        QCOMPARE(f.env.messages().texts(), QStringList{message});
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 0);
        QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM consum")).toInt(), 0);
    }
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::refusedNumberAndMake_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("empty make") << "B-1" << "" << " Specificati marca si tipul autovehiculului !!! " << "marca";
    // Mended: a save never registers a vehicle that could not be deleted again.
    QTest::newRow("empty number") << "" << "ARO" << " Selectati numarul de inmatriculare !!! " << "nrauto";
}

void VehicleWindowTest::refusedNumberAndMake()
{
    QFETCH(QString, number);
    QFETCH(QString, make);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.fill(number, QStringLiteral("ARO"));
    f.marca()->setEditText(make);
    f.button("Command1")->click();
    QCOMPARE(f.env.messages().texts(), QStringList{message});
    QTRY_VERIFY(child<QWidget>(f.window.get(), focus)->hasFocus());
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 0);
}

void VehicleWindowTest::declinedSaveWritesNothing()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.fill(QStringLiteral("B-1"), QStringLiteral("ARO"));
    f.env.messages().answer(false);
    f.button("Command1")->click();
    QCOMPARE(f.env.messages().texts(), QStringList{saveQuestion()});
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 0);
    QCOMPARE(f.nrauto()->currentText(), QStringLiteral("B-1"));
}

void VehicleWindowTest::leavingBoxesChecksThem()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.box("Cm1")->setText(QStringLiteral("12.5"));
    f.leave(f.box("Cm1"), f.box("Cm2"));
    QTRY_COMPARE(f.box("Cm1")->text(), QStringLiteral("12.500"));
    f.box("Cb")->setText(QStringLiteral("3"));
    f.leave(f.box("Cb"), f.box("Cf"));
    QTRY_COMPARE(f.box("Cb")->text(), QStringLiteral("3.00"));
    f.box("Ca")->setText(QStringLiteral("1,5"));
    f.leave(f.box("Ca"), f.box("Cm1"));
    QTRY_COMPARE(f.env.messages().last(), QStringLiteral("Introduceti doar numere !"));
    QTRY_VERIFY(f.box("Ca")->hasFocus());
    QCOMPARE(f.box("Ca")->text(), QStringLiteral("1,5"));
    f.box("Ca")->setText(QStringLiteral("1.5"));

    f.env.messages().clear();
    f.marca()->setEditText(QStringLiteral("D'ACIA"));
    f.leave(f.marca(), f.box("Cm1"));
    QTRY_COMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! ")});
    QTRY_VERIFY(f.marca()->hasFocus());
    f.marca()->setEditText(QStringLiteral("DACIA"));

    f.env.messages().clear();
    f.nrauto()->setEditText(QStringLiteral("B'1"));
    f.leave(f.nrauto(), f.box("Cm1"));
    QTRY_COMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! ")});
    QTRY_VERIFY(f.nrauto()->hasFocus());
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::numberLengthWarnedWhileTyping()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.nrauto()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(f.nrauto()->lineEdit(), QStringLiteral("ABCDEFGHIJKLMNO"));
    QVERIFY(f.env.messages().texts().isEmpty());
    QTest::keyClicks(f.nrauto()->lineEdit(), QStringLiteral("P"));
    QCOMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Numarul maxim de caractere este 15 !!! ")});
    QCOMPARE(f.nrauto()->currentText().size(), 16); // left as typed
}

void VehicleWindowTest::deletion()
{
    Fixture f;
    const int ida = f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    const int other = f.vehicle(QStringLiteral("B-2"), QStringLiteral("ARO"));
    f.env.sql(QStringLiteral("INSERT INTO dateluna (ida, anul, idl) VALUES (?, 2024, 1), (?, 2024, 1)"), {ida, other});
    QVERIFY(test::showActive(f.window.get()));

    // Nothing typed.
    f.button("Command3")->click();
    QCOMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Selectati numarul de inmatriculare !!! ")});

    f.leave(f.marca(), f.nrauto()); // the list is filled on entry
    f.typeNumber(QStringLiteral("B-1"));
    QTRY_COMPARE(f.window->rememberedVehicle(), ida);
    f.env.messages().clear();
    f.env.messages().answer(true);
    f.button("Command3")->click();
    QCOMPARE(f.env.messages().texts(),
             (QStringList{QStringLiteral(" Sunteti sigur ca doriti stergerea autovehiculului cu numarul ,,B-1'' ?"),
                          QStringLiteral(" Stergerea a fost executata ")}));
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto WHERE ida=?"), {ida}).toInt(), 0);
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {ida}).toInt(), 0);
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {other}).toInt(), 1);
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM consum WHERE ida=?"), {ida}).toInt(), 1);
    QCOMPARE(f.nrauto()->findText(QStringLiteral("B-1")), -1);
    QCOMPARE(f.nrauto()->currentText(), QString());
    QCOMPARE(f.box("Cb")->text(), QStringLiteral("0.00"));

    // Declined: nothing goes.
    f.typeNumber(QStringLiteral("B-2"));
    f.env.messages().clear();
    f.env.messages().answer(false);
    f.button("Command3")->click();
    QCOMPARE(f.env.messages().texts().size(), 1);
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::deletionRefusedWithSheets()
{
    Fixture f;
    const int ida = f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    f.env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, idl, anul) VALUES (5, ?, 2, 2024)"), {ida});
    QVERIFY(test::showActive(f.window.get()));
    f.typeNumber(QStringLiteral("B-1"));
    f.env.messages().answer(true);
    f.button("Command3")->click();
    QCOMPARE(f.env.messages().last(), QStringLiteral(" Stergeti mai intai foile de parcurs !!! "));
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
    QCOMPARE(f.nrauto()->currentText(), QStringLiteral("B-1"));
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::deletionOnlyOfTheNumberShown()
{
    Fixture f;
    const int first = f.vehicle(QStringLiteral("B-1"), QStringLiteral("DACIA"));
    QVERIFY(test::showActive(f.window.get()));
    f.typeNumber(QStringLiteral("B-1"));
    QTRY_COMPARE(f.window->rememberedVehicle(), first);
    // A number that is not registered now stands in the box: B-1 must stay,
    // and no question is asked about a vehicle that does not exist.
    f.nrauto()->setEditText(QStringLiteral("B-404"));
    f.button("Command3")->click();
    QCOMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Autovehiculul nu este inregistrat !!! ")});
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto")).toInt(), 1);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::uleiDoubleClickFillsOilBoxes()
{
    Fixture f;
    const ReferenceImport rows =
        readReferenceCsv(QStringLiteral("sistemU"), "autom,baia,filtru\nAutocamioane ROMAN,18,1.5\nDACIA,3.5,0.25\n");
    ReferenceStore(f.env.db()).replaceAll(QStringLiteral("sistemU"), rows.rows);
    QVERIFY(test::showActive(f.window.get()));
    // The utility opened from its button hands back the row double-clicked.
    bool checked = false;
    QTimer::singleShot(50, [&] {
        auto *ulei = qobject_cast<UleiWindow *>(QApplication::activeModalWidget());
        QVERIFY(ulei);
        auto *grid = child<QTableView>(ulei, QStringLiteral("DBGrid1"));
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(child<QLabel>(ulei, QStringLiteral("Label2"))->text(), QString());
        const QRect cell = grid->visualRect(grid->model()->index(1, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(f.box("Cb")->text(), QStringLiteral("3.5"));
        QCOMPARE(f.box("Cf")->text(), QStringLiteral("0.25"));
        QCOMPARE(child<QLabel>(ulei, QStringLiteral("Label4"))->text(), QStringLiteral("DACIA"));
        QCOMPARE(child<QLabel>(ulei, QStringLiteral("Label3"))->text(), QStringLiteral("Cf = 0.25 litri"));
        // Another row overwrites both boxes.
        ulei->chooseRow(0);
        QCOMPARE(f.box("Cb")->text(), QStringLiteral("18"));
        QCOMPARE(f.box("Cf")->text(), QStringLiteral("1.5"));
        checked = true;
        ulei->close();
    });
    child<QPushButton>(f.window.get(), QStringLiteral("Command4"))->click();
    QVERIFY(checked);
    QCOMPARE(f.box("Cb")->text(), QStringLiteral("18"));
    QVERIFY(f.env.messages().texts().isEmpty());
}

void VehicleWindowTest::utilityButtonsOpenReferenceWindows()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    const struct {
        const char *button;
        const char *window;
    } utilities[] = {{"Command4", "ulei"}, {"Command5", "uleiard"}, {"Command6", "consum"}};
    for (const auto &u : utilities) {
        QString opened;
        QTimer::singleShot(50, [&opened] {
            QWidget *modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            opened = modal->objectName();
            QTimer::singleShot(0, modal, [modal] { child<QPushButton>(modal, QStringLiteral("Command1"))->click(); });
        });
        f.button(u.button)->click();
        QCOMPARE(opened, QString::fromLatin1(u.window));
    }
    QVERIFY(f.env.messages().texts().isEmpty());
}

void VehicleWindowTest::realMessageBoxGivesFocusBack()
{
    // The scripted messages never take the activation away; a real box does.
    test::TestEnvironment env;
    QtMessageService real;
    WindowContext context = env.context();
    context.messages = &real;
    VehicleWindow window(context);
    QVERIFY(test::showActive(&window));
    auto *nrauto = child<QComboBox>(&window, QStringLiteral("nrauto"));
    auto *marca = child<QComboBox>(&window, QStringLiteral("marca"));
    QStringList shown;
    std::function<void()> closeBox = [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown << box->text();
            box->accept();
        } else {
            QTimer::singleShot(20, closeBox);
        }
    };
    QTimer::singleShot(20, closeBox);
    nrauto->setFocus(Qt::TabFocusReason);
    nrauto->setEditText(QStringLiteral("B'1"));
    marca->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(shown, QStringList{QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! ")});
    QTRY_VERIFY(nrauto->hasFocus());
    QTest::qWait(100);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(nrauto->currentText(), QStringLiteral("B'1"));
}

void VehicleWindowTest::threeVehiclesRegisteredChangedDeleted()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    struct Entry {
        const char *number, *make, *formula, *regime;
        int motor;
        bool installation, aerodynamic;
    };
    const Entry entries[] = {
        {"B-01-AAA", "ROMAN 8.135 F", "for1", "c1", 1, true, false},
        {"B-02-BBB", "DACIA 1310", "for2", "c2", 0, false, false},
        {"B-03-CCC", "ROCAR 412", "for2", "c3", 2, false, true},
    };
    for (const Entry &e : entries) {
        f.fill(QString::fromLatin1(e.number), QString::fromLatin1(e.make));
        f.get<QRadioButton>(e.formula)->setChecked(true);
        f.get<QRadioButton>(e.regime)->setChecked(true);
        f.get<QComboBox>("motorcp")->setCurrentIndex(e.motor);
        if (e.installation)
            f.get<QCheckBox>("spec")->click();
        if (e.aerodynamic)
            f.get<QCheckBox>("aero")->click();
        f.env.messages().answer(true);
        f.button("Command1")->click();
        QCOMPARE(f.env.messages().last(), saved());
    }
    QCOMPARE(VehicleStore(f.env.db()).visibleNumbers(),
             (QStringList{QStringLiteral("B-01-AAA"), QStringLiteral("B-02-BBB"), QStringLiteral("B-03-CCC")}));
    QCOMPARE(f.db(QStringLiteral("SELECT COUNT(*) FROM auto a JOIN consum c ON c.ida=a.ida WHERE "
                                 "a.Cm = CASE c.implicit WHEN 1 THEN c.Cm1 WHEN 2 THEN c.Cm2 ELSE c.Cm3 END"))
                 .toInt(),
             3);
    QCOMPARE(f.db(QStringLiteral("SELECT formula || '/' || motor || '/' || Ispec || '/' || Iaerod FROM auto "
                                 "WHERE nrauto='B-01-AAA'")).toString(),
             QStringLiteral("1/2/3/0"));
    QCOMPARE(f.db(QStringLiteral("SELECT formula || '/' || motor || '/' || Ispec || '/' || Iaerod FROM auto "
                                 "WHERE nrauto='B-03-CCC'")).toString(),
             QStringLiteral("2/3/0/1"));

    // Change the second: another default regime.
    f.typeNumber(QStringLiteral("B-02-BBB"));
    QTRY_VERIFY(f.window->rememberedVehicle() > 0);
    QVERIFY(f.get<QRadioButton>("c2")->isChecked());
    f.get<QRadioButton>("c1")->setChecked(true);
    f.env.messages().answer(true);
    f.button("Command1")->click();
    QCOMPARE(f.db(QStringLiteral("SELECT Cm FROM auto WHERE nrauto='B-02-BBB'")).toDouble(), 30.5);

    // Delete the third, which has no sheets.
    f.typeNumber(QStringLiteral("B-03-CCC"));
    f.env.messages().answer(true);
    f.button("Command3")->click();
    QCOMPARE(f.env.messages().last(), QStringLiteral(" Stergerea a fost executata "));
    QCOMPARE(VehicleStore(f.env.db()).visibleNumbers().size(), 2);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void VehicleWindowTest::typedNumberAndMakeAreNotCompleted()
{
    // "CT-1" typed where CT-12 is registered is a new vehicle: completed to
    // CT-12, its save would overwrite CT-12 with the new vehicle's values.
    Fixture f;
    const int ct12 = f.vehicle(QStringLiteral("CT-12"), QStringLiteral("ROMAN 19.215"));
    f.vehicle(QStringLiteral("B-7"), QStringLiteral("DACIA LOGAN"));
    QVERIFY(test::showActive(f.window.get()));
    f.nrauto()->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(f.nrauto()->count(), 2);
    QTest::keyClicks(f.nrauto()->lineEdit(), QStringLiteral("CT-1"));
    QTest::keyClick(f.nrauto()->lineEdit(), Qt::Key_Tab);
    QTRY_VERIFY(f.marca()->hasFocus());
    QTest::qWait(20);
    QCOMPARE(f.nrauto()->currentText(), QStringLiteral("CT-1"));
    QCOMPARE(f.marca()->currentText(), QString()); // not CT-12's make
    QCOMPARE(f.window->rememberedVehicle(), 0);

    QTest::keyClicks(f.marca()->lineEdit(), QStringLiteral("DAC"));
    QTest::keyClick(f.marca()->lineEdit(), Qt::Key_Return);
    QCOMPARE(f.marca()->currentText(), QStringLiteral("DAC"));
    // Enter does not swap a number for a registered one of another case either.
    f.nrauto()->setFocus(Qt::TabFocusReason);
    f.nrauto()->lineEdit()->selectAll();
    QTest::keyClicks(f.nrauto()->lineEdit(), QStringLiteral("ct-12"));
    QTest::keyClick(f.nrauto()->lineEdit(), Qt::Key_Return);
    QCOMPARE(f.nrauto()->currentText(), QStringLiteral("ct-12"));
    QCOMPARE(f.db(QStringLiteral("SELECT marca FROM auto WHERE ida=?"), {ct12}).toString(),
             QStringLiteral("ROMAN 19.215"));
    QVERIFY(f.env.messages().texts().isEmpty());
}

QTEST_MAIN(VehicleWindowTest)
#include "tst_vehiclewindow.moc"
