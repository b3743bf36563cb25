#include "reports/reportengine.h"

#include "db/calendar.h"
#include "db/database.h"
#include "db/numbers.h"
#include "reports/reportpaths.h"
#include "reports/reportstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace vok {

namespace {

using formula::Node;
using formula::NodePtr;
using formula::Value;


ReportDocument::Align docAlign(ReportDefinition::Align a)
{
    switch (a) {
    case ReportDefinition::Align::Center:
        return ReportDocument::Align::Center;
    case ReportDefinition::Align::Right:
        return ReportDocument::Align::Right;
    default:
        return ReportDocument::Align::Left;
    }
}

ReportDocument::Style docStyle(const QString &s)
{
    if (s == u"bold")
        return ReportDocument::Style::Bold;
    if (s == u"title")
        return ReportDocument::Style::Title;
    if (s == u"subtitle")
        return ReportDocument::Style::Subtitle;
    if (s == u"small")
        return ReportDocument::Style::Small;
    if (s == u"italic")
        return ReportDocument::Style::Italic;
    return ReportDocument::Style::Normal;
}

ReportDocument::Border docBorder(const QString &b)
{
    if (b == u"grid")
        return ReportDocument::Border::Grid;
    if (b == u"top")
        return ReportDocument::Border::Top;
    if (b == u"bottom")
        return ReportDocument::Border::Bottom;
    if (b == u"box")
        return ReportDocument::Border::Box;
    return ReportDocument::Border::None;
}

// A value shown with a mask ("#0.00"), a format ("month", "mark") or as it
// is; a number stays known as a figure for the spreadsheets.
struct Shown {
    QString text;
    bool figure = false;
    QString mask;
};

Shown show(const Value &v, const QString &mask, const QString &format)
{
    if (format == u"mark")
        return {v.truth() && v.toNumber() != 0 ? QStringLiteral("X") : QString()};
    if (v.isNull())
        return {};
    if (format == u"month") {
        const int m = int(v.toNumber());
        return {monthName(m)};
    }
    if (!mask.isEmpty()) {
        if (v.kind == Value::Kind::Text && !isNumber(v.text))
            return {v.text};
        return {formatNumber(v.toNumber(), mask), true, mask};
    }
    if (v.kind == Value::Kind::Number)
        return {doubleText(v.number), true};
    return {v.text};
}

QString display(const Value &v, const QString &mask, const QString &format) { return show(v, mask, format).text; }

// A cell whose text ends with the value: the figure is marked where it begins.
ReportDocument::Cell shownCell(QString prefix, const Shown &shown, double from, double to, int span,
                               ReportDocument::Align align, bool wrap)
{
    ReportDocument::Cell cell{std::move(prefix), from, to, span, align, wrap};
    cell.valueAt = int(cell.text.size());
    cell.figure = shown.figure;
    cell.figureMask = shown.mask;
    cell.text += shown.text;
    return cell;
}

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

class Binder {
public:
    Binder(const ReportStore &store, const ReportDefinition &d, const ReportRequest &request)
        : m_store(store)
        , m_def(d)
    {
        bindSource();
        bindParameters(request.formulas);
        bindSelection(request.selection);
        bindOrder(request.sortFields);
        bindLayout();
        m_query.fields = m_fields;
    }

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
    [[noreturn]] void fail(const QString &where, const QString &what) const
    {
        throw ReportError(QStringLiteral("%1: %2: %3").arg(m_def.fileName, where, what));
    }

    void addTable(const QString &table, const QString &where)
    {
        const QStringList columns = m_store.columns(table);
        if (columns.isEmpty())
            fail(where, QStringLiteral("tabela %1 nu exista in baza de date").arg(table));
        for (auto it = m_scope.tables.cbegin(); it != m_scope.tables.cend(); ++it)
            if (it.key().compare(table, Qt::CaseInsensitive) == 0)
                fail(where, QStringLiteral("tabela %1 apare de doua ori").arg(table));
        m_scope.tables.insert(table, columns);
    }

