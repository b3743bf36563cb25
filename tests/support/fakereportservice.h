#pragma once

#include "reports/reportservice.h"

#include <QList>

namespace vok::test {

// Records every report a window asks for.
class FakeReportService : public ReportService {
public:
    void show(QWidget *, const ReportRequest &request) override { requests.append(request); }
    QList<ReportRequest> requests;
};

} // namespace vok::test
