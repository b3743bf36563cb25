#include "trips/tripform.h"

#include <QtTest>

#include <functional>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

// Every text box of the form by its control name.
QString textOf(const TripForm &f, const QString &name)
{
    const std::map<QString, std::function<QString()>> boxes = {
        {s("nrc"), [&] { return f.nrc; }},   {s("trs"), [&] { return f.traseu; }},
        {s("cat1"), [&] { return f.km[0]; }}, {s("cat6"), [&] { return f.km[5]; }},
        {s("greut"), [&] { return f.greut; }}, {s("Kg"), [&] { return f.Kg; }},
        {s("spT"), [&] { return f.spT; }},   {s("spU"), [&] { return f.spU; }},
        {s("spi"), [&] { return f.spi; }},   {s("nri"), [&] { return f.nri; }},
        {s("spRa"), [&] { return f.spRa; }}, {s("coef"), [&] { return f.coef; }},
        {s("nrdem"), [&] { return f.nrdem; }}, {s("nrinc"), [&] { return f.nrinc; }},
    };
    return boxes.at(name)();
}

} // namespace

class TripFormTest : public QObject {
    Q_OBJECT
private slots:
    void defaults_data();
    void defaults();
    void nextTripKeepsTrailersRouteAndDistances();
    void fromTrip_data();
    void fromTrip();
    void noLoadRule_data();
    void noLoadRule();
    void wholeNumber_data();
    void wholeNumber();
    void tripFromForm_data();
    void tripFromForm();
};

// The texts the clerk sees when the window opens and after a save.
void TripFormTest::defaults_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("blank");
    QTest::addColumn<QString>("afterSave");
    QTest::newRow("nrc") << s("nrc") << s("0") << s("0");
    QTest::newRow("cat1") << s("cat1") << s("0.0") << s("0.0");
    QTest::newRow("cat6") << s("cat6") << s("0.0") << s("0.0");
    QTest::newRow("greut") << s("greut") << s("0.0") << s("0.0");
    QTest::newRow("Kg") << s("Kg") << s("1.000") << s("0.0");
    QTest::newRow("spT") << s("spT") << s("0.0") << s("0.0");
    QTest::newRow("spU") << s("spU") << s("0.0") << s("0.0");
    QTest::newRow("spi") << s("spi") << s("0.0") << s("0.0");
    QTest::newRow("nri") << s("nri") << s("0") << s("0");
    QTest::newRow("spRa") << s("spRa") << s("0") << s("0.0");
    QTest::newRow("coef") << s("coef") << s("1.0") << s("1.0");
    QTest::newRow("nrdem") << s("nrdem") << s("0") << s("0");
    QTest::newRow("nrinc") << s("nrinc") << s("0") << s("0");
}

void TripFormTest::defaults()
{
    QFETCH(QString, box);
    QFETCH(QString, blank);
    QFETCH(QString, afterSave);
    const TripForm opened;
    QCOMPARE(textOf(opened, box), blank);
    TripForm typed;
    typed.nrc = s("4");
    typed.km = {s("1"), s("2"), s("3"), s("4"), s("5"), s("6")};
    typed.greut = s("7.5");
    typed.Kg = s("1.2");
    typed.spT = typed.spU = typed.spi = typed.spRa = typed.coef = s("3.3");
    typed.nri = typed.nrdem = typed.nrinc = s("2");
    typed.towing = typed.urban = typed.installation = typed.air = typed.climate = typed.stops = typed.heating = true;
    const TripForm next = typed.nextTrip();
    QCOMPARE(textOf(next, box), afterSave);
    QVERIFY(!next.towing && !next.urban && !next.installation && !next.air && !next.climate && !next.stops
            && !next.heating);
    QCOMPARE(opened.remorca, 0);
    QCOMPARE(TripForm::climateTicked(), s("1.1"));
    QCOMPARE(TripForm::climateUnticked(), s("1"));
}

void TripFormTest::nextTripKeepsTrailersRouteAndDistances()
{
    TripForm typed;
    typed.remorca = 2;
    typed.traseu = s("Bucuresti - Ploiesti");
    typed.towedKm = 40;
    typed.urbanKm = 12.5;
    const TripForm next = typed.nextTrip();
    QCOMPARE(next.remorca, 2);
    QCOMPARE(next.traseu, s("Bucuresti - Ploiesti"));
    QCOMPARE(next.towedKm, 40.0);
    QCOMPARE(next.urbanKm, 12.5);
}

