// Coverage-guided fuzzing of the report definitions (*.rpt; libFuzzer;
// `make fuzz`), whose files a department may edit. Rules: a definition is
// read or refused with a ReportError that names the file; a definition read
// has its columns and lines placed (`where`) for the messages of the
// formulas checked later, and every formula in it parses or is refused the
// same way.
#include "reports/reportdefinition.h"
#include "reports/selectionformula.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace vok;

namespace {

const QString fileName = QStringLiteral("fuzz.rpt");

[[noreturn]] void broken(const char *rule, const QString &detail)
{
    std::fprintf(stderr, "rule broken: %s: %s\n", rule, detail.left(2000).toUtf8().constData());
    std::abort();
}

formula::Scope scope()
{
    formula::Scope s;
    s.tables.insert(QStringLiteral("foaie"), {QStringLiteral("idf"), QStringLiteral("anul"), QStringLiteral("sofer")});
    s.tables.insert(QStringLiteral("curse"), {QStringLiteral("idf"), QStringLiteral("Cn")});
    s.parameters = {QStringLiteral("rest")};
    s.functions = true;
    return s;
}

void formulaOf(const QString &text, const QString &where)
{
    if (text.isEmpty())
        return;
    try {
        formula::parse(text, scope(), where);
    } catch (const ReportError &error) {
        if (!error.message().startsWith(where))
            broken("a formula's refusal names its place", error.message());
    }
}

void lines(const QList<ReportDefinition::Line> &list)
{
    for (const ReportDefinition::Line &line : list) {
        if (line.where.isEmpty())
            broken("a line is placed", line.style);
        formulaOf(line.condition, line.where);
        for (const ReportDefinition::Cell &cell : line.cells) {
            if (cell.where.isEmpty())
                broken("a cell is placed", cell.text);
            formulaOf(cell.value, cell.where);
        }
        for (const auto &[id, value] : line.row)
            formulaOf(value, line.where);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    ReportDefinition definition;
    try {
        definition = ReportDefinition::parse(json, fileName);
    } catch (const ReportError &error) {
        if (!error.message().contains(fileName))
            broken("a refusal names the file", error.message());
        return 0;
    }
    for (const ReportDefinition::Column &column : definition.columns) {
        if (column.where.isEmpty())
            broken("a column is placed", column.id);
        formulaOf(column.value, column.where);
    }
    lines(definition.header);
    lines(definition.footer);
    for (const ReportDefinition::Group &group : definition.groups) {
        formulaOf(group.by, group.where);
        lines(group.header);
        lines(group.footer);
    }
    for (const ReportDefinition::Join &join : definition.joins)
        formulaOf(join.on, join.where);
    return 0;
}