    void bindSource()
    {
        addTable(m_def.from, QStringLiteral("source.from"));
        m_query.from = m_def.from;
        for (const ReportDefinition::Join &j : m_def.joins) {
            addTable(j.table, j.where);
            ReportStore::Join join;
            join.table = j.table;
            join.left = j.left;
            join.on = formula::parse(j.on, m_scope, m_def.fileName + QStringLiteral(": ") + j.where + QStringLiteral(".on"));
            m_query.joins.append(join);
        }
    }

    void bindParameters(const QStringList &given)
    {
        QStringList names;
        for (const auto &[name, fallback] : m_def.parameters) {
            names.append(name);
            m_parameters.insert(name, Value::fromVariant(fallback));
        }
        for (const QString &assignment : given) {
            const int eq = int(assignment.indexOf(u'='));
            const QString name = eq < 0 ? QString() : assignment.left(eq).trimmed();
            if (name.isEmpty())
                throw ReportError(QStringLiteral("Valoarea \"%1\" trebuie scrisa nume=valoare (de exemplu rest=50).").arg(assignment));
            QString canonical;
            for (const QString &n : names)
                if (n.compare(name, Qt::CaseInsensitive) == 0)
                    canonical = n;
            if (canonical.isEmpty())
                throw ReportError(QStringLiteral("Valoarea \"%1\" nu este definita in raportul %2%3.")
                                      .arg(name, m_def.fileName,
                                           names.isEmpty() ? QStringLiteral(", care nu primeste valori")
                                                           : QStringLiteral(" (se accepta: %1)").arg(names.join(QStringLiteral(", ")))));
            QString text = assignment.mid(eq + 1).trimmed();
            Value v;
            if (isNumber(text)) {
                v = Value::of(text.toDouble());
            } else if (text.size() >= 2 && (text.startsWith(u'\'') || text.startsWith(u'"')) && text.endsWith(text.front())) {
                v = Value::of(text.mid(1, text.size() - 2));
            } else if (text.isEmpty()) {
                v = Value::of(0.0);
            } else {
                v = Value::of(text);
            }
            m_parameters.insert(canonical, v);
        }
        m_scope.parameters = names;
    }

    formula::Scope plainScope() const
    {
        formula::Scope s = m_scope;
        s.parameters.clear();
        s.functions = false;
        return s;
    }

    void bindSelection(const QString &selection)
    {
        if (selection.trimmed().isEmpty())
            return;
        m_query.where = formula::parse(selection, plainScope(), QStringLiteral("Formula de selectie \"%1\"").arg(selection));
    }

    void addOrder(const QString &text, const QString &where)
    {
        QString t = text.trimmed();
        bool descending = false;
        if (t.startsWith(u'+') || t.startsWith(u'-')) {
            descending = t.startsWith(u'-');
            t = t.mid(1).trimmed();
        }
        const NodePtr node = formula::parse(t, plainScope(), where);
        if (node->kind != Node::Kind::Field)
            throw ReportError(QStringLiteral("%1: se asteapta un camp ca +{foaie.nrf}").arg(where));
        m_query.order.append({node, descending});
    }

    void bindOrder(const QStringList &sortFields)
    {
        // Groups first, so that each group's rows come together; then the
        // request's sort fields; then the definition's own order.
        for (int i = 0; i < m_def.groups.size(); ++i) {
            const ReportDefinition::Group &g = m_def.groups[i];
            BoundGroup group;
            group.by = formula::parse(g.by, plainScope(), m_def.fileName + QStringLiteral(": ") + g.where + QStringLiteral(".by"));
            group.newPage = g.newPage;
            m_query.order.append({group.by, false});
            m_groups.append(group);
        }
        for (const QString &s : sortFields)
            addOrder(s, QStringLiteral("Campul de sortare \"%1\"").arg(s));
        for (int i = 0; i < m_def.sort.size(); ++i)
            addOrder(m_def.sort[i], m_def.fileName + QStringLiteral(": sort[%1]").arg(i));
    }

