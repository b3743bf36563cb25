#pragma once

#include <QString>
#include <QStringList>

namespace vok {

// What a report button hands the report engine: the definition file (a name
// in the program's reports folder, "rapcalculf.rpt"), the data file, the
// selection formula the window built ("{curse.idf}=5"), the sort fields
// ("+{foaie.nrf}") and the named formula values ("rest=50").
struct ReportRequest {
    QString reportFile;
    QString dataFile;
    QString selection;
    QStringList sortFields;
    QStringList formulas;
};

} // namespace vok
