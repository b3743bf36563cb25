#pragma once

#include <QList>
#include <QString>

#include <optional>

// The average load of a trip made of legs with different loads: the mean of
// the loads weighted by the distance of each leg.
namespace vok::loadcalc {

struct Leg {
    QString km;     // distance of the leg as typed
    QString tonnes; // load carried on the leg as typed
};

// The total distance as shown: the sum rounded to one decimal.
QString totalText(const QList<Leg> &legs);

// Gm formatted with one decimal, or nullopt when the rounded total distance
// is not above 0. The products use the typed values; the division uses the
// rounded total.
std::optional<QString> averageLoadText(const QList<Leg> &legs);

} // namespace vok::loadcalc
