#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

class QTextStream;

namespace vok::database {

// "vok: message" on the command line's error stream; returns `code`.
int commandFailure(QTextStream &errors, const QString &message, int code = 2);

// For a command-line mode that reads the data: opens the data folder's vok.db
// (which must exist: a folder without it is a mistake, not a new database) or
// the server at `databaseUrl`, runs `work` on it and closes the connection.
// A database that cannot be opened, or a DbError out of `work`, is told on
// `errors` and gives 2; otherwise what `work` returns.
int withCommandData(const QString &dataDir, const QString &databaseUrl, const QString &connectionName,
                    QTextStream &errors, const std::function<int(const QSqlDatabase &)> &work);

} // namespace vok::database
