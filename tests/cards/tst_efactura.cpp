// E-invoices read from UBL 2.1: the real-format EN 16931 examples (skipped
// when the sample folder is absent), a fuel invoice written with other
// prefixes, credit notes, and files that are refused.
#include "cards/efactura.h"

#include <QtTest>

using namespace vok::cards;

namespace {

QString fixtures()
{
    for (const char *candidate : {"/work/shared/fixtures/ubl", "../shared/fixtures/ubl", "../../shared/fixtures/ubl"})
        if (QFileInfo::exists(QString::fromLatin1(candidate) + QStringLiteral("/ubl-tc434-example1.xml")))
            return QString::fromLatin1(candidate);
    return qEnvironmentVariable("VOK_UBL_FIXTURES");
}

// A Romanian fuel invoice whose prefixes are not the usual ones: the reader
// must go by the namespaces.
QByteArray fuelInvoice(const QByteArray &quantity = "100.50", const QByteArray &period = "")
{
    return withUblNamespaces("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<ubl:Invoice xmlns:ubl=\"@Invoice-2\"\n"
           " xmlns:a=\"@CommonAggregateComponents-2\"\n"
           " xmlns:b=\"@CommonBasicComponents-2\">\n"
           "<b:ID>PTR 0042</b:ID>\n<b:IssueDate>2026-12-02</b:IssueDate>\n<b:DocumentCurrencyCode>RON</b:DocumentCurrencyCode>\n"
           + period +
           "<a:AccountingSupplierParty><a:Party><a:PartyLegalEntity><b:RegistrationName>Petrol S.A.</b:RegistrationName>"
           "</a:PartyLegalEntity></a:Party></a:AccountingSupplierParty>\n"
           "<a:AccountingCustomerParty><a:Party><a:PartyName><b:Name>Client SRL</b:Name></a:PartyName></a:Party>"
           "</a:AccountingCustomerParty>\n"
           "<a:LegalMonetaryTotal><b:TaxExclusiveAmount currencyID=\"RON\">760.00</b:TaxExclusiveAmount>"
           "<b:TaxInclusiveAmount currencyID=\"RON\">904.40</b:TaxInclusiveAmount>"
           "<b:PayableAmount currencyID=\"RON\">904.40</b:PayableAmount></a:LegalMonetaryTotal>\n"
           "<a:InvoiceLine><b:ID>1</b:ID><b:Note>card 7001</b:Note><b:InvoicedQuantity unitCode=\"LTR\">" + quantity +
           "</b:InvoicedQuantity>\n<b:LineExtensionAmount currencyID=\"RON\">723.60</b:LineExtensionAmount>"
           "<a:Item><b:Name>MOTORINA</b:Name></a:Item><a:Price><b:PriceAmount currencyID=\"RON\">7.20</b:PriceAmount></a:Price>"
           "</a:InvoiceLine>\n"
           "<a:InvoiceLine><b:ID>2</b:ID><b:InvoicedQuantity unitCode=\"H87\">2</b:InvoicedQuantity>"
           "<b:LineExtensionAmount currencyID=\"RON\">36.40</b:LineExtensionAmount>"
           "<a:Item><b:Name>SPALARE</b:Name></a:Item><a:Price><b:PriceAmount currencyID=\"RON\">18.20</b:PriceAmount></a:Price>"
           "</a:InvoiceLine>\n</ubl:Invoice>\n");
}

QString summary(const InvoiceRead &read)
{
    if (!read.fileOk())
        return QStringLiteral("error");
    const EInvoice &inv = read.invoice;
    QStringList lines{QStringLiteral("%1 %2 %3 %4..%5 [%6] %7 payable:%8 litres:%9")
                          .arg(inv.creditNote ? QStringLiteral("CreditNote") : QStringLiteral("Invoice"), inv.number,
                               inv.issued.toString(Qt::ISODate), inv.periodFrom.toString(Qt::ISODate),
                               inv.periodTo.toString(Qt::ISODate), inv.supplier, inv.currency)
                          .arg(inv.payable, 0, 'f', 2)
                          .arg(inv.litres(), 0, 'f', 2)};
    lines << QStringLiteral("lines:%1").arg(inv.lines.size());
    if (!inv.lines.isEmpty()) {
        const InvoiceLine &l = inv.lines.first();
        lines << QStringLiteral("first: %1 %2 %3 price:%4 amount:%5 notes:%6")
                     .arg(l.name)
                     .arg(l.quantity, 0, 'f', 2)
                     .arg(l.unit)
                     .arg(l.price, 0, 'f', 2)
                     .arg(l.amount, 0, 'f', 2)
                     .arg(l.notes);
    }
    for (const InvoiceRefusal &r : read.refused)
        lines << QStringLiteral("refused %1").arg(r.line);
    return lines.join(u'\n');
}

} // namespace

class EInvoiceTest : public QObject {
    Q_OBJECT

private slots:
    void examples_data();
    void examples();
    void written_data();
    void written();
};

