#include "trips/tripsheetservice.h"

#include "db/database.h"
#include "trips/triprules.h"

namespace vok {

TripSheetService::TripSheetService(const QSqlDatabase &db)
    : m_db(db)
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
                                                                     int formula) const
{
    const std::optional<Vehicle> vehicle = m_vehicles.byId(header.ida);
    if (!vehicle)
        return std::nullopt;
    SavePlan plan;
    plan.header = header;
    plan.trip = tripFromForm(form, VehicleNorms{vehicle->Cm, vehicle->Ca, formula});
    plan.sheet = m_sheets.byNumber(header.ida, header.nrf);
    if (plan.sheet) {
        plan.trip.idf = plan.sheet->idf;
        if (const std::optional<Trip> stored = m_trips.byNumber(plan.sheet->idf, plan.trip.nrc))
            plan.storedTrip = stored->idc;
    }
    return plan;
}

std::optional<int> TripSheetService::save(const SavePlan &plan, bool yes)
{
    const trips::SaveWrites writes = trips::writesOnAnswer(plan.sheet.has_value(), yes);
    if (!writes.header && !writes.trip)
        return std::nullopt;
    // The header and the trip go to the disk in one commit.
    Transaction transaction(m_db);
    Trip trip = plan.trip;
    if (plan.sheet) {
        if (writes.header)
            m_sheets.update(*plan.sheet, plan.header);
    } else if (writes.header) {
        trip.idf = m_sheets.insert(plan.header);
    }
    if (writes.trip) {
        if (plan.storedTrip)
            m_trips.overwrite(*plan.storedTrip, trip);
        else
            m_trips.insert(trip);
    }
    transaction.commit();
    if (!writes.trip)
        return std::nullopt;
    return trip.idf;
}

void TripSheetService::deleteTrip(int idf, int nrc)
{
    Transaction transaction(m_db);
    m_trips.removeByNumber(idf, nrc);
    transaction.commit();
}

void TripSheetService::deleteSheet(const Sheet &sheet)
{
    Transaction transaction(m_db);
    m_sheets.remove(sheet);
    transaction.commit();
}

void TripSheetService::deleteTrips(const QList<int> &idcs)
{
    Transaction transaction(m_db);
    for (int idc : idcs)
        m_trips.removeById(idc);
    transaction.commit();
}

std::optional<double> TripSheetService::chooseRegime(int ida, int k)
{
    Transaction transaction(m_db);
    const std::optional<double> Cm = m_lookups.chooseRegime(ida, k);
    transaction.commit();
    return Cm;
}

} // namespace vok
