#include "trips/urbandialog.h"
#include "base/numbers.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QHeaderView>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace vok;

namespace {

// What the trip window takes from the urban dialog: U into `spU`, the
// distance into `Label48` and into the distance it keeps.
struct TripStandIn {
    QWidget window;
    QString spU = QStringLiteral("0.0");
    QString label48 = QStringLiteral("km echivalenti la aceasta cursa");
    double distance = 0;
    void take(UrbanDialog &dialog)
    {
        QObject::connect(&dialog, &UrbanDialog::entryChanged, &window, [this](const SurchargeEntry &entry) {
            spU = entry.surcharge;
            label48 = surcharge::urbanPreviewText(entry.distance);
            distance = readNumber(entry.distance);
        });
    }
};

void fillTable(test::TestEnvironment &env)
{
    env.sql(QStringLiteral("INSERT INTO sporU (autom, bucur, restul) VALUES ('Autoturisme', 25, 15)"));
    env.sql(QStringLiteral("INSERT INTO sporU (autom, bucur, restul) VALUES ('Autocamioane', 20, 12.5)"));
}

} // namespace

class UrbanDialogTest : public QObject {
    Q_OBJECT
private slots:
    void gridShowsTheTableReadOnly();
    void firstOpeningHasNoDistance();
    void twelveKmAtTwentyFiveGivesThree();
    void rateIsRoundedWhenLeft();
    void emptyOrTextIsRefused();
    void reopeningKeepsTheDistanceAndDropsU();
    void realMessageBoxGivesTheFocusBack();
    void cellChosenWithTheKeys();
};

// The clerk may take u from the grid: the arrows to the vehicle group's row
// and the locality's column, then Enter; the group's own column gives nothing.
void UrbanDialogTest::cellChosenWithTheKeys()
{
    test::TestEnvironment env;
    fillTable(env);
    TripStandIn trip;
    UrbanDialog dialog(env.context(), 12, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *grid = test::child<QTableView>(&dialog, QStringLiteral("DBGrid1"));
    auto *surb = test::child<QLineEdit>(&dialog, QStringLiteral("surb"));
    grid->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(grid->hasFocus());
    QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
    QTest::keyClick(grid, Qt::Key_Return); // the group's name: no u
    QCOMPARE(surb->text(), QStringLiteral("0"));
    QVERIFY(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Return); // "Autocamioane", "Municipii": 12.5
    QCOMPARE(surb->text(), QStringLiteral("13"));
    QTRY_VERIFY(surb->hasFocus());
    QCOMPARE(trip.spU, QStringLiteral("1.6")); // 12 km at u 13
    QVERIFY(env.messages().texts().isEmpty());
}

void UrbanDialogTest::gridShowsTheTableReadOnly()
{
    test::TestEnvironment env;
    fillTable(env);
    TripStandIn trip;
    UrbanDialog dialog(env.context(), trip.distance, &trip.window);
    trip.take(dialog);
    QCOMPARE(dialog.objectName(), QStringLiteral("sporurb"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Sporul pentru circulatia in localitati urbane (km echivalenti)"));
    auto *grid = test::child<QTableView>(&dialog, QStringLiteral("DBGrid1"));
    QVERIFY(grid);
    QAbstractItemModel *model = grid->model();
    QCOMPARE(model->rowCount(), 2);
    const QStringList captions{QStringLiteral("Grupa de automobile"), QStringLiteral("Bucuresti"),
                               QStringLiteral("Municipii"), QStringLiteral("Celelalte orase")};
    for (int column = 0; column < captions.size(); ++column)
        QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), captions[column]);
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("20"));
    QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("12.5"));
    QCOMPARE(model->index(1, 3).data().toString(), QStringLiteral("12.5"));
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(env.messages().texts().isEmpty());
}

void UrbanDialogTest::firstOpeningHasNoDistance()
{
    test::TestEnvironment env;
    TripStandIn trip;
    trip.spU = QStringLiteral("9.0");
    UrbanDialog dialog(env.context(), trip.distance, &trip.window);
    trip.take(dialog);
    QCOMPARE(trip.spU, QStringLiteral("9.0")); // nothing before the dialog shows
    QVERIFY(test::showActive(&dialog));
    auto *pu = test::child<QLineEdit>(&dialog, QStringLiteral("pu"));
    QCOMPARE(pu->text(), QString());
    QCOMPARE(test::child<QLineEdit>(&dialog, QStringLiteral("surb"))->text(), QStringLiteral("0"));
    QCOMPARE(trip.spU, QStringLiteral("0.0"));
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("Label2"))->text(), QStringLiteral("U = (Pu/100) * u = 0.0"));
    // Left with Escape and no distance: none, said as a distance.
    QTest::keyClick(pu, Qt::Key_Escape);
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(trip.label48, QStringLiteral("km echiv. la 0.0 km in urban"));
    QCOMPARE(trip.distance, 0.0);
}

