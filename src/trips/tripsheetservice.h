#pragma once

#include "fleet/vehiclestore.h"
#include "trips/sheetstore.h"
#include "trips/tripform.h"
#include "trips/triplookupstore.h"
#include "trips/tripstore.h"

#include <QList>
#include <QSqlDatabase>

#include <optional>

namespace vok {

// Everything the trip window writes, each action in one transaction, and the
// stores it reads through. It lives as long as its window, and so do the
// statements its stores have prepared. Throws DbError when a statement fails
// (a failed action leaves nothing of it written).
class TripSheetService {
public:
    // `window` names the window whose actions these are, for the journal.
    explicit TripSheetService(const QSqlDatabase &db, QString window = QStringLiteral("foaie"));
    TripSheetService(const TripSheetService &) = delete;
    TripSheetService &operator=(const TripSheetService &) = delete;

    const VehicleStore &vehicles() const { return m_vehicles; }
    const SheetStore &sheets() const { return m_sheets; }
    const TripStore &trips() const { return m_trips; }
    const TripLookupStore &lookups() const { return m_lookups; }

    // "Salvare" goes in two steps around the clerk's answer.
    //
    // planSave reads what the save needs, writing nothing: the vehicle's Cm
    // and Ca as stored now (the regime chosen last counts), the trip computed
    // from the form with the formula of the vehicle as it was chosen, the sheet
    // of that vehicle and number (of any year) and the trip of that number on
    // it. nullopt when the vehicle is no longer stored.
    //
    // `loadedSheet` and `loadedTrip` are the sheet and trip as the window
    // loaded them, if it did: the save writes over them only while they are
    // still as loaded (StaleRecord otherwise, here or in save();
    // StaleRecord::deleted when one of them is no longer stored), and a header
    // left as loaded is not written again, whatever another clerk stored.
    struct SavePlan {
        SheetHeader header;
        Trip trip;
        std::optional<Sheet> sheet;     // the stored sheet (as loaded, when loaded), if any
        std::optional<Trip> storedTrip; // the trip of that number on it (as loaded, when loaded), if any
        // The question the clerk answers before anything is written.
        QString question() const;
    };
    std::optional<SavePlan> planSave(const SheetHeader &header, const TripForm &form, int formula,
                                     const std::optional<Sheet> &loadedSheet = std::nullopt,
                                     const std::optional<Trip> &loadedTrip = std::nullopt) const;

    // Writes what the answer allows (trips::writesOnAnswer), in one
    // transaction: the header of a stored sheet (when it differs from the
    // stored one; leaving a month drops the vehicle's monthly row of the month
    // left), or a new sheet; then the trip, inserted or overwritten. Returns
    // the sheet's idf when the trip was written, nullopt when nothing of the
    // trip was.
    std::optional<int> save(const SavePlan &plan, bool yes);

    // "Stergere curse": the trip of that number on the sheet, if there is one.
    void deleteTrip(int idf, int nrc);
    // "Stergere foi parcurs": the sheet, its trips and the vehicle's monthly
    // row of the sheet's month.
    void deleteSheet(const Sheet &sheet);
    // The rows deleted in the trip grid.
    void deleteTrips(const QList<int> &idcs);
    // Makes regime k (1..3) the vehicle's Cm (TripLookupStore::chooseRegime).
    std::optional<double> chooseRegime(int ida, int k);

private:
    QSqlDatabase m_db;
    QString m_window;
    JournalStatements m_journal;
    VehicleStore m_vehicles;
    SheetStore m_sheets;
    TripStore m_trips;
    TripLookupStore m_lookups;
};

} // namespace vok
