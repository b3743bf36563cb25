// Reports as spreadsheets, read back by python3 (zipfile, XML, csv): every
// figure the report prints is a numeric cell of that value, with the report's
// decimals, and the CSV holds the same cells.
#include "reportfixture.h"
#include "sheetreader.h"

#include "reports/reportengine.h"
#include "sheet/spreadsheet.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;

namespace {

const QDate printDate(2024, 4, 15);

ReportRequest request(const QString &file, const QString &selection, const QStringList &sort = {},
                      const QStringList &formulas = {})
{
    ReportRequest r;
    r.reportFile = file;
    r.selection = selection;
    r.sortFields = sort;
    r.formulas = formulas;
    return r;
}

// The figure a printed cell ends with, read from its text alone: the whole
// text is a number, or a label ending in ':' or "nr." is followed by one
// ("Anul: 2024", "Foaia de parcurs nr. 1235"). Other texts that hold digits
// ("FF 1020", "05.03.2024") are texts.
QString figureOf(const QString &text)
{
    static const QRegularExpression labelled(QStringLiteral("^(.*(:|nr\\.))\\s+(-?\\d+(\\.\\d+)?)$"));
    static const QRegularExpression whole(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    const QString t = text.trimmed();
    if (whole.match(t).hasMatch())
        return t;
    const QRegularExpressionMatch m = labelled.match(t);
    return m.hasMatch() ? m.captured(3) : QString();
}

// The figure a number format writes for a value.
QString written(double value, const QString &format)
{
    if (format == u"General")
        return QString::number(value, 'g', 15);
    static const QRegularExpression fixed(QStringLiteral("^#?(0+)(\\.(0+))?$"));
    const QRegularExpressionMatch m = fixed.match(format);
    if (!m.hasMatch())
        return QStringLiteral("?") + format;
    QString s = QString::number(value, 'f', int(m.captured(3).size()));
    const int integerDigits = int(s.indexOf(u'.') < 0 ? s.size() : s.indexOf(u'.')) - (value < 0 ? 1 : 0);
    if (integerDigits < m.captured(1).size())
        s.insert(value < 0 ? 1 : 0, QString(int(m.captured(1).size()) - integerDigits, u'0'));
    return s;
}

struct Figure {
    QString text;
    bool bold;
};

QList<Figure> figuresOf(const ReportDocument &doc)
{
    QList<Figure> figures;
    for (const ReportDocument::Line &line : doc.lines) {
        const bool bold = line.style == ReportDocument::Style::Bold || line.style == ReportDocument::Style::Title
                          || line.style == ReportDocument::Style::Subtitle;
        for (const ReportDocument::Cell &c : line.cells) {
            const QString f = figureOf(c.text);
            if (!f.isEmpty())
                figures.append({f, bold});
        }
    }
    return figures;
}

} // namespace

class ReportSheetTest : public QObject {
    Q_OBJECT
private slots:
    void everyFigureIsANumericCell_data();
    void everyFigureIsANumericCell();
    void captionsAndLabelsReadAsText();
    void commandLineWritesXlsxAndCsv();
};

void ReportSheetTest::everyFigureIsANumericCell_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QStringList>("sort");
    QTest::addColumn<QStringList>("formulas");
    QTest::newRow("rapcalculf") << "rapcalculf.rpt" << "{curse.idf}=1" << QStringList() << QStringList();
    const QString quantities = " and ({foaie.bm}>0 or {foaie.gz}>0 or {foaie.um}>0 or {foaie.ut}>0 or {foaie.ua}>0 or {foaie.restit}>0)";
    QTest::newRow("rapalimluna") << "rapalimluna.rpt" << "{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=1" + quantities
                                 << QStringList() << QStringList();
    QTest::newRow("rapaliman") << "rapaliman.rpt" << "{foaie.anul}=2024 and {foaie.ida}=1" + quantities << QStringList()
                               << QStringList();
    QTest::newRow("rappiese") << "rappiese.rpt" << "{piese.ida}=1" << QStringList() << QStringList();
    QTest::newRow("rapvokluna") << "rapvokluna.rpt" << "{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=1"
                                << QStringList{"+{foaie.nrf}"} << QStringList{"rest=50", "kmef=12000", "kmechiv=13500"};
    QTest::newRow("rapvokan") << "rapvokan.rpt" << "{dateluna.anul}=2024 and {dateluna.ida}=1" << QStringList() << QStringList();
    QTest::newRow("rapvoklunaauto") << "rapvoklunaauto.rpt" << "{dateluna.anul}=2024 and {dateluna.idl}=3 and {auto.rap}=1"
                                    << QStringList() << QStringList();
    QTest::newRow("rapvokanauto") << "rapvokanauto.rpt" << "{dateluna.anul}=2024 and {auto.rap}=1" << QStringList()
                                  << QStringList();
}

