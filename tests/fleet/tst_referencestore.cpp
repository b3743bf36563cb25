#include "db/schema.h"
#include "fleet/referencestore.h"
#include "testenvironment.h"

#include <QSqlRecord>
#include <QtTest>

using namespace vok;

namespace {

// A row of sample values for every column of a table.
QVariantList sampleRow(const QString &table, int n)
{
    QVariantList row;
    for (const ReferenceColumn &c : referenceColumns(table)) {
        switch (c.kind) {
        case ReferenceColumn::Kind::Text:
            // The third row's texts begin as spreadsheet formulas.
            row << QStringLiteral("%1%2 %3, \"r\" %4").arg(n == 3 ? "=" : "", c.name).arg(n).arg(QString::fromUtf8("\xC4\x83"));
            break;
        case ReferenceColumn::Kind::Integer: row << (c.name == QLatin1String("aprind") ? 1 + n % 2 : n); break;
        case ReferenceColumn::Kind::Real: row << 0.1 * n + 1.25; break;
        }
    }
    return row;
}

QStringList names(const QList<ReferenceColumn> &columns)
{
    QStringList out;
    for (const ReferenceColumn &c : columns)
        out << c.name;
    return out;
}

QList<int> nris(const QSqlDatabase &db)
{
    QList<int> out;
    for (const ReferenceRow &row : ReferenceStore(db).rows(QStringLiteral("sporI")))
        out << row.values.at(0).toInt();
    return out;
}

} // namespace

class ReferenceStoreTest : public QObject {
    Q_OBJECT
private slots:
    void columnsExistInSchema();
    void csvRoundTrip_data();
    void csvRoundTrip();
    void refusedFiles_data();
    void refusedFiles();
    void cellChecks_data();
    void cellChecks();
    void installationsNumberedInTableOrder();
    void vehiclesFollowTheirInstallation();
    void consumptionRowsByIgnition();
    void failedReplaceLeavesTable();
    void unknownTableRefused();
};

void ReferenceStoreTest::columnsExistInSchema()
{
    test::TestEnvironment env;
    for (const QString &table : schema::referenceTables()) {
        const QList<ReferenceColumn> columns = referenceColumns(table);
        QVERIFY2(!columns.isEmpty(), qPrintable(table));
        // A server folds unquoted table names to lower case.
        const QSqlRecord record = env.db().record(env.onServer() ? table.toLower() : table);
        for (const ReferenceColumn &c : columns)
            QVERIFY2(record.contains(c.name), qPrintable(table + u'.' + c.name));
    }
}

void ReferenceStoreTest::csvRoundTrip_data()
{
    QTest::addColumn<QString>("table");
    for (const QString &table : schema::referenceTables())
        QTest::newRow(qPrintable(table)) << table;
}

void ReferenceStoreTest::csvRoundTrip()
{
    QFETCH(QString, table);
    test::TestEnvironment env;
    ReferenceStore store(env.db());
    QList<QVariantList> rows{sampleRow(table, 1), sampleRow(table, 2), sampleRow(table, 3)};
    rows[1][rows[1].size() - 1] = QVariant(); // an empty numeric or text cell
    store.replaceAll(table, rows);
    const QByteArray exported = store.csv(table);
    QVERIFY(exported.startsWith(names(referenceColumns(table)).join(u',').toUtf8() + "\r\n"));

    const ReferenceImport imported = readReferenceCsv(table, exported);
    QVERIFY2(imported.ok(), qPrintable(imported.error));
    QCOMPARE(imported.rows.size(), 3);
    // Written after an apostrophe, read back as typed.
    bool texts = false;
    for (qsizetype c = 0; c < referenceColumns(table).size(); ++c) {
        if (referenceColumns(table).at(c).kind != ReferenceColumn::Kind::Text)
            continue;
        texts = true;
        QCOMPARE(imported.rows[2][c].toString(), rows[2][c].toString());
    }
    QCOMPARE(exported.contains("\"'="), texts);
    // Into a second database: the same rows, the same file.
    test::TestEnvironment other;
    ReferenceStore second(other.db());
    second.replaceAll(table, imported.rows);
    QCOMPARE(second.csv(table), exported);
    const QList<ReferenceRow> a = store.rows(table);
    const QList<ReferenceRow> b = second.rows(table);
    for (qsizetype i = 0; i < a.size(); ++i)
        for (qsizetype c = 0; c < a.at(i).values.size(); ++c)
            QCOMPARE(b.at(i).values.at(c).isNull(), a.at(i).values.at(c).isNull());
}

