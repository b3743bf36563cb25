// The audit read from a database: a year of the fleet or of one vehicle, the
// sheet before a year's first (from the last year with sheets), the closed
// months; the odometer stored by the sheet store with its journal; and
// vok --audit's lines and exit codes.
#include "control/auditcli.h"
#include "control/auditstore.h"
#include "monthfixtures.h"
#include "trips/sheetstore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QtTest>

using namespace vok;
using namespace vok::test;

namespace {

void measure(TestEnvironment &env, int idf, const QVariant &kmp, const QVariant &kms, const QVariant &rezp = {},
             const QVariant &rezs = {})
{
    env.sql(QStringLiteral("UPDATE foaie SET kmplecare=?, kmsosire=?, rezplecare=?, rezsosire=? WHERE idf=?"),
            {kmp, kms, rezp, rezs, idf});
}

QStringList lines(const QList<control::Finding> &findings)
{
    QStringList result;
    for (const control::Finding &f : findings)
        result << control::findingLine(f);
    return result;
}

struct Command {
    int code = 0;
    QString out, err;
};

Command audit(const QString &dir, const QString &year)
{
    Command c;
    QTextStream out(&c.out), err(&c.err);
    c.code = control::runAuditCommand({dir, QString(), year}, out, err);
    return c;
}

} // namespace

class AuditStoreTest : public QObject {
    Q_OBJECT
private slots:
    void readsWhatTheAuditNeeds();
    void previousSheetFromAnEarlierYear();
    void closedMonthAgainstTheTank();
    void sheetStoreKeepsNotRecorded();
    void commandLine();
};

void AuditStoreTest::readsWhatTheAuditNeeds()
{
    TestEnvironment env;
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    env.sql(QStringLiteral("UPDATE auto SET caprez=60 WHERE ida=?"), {a});
    const int idf = addSheet(env, a, {.nrf = 4, .anul = 2024, .idl = 3, .orap = 7.3, .oras = 15, .bm = 20, .gz = 5,
                                      .restit = 2});
    addTrip(env, idf, {.nrc = 1, .kmT = 30, .Cn = 4});
    addTrip(env, idf, {.nrc = 2, .kmT = 12.5, .Cn = 1.5});
    measure(env, idf, 100, QVariant(), 40, 0);
    addSheet(env, a, {.nrf = 5, .anul = 2025, .idl = 1});

    const control::AuditInput input = control::AuditStore(env.db()).load(2024);
    QCOMPARE(input.sheets.size(), 1);
    const control::AuditSheet &s = input.sheets.first();
    QCOMPARE(s.nrauto, QStringLiteral("B-01-ABC"));
    QCOMPARE(s.nrf, 4);
    QCOMPARE(s.data, QStringLiteral("05.03.2024"));
    QCOMPARE(s.orap, 7.3);
    QCOMPARE(s.sofer, QStringLiteral("POPESCU"));
    QCOMPARE(s.kmplecare.value_or(-1), 100.0);
    QVERIFY(!s.kmsosire);
    QCOMPARE(s.rezplecare.value_or(-1), 40.0);
    // An empty tank measured is a measurement, not a blank.
    QCOMPARE(s.rezsosire.value_or(-1), 0.0);
    QCOMPARE(s.fuelIn, 25.0);
    QCOMPARE(s.restit, 2.0);
    QCOMPARE(s.normed, 5.5);
    QCOMPARE(s.kmTrips, 42.5);
    QCOMPARE(s.caprez, 60.0);
    QVERIFY(input.previous.isEmpty());
    // A vehicle chosen: only its sheets.
    const int b = addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ")});
    addSheet(env, b, {.nrf = 4, .anul = 2024, .idl = 3});
    QCOMPARE(control::AuditStore(env.db()).load(2024).sheets.size(), 2);
    QCOMPARE(control::AuditStore(env.db()).load(2024, b).sheets.size(), 1);
    QCOMPARE(control::AuditStore(env.db()).load(0).sheets.size(), 3);

    // Every year at once sums the trips apart, by the sheets' keys: the same
    // sums whether the keys follow each other or lie far apart, and a trip
    // of no sheet counts nowhere.
    auto sumsOf = [&](int key) {
        for (const control::AuditSheet &sheet : control::AuditStore(env.db()).load(0).sheets)
            if (sheet.idf == key)
                return std::pair{sheet.normed, sheet.kmTrips};
        return std::pair{-1.0, -1.0};
    };
    QCOMPARE(sumsOf(idf), (std::pair{5.5, 42.5}));
    env.sql(QStringLiteral("INSERT INTO foaie (idf, nrf, ida, anul, idl) VALUES (50000, 7, ?, 2024, 4)"), {a});
    addTrip(env, 50000, {.kmT = 3, .Cn = 0.5});
    env.sql(QStringLiteral("INSERT INTO curse (idf, nrc, kmT, Cn) VALUES (40000, 1, 9, 9)"));
    QCOMPARE(sumsOf(50000), (std::pair{0.5, 3.0}));
    QCOMPARE(sumsOf(idf), (std::pair{5.5, 42.5}));
}