    NodePtr parseLayout(const QString &text, const QString &where, bool aggregates)
    {
        formula::Scope s = m_scope;
        s.functions = true;
        s.aggregates = aggregates;
        NodePtr node = formula::parse(text, s, m_def.fileName + QStringLiteral(": ") + where);
        formula::collectFields(node, m_fields);
        return node;
    }

    Template parseTemplate(const QString &text, const QString &where, bool aggregates)
    {
        Template t;
        int i = 0;
        const int n = int(text.size());
        QString literal;
        while (i < n) {
            if (text[i] == u'{') {
                const int close = int(text.indexOf(u'}', i));
                if (close < 0)
                    fail(where, QStringLiteral("lipseste acolada inchisa } in textul \"%1\"").arg(text));
                if (!literal.isEmpty())
                    t.parts.append({literal, nullptr});
                literal.clear();
                t.parts.append({QString(), parseLayout(text.mid(i, close - i + 1), where, aggregates)});
                i = close + 1;
            } else {
                literal.append(text[i++]);
            }
        }
        if (!literal.isEmpty())
            t.parts.append({literal, nullptr});
        return t;
    }

    BoundValue bindValue(const QString &text, const QString &value, const QString &mask, const QString &format,
                         const QString &where, bool aggregates)
    {
        BoundValue b;
        b.text = parseTemplate(text, where, aggregates);
        if (!value.isEmpty())
            b.value = parseLayout(value, where + QStringLiteral(".value"), aggregates);
        b.mask = mask;
        b.format = format;
        return b;
    }

    BoundLine bindLine(const ReportDefinition::Line &l, bool aggregates)
    {
        BoundLine b;
        b.style = docStyle(l.style);
        b.border = docBorder(l.border);
        b.keepWithNext = l.keepWithNext;
        if (!l.condition.isEmpty())
            b.condition = parseLayout(l.condition, l.where + QStringLiteral(".if"), aggregates);
        if (l.isRow) {
            b.kind = ReportDocument::Line::Kind::Row;
            b.label = parseTemplate(l.label, l.where + QStringLiteral(".label"), aggregates);
            for (int c = 0; c < m_columns.size(); ++c) {
                NodePtr v;
                for (const auto &[id, text] : l.row)
                    if (id == m_columns[c].id)
                        v = parseLayout(text, l.where + QStringLiteral(".row.") + id, aggregates);
                b.rowValues.append(v);
            }
            return b;
        }
        double total = 0;
        for (const ReportDefinition::Cell &c : l.cells)
            total += c.width;
        double at = 0;
        for (const ReportDefinition::Cell &c : l.cells) {
            BoundCell cell;
            cell.content = bindValue(c.text, c.value, c.mask, c.format, c.where, aggregates);
            cell.from = total > 0 ? at / total : 0;
            at += c.width;
            cell.to = total > 0 ? at / total : 1;
            cell.align = docAlign(c.align);
            cell.wrap = c.wrap;
            b.cells.append(cell);
        }
        return b;
    }

    void bindLayout()
    {
        m_columns = m_def.columns;
        double total = 0;
        for (const ReportDefinition::Column &c : m_columns)
            total += c.width;
        double at = 0;
        for (const ReportDefinition::Column &c : m_columns) {
            m_columnFrom.append(at / total);
            at += c.width;
            m_columnTo.append(at / total);
            m_columnValues.append(c.value.isEmpty() ? NodePtr() : parseLayout(c.value, c.where + QStringLiteral(".value"), false));
        }
        for (const ReportDefinition::Line &l : m_def.header)
            m_header.append(bindLine(l, true));
        for (const ReportDefinition::Line &l : m_def.footer)
            m_footer.append(bindLine(l, true));
        for (int i = 0; i < m_def.groups.size(); ++i) {
            formula::collectFields(m_groups[i].by, m_fields);
            for (const ReportDefinition::Line &l : m_def.groups[i].header)
                m_groups[i].header.append(bindLine(l, true));
            for (const ReportDefinition::Line &l : m_def.groups[i].footer)
                m_groups[i].footer.append(bindLine(l, true));
        }
    }

