#include "base/numbers.h"
#include "trips/consumption.h"

#include <QtTest>

using namespace vok;

class ConsumptionTest : public QObject {
    Q_OBJECT
private slots:
    void distances_data();
    void distances();
    void consumption_data();
    void consumption();
    void defaultsAreNeutral();
    void rounding_data();
    void rounding();
};

void ConsumptionTest::distances_data()
{
    QTest::addColumn<QList<double>>("km");
    QTest::addColumn<QString>("kmT");
    QTest::addColumn<QString>("Ped");
    QTest::newRow("all zero") << QList<double>{0, 0, 0, 0, 0, 0} << QStringLiteral("0") << QStringLiteral("0");
    QTest::newRow("100 on I") << QList<double>{100, 0, 0, 0, 0, 0} << QStringLiteral("100") << QStringLiteral("90");
    QTest::newRow("100 on VI") << QList<double>{0, 0, 0, 0, 0, 100} << QStringLiteral("100") << QStringLiteral("160");
    QTest::newRow("10 on each") << QList<double>{10, 10, 10, 10, 10, 10} << QStringLiteral("60") << QStringLiteral("72");
    QTest::newRow("one decimal") << QList<double>{12.3, 0, 4.4, 0, 0, 0} << QStringLiteral("16.7") << QStringLiteral("15.9");
    // 0.9 * 0.5 = 0.45, 1.1 * 0.5 = 0.55: 1.0 after rounding each sum once
    QTest::newRow("rounded once") << QList<double>{0.5, 0, 0.5, 0, 0, 0} << QStringLiteral("1") << QStringLiteral("1");
    QTest::newRow("half up") << QList<double>{0.05, 0, 0, 0, 0, 0} << QStringLiteral("0.1") << QStringLiteral("0");
    QTest::newRow("72.1 stays 72.1") << QList<double>{0, 72.1, 0, 0, 0, 0} << QStringLiteral("72.1") << QStringLiteral("72.1");
}

void ConsumptionTest::distances()
{
    QFETCH(QList<double>, km);
    QFETCH(QString, kmT);
    QFETCH(QString, Ped);
    std::array<double, 6> a{};
    std::copy(km.begin(), km.end(), a.begin());
    const RoadDistances d = roadDistances(a);
    QCOMPARE(singleText(d.kmT), kmT);
    QCOMPARE(singleText(d.Ped), Ped);
}

