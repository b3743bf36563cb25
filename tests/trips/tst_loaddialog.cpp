#include "trips/loadcalc.h"
#include "trips/loaddialog.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace vok;

namespace {

// The trip window's load box, which takes the load the dialog computes; each
// change of it runs the Kg lookup there.
struct TripStandIn {
    QWidget window;
    QLineEdit *greut = new QLineEdit(QStringLiteral("0.0"), &window);
    QStringList lookups; // the loads the Kg lookup ran for
    TripStandIn()
    {
        greut->setObjectName(QStringLiteral("greut"));
        QObject::connect(greut, &QLineEdit::textChanged, &window, [this](const QString &text) { lookups << text; });
    }
    void take(LoadDialog &dialog) { QObject::connect(&dialog, &LoadDialog::loadComputed, greut, &QLineEdit::setText); }
};

// The texts of several boxes, separated by '|'.
QStringList fieldTexts(const char *texts) { return QString::fromLatin1(texts).split(u'|'); }

QLineEdit *box(QWidget *dialog, const QString &name) { return test::child<QLineEdit>(dialog, name); }

} // namespace

class LoadDialogTest : public QObject {
    Q_OBJECT
private slots:
    void averageLoad_data();
    void averageLoad();
    void twentyFieldsStartAtZero();
    void threeLegsDriveTheLoadBox();
    void nothingWhenNoDistance();
    void leavingAFieldRoundsIt();
    void textIsRefused();
};

void LoadDialogTest::averageLoad_data()
{
    QTest::addColumn<QStringList>("km");
    QTest::addColumn<QStringList>("tonnes");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("gm"); // empty: nothing is computed
    QTest::newRow("100 km at 10 t, 50 km at 4 t") << fieldTexts("100|50") << fieldTexts("10|4") << "150.0"
                                                  << "8.0";
    QTest::newRow("loads on legs without distance") << fieldTexts("100|0|50|0.0")
                                                    << fieldTexts("10|30|4|25") << "150.0" << "8.0";
    QTest::newRow("distances without loads") << fieldTexts("20|30") << fieldTexts("0|0") << "50.0" << "0.0";
    QTest::newRow("no distance") << fieldTexts("0.0|0.0") << fieldTexts("10|4") << "0.0" << QString();
    QTest::newRow("total rounds to 0.0") << fieldTexts("0.02|0.02") << fieldTexts("10|4") << "0.0"
                                         << QString();
    QTest::newRow("divides by the rounded total") << fieldTexts("12.34") << fieldTexts("100") << "12.3"
                                                  << "100.3";
    QTest::newRow("one decimal, halves away") << fieldTexts("10|10") << fieldTexts("1|2.1") << "20.0"
                                              << "1.6";
    QTest::newRow("typed text reads by its prefix") << fieldTexts("10 km|x") << fieldTexts("5t|9") << "10.0"
                                                    << "5.0";
}

void LoadDialogTest::averageLoad()
{
    QFETCH(QStringList, km);
    QFETCH(QStringList, tonnes);
    QFETCH(QString, total);
    QFETCH(QString, gm);
    QList<loadcalc::Leg> legs;
    for (int i = 0; i < km.size(); ++i)
        legs.append(loadcalc::Leg{km[i], tonnes[i]});
    QCOMPARE(loadcalc::totalText(legs), total);
    QCOMPARE(loadcalc::averageLoadText(legs).value_or(QString()), gm);
}

void LoadDialogTest::twentyFieldsStartAtZero()
{
    test::TestEnvironment env;
    TripStandIn trip;
    LoadDialog dialog(env.context(), &trip.window);
    trip.take(dialog);
    QCOMPARE(dialog.objectName(), QStringLiteral("utilitar"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Calcul Gm"));
    for (int i = 1; i <= 10; ++i) {
        QCOMPARE(box(&dialog, QStringLiteral("km%1").arg(i))->text(), QStringLiteral("0.0"));
        QCOMPARE(box(&dialog, QStringLiteral("g%1").arg(i))->text(), QStringLiteral("0.0"));
    }
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("totkm"))->text(), QStringLiteral("0.0"));
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("gmed"))->text(), QString());
    QCOMPARE(test::child<QPushButton>(&dialog, QStringLiteral("Command1"))->text(), QStringLiteral("Calcul Gm"));
    QCOMPARE(test::child<QPushButton>(&dialog, QStringLiteral("Command2"))->text(), QStringLiteral("Iesire"));
}

