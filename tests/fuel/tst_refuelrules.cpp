#include "base/numbers.h"
#include "fuel/refuelrules.h"

#include <QtTest>

using namespace vok;
using namespace vok::refuel;
using Field = EntryProblem::Field;

Q_DECLARE_METATYPE(vok::refuel::FuelType)
Q_DECLARE_METATYPE(vok::refuel::EntryProblem::Field)

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

const QString noVehicle = s(" Selectati numarul de inmatriculare !!! ");
const QString noSheet = s(" Selectati numarul foii de parcurs !!! ");
const QString onlyNumbers = s("Introduceti doar numere !");
const QString apostrophe = s(" Nu se acccepta caracterul apostrof (') !!! ");
const QString negativeLitres = s(" Cantitatea nu poate fi negativa !!! ");
const QString noQuantity = s(" Specificati cantitatea !!! ");

// A form that passes every check: diesel with its receipt, both tank levels,
// oil of each kind, both changes and fuel returned.
RefuelForm goodForm()
{
    RefuelForm f;
    f.type = FuelType::PetrolDiesel;
    f.cantc = s("40.000");
    f.actc = s("BF 77/02.03");
    f.rezplecare = s("12.50");
    f.rezsosire = s("30.00");
    f.cantu1 = s("1.50");
    f.actu1 = s("U1");
    f.cantu2 = s("2.00");
    f.actu2 = s("U2");
    f.cantu3 = s("3.00");
    f.actu3 = s("U3");
    f.schu = true;
    f.actschu = s("SU 5");
    f.schf = true;
    f.actschf = s("SF 6");
    f.rstc = s("4.000");
    f.actrst = s("R 1");
    return f;
}

// Puts `text` into the box `name` of the form: a text box by its name, the
// fuel type ("type": bm, gz or none), a change's tick ("schu", "schf": 1 or 0).
void set(RefuelForm &f, const QString &name, const QString &text)
{
    if (name == u"type") {
        f.type = text == u"bm" ? FuelType::PetrolDiesel : text == u"gz" ? FuelType::Gas : FuelType::None;
        return;
    }
    if (name == u"schu" || name == u"schf") {
        (name == u"schu" ? f.schu : f.schf) = text == u"1";
        return;
    }
    const std::pair<const char *, QString *> boxes[] = {
        {"cantc", &f.cantc},   {"actc", &f.actc},     {"rezplecare", &f.rezplecare}, {"rezsosire", &f.rezsosire},
        {"cantu1", &f.cantu1}, {"actu1", &f.actu1},   {"cantu2", &f.cantu2},         {"actu2", &f.actu2},
        {"cantu3", &f.cantu3}, {"actu3", &f.actu3},   {"actschu", &f.actschu},       {"actschf", &f.actschf},
        {"rstc", &f.rstc},     {"actrst", &f.actrst}};
    for (const auto &[box, member] : boxes) {
        if (name == QLatin1StringView(box)) {
            *member = text;
            return;
        }
    }
    QFAIL(qPrintable(s("no box ") + name));
}

// The form's texts, named, so that a failed comparison shows the box.
QStringList formTexts(const RefuelForm &f)
{
    return {s("type=") + QString::number(int(f.type)), s("cantc=") + f.cantc, s("actc=") + f.actc,
            s("rezplecare=") + f.rezplecare, s("rezsosire=") + f.rezsosire, s("cantu1=") + f.cantu1,
            s("actu1=") + f.actu1, s("cantu2=") + f.cantu2, s("actu2=") + f.actu2, s("cantu3=") + f.cantu3,
            s("actu3=") + f.actu3, s("schu=") + QString::number(f.schu), s("actschu=") + f.actschu,
            s("schf=") + QString::number(f.schf), s("actschf=") + f.actschf, s("rstc=") + f.rstc,
            s("actrst=") + f.actrst};
}