void ConsumptionTest::consumption_data()
{
    // Inputs: Ped, kmT, T, U, I, nri, Ra, Kg, A, Nod, Ni; vehicle: Cm, Ca, formula.
    QTest::addColumn<QList<double>>("inputs");
    QTest::addColumn<QList<double>>("vehicle");
    QTest::addColumn<double>("Pe");
    QTest::addColumn<QString>("Cn");
    QTest::addColumn<QString>("Cua");
    auto row = [](const char *name, QList<double> in, QList<double> v, double Pe, const char *Cn, const char *Cua) {
        QTest::newRow(name) << in << v << Pe << QString::fromLatin1(Cn) << QString::fromLatin1(Cua);
    };
    //                                  Ped   kmT  T  U  I  nri Ra  Kg   A    Nod Ni     Cm  Ca   f
    row("100 km on I, formula 1",      {90,   100, 0, 0, 0, 0,  0,  1,   1,   0,  0},   {30, 0,   1}, 90, "27", "0.000");
    row("Kg 1.2, formula 1",           {90,   100, 0, 0, 0, 0,  0,  1.2, 1,   0,  0},   {30, 0,   1}, 90, "32.4", "0.000");
    row("Kg 1.2 ignored, formula 2",   {90,   100, 0, 0, 0, 0,  0,  1.2, 1,   0,  0},   {30, 0,   2}, 90, "27", "0.000");
    row("Kg ignored, formula 0",       {90,   100, 0, 0, 0, 0,  0,  0,   1,   0,  0},   {30, 0,   0}, 90, "27", "0.000");
    row("Q1 alone",                    {0,    0,   0, 0, 0, 0,  0,  1,   1,   4,  0},   {30, 0,   1}, 0,  "0.3", "0.000");
    row("Q4 alone",                    {0,    0,   0, 0, 0, 0,  0,  1,   1,   0,  2},   {30, 0,   2}, 0,  "3", "0.000");
    row("services and air",            {100,  100, 0, 0, 5, 2,  3,  1,   1,   0,  0},   {10, 0,   2}, 113, "11.3", "0.000");
    row("negative air rate",           {100,  100, 0, 0, 0, 0,  -2, 1,   1,   0,  0},   {10, 0,   2}, 98, "9.8", "0.000");
    row("towing and urban",            {50,   50,  4.5, 2.5, 0, 0, 0, 1, 1,   0,  0},   {20, 0,   2}, 57, "11.4", "0.000");
    row("climate A",                   {100,  100, 0, 0, 0, 0,  0,  1,   1.1, 0,  0},   {20, 0,   2}, 100, "22", "0.000");
    row("every term, formula 1",       {72,   60,  3, 2, 5, 1,  3,  1.15, 1.1, 4, 1},   {25, 0.5, 1}, 83.8, "28.002", "0.419");
    row("all zero",                    {0,    0,   0, 0, 0, 0,  0,  1,   1,   0,  0},   {0,  0,   1}, 0,  "0", "0.000");
    row("Ca 0.5, Pe 90",               {90,   100, 0, 0, 0, 0,  0,  1,   1,   0,  0},   {0,  0.5, 2}, 90, "0", "0.450");
    row("Ca 0.5, Pe 91",               {91,   100, 0, 0, 0, 0,  0,  1,   1,   0,  0},   {0,  0.5, 2}, 91, "0", "0.455");
    row("Ca 0.5, Pe 91.01",            {91,   100, 0.01, 0, 0, 0, 0, 1,  1,   0,  0},   {0,  0.5, 2}, 91.01, "0", "0.456");
    row("raw 12.3401 rounds up",       {100,  0,   0, 0, 0, 0,  0,  1,   1,   0,  0},   {12.3401, 0, 2}, 100, "12.341", "0.000");
    row("raw 12.34 stays",             {100,  0,   0, 0, 0, 0,  0,  1,   1,   0,  0},   {12.34, 0, 2}, 100, "12.34", "0.000");
    row("raw 10.0002 gives 10.001",    {100,  0,   0, 0, 0, 0,  0,  1,   1,   0,  0},   {10.0002, 0, 2}, 100, "10.001", "0.000");
    row("raw 10.000004 gives 10",      {100,  0,   0, 0, 0, 0,  0,  1,   1,   0,  0},   {10.000004, 0, 2}, 100, "10", "0.000");
    row("Ped 72.1 enters as 72.1",     {72.1, 72.1, 0, 0, 0, 0, 0,  1,   1,   0,  0},   {10, 0.5, 2}, 72.1, "7.21", "0.361");
}

void ConsumptionTest::consumption()
{
    QFETCH(QList<double>, inputs);
    QFETCH(QList<double>, vehicle);
    QFETCH(double, Pe);
    QFETCH(QString, Cn);
    QFETCH(QString, Cua);
    TripInput in;
    in.Ped = float(inputs[0]);
    in.kmT = float(inputs[1]);
    in.T = inputs[2];
    in.U = inputs[3];
    in.I = inputs[4];
    in.nri = inputs[5];
    in.Ra = inputs[6];
    in.Kg = inputs[7];
    in.A = inputs[8];
    in.Nod = inputs[9];
    in.Ni = inputs[10];
    const TripConsumption c = tripConsumption(in, VehicleNorms{vehicle[0], vehicle[1], int(vehicle[2])});
    QCOMPARE(doubleText(c.Pe), doubleText(Pe));
    QCOMPARE(singleText(c.Cn), Cn);
    QCOMPARE(c.Cua, Cua);
}

void ConsumptionTest::defaultsAreNeutral()
{
    // The defaults of an input make no surcharge: only Ped counts.
    TripInput in;
    in.Ped = 100;
    in.kmT = 100;
    const TripConsumption c = tripConsumption(in, VehicleNorms{20, 0.4, 1});
    QCOMPARE(c.Pe, 100.0);
    QCOMPARE(singleText(c.Cn), QStringLiteral("20"));
    QCOMPARE(c.Cua, QStringLiteral("0.400"));
}

void ConsumptionTest::rounding_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("one");
    QTest::addColumn<double>("three");
    QTest::newRow("plain") << 12.34 << 12.3 << 12.34;
    QTest::newRow("half away from zero") << 0.25 << 0.3 << 0.25;
    QTest::newRow("thousandth half") << 1.0005 << 1.0 << 1.001;
    QTest::newRow("negative") << -2.35 << -2.4 << -2.35;
}

void ConsumptionTest::rounding()
{
    QFETCH(double, value);
    QFETCH(double, one);
    QFETCH(double, three);
    QCOMPARE(roundTo1(value), one);
    QCOMPARE(roundTo3(value), three);
}

QTEST_GUILESS_MAIN(ConsumptionTest)
#include "tst_consumption.moc"
