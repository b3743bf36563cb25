#include "trips/tripform.h"

#include "base/numbers.h"
#include "trips/surcharge.h"

namespace vok {

TripForm TripForm::nextTrip() const
{
    TripForm next;
    next.remorca = remorca;
    next.traseu = traseu;
    next.towedKm = towedKm;
    next.urbanKm = urbanKm;
    next.Kg = QStringLiteral("0.0");
    next.spRa = QStringLiteral("0.0");
    return next;
}

TripForm TripForm::fromTrip(const Trip &trip)
{
    TripForm form;
    form.nrc = QString::number(trip.nrc);
    form.remorca = trip.remorca == 1 || trip.remorca == 2 ? trip.remorca : 0;
    form.traseu = trip.traseu;
    for (size_t i = 0; i < form.km.size(); ++i)
        form.km[i] = doubleText(trip.km[i]);
    form.greut = doubleText(trip.Gm);
    form.Kg = doubleText(trip.Kg);
    form.towing = trip.T > 0;
    form.spT = doubleText(trip.T);
    form.urban = trip.U > 0;
    form.spU = doubleText(trip.U);
    form.installation = trip.nri > 0;
    form.spi = doubleText(trip.I);
    form.nri = QString::number(trip.nri);
    form.air = trip.Ra > 0;
    form.spRa = doubleText(trip.Ra);
    form.climate = trip.A > 1;
    form.coef = doubleText(trip.A);
    form.stops = trip.nrq1 > 0;
    form.nrdem = QString::number(trip.nrq1);
    form.heating = trip.nrq4 > 0;
    form.nrinc = QString::number(trip.nrq4);
    form.towedKm = trip.kmtract;
    form.urbanKm = trip.kmurb;
    return form;
}

void TripForm::applyNoLoadRule()
{
    if (readNumber(greut) == 0)
        Kg = QStringLiteral("1.00");
}

int wholeNumber(const QString &text) { return formatNumber(readNumber(text), QStringLiteral("0")).toInt(); }

Trip tripFromForm(const TripForm &form, const VehicleNorms &norms)
{
    std::array<double, 6> km{};
    for (size_t i = 0; i < km.size(); ++i)
        km[i] = readNumber(form.km[i]);
    const RoadDistances road = roadDistances(km);

    TripInput in;
    in.Ped = road.Ped;
    in.kmT = road.kmT;
    in.T = readNumber(form.spT);
    in.U = readNumber(form.spU);
    in.I = readNumber(form.spi);
    in.nri = readNumber(form.nri);
    in.Ra = readNumber(form.spRa);
    in.Kg = readNumber(form.Kg);
    in.A = readNumber(form.coef);
    in.Nod = readNumber(form.nrdem);
    in.Ni = readNumber(form.nrinc);
    const TripConsumption result = tripConsumption(in, norms);

    Trip trip;
    trip.nrc = wholeNumber(form.nrc);
    trip.km = km;
    trip.kmT = singleValue(road.kmT);
    trip.kmE = singleValue(road.Ped);
    trip.Kg = in.Kg;
    trip.Gm = readNumber(form.greut);
    trip.T = in.T;
    trip.U = in.U;
    trip.I = in.I;
    trip.nri = wholeNumber(form.nri);
    trip.Ra = in.Ra;
    trip.A = in.A;
    trip.nrq1 = wholeNumber(form.nrdem);
    trip.nrq4 = wholeNumber(form.nrinc);
    trip.Cn = singleValue(result.Cn);
    trip.Cu = result.Cua.toDouble();
    trip.remorca = form.remorca;
    trip.traseu = form.traseu;
    trip.kmtract = surcharge::storedDistance(trip.T, form.towedKm);
    trip.kmurb = surcharge::storedDistance(trip.U, form.urbanKm);
    return trip;
}

} // namespace vok
