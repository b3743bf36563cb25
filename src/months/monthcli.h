#pragma once

#include <QString>

class QTextStream;

namespace vok {

// The closed months checked or recomputed from the command line, without a
// window, on a data folder or a shared database:
//   vok [--data-dir DIR | --database URL] --check-months YEAR
//   vok [--data-dir DIR | --database URL] --recompute-months YEAR
// Each month that is not current (check) or that changed (recompute) is one
// line on `out`: nrauto<TAB>YEAR<TAB>MONTH<TAB>status, with status "stale"
// (then a fourth field column:stored->recomputed,...), "not-closed" or
// "restarts" (a warning, check only). Reasons go to `errors`.
struct MonthCommand {
    QString dataDir;
    QString databaseUrl; // a shared PostgreSQL database instead of the data folder
    QString year;        // as typed: four digits
};

// Every listed vehicle's months of the year, after the stale months of
// earlier years whose rows carry over into it. Exit code 0 when no month is
// stale or not closed, 1 when one is, 2 on an error.
int runCheckMonths(const MonthCommand &command, QTextStream &out, QTextStream &errors);

// Recomputes every listed vehicle from January of the year on, from an
// earlier stale month that carries over into it when there is one (one write
// transaction per vehicle, waiting up to 5 s for another program's write),
// and prints the months that changed, earlier ones included. Exit code 0, or
// 2 on an error (the vehicle that failed keeps its rows as they were; the
// ones before it stay recomputed).
int runRecomputeMonths(const MonthCommand &command, QTextStream &out, QTextStream &errors);

} // namespace vok
