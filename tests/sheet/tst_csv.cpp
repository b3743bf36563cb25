#include "sheet/csv.h"

#include <QtTest>

using namespace vok;

class CsvTest : public QObject {
    Q_OBJECT
private slots:
    void readsRecords_data();
    void readsRecords();
    void brokenFiles_data();
    void brokenFiles();
    void writtenFieldsReadBack();
    void writtenLines_data();
    void writtenLines();
    void guardedTextsReadBack_data();
    void guardedTextsReadBack();
};

void CsvTest::readsRecords_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<QStringList>>("records");
    QTest::addColumn<QList<int>>("lines");
    auto l = [](std::initializer_list<const char *> fields) {
        QStringList out;
        for (const char *f : fields)
            out << QString::fromUtf8(f);
        return out;
    };
    QTest::newRow("plain") << QByteArray("a,b\n1,2\n") << QList<QStringList>{l({"a", "b"}), l({"1", "2"})}
                           << QList<int>{1, 2};
    QTest::newRow("no last line end") << QByteArray("a,b\n1,2") << QList<QStringList>{l({"a", "b"}), l({"1", "2"})}
                                      << QList<int>{1, 2};
    QTest::newRow("crlf and bom") << QByteArray("\xEF\xBB\xBF" "a,b\r\n1,2\r\n")
                                  << QList<QStringList>{l({"a", "b"}), l({"1", "2"})} << QList<int>{1, 2};
    QTest::newRow("empty fields") << QByteArray("a,b,c\n,,\n") << QList<QStringList>{l({"a", "b", "c"}), l({"", "", ""})}
                                  << QList<int>{1, 2};
    QTest::newRow("quoted comma, quote, line break")
        << QByteArray("a,b\n\"x, y\",\"he said \"\"no\"\"\"\n\"two\nlines\",3\nz,4\n")
        << QList<QStringList>{l({"a", "b"}), l({"x, y", "he said \"no\""}), l({"two\nlines", "3"}), l({"z", "4"})}
        << QList<int>{1, 2, 3, 5};
    QTest::newRow("blank lines skipped") << QByteArray("a\n\n1\n\r\n2\n") << QList<QStringList>{l({"a"}), l({"1"}), l({"2"})}
                                         << QList<int>{1, 3, 5};
    QTest::newRow("utf-8 text") << QByteArray("autom\nAutoc\xC4\x83mioane\n")
                                << QList<QStringList>{l({"autom"}), l({"Autoc\xC4\x83mioane"})} << QList<int>{1, 2};
}

void CsvTest::readsRecords()
{
    QFETCH(QByteArray, data);
    QFETCH(QList<QStringList>, records);
    QFETCH(QList<int>, lines);
    const csv::ParseResult result = csv::parse(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.records.size(), records.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        QCOMPARE(result.records.at(i).fields, records.at(i));
        QCOMPARE(result.records.at(i).line, lines.at(i));
    }
}

void CsvTest::brokenFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("line");
    QTest::newRow("quote left open") << QByteArray("a,b\n1,2\n\"3,4\n5,6\n") << 3;
    QTest::newRow("text after closing quote") << QByteArray("a,b\n\"1\"x,2\n") << 2;
    QTest::newRow("quote inside plain field") << QByteArray("a,b\n1,2\n3,4\"5\n") << 3;
    QTest::newRow("not utf-8") << QByteArray("a,b\n1,2\nAutoc\xE3mioane,3\n") << 3;
    QTest::newRow("cut multibyte at end") << QByteArray("a\n\xC4") << 2;
}

void CsvTest::brokenFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(int, line);
    const csv::ParseResult result = csv::parse(data);
    QVERIFY(!result.ok());
    QCOMPARE(result.errorLine, line);
    QVERIFY(!result.error.isEmpty());
}

void CsvTest::writtenFieldsReadBack()
{
    const QStringList header{QStringLiteral("a"), QStringLiteral("b")};
    const QList<QStringList> rows{{QStringLiteral("x, y"), QStringLiteral("say \"hi\"")},
                                  {QStringLiteral(" padded "), QStringLiteral("two\r\nlines")},
                                  {QString(), QStringLiteral("1.5")}};
    const QByteArray data = csv::write(header, rows);
    QVERIFY(data.startsWith("a,b\r\n"));
    const csv::ParseResult result = csv::parse(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.records.size(), 4);
    for (qsizetype i = 0; i < rows.size(); ++i)
        QCOMPARE(result.records.at(i + 1).fields, rows.at(i));
}

