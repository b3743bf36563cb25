#include "db/database.h"

#include "db/schema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vok {

DbError::DbError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

NoRight::NoRight()
    : DbError(noRightText())
{
}

QString noRightText() { return QStringLiteral(" Nu aveti dreptul sa modificati aceste date !!! "); }

namespace {

QString engineText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("unknown database error");
    return text;
}

QString errorText(const QSqlError &error) { return engineMessage(engineText(error)); }

struct EngineWords {
    const char *english; // a part of the engine's message, lower case
    const char *clerk;   // what it means, for the clerk
};

// The engine's messages a clerk meets, most specific first (SQLite's and
// PostgreSQL's words).
const EngineWords engineWords[] = {
    {"database is locked", "Baza de date este folosita de alt program"},
    {"database table is locked", "Baza de date este folosita de alt program"},
    {"busy", "Baza de date este folosita de alt program"},
    {"lock timeout", "Baza de date este folosita de alt program"},
    {"deadlock", "Baza de date este folosita de alt program"},
    {"disk is full", "Discul este plin: datele nu au fost scrise"},
    {"no space left", "Discul este plin: datele nu au fost scrise"},
    {"disk i/o error", "Eroare de citire sau scriere pe disc"},
    {"malformed", "Baza de date este deteriorata"},
    {"not a database", "Fisierul nu este o baza de date"},
    {"readonly", "Baza de date nu poate fi scrisa (doar citire)"},
    {"read-only", "Baza de date nu poate fi scrisa (doar citire)"},
    {"permission denied", "Nu aveti dreptul de a face aceasta operatie in baza de date"},
    {"unable to open", "Baza de date nu poate fi deschisa"},
    {"unique", "Inregistrarea exista deja in baza de date"},
    {"duplicate key", "Inregistrarea exista deja in baza de date"},
    {"foreign key", "Inregistrarea este legata de alte date din baza de date"},
    {"no such table", "Structura bazei de date nu este cea asteptata"},
    {"no such column", "Structura bazei de date nu este cea asteptata"},
    {"does not exist", "Structura bazei de date nu este cea asteptata"},
    {"constraint", "Datele incalca o regula a bazei de date"},
    {"connection", "Legatura cu serverul bazei de date s-a pierdut"},
    {"server closed", "Legatura cu serverul bazei de date s-a pierdut"},
    {"could not connect", "Serverul bazei de date nu poate fi contactat"},
    {"password authentication failed", "Parola nu a fost acceptata de serverul bazei de date"},
};

const char genericWords[] = "Eroare a bazei de date";

// True when the server answered the statement with a state of its own that
// says nothing about the connection (a key used twice, a failed check): the
// connection is sound. A lost connection has no answer, or a state of class
// 08 (connection) or 57P (the server shutting down).
bool serverAnswered(const QSqlError &error)
{
    const QString state = error.nativeErrorCode();
    return !state.isEmpty() && !state.startsWith(QLatin1String("08")) && !state.startsWith(QLatin1String("57P"));
}

// A statement failed. On a server, a lost connection is opened again at once,
// so that the clerk's retry of the action finds it working; the message says so.
// A statement refused inside a transaction leaves the transaction aborted, so a
// probe would fail there too: the connection is probed only when the server
// gave no answer of its own.
[[noreturn]] void fail(const QSqlDatabase &db, const QSqlError &error)
{
    // The login's role may not do this (insufficient_privilege).
    if (error.nativeErrorCode() == QLatin1String("42501"))
        throw NoRight();
    QString message = errorText(error);
    if (db.driverName() == QLatin1String("QPSQL") && !serverAnswered(error)) {
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
// its header checked as every file (headerProblem) and its schema; a damaged
// page elsewhere is reported by the statement that reads it, and the program
// goes on.
QString integrityCheck(const QString &path)
{
    return QFileInfo(path).size() <= wholeCheckLimit ? QStringLiteral("PRAGMA quick_check(3)")
                                                     : QStringLiteral("PRAGMA quick_check(sqlite_master)");
}

} // namespace

QString engineMessage(const QString &engineText)
{
    const QString text = engineText.trimmed();
    // Given once: a message already in the clerk's words stays as it is.
    for (const EngineWords &words : engineWords)
        if (text.startsWith(QLatin1String(words.clerk)))
            return text;
    if (text.startsWith(QLatin1String(genericWords)))
        return text;
    const QString lower = text.toLower();
    for (const EngineWords &words : engineWords)
        if (lower.contains(QLatin1String(words.english)))
            return QStringLiteral("%1 (%2)").arg(QLatin1String(words.clerk), text);
    return QStringLiteral("%1 (%2)").arg(QLatin1String(genericWords), text);
}

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

void execPrepared(QSqlQuery &query, const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    if (query.lastQuery() != sql) {
        query = QSqlQuery(db);
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            const QSqlError error = query.lastError();
            query = QSqlQuery(db);
            fail(db, error);
        }
    }
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query = QSqlQuery(db);
        fail(db, error);
    }
}

