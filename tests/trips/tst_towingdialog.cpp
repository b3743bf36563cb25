#include "trips/towingdialog.h"
#include "base/numbers.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

using namespace vok;

namespace {

// What the trip window gives the towing dialog (the trailers, the engine
// class) and takes from it: T into `spT`, the distance into `Label23` and
// into the distance it keeps.
struct TripStandIn {
    QWidget window;
    int trailers;
    int motor = 0;
    QString spT = QStringLiteral("0.0");
    QString label23 = QStringLiteral("km echivalenti la aceasta cursa");
    double distance = 0;
    explicit TripStandIn(int trailers = 1)
        : trailers(trailers)
    {
    }
    void take(TowingDialog &dialog)
    {
        QObject::connect(&dialog, &TowingDialog::entryChanged, &window, [this](const SurchargeEntry &entry) {
            spT = entry.surcharge;
            label23 = surcharge::towingPreviewText(entry.distance);
            distance = readNumber(entry.distance);
        });
    }
};

// Two rows; every value names its row (0 or 100) and its column (11 = class 1,
// one trailer ... 32 = class 3, two trailers).
void fillTable(test::TestEnvironment &env)
{
    const QString insert = QStringLiteral(
        "INSERT INTO sporT (nrcrt, tip_r, gr, motor1r1, motor1r2, motor2r1, motor2r2, motor3r1, motor3r2) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    env.sql(insert, {QStringLiteral("1"), QStringLiteral("Remorci"), QStringLiteral("pana la 1,5"), 11, 12, 21, 22,
                     31, 32});
    env.sql(insert, {QStringLiteral("2"), QStringLiteral("Semiremorci"), QStringLiteral("peste 5"), 111, 112, 121,
                     122, 131, 132});
}

} // namespace

class TowingDialogTest : public QObject {
    Q_OBJECT
private slots:
    void gridAndCaptions();
    void trailersAreShown();
    void doubleClickReadsTheColumnOfTheVehicle_data();
    void doubleClickReadsTheColumnOfTheVehicle();
    void fortyKmTowed();
    void rateIsRoundedWhenLeft();
    void doubleClickWithoutRowDoesNothing();
    void reopeningStartsFromZeroAndKeepsT();
    void closingSettlesTheBoxJustLeft();
};

void TowingDialogTest::gridAndCaptions()
{
    test::TestEnvironment env;
    fillTable(env);
    TripStandIn trip;
    TowingDialog dialog(env.context(), trip.motor, trip.trailers, &trip.window);
    trip.take(dialog);
    QCOMPARE(dialog.objectName(), QStringLiteral("tractare"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Tractare"));
    auto *grid = test::child<QTableView>(&dialog, QStringLiteral("DBGrid1"));
    QAbstractItemModel *model = grid->model();
    QCOMPARE(model->rowCount(), 2);
    const QStringList captions{QStringLiteral("Nr.crt."), QStringLiteral("Tipuri de remorci tractate"),
                               QStringLiteral("Greutatea poprie (tone)"), QStringLiteral("1 remorca"),
                               QStringLiteral("2 remorci"), QStringLiteral("1 remorca"), QStringLiteral("2 remorci"),
                               QStringLiteral("1 remorca"), QStringLiteral("2 remorci")};
    int shown = 0;
    for (int column = 0; column < model->columnCount(); ++column) {
        if (grid->isColumnHidden(column))
            continue;
        QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), captions.value(shown++));
    }
    QCOMPARE(shown, 9);
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(test::child<QLineEdit>(&dialog, QStringLiteral("pt"))->text(), QStringLiteral("0.0"));
    QCOMPARE(test::child<QLineEdit>(&dialog, QStringLiteral("stract"))->text(), QStringLiteral("0"));
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("Label11"))->text(), QStringLiteral("Tip remorca tractata : "));
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("Label15"))->text(), QStringLiteral("T = (Pt / 100) * t = 0.0"));
    const QStringList fixed{QStringLiteral("Sporul specific de tractare ,,t'' (km echiv./100 km)"),
                            QStringLiteral("Dublu-click pe tipul de remorca tractata"),
                            QStringLiteral("Pt - parcursul tractat (km)"),
                            QStringLiteral("Sporul specific de tractare ,,t''"),
                            QStringLiteral("La nr.crt. 7 se includ si semiremorcile autobuzelor articulate."),
                            QStringLiteral("La nr.crt. 9a sunt prevazute automobilele tractate de automobile cu "
                                           "sarcina nominala peste 1,5 tone."),
                            QStringLiteral("La nr.crt. 1 si 9.b sunt prevazute automobilele tractate de automobile "
                                           "cu sarcina nominala sub 1,5 tone."),
                            QStringLiteral("La nr.crt. 9.b la greutatea proprie s-a prevazut greutatea totala a "
                                           "automobilelor tractate.")};
    QStringList labels;
    for (QLabel *label : dialog.findChildren<QLabel *>())
        labels << label->text();
    for (const QString &text : fixed)
        QVERIFY2(labels.contains(text), qPrintable(text));
}

