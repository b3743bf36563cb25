#include "reports/previewwindow.h"

#include "ui/messageservice.h"

namespace vok {

PreviewReportService::PreviewReportService(const QSqlDatabase &db, MessageService *messages)
    : m_db(db)
    , m_messages(messages)
{
}

void PreviewReportService::show(QWidget *parent, const ReportRequest &request)
{
    m_messages->error(parent, QStringLiteral("Raportul %1 nu este disponibil.").arg(request.reportFile));
}

} // namespace vok
