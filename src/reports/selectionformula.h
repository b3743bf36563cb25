#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// The formula language of the reports. Selection formulas keep the syntax the
// windows build ("{foaie.anul}=2024 and {foaie.idl}=3"); report definitions use
// the same language for their join conditions, cell values and conditions,
// with named formula values ({@rest}) and a few functions (sum, iif, ...).
namespace vok {

// A report that cannot be produced: a missing or malformed definition, a
// formula that does not parse, a column the report does not know. The message
// names the place and is meant for the clerk.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

namespace formula {

// A value while a formula is evaluated on report rows: nothing (a NULL
// column, a missing joined row), a number or a text.
struct Value {
    enum class Kind { Null, Number, Text };
    Kind kind = Kind::Null;
    double number = 0;
    QString text;

    static Value null() { return {}; }
    static Value of(double n) { Value v; v.kind = Kind::Number; v.number = n; return v; }
    static Value of(const QString &t) { Value v; v.kind = Kind::Text; v.text = t; return v; }
    static Value fromVariant(const QVariant &variant);

    bool isNull() const { return kind == Kind::Null; }
    // A number as such, a text that is a number, else 0.
    double toNumber() const;
    bool truth() const;
};

struct Node;
using NodePtr = std::shared_ptr<const Node>;

struct Node {
    enum class Kind { Number, Text, Field, Parameter, Negate, Not, Binary, Call };
    enum class Op { Or, And, Eq, Ne, Lt, Gt, Le, Ge, Add, Sub, Mul, Div };
    Kind kind = Kind::Number;
    Op op = Op::Eq;
    double number = 0;
    QString text;     // text literal, parameter name, function name (lower case)
    QString table;    // Field: the table as the database names it
    QString column;   // Field: the column as the database names it
    int position = 0; // 1-based character position in the formula text
    mutable int slot = -1; // Field: where the row holds it, set when the report binds its formulas
    std::vector<NodePtr> args;
};

// What a formula may name: the tables of the report with their columns, the
// named formula values, and whether functions are allowed.
struct Scope {
    // table name (any case) -> the table's columns as the database names them
    QHash<QString, QStringList> tables;
    QStringList parameters;
    bool functions = false;   // sum, count, min, max, avg, first, last, iif, abs, round
    bool aggregates = true;   // whether sum() and the like are allowed when functions are
};

// Parses a formula; throws ReportError whose message starts with `where` and
// names the position of the fault.
NodePtr parse(const QString &text, const Scope &scope, const QString &where);

// Every column a formula reads, as "table.column", in order of appearance.
void collectFields(const NodePtr &node, QStringList &fields);
bool hasAggregate(const NodePtr &node);

// A formula without functions or named values as a SQL condition with its
// values bound: "foaie.anul = ? AND foaie.idl = ?" with {2024, 3}. Texts and
// numbers typed in the formula always become bound values.
struct SqlFilter {
    QString sql;
    QVariantList values;
};
SqlFilter toSql(const NodePtr &node, const std::function<QString(const QString &table, const QString &column)> &columnSql);

// How a formula reads its row while it is evaluated in memory.
struct RowAccess {
    // the value of "table.column" (field index resolved by the caller)
    std::function<Value(const Node &field)> field;
    // the value of a named formula value
    std::function<Value(const QString &name)> parameter;
    // aggregate functions: evaluates the call over the current range of rows
    std::function<Value(const Node &call)> aggregate;
};
Value evaluate(const Node &node, const RowAccess &row);

} // namespace formula
} // namespace vok
