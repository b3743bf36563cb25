#include "db/database.h"

#include "db/roles.h"
#include "db/schema.h"

#include <QSqlError>
#include <QUrl>

namespace vok::database {

namespace {

// The libpq messages of a server that wants a password: none was given (no
// ~/.pgpass line, no $PGPASSWORD, nothing typed), or the one given is wrong.
bool wantsPassword(const QString &message)
{
    return message.contains(QLatin1String("no password supplied"))
           || message.contains(QLatin1String("password authentication failed"));
}

// A refusal the clerk reads as it is, without the server's address before it.
class PlainRefusal : public DbError {
public:
    using DbError::DbError;
};

} // namespace

QString updateNeededText() { return QStringLiteral(" Baza de date trebuie actualizata de administrator (vok --migrate). "); }

QString noRoleText() { return QStringLiteral(" Utilizatorul nu are un rol vok. "); }

QSqlDatabase connectServer(const QString &url, const QString &connectionName, const QString &password)
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
    db.close();
    db.setHostName(parsed.host());
    db.setPort(parsed.port(5432));
    db.setDatabaseName(parsed.path().mid(1));
    if (!parsed.userName().isEmpty())
        db.setUserName(parsed.userName());
    // Without a typed password libpq looks in ~/.pgpass and $PGPASSWORD.
    db.setPassword(password);
    db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=vok"));
    if (!db.open()) {
        QString message = db.lastError().databaseText().trimmed();
        if (message.isEmpty())
            message = db.lastError().text();
        if (wantsPassword(message))
            throw PasswordNeeded(QStringLiteral("%1: %2").arg(shown, message));
        throw DbError(QStringLiteral("%1: %2").arg(shown, message));
    }
    return db;
}

void prepareServer(const QSqlDatabase &db)
{
    exec(db, QStringLiteral("SET client_min_messages TO warning"));
    const DatabaseKind kinds[] = {DatabaseKind::Data, DatabaseKind::System};
    const bool owner = roles::isOwner(db);
    // What a clerk may read of the version table (nothing when the owner has
    // not yet granted the roles their rights: the schema is not ready for them).
    const bool versionReadable =
        owner
        || scalar(db, QStringLiteral("SELECT to_regclass('vok_schema') IS NOT NULL "
                                     "AND has_table_privilege('vok_schema', 'SELECT')"))
               .toBool();
    if (!owner && roles::roleOf(db) == roles::Role::None)
        throw PlainRefusal(noRoleText());
    bool older = false;
    for (DatabaseKind kind : kinds) {
        const int version = versionReadable ? schema::version(db, kind) : 0;
        if (version > currentSchemaVersion(kind))
            throw DbError(QStringLiteral("scrisa de o versiune mai noua a programului (schema %1)").arg(version));
        older = older || version < currentSchemaVersion(kind);
    }
    if (!owner) {
        if (older)
            throw PlainRefusal(updateNeededText());
        return;
    }
    int applied = 0;
    for (DatabaseKind kind : kinds)
        applied += ensureSchema(db, kind);
    // The tables a migration made get the roles' rights at once.
    if (applied > 0 && roles::groupsExist(db))
        roles::grant(db);
}

QSqlDatabase openServer(const QString &url, const QString &connectionName, const QString &password)
{
    QSqlDatabase db = connectServer(url, connectionName, password);
    try {
        prepareServer(db);
    } catch (const PlainRefusal &refusal) {
        db.close();
        throw DbError(refusal.message());
    } catch (const DbError &error) {
        db.close();
        const QString shown = QUrl(url).toDisplayString(QUrl::RemovePassword);
        throw DbError(QStringLiteral("%1: %2").arg(shown, error.message()));
    }
    return db;
}

} // namespace vok::database