// A surcharge is ticked when its stored value is above its neutral one.
void TripFormTest::fromTrip_data()
{
    QTest::addColumn<double>("T");
    QTest::addColumn<double>("A");
    QTest::addColumn<int>("nri");
    QTest::addColumn<int>("remorca");
    QTest::addColumn<bool>("towing");
    QTest::addColumn<bool>("climate");
    QTest::addColumn<bool>("installation");
    QTest::addColumn<int>("trailers");
    QTest::newRow("neutral") << 0.0 << 1.0 << 0 << 0 << false << false << false << 0;
    QTest::newRow("all above") << 4.2 << 1.1 << 2 << 1 << true << true << true << 1;
    QTest::newRow("A below 1 is not ticked") << 0.0 << 0.9 << 0 << 2 << false << false << false << 2;
    QTest::newRow("trailers out of range") << -1.0 << 1.0 << -1 << 7 << false << false << false << 0;
}

void TripFormTest::fromTrip()
{
    QFETCH(double, T);
    QFETCH(double, A);
    QFETCH(int, nri);
    QFETCH(int, remorca);
    QFETCH(bool, towing);
    QFETCH(bool, climate);
    QFETCH(bool, installation);
    QFETCH(int, trailers);
    Trip trip;
    trip.nrc = 3;
    trip.km = {10, 20.5, 0, 0, 0, 0};
    trip.Gm = 5;
    trip.Kg = 1.3;
    trip.T = T;
    trip.A = A;
    trip.nri = nri;
    trip.I = 0.5;
    trip.remorca = remorca;
    trip.traseu = s("A - B");
    trip.kmtract = 12;
    trip.kmurb = 8;
    const TripForm form = TripForm::fromTrip(trip);
    QCOMPARE(form.towing, towing);
    QCOMPARE(form.climate, climate);
    QCOMPARE(form.installation, installation);
    QCOMPARE(form.remorca, trailers);
    // Stored values as stored, no mask.
    QCOMPARE(form.nrc, s("3"));
    QCOMPARE(form.km[1], s("20.5"));
    QCOMPARE(form.greut, s("5"));
    QCOMPARE(form.Kg, s("1.3"));
    QCOMPARE(form.coef, QString::number(A));
    QCOMPARE(form.spi, s("0.5"));
    QCOMPARE(form.traseu, s("A - B"));
    QCOMPARE(form.towedKm, 12.0);
    QCOMPARE(form.urbanKm, 8.0);
}

void TripFormTest::noLoadRule_data()
{
    QTest::addColumn<QString>("greut");
    QTest::addColumn<QString>("Kg");
    QTest::newRow("load 0") << s("0.0") << s("1.00");
    QTest::newRow("empty") << QString() << s("1.00");
    QTest::newRow("text reads 0") << s("abc") << s("1.00");
    QTest::newRow("a load keeps Kg") << s("5") << s("1.15");
}

void TripFormTest::noLoadRule()
{
    QFETCH(QString, greut);
    QFETCH(QString, Kg);
    TripForm form;
    form.greut = greut;
    form.Kg = s("1.15");
    form.applyNoLoadRule();
    QCOMPARE(form.Kg, Kg);
}

void TripFormTest::wholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("12.6") << s("12.6") << 13;
    QTest::newRow("2.5 away from zero") << s("2.5") << 3;
    QTest::newRow("prefix") << s("12a") << 12;
    QTest::newRow("empty") << QString() << 0;
}

void TripFormTest::wholeNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(vok::wholeNumber(text), number);
}

