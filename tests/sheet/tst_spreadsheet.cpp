#include "sheet/spreadsheet.h"

#include "sheetreader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(vok::sheet::Cell)

using namespace vok;
using sheet::Cell;

namespace {

Cell bold(Cell c)
{
    c.bold = true;
    return c;
}

Cell spanning(Cell c, int span)
{
    c.span = span;
    return c;
}

} // namespace

class SpreadsheetTest : public QObject {
    Q_OBJECT
private slots:
    void csvFields_data();
    void csvFields();
    void csvRoundTripsThroughPython();
    void xlsxIsReadBackCellByCell();
    void gridCells_data();
    void gridCells();
    void widthsFitWhatTheColumnsHold();
    void worksheetNames_data();
    void worksheetNames();
    void aFailedWriteLeavesNothingBehind();
};

void SpreadsheetTest::csvFields_data()
{
    QTest::addColumn<QVector<Cell>>("cells");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << QVector<Cell>{Cell::textCell("B-10-ABC"), Cell::masked(12.5, "#0.00")} << QByteArray("B-10-ABC,12.50\r\n");
    QTest::newRow("comma") << QVector<Cell>{Cell::textCell("Ploiesti, Bucuresti")} << QByteArray("\"Ploiesti, Bucuresti\"\r\n");
    QTest::newRow("quote") << QVector<Cell>{Cell::textCell("pompa \"Bosch\"")} << QByteArray("\"pompa \"\"Bosch\"\"\"\r\n");
    QTest::newRow("line break") << QVector<Cell>{Cell::textCell("Km\nparcursi")} << QByteArray("\"Km\nparcursi\"\r\n");
    QTest::newRow("utf-8") << QVector<Cell>{Cell::textCell(QStringLiteral("Brasov \u0219i Ia\u0219i"))}
                           << QString(QStringLiteral("Brasov \u0219i Ia\u0219i\r\n")).toUtf8();
    QTest::newRow("negative, point") << QVector<Cell>{Cell::masked(-3.456, "#0.0"), Cell::plain(1234567.25)}
                                     << QByteArray("-3.5,1234567.25\r\n");
    QTest::newRow("two-digit mask") << QVector<Cell>{Cell::masked(5, "00")} << QByteArray("05\r\n");
    QTest::newRow("span keeps the columns") << QVector<Cell>{spanning(Cell::textCell("Total"), 3), Cell::plain(7)}
                                            << QByteArray("Total,,,7\r\n");
    QTest::newRow("formula texts guarded, figures bare")
        << QVector<Cell>{Cell::textCell("=1+1"), Cell::textCell("-6.62"), Cell::masked(-6.62, "#0.00"), Cell::textCell("+1+1")}
        << QByteArray("'=1+1,-6.62,-6.62,'+1+1\r\n");
}

void SpreadsheetTest::csvFields()
{
    QFETCH(QVector<Cell>, cells);
    QFETCH(QByteArray, line);
    sheet::Table t;
    t.rows.append(cells);
    QCOMPARE(sheet::toCsv(t), line);
}

void SpreadsheetTest::csvRoundTripsThroughPython()
{
    sheet::Table t;
    t.rows.append({Cell::textCell("Nr.act/data"), Cell::textCell("Denumire"), Cell::textCell("Valoare")});
    t.rows.append({Cell::textCell("FF 1,2"), Cell::textCell("pompa \"Bosch\"\r\nreparata"), Cell::masked(620, "#0.00")});
    t.rows.append({Cell::textCell(QStringLiteral("\u0218urub \u00ee")), Cell(), Cell::plain(0.1)});
    t.rows.append({spanning(Cell::textCell("Total"), 2), Cell::masked(620.1, "#0.00")});
    t.rows.append({Cell::textCell(" blanks kept ")});
    QTemporaryDir dir;
    const QString path = dir.filePath("piese.csv");
    sheet::writeCsv(t, path);
    QString error;
    const QList<QStringList> rows = test::csvRows(test::readSheet(path, &error));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QList<QStringList> expected = {
        {"Nr.act/data", "Denumire", "Valoare"},
        {"FF 1,2", "pompa \"Bosch\"\r\nreparata", "620.00"},
        {QStringLiteral("\u0218urub \u00ee"), "", "0.1"},
        {"Total", "", "620.10"},
        {" blanks kept ", "", ""},
    };
    QCOMPARE(rows, expected);
}

