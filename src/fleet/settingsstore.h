#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace vok {

// The header data the reports print (one row of setari).
struct ReportHeader {
    int ids = 0; // hidden key of the row
    QString unitate, functie, numeman, intocmit;
    int versiune = 0; // each write of the row advances it
};

// A vehicle's state when the program starts recording it (columns of auto).
struct StartingState {
    int ida = 0;
    QString nrauto, marca;
    double kmef = 0, kmefinc = 0, kmechiv = 0, restrez = 0;
    double caprez = 0; // tank capacity, litres; 0 = unknown
    int versiune = 0;  // the vehicle row's version
};

// A line of "Auto scoase": a vehicle and whether it is taken out (apar = 0).
struct TakenOutLine {
    int ida = 0;
    QString nrauto;
    bool takenOut = false;
};

// The report header, the starting state of the vehicles and the vehicles
// taken out. Throws DbError when a statement fails.
class SettingsStore {
public:
    explicit SettingsStore(const QSqlDatabase &db);

    // The header rows; when the table is empty its one row is created first,
    // so that the header can always be typed.
    QList<ReportHeader> headers() const;
    // Writes a header row over `stored` (as loaded); StaleRecord when it
    // changed since. Returns the row's new version.
    int saveHeader(const ReportHeader &stored, const ReportHeader &header) const;

    // Every vehicle, ordered by registration number.
    QList<StartingState> startingStates() const;
    // As saveHeader, for a vehicle's starting state.
    int saveStartingState(const StartingState &stored, const StartingState &state) const;

    // Every vehicle in table order, marked when taken out.
    QList<TakenOutLine> takenOutLines() const;
    // Writes every line: apar = 0 when taken out, 1 otherwise; all or nothing.
    void saveTakenOut(const QList<TakenOutLine> &lines) const;

private:
    QSqlDatabase m_db;
};

} // namespace vok
