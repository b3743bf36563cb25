#include "trips/surcharge.h"

#include "base/numbers.h"

namespace vok::surcharge {

namespace {
const QString oneDecimal = QStringLiteral("#0.0");
}

double equivalentKm(const QString &distance, const QString &rate)
{
    return readNumber(distance) / 100.0 * readNumber(rate);
}

SurchargeEntry entry(const QString &distance, const QString &rate)
{
    return SurchargeEntry{formatNumber(equivalentKm(distance, rate), oneDecimal), distance};
}

QString urbanResultText(double u)
{
    return QStringLiteral("U = (Pu/100) * u = ") + formatNumber(u, oneDecimal);
}

QString urbanPreviewText(const QString &distance)
{
    return QStringLiteral("km echiv. la ") + distance + QStringLiteral(" km in urban");
}

QString towingResultText(double t)
{
    return QStringLiteral("T = (Pt / 100) * t = ") + formatNumber(t, oneDecimal);
}

QString towingPreviewText(const QString &distance)
{
    return QStringLiteral("km echiv. la ") + distance + QStringLiteral(" km tractati");
}

QString towingDescription(const QString &trailerType, const QString &ownWeight, double rate)
{
    return towingDescriptionEmpty() + trailerType + QStringLiteral("  -  greutatea proprie (tone) ")
        + ownWeight + QStringLiteral("  :  ") + doubleText(rate) + QStringLiteral(" km echiv./100 km");
}

QString towingDescriptionEmpty() { return QStringLiteral("Tip remorca tractata : "); }

QString urbanDistanceText(double km)
{
    if (km == 0.0)
        return {};
    // The field is rewritten with one decimal when it is left; a distance that
    // was never reformatted keeps all its digits.
    const QString masked = formatNumber(km, oneDecimal);
    return readNumber(masked) == km ? masked : doubleText(km);
}

double storedDistance(double surcharge, double distance) { return surcharge > 0 ? distance : 0; }

} // namespace vok::surcharge
