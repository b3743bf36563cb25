#pragma once

#include "reports/selectionformula.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

// The report engine's reads: the columns of a table, the header data of
// `setari`, and the rows of a report, selected with every value bound.
namespace vok {

class ReportStore {
public:
    explicit ReportStore(const QSqlDatabase &db);

    // The columns of a table as the database names them; empty when the
    // table does not exist.
    QStringList columns(const QString &table) const;

    // The report header data (the first row of `setari`; empty texts when none).
    struct Header {
        QString unit;            // unitate
        QString managerFunction; // functie
        QString managerName;     // numeman
        QString preparedBy;      // intocmit
    };
    Header header() const;

    // One report query. Tables and columns are those the definition named and
    // the database confirmed; every value of a formula is bound.
    struct Join {
        QString table;
        bool left = false;
        formula::NodePtr on;
    };
    struct Order {
        formula::NodePtr field;
        bool descending = false;
    };
    struct Select {
        QString from;
        QList<Join> joins;
        QStringList fields;        // "table.column"
        formula::NodePtr where;    // may be null
        QList<Order> order;
    };
    // The rows, each holding the fields in the order asked.
    QVector<QVector<formula::Value>> select(const Select &query) const;
    // The SQL text and bound values of a query (for tests and messages).
    static formula::SqlFilter sql(const Select &query);

private:
    QSqlDatabase m_db;
};

} // namespace vok