    const ReportStore &m_store;
    formula::Scope m_scope;
};

// Sets where each field sits in a row.
void assignSlots(const NodePtr &node, const QHash<QString, int> &fieldSlots)
{
    if (!node)
        return;
    if (node->kind == Node::Kind::Field)
        node->slot = fieldSlots.value(node->text, -1);
    for (const NodePtr &a : node->args)
        assignSlots(a, fieldSlots);
}

// When the selection finds nothing, the header still names what was asked
// for: the values the selection fixes ({foaie.ida}=1 and {foaie.idl}=3), the
// values the joins carry over ({foaie.ida}={auto.ida}) and the other columns
// of the rows these name (the vehicle's number and make).
QVector<Value> contextRow(const ReportStore &store, const Binder &b)
{
    struct Known {
        NodePtr field;
        Value value;
    };
    QHash<QString, Known> known;
    QList<std::pair<NodePtr, NodePtr>> links; // {a.x}={b.y} of the joins
    auto literal = [](const NodePtr &n, Value &v) {
        if (n->kind == Node::Kind::Number)
            v = Value::of(n->number);
        else if (n->kind == Node::Kind::Text)
            v = Value::of(n->text);
        else
            return false;
        return true;
    };
    std::function<void(const NodePtr &, bool)> conjuncts = [&](const NodePtr &n, bool join) {
        if (!n || n->kind != Node::Kind::Binary)
            return;
        if (n->op == Node::Op::And) {
            for (const NodePtr &a : n->args)
                conjuncts(a, join);
            return;
        }
        if (n->op != Node::Op::Eq || n->args.size() != 2)
            return;
        for (int side = 0; side < 2; ++side) {
            const NodePtr &f = n->args[side], &other = n->args[1 - side];
            Value v;
            if (f->kind == Node::Kind::Field && literal(other, v) && !known.contains(f->text))
                known.insert(f->text, {f, v});
        }
        if (join && n->args[0]->kind == Node::Kind::Field && n->args[1]->kind == Node::Kind::Field)
            links.append({n->args[0], n->args[1]});
    };
    conjuncts(b.m_query.where, false);
    if (known.isEmpty())
        return {};
    QStringList tables{b.m_query.from};
    for (const ReportStore::Join &j : b.m_query.joins) {
        conjuncts(j.on, true);
        tables.append(j.table);
    }
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto &[x, y] : links) {
            if (known.contains(x->text) && !known.contains(y->text)) {
                known.insert(y->text, {y, known.value(x->text).value});
                changed = true;
            } else if (known.contains(y->text) && !known.contains(x->text)) {
                known.insert(x->text, {x, known.value(y->text).value});
                changed = true;
            }
        }
    }
    // The other columns of each table, from its row with the values known.
    for (const QString &table : tables) {
        const QString prefix = table + u'.';
        ReportStore::Select select;
        select.from = table;
        for (const QString &f : b.m_fields)
            if (f.startsWith(prefix) && !known.contains(f))
                select.fields.append(f);
        if (select.fields.isEmpty())
            continue;
        for (const Known &k : std::as_const(known)) {
            if (!k.field || k.field->table != table || k.value.isNull())
                continue;
            auto value = std::make_shared<Node>();
            value->kind = k.value.kind == Value::Kind::Number ? Node::Kind::Number : Node::Kind::Text;
            value->number = k.value.number;
            value->text = k.value.text;
            auto eq = std::make_shared<Node>();
            eq->kind = Node::Kind::Binary;
            eq->op = Node::Op::Eq;
            eq->args = {k.field, value};
            if (!select.where) {
                select.where = eq;
            } else {
                auto both = std::make_shared<Node>();
                both->kind = Node::Kind::Binary;
                both->op = Node::Op::And;
                both->args = {select.where, eq};
                select.where = both;
            }
        }
        if (!select.where)
            continue;
        const QVector<QVector<Value>> rows = store.select(select);
        if (rows.isEmpty())
            continue;
        for (int i = 0; i < select.fields.size(); ++i)
            known.insert(select.fields[i], {nullptr, rows.first()[i]});
    }
    QVector<Value> row(b.m_fields.size());
    for (int i = 0; i < b.m_fields.size(); ++i)
        row[i] = known.value(b.m_fields[i]).value;
    return row;
}

