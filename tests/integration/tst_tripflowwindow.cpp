// Runs on SQLite only: a keyboard flow through the windows; the stores it reaches run on the server in their own tests.
// The clerk's road through the real trip window and the real dialogs it opens:
// the urban and towing surcharge dialogs and the average-load calculator
// write into the trip window while they are open, and the save stores what
// they wrote. Every control is reached with the mouse and the keyboard.
#include "testenvironment.h"
#include "trips/tripwindow.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

template <typename T = QLineEdit> T *in(QWidget *window, const char *name)
{
    return test::child<T>(window, s(name));
}

// Gives a box the focus and types into it as the clerk does (its whole text
// is replaced), then leaves it with Tab.
void type(QLineEdit *box, const QString &text)
{
    QTest::mouseClick(box, Qt::LeftButton);
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

// Picks an entry of a list through its popup, with the mouse: a click on the
// list opens it (entering the list refills it), a click on the entry picks it.
void pick(QComboBox *list, const QString &entry)
{
    const QPoint arrow(list->width() - 6, list->height() / 2);
    QTest::mouseClick(list, Qt::LeftButton, {}, arrow);
    QAbstractItemView *view = list->view();
    QTRY_VERIFY(view->isVisible());
    QTest::qWait(50); // the entry's queued actions run while the popup is up
    QModelIndex index;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (view->model()->index(row, 0).data().toString() == entry)
            index = view->model()->index(row, 0);
    QVERIFY2(index.isValid(), qPrintable(entry + s(" is not in the list")));
    const QPoint at = view->visualRect(index).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->isVisible());
    QTRY_COMPARE(list->currentText(), entry);
}

// A click on a check box's square.
void tick(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

// Runs `action` on the dialog `name` once it is the active modal window (it
// is opened by the click that follows), then closes it with "Iesire".
void whenOpen(const char *name, std::function<void(QDialog *)> action, bool *done)
{
    *done = false;
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != s(name) || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        // The clerk's next click goes to the dialog on top.
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("%s did not become active", name);
        action(dialog);
        if (dialog->isVisible()) {
            auto *exit = dialog->findChild<QPushButton *>(s(std::string_view(name) == "utilitar" ? "Command2"
                                                                                                : "Command1"));
            if (exit)
                QTest::mouseClick(exit, Qt::LeftButton);
        }
        *done = true;
    });
    poll->start();
}

struct Fixture {
    test::TestEnvironment env;
    std::unique_ptr<TripWindow> window;

    Fixture()
    {
        // A goods vehicle, engine class 2 (151 - 215 CP), Cm 28.5 and Ca 0.6.
        env.sql(s("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod, apar) "
                  "VALUES ('B-10-ABC', 'ROMAN 10215', 1, 2, 28.5, 0.6, 22, 2.25, 0, 0, 1)"));
        env.sql(s("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (1, 30, 28.5, 26, 2)"));
        env.sql(s("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod, apar) "
                  "VALUES ('B-20-XYZ', 'DACIA LOGAN', 2, 1, 7.5, 0.3, 3.5, 0.5, 0, 0, 1)"));
        env.sql(s("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (2, 7.5, 6.1, 5.2, 1)"));
        const char *kg[] = {"(0, 0.85, 0.9, 0.8, 0.85)", "(4, 1, 1.05, 0.95, 1)", "(6, 1.05, 1.1, 1, 1.05)",
                            "(8, 1.1, 1.15, 1.05, 1.1)", "(10, 1.15, 1.2, 1.1, 1.15)"};
        for (const char *row : kg)
            env.sql(s("INSERT INTO coefKg (tone, motor1fr, motor1r, motor23fr, motor23r) VALUES ") + s(row));
        env.sql(s("INSERT INTO sporU (autom, bucur, restul) VALUES ('Autoturisme', 20, 15)"));
        env.sql(s("INSERT INTO sporU (autom, bucur, restul) VALUES ('Automobile de marfuri', 30, 25)"));
        const char *towing[] = {"('1', 'Remorca usoara', 'pana la 1.5', 15, 25, 12, 20, 10, 18)",
                                "('2', 'Remorca cu doua osii', '1.5 - 3', 25, 40, 20, 35, 18, 30)"};
        for (const char *row : towing)
            env.sql(s("INSERT INTO sporT (nrcrt, tip_r, gr, motor1r1, motor1r2, motor2r1, motor2r2, motor3r1, "
                      "motor3r2) VALUES ")
                    + s(row));
        window = std::make_unique<TripWindow>(env.context());
    }

