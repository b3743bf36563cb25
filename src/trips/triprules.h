#pragma once

#include "trips/sheetstore.h"
#include "trips/tripform.h"

#include <QDate>
#include <QString>

#include <optional>
#include <variant>

// The rules of the trip window that need no widgets: the checks of the sheet
// header, the checks of the trip before it is saved, and what a save writes
// once the clerk has answered its question.
namespace vok::trips {

// The header of a trip sheet as the window shows it: the vehicle chosen (its
// registration number, empty when none), the texts of the sheet number, trip
// number, date, hours and driver.
struct HeaderTexts {
    QString nrauto;
    int ida = 0;
    QString nrf;
    QString nrc;
    QString zi, luna, anul;
    QString op, os;
    QString sofer;
    QString kmplecare, kmsosire; // the odometer's boxes; blank: not recorded
};

// The first check that failed: the box the clerk is sent back to, and the message.
struct HeaderProblem {
    enum class Field { Vehicle, Sheet, Trip, Day, Month, Year, Departure, OdometerDeparture, OdometerReturn };
    Field field;
    QString message;
};

// A header that passed its checks, as it is written into foaie (the driver in
// upper case, the date as typed, the ten-day period from the day), and
// whether its date is later than today (a warning, not a refusal).
struct CheckedHeader {
    SheetHeader header;
    bool afterToday = false;
};

// The checks of "Salvare", in order: a vehicle, a sheet number other than 0,
// a trip number other than 0, the day (1..31), the month (1..12), the year
// (not 0), a day the month has (31.02 is refused), the departure hour not
// after the arrival hour.
std::variant<CheckedHeader, HeaderProblem> checkHeader(const HeaderTexts &typed, const QDate &today);

// The vehicle and the sheet an action on the sheet needs ("Salvare", the
// deletions, the report): the first one missing; a sheet number reading 0 is
// none. Without `zeroIsNone` a sheet number is missing only when empty (the
// trip number box and the grid ask no more).
std::optional<HeaderProblem> selectionProblem(const QString &nrauto, const QString &nrf, bool zeroIsNone = true);

// The trip number of "Stergere curse": empty or reading 0 is none.
std::optional<HeaderProblem> tripNumberProblem(const QString &nrc);

// The first road category whose kilometres read below 0 (0 for category I);
// none when every one is 0 or more.
std::optional<int> negativeCategory(const TripForm &form);

// The questions of "Stergere curse" and "Stergere foi parcurs", with the
// numbers as typed.
QString deleteTripQuestion(const QString &nrc, const QString &nrf);
QString deleteSheetQuestion(const QString &nrf, bool hasTrips);

// The question "Salvare" asks: whether to overwrite when the trip number is
// already stored on a stored sheet, else whether to save.
QString saveQuestion(bool sheetStored, bool tripStored);

// What a save writes once the clerk has answered. The header of a stored
// sheet is written whatever the answer (with a No it stays, alone); a new
// sheet and every trip are written only with a Yes.
struct SaveWrites {
    bool header = false;
    bool trip = false;
};
SaveWrites writesOnAnswer(bool sheetStored, bool yes);

} // namespace vok::trips
