#include "reports/reportcli.h"

#include "db/database.h"
#include "reports/reportengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace vok {

namespace {

const char connectionName[] = "vok-report-cli";

bool writeText(const QString &path, const QString &text, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = QStringLiteral("Fisierul %1 nu poate fi scris: %2").arg(path, file.errorString());
        return false;
    }
    file.write(text.toUtf8());
    if (!file.flush()) {
        error = QStringLiteral("Fisierul %1 nu poate fi scris: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

int runReportCommand(const ReportCommand &command, QTextStream &errors)
{
    auto fail = [&](const QString &message) {
        errors << "vok: " << message << '\n';
        errors.flush();
        return 2;
    };
    if (command.pdfFile.isEmpty() && command.htmlFile.isEmpty() && command.xlsxFile.isEmpty() && command.csvFile.isEmpty())
        return fail(QStringLiteral("spuneti unde se scrie raportul: --pdf FISIER, --html FISIER, --xlsx FISIER sau --csv FISIER"));

    // A report only reads: a data folder without vok.db is a mistake, not a new database.
    const bool onServer = !command.databaseUrl.isEmpty();
    const QString dataFile = onServer ? command.databaseUrl
                                      : QDir(command.dataDir).absoluteFilePath(QStringLiteral("vok.db"));
    if (!onServer && !QFileInfo::exists(dataFile))
        return fail(QStringLiteral("baza de date %1 nu exista").arg(dataFile));

    int code = 0;
    {
        QSqlDatabase db;
        bool opened = false;
        try {
            db = onServer ? database::openServer(dataFile, QString::fromLatin1(connectionName))
                          : database::openSqlite(dataFile, QString::fromLatin1(connectionName), DatabaseKind::Data);
            opened = true;
            ReportRequest request;
            request.reportFile = command.reportFile;
            request.dataFile = dataFile;
            request.selection = command.selection;
            request.sortFields = command.sortFields;
            request.formulas = command.formulas;
            const ReportDocument document = ReportEngine(db).run(request);
            QString error;
            if (!command.htmlFile.isEmpty() && !writeText(command.htmlFile, document.toHtml(), error))
                code = fail(error);
            if (code == 0 && !command.pdfFile.isEmpty())
                document.writePdf(command.pdfFile);
            if (code == 0 && !command.xlsxFile.isEmpty())
                document.writeXlsx(command.xlsxFile);
            if (code == 0 && !command.csvFile.isEmpty())
                document.writeCsv(command.csvFile);
        } catch (const ReportError &error) {
            code = fail(error.message());
        } catch (const DbError &error) {
            // Once the file is open, a failure is the report's query: named
            // as the preview names it.
            code = fail(opened ? QStringLiteral("Raportul %1 nu poate fi intocmit: %2").arg(command.reportFile, error.message())
                               : error.message());
        }
    }
    database::close(QString::fromLatin1(connectionName));
    return code;
}

} // namespace vok
