#include "db/database.h"

#include "db/schema.h"

#include <QFileInfo>
#include <QSqlError>

namespace vok {

DbError::DbError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

namespace {

QString errorText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("unknown database error");
    return text;
}

// A statement failed. On a server, a lost connection is opened again at once,
// so that the clerk's retry of the action finds it working; the message says so.
[[noreturn]] void fail(const QSqlDatabase &db, const QSqlError &error)
{
    QString message = errorText(error);
    if (db.driverName() == QLatin1String("QPSQL")) {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT 1"))) {
            QSqlDatabase connection = db;
            connection.close();
            if (connection.open())
                message += QStringLiteral("\nLegatura cu serverul a fost refacuta: reluati operatia.");
            else
                message += QStringLiteral("\nServerul bazei de date nu raspunde: ") + errorText(connection.lastError());
        }
    }
    throw DbError(message);
}

// Files up to this size are checked whole at every start.
constexpr qint64 wholeCheckLimit = 32 * 1024 * 1024;

// The check a start makes of an existing file. A whole check reads every
// page: quick on a small file, but at fleet scale (hundreds of MB of trips)
// it would make every start as slow as the years behind it. A large file has
// its schema checked (its header was read by the version check); a damaged
// page elsewhere is reported by the statement that reads it, and the program
// goes on.
QString integrityCheck(const QString &path)
{
    return QFileInfo(path).size() <= wholeCheckLimit ? QStringLiteral("PRAGMA quick_check")
                                                     : QStringLiteral("PRAGMA quick_check(sqlite_master)");
}

} // namespace

QSqlQuery exec(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query(db);
    if (values.isEmpty()) {
        // A statement without values runs as it is: servers cannot prepare DDL.
        if (!query.exec(sql))
            fail(db, query.lastError());
        return query;
    }
    if (!query.prepare(sql))
        fail(db, query.lastError());
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec())
        fail(db, query.lastError());
    return query;
}

QVariant scalar(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(db, sql, values);
    return query.next() ? query.value(0) : QVariant();
}

Transaction::Transaction(const QSqlDatabase &db)
    : m_db(db)
{
    if (!m_db.transaction())
        fail(m_db, m_db.lastError());
    m_open = true;
}

Transaction::~Transaction()
{
    if (m_open)
        m_db.rollback();
}

void Transaction::commit()
{
    if (!m_open)
        return;
    if (!m_db.commit()) {
        const QString message = errorText(m_db.lastError());
        m_db.rollback();
        m_open = false;
        throw DbError(message);
    }
    m_open = false;
}

namespace database {

int currentSchemaVersion(DatabaseKind kind) { return schema::stepCount(kind); }

void ensureSchema(const QSqlDatabase &db, DatabaseKind kind)
{
    const schema::Dialect dialect = schema::dialectOf(db);
    for (;;) {
        Transaction transaction(db);
        schema::lockForMigration(db);
        const int step = schema::version(db, kind) + 1;
        if (step > schema::stepCount(kind))
            break;
        for (const QString &statement : schema::migrationStep(kind, step, dialect))
            exec(db, statement);
        schema::setVersion(db, kind, step);
        transaction.commit();
    }
}

QSqlDatabase openSqlite(const QString &path, const QString &connectionName, DatabaseKind kind)
{
    const QString name = QFileInfo(path).fileName();
    const bool existed = QFileInfo::exists(path);
    if (existed && !QFileInfo(path).isFile())
        throw DbError(QStringLiteral("%1: not a database file (%2)").arg(name, path));

    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        throw DbError(QStringLiteral("%1: %2 (%3)").arg(name, errorText(db.lastError()), path));

    try {
        // The first read tells a database from any other file before anything is written.
        const int version = scalar(db, QStringLiteral("PRAGMA user_version")).toInt();
        if (version > currentSchemaVersion(kind))
            throw DbError(QStringLiteral("written by a newer version of the program (schema %1)").arg(version));
        if (existed) {
            const QString check = scalar(db, integrityCheck(path)).toString();
            if (check != QLatin1String("ok"))
                throw DbError(QStringLiteral("the database is damaged: %1").arg(check));
        }
        // A journal that survives a power cut.
        exec(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(db, QStringLiteral("PRAGMA synchronous=FULL"));
        ensureSchema(db, kind);
    } catch (const DbError &error) {
        db.close();
        throw DbError(QStringLiteral("%1: %2 (%3)").arg(name, error.message(), path));
    }
    return db;
}

void close(const QString &connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

} // namespace database
} // namespace vok