QVariant scalar(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(db, sql, values);
    return query.next() ? query.value(0) : QVariant();
}

PreparedQuery::PreparedQuery(const QSqlDatabase &db, QString sql)
    : m_db(db)
    , m_sql(std::move(sql))
    , m_query(db)
{
}

QSqlQuery &PreparedQuery::run(const QVariantList &values)
{
    execPrepared(m_query, m_db, m_sql, values);
    return m_query;
}

Transaction::Transaction(const QSqlDatabase &db, Kind kind)
    : m_db(db)
{
    if (kind == Write && m_db.driverName() == QLatin1String("QSQLITE")) {
        // The write lock now, waited for by the connection's busy timeout.
        QSqlQuery begin(m_db);
        if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
            fail(m_db, begin.lastError());
    } else if (!m_db.transaction()) {
        fail(m_db, m_db.lastError());
    }
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

struct RowReader::Engine {
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
};

RowReader::RowReader(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
    : m_db(db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        m_query = QSqlQuery(db);
        execPrepared(m_query, db, sql, values);
        return;
    }
    sqlite3 *file = *static_cast<sqlite3 *const *>(handle.constData());
    auto failed = [&] {
        const QString message = QString::fromUtf8(sqlite3_errmsg(file));
        const int code = sqlite3_extended_errcode(file);
        if (m_engine) {
            sqlite3_finalize(m_engine->statement);
            delete m_engine;
            m_engine = nullptr;
        }
        fail(db, QSqlError(QString(), message, QSqlError::StatementError, QString::number(code)));
    };
    m_engine = new Engine{file, nullptr};
    const QByteArray text = sql.toUtf8();
    if (!file || sqlite3_prepare_v2(file, text.constData(), int(text.size()), &m_engine->statement, nullptr) != SQLITE_OK)
        failed();
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &value = values.at(i);
        int rc = SQLITE_OK;
        if (value.isNull()) {
            rc = sqlite3_bind_null(m_engine->statement, i + 1);
        } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            rc = sqlite3_bind_double(m_engine->statement, i + 1, value.toDouble());
        } else if (value.typeId() == QMetaType::QString) {
            const QByteArray bytes = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_engine->statement, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        } else {
            rc = sqlite3_bind_int64(m_engine->statement, i + 1, value.toLongLong());
        }
        if (rc != SQLITE_OK)
            failed();
    }
}

RowReader::~RowReader()
{
    if (m_engine) {
        sqlite3_finalize(m_engine->statement);
        delete m_engine;
    } else {
        m_query.finish();
    }
}

bool RowReader::next()
{
    if (!m_engine)
        return m_query.next();
    const int rc = sqlite3_step(m_engine->statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_engine->db));
    fail(m_db, QSqlError(QString(), message, QSqlError::StatementError, QString::number(rc)));
}

bool RowReader::isNull(int column) const
{
    return m_engine ? sqlite3_column_type(m_engine->statement, column) == SQLITE_NULL : m_query.isNull(column);
}

// A value converts as Qt's driver and QVariant would convert it, so that a
// figure reads the same through either way: a text as its number or 0, a
// fraction to the nearest integer.
double RowReader::real(int column) const
{
    if (!m_engine)
        return m_query.value(column).toDouble();
    switch (sqlite3_column_type(m_engine->statement, column)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return sqlite3_column_double(m_engine->statement, column);
    case SQLITE_NULL: return 0;
    default: return text(column).toDouble();
    }
}