// A stored refuelling by column, as the store writes it; a tank level not
// recorded reads as a null QVariant.
QVariant column(const SheetRefuel &v, const QString &name)
{
    const auto level = [](const std::optional<double> &l) { return l ? QVariant(*l) : QVariant(); };
    const QHash<QString, QVariant> columns = {
        {s("bm"), v.bm},           {s("gz"), v.gz},           {s("nractc"), v.nractc},
        {s("um"), v.um},           {s("nractu1"), v.nractu1}, {s("ut"), v.ut},
        {s("nractu2"), v.nractu2}, {s("ua"), v.ua},           {s("nractu3"), v.nractu3},
        {s("schu"), v.schu},       {s("nractschu"), v.nractschu}, {s("schf"), v.schf},
        {s("nractschf"), v.nractschf}, {s("restit"), v.restit}, {s("nractrst"), v.nractrst},
        {s("rezplecare"), level(v.rezplecare)}, {s("rezsosire"), level(v.rezsosire)}};
    if (!columns.contains(name))
        qWarning("no column %s", qPrintable(name));
    return columns.value(name);
}

} // namespace

class RefuelRulesTest : public QObject {
    Q_OBJECT
private slots:
    void checkSave_data();
    void checkSave();
    void selection_data();
    void selection();
    void documentProblem_data();
    void documentProblem();
    void writes_data();
    void writes();
    void blankSheetShowsTheBlankForm();
    void sheetShownThenSavedIsUnchanged();
    void fuelShown_data();
    void fuelShown();
    void fuelStored_data();
    void fuelStored();
    void questionsAndReports();
};

void RefuelRulesTest::checkSave_data()
{
    // Each row spoils one or two boxes of a good form (a box "ida" or "idf"
    // takes the vehicle's or the sheet's key).
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box2");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("message"); // empty: accepted
    const QString none;
    QTest::newRow("good") << none << none << none << none << Field::Vehicle << none;
    QTest::newRow("no vehicle") << s("ida") << s("0") << none << none << Field::Vehicle << noVehicle;
    QTest::newRow("no sheet") << s("idf") << s("0") << none << none << Field::Sheet << noSheet;
    QTest::newRow("vehicle before sheet") << s("idf") << s("0") << s("ida") << s("0") << Field::Vehicle << noVehicle;
    QTest::newRow("sheet before quantities") << s("cantc") << s("x") << s("idf") << s("0") << Field::Sheet << noSheet;

    // The quantities: what leaving the box would have refused.
    QTest::newRow("cantc text") << s("cantc") << s("abc") << none << none << Field::Cantc << onlyNumbers;
    QTest::newRow("cantu1 empty") << s("cantu1") << QString() << none << none << Field::Cantu1 << onlyNumbers;
    QTest::newRow("cantu2 text") << s("cantu2") << s("abc") << none << none << Field::Cantu2 << onlyNumbers;
    QTest::newRow("cantu3 two points") << s("cantu3") << s("1.2.3") << none << none << Field::Cantu3 << onlyNumbers;
    QTest::newRow("rstc text") << s("rstc") << s("4 l") << none << none << Field::Rstc << onlyNumbers;
    QTest::newRow("negative oil passes") << s("cantu1") << s("-1") << none << none << Field::Vehicle << none;
    QTest::newRow("quantities in order") << s("rstc") << s("x") << s("cantu1") << s("x") << Field::Cantu1
                                         << onlyNumbers;

    // The tank levels: blank is not recorded; a number 0 or above.
    QTest::newRow("tank blank") << s("rezplecare") << QString() << s("rezsosire") << s("  ") << Field::Vehicle
                                << none;
    QTest::newRow("tank 0") << s("rezsosire") << s("0") << none << none << Field::Vehicle << none;
    QTest::newRow("tank negative") << s("rezplecare") << s("-3") << none << none << Field::Rezplecare
                                   << negativeLitres;
    QTest::newRow("tank text") << s("rezsosire") << s("plin") << none << none << Field::Rezsosire << onlyNumbers;
    QTest::newRow("quantities before tanks") << s("rezplecare") << s("-3") << s("rstc") << s("x") << Field::Rstc
                                             << onlyNumbers;

    // The documents: no apostrophe, in the order of the boxes.
    const struct {
        const char *box;
        Field field;
    } documents[] = {{"actc", Field::Actc},       {"actu1", Field::Actu1},     {"actu2", Field::Actu2},
                     {"actu3", Field::Actu3},     {"actschu", Field::Actschu}, {"actschf", Field::Actschf},
                     {"actrst", Field::Actrst}};
    for (const auto &d : documents)
        QTest::addRow("apostrophe in %s", d.box) << s(d.box) << s("O'Neil") << none << none << d.field << apostrophe;
    QTest::newRow("documents in order") << s("actrst") << s("'") << s("actu2") << s("'") << Field::Actu2
                                        << apostrophe;
    QTest::newRow("tanks before documents") << s("actc") << s("'") << s("rezsosire") << s("-1") << Field::Rezsosire
                                            << negativeLitres;

    // A fuel type chosen needs a quantity; without one the quantity is not asked.
    QTest::newRow("petrol with 0") << s("cantc") << s("0.000") << none << none << Field::Cantc << noQuantity;
    QTest::newRow("gas with 0") << s("cantc") << s("0") << s("type") << s("gz") << Field::Cantc << noQuantity;
    QTest::newRow("no type with 0") << s("cantc") << s("0.000") << s("type") << s("none") << Field::Vehicle << none;
    QTest::newRow("no type with a quantity") << s("type") << s("none") << none << none << Field::Vehicle << none;
    QTest::newRow("documents before quantity") << s("cantc") << s("0") << s("actrst") << s("'") << Field::Actrst
                                               << apostrophe;
}