    template <typename T = QLineEdit> T *c(const char *name) { return in<T>(window.get(), name); }

    QVariant stored(const char *column)
    {
        return env.value(s("SELECT ") + s(column) + s(" FROM curse WHERE nrc=1"));
    }
};

} // namespace

class TripFlowWindowTest : public QObject {
    Q_OBJECT
private slots:
    void tripWithDialogs();
    void listsOpenWithTheMouse();
};

// 12 km in town at u 25 and 40 km towed with two trailers behind an engine of
// class 2, a load computed from three legs: the trip stores U 3.0, T 14.0,
// kmurb 12, kmtract 40, the Kg of the computed load and a Cn with both
// surcharges.
void TripFlowWindowTest::tripWithDialogs()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));

    pick(f.c<QComboBox>("nra"), s("B-10-ABC"));
    QCOMPARE(f.c<QLabel>("tip")->text(), s("Marca si tipul : ROMAN 10215"));

    auto *nrfoi = f.c<QComboBox>("nrfoi");
    QTest::mouseClick(nrfoi->lineEdit(), Qt::LeftButton);
    QTRY_VERIFY(nrfoi->hasFocus());
    QTest::keyClicks(nrfoi->lineEdit(), s("101"));
    type(f.c("zi"), s("2"));
    type(f.c("luna"), s("11"));
    type(f.c("anul"), s("2026"));
    type(f.c("op"), s("6"));
    type(f.c("os"), s("14"));
    type(f.c("nrc"), s("1"));
    type(f.c("trs"), s("Bucuresti - Ploiesti"));
    type(f.c("cat1"), s("100"));
    type(f.c("cat3"), s("20"));
    QCOMPARE(f.c<QLabel>("total")->text(), s("120"));
    QCOMPARE(f.c<QLabel>("echiv")->text(), s("112"));
    QTest::mouseClick(f.c<QRadioButton>("r2"), Qt::LeftButton);
    QVERIFY(f.c<QRadioButton>("r2")->isChecked());

    // The load of three legs: (60 x 10 + 40 x 6 + 20 x 0) / 120 = 7.0 t,
    // looked up for two trailers in motor23r: the row of 8 t gives 1.1.
    bool done = false;
    whenOpen("utilitar", [](QDialog *d) {
        const char *legs[][2] = {{"km1", "60"}, {"g1", "10"}, {"km2", "40"}, {"g2", "6"}, {"km3", "20"}, {"g3", "0"}};
        for (const auto &leg : legs)
            type(in(d, leg[0]), s(leg[1]));
        QTest::mouseClick(in<QPushButton>(d, "Command1"), Qt::LeftButton);
        QCOMPARE(in<QLabel>(d, "totkm")->text(), s("120.0"));
        QCOMPARE(in<QLabel>(d, "gmed")->text(), s("Gm = 7.0"));
    }, &done);
    QTest::mouseClick(f.c<QPushButton>("Command1"), Qt::LeftButton);
    QTRY_VERIFY(done);
    QCOMPARE(f.c("greut")->text(), s("7.0"));
    QCOMPARE(f.c("Kg")->text(), s("1.1"));

    // Towing: the row "Remorca cu doua osii 1.5 - 3" gives t 35 in motor2r2.
    whenOpen("tractare", [](QDialog *d) {
        QCOMPARE(in<QLabel>(d, "Label13")->text(), s("2 remorca"));
        auto *grid = in<QTableView>(d, "DBGrid1");
        const QPoint at = grid->visualRect(grid->model()->index(1, 2)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTRY_COMPARE(in(d, "stract")->text(), s("35"));
        type(in(d, "pt"), s("40"));
        QCOMPARE(in<QLabel>(d, "Label15")->text(), s("T = (Pt / 100) * t = 14.0"));
    }, &done);
    tick(f.c<QCheckBox>("tract"));
    QTRY_VERIFY(done);
    QVERIFY(f.c<QCheckBox>("tract")->isChecked());
    QVERIFY(f.c("spT")->isEnabled());
    QCOMPARE(f.c("spT")->text(), s("14.0"));
    QCOMPARE(f.c<QLabel>("Label23")->text(), s("km echiv. la 40.0 km tractati"));

    // Urban driving: 12 km at u 25.
    whenOpen("sporurb", [](QDialog *d) {
        QCOMPARE(in(d, "pu")->text(), QString()); // no urban distance typed yet
        type(in(d, "pu"), s("12"));
        type(in(d, "surb"), s("25"));
        QCOMPARE(in<QLabel>(d, "Label2")->text(), s("U = (Pu/100) * u = 3.0"));
    }, &done);
    tick(f.c<QCheckBox>("sporU"));
    QTRY_VERIFY(done);
    QVERIFY(f.c<QCheckBox>("sporU")->isChecked());
    QCOMPARE(f.c("spU")->text(), s("3.0"));
    QCOMPARE(f.c<QLabel>("Label48")->text(), s("km echiv. la 12.0 km in urban"));
    QCOMPARE(f.env.messages().texts(), QStringList());

    f.env.messages().answer(true); // the new sheet's question
    QTest::mouseClick(f.c<QPushButton>("Command2"), Qt::LeftButton);
    QTRY_COMPARE(f.env.messages().last(), s(" Datele au fost salvate "));
    QVERIFY2(f.env.messages().problems().isEmpty(), qPrintable(f.env.messages().problems().join(u'\n')));

    // Pe = 112 + 14 + 3 = 129; Cn = 1.29 x 28.5 x 1.1 = 40.4415 -> 40.442;
    // Cu = 1.29 x 0.6 = 0.774.
    QCOMPARE(f.stored("U").toDouble(), 3.0);
    QCOMPARE(f.stored("kmurb").toDouble(), 12.0);
    QCOMPARE(f.stored("T").toDouble(), 14.0);
    QCOMPARE(f.stored("kmtract").toDouble(), 40.0);
    QCOMPARE(f.stored("Gm").toDouble(), 7.0);
    QCOMPARE(f.stored("Kg").toDouble(), 1.1);
    QCOMPARE(f.stored("remorca").toInt(), 2);
    QCOMPARE(f.stored("kmT").toDouble(), 120.0);
    QCOMPARE(f.stored("kmE").toDouble(), 112.0);
    QCOMPARE(f.stored("Cn").toDouble(), 40.442);
    QCOMPARE(f.stored("Cu").toDouble(), 0.774);
    QCOMPARE(f.c<QTableView>("DBGrid1")->model()->rowCount(), 1);

    // The next trip: the towing dialog reopens from Pt "0.0" and leaves spT
    // alone; the urban one reopens with 12.0 and u "0", spU back to 0.0.
    whenOpen("sporurb", [](QDialog *d) {
        QCOMPARE(in(d, "pu")->text(), s("12.0"));
        QCOMPARE(in(d, "surb")->text(), s("0"));
    }, &done);
    tick(f.c<QCheckBox>("sporU"));
    QTRY_VERIFY(done);
    QCOMPARE(f.c("spU")->text(), s("0.0"));
    QVERIFY2(f.env.messages().problems().isEmpty(), qPrintable(f.env.messages().problems().join(u'\n')));
}

