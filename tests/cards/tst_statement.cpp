// Card statements read through a mapping: the program's own format, other
// suppliers' layouts (semicolons, decimal commas, Windows-1250, BOM, several
// header lines, other date forms), and rows and files that are refused.
#include "cards/statement.h"

#include <QtTest>

using namespace vok::cards;

namespace {

// A supplier's layout: semicolons, decimal comma, Windows-1250, two header
// lines, yyyy-mm-dd dates with the time in the same column.
CardFormat semicolonFormat()
{
    CardFormat f;
    f.name = QStringLiteral("statia");
    f.encoding = QStringLiteral("Windows-1250");
    f.delimiter = u';';
    f.decimal = u',';
    f.dateFormat = QStringLiteral("yyyy-mm-dd");
    f.headerRows = 2;
    f.plate = 1, f.card = 2, f.date = 3, f.product = 4, f.litres = 5, f.amount = 6;
    return f;
}

QString summary(const StatementRead &read)
{
    QStringList parts;
    for (const CardTransaction &t : read.transactions)
        parts << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                     .arg(t.card, t.plate, t.date.toString(QStringLiteral("dd.MM.yyyy")),
                          t.time.isValid() ? t.time.toString(QStringLiteral("HH:mm")) : QStringLiteral("-"), t.product)
                     .arg(t.litres, 0, 'f', 2)
                     .arg(t.price, 0, 'f', 2)
                     .arg(t.amount, 0, 'f', 2)
                     .arg(t.station);
    for (const RefusedRow &r : read.refused)
        parts << QStringLiteral("refused %1").arg(r.line);
    if (!read.fileOk())
        parts << QStringLiteral("file: ") + read.error;
    return parts.join(u'\n');
}

} // namespace

class StatementTest : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void mappingProblems_data();
    void mappingProblems();
    void preview();
};

void StatementTest::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("layout"); // 0: vok, 1: semicolons
    QTest::addColumn<QString>("expected");

    const QByteArray header = vokHeader() + "\r\n";
    QTest::newRow("vok: one row")
        << header + "7001,B 01 ABC,03.11.2026,08:15,MOTORINA,40.50,7.20,291.60,OMV Unirii\r\n" << 0
        << QStringLiteral("7001|B 01 ABC|03.11.2026|08:15|MOTORINA|40.50|7.20|291.60|OMV Unirii");
    QTest::newRow("vok: BOM, LF, quoted station, last line unended, reversal")
        << "\xEF\xBB\xBF" + vokHeader() + "\n7001,,3.11.2026,8:05,MOTORINA,-40.5,,,\"Rompetrol, km 12\"" << 0
        << QStringLiteral("7001||03.11.2026|08:05|MOTORINA|-40.50|0.00|0.00|Rompetrol, km 12");
    QTest::newRow("vok: blank lines skipped, plate alone")
        << header + "\r\n,B 02 XYZ,04.11.2026,,GPL,10,,,\r\n\r\n" << 0 << QStringLiteral("|B 02 XYZ|04.11.2026|-|GPL|10.00|0.00|0.00|");
    QTest::newRow("vok: bad date, bad number, no card nor plate, bad time")
        << header + "7001,,31.11.2026,08:00,MOTORINA,1,,,\r\n7001,,01.11.2026,08:00,MOTORINA,1.2.3,,,\r\n"
                    ",,01.11.2026,08:00,MOTORINA,1,,,\r\n7001,,01.11.2026,25:00,MOTORINA,1,,,\r\n"
                    "7001,,01.11.2026,08:00,MOTORINA,abc,,,\r\n7001,,01.11.2026,08:00,MOTORINA,1,x,,\r\n"
                    "7001,,01.11.2026,08:00,MOTORINA,nan,,,\r\n7001,,01.11.2026,08:00,MOTORINA,1e3,,,\r\n"
                    "7002,,02.11.2026,08:00,MOTORINA,5,,,\r\n" << 0
        << QStringLiteral("7002||02.11.2026|08:00|MOTORINA|5.00|0.00|0.00|\nrefused 2\nrefused 3\nrefused 4\nrefused 5\n"
                          "refused 6\nrefused 7\nrefused 8\nrefused 9");
    QTest::newRow("vok: a short row lacks its litres") << header + "7001,B1,01.11.2026\r\n" << 0 << QStringLiteral("refused 2");
    QTest::newRow("vok: quote left open") << header + "7001,\"B1,01.11.2026,08:00,M,1,,,\r\n" << 0
                                          << QStringLiteral("file: linia 2: ghilimelele deschise nu sunt inchise");
    QTest::newRow("vok: not UTF-8") << header + "7001,B1,01.11.2026,08:00,Motorin\xE3,1,,,\r\n" << 0
                                    << QStringLiteral("file: fisierul nu este scris in codificarea UTF-8");
    QTest::newRow("vok: header alone") << header << 0 << QString();
    QTest::newRow("vok: no header line, the first transaction would be lost")
        << QByteArray("7001,B 01 ABC,03.11.2026,08:15,MOTORINA,40.50,7.20,291.60,OMV\r\n") << 0
        << QStringLiteral("file: linia 1: nu este antetul formatului vok (card,numar_auto,data,ora,produs,litri,pret,valoare,statie)");

    const QByteArray twoHeaders = "Extras card;;;;;\r\nNr auto;Card;Data;Produs;Cantitate;Valoare\r\n";
    QTest::newRow("semicolons: Windows-1250, decimal comma, thousands, date with time")
        << twoHeaders + "B 01 ABC;7001;2026-11-03 08:15;Motorin\xE3;1.040,50;7.491,60\r\n" << 1
        << QStringLiteral("7001|B 01 ABC|03.11.2026|08:15|Motorin\u0103|1040.50|0.00|7491.60|");
    QTest::newRow("semicolons: a decimal point is no decimal there, nor a thousands' mark")
        << twoHeaders + "B 01 ABC;7001;2026-11-03;GPL;40.5;1\r\nB 01 ABC;7001;2026-11-03;GPL;1.000;1\r\n" << 1
        << QStringLiteral("7001|B 01 ABC|03.11.2026|-|GPL|1000.00|0.00|1.00|\nrefused 3");
    QTest::newRow("semicolons: day-first date refused")
        << twoHeaders + "B 01 ABC;7001;03.11.2026;GPL;40,5;1\r\n" << 1 << QStringLiteral("refused 3");
}

