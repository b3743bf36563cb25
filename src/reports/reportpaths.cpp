#include "reports/reportpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vok {

QString reportsDirectory()
{
    const QString fromEnvironment = qEnvironmentVariable("VOK_REPORTS_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QDir binary(QCoreApplication::applicationDirPath());
    const QString beside = binary.filePath(QStringLiteral("reports"));
    if (QFileInfo(beside).isDir())
        return beside;
    return QDir::cleanPath(binary.filePath(QStringLiteral("../share/vok/reports")));
}

} // namespace vok
