#include "trips/consumption.h"

#include "base/numbers.h"

namespace vok {

double roundTo1(double value) { return readNumber(formatNumber(value, QStringLiteral("#0.0"))); }

double roundTo3(double value) { return readNumber(formatNumber(value, QStringLiteral("#0.000"))); }

RoadDistances roadDistances(const std::array<double, 6> &km)
{
    double total = 0;
    double equivalent = 0;
    for (std::size_t i = 0; i < km.size(); ++i) {
        total += km[i];
        equivalent += km[i] * RoadCoefficients[i];
    }
    return {static_cast<float>(roundTo1(total)), static_cast<float>(roundTo1(equivalent))};
}

TripConsumption tripConsumption(const TripInput &in, const VehicleNorms &v)
{
    // The single-precision distances enter as the values the clerk sees (72.1,
    // not 72.09999847).
    const double Ped = singleValue(in.Ped);
    const double kmT = singleValue(in.kmT);
    const double Pe = Ped + in.T + in.U + (in.nri * in.I) + (kmT / 100) * in.Ra;

    const QString Cua = formatNumber((Pe / 100) * v.Ca + 0.00049, QStringLiteral("#0.000"));

    const double Q1 = (v.Cm / 100) * 0.25 * in.Nod;
    const double Q4 = v.Cm * 0.05 * in.Ni;
    const double running = v.formula == 1 ? (Pe / 100) * v.Cm * in.Kg * in.A : (Pe / 100) * v.Cm * in.A;
    const double raw = running + Q1 + Q4;
    const float Cn = static_cast<float>(roundTo3(raw + 0.00049));
    return {Pe, Cn, Cua};
}

} // namespace vok
