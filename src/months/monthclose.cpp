#include "months/monthclose.h"

#include "db/database.h"
#include "base/numbers.h"

namespace vok {

double restInTank(double openingRest, qint64 fuelMicro, qint64 CnMicro)
{
    // Every figure as the exact decimal it was stored as: a sum taken in
    // binary would put a rest on a half (-6.625) a hair below or above it.
    const qint64 rest = micros(openingRest) + fuelMicro - CnMicro;
    constexpr qint64 perCent = 10000;
    const qint64 cents = rest >= 0 ? (rest + perCent / 2) / perCent : -((-rest + perCent / 2) / perCent);
    return doubleValue(static_cast<double>(cents) / 100.0);
}

MonthRow monthRow(int ida, int year, int month, const SheetTotals &sheets, const TripTotals &trips, double Cb,
                  double Cf, const MonthOpening &opening)
{
    // Hours to one decimal; every oil change adds the sump, every filter
    // change the filter (single precision, as the vehicle's capacities).
    const double hours = readNumber(formatNumber(singleValue(sheets.hours), QStringLiteral("#0.0")));
    float oilChanges = 0;
    for (int i = 0; i < sheets.oilChanges; ++i)
        oilChanges += static_cast<float>(Cb);
    for (int i = 0; i < sheets.filterChanges; ++i)
        oilChanges += static_cast<float>(Cf);

    MonthRow row;
    row.ida = ida;
    row.anul = year;
    row.idl = month;
    row.ore = hours;
    row.km = doubleValue(trips.kmT);
    row.kme = doubleValue(trips.kmE);
    row.kminc = doubleValue(trips.loadedKm);
    row.tone = doubleValue(trips.loadedTonnes);
    row.tonekm = doubleValue(trips.tonneKm);
    row.bm = doubleValue(sheets.bm);
    row.gz = doubleValue(sheets.gz);
    row.restit = doubleValue(sheets.restit);
    row.restrez = restInTank(opening.rest, sheets.fuelMicro, trips.CnMicro);
    row.Cn = doubleValue(trips.Cn);
    row.um = doubleValue(sheets.um);
    row.ut = doubleValue(sheets.ut);
    row.ua = doubleValue(sheets.ua);
    row.Cu = doubleValue(trips.Cu + singleValue(oilChanges));
    row.kmt = doubleValue(trips.kmT + opening.km);
    row.kmet = doubleValue(trips.kmE + opening.kmEquiv);
    return row;
}

MonthComputation computeMonth(const QSqlDatabase &db, int ida, int year, int month)
{
    const MonthStore store(db);
    return computeMonth(store, ida, year, month);
}

MonthComputation computeMonth(const MonthStore &store, int ida, int year, int month, bool forWriting)
{
    MonthComputation result;
    const int previousYear = month == 1 ? year - 1 : year;
    const int previousMonth = month == 1 ? 12 : month - 1;
    // The basis first: for a closing on a server it locks the month before
    // the sums are read.
    const MonthBasis basis = store.basis(ida, year, month, previousYear, previousMonth, forWriting);
    const auto [sheets, trips] = store.totals(ida, year, month);
    if (sheets.sheets == 0) {
        result.close.noSheets = true;
        return result;
    }
    if (!basis.vehicleFound)
        throw DbError(QStringLiteral("Autovehiculul %1 nu exista in baza de date.").arg(ida));

    // The opening values: the previous month's closing values, else the
    // vehicle's initial state.
    MonthOpening opening;
    if (basis.previousFound) {
        opening.rest = basis.previousRest;
        opening.km = basis.previousKm;
        opening.kmEquiv = basis.previousKmEquiv;
    } else {
        opening.fromSettings = true;
        opening.rest = basis.restrez;
        opening.km = basis.kmef;
        opening.kmEquiv = basis.kmechiv;
    }
    result.close.openedFromSettings = opening.fromSettings;
    result.close.openingRest = opening.rest;
    result.close.openingKm = opening.km;
    result.close.openingKmEquiv = opening.kmEquiv;
    result.row = monthRow(ida, year, month, sheets, trips, basis.Cb, basis.Cf, opening);
    result.row.idd = basis.idd;
    result.close.closingRest = result.row.restrez;
    result.close.tankCapacity = basis.caprez;
    return result;
}

void writeMonth(const QSqlDatabase &db, const MonthComputation &computed)
{
    const MonthStore store(db);
    writeMonth(store, computed);
}

void writeMonth(const MonthStore &store, const MonthComputation &computed)
{
    if (!computed.close.noSheets)
        store.save(computed.row);
}

MonthClose closeMonth(const QSqlDatabase &db, int ida, int year, int month)
{
    const MonthStore store(db);
    return closeMonth(store, ida, year, month);
}

MonthClose closeMonth(const MonthStore &store, int ida, int year, int month)
{
    Transaction transaction(store.database(), Transaction::Write);
    const MonthComputation computed = computeMonth(store, ida, year, month, true);
    writeMonth(store, computed);
    transaction.commit();
    return computed.close;
}

} // namespace vok
