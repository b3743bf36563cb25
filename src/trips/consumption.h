#pragma once

#include <QString>

#include <array>

// The normed consumption of one trip, after the consumption normative: the
// distances of the six road categories, the trip's equivalent kilometres with
// every surcharge, the normed fuel consumption Cn and the oil burn Cua.
// Pure arithmetic: no database, no widgets.
namespace vok {

// The six road categories and their road coefficients, I .. VI.
inline constexpr std::array<double, 6> RoadCoefficients = {0.9, 1.0, 1.1, 1.2, 1.4, 1.6};

struct RoadDistances {
    float kmT; // total km, one decimal
    float Ped; // road-equivalent km, one decimal
};

// km on road categories I..VI: the total and the road-equivalent distance,
// each rounded to one decimal and kept in single precision.
RoadDistances roadDistances(const std::array<double, 6> &km);

struct TripInput {
    float Ped = 0, kmT = 0;          // as roadDistances gives them
    double T = 0, U = 0;             // towing and urban surcharges, equivalent km
    double I = 0, nri = 0;           // surcharge per service, number of services
    double Ra = 0;                   // air-resistance rate, equivalent km per 100 km
    double Kg = 1, A = 1, Nod = 0, Ni = 0;
};

// The vehicle's normed average consumption Cm and oil burn Ca (litres per 100
// equivalent km) and its formula kind: 1 = goods vehicle over 1.5 t (the
// formula with Kg), anything else = the formula without Kg.
struct VehicleNorms {
    double Cm = 0, Ca = 0;
    int formula = 2;
};

struct TripConsumption {
    double Pe;   // equivalent km, every surcharge included
    float Cn;    // normed fuel consumption, litres, three decimals
    QString Cua; // normed oil burn, litres, exactly three decimals ("0.451")
};

// Pe = Ped + T + U + nri * I + kmT / 100 * Ra
// Cn = (Pe/100) * Cm * Kg * A + 0.25 * (Cm/100) * Nod + 0.05 * Cm * Ni   (Kg only for formula 1)
// Cua = (Pe/100) * Ca
// Cn and Cua get 0.00049 added before they are rounded to three decimals, so
// anything above a thousandth by 0.00001 or more rounds up.
TripConsumption tripConsumption(const TripInput &in, const VehicleNorms &v);

// Rounding as the masks "#0.0" and "#0.000" round (halves away from zero).
double roundTo1(double value);
double roundTo3(double value);

} // namespace vok