class Filler {
public:
    Filler(const Binder &b, const QVector<QVector<Value>> &rows, ReportDocument &doc, const QVector<Value> &context = {})
        : m_b(b)
        , m_rows(rows)
        , m_doc(doc)
        , m_context(context)
    {
        m_access.field = [this](const Node &n) -> Value {
            if (n.slot < 0)
                return Value::null();
            if (m_current < 0)
                return n.slot < m_context.size() ? m_context[n.slot] : Value::null();
            return m_rows[m_current][n.slot];
        };
        m_access.parameter = [this](const QString &name) { return m_b.m_parameters.value(name); };
        m_access.aggregate = [this](const Node &n) { return aggregate(n); };
    }

    void fill()
    {
        const int n = int(m_rows.size());
        setRange(0, n - 1, n > 0 ? 0 : -1);
        for (const BoundLine &l : m_b.m_header)
            put(l, false);
        if (n == 0) {
            ReportDocument::Line line;
            line.style = ReportDocument::Style::Italic;
            line.cells.append({m_b.m_def.noData, 0, 1, 1, ReportDocument::Align::Left, true});
            m_doc.lines.append(line);
            return;
        }
        const int levels = int(m_b.m_groups.size());
        // Group keys of every row, and where each group starts.
        QVector<QVector<Value>> keys(n);
        for (int r = 0; r < n; ++r) {
            m_current = r;
            for (const BoundGroup &g : m_b.m_groups)
                keys[r].append(formula::evaluate(*g.by, m_access));
        }
        auto sameKeys = [&](int a, int b, int level) {
            for (int k = 0; k <= level; ++k) {
                const Value &x = keys[a][k], &y = keys[b][k];
                if (x.kind != y.kind || x.number != y.number || x.text != y.text)
                    return false;
            }
            return true;
        };
        QVector<int> groupStart(levels, 0);
        bool firstGroup = true;
        for (int r = 0; r < n; ++r) {
            for (int k = 0; k < levels; ++k) {
                if (r > 0 && sameKeys(r - 1, r, k))
                    continue;
                // A group of level k begins at r: find where it ends.
                int end = r;
                while (end + 1 < n && sameKeys(r, end + 1, k))
                    ++end;
                groupStart[k] = r;
                setRange(r, end, r);
                const bool breakBefore = m_b.m_groups[k].newPage && !firstGroup;
                const int before = int(m_doc.lines.size());
                for (const BoundLine &l : m_b.m_groups[k].header)
                    put(l, true);
                if (breakBefore && m_doc.lines.size() > before)
                    m_doc.lines[before].pageBreakBefore = true;
                firstGroup = false;
            }
            if (m_b.m_def.detail) {
                setRange(r, r, r);
                emitDetail();
            }
            for (int k = levels - 1; k >= 0; --k) {
                if (r + 1 < n && sameKeys(r, r + 1, k))
                    continue;
                setRange(groupStart[k], r, r);
                keepLastRowWith(m_b.m_groups[k].footer, false);
                for (const BoundLine &l : m_b.m_groups[k].footer)
                    put(l, false);
            }
        }
        setRange(0, n - 1, n - 1);
        keepLastRowWith(m_b.m_footer, true);
        for (const BoundLine &l : m_b.m_footer)
            put(l, false);
    }

private:
    // A total never starts a page on its own: the row above goes along with it.
    // A group's total holds on to a detail row only: the totals of a summary
    // (one row per group) must not chain every row of the report together.
    void keepLastRowWith(const QList<BoundLine> &footer, bool reportFooter)
    {
        if (footer.isEmpty() || footer.first().kind != ReportDocument::Line::Kind::Row || m_doc.lines.isEmpty())
            return;
        const int last = int(m_doc.lines.size()) - 1;
        if (m_doc.lines[last].kind != ReportDocument::Line::Kind::Row || (!reportFooter && last != m_lastDetail))
            return;
        m_doc.lines[last].keepWithNext = true;
    }

