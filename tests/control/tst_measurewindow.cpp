// The odometer in the trip window's header and the tank levels in the
// refuelling window, typed with the keys: blank is "not recorded" (NULL, never
// 0), numbers are shown with their masks, a return below the departure and a
// negative value are refused on leaving the box.
#include "control/measures.h"
#include "fleet/vehiclebox.h"
#include "fuel/refuelwindow.h"
#include "testenvironment.h"
#include "trips/tripwindow.h"
#include "ui/lists.h"
#include "windowtest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

const QString saveQuestion = s(" Sunteti sigur ca doriti salvarea datelor ? ");
const QString saved = s(" Datele au fost salvate ");

// Leaves a box with Tab as the clerk does; the check runs after the focus change.
void tabOut(QWidget *box)
{
    QTest::keyClick(box, Qt::Key_Tab);
    QTest::qWait(30);
}

struct Trips {
    test::TestEnvironment env;
    std::unique_ptr<TripWindow> window;
    Trips()
    {
        env.sql(s("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod) "
                  "VALUES ('B-02-CAR', 'DACIA LOGAN', 2, 1, 7.5, 0.1, 4, 0.5, 0, 0)"));
        env.sql(s("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (1, 8.5, 7.5, 6, 2)"));
        window = std::make_unique<TripWindow>(env.context());
    }
    QLineEdit *box(const char *name) { return test::child<QLineEdit>(window.get(), s(name)); }
    void open(const char *nrf)
    {
        auto *nra = test::child<QComboBox>(window.get(), s("nra"));
        lists::fillVehicles(nra, env.db());
        nra->setCurrentIndex(nra->findText(s("B-02-CAR")));
        auto *nrfoi = test::child<QComboBox>(window.get(), s("nrfoi"));
        nrfoi->setFocus();
        QTRY_VERIFY(nrfoi->hasFocus());
        QTest::qWait(30); // entered: the list refilled, its text selected
        QTest::keyClicks(nrfoi, s(nrf));
        tabOut(nrfoi);
        test::type(box("zi"), s("05"));
        test::type(box("luna"), s("03"));
        test::type(box("anul"), s("2026"));
    }
    void trip(const char *nrc, const char *km)
    {
        test::type(box("nrc"), s(nrc));
        test::type(box("cat1"), s(km));
        tabOut(box("cat1"));
    }
    void save()
    {
        env.messages().answer(true);
        test::child<QPushButton>(window.get(), s("Command2"))->click();
    }
    QVariant column(const char *name, int nrf)
    {
        return env.value(s("SELECT %1 FROM foaie WHERE nrf=?").arg(s(name)), {nrf});
    }
};

} // namespace

class MeasureWindowTest : public QObject {
    Q_OBJECT
private slots:
    void odometerTypedAndSaved();
    void odometerRefusals_data();
    void odometerRefusals();
    void tankLevelsTypedAndSaved();
};

void MeasureWindowTest::odometerTypedAndSaved()
{
    Trips f;
    QVERIFY(test::showActive(f.window.get()));
    f.open("5");
    // After the arrival hour, before the trip number.
    test::type(f.box("os"), s("16"));
    tabOut(f.box("os"));
    QTRY_VERIFY(f.box("kmplecare")->hasFocus());
    QTest::keyClicks(f.box("kmplecare"), s("1200"));
    tabOut(f.box("kmplecare"));
    QTRY_VERIFY(f.box("kmsosire")->hasFocus());
    QTest::keyClicks(f.box("kmsosire"), s("1250.04"));
    tabOut(f.box("kmsosire"));
    QTRY_VERIFY(f.box("nrc")->hasFocus());
    QCOMPARE(f.box("kmplecare")->text(), s("1200.0"));
    QCOMPARE(f.box("kmsosire")->text(), s("1250.0"));
    f.trip("1", "50");
    f.save();
    QCOMPARE(f.env.messages().texts(), (QStringList{saveQuestion, saved}));
    QCOMPARE(f.column("kmplecare", 5).toDouble(), 1200.0);
    QCOMPARE(f.column("kmsosire", 5).toDouble(), 1250.0);

    // Emptied: not recorded any more, stored NULL and not 0.
    f.env.messages().clear();
    test::type(f.box("kmsosire"), QString());
    tabOut(f.box("kmsosire"));
    QCOMPARE(f.box("kmsosire")->text(), QString());
    f.trip("2", "10");
    f.save();
    QCOMPARE(f.env.messages().texts(), (QStringList{saveQuestion, saved}));
    QVERIFY(f.column("kmsosire", 5).isNull());
    QCOMPARE(f.column("kmplecare", 5).toDouble(), 1200.0);

    // A new sheet does not inherit the odometer of the one shown before.
    f.env.messages().clear();
    f.open("6");
    QCOMPARE(f.box("kmplecare")->text(), QString());
    f.trip("1", "10");
    f.save();
    QVERIFY(f.column("kmplecare", 6).isNull());
    QVERIFY(f.column("kmsosire", 6).isNull());
    // The sheet shown again brings its odometer back.
    f.open("5");
    QCOMPARE(f.box("kmplecare")->text(), s("1200.0"));
    QVERIFY(f.env.messages().problems().isEmpty());
}

