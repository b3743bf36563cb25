#include "control/measures.h"

#include "base/numbers.h"

#include <cmath>

namespace vok::control {

std::optional<double> measuredValue(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    if (text.trimmed().isEmpty())
        return std::nullopt;
    if (!isNumber(text)) {
        if (ok)
            *ok = false;
        return std::nullopt;
    }
    return readNumber(text);
}

QString measuredText(const std::optional<double> &value, const QString &mask)
{
    return value ? formatNumber(*value, mask) : QString();
}

bool odometerBackwards(const std::optional<double> &departure, const std::optional<double> &arrival)
{
    return departure && arrival && std::llround(*arrival * 10) < std::llround(*departure * 10);
}

} // namespace vok::control