    void setRange(int begin, int end, int current)
    {
        m_begin = begin;
        m_end = end;
        m_current = current;
    }

    Value eval(const NodePtr &node) { return node ? formula::evaluate(*node, m_access) : Value::null(); }

    QString text(const Template &t)
    {
        if (t.parts.size() == 1 && !t.parts.front().node)
            return t.parts.front().literal;
        QString s;
        for (const Template::Part &p : t.parts)
            s += p.node ? display(eval(p.node), QString(), QString()) : p.literal;
        return s;
    }

    ReportDocument::Cell cell(const BoundCell &c)
    {
        if (!c.content.value)
            return {text(c.content.text), c.from, c.to, 1, c.align, c.wrap};
        const Shown shown = show(eval(c.content.value), c.content.mask, c.content.format);
        return shownCell(text(c.content.text), shown, c.from, c.to, 1, c.align, c.wrap);
    }

    Value aggregate(const Node &call)
    {
        const int saved = m_current;
        const QString &f = call.text;
        Value result;
        if (f == u"first" || f == u"last") {
            m_current = m_begin < 0 ? -1 : (f == u"first" ? m_begin : m_end);
            result = formula::evaluate(*call.args[0], m_access);
            m_current = saved;
            return result;
        }
        if (f == u"count" && call.args.empty()) {
            return Value::of(m_begin < 0 ? 0.0 : double(m_end - m_begin + 1));
        }
        auto keyText = [](const Value &key) {
            return key.kind == Value::Kind::Number ? doubleText(key.number) : u'\'' + key.text;
        };
        if (f == u"count") {
            // count(x): how many different values x takes.
            QSet<QString> seen;
            for (int r = m_begin; r >= 0 && r <= m_end; ++r) {
                m_current = r;
                const Value key = formula::evaluate(*call.args[0], m_access);
                if (!key.isNull())
                    seen.insert(keyText(key));
            }
            m_current = saved;
            return Value::of(double(seen.size()));
        }
        // sum(x, key): x once per key, from the key's last row (a sheet's
        // fuel once per sheet, a vehicle's last month once per vehicle).
        QList<int> rows;
        if (f == u"sum" && call.args.size() > 1) {
            QHash<QString, int> position; // key -> its place in rows
            for (int r = m_begin; r >= 0 && r <= m_end; ++r) {
                m_current = r;
                const Value key = formula::evaluate(*call.args[1], m_access);
                if (key.isNull())
                    continue;
                const QString k = keyText(key);
                const auto it = position.constFind(k);
                if (it == position.constEnd()) {
                    position.insert(k, int(rows.size()));
                    rows.append(r);
                } else {
                    rows[*it] = r;
                }
            }
        } else {
            for (int r = m_begin; r >= 0 && r <= m_end; ++r)
                rows.append(r);
        }
        double sum = 0;
        double lo = 0, hi = 0;
        int count = 0;
        for (int r : rows) {
            m_current = r;
            const Value v = formula::evaluate(*call.args[0], m_access);
            if (v.isNull())
                continue;
            const double x = v.toNumber();
            if (count == 0) {
                lo = hi = x;
            } else {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
            sum += x;
            ++count;
        }
        m_current = saved;
        if (f == u"sum")
            return Value::of(sum);
        if (f == u"count")
            return Value::of(double(count));
        if (count == 0)
            return Value::null();
        if (f == u"min")
            return Value::of(lo);
        if (f == u"max")
            return Value::of(hi);
        return Value::of(sum / count); // avg
    }

    void put(const BoundLine &l, bool keep)
    {
        if (l.condition && !eval(l.condition).truth())
            return;
        ReportDocument::Line line;
        line.kind = l.kind;
        line.style = l.style;
        line.border = l.border;
        line.keepWithNext = l.keepWithNext || keep;
        if (l.kind == ReportDocument::Line::Kind::Text) {
            for (const BoundCell &c : l.cells)
                line.cells.append(cell(c));
            m_doc.lines.append(line);
            return;
        }
        const int columns = int(m_b.m_columns.size());
        int first = 0;
        while (first < columns && !l.rowValues[first])
            ++first;
        const QString label = text(l.label);
        if (first > 0 || !label.isEmpty()) {
            const int span = std::max(first, 1);
            line.cells.append({label, 0, m_b.m_columnTo[span - 1], span, ReportDocument::Align::Left, false});
            first = span;
        }
        for (int c = first; c < columns; ++c) {
            const ReportDefinition::Column &col = m_b.m_columns[c];
            const Shown shown = l.rowValues[c] ? show(eval(l.rowValues[c]), col.mask, col.format) : Shown();
            line.cells.append(shownCell({}, shown, m_b.m_columnFrom[c], m_b.m_columnTo[c], 1, docAlign(col.align), col.wrap));
        }
        m_doc.lines.append(line);
    }

    void emitDetail()
    {
        ReportDocument::Line line;
        line.kind = ReportDocument::Line::Kind::Row;
        line.border = ReportDocument::Border::Grid;
        const int columns = int(m_b.m_columns.size());
        line.cells.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            const ReportDefinition::Column &col = m_b.m_columns[c];
            const Shown shown = show(eval(m_b.m_columnValues[c]), col.mask, col.format);
            line.cells.append(shownCell({}, shown, m_b.m_columnFrom[c], m_b.m_columnTo[c], 1, docAlign(col.align), col.wrap));
        }
        m_doc.lines.append(std::move(line));
        m_lastDetail = int(m_doc.lines.size()) - 1;
    }