void ReportSheetTest::everyFigureIsANumericCell()
{
    QFETCH(QString, file);
    QFETCH(QString, selection);
    QFETCH(QStringList, sort);
    QFETCH(QStringList, formulas);
    test::TestEnvironment env;
    test::insertReportFixture(env);
    const ReportDocument doc = ReportEngine(env.db()).run(request(file, selection, sort, formulas), printDate);
    QTemporaryDir dir;
    const QString xlsx = dir.filePath("raport.xlsx");
    const QString csv = dir.filePath("raport.csv");
    doc.writeXlsx(xlsx);
    doc.writeCsv(csv);
    QString error;
    const QJsonObject book = test::readSheet(xlsx, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QList<QStringList> rows = test::csvRows(test::readSheet(csv, &error));
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const QList<Figure> figures = figuresOf(doc);
    QVERIFY(figures.size() > 3);
    int next = 0;
    for (const QJsonValue &v : book.value("cells").toArray()) {
        const QJsonObject cell = v.toObject();
        const int row = cell.value("row").toInt(), col = cell.value("col").toInt();
        QVERIFY2(row < rows.size() && col < rows[row].size(), "the CSV has every cell of the workbook");
        const QString field = rows[row][col];
        if (cell.value("type").toString() != u"n") {
            QCOMPARE(field, cell.value("value").toString());
            QVERIFY2(figureOf(field).isEmpty() || field.contains(u':') || field.contains(QStringLiteral("nr.")),
                     qPrintable(QStringLiteral("a figure written as text: ") + field));
            continue;
        }
        QVERIFY2(next < figures.size(), qPrintable(QStringLiteral("a number the report does not print: %1").arg(field)));
        const Figure &f = figures[next++];
        const double value = cell.value("value").toDouble();
        const QString where = QStringLiteral("%1 row %2 col %3: figure %4").arg(file).arg(row).arg(col).arg(f.text);
        QVERIFY2(value == f.text.toDouble(), qPrintable(where));
        QVERIFY2(written(value, cell.value("format").toString()) == f.text,
                 qPrintable(where + QStringLiteral(", format ") + cell.value("format").toString()));
        QVERIFY2(cell.value("bold").toBool() == f.bold, qPrintable(where + QStringLiteral(": bold")));
        QCOMPARE(field, f.text);
    }
    QCOMPARE(next, int(figures.size()));

    // Every CSV record has the same number of fields, those of the report's
    // table: a label or a value of the header beside the table would add an
    // empty column to every line.
    for (const QStringList &r : rows)
        QCOMPARE(r.size(), rows.first().size());
    QCOMPARE(rows.first().size(), doc.columnCount);
    // The legend's explanations ("Pe - parcursul ...") stand in one column.
    static const QRegularExpression legend(QStringLiteral("^[A-Z][A-Za-z]* - [a-z]"));
    QSet<int> legendColumns;
    for (const QStringList &r : rows)
        for (int c = 0; c < r.size(); ++c)
            if (legend.match(r[c]).hasMatch())
                legendColumns.insert(c);
    QVERIFY2(legendColumns.size() <= 1, qPrintable(file));
}

void ReportSheetTest::captionsAndLabelsReadAsText()
{
    test::TestEnvironment env;
    test::insertReportFixture(env);
    const ReportDocument doc = ReportEngine(env.db()).run(
        request("rapvokluna.rpt", "{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=1", {"+{foaie.nrf}"},
                {"rest=50", "kmef=12000", "kmechiv=13500"}),
        printDate);
    const sheet::Table t = doc.toTable();
    QStringList texts;
    for (const auto &row : t.rows)
        for (const sheet::Cell &c : row)
            if (c.kind == sheet::Cell::Kind::Text)
                texts.append(c.text);
    // The unit first; captions on one line, hyphenated words joined.
    QCOMPARE(t.rows.first().first().text, QString("SC TRANSPORT AUTO SRL"));
    for (const char *expected : {"FISA ACTIVITATII ZILNICE (V.O.K.)", "Numar inmatriculare:", "B-10-ABC", "martie",
                                 "Km parcursi", "Km cu incarcatura", "Restituiri (litri)", "Benzina, motorina (litri)",
                                 "Rest in rezervor la inceputul lunii (litri):", "Total luna", "05.03.2024", "ulei / filtru",
                                 "DIRECTOR", "Intocmit,", "GEORGESCU ANA"})
        QVERIFY2(texts.contains(QString::fromLatin1(expected)), expected);
    // The totals row is bold from its label to its last figure.
    for (const auto &row : t.rows) {
        if (row.isEmpty() || row.first().text != u"Total luna")
            continue;
        for (const sheet::Cell &c : row)
            QVERIFY(c.kind == sheet::Cell::Kind::Empty || c.bold);
        QCOMPARE(row.first().span, 3); // over "Nr. foaie", "Data" and "Decada"
    }
}

void ReportSheetTest::commandLineWritesXlsxAndCsv()
{
    if (!test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("reads the database files of a data folder");
    const QString program = QStringLiteral(VOK_BINARY_DIR "/vok");
    QVERIFY2(QFileInfo::exists(program), "the program is built (target vok)");
    test::TestEnvironment env;
    test::insertReportFixture(env);
    QTemporaryDir out;
    const QString xlsx = out.filePath("piese.xlsx");
    const QString csv = out.filePath("piese.csv");
    QProcess vok;
    vok.start(program, {"--data-dir", env.dataDir(), "--report", "rappiese.rpt", "--selection", "{piese.ida}=1",
                        "--xlsx", xlsx, "--csv", csv});
    QVERIFY(vok.waitForFinished(60000));
    QVERIFY2(vok.exitCode() == 0, vok.readAllStandardError().constData());

    // The same cells as the engine's own writing.
    const ReportDocument doc = ReportEngine(env.db()).run(request("rappiese.rpt", "{piese.ida}=1"));
    doc.writeXlsx(out.filePath("direct.xlsx"));
    doc.writeCsv(out.filePath("direct.csv"));
    QString error;
    QCOMPARE(test::readSheet(xlsx, &error), test::readSheet(out.filePath("direct.xlsx"), &error));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QFile a(csv), b(out.filePath("direct.csv"));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), b.readAll());

    // A file that cannot be written: exit 2, the reason on stderr, nothing on stdout.
    vok.start(program, {"--data-dir", env.dataDir(), "--report", "rappiese.rpt", "--selection", "{piese.ida}=1",
                        "--xlsx", out.filePath("nu/exista/piese.xlsx")});
    QVERIFY(vok.waitForFinished(60000));
    QCOMPARE(vok.exitCode(), 2);
    QVERIFY(vok.readAllStandardError().contains("nu poate fi scris"));
    QVERIFY(vok.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(ReportSheetTest)
#include "tst_reportsheet.moc"