// The trip a form gives, with the normed consumption of Cm 30, Ca 0.5 (goods
// vehicle, formula 1) or Cm 7.5, Ca 0.1 (car, formula 2).
void TripFormTest::tripFromForm_data()
{
    QTest::addColumn<QStringList>("km");
    QTest::addColumn<QString>("Kg");
    QTest::addColumn<QString>("surcharge"); // box=value, empty for none
    QTest::addColumn<int>("formula");
    QTest::addColumn<double>("kmT");
    QTest::addColumn<double>("kmE");
    QTest::addColumn<double>("Cn");
    QTest::addColumn<double>("Cu");
    QTest::addColumn<double>("kmtract");
    QTest::addColumn<double>("kmurb");
    const QStringList zero = {s("0"), s("0"), s("0"), s("0"), s("0"), s("0")};
    auto km = [&](int category, const char *value) {
        QStringList list = zero;
        list[category] = s(value);
        return list;
    };
    // 18 + 40 = 58 Ped; 0.58 * 30 * 1.15 = 20.01; Cu 0.29
    QTest::newRow("Kg") << QStringList{s("20"), s("40"), s("0"), s("0"), s("0"), s("0")} << s("1.15") << QString()
                        << 1 << 60.0 << 58.0 << 20.01 << 0.29 << 0.0 << 0.0;
    // Formula 2 leaves Kg out.
    QTest::newRow("no Kg in formula 2") << km(1, "100") << s("1.15") << QString() << 2 << 100.0 << 100.0 << 7.5
                                        << 0.1 << 0.0 << 0.0;
    // Ped 110 + 3.5 towing = 113.5: 1.135 * 30 * 1.35 = 45.9675 -> 45.968; the towed km stored with T.
    QTest::newRow("towing") << km(2, "100") << s("1.35") << s("spT=3.5") << 1 << 100.0 << 110.0 << 45.968 << 0.568
                            << 40.0 << 0.0;
    // 2 services of 0.5: Pe = 45 + 1 = 46: 0.46 * 30 * 1.02 = 14.076
    QTest::newRow("installation") << km(0, "50") << s("1.02") << s("nri=2") << 1 << 50.0 << 45.0 << 14.076 << 0.23
                                  << 0.0 << 0.0;
    // Air 3 on 200 km: Pe = 200 + 6 = 206
    QTest::newRow("air") << km(1, "200") << s("1") << s("spRa=3") << 1 << 200.0 << 200.0 << 61.8 << 1.03 << 0.0
                         << 0.0;
    // Urban 1.6: Pe 101.6: 1.016 * 7.5 = 7.62; the urban km stored with U.
    QTest::newRow("urban") << km(1, "100") << s("1") << s("spU=1.6") << 2 << 100.0 << 100.0 << 7.62 << 0.102 << 0.0
                           << 12.0;
    // A 1.1 on 120 km of category IV: Ped 144: 1.44 * 7.5 * 1.1 = 11.88
    QTest::newRow("climate") << km(3, "120") << s("1") << s("coef=1.1") << 2 << 120.0 << 144.0 << 11.88 << 0.144
                             << 0.0 << 0.0;
    // 8 stops on 33.3 km of category V: Ped 46.62 -> 46.6; 3.495 + 0.15 = 3.645
    QTest::newRow("stops") << km(4, "33.3") << s("1") << s("nrdem=8") << 2 << 33.3 << 46.6 << 3.645 << 0.047 << 0.0
                           << 0.0;
    // 1 heating: 0.05 * 7.5 = 0.375 on top
    QTest::newRow("heating") << km(4, "33.3") << s("1") << s("nrinc=1") << 2 << 33.3 << 46.6 << 3.87 << 0.047 << 0.0
                             << 0.0;
}

void TripFormTest::tripFromForm()
{
    QFETCH(QStringList, km);
    QFETCH(QString, Kg);
    QFETCH(QString, surcharge);
    QFETCH(int, formula);
    QFETCH(double, kmT);
    QFETCH(double, kmE);
    QFETCH(double, Cn);
    QFETCH(double, Cu);
    QFETCH(double, kmtract);
    QFETCH(double, kmurb);
    TripForm form;
    form.nrc = s("2.4");
    for (int i = 0; i < 6; ++i)
        form.km[size_t(i)] = km[i];
    form.Kg = Kg;
    form.greut = s("5");
    form.remorca = 1;
    form.traseu = s("A - B");
    // Distances typed in the dialogs for an earlier trip: stored only beside their surcharge.
    form.towedKm = 40;
    form.urbanKm = 12;
    const QStringList set = surcharge.split(u'=');
    if (set.size() == 2) {
        QString *box = set[0] == s("spT")    ? &form.spT
                       : set[0] == s("spU")  ? &form.spU
                       : set[0] == s("nri")  ? &form.nri
                       : set[0] == s("spRa") ? &form.spRa
                       : set[0] == s("coef") ? &form.coef
                       : set[0] == s("nrdem") ? &form.nrdem
                                              : &form.nrinc;
        *box = set[1];
        if (set[0] == s("nri"))
            form.spi = s("0.5");
    }
    const VehicleNorms norms = formula == 1 ? VehicleNorms{30, 0.5, 1} : VehicleNorms{7.5, 0.1, 2};
    const Trip trip = vok::tripFromForm(form, norms);
    QCOMPARE(trip.nrc, 2);
    QCOMPARE(trip.kmT, kmT);
    QCOMPARE(trip.kmE, kmE);
    QCOMPARE(trip.Cn, Cn);
    QCOMPARE(trip.Cu, Cu);
    QCOMPARE(trip.kmtract, kmtract);
    QCOMPARE(trip.kmurb, kmurb);
    QCOMPARE(trip.Gm, 5.0);
    QCOMPARE(trip.Kg, Kg.toDouble());
    QCOMPARE(trip.remorca, 1);
    QCOMPARE(trip.traseu, s("A - B"));
    QCOMPARE(trip.idf, 0);
}

QTEST_MAIN(TripFormTest)
#include "tst_tripform.moc"
