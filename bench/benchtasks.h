#pragma once

#include <QString>

namespace vok::bench {

struct BenchOptions {
    QString fullDir;   // the full fleet (vok.db, sys.db)
    QString smallDir;  // its 1%
    QString workDir;   // scratch: the empty database, report output
    QString program;   // this program, started again as the measured child
    QString only;      // run only the figures whose names contain this
    // On a PostgreSQL server instead of the data folders: the databases of the
    // full fleet and of its small part, and the server's log file (where the
    // statements of a trip save are counted).
    QString fullUrl;
    QString smallUrl;
    QString serverLog;
    int networkDelayMs = 5; // the longer round trip of a distant office
    int reps = 31;
    int reportReps = 5;
    int batch = 5;     // runs per timed sample of sub-millisecond actions
};

// Runs every figure and prints its line; returns the number of figures that
// could not be measured.
int runAll(const BenchOptions &options);

// The per-vehicle figures on a PostgreSQL server (fullUrl, smallUrl): the
// month closing and trip ratios, and the round trips of one trip save. Same
// return as runAll.
int runOnServer(const BenchOptions &options);

// The measured child for peak memory: the program's databases open, the main
// menu and the trip window showing a sheet of the first vehicle. Returns its
// exit code.
int runTripWindowChild(const QString &dataDir);

} // namespace vok::bench
