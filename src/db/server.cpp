#include "db/database.h"
#include "db/schema.h"

#include <QSqlError>
#include <QUrl>

namespace vok::database {

QSqlDatabase openServer(const QString &url, const QString &connectionName)
{
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme();
    if (!parsed.isValid() || (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        || parsed.host().isEmpty() || parsed.path().size() < 2)
        throw DbError(QStringLiteral("%1: not a database address of the form postgresql://user@host:port/dbname")
                          .arg(url));
    const QString shown = parsed.toDisplayString(QUrl::RemovePassword);
    if (!parsed.password().isEmpty())
        throw DbError(QStringLiteral("%1: the password belongs in ~/.pgpass or $PGPASSWORD, not in the address")
                          .arg(shown));

    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid())
        throw DbError(QStringLiteral("%1: the PostgreSQL driver of Qt is not installed").arg(shown));
    db.setHostName(parsed.host());
    db.setPort(parsed.port(5432));
    db.setDatabaseName(parsed.path().mid(1));
    if (!parsed.userName().isEmpty())
        db.setUserName(parsed.userName());
    db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=vok"));
    if (!db.open()) {
        const QString message = db.lastError().databaseText().trimmed();
        throw DbError(QStringLiteral("%1: %2").arg(shown, message.isEmpty() ? db.lastError().text() : message));
    }
    try {
        exec(db, QStringLiteral("SET client_min_messages TO warning"));
        // A database a newer program has moved on is not ours to write, as with the files.
        {
            Transaction transaction(db);
            schema::lockForMigration(db);
            for (const DatabaseKind kind : {DatabaseKind::Data, DatabaseKind::System}) {
                const int version = schema::version(db, kind);
                if (version > currentSchemaVersion(kind))
                    throw DbError(QStringLiteral("written by a newer version of the program (schema %1)").arg(version));
            }
            transaction.commit();
        }
        ensureSchema(db, DatabaseKind::Data);
        ensureSchema(db, DatabaseKind::System);
    } catch (const DbError &error) {
        db.close();
        throw DbError(QStringLiteral("%1: %2").arg(shown, error.message()));
    }
    return db;
}

} // namespace vok::database