qint64 RowReader::integer(int column) const
{
    if (!m_engine)
        return m_query.value(column).toLongLong();
    switch (sqlite3_column_type(m_engine->statement, column)) {
    case SQLITE_INTEGER: return sqlite3_column_int64(m_engine->statement, column);
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_engine->statement, column)).toLongLong();
    case SQLITE_NULL: return 0;
    default: return text(column).toLongLong();
    }
}

QString RowReader::text(int column) const
{
    if (!m_engine)
        return m_query.value(column).toString();
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_engine->statement, column));
    return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(m_engine->statement, column)) : QString();
}

namespace database {

int currentSchemaVersion(DatabaseKind kind) { return schema::stepCount(kind); }

int ensureSchema(const QSqlDatabase &db, DatabaseKind kind)
{
    const schema::Dialect dialect = schema::dialectOf(db);
    for (int applied = 0;; ++applied) {
        Transaction transaction(db);
        schema::lockForMigration(db);
        const int step = schema::version(db, kind) + 1;
        if (step > schema::stepCount(kind))
            return applied;
        for (const QString &statement : schema::migrationStep(kind, step, dialect))
            if (!schema::isApplied(db, statement))
                exec(db, statement);
        schema::setVersion(db, kind, step);
        transaction.commit();
    }
}

namespace {

// The first bytes of every SQLite database file.
constexpr char sqliteHeader[] = "SQLite format 3";

bool canWrite(const QString &path)
{
#ifdef Q_OS_UNIX
    // access() answers for the real user, root included, and says EROFS for a
    // read-only file system, which QFileInfo's permission bits do not.
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
#else
    return QFileInfo(path).isWritable();
#endif
}

bool canRead(const QString &path)
{
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(path).constData(), R_OK) == 0;
#else
    return QFileInfo(path).isReadable();
#endif
}

quint32 bigEndian32(const QByteArray &bytes, int offset)
{
    return (quint32(quint8(bytes[offset])) << 24) | (quint32(quint8(bytes[offset + 1])) << 16)
           | (quint32(quint8(bytes[offset + 2])) << 8) | quint32(quint8(bytes[offset + 3]));
}

// A WAL file that holds at least one frame: the database's latest
// transactions may live there and not yet in the main file.
bool hasWalFrames(const QString &path)
{
    return QFileInfo(path + QStringLiteral("-wal")).size() > 32;
}

// What is wrong with the bytes of an existing, non-empty file, judged before
// the engine sees it; empty when nothing is.
QString fileHeaderProblem(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("fisierul nu poate fi citit: %1").arg(file.errorString());
    const qint64 size = file.size();
    const QByteArray header = file.read(100);
    if (!header.startsWith(QByteArray(sqliteHeader, sizeof sqliteHeader)))
        return QStringLiteral("nu este o baza de date (fisierul nu incepe cu antetul SQLite)");
    if (header.size() < 100)
        return QStringLiteral("fisierul este trunchiat (%1 octeti, mai scurt decat antetul bazei de date)").arg(size);
    quint32 pageSize = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return QStringLiteral("baza de date este deteriorata: marimea paginii din antet nu este valida");
    // The page count of the header is valid when its change counters agree;
    // a file shorter than that has lost its end. With frames in the WAL file
    // an interrupted checkpoint may be completing, which the engine finishes.
    const quint32 pages = bigEndian32(header, 28);
    if (pages > 0 && bigEndian32(header, 24) == bigEndian32(header, 92) && !hasWalFrames(path)
        && size < qint64(pages) * pageSize)
        return QStringLiteral("fisierul este trunchiat (%1 octeti, baza de date are nevoie de %2)")
            .arg(size)
            .arg(qint64(pages) * pageSize);
    return {};
}

// A message on opening a file: the engine's words about a locked or damaged
// file in the clerk's words (engineMessage); the program's own texts, and a
// text given in the clerk's words already, as they are.
QString explained(const QString &text)
{
    if (text.startsWith(QLatin1String("baza de date este deteriorata")))
        return text;
    const QString lower = text.toLower();
    for (const char *word : {"locked", "busy", "malformed", "not a database"})
        if (lower.contains(QLatin1String(word)))
            return engineMessage(text);
    return text;
}

QString openErrorText(const QSqlError &error) { return engineMessage(engineText(error)); }

QSqlDatabase connection(const QString &path, const QString &connectionName, bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.close();
    db.setDatabaseName(path);
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY")
                                  : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    return db;
}

// Runs `sql` on a checking connection; a failing statement's message tells
// the clerk whether the file is locked or damaged.
QVariant checkScalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw DbError(openErrorText(query.lastError()));
    return query.next() ? query.value(0) : QVariant();
}