void TowingDialogTest::trailersAreShown()
{
    test::TestEnvironment env;
    TripStandIn one(1);
    TowingDialog first(env.context(), 1, one.trailers, &one.window);
    QCOMPARE(test::child<QLabel>(&first, QStringLiteral("Label13"))->text(), QStringLiteral("1 remorca"));
    TripStandIn two(2);
    TowingDialog second(env.context(), 1, two.trailers, &two.window);
    QCOMPARE(test::child<QLabel>(&second, QStringLiteral("Label13"))->text(), QStringLiteral("2 remorca"));
}

void TowingDialogTest::doubleClickReadsTheColumnOfTheVehicle_data()
{
    QTest::addColumn<int>("motor");
    QTest::addColumn<int>("trailers");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("t");
    QTest::newRow("class 1, one trailer") << 1 << 1 << 0 << "11";
    QTest::newRow("class 1, two trailers") << 1 << 2 << 1 << "112";
    QTest::newRow("class 2, one trailer") << 2 << 1 << 0 << "21";
    QTest::newRow("class 2, two trailers") << 2 << 2 << 0 << "22";
    QTest::newRow("class 3, one trailer") << 3 << 1 << 1 << "131";
    QTest::newRow("class 3, two trailers") << 3 << 2 << 0 << "32";
}

void TowingDialogTest::doubleClickReadsTheColumnOfTheVehicle()
{
    QFETCH(int, motor);
    QFETCH(int, trailers);
    QFETCH(int, row);
    QFETCH(QString, t);
    test::TestEnvironment env;
    fillTable(env);
    TripStandIn trip(trailers);
    trip.motor = motor;
    trip.spT = QStringLiteral("5.0");
    QVERIFY(test::showActive(&trip.window));
    TowingDialog dialog(env.context(), trip.motor, trip.trailers, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    test::doubleClickCell(test::child<QTableView>(&dialog, QStringLiteral("DBGrid1")), row, 2);

    QTRY_COMPARE(test::child<QLineEdit>(&dialog, QStringLiteral("stract"))->text(), t);
    const QString type = row == 0 ? QStringLiteral("Remorci") : QStringLiteral("Semiremorci");
    const QString weight = row == 0 ? QStringLiteral("pana la 1,5") : QStringLiteral("peste 5");
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("Label11"))->text(),
             QStringLiteral("Tip remorca tractata : ") + type + QStringLiteral("  -  greutatea proprie (tone) ")
                 + weight + QStringLiteral("  :  ") + t + QStringLiteral(" km echiv./100 km"));
    // Pt is still 0: T is 0 and the trip window's T follows.
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("Label15"))->text(), QStringLiteral("T = (Pt / 100) * t = 0.0"));
    QCOMPARE(trip.spT, QStringLiteral("0.0"));
    QVERIFY(env.messages().texts().isEmpty());
}

void TowingDialogTest::fortyKmTowed()
{
    test::TestEnvironment env;
    fillTable(env);
    TripStandIn trip(2);
    trip.motor = 1;
    QVERIFY(test::showActive(&trip.window));
    TowingDialog dialog(env.context(), trip.motor, trip.trailers, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *pt = test::child<QLineEdit>(&dialog, QStringLiteral("pt"));
    auto *stract = test::child<QLineEdit>(&dialog, QStringLiteral("stract"));
    test::doubleClickCell(test::child<QTableView>(&dialog, QStringLiteral("DBGrid1")), 0, 2);
    QTRY_COMPARE(stract->text(), QStringLiteral("12"));

    test::type(pt, QStringLiteral("40"));
    QCOMPARE(trip.spT, QStringLiteral("4.8"));
    QCOMPARE(trip.label23, QStringLiteral("km echiv. la 40 km tractati"));
    QCOMPARE(trip.distance, 40.0);
    stract->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(pt->text(), QStringLiteral("40.0"));
    QCOMPARE(trip.label23, QStringLiteral("km echiv. la 40.0 km tractati"));
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("Label15"))->text(), QStringLiteral("T = (Pt / 100) * t = 4.8"));

    test::type(stract, QStringLiteral("abc"));
    pt->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(env.messages().texts(), QStringList{QStringLiteral("Introduceti doar numere !")});
    QTRY_VERIFY(stract->hasFocus());
    QCOMPARE(stract->text(), QStringLiteral("abc"));
    QVERIFY(env.messages().problems().isEmpty());
}

