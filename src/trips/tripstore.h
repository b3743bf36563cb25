#pragma once

#include "db/database.h"
#include "db/journal.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QSqlQueryModel;

namespace vok {

// One row of curse.
struct Trip {
    int idc = 0;
    int idf = 0;
    int nrc = 0;
    std::array<double, 6> km{}; // kmI .. kmVI
    double kmT = 0, kmE = 0;
    double Kg = 1, Gm = 0;
    double T = 0, U = 0, I = 0;
    int nri = 0;
    double Ra = 0, A = 1;
    int nrq1 = 0, nrq4 = 0;
    double Cn = 0, Cu = 0;
    int remorca = 0;
    QString traseu;
    double kmtract = 0, kmurb = 0;
    int versiune = 0; // each write of the trip advances it
};

// The refusal when the trip on screen was deleted by another clerk.
QString tripDeletedText();

// The trip columns the stores read, in order, each with `prefix` ("c."), and
// the trip of a row whose trip columns begin at `first`.
QString tripColumnList(const QString &prefix = QString());
Trip tripFromRow(const QSqlQuery &query, int first);

// The trips of the trip sheets (curse). Throws DbError when a statement fails.
// A store keeps the statements it has run prepared for its own life.
class TripStore {
public:
    explicit TripStore(const QSqlDatabase &db);

    std::optional<Trip> byNumber(int idf, int nrc) const;
    std::optional<Trip> byId(int idc) const;
    // Inserts the trip (its idf and nrc included) and returns its idc.
    int insert(WriteRun &run, const Trip &trip);
    // Replaces every value of the stored trip `stored` (as loaded: its idc
    // and version) but its sheet and number. StaleRecord when the trip changed
    // since it was loaded, StaleRecord::deleted when it went.
    void overwrite(WriteRun &run, const Trip &stored, const Trip &trip);
    void removeByNumber(WriteRun &run, int idf, int nrc);
    void removeById(WriteRun &run, int idc);

    // Shows the sheet's trips in the grid's model, in the columns of
    // gridColumns(); idf -1 or 0 gives an empty grid.
    void showTrips(QSqlQueryModel *model, int idf) const;
    // The grid's columns, in order: idc, nrc, kmI..kmVI, kmT, kmE, Gm, Kg, T,
    // U, I, Ra, A, nrq1, nrq4, Cn, Cu.
    static QStringList gridColumns();

private:
    QSqlDatabase m_db;
    mutable PreparedQuery m_byNumber;
    mutable PreparedQuery m_byId;
    PreparedQuery m_insert;
    PreparedQuery m_overwrite;
    PreparedQuery m_remove;
    void remove(WriteRun &run, const Trip &trip);
};

} // namespace vok
