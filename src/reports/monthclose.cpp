#include "reports/monthclose.h"

#include "db/database.h"
#include "db/numbers.h"
#include "fleet/vehiclestore.h"
#include "reports/monthstore.h"

namespace vok {

MonthClose closeMonth(const QSqlDatabase &db, int ida, int year, int month)
{
    MonthClose result;
    Transaction transaction(db);
    const MonthStore store(db);

    const SheetTotals sheets = store.sheetTotals(ida, year, month);
    if (sheets.sheets == 0) {
        result.noSheets = true;
        return result;
    }
    const std::optional<Vehicle> vehicle = VehicleStore(db).byId(ida);
    if (!vehicle)
        throw DbError(QStringLiteral("Autovehiculul %1 nu exista in baza de date.").arg(ida));

    // Hours to one decimal; every oil change adds the sump, every filter
    // change the filter (single precision, as the sheet's capacities).
    const double hours = readNumber(formatNumber(sheets.hours, QStringLiteral("#0.0")));
    float oilChanges = 0;
    for (int i = 0; i < sheets.oilChanges; ++i)
        oilChanges += static_cast<float>(vehicle->Cb);
    for (int i = 0; i < sheets.filterChanges; ++i)
        oilChanges += static_cast<float>(vehicle->Cf);

    // The opening values: the previous month's closing values, else the
    // vehicle's initial state.
    const int previousYear = month == 1 ? year - 1 : year;
    const int previousMonth = month == 1 ? 12 : month - 1;
    if (const std::optional<MonthRow> previous = store.row(ida, previousYear, previousMonth)) {
        result.openingRest = previous->restrez;
        result.openingKm = previous->kmt;
        result.openingKmEquiv = previous->kmet;
    } else {
        result.openedFromSettings = true;
        result.openingRest = vehicle->restrez;
        result.openingKm = vehicle->kmef;
        result.openingKmEquiv = vehicle->kmechiv;
    }

    const TripTotals trips = store.tripTotals(ida, year, month);

    MonthRow row;
    if (const std::optional<MonthRow> existing = store.row(ida, year, month))
        row.idd = existing->idd;
    row.ida = ida;
    row.anul = year;
    row.idl = month;
    row.ore = hours;
    row.km = trips.kmT;
    row.kme = trips.kmE;
    row.kminc = trips.loadedKm;
    row.tone = trips.loadedTonnes;
    row.tonekm = trips.tonneKm;
    row.bm = sheets.bm;
    row.gz = sheets.gz;
    row.restit = sheets.restit;
    row.restrez = readNumber(formatNumber(
        result.openingRest + sheets.bm + sheets.gz - sheets.restit - trips.Cn, QStringLiteral("#0.00")));
    row.Cn = trips.Cn;
    row.um = sheets.um;
    row.ut = sheets.ut;
    row.ua = sheets.ua;
    row.Cu = trips.Cu + singleValue(oilChanges);
    row.kmt = trips.kmT + result.openingKm;
    row.kmet = trips.kmE + result.openingKmEquiv;
    store.save(row);

    transaction.commit();
    return result;
}

} // namespace vok
