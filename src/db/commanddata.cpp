#include "db/commanddata.h"

#include "db/database.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace vok::database {

int commandFailure(QTextStream &errors, const QString &message, int code)
{
    errors << "vok: " << message << '\n';
    errors.flush();
    return code;
}

int withCommandData(const QString &dataDir, const QString &databaseUrl, const QString &connectionName,
                    QTextStream &errors, const std::function<int(const QSqlDatabase &)> &work)
{
    const bool onServer = !databaseUrl.isEmpty();
    const QString dataFile = onServer ? databaseUrl : QDir(dataDir).absoluteFilePath(QStringLiteral("vok.db"));
    if (!onServer && !QFileInfo::exists(dataFile))
        return commandFailure(errors, QStringLiteral("baza de date %1 nu exista").arg(dataFile));
    int code = 2;
    try {
        const QSqlDatabase db = onServer ? openServer(dataFile, connectionName)
                                         : openSqlite(dataFile, connectionName, DatabaseKind::Data);
        code = work(db);
    } catch (const DbError &error) {
        code = commandFailure(errors, error.message());
    }
    close(connectionName);
    return code;
}

} // namespace vok::database