void RefuelRulesTest::checkSave()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, box2);
    QFETCH(QString, text2);
    QFETCH(Field, field);
    QFETCH(QString, message);
    RefuelForm form = goodForm();
    int ida = 7;
    int idf = 120;
    for (const auto &[name, value] : {std::pair{box, text}, std::pair{box2, text2}}) {
        if (name == u"ida")
            ida = value.toInt();
        else if (name == u"idf")
            idf = value.toInt();
        else if (!name.isEmpty())
            set(form, name, value);
    }
    const std::optional<EntryProblem> problem = refuel::checkSave(form, ida, idf);
    QCOMPARE(problem.has_value(), !message.isEmpty());
    if (problem) {
        QCOMPARE(problem->field, field);
        QCOMPARE(problem->message, message);
    }
}

void RefuelRulesTest::selection_data()
{
    QTest::addColumn<int>("ida");
    QTest::addColumn<int>("idf");
    QTest::addColumn<bool>("sheetNeeded");
    QTest::addColumn<QString>("message"); // empty: nothing missing
    QTest::addColumn<Field>("field");
    QTest::newRow("both") << 7 << 120 << true << QString() << Field::Vehicle;
    QTest::newRow("no vehicle") << 0 << 0 << true << noVehicle << Field::Vehicle;
    QTest::newRow("no sheet") << 7 << 0 << true << noSheet << Field::Sheet;
    QTest::newRow("report: vehicle alone") << 7 << 0 << false << QString() << Field::Vehicle;
    QTest::newRow("report: no vehicle") << 0 << 0 << false << noVehicle << Field::Vehicle;
}

void RefuelRulesTest::selection()
{
    QFETCH(int, ida);
    QFETCH(int, idf);
    QFETCH(bool, sheetNeeded);
    QFETCH(QString, message);
    const std::optional<EntryProblem> problem = selectionProblem(ida, idf, sheetNeeded);
    QCOMPARE(problem.has_value(), !message.isEmpty());
    if (problem) {
        QTEST(problem->field, "field");
        QCOMPARE(problem->message, message);
    }
}

void RefuelRulesTest::documentProblem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("receipt") << s("BF 77/02.03") << QString();
    QTest::newRow("apostrophe inside") << s("O'Neil") << apostrophe;
    QTest::newRow("apostrophe alone") << s("'") << apostrophe;
    QTest::newRow("double quote passes") << s("\"BF\"") << QString();
}

void RefuelRulesTest::documentProblem()
{
    QFETCH(QString, text);
    QTEST(refuel::documentProblem(text), "message");
}

