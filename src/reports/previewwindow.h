#pragma once

#include "ui/reportservice.h"

#include <QSqlDatabase>

namespace vok {

class MessageService;

// The report service of the running program: renders the report and shows it
// in the preview window, or tells the clerk what is wrong.
class PreviewReportService : public ReportService {
public:
    PreviewReportService(const QSqlDatabase &db, MessageService *messages);
    void show(QWidget *parent, const ReportRequest &request) override;

private:
    QSqlDatabase m_db;
    MessageService *m_messages;
};

} // namespace vok
