#include "fleet/partsrules.h"

#include "base/calendar.h"
#include "base/numbers.h"
#include "base/texts.h"

namespace vok::parts {

QString pickVehicleMessage() { return texts::noVehicle(); }
QString savedMessage() { return texts::saved(); }
QString deleteQuestion() { return QStringLiteral("Stergeti inregistrarea curenta?"); }
QString deletedMessage() { return texts::rowDeleted(); }
QString deleteTitle() { return texts::deleteRowTitle(); }

QString apostropheProblem(const QString &text)
{
    const qsizetype first = text.indexOf(u'\'');
    if (first >= 0 && first == text.size() - 1)
        return QStringLiteral(" Nu se acccepta caracterul apostrof (') la sfarsit de cuvant !!! ");
    if (text.startsWith(u'\''))
        return QStringLiteral(" Nu se acccepta caracterul apostrof (') la inceput de cuvant !!! ");
    return {};
}

QString dayMonthText(const QString &text)
{
    return isNumber(text) ? formatNumber(readNumber(text), QStringLiteral("00")) : text;
}

QString yearText(const QString &text)
{
    return isNumber(text) ? formatNumber(readNumber(text), QStringLiteral("0")) : text;
}

std::optional<EntryProblem> checkEntry(bool vehiclePicked, const QString &zi, const QString &luna,
                                       const QString &an, const QString &valp)
{
    using Field = EntryProblem::Field;
    if (!vehiclePicked)
        return EntryProblem{Field::Vehicle, pickVehicleMessage()};
    const double day = readNumber(zi);
    if (day == 0)
        return EntryProblem{Field::Day, QStringLiteral(" Specificati ziua !!! ")};
    if (day < 0 || day > 31)
        return EntryProblem{Field::Day, QStringLiteral(" Nu exista aceasta zi !!! ")};
    const double month = readNumber(luna);
    if (month == 0)
        return EntryProblem{Field::Month, QStringLiteral(" Specificati luna !!! ")};
    if (month < 0 || month > 12)
        return EntryProblem{Field::Month, QStringLiteral(" Nu exista aceasta luna !!! ")};
    const double year = readNumber(an);
    if (year == 0)
        return EntryProblem{Field::Year, QStringLiteral(" Specificati anul !!! ")};
    // 31.02 would be stored and printed as typed.
    if (!isCalendarDate(int(year), int(month), int(day)))
        return EntryProblem{Field::Day, dayNotInMonthMessage()};
    if (!valp.isEmpty() && !isNumber(valp))
        return EntryProblem{Field::Value, QStringLiteral("Introduceti doar numere !")};
    return std::nullopt;
}

QStringList gridEditProblems(const QString &act, const QString &denp, const QString &valoare)
{
    QStringList messages;
    if (act.contains(u'\'') || denp.contains(u'\''))
        messages << QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! ");
    if (!isNumber(valoare))
        messages << QStringLiteral("Introduceti doar numere !");
    const QString tooLong = QStringLiteral(" Numarul maxim de caractere este %1 !!! ");
    if (act.size() > 25)
        messages << tooLong.arg(25);
    if (denp.size() > 50)
        messages << tooLong.arg(50);
    if (valoare.size() > 10)
        messages << tooLong.arg(10);
    return messages;
}

} // namespace vok::parts
