#pragma once

#include "db/database.h"

#include <QJsonObject>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class QSqlQuery;

namespace vok {

// A save refused because its record changed since the window loaded it: the
// version it was loaded with is no longer the stored one, or the record is no
// longer stored at all. Nothing of the save is written; the window tells the
// clerk and loads the record again, or, when it was deleted, clears it.
class StaleRecord : public DbError {
public:
    // Changed by another clerk (staleRecordText()).
    StaleRecord();
    // Deleted by another clerk: `message` says what went.
    static StaleRecord deleted(const QString &message = deletedRecordText());
    bool wasDeleted() const { return m_deleted; }

    // The refusal a clerk reads when another clerk deleted the record meanwhile.
    static QString deletedRecordText();

private:
    StaleRecord(const QString &message, bool deleted);
    bool m_deleted = false;
};

// The refusal a clerk reads when another clerk changed the record meanwhile.
QString staleRecordText();

// One change of business data as the journal keeps it. The natural keys a
// person reads are filled from what the change names: nrauto from the text
// given, else from the vehicle `ida`, else from the sheet `idf`; nrf from
// the number given, else from the sheet `idf`.
struct Change {
    QString table;
    qint64 key = 0;
    QString action; // one of the actions below
    QString nrauto;
    int ida = 0;
    int idf = 0;
    int nrf = 0;
    int nrc = 0;
    QJsonObject before; // the values the change replaced or removed
    QJsonObject after;  // the values it wrote

    static QString inserted() { return QStringLiteral("adaugare"); }
    static QString updated() { return QStringLiteral("modificare"); }
    static QString deleted() { return QStringLiteral("stergere"); }
};

// The journal's INSERT of one and of two rows, kept prepared by an owner that
// writes often (the trip window's service): on a server a statement prepared
// afresh costs three round trips, a kept one a single one.
class JournalStatements {
public:
    explicit JournalStatements(const QSqlDatabase &db);
    JournalStatements(const JournalStatements &) = delete;
    JournalStatements &operator=(const JournalStatements &) = delete;

    // The statement for `rows` rows, or null when none is kept for that many.
    PreparedQuery *forRows(int rows);

private:
    PreparedQuery m_one;
    PreparedQuery m_two;
};

// One run of writes between two user interactions, with the journal rows of
// its changes: one transaction, rolled back unless committed. The journal rows
// go to the database in one statement just before the commit, so a run costs
// one round trip more than its own statements whatever it changed.
class WriteRun {
public:
    // `window` is the objectName of the window whose action this is;
    // `kept`, when given, supplies the journal statements ready prepared.
    WriteRun(const QSqlDatabase &db, QString window, JournalStatements *kept = nullptr);
    WriteRun(const WriteRun &) = delete;
    WriteRun &operator=(const WriteRun &) = delete;

    QSqlDatabase db() const { return m_db; }
    QString window() const { return m_window; }
    // Keeps the change for the journal, an update with only the columns it
    // changed; an update that changed no value leaves no row.
    void record(Change change);
    // Writes the journal rows, then commits.
    void commit();

private:
    QSqlDatabase m_db;
    Transaction m_transaction;
    QString m_window;
    JournalStatements *m_kept = nullptr;
    QList<Change> m_changes;
};

namespace journal {

// Who changes the data: the server's role on a server (the journal asks the
// server), the operating-system user on a file.
QString osUser();

// Keeps of an update's before and after only the columns it changed: NULL
// and "" are the same empty text, NULL and 0 differ. record() applies it to
// every update.
void keepChanged(Change &change);

// Throws StaleRecord when a versioned UPDATE or DELETE found no row.
void requireRow(const QSqlQuery &query);
// The refusal of a versioned write that found no row, telling a record
// changed from one deleted: the row whose `keyColumn` is `key` in `table`
// (names of the program's own schema, never typed text) is looked for;
// missing, StaleRecord::deleted(deletedMessage), else StaleRecord.
[[noreturn]] void refuseStale(const QSqlDatabase &db, const QString &table, const QString &keyColumn, qint64 key,
                              const QString &deletedMessage = StaleRecord::deletedRecordText());
// requireRow() with refuseStale()'s refusal.
void requireRow(const QSqlQuery &query, const QSqlDatabase &db, const QString &table, const QString &keyColumn,
                qint64 key, const QString &deletedMessage = StaleRecord::deletedRecordText());

// The current row of `query` as the journal keeps it: the table's own column
// names (a server gives them in lower case), numbers as numbers.
QJsonObject rowObject(const QSqlQuery &query, const QString &table);

// The journal's values as one text and back.
QString text(const QJsonObject &values);
QJsonObject values(const QString &text);

} // namespace journal
} // namespace vok
