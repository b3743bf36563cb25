#pragma once

#include "reports/reportdocument.h"

#include <QString>

namespace vok {

// What a filled report holds, for the name of a file it is saved in: its
// title, then the vehicle and the period its header names ("FISA ACTIVITATII
// ZILNICE (V.O.K.) B-104-VOK martie 2026"; the trip sheet's number and date
// for the calculation). A label its lines give different values (the
// vehicles of a fleet report) is left out. The definition's name when the
// report has no title.
QString reportDescription(const ReportDocument &document);

} // namespace vok
