#include "reports/reportbinding.h"

#include "base/calendar.h"
#include "base/numbers.h"

#include <QSet>

#include <functional>

namespace vok::reporting {

namespace {

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

} // namespace

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

Binder::Binder(const ReportStore &store, const ReportDefinition &d, const ReportRequest &request)
    : m_def(d)
    , m_store(store)
{
    bindSource();
    bindParameters(request.formulas);
    bindSelection(request.selection);
    bindOrder(request.sortFields);
    bindLayout();
    m_query.fields = m_fields;
}

void Binder::fail(const QString &where, const QString &what) const
{
    throw ReportError(QStringLiteral("%1: %2: %3").arg(m_def.fileName, where, what));
}

void Binder::addTable(const QString &table, const QString &where)
{
    const QStringList columns = m_store.columns(table);
    if (columns.isEmpty())
        fail(where, QStringLiteral("tabela %1 nu exista in baza de date").arg(table));
    for (auto it = m_scope.tables.cbegin(); it != m_scope.tables.cend(); ++it)
        if (it.key().compare(table, Qt::CaseInsensitive) == 0)
            fail(where, QStringLiteral("tabela %1 apare de doua ori").arg(table));
    m_scope.tables.insert(table, columns);
}

void Binder::bindSource()
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

void Binder::bindParameters(const QStringList &given)
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

formula::Scope Binder::plainScope() const
{
    formula::Scope s = m_scope;
    s.parameters.clear();
    s.functions = false;
    return s;
}

void Binder::bindSelection(const QString &selection)
{
    if (selection.trimmed().isEmpty())
        return;
    m_query.where = formula::parse(selection, plainScope(), QStringLiteral("Formula de selectie \"%1\"").arg(selection));
}

void Binder::addOrder(const QString &text, const QString &where)
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

void Binder::bindOrder(const QStringList &sortFields)
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

NodePtr Binder::parseLayout(const QString &text, const QString &where, bool aggregates)
{
    formula::Scope s = m_scope;
    s.functions = true;
    s.aggregates = aggregates;
    NodePtr node = formula::parse(text, s, m_def.fileName + QStringLiteral(": ") + where);
    formula::collectFields(node, m_fields);
    return node;
}

Template Binder::parseTemplate(const QString &text, const QString &where, bool aggregates)
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

BoundValue Binder::bindValue(const QString &text, const QString &value, const QString &mask, const QString &format,
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

BoundLine Binder::bindLine(const ReportDefinition::Line &l, bool aggregates)
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

void Binder::bindLayout()
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

} // namespace vok::reporting