void CsvTest::writtenLines_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("figures");
    QTest::addColumn<QByteArray>("line");
    const QList<bool> none;
    // What a spreadsheet would run as a formula is written after an apostrophe.
    QTest::newRow("equals") << QStringList{"=1+1"} << none << QByteArray("'=1+1\r\n");
    QTest::newRow("at") << QStringList{"@SUM(1+1)"} << none << QByteArray("'@SUM(1+1)\r\n");
    QTest::newRow("plus") << QStringList{"+1+1"} << none << QByteArray("'+1+1\r\n");
    QTest::newRow("minus text") << QStringList{"-2+3 km"} << none << QByteArray("'-2+3 km\r\n");
    QTest::newRow("lone dash") << QStringList{"-"} << none << QByteArray("'-\r\n");
    QTest::newRow("tab") << QStringList{"\tx"} << none << QByteArray("'\tx\r\n");
    QTest::newRow("carriage return") << QStringList{"\rx"} << none << QByteArray("\"'\rx\"\r\n");
    QTest::newRow("formula with comma") << QStringList{"=HYPERLINK(\"h\",\"x\")"} << none
                                        << QByteArray("\"'=HYPERLINK(\"\"h\"\",\"\"x\"\")\"\r\n");
    QTest::newRow("apostrophe before a formula") << QStringList{"'=1"} << none << QByteArray("''=1\r\n");
    QTest::newRow("apostrophe before a word") << QStringList{"'abc"} << none << QByteArray("'abc\r\n");
    QTest::newRow("formula sign inside") << QStringList{"B-10-ABC", "a=b"} << none << QByteArray("B-10-ABC,a=b\r\n");
    // Figures stay numbers, negative ones included, texts or not.
    QTest::newRow("decimal texts bare") << QStringList{"-6.62", "12", "0.5", "-0"} << none
                                        << QByteArray("-6.62,12,0.5,-0\r\n");
    QTest::newRow("not wholly decimal") << QStringList{"-6.", "-.5", "-6.62.1", "-1e5", "-6,62"} << none
                                        << QByteArray("'-6.,'-.5,'-6.62.1,'-1e5,\"'-6,62\"\r\n");
    QTest::newRow("figure bare") << QStringList{"-6.62", "=x"} << QList<bool>{true, false}
                                 << QByteArray("-6.62,'=x\r\n");
    // Quoting and line ends.
    QTest::newRow("empty fields") << QStringList{"", "", ""} << none << QByteArray(",,\r\n");
    QTest::newRow("comma quote break") << QStringList{"a,b", "say \"hi\"", "two\nlines"} << none
                                       << QByteArray("\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n");
    QTest::newRow("blanks around") << QStringList{" x", "y "} << none << QByteArray("\" x\",\"y \"\r\n");
}

void CsvTest::writtenLines()
{
    QFETCH(QStringList, texts);
    QFETCH(QList<bool>, figures);
    QFETCH(QByteArray, line);
    QList<csv::Field> fields;
    for (qsizetype i = 0; i < texts.size(); ++i)
        fields.append({texts.at(i), i < figures.size() && figures.at(i)});
    QCOMPARE(csv::line(fields), line);
    if (figures.isEmpty())
        QCOMPARE(csv::line(texts), line);
}

void CsvTest::guardedTextsReadBack_data()
{
    QTest::addColumn<QString>("text");
    for (const char *text : {"=1+1", "'=1+1", "''=1+1", "'", "'x", "-", "-6.62", "'-6.62", "@", "\t", "plain", ""})
        QTest::newRow(text) << QString::fromUtf8(text);
}

void CsvTest::guardedTextsReadBack()
{
    QFETCH(QString, text);
    QCOMPARE(csv::unguarded(csv::guarded(text)), text);
    const csv::ParseResult result = csv::parse(csv::line(QStringList{text, "end"}));
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(csv::unguarded(result.records.value(0).fields.value(0)), text);
}

QTEST_GUILESS_MAIN(CsvTest)
#include "tst_csv.moc"
