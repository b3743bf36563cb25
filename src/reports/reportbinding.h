#pragma once

#include "reports/reportdefinition.h"
#include "reports/reportdocument.h"
#include "reports/reportrequest.h"
#include "reports/reportstore.h"
#include "reports/selectionformula.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// The first half of running a report: its definition and the request bound to
// the data (the tables and columns checked, the selection and order turned
// into a query, every text and value of the layout parsed), ready for the
// engine to fill a document with the rows. Internal to the report engine.
namespace vok::reporting {

using formula::Node;
using formula::NodePtr;
using formula::Value;

ReportDocument::Align docAlign(ReportDefinition::Align a);
// A value shown with a mask ("#0.00"), a format ("month", "mark") or as it
// is; a number stays known as a figure for the spreadsheets.
struct Shown {
    QString text;
    bool figure = false;
    QString mask;
};
Shown show(const Value &v, const QString &mask, const QString &format);
QString display(const Value &v, const QString &mask, const QString &format);
// A cell whose text ends with the value: the figure is marked where it begins.
ReportDocument::Cell shownCell(QString prefix, const Shown &shown, double from, double to, int span,
                               ReportDocument::Align align, bool wrap);

// A text with {table.column} and {@name} references.
struct Template {
    struct Part {
        QString literal;
        NodePtr node;
    };
    QList<Part> parts;
};

// A cell or column value bound to the report: template, formula and display.
struct BoundValue {
    Template text;
    NodePtr value;
    QString mask;
    QString format;
};

struct BoundCell {
    BoundValue content;
    double from = 0, to = 1;
    ReportDocument::Align align = ReportDocument::Align::Left;
    bool wrap = false;
};

struct BoundLine {
    NodePtr condition;
    ReportDocument::Line::Kind kind = ReportDocument::Line::Kind::Text;
    ReportDocument::Style style = ReportDocument::Style::Normal;
    ReportDocument::Border border = ReportDocument::Border::None;
    bool keepWithNext = false;
    // Text lines: cells. Rows: label, then one value (or nothing) per column.
    QList<BoundCell> cells;
    Template label;
    QList<NodePtr> rowValues; // per column, null when the column is empty on this line
};

struct BoundGroup {
    NodePtr by;
    QList<BoundLine> header;
    QList<BoundLine> footer;
    bool newPage = false;
};

// The definition bound to the request and the database's tables; throws
// ReportError naming the place of the definition that is wrong.
class Binder {
public:
    Binder(const ReportStore &store, const ReportDefinition &d, const ReportRequest &request);

    const ReportDefinition &m_def;
    ReportStore::Select m_query;
    QHash<QString, Value> m_parameters;
    QList<ReportDefinition::Column> m_columns;
    QList<double> m_columnFrom, m_columnTo;
    QList<NodePtr> m_columnValues;
    QList<BoundLine> m_header, m_footer;
    QList<BoundGroup> m_groups;
    QStringList m_fields;

private:
    [[noreturn]] void fail(const QString &where, const QString &what) const;
    void addTable(const QString &table, const QString &where);
    void bindSource();
    void bindParameters(const QStringList &given);
    formula::Scope plainScope() const;
    void bindSelection(const QString &selection);
    void addOrder(const QString &text, const QString &where);
    void bindOrder(const QStringList &sortFields);
    NodePtr parseLayout(const QString &text, const QString &where, bool aggregates);
    Template parseTemplate(const QString &text, const QString &where, bool aggregates);
    BoundValue bindValue(const QString &text, const QString &value, const QString &mask, const QString &format,
                         const QString &where, bool aggregates);
    BoundLine bindLine(const ReportDefinition::Line &l, bool aggregates);
    void bindLayout();

    const ReportStore &m_store;
    formula::Scope m_scope;
};

// Sets where each field sits in a row.
void assignSlots(const NodePtr &node, const QHash<QString, int> &fieldSlots);

// The values the header names when the selection finds nothing (contextRow
// in reportbinding.cpp says which).
QVector<Value> contextRow(const ReportStore &store, const Binder &b);

} // namespace vok::reporting
