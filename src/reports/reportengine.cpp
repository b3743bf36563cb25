#include "reports/reportengine.h"

#include "base/calendar.h"
#include "db/database.h"
#include "fleet/duereport.h"
#include "base/numbers.h"
#include "reports/reportbinding.h"
#include "reports/reportpaths.h"
#include "reports/reportstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace vok {

namespace {

using namespace reporting;

// The second half of running a report: the rows the query returned laid into
// the document, group by group, with the totals.
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

namespace {

// A report of what is due reads rows the program computes (fleet/duereport.h).
void prepareComputedRows(const QSqlDatabase &db, const ReportDefinition &definition, const QDate &today)
{
    if (definition.from == due::reportTable())
        due::fillReportTable(db, today.isValid() ? today : QDate::currentDate());
}

} // namespace

QString ReportEngine::sqlFor(const ReportDefinition &definition, const ReportRequest &request, QVariantList *values) const
{
    prepareComputedRows(m_db, definition, QDate::currentDate());
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
    prepareComputedRows(m_db, definition, printDate);
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
