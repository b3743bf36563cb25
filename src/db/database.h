#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <stdexcept>

namespace vok {

// A statement that failed, with the database engine's own message after the
// clerk's words for it (engineMessage()). Stores throw it; windows catch it,
// show the message and go on.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The database engine's own message in the clerk's words, the engine's
// after them: "Baza de date este folosita de alt program ... (database is
// locked)". A text already given in the clerk's words is returned as it is.
QString engineMessage(const QString &engineText);

// A statement the server refused for want of a right (the login's role may
// not do that): the window shows noRightText(), once, and nothing is written.
class NoRight : public DbError {
public:
    NoRight();
};
QString noRightText();

// A server that asks for a password neither ~/.pgpass nor $PGPASSWORD gave
// (or one that did not match): the program asks the clerk for it.
class PasswordNeeded : public DbError {
public:
    using DbError::DbError;
};

// Which of the two database files a connection serves.
enum class DatabaseKind {
    Data,   // vok.db: every business table
    System, // sys.db: the access password
};

// The connection names the program uses (never the default connection).
inline constexpr char DataConnectionName[] = "vok";
inline constexpr char SystemConnectionName[] = "vok-sys";

// Runs one statement with its bound values; throws DbError on failure.
QSqlQuery exec(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});

// Runs a statement on a query kept for repeated use by one store: prepared
// with `sql` (forward only) the first time or when it last ran another text,
// then only bound and run again. Its previous results must have been read.
// Throws DbError as exec() does; the query is then prepared afresh next time.
void execPrepared(QSqlQuery &query, const QSqlDatabase &db, const QString &sql, const QVariantList &values);

// The first column of the first row, or an invalid QVariant when no row.
QVariant scalar(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});

// One statement kept prepared with its text (execPrepared): a store that
// lives as long as its window keeps its statements prepared, so that a save
// does not prepare them again. run() binds the values and executes; its rows
// are read from the query it returns, and read() reads them and resets the
// statement at once (a statement left open would keep its read snapshot). A
// failing run throws DbError and drops the preparation, so the next run
// prepares the statement again (on a server whose connection was opened anew).
class PreparedQuery {
public:
    PreparedQuery(const QSqlDatabase &db, QString sql);
    PreparedQuery(const PreparedQuery &) = delete;
    PreparedQuery &operator=(const PreparedQuery &) = delete;

    QSqlQuery &run(const QVariantList &values);
    // Runs a statement that returns no rows.
    void execute(const QVariantList &values) { run(values).finish(); }
    template <typename Read> auto read(const QVariantList &values, Read &&reader)
    {
        QSqlQuery &query = run(values);
        auto result = reader(query);
        query.finish();
        return result;
    }

private:
    QSqlDatabase m_db;
    QString m_sql;
    QSqlQuery m_query;
};

// The rows of one statement read from the first to the last, column by
// column, for reads of a whole file (every sheet, every trip): on a file
// straight from SQLite, without a QVariant for every value; on a server
// through QSqlQuery. A value converts as through QSqlQuery::value (NULL reads
// 0 or an empty text). Throws DbError as exec() does. The statement ends (and
// lets go of what it read) with the reader.
class RowReader {
public:
    RowReader(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});
    ~RowReader();
    RowReader(const RowReader &) = delete;
    RowReader &operator=(const RowReader &) = delete;

    bool next();
    bool isNull(int column) const;
    double real(int column) const;
    qint64 integer(int column) const;
    QString text(int column) const;

private:
    QSqlDatabase m_db;
    struct Engine;
    Engine *m_engine = nullptr; // a file's statement, or null on a server
    QSqlQuery m_query;
};

// One run of statements between two user interactions: rolled back on
// destruction unless committed. A Write transaction that reads before it
// writes takes the file's write lock at its start (BEGIN IMMEDIATE), waiting
// for another program's write as long as every statement waits (5 s), so that
// what it read cannot be overtaken by that write; a server needs no such lock.
class Transaction {
public:
    enum Kind { Deferred, Write };
    explicit Transaction(const QSqlDatabase &db, Kind kind = Deferred);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    QSqlDatabase m_db;
    bool m_open = false;
};

// Opening, creating and migrating the program's database files.
namespace database {

// Opens the SQLite file at `path` under `connectionName`, creating it with the
// full schema when it does not exist and migrating an older one. A file that
// is not a usable database is left untouched and reported by a DbError whose
// message names the file and what is wrong.
QSqlDatabase openSqlite(const QString &path, const QString &connectionName, DatabaseKind kind);

// Opens a shared department database on a PostgreSQL server, named by a URL
// "postgresql://user@host:port/dbname", and readies it (prepareServer). The
// password comes from ~/.pgpass or $PGPASSWORD, never from the URL; else
// `password`, as the clerk typed it. Throws PasswordNeeded when the server
// wants a password that was not given or did not match, DbError naming the
// server when it cannot be reached or used.
QSqlDatabase openServer(const QString &url, const QString &connectionName, const QString &password = {});

// Only connects (no statement runs), as openServer does.
QSqlDatabase connectServer(const QString &url, const QString &connectionName, const QString &password = {});

// The schema of a server connection made ready for its login. The owner of
// the schema creates or migrates both schemas (and grants the roles their
// rights when it changed); any other login runs no DDL: an older schema is
// refused with updateNeededText(), a newer one as on a file, a login in none
// of the program's roles with noRoleText().
void prepareServer(const QSqlDatabase &db);

QString updateNeededText();
QString noRoleText();

// Creates or migrates the schema of an open connection (safe to repeat);
// returns how many steps it applied.
int ensureSchema(const QSqlDatabase &db, DatabaseKind kind);

// The schema version this program writes (PRAGMA user_version).
int currentSchemaVersion(DatabaseKind kind);

// Closes and removes a named connection.
void close(const QString &connectionName);

// What is wrong with the first bytes of an existing database file, judged
// without the engine (not a database, truncated, a broken header); empty
// when nothing is.
QString headerProblem(const QString &path);

} // namespace database
} // namespace vok
