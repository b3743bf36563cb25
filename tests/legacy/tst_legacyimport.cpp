// The import of the former program's files, end to end from tables the test
// writes as mdb-export CSV files, served by stand-ins for mdbtools run as the
// real ones are (child processes); and through the command line.
#include "db/backup.h"
#include "db/database.h"
#include "db/passwordstore.h"
#include "legacy/legacyimport.h"
#include "legacyfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;

namespace {

int counter = 0;

// Opens a database file of the data folder for a look; closed by the destructor.
struct Look {
    QString name = QStringLiteral("look-%1").arg(++counter);
    QSqlDatabase db;
    Look(const QString &file, DatabaseKind kind) { db = database::openSqlite(file, name, kind); }
    ~Look()
    {
        db = QSqlDatabase();
        database::close(name);
    }
    QVariant value(const QString &sql, const QVariantList &values = {}) const { return scalar(db, sql, values); }
};

// The sample department with a row of each kind the program refuses.
QMap<QString, QString> tablesWithFaults()
{
    QMap<QString, QString> tables = test::sampleTables();
    tables["AUTO.csv"] += "9,\"b-01-abc\",\"DACIA NOVA\",2,1,6,0.2,4,0.5,0,0,1,1,0,0,0\n"      // the same number
                          "11,\"B-123456-ABCDEFGH\",\"FORD\",2,1,6,0.2,4,0.5,0,0,1,1,0,0,0\n"; // 17 characters
    // A column the program does not know, and the make read as a single-precision number.
    tables["AUTO.csv"].replace("ida,nrauto,marca,", "ida,NrAuto,Marca,");
    tables["AUTO.schema"] = "CREATE TABLE [AUTO]\n (\n\t[ida]\t\t\tLong Integer, \n\t[NrAuto]\t\t\tText (15), \n"
                            "\t[Marca]\t\t\tText (30), \n\t[formula]\t\t\tInteger, \n\t[motor]\t\t\tInteger, \n"
                            "\t[Cm]\t\t\tSingle NOT NULL, \n\t[Ca]\t\t\tSingle, \n\t[Cb]\t\t\tSingle, \n\t[Cf]\t\t\tSingle, \n"
                            "\t[Ispec]\t\t\tInteger, \n\t[Iaerod]\t\t\tInteger, \n\t[apar]\t\t\tInteger, \n"
                            "\t[rap]\t\t\tInteger, \n\t[kmef]\t\t\tDouble, \n\t[kmechiv]\t\t\tDouble, \n"
                            "\t[restrez]\t\t\tDouble\n);\n";
    tables["AUTO.csv"].replace("3,\"B-01-ABC\",\"DACIA LOGAN\",2,1,7.5,", "3,\"B-01-ABC\",\"DACIA LOGAN\",2,1,7.30000019073486,");
    tables["consum.csv"] += "3,10,8,7,1\n";                                                     // a second consumption
    tables["Foaie.csv"] += "22,100,3,\"VASILE\",6,7,1,\"2026-03-06 00:00:00\",1,3,2026,,,,,,,,,,0,,0,,,\n" // sheet number again
                           "23,102,99,\"VASILE\",6,7,1,\"2026-03-06 00:00:00\",1,3,2026,,,,,,,,,,0,,0,,,\n" // no such vehicle
                           "24,103,7,\"CONSTANTINESCU-POPESCU\",6,7,1,\"2026-03-06 00:00:00\",1,3,2026,,,,,,,,,,0,,0,,,\n"; // driver too long
    tables["CURSE.csv"] += "42,22,1,1,0,0,0,0,0,1,1,1,0,0,0,0,0,0,1,0,0,0.1,0,0,\"x\",0,0\n"      // its sheet was refused
                           "43,20,1,1,0,0,0,0,0,1,1,1,0,0,0,0,0,0,1,0,0,0.1,0,0,\"y\",0,0\n"      // trip number again
                           "44,21,1,abc,0,0,0,0,0,1,1,1,0,0,0,0,0,0,1,0,0,0.1,0,0,\"z\",0,0\n";   // not a number
    tables["dateluna.csv"] += "6,3,2026,3,1,1,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n";                   // the month again
    tables["setari.csv"] = "unitate,functie,numeman,intocmit,Sigla\n\"SC TRANSPORT SA\",\"DIRECTOR\",\"POPA VASILE\","
                           "\"ENE ANA\",\"sigla.bmp\"\n";
    tables["Switchboard Items.csv"] = "SwitchboardID,ItemText\n1,\"Main\"\n";
    tables.remove("consumCm4.csv");
    return tables;
}

QByteArray hashOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

} // namespace

class LegacyImportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyTableMappedAndFaultsReported();
    void unreadableFilesRefused_data();
    void unreadableFilesRefused();
    void commandLine();
};

void LegacyImportTest::initTestCase() { test::useFakeMdbTools(); }

void LegacyImportTest::everyTableMappedAndFaultsReported()
{
    QTemporaryDir files, data;
    const QString vok = files.filePath("VOK.MDB");
    const QString sys = files.filePath("SYS.MDB");
    test::writeFakeMdb(vok, tablesWithFaults());
    test::writeFakeMdb(sys, {{"valid.csv", "parola\n\"Secret 1\"\n"}});
    QCOMPARE(legacy::systemFileBeside(vok), sys);

    const QDateTime when(QDate(2026, 12, 7), QTime(10, 0));
    legacy::Built built = legacy::build(data.path(), vok, sys, when);
    backup::install(built.prepared, "inainte-de-import", when);
    const legacy::ImportReport &report = built.report;

    QStringList refused;
    for (const legacy::RefusedRow &r : report.refused)
        refused << r.table + " | " + r.key + " | " + r.reason;
    QCOMPARE(refused, (QStringList{
        "auto | ida=9 | numarul de inmatriculare b-01-abc este deja al autovehiculului ida=3",
        "auto | ida=11 | coloana nrauto are 17 caractere, cel mult 15 ('B-123456-ABCDEFGH')",
        "consum | randul 4 | autovehiculul ida=3 are deja consumul (ida=3)",
        "foaie | idf=22 | foaia nr. 100 a autovehiculului ida=3 exista deja (idf=20)",
        "foaie | idf=23 | autovehiculul ida=99 nu exista (lipseste din fisier sau a fost refuzat)",
        "foaie | idf=24 | coloana sofer are 22 caractere, cel mult 20 ('CONSTANTINESCU-POPESCU')",
        "curse | idc=42 | foaia idf=22 nu exista (lipseste din fisier sau a fost refuzat)",
        "curse | idc=43 | cursa nr. 1 a foii idf=20 exista deja (idc=40)",
        "curse | idc=44 | coloana kmI: 'abc' nu este un numar",
        "dateluna | idd=6 | luna 3/2026 a autovehiculului ida=3 exista deja (idd=5)",
    }));
    const QString text = report.text();
    QVERIFY2(text.contains("  auto: 2 (refuzate: 2)\n") && text.contains("  curse: 3 (refuzate: 3)\n"), qPrintable(text));
    for (const char *note : {"auto: coloana kmefinc lipseste din fisier; ia valoarea implicita 0",
                             "tabela Switchboard Items a fisierului nu este a programului; nu s-a importat",
                             "tabela consumCm4 lipseste din fisier; ramane goala",
                             "setari: coloana Sigla a fisierului nu este a programului; nu s-a importat",
                             "parola din sys.mdb a fost preluata"})
        QVERIFY2(text.contains(note), note);
    QVERIFY2(text.contains("  curse | idc=44 | coloana kmI: 'abc' nu este un numar\n"), qPrintable(text));

    Look look(QDir(data.path()).filePath("vok.db"), DatabaseKind::Data);
    // Keys kept, so that every reference holds.
    QCOMPARE(look.value("SELECT group_concat(ida) FROM (SELECT ida FROM auto ORDER BY ida)").toString(), QString("3,7"));
    QCOMPARE(look.value("SELECT group_concat(idf) FROM (SELECT idf FROM foaie ORDER BY idf)").toString(), QString("20,21,30"));
    QCOMPARE(look.value("SELECT group_concat(idc) FROM (SELECT idc FROM curse ORDER BY idc)").toString(), QString("40,41,50"));
    QCOMPARE(look.value("SELECT COUNT(*) FROM curse c JOIN foaie f ON f.idf=c.idf JOIN auto a ON a.ida=f.ida").toInt(), 3);
    // Converted to the program's types and forms.
    QCOMPARE(look.value("SELECT Cm FROM auto WHERE ida=3").toDouble(), 7.3);
    QCOMPARE(look.value("SELECT kmefinc FROM auto WHERE ida=3").toString(), QString("0"));
    QCOMPARE(look.value("SELECT data FROM foaie WHERE idf=20").toString(), QString("05.03.2026"));
    QCOMPARE(look.value("SELECT bm FROM foaie WHERE idf=21").toDouble(), 0.0);
    QVERIFY(!look.value("SELECT bm FROM foaie WHERE idf=21").isNull());
    // The odometer and the tank were never recorded by the former program.
    QCOMPARE(look.value("SELECT COUNT(*) FROM foaie WHERE kmplecare IS NULL AND kmsosire IS NULL "
                        "AND rezplecare IS NULL AND rezsosire IS NULL").toInt(), 3);
    QCOMPARE(look.value("SELECT traseu FROM curse WHERE idc=40").toString(), QString("Ploiesti, \"centru\"\nBucuresti"));
    QCOMPARE(look.value("SELECT zi || '.' || luna || '.' || an FROM piese").toString(), QString("05.03.2026"));
    QCOMPARE(look.value("SELECT \"2001-2005\" FROM uleiCa2").toDouble(), 0.4);
    QCOMPARE(look.value("SELECT unitate FROM setari").toString(), QString("SC TRANSPORT SA"));
    // Each key sequence moves past the file's keys, refused rows' included.
    exec(look.db, "INSERT INTO auto (nrauto, marca) VALUES ('B-77-NEW', 'x')");
    QCOMPARE(look.value("SELECT ida FROM auto WHERE nrauto='B-77-NEW'").toInt(), 12);
    exec(look.db, "INSERT INTO curse (idf, nrc) VALUES (20, 9)");
    QCOMPARE(look.value("SELECT idc FROM curse WHERE nrc=9").toInt(), 51);
    // The plain-text password became a salted hash.
    Look system(QDir(data.path()).filePath("sys.db"), DatabaseKind::System);
    QVERIFY(system.value("SELECT parola FROM valid").toString().startsWith("$argon2"));
    QVERIFY(PasswordStore(system.db).matches("Secret 1"));
    QVERIFY(!PasswordStore(system.db).matches("secret 1"));
    QCOMPARE(backup::checkDataFolder(data.path()), QStringList());

    // Saved beside the data.
    const QString saved = legacy::saveReport(data.path(), report);
    QCOMPARE(QFileInfo(saved).fileName(), QString("import-2026-12-07-100000.txt"));
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), text);
}

