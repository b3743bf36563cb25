#include "base/calendar.h"

#include <QDate>

namespace vok {

const QStringList &monthNames()
{
    static const QStringList names = {
        QStringLiteral("ianuarie"), QStringLiteral("februarie"), QStringLiteral("martie"),
        QStringLiteral("aprilie"),  QStringLiteral("mai"),       QStringLiteral("iunie"),
        QStringLiteral("iulie"),    QStringLiteral("august"),    QStringLiteral("septembrie"),
        QStringLiteral("octombrie"), QStringLiteral("noiembrie"), QStringLiteral("decembrie")};
    return names;
}

QString monthName(int month)
{
    return month >= 1 && month <= 12 ? monthNames().at(month - 1) : QString();
}

bool isCalendarDate(int year, int month, int day)
{
    return year > 0 && QDate::isValid(year, month, day);
}

} // namespace vok