void MeasureWindowTest::odometerRefusals_data()
{
    QTest::addColumn<QString>("departure");
    QTest::addColumn<QString>("arrival");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("box");
    QTest::newRow("return below departure") << s("1200") << s("1199.9") << control::odometerBackMessage() << s("kmsosire");
    QTest::newRow("return equal to departure") << s("1200") << s("1200") << QString() << QString();
    QTest::newRow("departure alone") << s("1200") << QString() << QString() << QString();
    QTest::newRow("return alone") << QString() << s("5") << QString() << QString();
    QTest::newRow("negative departure") << s("-1") << QString() << s(" Numarul de kilometri nu poate fi negativ !!! ")
                                        << s("kmplecare");
    QTest::newRow("not a number") << QString() << s("12a") << s("Introduceti doar numere !") << s("kmsosire");
}

void MeasureWindowTest::odometerRefusals()
{
    QFETCH(QString, departure);
    QFETCH(QString, arrival);
    QFETCH(QString, message);
    QFETCH(QString, box);
    Trips f;
    QVERIFY(test::showActive(f.window.get()));
    f.open("5");
    test::type(f.box("kmplecare"), departure);
    QTest::keyClick(f.box("kmplecare"), Qt::Key_Tab);
    QTest::qWait(30);
    if (box != QLatin1String("kmplecare")) {
        QTRY_VERIFY(f.box("kmsosire")->hasFocus());
        QTest::keyClicks(f.box("kmsosire"), arrival);
        QTest::keyClick(f.box("kmsosire"), Qt::Key_Tab);
        QTest::qWait(30);
    }
    if (message.isEmpty()) {
        QVERIFY2(f.env.messages().texts().isEmpty(), qPrintable(f.env.messages().last()));
        QTRY_VERIFY(f.box("nrc")->hasFocus());
        return;
    }
    QCOMPARE(f.env.messages().texts(), QStringList{message});
    // Back in the box, its text as typed and selected, so typing replaces it.
    QLineEdit *refused = f.box(qPrintable(box));
    QTRY_VERIFY(refused->hasFocus());
    QVERIFY(refused->hasSelectedText());
    // Saved anyway (Ctrl+S before leaving): the same refusal, nothing stored.
    f.env.messages().clear();
    test::type(f.box("nrc"), s("1"));
    test::type(f.box("cat1"), s("50"));
    test::child<QPushButton>(f.window.get(), s("Command2"))->click();
    QCOMPARE(f.env.messages().texts(), QStringList{message});
    QCOMPARE(f.env.value(s("SELECT COUNT(*) FROM foaie")).toInt(), 0);
}

void MeasureWindowTest::tankLevelsTypedAndSaved()
{
    test::TestEnvironment env;
    const int year = QDate::currentDate().year();
    env.sql(s("INSERT INTO auto (nrauto, marca) VALUES ('B-10-ABC', 'Dacia Logan')"));
    env.sql(s("INSERT INTO foaie (nrf, ida, anul, idl, data) VALUES (101, 1, ?, 3, ?)"),
            {year, s("02.03.%1").arg(year)});
    RefuelWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *nra = test::child<QComboBox>(&window, s("nra"));
    nra->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    nra->setCurrentIndex(nra->findText(s("B-10-ABC")));
    emit nra->activated(nra->currentIndex());
    test::child<QComboBox>(&window, s("luna"))->setCurrentIndex(2);
    auto *nrfoi = test::child<QComboBox>(&window, s("nrfoi"));
    nrfoi->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    nrfoi->setCurrentIndex(nrfoi->findText(s("101")));
    emit nrfoi->activated(nrfoi->currentIndex());

    auto *departure = test::child<QLineEdit>(&window, s("rezplecare"));
    auto *arrival = test::child<QLineEdit>(&window, s("rezsosire"));
    QCOMPARE(departure->text(), QString());
    // A negative level is refused on leaving, the focus back in the box.
    test::type(departure, s("-3"));
    tabOut(departure);
    QCOMPARE(env.messages().texts(), QStringList{control::negativeLitresMessage()});
    QTRY_VERIFY(departure->hasFocus());
    env.messages().clear();
    test::type(departure, s("35.5"));
    tabOut(departure);
    QCOMPARE(departure->text(), s("35.50"));
    QTRY_VERIFY(arrival->hasFocus());
    env.messages().answer(true);
    test::child<QPushButton>(&window, s("Command1"))->click();
    QCOMPARE(env.messages().texts(), (QStringList{s(" Sigur doriti salvarea datelor !!! "), saved}));
    QCOMPARE(env.value(s("SELECT rezplecare FROM foaie WHERE nrf=101")).toDouble(), 35.5);
    QVERIFY(env.value(s("SELECT rezsosire FROM foaie WHERE nrf=101")).isNull());
    QVERIFY(env.messages().problems().isEmpty());
}

QTEST_MAIN(MeasureWindowTest)
#include "tst_measurewindow.moc"
