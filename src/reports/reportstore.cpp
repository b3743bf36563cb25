#include "reports/reportstore.h"

#include "db/database.h"
#include "db/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace vok {

namespace {

QString columnSql(const QString &table, const QString &column)
{
    return schema::quoted(table) + u'.' + schema::quoted(column);
}

QString fieldSql(const QString &field)
{
    const int dot = int(field.indexOf(u'.'));
    return columnSql(field.left(dot), field.mid(dot + 1));
}

} // namespace

ReportStore::ReportStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QStringList ReportStore::columns(const QString &table) const
{
    // An empty read tells the columns on every engine (a server folds
    // unquoted names to lower case, and its tables may live in any schema).
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT * FROM ") + schema::quoted(table) + QStringLiteral(" WHERE 1=0")))
        return {};
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names.append(record.fieldName(i));
    return names;
}

ReportStore::Header ReportStore::header() const
{
    Header h;
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT unitate, functie, numeman, intocmit FROM setari ORDER BY ids"));
    if (q.next()) {
        h.unit = q.value(0).toString().trimmed();
        h.managerFunction = q.value(1).toString().trimmed();
        h.managerName = q.value(2).toString().trimmed();
        h.preparedBy = q.value(3).toString().trimmed();
    }
    return h;
}

formula::SqlFilter ReportStore::sql(const Select &query)
{
    formula::SqlFilter out;
    QStringList fields;
    for (const QString &f : query.fields)
        fields.append(fieldSql(f));
    if (fields.isEmpty())
        fields.append(QStringLiteral("1"));
    out.sql = QStringLiteral("SELECT ") + fields.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
              + schema::quoted(query.from);
    for (const Join &j : query.joins) {
        const formula::SqlFilter on = formula::toSql(j.on, columnSql);
        out.sql += (j.left ? QStringLiteral(" LEFT JOIN ") : QStringLiteral(" INNER JOIN ")) + schema::quoted(j.table)
                   + QStringLiteral(" ON ") + on.sql;
        out.values += on.values;
    }
    if (query.where) {
        const formula::SqlFilter where = formula::toSql(query.where, columnSql);
        out.sql += QStringLiteral(" WHERE ") + where.sql;
        out.values += where.values;
    }
    if (!query.order.isEmpty()) {
        QStringList order;
        for (const Order &o : query.order)
            order.append(formula::toSql(o.field, columnSql).sql + (o.descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC")));
        out.sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    }
    return out;
}

QVector<QVector<formula::Value>> ReportStore::select(const Select &query) const
{
    const formula::SqlFilter statement = sql(query);
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(statement.sql))
        throw DbError(q.lastError().databaseText().isEmpty() ? q.lastError().text() : q.lastError().databaseText());
    for (int i = 0; i < statement.values.size(); ++i)
        q.bindValue(i, statement.values.at(i));
    if (!q.exec())
        throw DbError(q.lastError().databaseText().isEmpty() ? q.lastError().text() : q.lastError().databaseText());
    QVector<QVector<formula::Value>> rows;
    const int n = int(query.fields.size());
    while (q.next()) {
        QVector<formula::Value> row(n);
        for (int i = 0; i < n; ++i)
            row[i] = formula::Value::fromVariant(q.value(i));
        rows.append(std::move(row));
    }
    return rows;
}

} // namespace vok
