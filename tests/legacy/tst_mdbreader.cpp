// The reader of Access files on real Jet 4 files (generic public samples,
// read where they stand in the shared fixtures), through Debian's mdbtools.
#include "legacy/mdbreader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;
using namespace vok::legacy;

namespace {

QString fixtures() { return QDir(QStringLiteral(VOK_SOURCE_DIR)).filePath("../shared/fixtures/mdb"); }

struct Exported {
    QStringList header;
    QList<QStringList> rows;
};

Exported exported(const MdbReader &reader, const QString &table)
{
    Exported result;
    reader.exportTable(
        table, [&](const QStringList &header) { result.header = header; },
        [&](const QStringList &fields, int) { result.rows << fields; });
    return result;
}

} // namespace

class MdbReaderTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void tablesColumnsAndRows_data();
    void tablesColumnsAndRows();
    void textsNumbersDatesAndNulls();
    void damagedFilesRefused_data();
    void damagedFilesRefused();
    void schemaText();
};

void MdbReaderTest::initTestCase()
{
    if (!QFileInfo::exists(fixtures() + "/types-jet4.mdb"))
        QSKIP(qPrintable("the Access sample files are not beside the project (" + fixtures() + "); reader tests skipped"));
    if (MdbReader::toolPath("mdb-export").isEmpty())
        QSKIP("mdbtools is not installed (apt-get install mdbtools); reader tests skipped");
}

void MdbReaderTest::tablesColumnsAndRows_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("protected by a database password") << "password-jet4.mdb" << "Table1" << "ID:Long Integer,Data:Text (255)" << 3;
    QTest::newRow("non-ASCII texts") << "unicode-jet4.mdb" << "Table" << "ID:Long Integer,Unicode:Text (255)" << 8;
    QTest::newRow("every kind of column") << "types-jet4.mdb" << "MSP_PROJECTS" << "" << 1;
}

void MdbReaderTest::tablesColumnsAndRows()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QString, columns);
    QFETCH(int, rows);
    MdbReader reader(QDir(fixtures()).filePath(file));
    reader.open();
    reader.countRows();
    QCOMPARE(reader.tables().size(), 1);
    const MdbTable *found = reader.table(table.toUpper());
    QVERIFY(found);
    QCOMPARE(found->name, table);
    QCOMPARE(found->rows, qint64(rows));
    QStringList described;
    for (const MdbColumn &c : found->columns)
        described << c.name + ':' + c.type;
    if (!columns.isEmpty())
        QCOMPARE(described.join(','), columns);
    const Exported data = exported(reader, table);
    QCOMPARE(data.rows.size(), rows);
    QStringList names;
    for (const MdbColumn &c : found->columns)
        names << c.name;
    QCOMPARE(data.header, names);
    for (const QStringList &row : data.rows)
        QCOMPARE(row.size(), names.size());
}

void MdbReaderTest::textsNumbersDatesAndNulls()
{
    MdbReader unicode(QDir(fixtures()).filePath("unicode-jet4.mdb"));
    unicode.open();
    const Exported texts = exported(unicode, "Table");
    QCOMPARE(texts.rows.at(1), (QStringList{"2", "ääkkösiä"}));
    QCOMPARE(texts.rows.at(2).at(1), QString("Мир"));
    QCOMPARE(texts.rows.at(4).at(1), QString("漢字仮名交じり文"));
    // A quoted field holding every character: control characters, a line
    // break and a carriage return, a doubled quote.
    const QString all = texts.rows.at(7).at(1);
    QVERIFY(all.startsWith(QString::fromLatin1("\x01\x02\x03\x04")));
    QVERIFY(all.contains("\t\n\v\f\r"));
    QVERIFY(all.contains(" !\"#$%&'()*+,-./0123456789:;<=>?@ABC"));
    QVERIFY(all.endsWith("ÿ"));
    QCOMPARE(texts.rows.size(), 8);

    MdbReader password(QDir(fixtures()).filePath("password-jet4.mdb"));
    password.open();
    QCOMPARE(exported(password, "Table1").rows.at(2), (QStringList{"3", "Three"}));

    MdbReader types(QDir(fixtures()).filePath("types-jet4.mdb"));
    types.open();
    const Exported project = exported(types, "MSP_PROJECTS");
    auto field = [&](const char *name) { return project.rows.first().at(project.header.indexOf(name)); };
    QCOMPARE(types.table("msp_projects")->columns.at(project.header.indexOf("PROJ_INFO_CURRENT_DATE")).type, QString("DateTime"));
    QCOMPARE(field("PROJ_INFO_CURRENT_DATE"), QString("2006-02-03 08:00:00"));   // the full date and time
    QCOMPARE(field("PROJ_OPT_CALC_ACT_COSTS"), QString("1"));                    // a boolean
    QCOMPARE(types.table("MSP_PROJECTS")->columns.at(project.header.indexOf("PROJ_OPT_CALC_ACT_COSTS")).type, QString("Boolean"));
    QCOMPARE(field("PROJ_OPT_MINUTES_PER_WEEK"), QString("2400"));               // a long integer
    QCOMPARE(field("PROJ_OPT_CURRENCY_SYMBOL"), QString("£"));
    QCOMPARE(field("PROJ_PROP_CATEGORY"), QString());                            // NULL
    QVERIFY(field("PROJ_PROP_AUTHOR").size() > 255);                              // a memo
    QCOMPARE(field("PROJ_DATA_SOURCE"), QString("Z:\\temp\\Project1.mpd"));
    QCOMPARE(field("RESERVED_BINARY_DATA"), QString());                          // binary data left out
}

void MdbReaderTest::damagedFilesRefused_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cut in a page") << 100000 << "este trunchiat";
    QTest::newRow("cut after its first pages") << 4096 << "este trunchiat";
    QTest::newRow("not an Access file") << -1 << "nu este o baza de date Access";
    // Whole pages, which the tools loop on writing messages.
    QTest::newRow("cut at a page's end") << 131072 << "de mesaje de eroare si a fost oprit";
}

void MdbReaderTest::damagedFilesRefused()
{
    QFETCH(int, length);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile source(QDir(fixtures()).filePath("types-jet4.mdb"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QFile damaged(dir.filePath("damaged.mdb"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(length < 0 ? QByteArray("PK\x03\x04 a zip file, not a database") : source.read(length));
    damaged.close();
    MdbReader reader(damaged.fileName());
    try {
        reader.open();
        QFAIL("the file was read");
    } catch (const UnreadableFile &refusal) {
        QVERIFY2(refusal.message().contains(reason), qPrintable(refusal.message()));
    }
}

void MdbReaderTest::schemaText()
{
    const QList<MdbTable> tables = parseSchema("-- comment\n\nCREATE TABLE [Switchboard Items]\n (\n"
                                               "\t[SwitchboardID]\t\t\tLong Integer, \n\t[Item Text]\t\t\tText (255) NOT NULL\n);\n"
                                               "CREATE TABLE [b]\n (\n\t[x]\t\t\tSingle\n);\n");
    QCOMPARE(tables.size(), 2);
    QCOMPARE(tables.at(0).name, QString("Switchboard Items"));
    QCOMPARE(tables.at(0).columns.at(1).name, QString("Item Text"));
    QCOMPARE(tables.at(0).columns.at(1).type, QString("Text (255)"));
    QCOMPARE(tables.at(1).columns.at(0).type, QString("Single"));
}

QTEST_GUILESS_MAIN(MdbReaderTest)
#include "tst_mdbreader.moc"
