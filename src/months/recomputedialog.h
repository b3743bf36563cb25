#pragma once

#include "months/monthstatus.h"
#include "ui/windowcontext.h"

#include <QList>
#include <QString>

#include <utility>

class QWidget;

namespace vok {

// A vehicle as the lists show it: its key and its registration number.
using ListedVehicle = std::pair<int, QString>;

// What a recompute of several vehicles did.
struct RecomputeRun {
    int vehiclesDone = 0;
    int monthsChanged = 0;
    bool complete = true; // false when cancelled or stopped by a failure
    bool failed = false;  // a statement failed (its message was shown)
};

// Recomputes the carry-over chain of each vehicle from `fromMonth` of
// `fromYear` (recomputeChain, one transaction per vehicle) behind a progress
// dialog that can be cancelled between vehicles: what is done stays done. A
// failure is shown through the message service and ends the run; the vehicle
// that failed keeps its rows as they were.
RecomputeRun recomputeWithProgress(const WindowContext &context, QWidget *parent,
                                   const QList<ListedVehicle> &vehicles, int fromYear, int fromMonth);

// The question before a report that reads dateluna rows.
QString recomputeQuestionText();

// Before a report over `vehicles` that reads the dateluna rows of `year`
// (month 0) or of one month of it: when a month the report covers has sheets
// and is stale or not closed, asks once (recomputeQuestionText()). Da
// recomputes the vehicles concerned from January of the year; Nu leaves
// everything as it is. Returns false when the report must not go ahead: the
// status could not be read, or the recompute failed or was cancelled.
bool offerRecomputeBeforeReport(const WindowContext &context, QWidget *parent,
                                const QList<ListedVehicle> &vehicles, int year, int month);

} // namespace vok
