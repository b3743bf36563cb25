#pragma once

#include "reports/reportrequest.h"

class QWidget;

namespace vok {

// Opens a report for the clerk (the preview window). Windows hold it through
// their WindowContext, so tests can record the requests instead.
class ReportService {
public:
    virtual ~ReportService() = default;
    // Shows the report; a bad request or a failed query is reported to the
    // clerk and the program goes on.
    virtual void show(QWidget *parent, const ReportRequest &request) = 0;
};

} // namespace vok
