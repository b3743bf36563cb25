// Coverage-guided fuzzing of the e-invoice reader (libFuzzer; `make fuzz`).
// Rules: the file is read or refused with a reason; a read invoice's figures
// are finite, a credit note's quantities never positive, its period ordered
// when nothing was refused.
#include "cards/efactura.h"

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
    const InvoiceRead read = readInvoice(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!read.fileOk())
        return 0;
    const EInvoice &inv = read.invoice;
    if (!std::isfinite(inv.litres()) || !std::isfinite(inv.payable))
        broken("a figure that is no number");
    for (const InvoiceLine &l : inv.lines)
        if (inv.creditNote && l.quantity > 0)
            broken("a credit note's quantity counted positive");
    if (read.refused.isEmpty() && (!inv.issued.isValid() || inv.periodTo < inv.periodFrom))
        broken("an invoice taken without its date or with its period reversed");
    return 0;
}
