#pragma once

#include "reports/reportdefinition.h"
#include "reports/selectionformula.h"
#include "reports/reportdocument.h"
#include "reports/reportrequest.h"

#include <QDate>
#include <QSqlDatabase>

// The report engine: reads a definition (*.rpt), checks the request against
// it, selects the rows with the selection formula as a bound filter, and fills
// a ReportDocument (header data of `setari`, groups, detail lines, totals).
//
//   ReportEngine engine(db);
//   ReportDocument doc = engine.run({"rapcalculf.rpt", {}, "{curse.idf}=5", {}, {}});
//   doc.writePdf("calcul.pdf");   // or doc.toHtml(), or ReportPages(doc, layout)
namespace vok {

class ReportEngine {
public:
    // `reportsDir` holds the definitions; empty means reportsDirectory().
    explicit ReportEngine(const QSqlDatabase &db, const QString &reportsDir = {});

    // Throws ReportError (bad definition or request, named) or DbError (the
    // query failed, with the database's message).
    ReportDocument run(const ReportRequest &request, const QDate &printDate = QDate::currentDate()) const;
    ReportDocument run(const ReportDefinition &definition, const ReportRequest &request,
                       const QDate &printDate = QDate::currentDate()) const;

    // The path of a definition named by a request: an absolute path as it
    // is, a name inside the reports folder otherwise.
    QString definitionPath(const QString &reportFile) const;

    // The SQL a request would run, with its bound values (for tests).
    QString sqlFor(const ReportDefinition &definition, const ReportRequest &request, QVariantList *values = nullptr) const;

private:
    QSqlDatabase m_db;
    QString m_reportsDir;
};

} // namespace vok
