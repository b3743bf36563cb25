#include "db/journal.h"

#include "db/schema.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace vok {

QString staleRecordText()
{
    return QStringLiteral(" Datele au fost modificate intre timp de alt utilizator. Reincarcati si reluati modificarea. ");
}

StaleRecord::StaleRecord()
    : DbError(staleRecordText())
{
}

StaleRecord::StaleRecord(const QString &message, bool deleted)
    : DbError(message)
    , m_deleted(deleted)
{
}

StaleRecord StaleRecord::deleted(const QString &message) { return StaleRecord(message, true); }

QString StaleRecord::deletedRecordText()
{
    return QStringLiteral(" Inregistrarea a fost stearsa intre timp de alt utilizator !!! ");
}

namespace {

// Rows of one journal statement: far below the bound values either engine takes.
constexpr int rowsPerStatement = 200;

QString insertStatement(schema::Dialect dialect, int rows)
{
    // The types are spelled out: a server infers nothing from a value list.
    const QString who = dialect == schema::Dialect::Postgres ? QStringLiteral("current_user")
                                                              : QStringLiteral("CAST(? AS TEXT)");
    const QString row = QStringLiteral(
        "(CAST(? AS TEXT), %1, CAST(? AS TEXT), CAST(? AS TEXT), CAST(? AS INTEGER), "
        "COALESCE(CAST(? AS TEXT), (SELECT nrauto FROM auto WHERE ida=COALESCE(CAST(? AS INTEGER), "
        "(SELECT ida FROM foaie WHERE idf=CAST(? AS INTEGER))))), "
        "COALESCE(CAST(? AS INTEGER), (SELECT nrf FROM foaie WHERE idf=CAST(? AS INTEGER))), "
        "CAST(? AS INTEGER), CAST(? AS TEXT), CAST(? AS TEXT), CAST(? AS TEXT))")
                            .arg(who);
    QStringList rowsText;
    for (int i = 0; i < rows; ++i)
        rowsText << row;
    return QStringLiteral("INSERT INTO jurnal (cand, cine, fereastra, tabela, cheie, nrauto, nrf, nrc, actiune, "
                          "inainte, dupa) VALUES ")
           + rowsText.join(QStringLiteral(", "));
}

QVariant orNull(int value) { return value ? QVariant(value) : QVariant(QMetaType(QMetaType::Int)); }
QVariant orNull(const QString &value) { return value.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(value); }
QVariant orNull(const QJsonObject &values)
{
    return values.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(journal::text(values));
}

} // namespace

JournalStatements::JournalStatements(const QSqlDatabase &db)
    : m_one(db, insertStatement(schema::dialectOf(db), 1))
    , m_two(db, insertStatement(schema::dialectOf(db), 2))
{
}

PreparedQuery *JournalStatements::forRows(int rows)
{
    return rows == 1 ? &m_one : rows == 2 ? &m_two : nullptr;
}

WriteRun::WriteRun(const QSqlDatabase &db, QString window, JournalStatements *kept)
    : m_db(db)
    , m_transaction(db)
    , m_window(std::move(window))
    , m_kept(kept)
{
}

void WriteRun::record(Change change)
{
    // An update lists only the columns it changed; a record saved again as it
    // was (only its version advanced) is no change to read.
    if (change.action == Change::updated())
        journal::keepChanged(change);
    if (change.action == Change::updated() && change.before.isEmpty() && change.after.isEmpty())
        return;
    m_changes << std::move(change);
}

void WriteRun::commit()
{
    const schema::Dialect dialect = schema::dialectOf(m_db);
    const QString when = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString who = journal::osUser();
    for (qsizetype first = 0; first < m_changes.size(); first += rowsPerStatement) {
        const qsizetype rows = std::min<qsizetype>(rowsPerStatement, m_changes.size() - first);
        QVariantList values;
        for (qsizetype i = first; i < first + rows; ++i) {
            const Change &c = m_changes.at(i);
            values << when;
            if (dialect == schema::Dialect::Sqlite)
                values << who;
            values << m_window << c.table << c.key << orNull(c.nrauto) << orNull(c.ida) << orNull(c.idf)
                   << orNull(c.nrf) << orNull(c.idf) << orNull(c.nrc) << c.action << orNull(c.before)
                   << orNull(c.after);
        }
        if (PreparedQuery *kept = m_kept ? m_kept->forRows(int(rows)) : nullptr)
            kept->execute(values);
        else
            exec(m_db, insertStatement(dialect, int(rows)), values);
    }
    m_changes.clear();
    m_transaction.commit();
}

namespace journal {

QString osUser()
{
    static const QString user = [] {
#ifdef Q_OS_UNIX
        if (const passwd *entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
            return QString::fromLocal8Bit(entry->pw_name);
#endif
        const QString name = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
        return name.isEmpty() ? QStringLiteral("necunoscut") : name;
    }();
    return user;
}

namespace {
// A text column holds NULL until a box is first saved, then "" for the same
// nothing: no change. A number column's NULL and 0 differ (0 was typed).
bool sameValue(const QJsonValue &before, const QJsonValue &after)
{
    const auto emptyText = [](const QJsonValue &v) { return v.isString() && v.toString().isEmpty(); };
    return before == after || (before.isNull() && emptyText(after)) || (emptyText(before) && after.isNull());
}
} // namespace

void keepChanged(Change &c)
{
    for (const QString &column : c.after.keys())
        if (c.before.contains(column) && sameValue(c.before.value(column), c.after.value(column))) {
            c.before.remove(column);
            c.after.remove(column);
        }
}

void requireRow(const QSqlQuery &query)
{
    if (query.numRowsAffected() < 1)
        throw StaleRecord();
}

void refuseStale(const QSqlDatabase &db, const QString &table, const QString &keyColumn, qint64 key,
                 const QString &deletedMessage)
{
    if (!scalar(db, QStringLiteral("SELECT 1 FROM %1 WHERE %2=?").arg(table, keyColumn), {key}).isValid())
        throw StaleRecord::deleted(deletedMessage);
    throw StaleRecord();
}

void requireRow(const QSqlQuery &query, const QSqlDatabase &db, const QString &table, const QString &keyColumn,
                qint64 key, const QString &deletedMessage)
{
    if (query.numRowsAffected() < 1)
        refuseStale(db, table, keyColumn, key, deletedMessage);
}

QJsonObject rowObject(const QSqlQuery &query, const QString &table)
{
    const QStringList names = schema::columnNames(table);
    const QSqlRecord record = query.record();
    QJsonObject values;
    for (int i = 0; i < record.count(); ++i) {
        QString name = record.fieldName(i);
        for (const QString &known : names)
            if (known.compare(name, Qt::CaseInsensitive) == 0)
                name = known;
        const QVariant value = query.value(i);
        if (value.isNull()) {
            values.insert(name, QJsonValue::Null);
            continue;
        }
        switch (record.field(i).metaType().id()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            values.insert(name, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            values.insert(name, value.toDouble());
            break;
        default:
            values.insert(name, value.toString());
        }
    }
    return values;
}

QString text(const QJsonObject &values)
{
    return QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact));
}

QJsonObject values(const QString &text) { return QJsonDocument::fromJson(text.toUtf8()).object(); }

} // namespace journal
} // namespace vok
