// The fuel cards' command-line modes on a data folder: what each prints and
// exits with, and what it stores (nothing of a refused file; one journal row
// per import; a file never twice).
#include "cards/cardcli.h"
#include "cards/efactura.h"
#include "testenvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;
using namespace vok::test;

// Runs on SQLite only: the modes open the data folder's vok.db.
class CardCliTest : public QObject {
    Q_OBJECT
private slots:
    void importCard_data();
    void importCard();
    void invoiceAndMonth();
};

void CardCliTest::importCard_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("acceptPartial");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("errLine"); // a piece of stderr
    QTest::addColumn<int>("stored");
    const QByteArray header = "card,numar_auto,data,ora,produs,litri,pret,valoare,statie\n";
    QTest::newRow("imported") << header + "C1,B1,05.03.2024,09:00,MOTORINA,45,,,\n" << QString() << false << 0
                              << QStringLiteral("importate 1\n") << QString() << 1;
    QTest::newRow("bad row: nothing stored")
        << header + "C1,B1,05.03.2024,09:00,MOTORINA,45,,,\nC1,B1,05.13.2024,09:00,MOTORINA,4,,,\n" << QString() << false << 1
        << QString() << QStringLiteral("linia 3: data") << 0;
    QTest::newRow("bad row accepted")
        << header + "C1,B1,05.03.2024,09:00,MOTORINA,45,,,\n,,05.03.2024,09:00,MOTORINA,4,,,\n" << QString() << true << 0
        << QStringLiteral("importate 1\n") << QStringLiteral("linia 3: nici card") << 1;
    QTest::newRow("broken file") << header + "C1,\"B1,05.03.2024\n" << QString() << true << 1 << QString()
                                 << QStringLiteral("ghilimelele") << 0;
    QTest::newRow("unknown mapping") << header << QStringLiteral("altul") << false << 2 << QString()
                                     << QStringLiteral("formatul de extras \"altul\" nu exista") << 0;
    QTest::newRow("no transaction") << header << QString() << false << 1 << QString() << QStringLiteral("nicio tranzactie") << 0;
}

void CardCliTest::importCard()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, format);
    QFETCH(bool, acceptPartial);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, errLine);
    QFETCH(int, stored);
    TestEnvironment env;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("extras.csv"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    cards::CardCommand command;
    command.dataDir = env.dataDir();
    command.file = path;
    command.formatName = format;
    command.acceptPartial = acceptPartial;
    QString output, errors;
    QTextStream o(&output), e(&errors);
    QCOMPARE(cards::runImportCard(command, o, e), code);
    QCOMPARE(output, out);
    QVERIFY2(errLine.isEmpty() ? errors.isEmpty() : errors.contains(errLine), qPrintable(errors));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM tranzactii")).toInt(), stored);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE tabela='importcard'")).toInt(), stored ? 1 : 0);
    if (code == 0) {
        // The same bytes again: refused, nothing more stored.
        output.clear();
        errors.clear();
        QCOMPARE(cards::runImportCard(command, o, e), 1);
        QVERIFY(errors.contains(QStringLiteral("deja importat")));
        QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM tranzactii")).toInt(), stored);
    }
}

void CardCliTest::invoiceAndMonth()
{
    TestEnvironment env;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.xml"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(cards::withUblNamespaces("<Invoice xmlns=\"@Invoice-2\" "
            "xmlns:cac=\"@CommonAggregateComponents-2\" "
            "xmlns:cbc=\"@CommonBasicComponents-2\">"
            "<cbc:ID>F1</cbc:ID><cbc:IssueDate>2024-04-02</cbc:IssueDate>"
            "<cac:InvoicePeriod><cbc:StartDate>2024-03-01</cbc:StartDate><cbc:EndDate>2024-03-31</cbc:EndDate></cac:InvoicePeriod>"
            "<cac:AccountingSupplierParty><cac:Party><cac:PartyName><cbc:Name>Petrol</cbc:Name></cac:PartyName></cac:Party>"
            "</cac:AccountingSupplierParty><cac:InvoiceLine><cbc:InvoicedQuantity unitCode=\"LTR\">30</cbc:InvoicedQuantity>"
            "<cac:Item><cbc:Name>MOTORINA</cbc:Name></cac:Item></cac:InvoiceLine></Invoice>"));
    f.close();
    cards::CardCommand command;
    command.dataDir = env.dataDir();
    command.file = path;
    QString output, errors;
    QTextStream o(&output), e(&errors);
    QCOMPARE(cards::runImportInvoice(command, o, e), 0);
    QCOMPARE(output, QStringLiteral("importate 1\n"));
    QCOMPARE(cards::runImportInvoice(command, o, e), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM facturilinii")).toInt(), 1);
    // The invoice's 30 l against no statement of its supplier.
    output.clear();
    command.month = QStringLiteral("2024-03");
    QCOMPARE(cards::runReconcile(command, o, e), 1);
    QCOMPARE(output, QStringLiteral("\t\t02.04.2024\tinvoice-difference\tinvoice:F1 litres:30.00 statements:0.00\n"));
    output.clear();
    command.month = QStringLiteral("2024-02");
    QCOMPARE(cards::runReconcile(command, o, e), 0);
    QVERIFY(output.isEmpty());
    for (const char *bad : {"2024-13", "24-03", "2024/03", ""}) {
        command.month = QString::fromLatin1(bad);
        QCOMPARE(cards::runReconcile(command, o, e), 2);
    }
    command.dataDir = dir.filePath(QStringLiteral("none"));
    command.month = QStringLiteral("2024-03");
    QCOMPARE(cards::runReconcile(command, o, e), 2);
}

QTEST_GUILESS_MAIN(CardCliTest)
#include "tst_cardcli.moc"