void EInvoiceTest::examples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("invoice without period, legal name only")
        << QStringLiteral("ubl-tc434-example1.xml")
        << QStringLiteral("Invoice 12115118 2015-01-09 2015-01-01..2015-01-31 [De Koksmaat] EUR payable:250.33 litres:0.00\n"
                          "lines:20\nfirst: PATAT FRITES 10MM 10KG 2.00 EA price:9.95 amount:19.90 notes:");
    QTest::newRow("credit note: quantities negative")
        << QStringLiteral("ubl-tc434-creditnote1.xml")
        << QStringLiteral("CreditNote 018304 / 28865 2019-09-23 2019-02-01..2019-02-28 [My Supplier Company N.V.] EUR "
                          "payable:100.11 litres:0.00\nlines:1\nfirst: Exon\u00e9ration du versement du PP -1.00 C62 "
                          "price:100.11 amount:-100.11 notes:");
    QTest::newRow("period and line notes")
        << QStringLiteral("ubl-tc434-example5.xml")
        << QStringLiteral("Invoice TOSL110 2013-04-10 2013-03-10..2013-04-10 [SelCo] DKK payable:2337.50 litres:0.00\n"
                          "lines:3\nfirst: Printing paper 1000.00 EA price:1.00 amount:1000.00 notes:first line");
}

void EInvoiceTest::examples()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    const QString dir = fixtures();
    if (dir.isEmpty())
        QSKIP("the EN 16931 UBL examples are not here (../shared/fixtures/ubl)");
    QFile f(dir + u'/' + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(summary(readInvoice(f.readAll())), expected);
}

void EInvoiceTest::written_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("fuel invoice, other prefixes: only LTR lines are litres")
        << fuelInvoice()
        << QStringLiteral("Invoice PTR 0042 2026-12-02 2026-12-01..2026-12-31 [Petrol S.A.] RON payable:904.40 litres:100.50\n"
                          "lines:2\nfirst: MOTORINA 100.50 LTR price:7.20 amount:723.60 notes:card 7001");
    QTest::newRow("period given")
        << fuelInvoice("100.50", "<a:InvoicePeriod><b:StartDate>2026-11-01</b:StartDate><b:EndDate>2026-11-30</b:EndDate></a:InvoicePeriod>\n")
        << QStringLiteral("Invoice PTR 0042 2026-12-02 2026-11-01..2026-11-30 [Petrol S.A.] RON payable:904.40 litres:100.50\n"
                          "lines:2\nfirst: MOTORINA 100.50 LTR price:7.20 amount:723.60 notes:card 7001");
    QByteArray credit = fuelInvoice();
    credit.replace("ubl:Invoice", "ubl:CreditNote").replace("Invoice-2", "CreditNote-2").replace("InvoiceLine", "CreditNoteLine")
        .replace("InvoicedQuantity", "CreditedQuantity");
    QTest::newRow("credit note: litres negative")
        << credit
        << QStringLiteral("CreditNote PTR 0042 2026-12-02 2026-12-01..2026-12-31 [Petrol S.A.] RON payable:904.40 litres:-100.50\n"
                          "lines:2\nfirst: MOTORINA -100.50 LTR price:7.20 amount:-723.60 notes:card 7001");
    QTest::newRow("bad quantity: its line refused") << fuelInvoice("1O0")
        << QStringLiteral("Invoice PTR 0042 2026-12-02 2026-12-01..2026-12-31 [Petrol S.A.] RON payable:904.40 litres:0.00\n"
                          "lines:2\nfirst: MOTORINA 0.00 LTR price:7.20 amount:723.60 notes:card 7001\nrefused 11");
    QByteArray wrongNs = fuelInvoice();
    wrongNs.replace("xmlns:b=\"" + ublNamespace(QStringLiteral("CommonBasicComponents-2")).toUtf8() + '"', "xmlns:b=\"urn:other\"");
    QTest::newRow("cbc prefix bound to another namespace: nothing read")
        << wrongNs << QStringLiteral("Invoice   .. []  payable:0.00 litres:0.00\nlines:2\nfirst:  0.00  price:0.00 amount:0.00 notes:\n"
                                     "refused 0\nrefused 0\nrefused 0");
    QByteArray order = fuelInvoice();
    order.replace("ubl:Invoice", "ubl:Order");
    QTest::newRow("not an invoice") << order << QStringLiteral("error");
    QTest::newRow("cut short") << fuelInvoice().left(700) << QStringLiteral("error");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("error");
    QTest::newRow("entities refused")
        << withUblNamespaces("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaa\">]>"
                             "<Invoice xmlns=\"@Invoice-2\">&a;</Invoice>")
        << QStringLiteral("error");
}

void EInvoiceTest::written()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    QCOMPARE(summary(readInvoice(file)), expected);
}

QTEST_GUILESS_MAIN(EInvoiceTest)
#include "tst_efactura.moc"
