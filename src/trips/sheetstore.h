#pragma once

#include "db/database.h"
#include "db/journal.h"
#include "trips/tripstore.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace vok {

// One row of foaie as the trip window reads it.
struct Sheet {
    int idf = 0;
    int nrf = 0;
    int ida = 0;
    QString sofer;
    double orap = 0, oras = 0, nrore = 0;
    QString data; // "dd.mm.yyyy"
    int decada = 0, idl = 0, anul = 0;
    int versiune = 0; // the header's version: each write of the header advances it
    // The odometer at departure and at return, km; nullopt when not recorded.
    std::optional<double> kmplecare, kmsosire;
};

// The header of a sheet as the clerk typed it.
struct SheetHeader {
    int nrf = 0;
    int ida = 0;
    QString sofer;
    double orap = 0, oras = 0;
    QString data;
    int decada = 0, idl = 0, anul = 0;
    std::optional<double> kmplecare, kmsosire; // blank: not recorded (NULL)
};

// The ten-day period of a day of the month: 1 for days up to 10, 2 up to 20, 3 after.
int decadeOf(int day);

// The trip sheets (foaie). Throws DbError when a statement fails. A store
// keeps the statements it has run prepared for its own life.
class SheetStore {
public:
    explicit SheetStore(const QSqlDatabase &db);

    // The numbers of the vehicle's sheets of that month and year; month 0
    // leaves the month out.
    QList<int> numbers(int ida, int month, int year) const;
    // A sheet is found by vehicle and number only: numbers are unique per
    // vehicle across all years.
    std::optional<Sheet> byNumber(int ida, int nrf) const;
    std::optional<Sheet> byId(int idf) const;
    // The sheet of that vehicle and number with its trip number `nrc`, in one
    // statement (a round trip less on a server): no sheet, no trip.
    struct WithTrip {
        std::optional<Sheet> sheet;
        std::optional<Trip> trip;
    };
    WithTrip byNumberWithTrip(int ida, int nrf, int nrc) const;
    // Every driver name used so far, each once, in alphabetical order.
    QStringList drivers() const;
    bool hasTrips(int idf) const;

    // Rewrites the header of a stored sheet (nrore = oras - orap), as loaded
    // in `stored`: when its version is no longer the stored one, StaleRecord
    // and nothing written. A header saved again as loaded writes nothing. When
    // the sheet leaves its month, the vehicle's monthly row of the month and
    // year it leaves is dropped: that month must be closed again.
    void update(WriteRun &run, const Sheet &stored, const SheetHeader &header);
    // Inserts a new sheet and returns its idf.
    int insert(WriteRun &run, const SheetHeader &header);
    // Deletes the sheet, its trips and the vehicle's monthly row of the
    // sheet's own month and year. Its journal row keeps the whole sheet with
    // its trips (under "curse"), from which it can be brought back.
    void remove(WriteRun &run, const Sheet &sheet);

private:
    QSqlDatabase m_db;
    mutable PreparedQuery m_byNumber;
    mutable PreparedQuery m_byNumberWithTrip;
    mutable PreparedQuery m_hasTrips;
    PreparedQuery m_dropMonth;
    PreparedQuery m_update;
    PreparedQuery m_insert;
};

} // namespace vok
