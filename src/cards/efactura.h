#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

// A supplier's e-invoice (UBL 2.1 Invoice or CreditNote, as e-Factura and
// EN 16931 write it), read with Qt's stream reader. Elements are matched by
// their namespace, never by the prefix a file happens to use. Pure.
namespace vok::cards {

struct InvoiceLine {
    int number = 0;         // its place on the invoice, from 1
    int line = 0;           // the file's line on which it starts
    QString name;           // cac:Item/cbc:Name
    double quantity = 0;    // negative on a credit note
    QString unit;           // the quantity's unitCode (LTR: litres)
    double price = 0;       // cac:Price/cbc:PriceAmount
    double amount = 0;      // cbc:LineExtensionAmount, negative on a credit note
    QString notes;          // its cbc:Note, one a line

    bool isLitres() const { return unit.compare(QLatin1String("LTR"), Qt::CaseInsensitive) == 0; }
};

struct EInvoice {
    bool creditNote = false;
    QString number;          // cbc:ID
    QDate issued;            // cbc:IssueDate
    QDate periodFrom, periodTo; // cac:InvoicePeriod, else the issue date's month
    QString supplier;        // party name, else legal registration name
    QString currency;        // cbc:DocumentCurrencyCode
    double taxExclusive = 0, taxInclusive = 0, payable = 0; // cac:LegalMonetaryTotal
    QList<InvoiceLine> lines;

    // The litres of its LTR lines (negative on a credit note).
    double litres() const;
};

struct InvoiceRefusal {
    int line = 0;
    QString reason;
};

struct InvoiceRead {
    EInvoice invoice;
    QList<InvoiceRefusal> refused; // lines (or header fields) that could not be read
    QString error;                 // the file is no invoice at all

    bool fileOk() const { return error.isEmpty(); }
};

InvoiceRead readInvoice(const QByteArray &data);

// The namespace of a UBL 2.1 document or component library by its name
// ("Invoice-2", "CommonBasicComponents-2").
QString ublNamespace(const QString &name);
// An invoice written with its namespaces as ="@NAME" (xmlns="@Invoice-2"),
// with each of them spelled out.
QByteArray withUblNamespaces(QByteArray xml);

} // namespace vok::cards