void RefuelRulesTest::writes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("value"); // null: not recorded
    QTest::newRow("petrol") << s("type") << s("bm") << s("bm") << QVariant(40.0);
    QTest::newRow("petrol leaves no gas") << s("type") << s("bm") << s("gz") << QVariant(0.0);
    QTest::newRow("gas") << s("type") << s("gz") << s("gz") << QVariant(40.0);
    QTest::newRow("gas leaves no petrol") << s("type") << s("gz") << s("bm") << QVariant(0.0);
    QTest::newRow("no type: no petrol") << s("type") << s("none") << s("bm") << QVariant(0.0);
    QTest::newRow("no type: no gas") << s("type") << s("none") << s("gz") << QVariant(0.0);
    QTest::newRow("fuel document") << s("actc") << s("BON 12") << s("nractc") << QVariant(s("BON 12"));
    QTest::newRow("fuel single precision") << s("cantc") << s("72.1") << s("bm") << QVariant(72.1);
    QTest::newRow("engine oil") << s("cantu1") << s("1.5") << s("um") << QVariant(1.5);
    QTest::newRow("transmission oil") << s("cantu2") << s("2.25") << s("ut") << QVariant(2.25);
    QTest::newRow("auxiliary oil") << s("cantu3") << s("0.75") << s("ua") << QVariant(0.75);
    QTest::newRow("oil documents") << s("actu2") << s("U 9") << s("nractu2") << QVariant(s("U 9"));
    QTest::newRow("returned") << s("rstc") << s("4.500") << s("restit") << QVariant(4.5);
    QTest::newRow("returned document") << s("actrst") << s("R 2") << s("nractrst") << QVariant(s("R 2"));
    QTest::newRow("tank at departure") << s("rezplecare") << s("40") << s("rezplecare") << QVariant(40.0);
    QTest::newRow("tank at return") << s("rezsosire") << s("174.5") << s("rezsosire") << QVariant(174.5);
    QTest::newRow("tank blank: not recorded") << s("rezplecare") << QString() << s("rezplecare") << QVariant();
    QTest::newRow("tank blanks: not recorded") << s("rezsosire") << s("  ") << s("rezsosire") << QVariant();
    QTest::newRow("tank 0 is recorded") << s("rezsosire") << s("0") << s("rezsosire") << QVariant(0.0);
    QTest::newRow("oil change") << s("actschu") << s("SU 7") << s("nractschu") << QVariant(s("SU 7"));
    QTest::newRow("oil change unticked") << s("schu") << s("0") << s("schu") << QVariant(false);
    QTest::newRow("oil change unticked: no document") << s("schu") << s("0") << s("nractschu") << QVariant(QString());
    QTest::newRow("filter change unticked: no document") << s("schf") << s("0") << s("nractschf")
                                                         << QVariant(QString());
    QTest::newRow("filter change") << s("schf") << s("1") << s("nractschf") << QVariant(s("SF 6"));
}

void RefuelRulesTest::writes()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    RefuelForm form = goodForm();
    set(form, box, text);
    const SheetRefuel written = refuelFromForm(form);
    const QVariant actual = ::column(written, column);
    QCOMPARE(actual.isNull(), value.isNull());
    if (value.typeId() == QMetaType::Double)
        QCOMPARE(actual.toDouble(), value.toDouble());
    else if (!value.isNull())
        QCOMPARE(actual, value);
    // Nothing of the sheet itself: the window adds its key and version.
    QCOMPARE(written.idf, 0);
    QCOMPARE(written.versiunealim, 0);
}

void RefuelRulesTest::blankSheetShowsTheBlankForm()
{
    // A sheet never refuelled shows what the window shows with no sheet.
    QCOMPARE(formTexts(RefuelForm::fromSheet(SheetRefuel())), formTexts(RefuelForm()));
    // Whose texts are the boxes' masks of 0, and blank tank levels.
    const RefuelForm blank;
    QCOMPARE(blank.cantc, formatNumber(0, fuelMask()));
    QCOMPARE(blank.rstc, formatNumber(0, fuelMask()));
    QCOMPARE(blank.cantu1, formatNumber(0, oilMask()));
    QVERIFY(blank.rezplecare.isEmpty() && blank.rezsosire.isEmpty());
    QCOMPARE(blank.type, FuelType::None);
}

