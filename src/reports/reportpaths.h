#pragma once

#include <QString>

namespace vok {

// The folder holding the report definitions: $VOK_REPORTS_DIR when set, else
// reports/ beside the executable, else share/vok/reports of the installation.
QString reportsDirectory();

} // namespace vok
