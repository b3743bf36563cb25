#include "sample/demofleet.h"

#include "cards/democards.h"

#include "db/database.h"
#include "base/numbers.h"
#include "fleet/documentstore.h"
#include "fleet/driverstore.h"
#include "fleet/partsstore.h"
#include "fleet/referencestore.h"
#include "fleet/settingsstore.h"
#include "fleet/vehiclestore.h"
#include "fuel/refuelstore.h"
#include "months/monthclose.h"
#include "sample/fleetgenerator.h"
#include "trips/consumption.h"
#include "trips/sheetstore.h"
#include "trips/surcharge.h"
#include "trips/surchargetablestore.h"
#include "trips/triplookupstore.h"
#include "trips/tripstore.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace vok::sample {

QString exampleMark() { return QStringLiteral("(exemplu)"); }

namespace {

QString text(const char *latin) { return QString::fromLatin1(latin); }
QString example(const char *latin) { return text(latin) + u' ' + exampleMark(); }

double round2(double v) { return readNumber(formatNumber(v, QStringLiteral("#0.00"))); }

// "12.03.2025", as the sheets and documents write a date.
QString dateText(const QDate &date) { return date.toString(QStringLiteral("dd.MM.yyyy")); }

// ---------------------------------------------------------------- reference rows

// Sample rows of every reference table, in the order of referenceColumns():
// made-up values of the right size, each named an example in its first text
// column. The rows the vehicles below use come first where they point at a
// row by its number (sporI) or its place (sporU, sporT).
void referenceRows(ReferenceStore &store)
{
    const QVariant none;
    store.replaceAll(QStringLiteral("sporI"),
                     {{1, example("Autobasculanta"), text("basculare"), text("ridicarea si coborarea benei"), 0.5},
                      {2, example("Automacara"), text("ora"), text("ora de functionare a macaralei"), 8.0},
                      {3, example("Autocisterna"), text("tona"), text("tona descarcata cu pompa proprie"), 1.5},
                      {4, example("Autofrigorifica"), text("ora"), text("ora de functionare a agregatului"), 3.0}});
    store.replaceAll(QStringLiteral("sporU"), {{example("Autoturisme"), 15.0, 8.0},
                                               {example("Autoutilitare pana la 3,5 t"), 18.0, 9.0},
                                               {example("Autocamioane si autotractoare"), 20.0, 10.0},
                                               {example("Autobuze si microbuze"), 22.0, 12.0}});
    store.replaceAll(QStringLiteral("sporT"),
                     {{example("1"), text("Remorca 1 axa"), text("pana la 1,5"), 6.0, 11.0, 5.0, 9.0, 4.0, 7.0},
                      {example("2"), text("Remorca 2 axe"), text("1,5 - 4"), 11.0, 20.0, 9.0, 17.0, 7.0, 13.0},
                      {example("3"), text("Remorca 2 axe"), text("peste 4"), 15.0, 27.0, 12.0, 22.0, 10.0, 18.0},
                      {example("4"), text("Semiremorca"), text("peste 6"), none, none, 11.0, none, 9.0, none}});
    // Load coefficients: engines up to 150 CP carry at most 12 tonnes.
    QList<QVariantList> loads;
    for (const double tone : {0.5, 1.0, 1.5, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 10.0, 12.0, 14.0, 16.0, 18.0,
                              20.0, 22.0, 24.0, 26.0, 28.0, 30.0}) {
        const bool small = tone <= 12.0;
        loads << QVariantList{tone, small ? QVariant(round2(1.0 + tone * 0.02)) : none,
                              small ? QVariant(round2(1.05 + tone * 0.02)) : none, round2(1.0 + tone * 0.012),
                              round2(1.04 + tone * 0.012)};
    }
    store.replaceAll(QStringLiteral("coefKg"), loads);
    store.replaceAll(QStringLiteral("consumCm1"),
                     {{2, example("Autocamion"), text("ROMAN 8.135 FL"), text("5490"), text("8"), 18.5},
                      {2, example("Autobasculanta"), text("MAN TGL 12.250"), text("6871"), text("6"), 24.0},
                      {2, example("Autotractor"), text("VOLVO FH 460"), text("12777"), text("24"), 33.5},
                      {1, example("Autocamion"), text("SR 113 BENZINA"), text("5025"), text("3"), 28.0}});
    store.replaceAll(QStringLiteral("consumCm2"),
                     {{1, example("Autoturism"), text("DACIA LOGAN 1.4 MPI"), text("1390"), text("5"), 7.2},
                      {2, example("Autoturism"), text("DACIA LOGAN 1.5 DCI"), text("1461"), text("5"), 5.4},
                      {2, example("Autoutilitara"), text("FORD TRANSIT 2.2 TDCI"), text("2198"), text("3"), 10.2},
                      {1, example("Autoutilitara"), text("DACIA DOKKER 1.6 GPL"), text("1598"), text("2"), 9.1}});
    store.replaceAll(QStringLiteral("consumCm3"),
                     {{2, example("Microbuz"), text("MERCEDES SPRINTER 316"), text("2148"), text("16"), 12.5},
                      {2, example("Autobuz"), text("ISUZU TURQUOISE"), text("5193"), text("30"), 22.0},
                      {1, example("Microbuz"), text("FORD TRANSIT 2.3"), text("2295"), text("9"), 14.0}});
    store.replaceAll(QStringLiteral("consumCm4"),
                     {{2, example("Automacara"), text("ROMAN 10.215 AM"), text("10350"), 32.0},
                      {2, example("Autofrigorifica"), text("IVECO EUROCARGO 75E18"), text("3920"), 17.0},
                      {1, example("Autospeciala interventie"), text("ARO 244"), text("2495"), 16.0}});
    store.replaceAll(QStringLiteral("sistemU"), {{example("Autoturisme"), 4.5, 0.5},
                                                 {example("Autoutilitare"), 6.5, 0.8},
                                                 {example("Autocamioane pana la 12 t"), 12.0, 1.5},
                                                 {example("Autotractoare"), 32.0, 2.5}});
    store.replaceAll(QStringLiteral("uleiCa1"), {{example("0 - 50000"), 0.4, 0.5, 0.45},
                                                 {example("50001 - 150000"), 0.6, 0.7, 0.65},
                                                 {example("peste 150000"), 0.8, 0.95, 0.9}});
    store.replaceAll(QStringLiteral("uleiCa2"), {{example("0 - 50000"), 0.2, 0.3, 0.4, 0.5},
                                                 {example("50001 - 150000"), 0.3, 0.45, 0.6, 0.7},
                                                 {example("peste 150000"), 0.45, 0.6, 0.8, 0.95}});
}

// ---------------------------------------------------------------- the fleet

// A vehicle of the sample fleet and the work it does.
struct DemoVehicle {
    const char *nrauto;
    const char *marca;
    int formula;
    int motor;
    std::array<double, 3> Cm; // urban, mixed, extra-urban
    int implicit;
    double Ca, Cb, Cf;
    int Ispec, Iaerod;
    double kmef, kmechiv, restrez; // when the program starts recording it
    double tank;                   // litres: the fill-ups stay below it
    bool gas;                      // fuel received as gas
    double kmLow, kmHigh;          // one trip
    std::array<double, 6> roads;   // share of the road categories I..VI
    int tripsMax;                  // trips on one sheet: 1 .. tripsMax
    double urban;                  // chance that a trip runs partly in town
    int urbanRow;                  // its row of sporU (0-based)
    double stops;                  // chance of repeated stops on a trip in town
    double loaded;                 // chance that a trip carries a load
    double loadLow, loadHigh;      // tonnes
    int towedRow;                  // sporT row towed (0-based), -1 none
    double towing;                 // chance that a trip tows it
    double workDays;               // chance of a sheet on a working day
    double oilChangeKm;
    std::array<const char *, 4> routes;
};

const DemoVehicle fleet[] = {
    {"B-104-VOK", "DACIA LOGAN 1.5 DCI", 2, 1, {6.2, 5.4, 4.6}, 2, 0.25, 4.5, 0.5, 0, 0,
     84250, 88900, 22.5, 50, false, 20, 150, {0.35, 0.45, 0.2, 0, 0, 0}, 3, 0.6, 0, 0,
     0, 0, 0, -1, 0, 0.8, 15000,
     {"SEDIU - PRIMARIE - BANCA - SEDIU", "BUCURESTI - PLOIESTI - BUCURESTI", "BUCURESTI - PITESTI - BUCURESTI",
      "SEDIU - CLIENTI ZONA NORD - SEDIU"}},
    {"B-217-VOK", "FORD TRANSIT 2.2 TDCI", 2, 1, {11.4, 10.2, 9.3}, 1, 0.3, 6.2, 0.8, 0, 0,
     126400, 134700, 35, 80, false, 10, 90, {0.1, 0.5, 0.3, 0.1, 0, 0}, 4, 0.8, 1, 0.7,
     0.7, 0.3, 1.1, -1, 0, 0.85, 20000,
     {"DEPOZIT - MAGAZINE SECTOR 3 - DEPOZIT", "DEPOZIT - MAGAZINE SECTOR 6 - DEPOZIT",
      "DEPOZIT - OTOPENI - DEPOZIT", "DEPOZIT - BUFTEA - DEPOZIT"}},
    {"IF-31-VOK", "DACIA DOKKER 1.6 GPL", 2, 1, {10.4, 9.1, 8.2}, 2, 0.25, 4.8, 0.5, 0, 0,
     45800, 48100, 18, 45, true, 15, 90, {0.3, 0.5, 0.2, 0, 0, 0}, 3, 0.5, 1, 0.3,
     0.3, 0.1, 0.5, -1, 0, 0.8, 15000,
     {"VOLUNTARI - BUCURESTI - VOLUNTARI", "VOLUNTARI - PIPERA - AFUMATI", "VOLUNTARI - OTOPENI - VOLUNTARI",
      "LOCAL"}},
    {"CJ-08-VOK", "MAN TGL 12.250", 1, 3, {27.5, 24.0, 22.0}, 2, 0.6, 12, 1.5, 1, 0,
     212300, 251800, 60, 150, false, 10, 70, {0, 0.25, 0.3, 0.2, 0.15, 0.1}, 4, 0.2, 2, 0,
     0.55, 4, 8, -1, 0, 0.85, 30000,
     {"CARIERA FLORESTI - SANTIER CLUJ", "BALASTIERA GILAU - SANTIER APAHIDA", "SANTIER CLUJ - DEPOZIT",
      "DEPOZIT - SANTIER TURDA - DEPOZIT"}},
    {"PH-12-VOK", "VOLVO FH 460", 1, 3, {37.0, 33.5, 31.0}, 3, 0.7, 32, 2.5, 0, 3,
     486200, 512400, 180, 600, false, 150, 380, {0.65, 0.3, 0.05, 0, 0, 0}, 2, 0.1, 2, 0,
     0.75, 8, 22, 3, 1, 0.75, 60000,
     {"PLOIESTI - CONSTANTA PORT", "PLOIESTI - BRASOV - SIBIU", "PLOIESTI - BUCURESTI - GIURGIU",
      "PLOIESTI - PITESTI - CRAIOVA"}},
    {"AG-45-VOK", "ROMAN 8.135 FL", 1, 1, {21.0, 18.5, 17.0}, 2, 0.5, 10, 1.2, 0, 0,
     331000, 372500, 45, 150, false, 30, 140, {0.15, 0.4, 0.3, 0.15, 0, 0}, 3, 0.3, 2, 0,
     0.6, 2, 7, 1, 0.25, 0.8, 30000,
     {"PITESTI - CURTEA DE ARGES - PITESTI", "PITESTI - MIOVENI - PITESTI", "PITESTI - SLATINA",
      "DEPOZIT - FERME - DEPOZIT"}},
};

// The vehicle whose closed month is changed after its closing, and that
// month's place among the twelve.
constexpr int staleVehicleIndex = 0;
constexpr int staleMonthIndex = 6;
// Months left open at the end of the year.
constexpr int openMonths = 2;
// The vehicle whose rest in the tank ends a closed month above its capacity.
constexpr int overfullVehicleIndex = 5;
constexpr int overfullMonthIndex = 4;

// The sheets that give each finding of the audit once (the receipt counted
// twice above gives three): their vehicle and month, counted among the twelve.
constexpr int odometerMonthIndex = 2;
constexpr int odometerBackVehicleIndex = 0;
constexpr int odometerGapVehicleIndex = 1;
constexpr int kmMismatchVehicleIndex = 2;
constexpr int overlapVehicleIndex = 3;
constexpr int overlapMonthIndex = 7;
// The driver of the first vehicle drives the second one once, at the same hours.
constexpr int driverLenderIndex = 2;
constexpr int driverBorrowerIndex = 4;
constexpr int driverMonthIndex = 8;

// A part or repair of the log, with the range of its price in lei.
struct PartKind {
    const char *name;
    double low, high;
};

const PartKind lightParts[] = {
    {"Anvelope de iarna (4 buc)", 1500, 2300},       {"Placute frana fata", 220, 380},
    {"Discuri frana fata", 380, 620},                {"Acumulator 12V 70Ah", 420, 600},
    {"Inspectie tehnica periodica (ITP)", 160, 220}, {"Filtru aer si filtru polen", 90, 160},
    {"Stergatoare parbriz", 60, 120},                {"Kit distributie si pompa apa", 850, 1400},
    {"Becuri far si stop", 30, 70},                  {"Reparatie climatizare", 350, 700},
};
const PartKind heavyParts[] = {
    {"Anvelope 315/80 R22.5 (2 buc)", 3800, 5200},       {"Placute frana punte fata", 650, 1100},
    {"Acumulatori 12V 180Ah (2 buc)", 1500, 2100},       {"Inspectie tehnica periodica (ITP)", 260, 380},
    {"Filtru aer si filtru combustibil", 300, 520},      {"Reparatie ambreiaj (piese si manopera)", 3500, 6200},
    {"Furtun hidraulic", 180, 350},                      {"Verificare tahograf", 250, 400},
    {"Stergatoare parbriz", 90, 160},                    {"Becuri far si stop", 60, 120},
};

// Index of a road category, drawn by the vehicle's shares.
int drawRoad(SampleRandom &random, const std::array<double, 6> &shares)
{
    double total = 0;
    for (const double share : shares)
        total += share;
    double at = random.uniform(0.0, total);
    for (int k = 0; k < 6; ++k) {
        at -= shares[static_cast<size_t>(k)];
        if (at < 0 && shares[static_cast<size_t>(k)] > 0)
            return k;
    }
    for (int k = 5; k >= 0; --k)
        if (shares[static_cast<size_t>(k)] > 0)
            return k;
    return 1;
}

// What the year's work needs from the reference tables, read through the
// stores the trip window reads them with.
struct Lookups {
    explicit Lookups(const QSqlDatabase &db)
        : trips(db), towing(db)
    {
        for (const ReferenceRow &row : ReferenceStore(db).rows(QStringLiteral("sporU")))
            urban << std::array<double, 2>{row.values.at(1).toDouble(), row.values.at(2).toDouble()};
        for (const ReferenceRow &row : ReferenceStore(db).rows(QStringLiteral("sporT")))
            towedKeys << row.idr;
    }
    TripLookupStore trips;
    SurchargeTableStore towing;
    QList<std::array<double, 2>> urban; // sporU: Bucharest, other towns
    QList<int> towedKeys;               // sporT rows by place
};

// The oil, filter and fuel-return state of a vehicle through the year.
// What is read on the vehicle itself, sheet after sheet.
struct Measures {
    double odometer = 0;  // km at the last return
    double tank = 0;      // litres the gauge showed at the last return
    bool stopped = false; // the tank no longer measured
};

// The gauge's reading of `litres` in the tank: to 0.1 l, within 0.7 l.
double gaugeReading(SampleRandom &gauge, double litres)
{
    return std::max(0.0, readNumber(formatNumber(litres + gauge.uniform(-0.7, 0.7), QStringLiteral("#0.0"))));
}

struct Upkeep {
    double rest = 0;         // litres in the tank, as the closing will carry it
    double sinceChange = 0;  // km since the last oil change
};

// One trip as the clerk types it from the paper sheet, with the surcharges
// from the normative's tables, then computed as "Salvare" computes it.
Trip demoTrip(SampleRandom &random, const DemoVehicle &v, const VehicleNorms &norms, Lookups &lookups,
              bool winter, bool firstOfDay)
{
    Trip trip;
    const double total = std::round(random.uniform(v.kmLow, v.kmHigh));
    const int main = drawRoad(random, v.roads);
    double mainKm = total;
    if (random.chance(0.6)) {
        const int second = drawRoad(random, v.roads);
        if (second != main) {
            const double part = std::round(total * random.uniform(0.1, 0.4));
            trip.km[static_cast<size_t>(second)] = part;
            mainKm -= part;
        }
    }
    trip.km[static_cast<size_t>(main)] += mainKm;

    const bool towed = v.towedRow >= 0 && random.chance(v.towing);
    trip.remorca = towed ? 1 : 0;
    if (v.loadHigh > 0 && random.chance(v.loaded)) {
        trip.Gm = roundTo1(random.uniform(v.loadLow, v.loadHigh));
        trip.Kg = lookups.trips.loadCoefficient(trip.Gm, v.motor, towed).value_or(1.0);
    }
    if (towed) {
        const int idr = lookups.towedKeys.value(v.towedRow);
        const std::optional<TowingRate> rate = lookups.towing.towingRate(idr, v.motor, 1);
        const double t = rate ? rate->rate : 0.0;
        trip.T = roundTo1(surcharge::equivalentKm(doubleText(total), doubleText(t)));
        trip.kmtract = surcharge::storedDistance(trip.T, total);
    }
    if (random.chance(v.urban)) {
        const double inTown = std::max(1.0, std::round(total * random.uniform(0.1, 0.5)));
        const std::array<double, 2> u = lookups.urban.value(v.urbanRow);
        const bool bucharest = QLatin1String(v.nrauto).startsWith(QLatin1String("B-"));
        trip.U = roundTo1(surcharge::equivalentKm(doubleText(inTown), doubleText(bucharest ? u[0] : u[1])));
        trip.kmurb = surcharge::storedDistance(trip.U, inTown);
        if (random.chance(v.stops))
            trip.nrq1 = 4 + random.pick(10);
    }
    if (v.Ispec > 0 && trip.Gm > 0) {
        if (const std::optional<SpecialInstallation> installation = lookups.trips.installation(v.Ispec)) {
            trip.I = installation->sporkm;
            trip.nri = 1 + random.pick(3);
        }
    }
    if (v.Iaerod > 0 && total >= 100)
        trip.Ra = 2;
    if (winter && random.chance(0.5))
        trip.A = 1.1;
    if (winter && firstOfDay && random.chance(0.4))
        trip.nrq4 = 1;
    trip.traseu = text(v.routes[static_cast<size_t>(random.pick(4))]);
    computeTrip(trip, norms);
    return trip;
}

// A document number with its date: "BF 4821/12.03.2025".
QString document(SampleRandom &random, const char *kind, const QDate &date)
{
    return QStringLiteral("%1 %2/%3").arg(text(kind)).arg(100 + random.pick(9900)).arg(dateText(date));
}

// The refuelling of a sheet whose trips burn `burnt` litres: a fill-up at the
// start of the day when the tank would run low, now and then oil added, the
// oil and filter changed by the kilometres, fuel given back.
SheetRefuel demoRefuel(SampleRandom &random, const DemoVehicle &v, Upkeep &upkeep, const QDate &date,
                       double burnt, double km)
{
    SheetRefuel r;
    const bool heavy = v.formula == 1;
    if (upkeep.rest - burnt < v.tank * 0.2) {
        const double litres = round2(v.tank * random.uniform(0.88, 0.98) - upkeep.rest);
        // The gas car starts on petrol, and now and then takes some.
        if (v.gas && !random.chance(0.1))
            r.gz = litres;
        else
            r.bm = litres;
        r.nractc = document(random, "BF", date);
        upkeep.rest += litres;
    }
    upkeep.rest -= burnt;
    if (random.chance(0.05)) {
        r.um = heavy ? 1.0 + random.pick(3) : 0.5 * (1 + random.pick(2));
        r.nractu1 = document(random, "BC", date);
    }
    if (heavy && random.chance(0.01)) {
        r.ut = 1.0 + random.pick(2);
        r.nractu2 = document(random, "BC", date);
    }
    if (v.Ispec > 0 && random.chance(0.04)) {
        r.ua = 2.0 + random.pick(3);
        r.nractu3 = document(random, "BC", date);
    }
    upkeep.sinceChange += km;
    if (upkeep.sinceChange >= v.oilChangeKm) {
        r.schu = true;
        r.nractschu = document(random, "NIR", date);
        r.schf = true;
        r.nractschf = r.nractschu;
        upkeep.sinceChange = 0;
    } else if (random.chance(0.003)) {
        r.schf = true;
        r.nractschf = document(random, "NIR", date);
    }
    if (upkeep.rest > v.tank * 0.5 && random.chance(0.012)) {
        r.restit = 5.0 * (2 + random.pick(3));
        r.nractrst = document(random, "PV", date);
        upkeep.rest -= r.restit;
    }
    return r;
}

bool recordsSomething(const SheetRefuel &r)
{
    return r.bm > 0 || r.gz > 0 || r.um > 0 || r.ut > 0 || r.ua > 0 || r.schu || r.schf || r.restit > 0;
}

// The parts log of a vehicle: a few entries on days of the year, in date order.
void demoParts(SampleRandom &random, PartsStore &parts, int ida, const DemoVehicle &v, const QDate &first)
{
    const bool heavy = v.formula == 1;
    const PartKind *kinds = heavy ? heavyParts : lightParts;
    const int kindCount = heavy ? int(std::size(heavyParts)) : int(std::size(lightParts));
    std::vector<int> order(static_cast<size_t>(kindCount));
    for (int i = 0; i < kindCount; ++i)
        order[static_cast<size_t>(i)] = i;
    const int count = 4 + random.pick(4);
    std::vector<std::pair<QDate, int>> entries;
    for (int i = 0; i < count; ++i) {
        // A kind not drawn before, then a day of the year.
        const int at = i + random.pick(kindCount - i);
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(at)]);
        const QDate month = first.addMonths(random.pick(12));
        entries.emplace_back(QDate(month.year(), month.month(), 1 + random.pick(28)), order[static_cast<size_t>(i)]);
    }
    if (v.gas)
        entries.emplace_back(first.addMonths(3 + random.pick(6)).addDays(random.pick(28)), -1);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[date, kind] : entries) {
        PartEntry entry;
        entry.ida = ida;
        entry.act = document(random, "FF", date);
        if (kind < 0) {
            entry.denp = QStringLiteral("Revizie instalatie GPL");
            entry.valoare = round2(random.uniform(200, 350));
        } else {
            entry.denp = text(kinds[kind].name);
            entry.valoare = round2(random.uniform(kinds[kind].low, kinds[kind].high));
        }
        entry.zi = date.toString(QStringLiteral("dd"));
        entry.luna = date.toString(QStringLiteral("MM"));
        entry.an = date.toString(QStringLiteral("yyyy"));
        parts.add(entry);
    }
}

} // namespace

