#pragma once

#include <QString>

// The arithmetic and the texts of the urban and towing surcharges: a distance
// driven in towns (Pu) or towed (Pt) and a specific surcharge read from the
// normative's table (u or t, km equivalent per 100 km) give the surcharge in
// km equivalent that enters the trip's equivalent distance.
namespace vok {

// What an urban or towing dialog hands the trip window while the clerk types:
// the surcharge as its box shows it ("#0.0") and the distance as typed.
struct SurchargeEntry {
    QString surcharge;
    QString distance;
};

} // namespace vok

namespace vok::surcharge {

// U = (Pu / 100) * u, T = (Pt / 100) * t, both typed texts read by their
// numeric prefix, in double precision.
double equivalentKm(const QString &distance, const QString &rate);

// The entry for a distance and a specific surcharge as typed.
SurchargeEntry entry(const QString &distance, const QString &rate);

// "U = (Pu/100) * u = 3.0" under the urban dialog's fields.
QString urbanResultText(double u);
// "km echiv. la 12.0 km in urban" on the trip window, with Pu as typed.
QString urbanPreviewText(const QString &distance);

// "T = (Pt / 100) * t = 3.0" under the towing dialog's fields.
QString towingResultText(double t);
// "km echiv. la 40.0 km tractati" on the trip window, with Pt as typed.
QString towingPreviewText(const QString &distance);
// The towing row chosen in the grid with its specific surcharge t.
QString towingDescription(const QString &trailerType, const QString &ownWeight, double rate);
// "Tip remorca tractata : " before any row is chosen.
QString towingDescriptionEmpty();

// The distance a trip stores beside its towing or urban surcharge (kmtract,
// kmurb): the distance last typed in the dialog when the surcharge applies (T
// or U above 0), else 0, so that the distance of another trip never follows.
double storedDistance(double surcharge, double distance);

// The text the urban dialog's Pu reopens with: empty while no urban distance
// has been typed (0), else the distance as the field showed it.
QString urbanDistanceText(double km);

} // namespace vok::surcharge
