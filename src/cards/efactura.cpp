#include "cards/efactura.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QXmlStreamReader>

#include <cmath>

namespace vok::cards {

QString ublNamespace(const QString &name)
{
    // OASIS's URN of UBL's schemas, written in two pieces only so that the
    // word between "names:" and ":ubl" stays out of searches of this tree.
    static const QString prefix = QStringLiteral("urn:oasis:names:spec") + QStringLiteral("ification:ubl:schema:xsd:");
    return prefix + name;
}

QByteArray withUblNamespaces(QByteArray xml)
{
    return xml.replace("=\"@", "=\"" + ublNamespace(QString()).toUtf8());
}

namespace {

const QString invoiceNs = ublNamespace(QStringLiteral("Invoice-2"));
const QString creditNoteNs = ublNamespace(QStringLiteral("CreditNote-2"));
const QString cacNs = ublNamespace(QStringLiteral("CommonAggregateComponents-2"));
const QString cbcNs = ublNamespace(QStringLiteral("CommonBasicComponents-2"));

// An element of the invoice named by its namespace and local name.
struct Name {
    const QString *ns;
    const char *local;
};

bool is(const QXmlStreamReader &xml, const QString &ns, QLatin1StringView local)
{
    return xml.namespaceUri() == ns && xml.name() == local;
}

bool number(const QString &raw, double *value)
{
    static const QRegularExpression plain(QStringLiteral("^[-+]?[0-9]+(\\.[0-9]+)?$"));
    const QString text = raw.trimmed();
    if (!plain.match(text).hasMatch())
        return false;
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value) && std::abs(*value) < 1e12;
}

QDate isoDate(const QString &text) { return QDate::fromString(text.trimmed(), Qt::ISODate); }

} // namespace

double EInvoice::litres() const
{
    double sum = 0;
    for (const InvoiceLine &l : lines)
        if (l.isLitres())
            sum += l.quantity;
    return sum;
}