    const Binder &m_b;
    const QVector<QVector<Value>> &m_rows;
    ReportDocument &m_doc;
    const QVector<Value> m_context; // read by the header when no row is found
    formula::RowAccess m_access;
    int m_begin = -1, m_end = -1, m_current = -1;
    int m_lastDetail = -1;
};

} // namespace

ReportEngine::ReportEngine(const QSqlDatabase &db, const QString &reportsDir)
    : m_db(db)
    , m_reportsDir(reportsDir.isEmpty() ? reportsDirectory() : reportsDir)
{
}

QString ReportEngine::definitionPath(const QString &reportFile) const
{
    if (QFileInfo(reportFile).isAbsolute())
        return reportFile;
    return QDir(m_reportsDir).filePath(reportFile);
}

ReportDocument ReportEngine::run(const ReportRequest &request, const QDate &printDate) const
{
    if (request.reportFile.trimmed().isEmpty())
        throw ReportError(QStringLiteral("Nu a fost ales niciun fisier de raport."));
    return run(ReportDefinition::load(definitionPath(request.reportFile)), request, printDate);
}

QString ReportEngine::sqlFor(const ReportDefinition &definition, const ReportRequest &request, QVariantList *values) const
{
    const ReportStore store(m_db);
    const Binder binder(store, definition, request);
    const formula::SqlFilter sql = ReportStore::sql(binder.m_query);
    if (values)
        *values = sql.values;
    return sql.sql;
}