void AuditStoreTest::previousSheetFromAnEarlierYear()
{
    // The first sheet of 2025 follows the last of 2022 (no sheet in between
    // years): its departure is checked against that sheet's return.
    TestEnvironment env;
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    measure(env, addSheet(env, a, {.nrf = 1, .anul = 2022, .idl = 11}), 10, 20);
    measure(env, addSheet(env, a, {.nrf = 2, .anul = 2022, .idl = 12, .orap = 6, .oras = 7}), 20, 30);
    measure(env, addSheet(env, a, {.nrf = 3, .anul = 2022, .idl = 12, .orap = 9, .oras = 10}), 30, 40);
    const int first = addSheet(env, a, {.nrf = 9, .anul = 2025, .idl = 1});
    addTrip(env, first, {.kmT = 10});
    measure(env, first, 45, 55);
    QCOMPARE(lines(control::auditYear(env.db(), 2025)),
             QStringList{"B-01-ABC\t9\t05.01.2025\todometer-gap\tprevious:40.0 this:45.0"});
    // The earlier sheets themselves are not audited with 2025.
    QCOMPARE(control::AuditStore(env.db()).load(2025).previous.size(), 2);
}

void AuditStoreTest::closedMonthAgainstTheTank()
{
    TestEnvironment env;
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    measure(env, addSheet(env, a, {.nrf = 1, .anul = 2024, .idl = 3}), QVariant(), QVariant(), QVariant(), 30);
    measure(env, addSheet(env, a, {.nrf = 2, .anul = 2024, .idl = 4}), QVariant(), QVariant(), QVariant(), 30);
    addMonthRow(env, a, 2024, 3, 20, 0, 0);
    addMonthRow(env, a, 2023, 4, 10, 0, 0);
    // April is not closed in 2024 (the row is of 2023): no finding for it.
    QCOMPARE(lines(control::auditYear(env.db(), 2024)),
             QStringList{"B-01-ABC\t1\t05.03.2024\tstock-difference\tbook:20.00 measured:30.00"});
}

void AuditStoreTest::sheetStoreKeepsNotRecorded()
{
    TestEnvironment env;
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    SheetStore store(env.db());
    SheetHeader h;
    h.nrf = 3;
    h.ida = a;
    h.data = QStringLiteral("05.03.2024");
    h.idl = 3;
    h.anul = 2024;
    h.kmplecare = 1200.5;
    const int idf = env.written([&](WriteRun &run) { return store.insert(run, h); });
    QCOMPARE(env.value(QStringLiteral("SELECT kmplecare FROM foaie WHERE idf=?"), {idf}).toDouble(), 1200.5);
    QVERIFY(env.value(QStringLiteral("SELECT kmsosire FROM foaie WHERE idf=?"), {idf}).isNull());
    std::optional<Sheet> stored = store.byId(idf);
    QVERIFY(stored && stored->kmplecare == 1200.5 && !stored->kmsosire);

    // The odometer changed alone is a change of the header, journalled.
    h.kmplecare.reset();
    h.kmsosire = 0;
    env.written([&](WriteRun &run) { store.update(run, *stored, h); });
    QVERIFY(env.value(QStringLiteral("SELECT kmplecare FROM foaie WHERE idf=?"), {idf}).isNull());
    QCOMPARE(env.value(QStringLiteral("SELECT kmsosire FROM foaie WHERE idf=?"), {idf}).toDouble(), 0.0);
    const QJsonObject before = QJsonDocument::fromJson(
        env.value(QStringLiteral("SELECT inainte FROM jurnal WHERE actiune=? ORDER BY idj DESC"),
                  {Change::updated()}).toString().toUtf8()).object();
    QCOMPARE(before.value(QStringLiteral("kmplecare")).toDouble(), 1200.5);
    QVERIFY(before.value(QStringLiteral("kmsosire")).isNull());
    // Saved again as loaded: nothing written.
    stored = store.byId(idf);
    const int version = stored->versiune;
    env.written([&](WriteRun &run) { store.update(run, *stored, h); });
    QCOMPARE(store.byId(idf)->versiune, version);
}

void AuditStoreTest::commandLine()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("the command line reads the data folder");
    const int a = addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    measure(env, addSheet(env, a, {.nrf = 1, .anul = 2024, .idl = 3}), 100, 90);
    Command c = audit(env.dataDir(), QStringLiteral("2024"));
    QCOMPARE(c.code, 1);
    QCOMPARE(c.out, QStringLiteral("B-01-ABC\t1\t05.03.2024\todometer-back\tdeparture:100.0 return:90.0\n"
                                   "B-01-ABC\t1\t05.03.2024\tkm-mismatch\todometer:-10.0 trips:0.0\n"));
    QVERIFY(c.err.isEmpty());
    c = audit(env.dataDir(), QStringLiteral("2023"));
    QCOMPARE(c.code, 0);
    QVERIFY(c.out.isEmpty());
    c = audit(env.dataDir(), QStringLiteral("24"));
    QCOMPARE(c.code, 2);
    QVERIFY2(c.err.contains(QStringLiteral("patru cifre")), qPrintable(c.err));
    c = audit(env.dataDir() + QStringLiteral("/nu-exista"), QStringLiteral("2024"));
    QCOMPARE(c.code, 2);
    QVERIFY2(c.err.contains(QStringLiteral("nu exista")), qPrintable(c.err));
    QVERIFY(c.out.isEmpty());
}

QTEST_MAIN(AuditStoreTest)
#include "tst_auditstore.moc"
