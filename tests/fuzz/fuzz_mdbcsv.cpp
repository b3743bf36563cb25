// Coverage-guided fuzzing of what the import reads from mdbtools' output
// (libFuzzer; `make fuzz`): the CSV records of mdb-export and the table
// descriptions of mdb-schema. The first byte picks the reader. Rules: a CSV
// text is read whole or refused naming a line inside it, records start on
// growing lines within the text, and reading it in two pieces cut after a
// record gives the same records; a schema text gives tables whose names and
// columns are non-empty.
#include "sheet/csv.h"
#include "legacy/mdbreader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace vok;

namespace {

[[noreturn]] void broken(const char *rule, const QString &detail)
{
    std::fprintf(stderr, "rule broken: %s: %s\n", rule, detail.left(2000).toUtf8().constData());
    std::abort();
}

void checkCsv(const QByteArray &text)
{
    const csv::ParseResult whole = csv::parse(text);
    const int lines = int(text.count('\n')) + 1;
    if (!whole.ok()) {
        if (whole.errorLine < 1 || whole.errorLine > lines)
            broken("the refusal names a line of the text", QString::number(whole.errorLine));
        if (whole.error.isEmpty())
            broken("a refusal says why", QString::number(whole.errorLine));
        return;
    }
    int previous = 0;
    for (const csv::Record &record : whole.records) {
        if (record.line <= previous || record.line > lines)
            broken("records start on growing lines inside the text", QString::number(record.line));
        previous = record.line;
    }
    // Cut where the import cuts its batches: after a line end outside quotes.
    bool quoted = false;
    qsizetype cut = -1;
    for (qsizetype i = 0; i < text.size() / 2; ++i) {
        if (text.at(i) == '"')
            quoted = !quoted;
        else if (text.at(i) == '\n' && !quoted)
            cut = i + 1;
    }
    // A byte-order mark is skipped at the start of a text only.
    if (cut <= 0 || text.startsWith("\xEF\xBB\xBF") || text.mid(cut).startsWith("\xEF\xBB\xBF"))
        return;
    const csv::ParseResult first = csv::parse(text.left(cut));
    const csv::ParseResult second = csv::parse(text.mid(cut));
    if (!first.ok() || !second.ok())
        broken("both pieces of a sound text are sound", QString::fromUtf8(text.left(200)));
    QList<QStringList> pieces;
    for (const csv::Record &r : first.records)
        pieces << r.fields;
    for (const csv::Record &r : second.records)
        pieces << r.fields;
    QList<QStringList> all;
    for (const csv::Record &r : whole.records)
        all << r.fields;
    if (pieces != all)
        broken("reading in pieces gives the same records", QString::fromUtf8(text.left(200)));
}

void checkSchema(const QByteArray &text)
{
    for (const legacy::MdbTable &table : legacy::parseSchema(QString::fromUtf8(text))) {
        if (table.name.isEmpty())
            broken("a table has a name", QString::fromUtf8(text.left(200)));
        for (const legacy::MdbColumn &column : table.columns)
            if (column.name.isEmpty())
                broken("a column has a name", table.name);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (data[0] % 4 == 3)
        checkSchema(text);
    else
        checkCsv(text);
    return 0;
}
