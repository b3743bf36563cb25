#include "reports/monthclose.h"

#include "db/database.h"
#include "db/numbers.h"
#include "reports/monthstore.h"

namespace vok {

MonthClose closeMonth(const QSqlDatabase &db, int ida, int year, int month)
{
    MonthClose result;
    Transaction transaction(db);
    const MonthStore store(db);

    const auto [sheets, trips] = store.totals(ida, year, month);
    if (sheets.sheets == 0) {
        result.noSheets = true;
        return result;
    }
    const int previousYear = month == 1 ? year - 1 : year;
    const int previousMonth = month == 1 ? 12 : month - 1;
    const MonthBasis basis = store.basis(ida, year, month, previousYear, previousMonth);
    if (!basis.vehicleFound)
        throw DbError(QStringLiteral("Autovehiculul %1 nu exista in baza de date.").arg(ida));

    // Hours to one decimal; every oil change adds the sump, every filter
    // change the filter (single precision, as the vehicle's capacities).
    const double hours = readNumber(formatNumber(sheets.hours, QStringLiteral("#0.0")));
    float oilChanges = 0;
    for (int i = 0; i < sheets.oilChanges; ++i)
        oilChanges += static_cast<float>(basis.Cb);
    for (int i = 0; i < sheets.filterChanges; ++i)
        oilChanges += static_cast<float>(basis.Cf);

    // The opening values: the previous month's closing values, else the
    // vehicle's initial state.
    if (basis.previousFound) {
        result.openingRest = basis.previousRest;
        result.openingKm = basis.previousKm;
        result.openingKmEquiv = basis.previousKmEquiv;
    } else {
        result.openedFromSettings = true;
        result.openingRest = basis.restrez;
        result.openingKm = basis.kmef;
        result.openingKmEquiv = basis.kmechiv;
    }

    MonthRow row;
    row.idd = basis.idd;
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