// The vehicle, sheet and driver lists open with a click and take the entry
// clicked in them.
void TripFlowWindowTest::listsOpenWithTheMouse()
{
    Fixture f;
    f.env.sql(s("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul) "
                "VALUES (101, 1, 'POPESCU ION', 6, 14, 8, '02.11.2026', 1, 11, 2026)"));
    f.env.sql(s("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul) "
                "VALUES (102, 1, 'IONESCU VASILE', 6, 14, 8, '10.11.2026', 1, 11, 2026)"));
    QVERIFY(test::showActive(f.window.get()));

    pick(f.c<QComboBox>("nra"), s("B-20-XYZ"));
    QCOMPARE(f.c<QLabel>("tip")->text(), s("Marca si tipul : DACIA LOGAN"));
    pick(f.c<QComboBox>("nra"), s("B-10-ABC"));
    QCOMPARE(f.c<QLabel>("tip")->text(), s("Marca si tipul : ROMAN 10215"));

    type(f.c("luna"), s("11"));
    type(f.c("anul"), s("2026"));
    auto *nrfoi = f.c<QComboBox>("nrfoi");
    pick(nrfoi, s("102"));
    QTRY_COMPARE(f.c("zi")->text(), s("10"));
    QCOMPARE(f.c<QComboBox>("sof")->currentText(), s("IONESCU VASILE"));

    auto *sof = f.c<QComboBox>("sof");
    pick(sof, s("POPESCU ION"));
    QCOMPARE(sof->currentText(), s("POPESCU ION"));
    QCOMPARE(nrfoi->currentText(), s("102"));
    QVERIFY2(f.env.messages().problems().isEmpty(), qPrintable(f.env.messages().problems().join(u'\n')));
    QCOMPARE(f.env.messages().texts(), QStringList());
}

QTEST_MAIN(TripFlowWindowTest)
#include "tst_tripflowwindow.moc"