void ReferenceStoreTest::refusedFiles_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty file") << QStringLiteral("sistemU") << QByteArray() << 1 << QStringLiteral("autom,baia,filtru");
    QTest::newRow("wrong header") << QStringLiteral("sistemU") << QByteArray("autom,filtru,baia\nx,1,2\n") << 1
                                  << QStringLiteral("autom,baia,filtru");
    QTest::newRow("missing column") << QStringLiteral("sistemU") << QByteArray("autom,baia\n") << 1
                                    << QStringLiteral("capul de tabel");
    QTest::newRow("not a number") << QStringLiteral("sistemU")
                                  << QByteArray("autom,baia,filtru\nA,1,2\nB,3 litri,2\n") << 3 << QStringLiteral("baia");
    QTest::newRow("comma decimal") << QStringLiteral("coefKg")
                                   << QByteArray("tone,motor1fr,motor1r,motor23fr,motor23r\n1,\"1,05\",1,1,1\n") << 2
                                   << QStringLiteral("motor1fr");
    QTest::newRow("too few values") << QStringLiteral("sistemU") << QByteArray("autom,baia,filtru\nA,1,2\nB,3\n") << 3
                                    << QStringLiteral("2 valori");
    QTest::newRow("too many values") << QStringLiteral("sistemU") << QByteArray("autom,baia,filtru\nA,1,2,4\n") << 2
                                     << QStringLiteral("4 valori");
    QTest::newRow("quote left open") << QStringLiteral("sistemU") << QByteArray("autom,baia,filtru\n\"A,1,2\n") << 2
                                     << QStringLiteral("ghilimele");
    QTest::newRow("ignition 3") << QStringLiteral("consumCm4")
                                << QByteArray("aprind,fel,marca,capcil,Cm\n1,a,b,c,1\n3,a,b,c,1\n") << 3
                                << QStringLiteral("aprind");
    QTest::newRow("ignition missing") << QStringLiteral("consumCm4")
                                      << QByteArray("aprind,fel,marca,capcil,Cm\n,a,b,c,1\n") << 2
                                      << QStringLiteral("aprind");
    QTest::newRow("apostrophe in towing lookup") << QStringLiteral("sporT")
                                                 << QByteArray("nrcrt,tip_r,gr,motor1r1,motor1r2,motor2r1,motor2r2,motor3r1,"
                                                               "motor3r2\n1,Remorca,O'Neil,1,1,1,1,1,1\n")
                                                 << 2 << QStringLiteral("apostrof");
}

void ReferenceStoreTest::refusedFiles()
{
    QFETCH(QString, table);
    QFETCH(QByteArray, data);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const ReferenceImport result = readReferenceCsv(table, data);
    QVERIFY(!result.ok());
    QCOMPARE(result.errorLine, line);
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    QVERIFY(result.rows.isEmpty());
}

void ReferenceStoreTest::cellChecks_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("real") << "sistemU" << "baia" << " 12.5 " << true << QVariant(12.5);
    QTest::newRow("negative real") << "coefKg" << "tone" << "-1" << true << QVariant(-1.0);
    QTest::newRow("empty real is empty") << "sistemU" << "baia" << "" << true << QVariant();
    QTest::newRow("prefix is not a number") << "sistemU" << "baia" << "12abc" << false << QVariant();
    QTest::newRow("text with apostrophe") << "sistemU" << "autom" << "O'Neil" << true << QVariant(QStringLiteral("O'Neil"));
    QTest::newRow("towing type with apostrophe") << "sporT" << "tip_r" << "O'Neil" << false << QVariant();
    QTest::newRow("ignition 2") << "consumCm1" << "aprind" << "2" << true << QVariant(2);
    QTest::newRow("ignition 1.5") << "consumCm1" << "aprind" << "1.5" << false << QVariant();
}

void ReferenceStoreTest::cellChecks()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QVariant, value);
    const QList<ReferenceColumn> columns = referenceColumns(table);
    const auto it = std::find_if(columns.begin(), columns.end(), [&](const ReferenceColumn &c) { return c.name == column; });
    QVERIFY(it != columns.end());
    const CellValue cell = checkReferenceValue(*it, typed);
    QCOMPARE(cell.ok(), accepted);
    if (accepted) {
        QCOMPARE(cell.value.isNull(), value.isNull());
        if (!value.isNull())
            QCOMPARE(cell.value.toString(), value.toString());
    }
}

