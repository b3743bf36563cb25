#include "trips/triprules.h"

#include "base/calendar.h"
#include "base/numbers.h"
#include "base/texts.h"
#include "control/measures.h"

#include <tuple>

namespace vok::trips {

namespace {

HeaderProblem problem(HeaderProblem::Field field, const QString &message) { return HeaderProblem{field, message}; }

} // namespace

std::optional<HeaderProblem> selectionProblem(const QString &nrauto, const QString &nrf, bool zeroIsNone)
{
    if (nrauto.isEmpty())
        return problem(HeaderProblem::Field::Vehicle, texts::noVehicle());
    if (nrf.isEmpty() || (zeroIsNone && readNumber(nrf) == 0))
        return problem(HeaderProblem::Field::Sheet, texts::noSheet());
    return std::nullopt;
}

std::optional<HeaderProblem> tripNumberProblem(const QString &nrc)
{
    if (nrc.isEmpty() || readNumber(nrc) == 0)
        return problem(HeaderProblem::Field::Trip, QStringLiteral(" Specificati numarul cursei !!! "));
    return std::nullopt;
}

std::variant<CheckedHeader, HeaderProblem> checkHeader(const HeaderTexts &typed, const QDate &today)
{
    using Field = HeaderProblem::Field;
    if (std::optional<HeaderProblem> missing = selectionProblem(typed.nrauto, typed.nrf))
        return *missing;
    if (std::optional<HeaderProblem> missing = tripNumberProblem(typed.nrc))
        return *missing;
    const double day = readNumber(typed.zi);
    if (day > 31 || day <= 0)
        return problem(Field::Day, QStringLiteral(" Nu exista aceasta zi !!! "));
    const double month = readNumber(typed.luna);
    if (month > 12 || month <= 0)
        return problem(Field::Month, QStringLiteral(" Nu exista aceasta luna !!! "));
    const double year = readNumber(typed.anul);
    if (year == 0)
        return problem(Field::Year, QStringLiteral(" Specificati anul !!! "));
    // 31.02 would be stored as a sheet of February.
    if (!isCalendarDate(int(year), int(month), int(day)))
        return problem(Field::Day, dayNotInMonthMessage());
    const double departure = readNumber(typed.op);
    const double arrival = readNumber(typed.os);
    if (departure > arrival)
        return problem(Field::Departure, QStringLiteral(" Ora de sosire > ora de plecare !!! "));
    bool numbers[2] = {true, true};
    const std::optional<double> kmplecare = control::measuredValue(typed.kmplecare, &numbers[0]);
    const std::optional<double> kmsosire = control::measuredValue(typed.kmsosire, &numbers[1]);
    for (int i = 0; i < 2; ++i) {
        const Field field = i == 0 ? Field::OdometerDeparture : Field::OdometerReturn;
        const std::optional<double> &km = i == 0 ? kmplecare : kmsosire;
        if (!numbers[i])
            return problem(field, texts::onlyNumbers());
        if (km && *km < 0)
            return problem(field, negativeKmMessage());
    }
    if (control::odometerBackwards(kmplecare, kmsosire))
        return problem(Field::OdometerReturn, control::odometerBackMessage());

    CheckedHeader checked;
    SheetHeader &header = checked.header;
    header.nrf = wholeNumber(typed.nrf);
    header.ida = typed.ida;
    header.sofer = typed.sofer.toUpper();
    header.orap = departure;
    header.oras = arrival;
    header.data = typed.zi + u'.' + typed.luna + u'.' + typed.anul;
    header.decada = decadeOf(int(day));
    header.idl = int(month);
    header.anul = int(year);
    header.kmplecare = kmplecare;
    header.kmsosire = kmsosire;
    checked.afterToday = std::make_tuple(int(year), int(month), int(day))
                         > std::make_tuple(today.year(), today.month(), today.day());
    return checked;
}

std::optional<int> negativeCategory(const TripForm &form)
{
    for (size_t i = 0; i < form.km.size(); ++i)
        if (readNumber(form.km[i]) < 0)
            return int(i);
    return std::nullopt;
}

QString deleteTripQuestion(const QString &nrc, const QString &nrf)
{
    return QStringLiteral(" Sunteti sigur ca doriti stergerea cursei nr.") + nrc
           + QStringLiteral(" din foaia de parcurs numarul ,,") + nrf + QStringLiteral("'' ?");
}

QString deleteSheetQuestion(const QString &nrf, bool hasTrips)
{
    if (hasTrips)
        return QStringLiteral(" Aveti curse inregistrate la foaia de parcurs cu numarul ,,") + nrf
               + QStringLiteral("'' !!! ") + u'\n' + QStringLiteral(" Sunteti sigur ca doriti stergerea ? ");
    return QStringLiteral(" Sunteti sigur ca doriti stergerea foii de parcurs cu numarul ,,") + nrf
           + QStringLiteral("'' ?");
}

QString saveQuestion(bool sheetStored, bool tripStored)
{
    if (sheetStored && tripStored)
        return QStringLiteral(" Acest numar de cursa la aceasta foaie de parcurs exista deja !!! ") + u'\n'
               + QStringLiteral(" Doriti scrierea peste vechile date ? ");
    return texts::saveQuestion();
}

SaveWrites writesOnAnswer(bool sheetStored, bool yes) { return SaveWrites{sheetStored || yes, yes}; }

} // namespace vok::trips