namespace {

// A vehicle's documents in the sample: kind and the end of the one in force,
// in days from today (0: without an end date). Each kind also has the one it
// replaced, ended a year before.
struct DemoDocument {
    int vehicle;
    const char *tip;
    int endsIn;
};

// Lapsing within 30 days: B-104-VOK's RCA, B-217-VOK's ITP and CJ-08-VOK's
// tachograph check; overdue: IF-31-VOK's road vignette.
const DemoDocument demoDocuments[] = {
    {0, "ITP", 212},       {0, "RCA", 9},         {0, "ROVINIETA", 143}, {0, "TRUSA", 0},
    {1, "ITP", 21},        {1, "RCA", 187},       {1, "ROVINIETA", 64},  {1, "CASCO", 240},
    {2, "ITP", 301},       {2, "RCA", 95},        {2, "ROVINIETA", -3},
    {3, "ITP", 77},        {3, "RCA", 160},       {3, "ROVINIETA", 120}, {3, "TAHOGRAF", 27},
    {3, "EXTINCTOR", 0},   {4, "ITP", 130},       {4, "RCA", 201},       {4, "ROVINIETA", 88},
    {4, "TAHOGRAF", 390},  {4, "CASCO", 45},      {5, "ITP", 58},        {5, "RCA", 118},
    {5, "ROVINIETA", 200},
};

// The drivers of the sample's sheets, their papers and services; every date
// counts from `today`, so that the reminders show the same whatever the day.
void demoRegister(const QSqlDatabase &db, const QList<int> &idas, const QDate &today, DemoSummary &summary)
{
    DriverStore drivers(db);
    for (int i = 0; i < int(idas.size()); ++i)
        for (int k = 0; k < 2; ++k) {
            const int n = 2 * i + k;
            Driver d;
            d.nume = driverName(i, k);
            d.permis = QStringLiteral("%1%2").arg(QChar(u'A' + n)).arg(100000 + 7919 * n);
            d.categorii = i < 3 ? QStringLiteral("B") : QStringLiteral("B,C,CE");
            d.exppermis = dateText(today.addDays(400 + 97 * n));
            // One medical certificate lapsing within the month.
            d.expaviz = dateText(today.addDays(n == 0 ? 12 : 120 + 53 * n));
            if (!drivers.byName(d.nume))
                drivers.save(d, std::nullopt, QStringLiteral("soferi"));
            ++summary.drivers;
        }

    DocumentStore documents(db);
    int number = 4100;
    for (const DemoDocument &doc : demoDocuments) {
        const int ida = idas.at(doc.vehicle);
        VehicleDocument in;
        in.ida = ida;
        in.tip = QString::fromLatin1(doc.tip);
        in.numar = QStringLiteral("%1 %2").arg(in.tip).arg(++number);
        if (doc.endsIn == 0) {
            in.dela = dateText(today.addDays(-200));
        } else {
            const QDate end = today.addDays(doc.endsIn);
            in.dela = dateText(end.addYears(-1).addDays(1));
            in.panala = dateText(end);
            VehicleDocument before = in;
            before.numar = QStringLiteral("%1 %2").arg(in.tip).arg(++number);
            before.dela = dateText(end.addYears(-2).addDays(1));
            before.panala = dateText(end.addYears(-1));
            documents.save(before);
        }
        documents.save(in);
        ++summary.documents;
    }

    // Services every so many km; AG-45-VOK's falls due within 1000 km.
    const double intervals[] = {15000, 20000, 15000, 30000, 60000, 30000};
    for (int i = 0; i < int(idas.size()); ++i) {
        const due::Odometer odometer = documents.odometer(idas.at(i));
        if (odometer.source == due::OdometerSource::None)
            continue;
        ServiceInterval service;
        service.kmrevizie = intervals[i];
        service.kmultrev = std::round(odometer.km - (i == 5 ? intervals[i] - 600 : intervals[i] / 3));
        documents.saveService(idas.at(i), *documents.service(idas.at(i)), service, QStringLiteral("documente"));
    }
}

} // namespace