void LegacyImportTest::unreadableFilesRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not an Access file") << "text" << "nu este o baza de date Access";
    QTest::newRow("truncated") << "truncated" << "este trunchiat";
    QTest::newRow("a page missing in a table") << "damaged" << "tabela CURSE nu poate fi citita (mdb-export: offset 122880 is beyond EOF)";
    QTest::newRow("another program's file") << "foreign" << "nu contine datele programului (lipseste tabela auto)";
    QTest::newRow("sys.mdb without its table") << "system" << "nu contine parola programului";
}

void LegacyImportTest::unreadableFilesRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir files, data;
    const QString vok = files.filePath("vok.mdb");
    QString sys;
    QMap<QString, QString> tables = test::sampleTables();
    if (kind == "damaged")
        tables["CURSE.damaged"] = "";
    if (kind == "foreign")
        tables = {{"Clients.csv", "id,name\n1,\"x\"\n"}};
    test::writeFakeMdb(vok, tables);
    if (kind == "system") {
        sys = files.filePath("sys.mdb");
        test::writeFakeMdb(sys, {{"Users.csv", "name\n\"x\"\n"}});
    }
    QFile file(vok);
    if (kind == "text") {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("nrauto;marca\nB-01-ABC;DACIA\n");
        file.close();
    } else if (kind == "truncated") {
        QVERIFY(file.resize(4096 * 2 + 1000));
    }
    // A data folder with its databases, which must stay as they are.
    {
        database::openSqlite(QDir(data.path()).filePath("vok.db"), "refused", DatabaseKind::Data);
        database::openSqlite(QDir(data.path()).filePath("sys.db"), "refused-sys", DatabaseKind::System);
    }
    database::close("refused");
    database::close("refused-sys");
    const QStringList before = QDir(data.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QByteArray hash = hashOf(QDir(data.path()).filePath("vok.db"));
    try {
        legacy::build(data.path(), vok, sys, QDateTime::currentDateTime());
        QFAIL("the file was not refused");
    } catch (const legacy::UnreadableFile &refusal) {
        QVERIFY2(refusal.message().contains(reason), qPrintable(refusal.message()));
    }
    QCOMPARE(QDir(data.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(hashOf(QDir(data.path()).filePath("vok.db")), hash);
}

void LegacyImportTest::commandLine()
{
    QTemporaryDir files, data;
    const QString vok = files.filePath("vok.mdb");
    const QString sys = files.filePath("sys.mdb");
    test::writeFakeMdb(vok, tablesWithFaults());
    test::writeFakeMdb(sys, {{"VALID.csv", "PAROLA\n\n"}});
    auto run = [&](const QStringList &more, QByteArray *out, QByteArray *err) {
        QProcess program;
        program.start(QStringLiteral(VOK_PROGRAM), QStringList{"--data-dir", data.path(), "--import-mdb", vok} + more);
        program.waitForFinished(60000);
        *out = program.readAllStandardOutput();
        *err = program.readAllStandardError();
        return program.exitCode();
    };
    QByteArray out, err;
    QCOMPARE(run({"--sys-mdb", sys}, &out, &err), 0);
    QVERIFY2(out.startsWith("Import date vechi, ") && out.contains("Randuri refuzate (10)")
                 && out.contains("sys.mdb nu are parola"),
             out.constData());
    QVERIFY(!QDir(data.path()).entryList({"import-*.txt"}).isEmpty());
    const QByteArray imported = hashOf(QDir(data.path()).filePath("vok.db"));

    // A data folder that holds data is replaced only when asked.
    QCOMPARE(run({}, &out, &err), 1);
    QVERIFY2(err.contains("contine deja date"), err.constData());
    QCOMPARE(hashOf(QDir(data.path()).filePath("vok.db")), imported);
    QCOMPARE(run({"--replace"}, &out, &err), 0);
    QCOMPARE(QDir(backup::automaticFolder(data.path())).entryList({"vok-inainte-de-import-*.db"}).size(), 1);

    // A file that is not an Access file.
    QFile text(files.filePath("notes.mdb"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("hello\n");
    text.close();
    QProcess program;
    program.start(QStringLiteral(VOK_PROGRAM), {"--data-dir", data.path(), "--import-mdb", text.fileName(), "--replace"});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 1);
    QVERIFY(program.readAllStandardError().contains("nu este o baza de date Access"));
}

QTEST_GUILESS_MAIN(LegacyImportTest)
#include "tst_legacyimport.moc"
