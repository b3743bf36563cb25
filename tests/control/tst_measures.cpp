// The odometer and tank readings as typed: blank is not recorded, the header
// check of "Salvare" refuses what the boxes refuse on leaving.
#include "base/numbers.h"
#include "control/measures.h"
#include "trips/triprules.h"

#include <QtTest>

using namespace vok;

class MeasuresTest : public QObject {
    Q_OBJECT
private slots:
    void typedValue_data();
    void typedValue();
    void headerCheck_data();
    void headerCheck();
};

void MeasuresTest::typedValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("shown"); // blank: not recorded
    QTest::newRow("blank") << "" << true << "";
    QTest::newRow("blanks only") << "   " << true << "";
    QTest::newRow("zero is a reading") << "0" << true << "0.0";
    QTest::newRow("rounded half away") << "1250.05" << true << "1250.1";
    QTest::newRow("point first") << ".5" << true << "0.5";
    QTest::newRow("letters") << "12a" << false << "";
    QTest::newRow("comma") << "12,5" << false << "";
}

void MeasuresTest::typedValue()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, shown);
    bool read = true;
    const std::optional<double> value = control::measuredValue(text, &read);
    QCOMPARE(read, ok);
    QCOMPARE(control::measuredText(value, control::kmMask()), shown);
}

void MeasuresTest::headerCheck_data()
{
    QTest::addColumn<QString>("kmplecare");
    QTest::addColumn<QString>("kmsosire");
    QTest::addColumn<QString>("problem"); // empty: accepted
    QTest::addColumn<int>("field");
    const int departure = int(trips::HeaderProblem::Field::OdometerDeparture);
    const int arrival = int(trips::HeaderProblem::Field::OdometerReturn);
    QTest::newRow("not recorded") << "" << "" << "" << 0;
    QTest::newRow("both") << "1200.0" << "1250.0" << "" << 0;
    QTest::newRow("equal") << "1200.0" << "1200.0" << "" << 0;
    QTest::newRow("return below") << "1200.0" << "1199.9" << control::odometerBackMessage() << arrival;
    QTest::newRow("departure alone") << "1200.0" << "" << "" << 0;
    QTest::newRow("return alone") << "" << "3" << "" << 0;
    QTest::newRow("negative departure") << "-1" << "" << negativeKmMessage() << departure;
    QTest::newRow("negative return") << "" << "-0.5" << negativeKmMessage() << arrival;
    QTest::newRow("text") << "abc" << "" << "Introduceti doar numere !" << departure;
}

void MeasuresTest::headerCheck()
{
    QFETCH(QString, kmplecare);
    QFETCH(QString, kmsosire);
    QFETCH(QString, problem);
    QFETCH(int, field);
    trips::HeaderTexts typed;
    typed.nrauto = QStringLiteral("B-01-ABC");
    typed.ida = 1;
    typed.nrf = QStringLiteral("5");
    typed.nrc = QStringLiteral("1");
    typed.zi = QStringLiteral("05");
    typed.luna = QStringLiteral("03");
    typed.anul = QStringLiteral("2024");
    typed.op = QStringLiteral("8.00");
    typed.os = QStringLiteral("16.00");
    typed.kmplecare = kmplecare;
    typed.kmsosire = kmsosire;
    const auto checked = trips::checkHeader(typed, QDate(2025, 1, 1));
    if (problem.isEmpty()) {
        QVERIFY(std::holds_alternative<trips::CheckedHeader>(checked));
        const SheetHeader &h = std::get<trips::CheckedHeader>(checked).header;
        QCOMPARE(h.kmplecare.has_value(), !kmplecare.isEmpty());
        QCOMPARE(h.kmsosire.has_value(), !kmsosire.isEmpty());
        if (h.kmplecare)
            QCOMPARE(*h.kmplecare, kmplecare.toDouble());
        return;
    }
    QVERIFY(std::holds_alternative<trips::HeaderProblem>(checked));
    QCOMPARE(std::get<trips::HeaderProblem>(checked).message, problem);
    QCOMPARE(int(std::get<trips::HeaderProblem>(checked).field), field);
}

QTEST_APPLESS_MAIN(MeasuresTest)
#include "tst_measures.moc"
