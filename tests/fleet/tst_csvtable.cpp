#include "fleet/csvtable.h"

#include <QtTest>

using namespace vok;

class CsvTableTest : public QObject {
    Q_OBJECT
private slots:
    void readsRecords_data();
    void readsRecords();
    void brokenFiles_data();
    void brokenFiles();
    void writtenFieldsReadBack();
};

void CsvTableTest::readsRecords_data()
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

void CsvTableTest::readsRecords()
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

void CsvTableTest::brokenFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("line");
    QTest::newRow("quote left open") << QByteArray("a,b\n1,2\n\"3,4\n5,6\n") << 3;
    QTest::newRow("text after closing quote") << QByteArray("a,b\n\"1\"x,2\n") << 2;
    QTest::newRow("quote inside plain field") << QByteArray("a,b\n1,2\n3,4\"5\n") << 3;
    QTest::newRow("not utf-8") << QByteArray("a,b\n1,2\nAutoc\xE3mioane,3\n") << 3;
    QTest::newRow("cut multibyte at end") << QByteArray("a\n\xC4") << 2;
}

void CsvTableTest::brokenFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(int, line);
    const csv::ParseResult result = csv::parse(data);
    QVERIFY(!result.ok());
    QCOMPARE(result.errorLine, line);
    QVERIFY(!result.error.isEmpty());
}

void CsvTableTest::writtenFieldsReadBack()
{
    const QStringList header{QStringLiteral("a"), QStringLiteral("b")};
    const QList<QStringList> rows{{QStringLiteral("x, y"), QStringLiteral("say \"hi\"")},
                                  {QStringLiteral(" padded "), QStringLiteral("two\r\nlines")},
                                  {QString(), QStringLiteral("1.5")}};
    const QByteArray data = csv::write(header, rows);
    QVERIFY(data.startsWith("a,b\n"));
    const csv::ParseResult result = csv::parse(data);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.records.size(), 4);
    for (qsizetype i = 0; i < rows.size(); ++i)
        QCOMPARE(result.records.at(i + 1).fields, rows.at(i));
}

QTEST_GUILESS_MAIN(CsvTableTest)
#include "tst_csvtable.moc"
