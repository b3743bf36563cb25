// Coverage-guided fuzzing of the formula language of the reports (libFuzzer;
// `make fuzz`). The first byte picks the scope (a selection, or a report
// formula with functions and named values) and how the rest is read (UTF-8,
// or raw UTF-16 with lone surrogates and NULs). Rules: the text parses or is
// refused with a ReportError naming a position inside it; the SQL of a
// selection holds no piece of the text; a parsed formula evaluates.
#include "reports/selectionformula.h"

#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace vok;
using formula::Value;

namespace {

[[noreturn]] void broken(const char *rule, const QString &detail)
{
    std::fprintf(stderr, "rule broken: %s: %s\n", rule, detail.left(2000).toUtf8().constData());
    std::abort();
}

formula::Scope scope(bool report)
{
    formula::Scope s;
    s.tables.insert(QStringLiteral("foaie"), {QStringLiteral("idf"), QStringLiteral("anul"), QStringLiteral("idl"),
                                              QStringLiteral("sofer")});
    s.tables.insert(QStringLiteral("curse"), {QStringLiteral("idf"), QStringLiteral("Cn"), QStringLiteral("traseu")});
    if (report) {
        s.parameters = {QStringLiteral("rest")};
        s.functions = true;
    }
    return s;
}

bool onlySkeleton(const QString &sql)
{
    static const QRegularExpression columns(QStringLiteral("\\b(?:foaie|curse)\\.[A-Za-z]+\\b"));
    static const QRegularExpression skeleton(QStringLiteral("^(?:[?()=<>+*/ -]|AND|OR|NOT)*$"));
    QString rest = sql;
    rest.remove(columns);
    return skeleton.match(rest).hasMatch();
}

void check(const QString &text, bool report)
{
    const QString where = QStringLiteral("Formula");
    formula::NodePtr node;
    try {
        node = formula::parse(text, scope(report), where);
    } catch (const ReportError &error) {
        const QString message = error.message();
        const qsizetype open = message.lastIndexOf(QStringLiteral("(pozitia "));
        if (!message.startsWith(where + QStringLiteral(": ")) || open < 0 || !message.endsWith(u')'))
            broken("a refusal names the place", message);
        const qsizetype position = message.mid(open + 9, message.size() - open - 10).toLongLong();
        if (position < 1 || position > text.size() + 1)
            broken("the position is inside the text", message);
        return;
    }
    formula::RowAccess row;
    row.field = [](const formula::Node &) { return Value::of(QStringLiteral("7")); };
    row.parameter = [](const QString &) { return Value::of(1e308); };
    row.aggregate = [](const formula::Node &) { return Value::null(); };
    formula::evaluate(*node, row);
    if (report)
        return;
    try {
        const formula::SqlFilter filter =
            formula::toSql(node, [](const QString &t, const QString &c) { return t + u'.' + c; });
        if (!onlySkeleton(filter.sql))
            broken("no typed text in the SQL", filter.sql);
        if (filter.sql.count(u'?') != filter.values.size())
            broken("one value per placeholder", filter.sql);
    } catch (const ReportError &) {
        // too deep for the database: refused
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0] % 4;
    ++data;
    --size;
    if (mode < 2) {
        check(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)), mode == 1);
    } else {
        QString text(qsizetype(size / 2), Qt::Uninitialized);
        std::memcpy(text.data(), data, (size / 2) * 2);
        check(text, mode == 3);
    }
    return 0;
}