// Reads an existing database file without writing to it: is it a database,
// one of this program, not newer, not damaged.
void checkExisting(const QString &path, const QString &connectionName, DatabaseKind kind)
{
    // A hot rollback journal (a file in rollback mode whose writer died) must
    // be rolled back before anyone reads, which a read-only connection cannot.
    const bool hotJournal = QFileInfo(path + QStringLiteral("-journal")).size() > 0;
    QSqlDatabase db = connection(path, connectionName, !hotJournal);
    if (!db.open())
        throw DbError(openErrorText(db.lastError()));
    try {
        const int version = checkScalar(db, QStringLiteral("PRAGMA user_version")).toInt();
        if (version > currentSchemaVersion(kind))
            throw DbError(QStringLiteral("scrisa de o versiune mai noua a programului (schema %1)").arg(version));
        if (version == 0
            && checkScalar(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master")).toInt() > 0)
            throw DbError(QStringLiteral("baza de date a altui program (are tabele, dar nicio versiune de schema a acestuia)"));
        QSqlQuery check(db);
        if (!check.exec(integrityCheck(path)))
            throw DbError(openErrorText(check.lastError()));
        QStringList problems;
        while (check.next())
            problems << check.value(0).toString().simplified();
        if (problems != QStringList{QStringLiteral("ok")})
            throw DbError(QStringLiteral("Baza de date este deteriorata: %1").arg(problems.join(QStringLiteral("; "))));
    } catch (const DbError &error) {
        db.close();
        throw DbError(explained(error.message()));
    }
    db.close();
}

} // namespace

QSqlDatabase openSqlite(const QString &path, const QString &connectionName, DatabaseKind kind)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const QString folder = info.absolutePath();
    auto failure = [&](const QString &what) {
        return DbError(QStringLiteral("%1: %2 (%3)").arg(name, what, path));
    };

    const bool existed = info.exists();
    if (existed && !info.isFile())
        throw failure(QStringLiteral("nu este un fisier de baza de date"));
    if (!QFileInfo(folder).isDir())
        throw failure(QStringLiteral("dosarul de date nu exista: %1").arg(folder));
    // The WAL journal lives beside the file: the folder must take new files.
    if (!canWrite(folder))
        throw failure(existed ? QStringLiteral("dosarul de date este doar pentru citire, baza de date nu poate fi scrisa: %1").arg(folder)
                              : QStringLiteral("dosarul de date este doar pentru citire, baza de date nu poate fi creata: %1").arg(folder));
    // An empty file with no WAL frames holds nothing: a first start that was
    // interrupted before its first commit. It is created like a new one.
    const bool empty = existed && info.size() == 0 && !hasWalFrames(path);
    if (existed && !empty) {
        if (!canRead(path))
            throw failure(QStringLiteral("fisierul nu poate fi citit (acces interzis)"));
        if (!canWrite(path))
            throw failure(QStringLiteral("fisierul este doar pentru citire"));
        if (info.size() > 0) {
            const QString problem = fileHeaderProblem(path);
            if (!problem.isEmpty())
                throw failure(problem);
        }
        try {
            checkExisting(path, connectionName, kind);
        } catch (const DbError &error) {
            throw failure(error.message());
        }
    }

    QSqlDatabase db = connection(path, connectionName, false);
    if (!db.open()) {
        const QString text = openErrorText(db.lastError());
        throw failure(existed ? text
                              : QStringLiteral("baza de date nu poate fi creata in %1: %2").arg(folder, text));
    }
    try {
        // A journal that survives a power cut.
        const QString mode = scalar(db, QStringLiteral("PRAGMA journal_mode=WAL")).toString();
        if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            throw DbError(QStringLiteral("jurnalul WAL nu poate fi folosit (modul jurnalului %1)").arg(mode));
        exec(db, QStringLiteral("PRAGMA synchronous=FULL"));
        ensureSchema(db, kind);
    } catch (const DbError &error) {
        db.close();
        throw failure(explained(error.message()));
    }
    return db;
}

QString headerProblem(const QString &path) { return fileHeaderProblem(path); }

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