void SpreadsheetTest::xlsxIsReadBackCellByCell()
{
    sheet::Table t;
    t.name = "Piese: [B-10-ABC]";
    Cell heading = bold(Cell::textCell("Valoare totala"));
    heading.wrap = true;
    t.rows.append({bold(spanning(Cell::textCell("SC TRANSPORT AUTO SRL"), 3))});
    t.rows.append({Cell::textCell("Denumire"), heading, Cell::textCell("Luna")});
    t.rows.append({Cell::textCell("Anvelopa 315/80 R22.5"), Cell::masked(1450, "#0.00"), Cell::masked(3, "00")});
    t.rows.append({Cell::textCell("Filtru"), Cell::masked(85.456, "#0.000"), Cell::plain(2024)});
    t.rows.append({bold(Cell::textCell("Total")), bold(Cell::masked(1535.456, "#0.0")), Cell::masked(7.5, "0")});
    QTemporaryDir dir;
    const QString path = dir.filePath("piese.xlsx");
    sheet::writeXlsx(t, path);

    QString error;
    const QJsonObject book = test::readSheet(path, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(book.value("name").toString(), QString("Piese B-10-ABC"));
    QCOMPARE(book.value("merges").toArray().first().toString(), QString("A1:C1"));
    struct Expected {
        int row, col;
        const char *type;
        QVariant value;
        const char *format;
        bool bold;
    };
    const QList<Expected> expected = {
        {0, 0, "s", "SC TRANSPORT AUTO SRL", "General", true},
        {1, 0, "s", "Denumire", "General", false},
        {1, 1, "s", "Valoare totala", "General", true},
        {1, 2, "s", "Luna", "General", false},
        {2, 0, "s", "Anvelopa 315/80 R22.5", "General", false},
        {2, 1, "n", 1450.0, "#0.00", false},
        {2, 2, "n", 3.0, "00", false},
        {3, 0, "s", "Filtru", "General", false},
        {3, 1, "n", 85.456, "#0.000", false},
        {3, 2, "n", 2024.0, "General", false},
        {4, 0, "s", "Total", "General", true},
        {4, 1, "n", 1535.5, "#0.0", true},  // the figure as the mask writes it
        {4, 2, "n", 8.0, "0", false},
    };
    const QJsonArray cells = book.value("cells").toArray();
    QCOMPARE(cells.size(), expected.size());
    for (int i = 0; i < cells.size(); ++i) {
        const QJsonObject c = cells[i].toObject();
        const Expected &e = expected[i];
        const QString where = QStringLiteral("cell %1,%2").arg(e.row).arg(e.col);
        QCOMPARE(c.value("row").toInt(), e.row);
        QCOMPARE(c.value("col").toInt(), e.col);
        QVERIFY2(c.value("type").toString() == QLatin1String(e.type), qPrintable(where));
        if (e.value.typeId() == QMetaType::Double)
            QCOMPARE(c.value("value").toDouble(), e.value.toDouble());
        else
            QCOMPARE(c.value("value").toString(), e.value.toString());
        QCOMPARE(c.value("format").toString(), QString::fromLatin1(e.format));
        QVERIFY2(c.value("bold").toBool() == e.bold, qPrintable(where));
    }
    // Every column is wide enough for its longest text.
    const QJsonArray widths = book.value("widths").toArray();
    QCOMPARE(widths.size(), 3);
    QVERIFY(widths[0].toArray()[2].toDouble() >= QString("Anvelopa 315/80 R22.5").size());
}

void SpreadsheetTest::gridCells_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("integer from the database") << QVariant(qlonglong(1234)) << "1234" << false << true << "1234";
    QTest::newRow("real from the database") << QVariant(34.092) << "34,092" << false << true << "34.092";
    QTest::newRow("number text aligned right") << QVariant("1200.5") << "1200.5" << true << true << "1200.5";
    QTest::newRow("number text aligned left") << QVariant("1234") << "1234" << false << false << "1234";
    QTest::newRow("text aligned right") << QVariant("B-10") << "B-10" << true << false << "B-10";
    QTest::newRow("null number") << QVariant(QMetaType::fromType<double>()) << "" << true << false << "";
}

void SpreadsheetTest::gridCells()
{
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    QFETCH(bool, right);
    QFETCH(bool, number);
    QFETCH(QString, text);
    const Cell c = sheet::gridCell(value, shown, right);
    QCOMPARE(c.isNumber(), number);
    QCOMPARE(c.text, text);
    if (number)
        QCOMPARE(c.value, text.toDouble());
}