void LoadDialogTest::threeLegsDriveTheLoadBox()
{
    test::TestEnvironment env;
    TripStandIn trip;
    QVERIFY(test::showActive(&trip.window));
    LoadDialog dialog(env.context(), &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *totkm = test::child<QLabel>(&dialog, QStringLiteral("totkm"));
    auto *gmed = test::child<QLabel>(&dialog, QStringLiteral("gmed"));

    test::type(box(&dialog, QStringLiteral("km1")), QStringLiteral("100"));
    test::type(box(&dialog, QStringLiteral("g1")), QStringLiteral("10"));
    test::type(box(&dialog, QStringLiteral("km2")), QStringLiteral("50"));
    test::type(box(&dialog, QStringLiteral("g2")), QStringLiteral("4"));
    test::type(box(&dialog, QStringLiteral("g3")), QStringLiteral("30")); // no distance: does not count
    test::type(box(&dialog, QStringLiteral("km10")), QStringLiteral("0"));
    QCOMPARE(totkm->text(), QStringLiteral("150.0"));
    QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_COMPARE(gmed->text(), QStringLiteral("Gm = 8.0"));
    QCOMPARE(trip.greut->text(), QStringLiteral("8.0"));
    QCOMPARE(trip.lookups, QStringList{QStringLiteral("8.0")});

    // A change of any leg wipes the result until the next calculation.
    test::type(box(&dialog, QStringLiteral("g1")), QStringLiteral("12"));
    QCOMPARE(gmed->text(), QString());
    test::type(box(&dialog, QStringLiteral("km3")), QStringLiteral("10"));
    QCOMPARE(totkm->text(), QStringLiteral("160.0"));
    QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_COMPARE(gmed->text(), QStringLiteral("Gm = 10.6")); // (1200 + 200 + 300) / 160
    QCOMPARE(trip.greut->text(), QStringLiteral("10.6"));
    QVERIFY(env.messages().texts().isEmpty());

    QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command2")), Qt::LeftButton);
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(trip.greut->text(), QStringLiteral("10.6"));
    LoadDialog again(env.context(), &trip.window);
    trip.take(again);
    QCOMPARE(box(&again, QStringLiteral("km1"))->text(), QStringLiteral("0.0"));
    QCOMPARE(test::child<QLabel>(&again, QStringLiteral("totkm"))->text(), QStringLiteral("0.0"));
}

void LoadDialogTest::nothingWhenNoDistance()
{
    test::TestEnvironment env;
    TripStandIn trip;
    trip.greut->setText(QStringLiteral("3.5"));
    trip.lookups.clear();
    QVERIFY(test::showActive(&trip.window));
    LoadDialog dialog(env.context(), &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    test::type(box(&dialog, QStringLiteral("g1")), QStringLiteral("10"));
    test::type(box(&dialog, QStringLiteral("km1")), QStringLiteral("0.04"));
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("totkm"))->text(), QStringLiteral("0.0"));
    QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
    QTest::qWait(50);
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("gmed"))->text(), QString());
    QCOMPARE(trip.greut->text(), QStringLiteral("3.5"));
    QVERIFY(trip.lookups.isEmpty());
    QVERIFY(env.messages().texts().isEmpty());
}

void LoadDialogTest::leavingAFieldRoundsIt()
{
    test::TestEnvironment env;
    TripStandIn trip;
    QVERIFY(test::showActive(&trip.window));
    LoadDialog dialog(env.context(), &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *km1 = box(&dialog, QStringLiteral("km1"));
    test::type(km1, QStringLiteral("12.34"));
    test::type(box(&dialog, QStringLiteral("g1")), QStringLiteral("100"));
    QTRY_COMPARE(km1->text(), QStringLiteral("12.3"));
    QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_COMPARE(trip.greut->text(), QStringLiteral("100.0"));
    QCOMPARE(box(&dialog, QStringLiteral("g1"))->text(), QStringLiteral("100.0"));

    // Straight from a box to the button: the box is settled before the sum.
    test::type(box(&dialog, QStringLiteral("km2")), QStringLiteral("7.74"));
    test::type(box(&dialog, QStringLiteral("g2")), QStringLiteral("0"));
    test::type(km1, QStringLiteral("12.34"));
    QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_COMPARE(trip.greut->text(), QStringLiteral("61.5")); // 1230 / 20.0, not 1234 / 20.1
    QCOMPARE(km1->text(), QStringLiteral("12.3"));
    QVERIFY(env.messages().texts().isEmpty());
}

void LoadDialogTest::textIsRefused()
{
    test::TestEnvironment env;
    TripStandIn trip;
    QVERIFY(test::showActive(&trip.window));
    LoadDialog dialog(env.context(), &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *g4 = box(&dialog, QStringLiteral("g4"));
    g4->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(g4->hasFocus());
    g4->selectAll();
    QTest::keyClick(g4, Qt::Key_Delete);
    QTest::keyClick(g4, Qt::Key_Tab);
    QTRY_COMPARE(env.messages().texts(), QStringList{QStringLiteral("Introduceti doar numere !")});
    QTRY_VERIFY(g4->hasFocus());
    QCOMPARE(g4->text(), QString());

    // Straight from a refused box to the button: one message, nothing computed.
    test::type(box(&dialog, QStringLiteral("km1")), QStringLiteral("10"));
    test::type(g4, QStringLiteral("abc"));
    QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_COMPARE(env.messages().texts().size(), 2);
    QTRY_VERIFY(g4->hasFocus());
    QTest::qWait(50);
    QCOMPARE(env.messages().texts().size(), 2);
    QCOMPARE(trip.greut->text(), QStringLiteral("0.0"));
    QVERIFY(env.messages().problems().isEmpty());
}

QTEST_MAIN(LoadDialogTest)
#include "tst_loaddialog.moc"