void TowingDialogTest::rateIsRoundedWhenLeft()
{
    test::TestEnvironment env;
    TripStandIn trip(1);
    QVERIFY(test::showActive(&trip.window));
    TowingDialog dialog(env.context(), trip.motor, trip.trailers, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *pt = test::child<QLineEdit>(&dialog, QStringLiteral("pt"));
    auto *stract = test::child<QLineEdit>(&dialog, QStringLiteral("stract"));
    test::type(pt, QStringLiteral("50"));
    test::type(stract, QStringLiteral("7.6"));
    QCOMPARE(trip.spT, QStringLiteral("3.8"));
    pt->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(stract->text(), QStringLiteral("8"));
    QCOMPARE(trip.spT, QStringLiteral("4.0"));
    QCOMPARE(trip.distance, 50.0);
    QVERIFY(env.messages().texts().isEmpty());
}

void TowingDialogTest::doubleClickWithoutRowDoesNothing()
{
    test::TestEnvironment env;
    TripStandIn trip(1);
    trip.motor = 1;
    QVERIFY(test::showActive(&trip.window));
    TowingDialog dialog(env.context(), trip.motor, trip.trailers, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *grid = test::child<QTableView>(&dialog, QStringLiteral("DBGrid1"));
    for (QWidget *where : {grid->viewport(), grid->horizontalHeader()->viewport()}) {
        QTest::mouseClick(where, Qt::LeftButton, {}, QPoint(20, 5));
        QTest::mouseDClick(where, Qt::LeftButton, {}, QPoint(20, 5));
    }
    QTest::qWait(50);
    QCOMPARE(test::child<QLineEdit>(&dialog, QStringLiteral("stract"))->text(), QStringLiteral("0"));
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("Label11"))->text(), QStringLiteral("Tip remorca tractata : "));
    QCOMPARE(trip.spT, QStringLiteral("0.0"));
    QVERIFY(env.messages().texts().isEmpty());
}

void TowingDialogTest::reopeningStartsFromZeroAndKeepsT()
{
    test::TestEnvironment env;
    fillTable(env);
    TripStandIn trip(2);
    trip.motor = 2;
    QVERIFY(test::showActive(&trip.window));
    {
        TowingDialog dialog(env.context(), trip.motor, trip.trailers, &trip.window);
        trip.take(dialog);
        QVERIFY(test::showActive(&dialog));
        test::doubleClickCell(test::child<QTableView>(&dialog, QStringLiteral("DBGrid1")), 0, 2);
        test::type(test::child<QLineEdit>(&dialog, QStringLiteral("pt")), QStringLiteral("40"));
        QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_VERIFY(!dialog.isVisible());
    }
    QCOMPARE(trip.spT, QStringLiteral("8.8"));
    QCOMPARE(trip.distance, 40.0);

    TowingDialog again(env.context(), trip.motor, trip.trailers, &trip.window);

    trip.take(again);
    QVERIFY(test::showActive(&again));
    QCOMPARE(test::child<QLineEdit>(&again, QStringLiteral("pt"))->text(), QStringLiteral("0.0"));
    QCOMPARE(test::child<QLineEdit>(&again, QStringLiteral("stract"))->text(), QStringLiteral("0"));
    QCOMPARE(trip.spT, QStringLiteral("8.8"));
    QCOMPARE(trip.distance, 40.0);
    test::type(test::child<QLineEdit>(&again, QStringLiteral("stract")), QStringLiteral("5"));
    QCOMPARE(trip.spT, QStringLiteral("0.0"));
    QCOMPARE(trip.distance, 0.0);
    QVERIFY(env.messages().texts().isEmpty());
}

void TowingDialogTest::closingSettlesTheBoxJustLeft()
{
    test::TestEnvironment env;
    TripStandIn trip(1);
    QVERIFY(test::showActive(&trip.window));
    TowingDialog dialog(env.context(), trip.motor, trip.trailers, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    test::type(test::child<QLineEdit>(&dialog, QStringLiteral("stract")), QStringLiteral("10"));
    test::type(test::child<QLineEdit>(&dialog, QStringLiteral("pt")), QStringLiteral("40.04"));
    QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(trip.distance, 40.0);
    QCOMPARE(trip.label23, QStringLiteral("km echiv. la 40.0 km tractati"));
    QCOMPARE(trip.spT, QStringLiteral("4.0"));
    QTest::qWait(50);
    QVERIFY(env.messages().texts().isEmpty());
}

QTEST_MAIN(TowingDialogTest)
#include "tst_towingdialog.moc"