void UrbanDialogTest::twelveKmAtTwentyFiveGivesThree()
{
    test::TestEnvironment env;
    fillTable(env);
    TripStandIn trip;
    QVERIFY(test::showActive(&trip.window));
    UrbanDialog dialog(env.context(), trip.distance, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *pu = test::child<QLineEdit>(&dialog, QStringLiteral("pu"));
    auto *surb = test::child<QLineEdit>(&dialog, QStringLiteral("surb"));
    auto *label2 = test::child<QLabel>(&dialog, QStringLiteral("Label2"));

    test::type(pu, QStringLiteral("12"));
    QCOMPARE(trip.label48, QStringLiteral("km echiv. la 12 km in urban"));
    QCOMPARE(trip.distance, 12.0);
    test::type(surb, QStringLiteral("25"));
    QTRY_COMPARE(pu->text(), QStringLiteral("12.0")); // rewritten once left
    QCOMPARE(trip.label48, QStringLiteral("km echiv. la 12.0 km in urban"));
    QCOMPARE(trip.spU, QStringLiteral("3.0"));
    QCOMPARE(label2->text(), QStringLiteral("U = (Pu/100) * u = 3.0"));
    QVERIFY(env.messages().texts().isEmpty());
    QVERIFY(env.messages().problems().isEmpty());
}

void UrbanDialogTest::rateIsRoundedWhenLeft()
{
    test::TestEnvironment env;
    TripStandIn trip;
    trip.distance = 50;
    QVERIFY(test::showActive(&trip.window));
    UrbanDialog dialog(env.context(), trip.distance, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *pu = test::child<QLineEdit>(&dialog, QStringLiteral("pu"));
    auto *surb = test::child<QLineEdit>(&dialog, QStringLiteral("surb"));
    QCOMPARE(pu->text(), QStringLiteral("50.0"));
    test::type(surb, QStringLiteral("7.6"));
    QCOMPARE(trip.spU, QStringLiteral("3.8"));
    pu->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(surb->text(), QStringLiteral("8"));
    QCOMPARE(trip.spU, QStringLiteral("4.0"));
    QCOMPARE(test::child<QLabel>(&dialog, QStringLiteral("Label2"))->text(), QStringLiteral("U = (Pu/100) * u = 4.0"));
    QVERIFY(env.messages().texts().isEmpty());
}

void UrbanDialogTest::emptyOrTextIsRefused()
{
    test::TestEnvironment env;
    TripStandIn trip;
    trip.distance = 12;
    QVERIFY(test::showActive(&trip.window));
    UrbanDialog dialog(env.context(), trip.distance, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *pu = test::child<QLineEdit>(&dialog, QStringLiteral("pu"));
    auto *surb = test::child<QLineEdit>(&dialog, QStringLiteral("surb"));

    test::type(pu, QString());
    surb->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(env.messages().texts(), QStringList{QStringLiteral("Introduceti doar numere !")});
    QTRY_VERIFY(pu->hasFocus());
    QCOMPARE(pu->text(), QString());

    test::type(pu, QStringLiteral("20"));
    test::type(surb, QStringLiteral("x5"));
    pu->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(env.messages().texts().size(), 2);
    QTRY_VERIFY(surb->hasFocus());
    QCOMPARE(surb->text(), QStringLiteral("x5"));
    QCOMPARE(trip.spU, QStringLiteral("0.0")); // "x5" reads 0
    QVERIFY(env.messages().problems().isEmpty());
}

void UrbanDialogTest::reopeningKeepsTheDistanceAndDropsU()
{
    test::TestEnvironment env;
    TripStandIn trip;
    QVERIFY(test::showActive(&trip.window));
    {
        UrbanDialog dialog(env.context(), trip.distance, &trip.window);
        trip.take(dialog);
        QVERIFY(test::showActive(&dialog));
        test::type(test::child<QLineEdit>(&dialog, QStringLiteral("pu")), QStringLiteral("12"));
        test::type(test::child<QLineEdit>(&dialog, QStringLiteral("surb")), QStringLiteral("25"));
        QTest::mouseClick(test::child<QPushButton>(&dialog, QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_VERIFY(!dialog.isVisible());
    }
    QCOMPARE(trip.spU, QStringLiteral("3.0"));
    QCOMPARE(trip.distance, 12.0);

    UrbanDialog again(env.context(), trip.distance, &trip.window);
    trip.take(again);
    QVERIFY(test::showActive(&again));
    QCOMPARE(test::child<QLineEdit>(&again, QStringLiteral("pu"))->text(), QStringLiteral("12.0"));
    QCOMPARE(test::child<QLineEdit>(&again, QStringLiteral("surb"))->text(), QStringLiteral("0"));
    QCOMPARE(trip.spU, QStringLiteral("0.0"));
    QCOMPARE(trip.label48, QStringLiteral("km echiv. la 12.0 km in urban"));
    QVERIFY(env.messages().texts().isEmpty());
}

void UrbanDialogTest::realMessageBoxGivesTheFocusBack()
{
    test::TestEnvironment env;
    QtMessageService messages;
    WindowContext context = env.context();
    context.messages = &messages;
    TripStandIn trip;
    QVERIFY(test::showActive(&trip.window));
    UrbanDialog dialog(context, trip.distance, &trip.window);
    trip.take(dialog);
    QVERIFY(test::showActive(&dialog));
    auto *pu = test::child<QLineEdit>(&dialog, QStringLiteral("pu"));
    auto *surb = test::child<QLineEdit>(&dialog, QStringLiteral("surb"));

    int boxes = 0;
    QString shown;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++boxes;
            shown = box->text();
            box->accept();
        }
    });
    closer.start();
    test::type(pu, QStringLiteral("abc"));
    surb->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(boxes, 1);
    QTRY_VERIFY(pu->hasFocus());
    QTRY_COMPARE(pu->selectedText(), QStringLiteral("abc"));
    QTest::qWait(100);
    QCOMPARE(boxes, 1);
    QCOMPARE(shown, QStringLiteral("Introduceti doar numere !"));
    closer.stop();
}

QTEST_MAIN(UrbanDialogTest)
#include "tst_urbandialog.moc"