ReportDocument ReportEngine::run(const ReportDefinition &definition, const ReportRequest &request,
                                 const QDate &printDate) const
{
    const ReportStore store(m_db);
    const Binder binder(store, definition, request);

    QHash<QString, int> fieldSlots;
    for (int i = 0; i < binder.m_fields.size(); ++i)
        fieldSlots.insert(binder.m_fields[i], i);
    auto bindLines = [&](const QList<BoundLine> &lines) {
        for (const BoundLine &l : lines) {
            assignSlots(l.condition, fieldSlots);
            for (const Template::Part &p : l.label.parts)
                assignSlots(p.node, fieldSlots);
            for (const NodePtr &v : l.rowValues)
                assignSlots(v, fieldSlots);
            for (const BoundCell &c : l.cells) {
                assignSlots(c.content.value, fieldSlots);
                for (const Template::Part &p : c.content.text.parts)
                    assignSlots(p.node, fieldSlots);
            }
        }
    };
    bindLines(binder.m_header);
    bindLines(binder.m_footer);
    for (const BoundGroup &g : binder.m_groups) {
        assignSlots(g.by, fieldSlots);
        bindLines(g.header);
        bindLines(g.footer);
    }
    for (const NodePtr &v : binder.m_columnValues)
        assignSlots(v, fieldSlots);

    const QVector<QVector<Value>> rows = store.select(binder.m_query);
    const ReportStore::Header header = store.header();

    ReportDocument doc;
    doc.fileName = definition.fileName;
    doc.title = definition.title;
    doc.unit = header.unit;
    doc.managerFunction = header.managerFunction;
    doc.managerName = header.managerName;
    doc.preparedBy = header.preparedBy;
    doc.printDate = printDate;
    doc.landscape = definition.landscape;
    doc.fontSize = definition.fontSize;
    doc.margins = definition.margins;
    doc.columnCount = int(definition.columns.size());
    doc.heading.kind = ReportDocument::Line::Kind::Row;
    doc.heading.style = ReportDocument::Style::Bold;
    doc.heading.border = ReportDocument::Border::Grid;
    for (int c = 0; c < definition.columns.size(); ++c)
        doc.heading.cells.append({definition.columns[c].caption, binder.m_columnFrom[c], binder.m_columnTo[c], 1,
                                  ReportDocument::Align::Center, true});
    doc.lines.reserve(rows.size() + 64);

    if (!definition.title.isEmpty()) {
        ReportDocument::Line title;
        title.style = ReportDocument::Style::Title;
        title.cells.append({definition.title, 0, 1, 1, ReportDocument::Align::Center, true});
        doc.lines.append(title);
    }

    QVector<Value> context;
    if (rows.isEmpty()) {
        try {
            context = contextRow(store, binder);
        } catch (const DbError &) {
            // Only the header's values are missing then.
        }
    }
    Filler(binder, rows, doc, context).fill();

    if (definition.signatures) {
        ReportDocument::Line gap;
        gap.keepWithNext = true;
        gap.cells.append({QString(), 0, 1, 1, ReportDocument::Align::Left, false});
        doc.lines.append(gap);
        doc.lines.append(gap);
        ReportDocument::Line roles;
        roles.style = ReportDocument::Style::Bold;
        roles.keepWithNext = true;
        roles.cells.append({header.managerFunction, 0.05, 0.5, 1, ReportDocument::Align::Center, true});
        roles.cells.append({QStringLiteral("Intocmit,"), 0.5, 0.95, 1, ReportDocument::Align::Center, true});
        doc.lines.append(roles);
        ReportDocument::Line names;
        names.cells.append({header.managerName, 0.05, 0.5, 1, ReportDocument::Align::Center, true});
        names.cells.append({header.preparedBy, 0.5, 0.95, 1, ReportDocument::Align::Center, true});
        doc.lines.append(names);
    }
    return doc;
}

} // namespace vok
