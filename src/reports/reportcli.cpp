#include "reports/reportcli.h"

#include <QTextStream>

namespace vok {

int runReportCommand(const ReportCommand &command, QTextStream &errors)
{
    errors << "vok: reports are not available yet (" << command.reportFile << ")\n";
    return 2;
}

} // namespace vok
