#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <array>
#include <optional>
#include <utility>

namespace vok {

// What the month's trip sheets add up to (empty values read 0), sheet by
// sheet in the order of their numbers.
struct SheetTotals {
    int sheets = 0;          // how many sheets the month has
    float hours = 0;         // sum of oras - orap, single precision after every sheet
    int oilChanges = 0;      // sheets with schu > 0
    int filterChanges = 0;   // sheets with schf > 0
    double bm = 0, gz = 0, restit = 0, um = 0, ut = 0, ua = 0;
    qint64 fuelMicro = 0;    // bm + gz - restit summed exactly, in millionths of a litre
};

// What the month's trips add up to (empty sums read 0). The loaded figures
// count only the trips with a load (Gm > 0).
struct TripTotals {
    double Cn = 0, kmT = 0, kmE = 0, Cu = 0;
    double loadedTonnes = 0, tonneKm = 0, loadedKm = 0;
    qint64 CnMicro = 0; // Cn summed exactly, in millionths of a litre
};

// One row of dateluna, the closed month of a vehicle.
struct MonthRow {
    int idd = 0; // 0 for a row not stored yet
    int ida = 0, anul = 0, idl = 0;
    double ore = 0, km = 0, kme = 0, kminc = 0, tone = 0, tonekm = 0;
    double bm = 0, gz = 0, restit = 0, restrez = 0, Cn = 0;
    double um = 0, ut = 0, ua = 0, Cu = 0, kmt = 0, kmet = 0;

    // The figures in dateluna's column order (monthRowColumns()).
    static constexpr int figureCount = 17;
    std::array<double, figureCount> figures() const;
};

// Everything the closing of a month reads besides the sums: the vehicle's
// capacities and initial state, the previous month's closing values and the
// key of the month's own row.
struct MonthBasis {
    bool vehicleFound = false;
    double Cb = 0, Cf = 0;                   // sump and filter capacities
    double caprez = 0;                       // the tank's capacity, 0 when unknown
    double restrez = 0, kmef = 0, kmechiv = 0; // the vehicle's initial state
    bool previousFound = false;
    double previousRest = 0, previousKm = 0, previousKmEquiv = 0; // restrez, kmt, kmet of the previous month
    int idd = 0;                             // the month's own row, 0 when there is none
};

// The names of the figures of a month row, in dateluna's column order:
// ore, km, kme, kminc, tone, tonekm, bm, gz, restit, restrez, Cn, um, ut, ua, Cu, kmt, kmet.
const std::array<QString, MonthRow::figureCount> &monthRowColumns();

// A vehicle as the closing of its months sees it.
struct MonthVehicle {
    bool found = false;
    QString nrauto;
    double Cb = 0, Cf = 0;                     // sump and filter capacities
    double restrez = 0, kmef = 0, kmechiv = 0; // the vehicle's initial state
};

// A vehicle's year at once, for the status of its months: the sums of every
// month (index 0 = January), the stored rows of the year and December of the
// year before, and whether the vehicle has sheets before the year.
struct VehicleYear {
    MonthVehicle vehicle;
    bool sheetsBefore = false;
    std::array<std::pair<SheetTotals, TripTotals>, 12> totals;
    std::array<std::optional<MonthRow>, 12> rows;
    std::optional<MonthRow> previousDecember;
};

// A closed month of the run that carries over into a later month: its stored
// row and, unless nothing it is made of changed since its closing, its sums.
struct ChainMonth {
    int year = 0, month = 0;
    bool summed = true; // false: unmarked since its closing (sums not read), the row is what they give
    SheetTotals sheets;
    TripTotals trips;
    MonthRow row;
};

// A figure as an exact count of millionths (a stored figure has at most a
// few decimals; its binary error is far below a millionth).
qint64 micros(double value);

// The month rows and the sums they are made of. Every query goes through an
// index on (ida, anul, idl) or on the sheet key. A store prepares each of its
// statements once and runs it again for every month or vehicle it is asked
// about (a fleet's year, a vehicle's chain). Throws DbError.
class MonthStore {
public:
    explicit MonthStore(const QSqlDatabase &db);
    ~MonthStore();
    MonthStore(const MonthStore &) = delete;
    MonthStore &operator=(const MonthStore &) = delete;

    const QSqlDatabase &database() const { return m_db; }

    // The month's sheet sums and, when it has sheets, its trip sums.
    std::pair<SheetTotals, TripTotals> totals(int ida, int year, int month) const;
    // The vehicle, the row of month `previousMonth` of `previousYear` and the
    // key of the month's own row, in one statement.
    // `forWriting`: for a closing that writes the month (see monthclose.h).
    MonthBasis basis(int ida, int year, int month, int previousYear, int previousMonth, bool forWriting = false) const;
    std::optional<MonthRow> row(int ida, int year, int month) const;
    // Updates the row when it has a key, inserts it otherwise, and takes the
    // month's mark away (the closing is what takes it: see lunischimbate).
    void save(const MonthRow &row) const;
    // Takes the mark of a month away, once its row is found to be what its
    // sums give (inside the caller's write transaction).
    void unmark(int ida, int year, int month) const;
    // On a server, locks the vehicle's marked months until the transaction
    // ends, as a closing locks its month, before their sums are read to
    // take marks away; nothing on a file.
    void lockMarked(int ida) const;

    // Everything the status of a vehicle's months of `year` reads, in four
    // statements through the indexes.
    VehicleYear year(int ida, int year) const;
    // The months whose rows carry over into month `month` of `year`: the run of
    // consecutive months with a row that ends with the month before it, oldest
    // first. Empty when the month before has no row. The months from the
    // oldest one marked as changed since its closing (lunischimbate) on come
    // with their sums (the hours summed as one sum, not sheet by sheet); the
    // earlier ones are unchanged since their closing and their sums are not
    // read. One statement when no month of the run is marked, three otherwise.
    QList<ChainMonth> chainBefore(int ida, int year, int month) const;
    // Whether the vehicle has a sheet in the month.
    bool hasSheets(int ida, int year, int month) const;
    // The months (year, month) in which the vehicle has sheets, from
    // `fromMonth` of `fromYear` on, in calendar order.
    QList<std::pair<int, int>> sheetMonths(int ida, int fromYear, int fromMonth) const;
    // The vehicles offered in lists (apar = 1), by nrauto: (ida, nrauto).
    QList<std::pair<int, QString>> listedVehicles() const;
    // The vehicles marked for the fleet reports (rap = 1), by nrauto.
    QList<std::pair<int, QString>> markedVehicles() const;

private:
    enum Statement { MonthSheets, MonthTrips, Basis, LockedBasis, Row, Update, Insert, YearVehicle,
                     YearRows, SheetMonths, ChainRows, ChainSheets, ChainTrips, HasSheets, Unmark, LockMarked, StatementCount };
    QSqlQuery &run(Statement which, const QString &sql, const QVariantList &values) const;

    QSqlDatabase m_db;
    mutable std::array<QSqlQuery, StatementCount> m_statements;
};

} // namespace vok
