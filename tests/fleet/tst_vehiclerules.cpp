#include "fleet/vehiclerules.h"

#include <QtTest>

using namespace vok;
using Field = vehicle::EntryProblem::Field;

Q_DECLARE_METATYPE(Field)

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

vehicle::VehicleTexts goodVehicle()
{
    vehicle::VehicleTexts v;
    v.nrauto = s("B-01-TIR");
    v.marca = s("ROMAN 19.215");
    v.Cm1 = s("34.000");
    v.Cm2 = s("30.000");
    v.Cm3 = s("28.000");
    v.Cb = s("20.00");
    v.Cf = s("2.00");
    v.Ca = s("0.500");
    return v;
}

} // namespace

class VehicleRulesTest : public QObject {
    Q_OBJECT
private slots:
    void checkSave_data();
    void checkSave();
    void leavingTheNumberAndMake_data();
    void leavingTheNumberAndMake();
};

void VehicleRulesTest::checkSave_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<Field>("field");
    QTest::newRow("good") << QString() << QString() << QString() << Field::Number;
    QTest::newRow("no number") << s("nrauto") << QString() << s(" Selectati numarul de inmatriculare !!! ")
                               << Field::Number;
    QTest::newRow("apostrophe in number") << s("nrauto") << s("B'1")
                                          << s(" Nu se acccepta caracterul apostrof (') !!! ") << Field::Number;
    QTest::newRow("number of 16") << s("nrauto") << QString(16, u'B') << s(" Numarul maxim de caractere este 15 !!! ")
                                  << Field::Number;
    QTest::newRow("number of 15") << s("nrauto") << QString(15, u'B') << QString() << Field::Number;
    QTest::newRow("apostrophe in make") << s("marca") << s("O'Neil") << s(" Nu se acccepta caracterul apostrof (') !!! ")
                                        << Field::Make;
    QTest::newRow("make of 31") << s("marca") << QString(31, u'M') << s(" Numarul maxim de caractere este 30 !!! ")
                                << Field::Make;
    QTest::newRow("no make") << s("marca") << QString() << s(" Specificati marca si tipul autovehiculului !!! ")
                             << Field::Make;
    QTest::newRow("Cm1 0") << s("Cm1") << s("0") << s(" Specificati consumul urban de combustibil !!! ") << Field::Cm1;
    QTest::newRow("Cm2 0.000") << s("Cm2") << s("0.000") << s(" Specificati consumul mixt de combustibil !!! ")
                               << Field::Cm2;
    QTest::newRow("Cm3 text") << s("Cm3") << s("abc") << s(" Specificati consumul extraurban de combustibil !!! ")
                              << Field::Cm3;
    QTest::newRow("Cb 0") << s("Cb") << s("0.00") << s(" Specificati capacitatea baii (rezervorului) de ulei !!! ")
                          << Field::Cb;
    QTest::newRow("Cf 0") << s("Cf") << s("0") << s(" Specificati capacitatea filtrului de ulei!!! ") << Field::Cf;
    QTest::newRow("Ca -0") << s("Ca") << s("-0") << s(" Specificati consumul normat de ulei pentru ardere !!! ")
                           << Field::Ca;
    QTest::newRow("Cm1 -1 passes") << s("Cm1") << s("-1") << QString() << Field::Number;
    QTest::newRow("no regime") << s("regime") << QString()
                               << s(" Selectati consumul mediu de carburant implicit !!! ") << Field::Regime;
    QTest::newRow("no kind") << s("kind") << QString() << s(" Selectati tipul de auto !!! ") << Field::Kind;
}

void VehicleRulesTest::checkSave()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(Field, field);
    vehicle::VehicleTexts v = goodVehicle();
    const std::map<QString, QString *> boxes = {{s("nrauto"), &v.nrauto}, {s("marca"), &v.marca}, {s("Cm1"), &v.Cm1},
                                                {s("Cm2"), &v.Cm2},       {s("Cm3"), &v.Cm3},     {s("Cb"), &v.Cb},
                                                {s("Cf"), &v.Cf},         {s("Ca"), &v.Ca}};
    if (box == s("regime"))
        v.regimeChosen = false;
    else if (box == s("kind"))
        v.kindChosen = false;
    else if (!box.isEmpty())
        *boxes.at(box) = text;
    const std::optional<vehicle::EntryProblem> problem = vehicle::checkSave(v);
    QCOMPARE(problem ? problem->message : QString(), message);
    if (problem)
        QCOMPARE(problem->field, field);
}

void VehicleRulesTest::leavingTheNumberAndMake_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("numberMessage");
    QTest::addColumn<QString>("makeMessage");
    const QString apostrophe = s(" Nu se acccepta caracterul apostrof (') !!! ");
    QTest::newRow("accepted") << s("B-01") << s("ARO") << QString() << QString();
    QTest::newRow("empty is left freely") << QString() << QString() << QString() << QString();
    QTest::newRow("apostrophes") << s("B'01") << s("O'Neil") << apostrophe << apostrophe;
    QTest::newRow("apostrophe before length") << QString(16, u'\'') << QString(31, u'M') << apostrophe << QString();
    QTest::newRow("16 characters") << QString(16, u'B') << QString() << s(" Numarul maxim de caractere este 15 !!! ")
                                   << QString();
}

void VehicleRulesTest::leavingTheNumberAndMake()
{
    QFETCH(QString, number);
    QFETCH(QString, make);
    QFETCH(QString, numberMessage);
    QFETCH(QString, makeMessage);
    QCOMPARE(vehicle::numberProblem(number), numberMessage);
    QCOMPARE(vehicle::makeProblem(make), makeMessage);
}

QTEST_MAIN(VehicleRulesTest)
#include "tst_vehiclerules.moc"