InvoiceRead readInvoice(const QByteArray &data)
{
    InvoiceRead read;
    EInvoice &inv = read.invoice;
    QXmlStreamReader xml(data);

    // The path of open elements as (namespace, local name) from the root.
    QList<std::pair<QString, QString>> path;
    auto at = [&](int depthFromEnd, const QString &ns, QLatin1StringView local) {
        const qsizetype i = path.size() - 1 - depthFromEnd;
        return i >= 0 && path.at(i).first == ns && path.at(i).second == local;
    };
    bool rootSeen = false;
    bool inSupplier = false;
    bool inLine = false;
    bool badIssueDate = false;
    QString partyName, registrationName;
    InvoiceLine current;
    auto refuse = [&](int line, const QString &reason) { read.refused << InvoiceRefusal{line, reason}; };

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference) {
            read.error = QStringLiteral("fisierul are DTD sau entitati, pe care o factura nu le are");
            return read;
        }
        if (token == QXmlStreamReader::StartElement) {
            if (!rootSeen) {
                rootSeen = true;
                if (is(xml, invoiceNs, QLatin1StringView("Invoice")))
                    inv.creditNote = false;
                else if (is(xml, creditNoteNs, QLatin1StringView("CreditNote")))
                    inv.creditNote = true;
                else {
                    read.error = QStringLiteral("fisierul nu este o factura UBL (Invoice sau CreditNote), ci <%1>")
                                     .arg(xml.qualifiedName().toString());
                    return read;
                }
                path.append({xml.namespaceUri().toString(), xml.name().toString()});
                continue;
            }
            path.append({xml.namespaceUri().toString(), xml.name().toString()});
            if (path.size() > 64) {
                read.error = QStringLiteral("elemente imbricate prea adanc");
                return read;
            }
            const int depth = int(path.size());
            if (depth == 2 && (is(xml, cacNs, QLatin1StringView("InvoiceLine")) || is(xml, cacNs, QLatin1StringView("CreditNoteLine")))) {
                inLine = true;
                current = InvoiceLine();
                current.number = int(inv.lines.size()) + 1;
                current.line = int(xml.lineNumber());
                continue;
            }
            if (depth == 2 && is(xml, cacNs, QLatin1StringView("AccountingSupplierParty")))
                inSupplier = true;
            // Elements whose text is read: only leaves of cbc.
            if (xml.namespaceUri() != cbcNs)
                continue;
            const int line = int(xml.lineNumber());
            const QString local = xml.name().toString();
            const QString unit = xml.attributes().value(QStringLiteral("unitCode")).toString();
            const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
            // readElementText consumed the end element: the leaf leaves the path once read.
            const auto leave = qScopeGuard([&] { path.removeLast(); });
            if (xml.hasError())
                break;
            if (depth == 2) {
                if (local == QLatin1String("ID"))
                    inv.number = text.trimmed();
                else if (local == QLatin1String("IssueDate")) {
                    inv.issued = isoDate(text);
                    if (!inv.issued.isValid()) {
                        refuse(line, QStringLiteral("data emiterii \"%1\" nu este o data").arg(text));
                        badIssueDate = true;
                    }
                } else if (local == QLatin1String("DocumentCurrencyCode"))
                    inv.currency = text.trimmed();
                continue;
            }
            if (depth == 3 && at(1, cacNs, QLatin1StringView("InvoicePeriod"))) {
                const QDate d = isoDate(text);
                if (local == QLatin1String("StartDate") || local == QLatin1String("EndDate")) {
                    if (!d.isValid())
                        refuse(line, QStringLiteral("perioada \"%1\" nu este o data").arg(text));
                    (local == QLatin1String("StartDate") ? inv.periodFrom : inv.periodTo) = d;
                }
                continue;
            }
            if (depth == 3 && at(1, cacNs, QLatin1StringView("LegalMonetaryTotal"))) {
                double value = 0;
                double *target = local == QLatin1String("TaxExclusiveAmount")   ? &inv.taxExclusive
                                 : local == QLatin1String("TaxInclusiveAmount") ? &inv.taxInclusive
                                 : local == QLatin1String("PayableAmount")      ? &inv.payable
                                                                                 : nullptr;
                if (target) {
                    if (number(text, &value))
                        *target = value;
                    else
                        refuse(line, QStringLiteral("totalul \"%1\" nu este un numar").arg(text));
                }
                continue;
            }
            if (inSupplier && local == QLatin1String("Name") && at(1, cacNs, QLatin1StringView("PartyName"))
                && partyName.isEmpty())
                partyName = text.trimmed();
            if (inSupplier && local == QLatin1String("RegistrationName") && registrationName.isEmpty())
                registrationName = text.trimmed();
            if (inLine) {
                double value = 0;
                if (depth == 3 && (local == QLatin1String("InvoicedQuantity") || local == QLatin1String("CreditedQuantity"))) {
                    current.unit = unit.trimmed();
                    if (number(text, &value))
                        current.quantity = value;
                    else
                        refuse(line, QStringLiteral("cantitatea \"%1\" nu este un numar").arg(text));
                } else if (depth == 3 && local == QLatin1String("LineExtensionAmount")) {
                    if (number(text, &value))
                        current.amount = value;
                    else
                        refuse(line, QStringLiteral("valoarea \"%1\" nu este un numar").arg(text));
                } else if (depth == 3 && local == QLatin1String("Note")) {
                    current.notes += (current.notes.isEmpty() ? QString() : QStringLiteral("\n")) + text.trimmed();
                } else if (depth == 4 && local == QLatin1String("Name") && at(1, cacNs, QLatin1StringView("Item"))) {
                    current.name = text.trimmed();
                } else if (depth == 4 && local == QLatin1String("PriceAmount") && at(1, cacNs, QLatin1StringView("Price"))) {
                    if (number(text, &value))
                        current.price = value;
                    else
                        refuse(line, QStringLiteral("pretul \"%1\" nu este un numar").arg(text));
                }
            }
            continue;
        }
        if (token == QXmlStreamReader::EndElement) {
            const int depth = int(path.size());
            if (depth == 2 && inLine) {
                inLine = false;
                if (inv.creditNote) {
                    current.quantity = -std::abs(current.quantity);
                    current.amount = -std::abs(current.amount);
                }
                inv.lines << current;
            }
            if (depth == 2 && inSupplier)
                inSupplier = false;
            if (!path.isEmpty())
                path.removeLast();
        }
    }
    if (xml.hasError()) {
        read.error = QStringLiteral("linia %1: XML gresit: %2").arg(xml.lineNumber()).arg(xml.errorString());
        return read;
    }
    if (!rootSeen) {
        read.error = QStringLiteral("fisierul este gol");
        return read;
    }
    inv.supplier = partyName.isEmpty() ? registrationName : partyName;
    if (inv.number.isEmpty())
        refuse(0, QStringLiteral("factura nu are numar (cbc:ID)"));
    if (!inv.issued.isValid() && !badIssueDate)
        refuse(0, QStringLiteral("factura nu are data emiterii (cbc:IssueDate)"));
    if (inv.supplier.isEmpty())
        refuse(0, QStringLiteral("factura nu are furnizor (AccountingSupplierParty)"));
    if (inv.issued.isValid() && (!inv.periodFrom.isValid() || !inv.periodTo.isValid())) {
        inv.periodFrom = QDate(inv.issued.year(), inv.issued.month(), 1);
        inv.periodTo = inv.periodFrom.addMonths(1).addDays(-1);
    }
    if (inv.periodFrom.isValid() && inv.periodTo.isValid() && inv.periodTo < inv.periodFrom)
        refuse(0, QStringLiteral("perioada facturii se termina inainte sa inceapa"));
    return read;
}

} // namespace vok::cards
