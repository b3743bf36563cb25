#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The demonstration folder of `vok --demo`: a small sample fleet with a year
// of work, for a newcomer to try every window and report on.
//
// Same seed, same folder: the data depend only on the seed and on the month
// of `today` (the year shown is the twelve whole months before it). The
// random values come from SampleRandom (the same on every build), every
// computed figure from the program's own arithmetic and month closing, the
// rows are written in a fixed order (so they get the same keys), and nothing
// reads the clock. Two folders made with the same seed in the same month hold
// the same rows in every table; their files may differ byte for byte (SQLite's
// own bookkeeping, and the day's automatic copy the program makes on start).
namespace vok::sample {

struct DemoOptions {
    unsigned seed = 1;
    QDate today; // the year of data ends with the month before this one
};

// A finding the audit must report on the sample fleet, put there on purpose.
struct SeededFinding {
    QString nrauto;
    int nrf = 0;
    QString data; // dd.mm.yyyy
    QString kind; // as the audit names it
};

struct DemoSummary {
    int vehicles = 0;
    int sheets = 0;
    int trips = 0;
    int closedMonths = 0;  // dateluna rows
    QDate firstMonth;      // the first day of the first month with sheets
    QDate lastMonth;       // the first day of the last month with sheets
    // The one closed month changed after its closing (an engine-oil receipt
    // recorded late), so that the month status finds it stale.
    QString staleVehicle;
    int staleYear = 0;
    int staleMonth = 0;
    // The one closed month whose rest in the tank ends above the tank's
    // capacity (a fill-up counted twice), so that the charts mark it.
    QString overfullVehicle;
    int overfullYear = 0;
    int overfullMonth = 0;
    // Every sheet records its odometer and tank levels, consistent with its
    // trips and the book within the gauge's imprecision, except these cases
    // of the audit's findings, one of each kind (the receipt counted twice
    // gives overrun, over-capacity and stock-difference on its sheet; after
    // it that vehicle's tank is no longer measured).
    QList<SeededFinding> seeded;
    // The drivers' register (the names on the sheets) and the vehicles'
    // documents in force; a few lapse within 30 days and one is overdue.
    int drivers = 0;
    int documents = 0;
    // The fuel cards' month (the last closed one): its statement and e-invoice
    // are imported, and these are the reconciliation's findings, one of each kind.
    int cardYear = 0;
    int cardMonth = 0;
    QList<SeededFinding> cardFindings;
};

// The mark of a sample reference row, in its first text column: the
// normative's real values are not distributed with the program, and a clerk
// must not take these for them. coefKg has no text column.
QString exampleMark();

// Fills an open business database that holds no data yet (made by the
// program's schema) with the sample fleet, through the program's stores: the
// report header, sample rows in every reference table, six vehicles of both
// formula kinds with their regimes, starting state and tank capacity, an
// installation and an aerodynamic class, a year of trip sheets with trips,
// refuellings, oil and filter changes and fuel returned, a parts log, and
// every month closed by closeMonth except the last two, one of them then made
// stale; then the drivers of its sheets with their papers, the vehicles'
// documents (with the ones they replaced) and service intervals, dated from
// `today` so that the same things are due whatever the day. Throws DbError
// when a statement fails.
DemoSummary fillDemo(const QSqlDatabase &db, const DemoOptions &options);

// The outcome of creating a demonstration folder.
struct DemoFolder {
    QString refusal; // why nothing was written; empty when created
    DemoSummary summary;
    bool created() const { return refusal.isEmpty(); }
};

// Creates the data folder `dir` (and its parents) with a vok.db and a sys.db
// (no password) holding the sample fleet. A folder that already holds a vok.db
// or a sys.db is refused with nothing written. The databases are made in a
// temporary folder inside `dir` and moved in when whole, sys.db first: a
// failure leaves `dir` as it was (removed again when this call made it) and
// throws DbError.
DemoFolder createDemoFolder(const QString &dir, const DemoOptions &options);

} // namespace vok::sample