void SpreadsheetTest::widthsFitWhatTheColumnsHold()
{
    sheet::Table t;
    Cell heading = Cell::textCell("Km echiv. de la luarea in evidenta");
    heading.wrap = true;
    t.rows.append({heading, Cell::textCell("x")});
    t.rows.append({Cell::masked(1234567.891, "#0.000"), Cell::textCell("x")});
    t.rows.append({spanning(Cell::textCell(QString(80, u'a')), 2)});
    const QVector<double> w = sheet::columnWidths(t);
    QCOMPARE(w.size(), 2);
    // The spanning text has the two columns together, and no column passes the limit.
    QVERIFY(w[0] + w[1] >= 80);
    QVERIFY(w[0] <= 60 && w[1] <= 60);

    t.rows.removeLast();
    const QVector<double> narrow = sheet::columnWidths(t);
    // A heading wraps: its longest word counts, the figure decides.
    QVERIFY(narrow[0] >= QString("1234567.891").size());
    QVERIFY(narrow[0] < QString("Km echiv. de la luarea in evidenta").size());
}

void SpreadsheetTest::worksheetNames_data()
{
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("name");
    QTest::newRow("forbidden characters") << "a/b\\c?d*e[f]g:h" << "a b c d e f g h";
    QTest::newRow("long, cut after a word") << "CENTRALIZATOR AUTOVEHICULE - RAPORT ANUAL" << "CENTRALIZATOR AUTOVEHICULE";
    QTest::newRow("bracket left out") << "FISA ACTIVITATII ZILNICE (V.O.K.)" << "FISA ACTIVITATII ZILNICE";
    QTest::newRow("a word ends at 31") << "ALIMENTARI CARBURANT SI ULEIURI LUNARE" << "ALIMENTARI CARBURANT SI ULEIURI";
    QTest::newRow("exactly 31") << "ALIMENTARI CARBURANT SI ULEIURI" << "ALIMENTARI CARBURANT SI ULEIURI";
    QTest::newRow("one long word") << "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJ" << "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDE";
    QTest::newRow("cut before a short word") << "PARC AUTO, CONSUM SI KILOMETRI PE AN" << "PARC AUTO, CONSUM SI KILOMETRI";
    QTest::newRow("no dangling comma") << "CONSUM SI KILOMETRI PE ANUL 26, CRESTERE" << "CONSUM SI KILOMETRI PE ANUL 26";
    QTest::newRow("apostrophes") << "'Piese'" << "Piese";
    QTest::newRow("empty") << "" << "Foaie1";
}

void SpreadsheetTest::worksheetNames()
{
    QFETCH(QString, wanted);
    QFETCH(QString, name);
    QCOMPARE(sheet::worksheetName(wanted), name);
    QVERIFY(sheet::worksheetName(wanted).size() <= 31);
}

void SpreadsheetTest::aFailedWriteLeavesNothingBehind()
{
    sheet::Table t;
    t.rows.append({Cell::textCell("a"), Cell::plain(1)});
    QTemporaryDir dir;
    for (const bool excel : {true, false}) {
        // A folder that does not exist.
        const QString missing = dir.filePath(excel ? "nu/exista.xlsx" : "nu/exista.csv");
        try {
            excel ? sheet::writeXlsx(t, missing) : sheet::writeCsv(t, missing);
            QFAIL("a file in a missing folder was reported written");
        } catch (const sheet::WriteError &e) {
            QVERIFY2(e.message().contains("nu poate fi scris"), qPrintable(e.message()));
        }
        // A folder where the file should go: refused, and no temporary file stays.
        const QString folder = dir.filePath(excel ? "folder.xlsx" : "folder.csv");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY_THROWS_EXCEPTION(sheet::WriteError, excel ? sheet::writeXlsx(t, folder) : sheet::writeCsv(t, folder));
    }
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));

    // A workbook written over an older one replaces it, readable as any file of the clerk's.
    const QString book = dir.filePath("parc.xlsx");
    sheet::writeCsv(t, book);
    QVERIFY(QFile::setPermissions(book, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                            | QFileDevice::ReadOther));
    sheet::writeXlsx(t, book);
    QFile written(book);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.read(2), QByteArray("PK"));
    QVERIFY(QFileInfo(book).permissions().testFlag(QFileDevice::ReadOther));
}

QTEST_GUILESS_MAIN(SpreadsheetTest)
#include "tst_spreadsheet.moc"
