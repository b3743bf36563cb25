#include "trips/tripsheetservice.h"

#include "db/database.h"
#include "trips/triprules.h"

namespace vok {

TripSheetService::TripSheetService(const QSqlDatabase &db, QString window)
    : m_db(db)
    , m_window(std::move(window))
    , m_journal(db)
    , m_vehicles(db)
    , m_sheets(db)
    , m_trips(db)
    , m_lookups(db)
{
}

QString TripSheetService::SavePlan::question() const
{
    return trips::saveQuestion(sheet.has_value(), storedTrip.has_value());
}

std::optional<TripSheetService::SavePlan> TripSheetService::planSave(const SheetHeader &header, const TripForm &form,
                                                                     int formula,
                                                                     const std::optional<Sheet> &loadedSheet,
                                                                     const std::optional<Trip> &loadedTrip) const
{
    const std::optional<Vehicle> vehicle = m_vehicles.byId(header.ida);
    if (!vehicle)
        return std::nullopt;
    SavePlan plan;
    plan.header = header;
    plan.trip = tripFromForm(form, VehicleNorms{vehicle->Cm, vehicle->Ca, formula});
    // The sheet and the trip of that number come in one statement.
    SheetStore::WithTrip found = m_sheets.byNumberWithTrip(header.ida, header.nrf, plan.trip.nrc);
    plan.sheet = found.sheet;
    const bool sheetLoaded = loadedSheet && loadedSheet->ida == header.ida && loadedSheet->nrf == header.nrf;
    if (sheetLoaded) {
        // The sheet on screen went meanwhile (another of that number may have
        // come since): it is never made again from what the screen holds.
        if (!plan.sheet || plan.sheet->idf != loadedSheet->idf)
            throw StaleRecord::deleted(sheetDeletedText());
        plan.sheet = loadedSheet;
    }
    if (plan.sheet) {
        plan.trip.idf = plan.sheet->idf;
        plan.storedTrip = found.trip;
        if (loadedTrip && loadedTrip->idf == plan.sheet->idf && loadedTrip->nrc == plan.trip.nrc) {
            if (!plan.storedTrip || plan.storedTrip->idc != loadedTrip->idc)
                throw StaleRecord::deleted(tripDeletedText());
            plan.storedTrip = loadedTrip;
        }
    }
    return plan;
}

std::optional<int> TripSheetService::save(const SavePlan &plan, bool yes)
{
    const trips::SaveWrites writes = trips::writesOnAnswer(plan.sheet.has_value(), yes);
    if (!writes.header && !writes.trip)
        return std::nullopt;
    // The header and the trip go to the disk in one commit.
    WriteRun run(m_db, m_window, &m_journal);
    Trip trip = plan.trip;
    if (plan.sheet) {
        if (writes.header)
            m_sheets.update(run, *plan.sheet, plan.header);
    } else if (writes.header) {
        trip.idf = m_sheets.insert(run, plan.header);
    }
    if (writes.trip) {
        if (plan.storedTrip)
            m_trips.overwrite(run, *plan.storedTrip, trip);
        else
            m_trips.insert(run, trip);
    }
    run.commit();
    if (!writes.trip)
        return std::nullopt;
    return trip.idf;
}

void TripSheetService::deleteTrip(int idf, int nrc)
{
    WriteRun run(m_db, m_window, &m_journal);
    m_trips.removeByNumber(run, idf, nrc);
    run.commit();
}

void TripSheetService::deleteSheet(const Sheet &sheet)
{
    WriteRun run(m_db, m_window, &m_journal);
    m_sheets.remove(run, sheet);
    run.commit();
}

void TripSheetService::deleteTrips(const QList<int> &idcs)
{
    WriteRun run(m_db, m_window, &m_journal);
    for (int idc : idcs)
        m_trips.removeById(run, idc);
    run.commit();
}

std::optional<double> TripSheetService::chooseRegime(int ida, int k)
{
    WriteRun run(m_db, m_window, &m_journal);
    const std::optional<double> Cm = m_lookups.chooseRegime(run, ida, k);
    run.commit();
    return Cm;
}

} // namespace vok