void ReferenceStoreTest::installationsNumberedInTableOrder()
{
    test::TestEnvironment env;
    ReferenceStore store(env.db());
    const QString sporI = QStringLiteral("sporI");
    // The numbers in the file do not count: the order does.
    const ReferenceImport file = readReferenceCsv(
        sporI, "nri,fel_auto,fel_prest,fel_prest2,sporkm\n7,Autobasculante,cursa,x,0.5\n7,Autocisterne,cursa,y,1\n"
               "0,Automacarale,ora,z,5\n");
    QVERIFY2(file.ok(), qPrintable(file.error));
    store.replaceAll(sporI, file.rows);
    QCOMPARE(nris(env.db()), (QList<int>{1, 2, 3}));
    QCOMPARE(store.installationKinds(),
             (QStringList{QStringLiteral("Autobasculante"), QStringLiteral("Autocisterne"), QStringLiteral("Automacarale")}));

    const int added = store.addRow(sporI);
    QCOMPARE(nris(env.db()), (QList<int>{1, 2, 3, 4}));
    store.setValue(sporI, added, QStringLiteral("fel_auto"), QStringLiteral("Autoscari"));
    store.removeRow(sporI, store.rows(sporI).at(0).idr);
    QCOMPARE(nris(env.db()), (QList<int>{1, 2, 3}));
    QCOMPARE(store.installationKinds().last(), QStringLiteral("Autoscari"));
    QCOMPARE(env.value(QStringLiteral("SELECT fel_auto FROM sporI WHERE nri=1")).toString(), QStringLiteral("Autocisterne"));
    // nri is the program's, never the clerk's.
    QVERIFY_THROWS_EXCEPTION(DbError, store.setValue(sporI, added, QStringLiteral("nri"), 9));
}

void ReferenceStoreTest::vehiclesFollowTheirInstallation()
{
    test::TestEnvironment env;
    ReferenceStore store(env.db());
    const QString sporI = QStringLiteral("sporI");
    QList<QVariantList> rows;
    for (int i = 1; i <= 4; ++i)
        rows << sampleRow(sporI, i);
    store.replaceAll(sporI, rows);
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, Ispec) VALUES ('A', 1), ('B', 2), ('C', 3), ('D', 4), ('E', 0)"));
    const QList<ReferenceRow> stored = store.rows(sporI);
    QCOMPARE(store.installationUsers(stored.at(2).idr), QStringList{QStringLiteral("C")});
    QCOMPARE(store.vehiclesWithInstallation(), 4);
    // Row 2 goes (no vehicle should name it by then, but one does): 3 and 4 move up.
    store.removeRow(sporI, stored.at(1).idr);
    QCOMPARE(env.value(QStringLiteral("SELECT Ispec FROM auto WHERE nrauto='A'")).toInt(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT Ispec FROM auto WHERE nrauto='B'")).toInt(), 0);
    QCOMPARE(env.value(QStringLiteral("SELECT Ispec FROM auto WHERE nrauto='C'")).toInt(), 2);
    QCOMPARE(env.value(QStringLiteral("SELECT Ispec FROM auto WHERE nrauto='D'")).toInt(), 3);
    QCOMPARE(env.value(QStringLiteral("SELECT Ispec FROM auto WHERE nrauto='E'")).toInt(), 0);
    // Each still names the same installation.
    QCOMPARE(env.value(QStringLiteral("SELECT s.sporkm FROM auto a JOIN sporI s ON s.nri=a.Ispec WHERE a.nrauto='D'")),
             rows.at(3).at(4));
    QCOMPARE(store.installationUsers(stored.at(2).idr), QStringList{QStringLiteral("C")});
}

void ReferenceStoreTest::consumptionRowsByIgnition()
{
    test::TestEnvironment env;
    ReferenceStore store(env.db());
    store.replaceAll(QStringLiteral("consumCm2"), {sampleRow(QStringLiteral("consumCm2"), 1),
                                                   sampleRow(QStringLiteral("consumCm2"), 2),
                                                   sampleRow(QStringLiteral("consumCm2"), 3)});
    // Rows 1 and 3 are for compression ignition, row 2 for spark ignition.
    QCOMPARE(store.consumptionRows(2, 1).size(), 1);
    QCOMPARE(store.consumptionRows(2, 2).size(), 2);
    QCOMPARE(store.consumptionRows(3, 1).size(), 0);
    const int idr = store.addRow(QStringLiteral("consumCm2"));
    QCOMPARE(store.consumptionRows(2, 2).size(), 2);
    QCOMPARE(store.consumptionRows(2, 1).last().idr, idr);
}

void ReferenceStoreTest::failedReplaceLeavesTable()
{
    test::TestEnvironment env;
    ReferenceStore store(env.db());
    const QString table = QStringLiteral("sistemU");
    store.replaceAll(table, {sampleRow(table, 1), sampleRow(table, 2)});
    const QByteArray before = store.csv(table);
    QVERIFY_THROWS_EXCEPTION(DbError, store.replaceAll(table, {sampleRow(table, 3), QVariantList{1}}));
    QCOMPARE(store.csv(table), before);
}

void ReferenceStoreTest::unknownTableRefused()
{
    test::TestEnvironment env;
    ReferenceStore store(env.db());
    QVERIFY_THROWS_EXCEPTION(DbError, store.rows(QStringLiteral("auto")));
    QVERIFY_THROWS_EXCEPTION(DbError, store.replaceAll(QStringLiteral("auto; DROP TABLE foaie"), {}));
    QVERIFY(referenceColumns(QStringLiteral("auto")).isEmpty());
}

QTEST_GUILESS_MAIN(ReferenceStoreTest)
#include "tst_referencestore.moc"