void StatementTest::read()
{
    QFETCH(QByteArray, file);
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QCOMPARE(summary(readStatement(file, layout == 0 ? vokFormat() : semicolonFormat())), expected);
}

void StatementTest::mappingProblems_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("refused");
    for (int change = 0; change < 8; ++change)
        QTest::addRow("change %d", change) << change << (change != 0);
}

void StatementTest::mappingProblems()
{
    QFETCH(int, change);
    QFETCH(bool, refused);
    CardFormat f = vokFormat();
    switch (change) {
    case 1: f.litres = 0; break;
    case 2: f.date = 0; break;
    case 3: f.card = 0, f.plate = 0; break;
    case 4: f.encoding = QStringLiteral("KOI8-R"); break;
    case 5: f.decimal = u','; break; // the same as the delimiter
    case 6: f.dateFormat = QStringLiteral("dd.yyyy"); break;
    case 7: f.name.clear(); break;
    default: break;
    }
    QCOMPARE(!f.problem().isEmpty(), refused);
    const StatementRead read = readStatement(vokHeader() + "\n7001,B1,01.11.2026,08:00,M,1,,,\n", f);
    QCOMPARE(!read.fileOk(), refused);
}

void StatementTest::preview()
{
    const QByteArray file = vokHeader() + "\n1,2\n3,4\n5,6\n";
    QString error;
    const QList<QStringList> rows = previewRows(file, vokFormat(), 3, &error);
    QVERIFY(error.isEmpty());
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).size(), 9);
    QCOMPARE(rows.at(2), (QStringList{QStringLiteral("3"), QStringLiteral("4")}));
    CardFormat semicolons = vokFormat();
    semicolons.delimiter = u';';
    QCOMPARE(previewRows(file, semicolons, 1, &error).at(0).size(), 1);
}

QTEST_GUILESS_MAIN(StatementTest)
#include "tst_statement.moc"
