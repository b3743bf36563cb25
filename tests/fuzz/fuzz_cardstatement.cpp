// Coverage-guided fuzzing of the fuel-card statement reader (libFuzzer;
// `make fuzz`). The first byte picks the mapping (encoding, delimiter, decimal
// separator, header rows, date form); the rest is the file. Rules: the file is
// read or refused whole with a reason; every transaction has a valid date and
// finite litres, and card or plate; every refused row names a line of the file.
#include "cards/statement.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace vok::cards;

namespace {

[[noreturn]] void broken(const char *rule)
{
    std::fprintf(stderr, "rule broken: %s\n", rule);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t pick = data[0];
    CardFormat format = vokFormat();
    if (pick & 1)
        format.encoding = QStringLiteral("Windows-1250");
    format.delimiter = (pick & 2) ? u';' : u',';
    format.decimal = (pick & 4) ? u',' : u'.';
    if (format.decimal == format.delimiter)
        format.decimal = u'.';
    format.headerRows = (pick >> 3) & 3;
    if (pick & 32)
        format.dateFormat = QStringLiteral("yyyy-mm-dd");
    if (pick & 64)
        format.time = 0;
    const QByteArray file(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const StatementRead read = readStatement(file, format);
    if (!read.fileOk() && (!read.transactions.isEmpty() || !read.refused.isEmpty()))
        broken("a refused file kept rows");
    if (!read.fileOk())
        return 0;
    const int lines = int(file.count('\n')) + 1;
    for (const CardTransaction &t : read.transactions) {
        if (!t.date.isValid() || !std::isfinite(t.litres) || (t.card.isEmpty() && t.plate.isEmpty()))
            broken("a transaction read without its date, litres or card and plate");
        if (t.line < 1 || t.line > lines)
            broken("a transaction outside the file's lines");
    }
    for (const RefusedRow &r : read.refused)
        if (r.line < 1 || r.line > lines || r.reason.isEmpty())
            broken("a refused row without its line or reason");
    (void)previewRows(file, format, 8);
    return 0;
}
