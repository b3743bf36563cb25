#include "trips/loadcalc.h"

#include "base/numbers.h"

namespace vok::loadcalc {

namespace {
const QString oneDecimal = QStringLiteral("#0.0");
}

QString totalText(const QList<Leg> &legs)
{
    double sum = 0;
    for (const Leg &leg : legs)
        sum += readNumber(leg.km);
    return formatNumber(sum, oneDecimal);
}

std::optional<QString> averageLoadText(const QList<Leg> &legs)
{
    const double total = singleValue(static_cast<float>(readNumber(totalText(legs))));
    if (!(total > 0))
        return std::nullopt;
    double weighted = 0;
    for (const Leg &leg : legs)
        weighted += readNumber(leg.tonnes) * readNumber(leg.km);
    return formatNumber(weighted / total, oneDecimal);
}

} // namespace vok::loadcalc