void RefuelRulesTest::sheetShownThenSavedIsUnchanged()
{
    SheetRefuel sheet;
    sheet.gz = 25.5;
    sheet.nractc = s("BF 9");
    sheet.um = 1.25;
    sheet.nractu1 = s("U1");
    sheet.ut = 2;
    sheet.nractu2 = s("U2");
    sheet.ua = 3;
    sheet.nractu3 = s("U3");
    sheet.schu = true;
    sheet.nractschu = s("SU");
    sheet.schf = false;
    sheet.nractschf = s("left from before"); // an unticked change shows and keeps no document
    sheet.restit = 4;
    sheet.nractrst = s("R");
    sheet.rezplecare = 40;

    const RefuelForm shown = RefuelForm::fromSheet(sheet);
    QCOMPARE(shown.type, FuelType::Gas);
    QCOMPARE(shown.cantc, s("25.500"));
    QCOMPARE(shown.cantu1, s("1.25"));
    QCOMPARE(shown.rstc, s("4.000"));
    QCOMPARE(shown.rezplecare, s("40.00"));
    QCOMPARE(shown.rezsosire, QString());
    QCOMPARE(shown.actschf, QString());

    const SheetRefuel saved = refuelFromForm(shown);
    for (const char *name : {"bm", "gz", "nractc", "um", "nractu1", "ut", "nractu2", "ua", "nractu3", "schu",
                             "nractschu", "schf", "restit", "nractrst", "rezplecare", "rezsosire"})
        QVERIFY2(column(saved, s(name)) == column(sheet, s(name)), name);
    QCOMPARE(saved.nractschf, QString());
}

void RefuelRulesTest::fuelShown_data()
{
    QTest::addColumn<double>("bm");
    QTest::addColumn<double>("gz");
    QTest::addColumn<FuelType>("type");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<QString>("document");
    const QString doc = s("BF 1");
    QTest::newRow("petrol") << 40.0 << 0.0 << FuelType::PetrolDiesel << 40.0 << doc;
    QTest::newRow("gas") << 0.0 << 25.5 << FuelType::Gas << 25.5 << doc;
    QTest::newRow("both shows gas") << 40.0 << 25.5 << FuelType::Gas << 25.5 << doc;
    // An oil change alone: no fuel type, whatever the sheet shown before had.
    QTest::newRow("neither shows no type") << 0.0 << 0.0 << FuelType::None << 0.0 << QString();
}

void RefuelRulesTest::fuelShown()
{
    QFETCH(double, bm);
    QFETCH(double, gz);
    const FuelShown shown = refuel::fuelShown(bm, gz, s("BF 1"));
    QTEST(shown.type, "type");
    QTEST(shown.quantity, "quantity");
    QTEST(shown.document, "document");
}

void RefuelRulesTest::fuelStored_data()
{
    QTest::addColumn<FuelType>("type");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("bm");
    QTest::addColumn<double>("gz");
    QTest::newRow("petrol") << FuelType::PetrolDiesel << 40.0 << 40.0 << 0.0;
    QTest::newRow("gas") << FuelType::Gas << 40.0 << 0.0 << 40.0;
    QTest::newRow("none") << FuelType::None << 40.0 << 0.0 << 0.0;
    QTest::newRow("single precision") << FuelType::PetrolDiesel << 72.1 << 72.1 << 0.0;
    QTest::newRow("seven digits") << FuelType::Gas << 1234.5678 << 0.0 << 1234.568;
}

void RefuelRulesTest::fuelStored()
{
    QFETCH(FuelType, type);
    QFETCH(double, quantity);
    const FuelStored stored = refuel::fuelStored(type, quantity);
    QTEST(stored.bm, "bm");
    QTEST(stored.gz, "gz");
}

void RefuelRulesTest::questionsAndReports()
{
    QCOMPARE(monthlySelection(2024, 3, 7),
             s("{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=7 and ({foaie.bm}>0 or "
               "{foaie.gz}>0 or {foaie.um}>0 or {foaie.ut}>0 or {foaie.ua}>0 or {foaie.restit}>0)"));
    QCOMPARE(annualSelection(2024, 7),
             s("{foaie.anul}=2024 and {foaie.ida}=7 and ({foaie.bm}>0 or {foaie.gz}>0 or "
               "{foaie.um}>0 or {foaie.ut}>0 or {foaie.ua}>0 or {foaie.restit}>0)"));
    QCOMPARE(monthlyReportFile(), s("rapalimluna.rpt"));
    QCOMPARE(annualReportFile(), s("rapaliman.rpt"));
    QCOMPARE(reportCaption(s("martie")), s("Raport martie"));
    QCOMPARE(saveQuestion(), s(" Sigur doriti salvarea datelor !!! "));
    QCOMPARE(clearFuelQuestion(101),
             s(" Sunteti sigur ca doriti stergerea alimentarii cu combustibil a foii de parcurs cu numarul ,,101'' ?"));
}

QTEST_GUILESS_MAIN(RefuelRulesTest)
#include "tst_refuelrules.moc"