DemoSummary fillDemo(const QSqlDatabase &db, const DemoOptions &options)
{
    SampleRandom random(options.seed);
    DemoSummary summary;
    const QDate today = options.today.isValid() ? options.today : QDate::currentDate();
    const QDate first = QDate(today.year(), today.month(), 1).addMonths(-12);
    summary.firstMonth = first;
    summary.lastMonth = first.addMonths(11);

    // What the clerk sets first: the report header, the normative's tables,
    // the vehicles with their starting state.
    SettingsStore settings(db);
    ReportHeader header = settings.headers().value(0);
    header.unitate = QStringLiteral("SC FLOTA DEMONSTRATIVA SRL");
    header.functie = QStringLiteral("ADMINISTRATOR");
    header.numeman = QStringLiteral("IONESCU MARIN");
    header.intocmit = QStringLiteral("POPA ELENA");
    settings.saveHeader(header, header);
    ReferenceStore references(db);
    referenceRows(references);

    VehicleStore vehicles(db);
    QList<int> idas;
    for (const DemoVehicle &v : fleet) {
        VehicleRecord record;
        record.nrauto = text(v.nrauto);
        record.marca = text(v.marca);
        record.formula = v.formula;
        record.motor = v.motor;
        record.Ca = v.Ca;
        record.Cb = v.Cb;
        record.Cf = v.Cf;
        record.Ispec = v.Ispec;
        record.Iaerod = v.Iaerod;
        record.consumption = {v.Cm[0], v.Cm[1], v.Cm[2], v.implicit};
        const int ida = vehicles.save(record);
        idas << ida;
        StartingState start;
        start.ida = ida;
        start.kmef = v.kmef;
        start.kmefinc = v.formula == 1 ? std::round(v.kmef * 0.45) : 0.0;
        start.kmechiv = v.kmechiv;
        start.restrez = v.restrez;
        start.caprez = v.tank;
        start.nrauto = record.nrauto;
        settings.saveStartingState(start, start);
    }
    summary.vehicles = int(idas.size());

    // The year's sheets, trips and refuellings, each saved as its window
    // saves it.
    Lookups lookups(db);
    SheetStore sheets(db);
    TripStore trips(db);
    RefuelStore refuels(db);
    PartsStore parts(db);
    // The gauge's and the odometer's readings draw from a sequence of their
    // own, so the book's figures stay what the seed gave before they were
    // recorded.
    SampleRandom gauge(options.seed + 7919);
    // The hours of the sheets of the vehicle whose driver also drives another
    // one, by date.
    QHash<QDate, std::pair<double, QString>> borrowedDriverDays;
    bool driverLent = false;
    const auto seeded = [&](int i, int nrf, const QDate &day, const char *kind) {
        summary.seeded << SeededFinding{text(fleet[i].nrauto), nrf, dateText(day), text(kind)};
    };
    for (int i = 0; i < summary.vehicles; ++i) {
        const DemoVehicle &v = fleet[i];
        const int ida = idas.at(i);
        const VehicleNorms norms{v.Cm[static_cast<size_t>(v.implicit - 1)], v.Ca, v.formula};
        Upkeep upkeep;
        upkeep.rest = v.restrez;
        upkeep.sinceChange = random.uniform(0.0, v.oilChangeKm);
        int nrf = 1000 * (i + 1) + random.pick(900);
        Measures measures;
        measures.odometer = v.kmef;
        measures.tank = gaugeReading(gauge, v.restrez);
        for (int m = 0; m < 12; ++m) {
            const QDate month = first.addMonths(m);
            const bool winter = month.month() == 12 || month.month() <= 2;
            std::optional<std::pair<SheetRefuel, QDate>> last; // the month's last sheet
            int sheetOfMonth = 0;
            double monthNormed = 0;
            std::optional<std::pair<QDate, double>> previousSheet; // its date and departure hour
            for (QDate day = month; day.month() == month.month(); day = day.addDays(1)) {
                if (day.dayOfWeek() > 5 || !random.chance(v.workDays))
                    continue;
                ++sheetOfMonth;
                SheetHeader sheet;
                sheet.nrf = nrf++;
                sheet.ida = ida;
                sheet.sofer = driverName(i, random.chance(0.8) ? 0 : 1);
                sheet.orap = 6.0 + 0.5 * random.pick(5);
                sheet.oras = sheet.orap + (v.kmHigh > 200 ? 10.0 : 8.0) + 0.5 * random.pick(5);
                QDate date = day;
                // Seeded: a sheet written with the date of the one before,
                // at hours that overlap it.
                const bool overlapCase = i == overlapVehicleIndex && m == overlapMonthIndex && sheetOfMonth == 4
                                         && previousSheet;
                if (overlapCase) {
                    date = previousSheet->first;
                    sheet.orap = previousSheet->second + 1;
                    sheet.oras = sheet.orap + 8;
                }
                if (i == driverLenderIndex)
                    borrowedDriverDays.insert(day, {sheet.orap, sheet.sofer});
                // Seeded: the other vehicle's driver, on a day he drives it.
                const bool driverCase = i == driverBorrowerIndex && m == driverMonthIndex
                                        && !driverLent && borrowedDriverDays.contains(day);
                if (driverCase) {
                    sheet.sofer = borrowedDriverDays.value(day).second;
                    sheet.orap = borrowedDriverDays.value(day).first + 0.5;
                    driverLent = true;
                }
                sheet.data = dateText(date);
                sheet.decada = decadeOf(date.day());
                sheet.idl = date.month();
                sheet.anul = date.year();
                previousSheet = {date, sheet.orap};

                const int count = 1 + random.pick(v.tripsMax);
                double burnt = 0, km = 0;
                QList<Trip> made;
                for (int c = 1; c <= count; ++c) {
                    Trip trip = demoTrip(random, v, norms, lookups, winter, c == 1);
                    trip.nrc = c;
                    burnt += trip.Cn;
                    km += trip.kmT;
                    made << trip;
                }

                // The odometer as the driver reads it: the return by the
                // trips' kilometres, give or take a kilometre. Seeded: an
                // odometer turned back, a departure after kilometres no sheet
                // holds, a trip left off its sheet.
                const bool backCase = i == odometerBackVehicleIndex && m == odometerMonthIndex && sheetOfMonth == 5;
                const bool gapCase = i == odometerGapVehicleIndex && m == odometerMonthIndex && sheetOfMonth == 6;
                const bool mismatchCase = i == kmMismatchVehicleIndex && m == odometerMonthIndex && sheetOfMonth == 7;
                if (backCase)
                    measures.odometer -= 1000;
                if (gapCase)
                    measures.odometer += 85;
                sheet.kmplecare = measures.odometer;
                measures.odometer = readNumber(formatNumber(
                    measures.odometer + km + gauge.uniform(-1.0, 1.0) + (mismatchCase ? 40 : 0), QStringLiteral("#0.0")));
                sheet.kmsosire = measures.odometer;

                WriteRun run(db, QStringLiteral("foaie"));
                const int idf = sheets.insert(run, sheet);
                ++summary.sheets;
                for (Trip &trip : made) {
                    trip.idf = idf;
                    trips.insert(run, trip);
                    ++summary.trips;
                }
                run.commit();
                if (overlapCase)
                    seeded(i, sheet.nrf, date, "overlap");
                if (driverCase)
                    seeded(i, sheet.nrf, date, "driver-overlap");
                if (backCase)
                    seeded(i, sheet.nrf, date, "odometer-back");
                if (gapCase)
                    seeded(i, sheet.nrf, date, "odometer-gap");
                if (mismatchCase)
                    seeded(i, sheet.nrf, date, "km-mismatch");

                monthNormed += burnt;
                SheetRefuel refuel = demoRefuel(random, v, upkeep, day, burnt, km);
                refuel.idf = idf;
                refuel.nrf = sheet.nrf;
                // The tank as the gauge shows it: at departure what it showed
                // at the last return, at return the book's rest (the real
                // consumption is the normed one) read to within a litre.
                // After the receipt counted twice nobody measures the tank
                // of that vehicle any more.
                if (!measures.stopped) {
                    refuel.rezplecare = measures.tank;
                    measures.tank = gaugeReading(gauge, upkeep.rest);
                    refuel.rezsosire = measures.tank;
                }
                if (recordsSomething(refuel) || refuel.rezsosire)
                    refuel.versiunealim = refuels.save(refuel);
                last = {refuel, day};
            }
            // The month's last fuel receipt counted twice: the rest in the
            // tank ends the month above what the tank holds. The book then
            // has more fuel than went into the tank: too much for the tank,
            // a month's real consumption above the normed one, and a book
            // rest that the gauge does not show.
            if (i == overfullVehicleIndex && m == overfullMonthIndex && last) {
                auto &[refuel, day] = *last;
                const double more = random.uniform(0, 20);
                // Enough to show above the month's consumption too.
                const double extra = round2(std::max(v.tank - upkeep.rest + 25 + more, 0.06 * monthNormed + 5));
                refuel.bm += extra;
                if (refuel.nractc.isEmpty())
                    refuel.nractc = document(random, "BF", day);
                refuel.versiunealim = refuels.save(refuel);
                upkeep.rest += extra;
                measures.stopped = true;
                summary.overfullVehicle = text(v.nrauto);
                summary.overfullYear = day.year();
                summary.overfullMonth = day.month();
                for (const char *kind : {"overrun", "over-capacity", "stock-difference"})
                    seeded(i, refuel.nrf, day, kind);
            }
        }
        demoParts(random, parts, ida, v, first);
    }

    // Every month closed as the V.O.K. window closes it, in calendar order,
    // except the last ones.
    for (const int ida : idas)
        for (int m = 0; m < 12 - openMonths; ++m) {
            const QDate month = first.addMonths(m);
            if (!closeMonth(db, ida, month.year(), month.month()).noSheets)
                ++summary.closedMonths;
        }

    // An engine-oil receipt recorded after its month was closed: that month
    // is no longer what closing it gives.
    const QDate staleMonth = first.addMonths(staleMonthIndex);
    const int staleIda = idas.at(staleVehicleIndex);
    const QList<int> staleSheets = refuels.sheetNumbers(staleIda, staleMonth.year(), staleMonth.month());
    if (!staleSheets.isEmpty()) {
        if (std::optional<SheetRefuel> late = refuels.sheet(staleIda, staleSheets.constLast())) {
            late->um += 1.5;
            if (late->nractu1.isEmpty())
                late->nractu1 = document(random, "BC", QDate::fromString(late->data, QStringLiteral("dd.MM.yyyy")));
            refuels.save(*late);
            summary.staleVehicle = text(fleet[staleVehicleIndex].nrauto);
            summary.staleYear = staleMonth.year();
            summary.staleMonth = staleMonth.month();
        }
    }
    demoRegister(db, idas, today, summary);

    // The fuel cards, with the last closed month's statement and e-invoice.
    const QDate cardMonth = first.addMonths(11 - openMonths);
    const cards::DemoCards demoCards = cards::fillDemoCards(
        db, cardMonth.year(), cardMonth.month(),
        cardMonth.addMonths(1).addDays(2).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 09:00:00"));
    summary.cardYear = demoCards.year;
    summary.sheets += demoCards.sheetsAdded;
    summary.cardMonth = demoCards.month;
    for (const cards::CardFinding &f : demoCards.seeded)
        summary.cardFindings << SeededFinding{f.nrauto, f.nrf, dateText(f.date), cards::kindName(f.kind)};
    return summary;
}

DemoFolder createDemoFolder(const QString &dir, const DemoOptions &options)
{
    DemoFolder result;
    const QDir target(dir);
    for (const char *name : {"vok.db", "sys.db"}) {
        if (QFileInfo::exists(target.filePath(text(name)))) {
            result.refusal = QStringLiteral("dosarul %1 contine deja %2; datele demonstrative se fac doar intr-un "
                                            "dosar fara date")
                                 .arg(QDir::toNativeSeparators(target.absolutePath()), text(name));
            return result;
        }
    }
    const bool made = !target.exists();
    if (made && !QDir().mkpath(target.absolutePath()))
        throw DbError(QStringLiteral("dosarul %1 nu poate fi creat").arg(QDir::toNativeSeparators(target.absolutePath())));
    // Removes what this call made when it fails.
    struct Cleanup {
        QString folder;
        bool made;
        QStringList moved;
        bool done = false;
        ~Cleanup()
        {
            if (done)
                return;
            for (const QString &file : moved)
                QFile::remove(file);
            if (made)
                QDir().rmdir(folder);
        }
    } cleanup{target.absolutePath(), made, {}};

    QTemporaryDir work(target.absoluteFilePath(QStringLiteral(".vok-demo-XXXXXX")));
    if (!work.isValid())
        throw DbError(QStringLiteral("dosarul %1 nu poate fi scris: %2")
                          .arg(QDir::toNativeSeparators(target.absolutePath()), work.errorString()));
    static int calls = 0;
    const QString connection = QStringLiteral("vok-demo-%1").arg(++calls);
    const QString sysConnection = connection + QStringLiteral("-sys");
    try {
        {
            QSqlDatabase sys = database::openSqlite(work.filePath(QStringLiteral("sys.db")), sysConnection,
                                                    DatabaseKind::System);
            QSqlDatabase db = database::openSqlite(work.filePath(QStringLiteral("vok.db")), connection,
                                                   DatabaseKind::Data);
            // A file nobody else sees yet: no need to wait for the disk after
            // every statement; the checkpoint at the end writes it whole.
            exec(db, QStringLiteral("PRAGMA synchronous=OFF"));
            result.summary = fillDemo(db, options);
            exec(db, QStringLiteral("PRAGMA synchronous=FULL"));
            exec(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            exec(sys, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        }
        database::close(connection);
        database::close(sysConnection);
    } catch (...) {
        database::close(connection);
        database::close(sysConnection);
        throw;
    }
    // The password file first: a vok.db never stands without its sys.db.
    for (const char *name : {"sys.db", "vok.db"}) {
        const QString to = target.absoluteFilePath(text(name));
        if (!QFile::rename(work.filePath(text(name)), to))
            throw DbError(QStringLiteral("%1 nu poate fi mutat in dosarul %2")
                              .arg(text(name), QDir::toNativeSeparators(target.absolutePath())));
        cleanup.moved << to;
    }
    cleanup.done = true;
    return result;
}

} // namespace vok::sample
