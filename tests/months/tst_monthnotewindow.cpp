// The note of the trip and refuelling windows after a save that changes a
// month whose V.O.K. was closed: beside the buttons, no message box.
#include "fuel/refuelwindow.h"
#include "months/monthclose.h"
#include "testenvironment.h"
#include "trips/tripwindow.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "windowtest.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

using namespace vok;

class MonthNoteWindowTest : public QObject {
    Q_OBJECT
private slots:
    void tripSave_data();
    void tripSave();
    void refuellingSave_data();
    void refuellingSave();
};

namespace {

const QString note = QStringLiteral("Atentie: V.O.K. februarie 2026 nu mai este actualizat (vezi SITUATIE)");

// A car with sheet 7 of February 2026 and its trip 1, February closed or not.
void fleet(test::TestEnvironment &env, bool closed)
{
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf) "
                           "VALUES ('B-02-CAR', 'DACIA LOGAN', 2, 1, 7.5, 0.1, 4, 0.5)"));
    env.sql(QStringLiteral("INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (1, 8.5, 7.5, 6, 2)"));
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul) "
                           "VALUES (7, 1, 'POPESCU ION', 8, 16, 8, '10.02.2026', 1, 2, 2026)"));
    env.sql(QStringLiteral("INSERT INTO curse (idf, nrc, kmII, kmT, kmE, Kg, Gm, A, Cn, Cu, traseu) "
                           "VALUES (1, 1, 100, 100, 100, 1, 0, 1, 7.5, 0.1, 'CLUJ - DEJ')"));
    if (closed)
        closeMonth(env.db(), 1, 2026, 2);
}

void addRows()
{
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("closed month") << true << note;
    QTest::newRow("month never closed") << false << QString();
}

} // namespace

void MonthNoteWindowTest::tripSave_data() { addRows(); }

void MonthNoteWindowTest::tripSave()
{
    QFETCH(bool, closed);
    QFETCH(QString, expected);
    test::TestEnvironment env;
    fleet(env, closed);
    TripWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *nra = test::child<QComboBox>(&window, QStringLiteral("nra"));
    lists::fillVehicles(nra, env.db());
    nra->setCurrentIndex(nra->findText(QStringLiteral("B-02-CAR")));
    test::type(test::child<QLineEdit>(&window, QStringLiteral("luna")), QStringLiteral("02"));
    test::type(test::child<QLineEdit>(&window, QStringLiteral("anul")), QStringLiteral("2026"));
    auto *nrfoi = test::child<QComboBox>(&window, QStringLiteral("nrfoi"));
    nrfoi->setFocus();
    QTRY_VERIFY(nrfoi->hasFocus());
    nrfoi->setEditText(QStringLiteral("7"));
    test::child<QLineEdit>(&window, QStringLiteral("zi"))->setFocus();
    QTRY_COMPARE(test::child<QLineEdit>(&window, QStringLiteral("zi"))->text(), QStringLiteral("10"));
    // Trip 1 corrected: 150 km instead of 100.
    test::type(test::child<QLineEdit>(&window, QStringLiteral("nrc")), QStringLiteral("1"));
    test::type(test::child<QLineEdit>(&window, QStringLiteral("cat2")), QStringLiteral("150"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    auto *label = test::child<QLabel>(&window, QStringLiteral("notaluna"));
    env.messages().answer(true);
    QTest::mouseClick(test::child<QPushButton>(&window, QStringLiteral("Command2")), Qt::LeftButton);
    QTRY_COMPARE(env.messages().last(), QStringLiteral(" Datele au fost salvate "));
    QCOMPARE(env.value(QStringLiteral("SELECT kmT FROM curse")).toDouble(), 150.0);
    // The messages of the save are as they were: the note is no message box.
    QCOMPARE(label->text(), expected);
    QCOMPARE(env.messages().texts().size(), 2);
    QVERIFY2(env.messages().problems().isEmpty(), qPrintable(env.messages().problems().join(u'\n')));
}

void MonthNoteWindowTest::refuellingSave_data() { addRows(); }

void MonthNoteWindowTest::refuellingSave()
{
    QFETCH(bool, closed);
    QFETCH(QString, expected);
    test::TestEnvironment env;
    fleet(env, closed);
    RefuelWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto choose = [&](const char *name, const QString &text) {
        auto *combo = test::child<QComboBox>(&window, QString::fromLatin1(name));
        combo->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        const int index = combo->findText(text);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    choose("nra", QStringLiteral("B-02-CAR"));
    choose("an", QStringLiteral("2026"));
    choose("luna", QStringLiteral("februarie"));
    choose("nrfoi", QStringLiteral("7"));
    QTest::mouseClick(test::child<QRadioButton>(&window, QStringLiteral("bm")), Qt::LeftButton);
    test::type(test::child<QLineEdit>(&window, QStringLiteral("cantc")), QStringLiteral("30"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    env.messages().answer(true);
    QTest::mouseClick(test::child<QPushButton>(&window, QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_COMPARE(env.messages().last(), QStringLiteral(" Datele au fost salvate "));
    QCOMPARE(env.value(QStringLiteral("SELECT bm FROM foaie")).toDouble(), 30.0);
    QCOMPARE(test::child<QLabel>(&window, QStringLiteral("notaluna"))->text(), expected);
    QVERIFY2(env.messages().problems().isEmpty(), qPrintable(env.messages().problems().join(u'\n')));
}

QTEST_MAIN(MonthNoteWindowTest)
#include "tst_monthnotewindow.moc"
