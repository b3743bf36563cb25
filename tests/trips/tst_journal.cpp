// Two clerks on one database: a record changed since it was loaded is not
// written over, every change leaves one journal row in the same transaction,
// and a deleted sheet comes back from its journal row as it was. Runs on
// SQLite (two connections to one file) and on the test server.
#include "db/database.h"
#include "db/journalstore.h"
#include "fleet/partsstore.h"
#include "fleet/vehiclestore.h"
#include "fuel/refuelstore.h"
#include "testenvironment.h"
#include "trips/tripsheetservice.h"

#include <QJsonArray>
#include <QSqlRecord>
#include <QtTest>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

int counter = 0;

// The environment's database (clerk A) and a second connection to the same
// data (clerk B).
struct Clerks {
    test::TestEnvironment env;
    QString name = s("clerk-b-%1").arg(++counter);
    QSqlDatabase a = env.db();
    QSqlDatabase b;
    int ida = 0;

    Clerks()
    {
        b = env.otherClerk(name);
    }
    ~Clerks()
    {
        b = QSqlDatabase();
        database::close(name);
    }

    // A vehicle, its sheet 5 of March 2026 with trip 1, a parts entry, all
    // saved by clerk A as the windows save them.
    void fill()
    {
        VehicleRecord v;
        v.nrauto = s("B-01-JUR");
        v.marca = s("ROMAN");
        v.formula = 1;
        v.Ca = 0.5;
        v.consumption = {30, 32, 34, 2};
        ida = VehicleStore(a).save(v);
        TripSheetService service(a);
        const auto plan = service.planSave(header(s("POPESCU")), trip(1, "10"), 1);
        QVERIFY(plan);
        service.save(*plan, true);
        PartEntry part;
        part.ida = ida;
        part.act = s("F 1");
        part.denp = s("FILTRU");
        part.valoare = 12.5;
        PartsStore(a).add(part);
    }

    SheetHeader header(const QString &driver) const
    {
        SheetHeader h;
        h.nrf = 5;
        h.ida = ida;
        h.sofer = driver;
        h.orap = 8;
        h.oras = 16;
        h.data = s("02.03.2026");
        h.decada = 1;
        h.idl = 3;
        h.anul = 2026;
        return h;
    }

    static TripForm trip(int nrc, const char *kmII)
    {
        TripForm form;
        form.nrc = QString::number(nrc);
        form.km[1] = s(kmII);
        return form;
    }

    int journalRows() { return env.value(s("SELECT COUNT(*) FROM jurnal")).toInt(); }
};

// One clerk's save of the record of a kind, over what it loaded, with its own value.
void saveAs(Clerks &c, const QSqlDatabase &db, const QString &kind, const QString &value)
{
    if (kind == QLatin1String("sheet header") || kind == QLatin1String("trip")) {
        TripSheetService service(db);
        const std::optional<Sheet> sheet = service.sheets().byNumber(c.ida, 5);
        const std::optional<Trip> trip = service.trips().byNumber(sheet->idf, 1);
        const bool header = kind == QLatin1String("sheet header");
        const auto plan = service.planSave(c.header(header ? value : s("POPESCU")),
                                           Clerks::trip(1, header ? "10" : value.toLatin1().constData()), 1, sheet, trip);
        // Both loaded before either saved: the second clerk's plan is read
        // from the rows as loaded, the save refuses.
        service.save(*plan, true);
    } else if (kind == QLatin1String("vehicle")) {
        VehicleStore store(db);
        const Vehicle loaded = *store.byNumber(s("B-01-JUR"));
        VehicleRecord r;
        r.nrauto = loaded.nrauto;
        r.marca = value;
        r.formula = loaded.formula;
        r.Ca = loaded.Ca;
        r.consumption = *store.consumption(loaded.ida);
        r.versiune = loaded.versiune;
        r.consumVersiune = r.consumption.versiune;
        store.save(r);
    } else if (kind == QLatin1String("refuelling")) {
        RefuelStore store(db);
        SheetRefuel refuel = *store.sheet(c.ida, 5);
        refuel.bm = value.toDouble();
        store.save(refuel);
    } else if (kind == QLatin1String("parts entry")) {
        PartsStore store(db);
        const PartEntry loaded = store.entries(c.ida).first();
        PartEntry changed = loaded;
        changed.denp = value;
        store.update(loaded, changed);
    }
}

} // namespace

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void secondSaveIsRefused_data();
    void secondSaveIsRefused();
    void savingWhatWasDeletedMeanwhileIsRefused_data();
    void savingWhatWasDeletedMeanwhileIsRefused();
    void journalHoldsExactlyTheWrites();
    void updateListsOnlyWhatChanged_data();
    void updateListsOnlyWhatChanged();
    void deletedSheetComesBack_data();
    void deletedSheetComesBack();
};

void JournalTest::secondSaveIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("first");  // clerk A's value, which stands
    QTest::addColumn<QString>("second"); // clerk B's, refused
    QTest::addColumn<QString>("stored"); // reads what stands
    QTest::addColumn<QString>("table");  // the journal row of A's change
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("rows"); // journal rows A's save wrote
    QTest::newRow("sheet header") << s("sheet header") << s("ION") << s("VASILE") << s("SELECT sofer FROM foaie")
                                  << s("foaie") << s("sofer") << s("POPESCU") << 1; // its trip written as it was: no row
    QTest::newRow("trip") << s("trip") << s("25") << s("40") << s("SELECT kmII FROM curse") << s("curse") << s("kmII")
                          << s("10") << 1;
    QTest::newRow("vehicle") << s("vehicle") << s("DACIA") << s("ARO") << s("SELECT marca FROM auto") << s("auto")
                             << s("marca") << s("ROMAN") << 1; // its consum row as it was: no row
    QTest::newRow("refuelling") << s("refuelling") << s("40") << s("55") << s("SELECT bm FROM foaie") << s("foaie")
                                << s("bm") << s("0") << 1;
    QTest::newRow("parts entry") << s("parts entry") << s("ULEI") << s("PLACUTE") << s("SELECT denp FROM piese")
                                 << s("piese") << s("denp") << s("FILTRU") << 1;
}

void JournalTest::secondSaveIsRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, stored);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, before);
    QFETCH(int, rows);
    Clerks c;
    c.fill();
    const int journal = c.journalRows();

    // Both clerks load the record; A saves first, then B saves what B's screen still shows.
    struct Loaded {
        std::optional<Sheet> sheet;
        std::optional<Trip> trip;
        Vehicle vehicle;
        Consumption consumption;
        SheetRefuel refuel;
        PartEntry part;
    };
    auto load = [&](const QSqlDatabase &db) {
        Loaded l;
        TripSheetService service(db);
        l.sheet = service.sheets().byNumber(c.ida, 5);
        l.trip = service.trips().byNumber(l.sheet->idf, 1);
        l.vehicle = *VehicleStore(db).byNumber(s("B-01-JUR"));
        l.consumption = *VehicleStore(db).consumption(c.ida);
        l.refuel = *RefuelStore(db).sheet(c.ida, 5);
        l.part = PartsStore(db).entries(c.ida).first();
        return l;
    };
    const Loaded byB = load(c.b);
    saveAs(c, c.a, kind, first);
    // B's save over what B loaded before A's save.
    auto saveLoadedByB = [&] {
        if (kind == QLatin1String("sheet header") || kind == QLatin1String("trip")) {
            TripSheetService service(c.b);
            const bool header = kind == QLatin1String("sheet header");
            const auto plan = service.planSave(c.header(header ? second : s("POPESCU")),
                                               Clerks::trip(1, header ? "10" : second.toLatin1().constData()), 1,
                                               byB.sheet, byB.trip);
            service.save(*plan, true);
        } else if (kind == QLatin1String("vehicle")) {
            VehicleRecord r;
            r.nrauto = byB.vehicle.nrauto;
            r.marca = second;
            r.formula = byB.vehicle.formula;
            r.consumption = byB.consumption;
            r.versiune = byB.vehicle.versiune;
            r.consumVersiune = byB.consumption.versiune;
            VehicleStore(c.b).save(r);
        } else if (kind == QLatin1String("refuelling")) {
            SheetRefuel refuel = byB.refuel;
            refuel.bm = second.toDouble();
            RefuelStore(c.b).save(refuel);
        } else {
            PartEntry changed = byB.part;
            changed.denp = second;
            PartsStore(c.b).update(byB.part, changed);
        }
    };
    try {
        saveLoadedByB();
        QFAIL("the second save went through");
    } catch (const StaleRecord &refusal) {
        QVERIFY(!refusal.wasDeleted());
        QCOMPARE(refusal.message(),
                 s(" Datele au fost modificate intre timp de alt utilizator. Reincarcati si reluati modificarea. "));
    }

    // A's data stands, and the journal holds A's change alone.
    QCOMPARE(c.env.value(stored).toString(), first);
    QCOMPARE(c.journalRows(), journal + rows);
    QSqlQuery q = exec(c.a, s("SELECT inainte, dupa, fereastra FROM jurnal WHERE tabela=? AND actiune='modificare' "
                              "ORDER BY idj DESC"),
                       {table});
    QVERIFY(q.next());
    const QJsonValue was = journal::values(q.value(0).toString()).value(column);
    const QJsonValue now = journal::values(q.value(1).toString()).value(column);
    QCOMPARE(was.isDouble() ? QString::number(was.toDouble()) : was.toString(), before);
    QCOMPARE(now.isDouble() ? QString::number(now.toDouble()) : now.toString(), first);
    QVERIFY(!q.value(2).toString().isEmpty());
    q.finish(); // no read kept open on A's connection

    // Loaded again, B's save goes through.
    saveAs(c, c.b, kind, second);
    QCOMPARE(c.env.value(stored).toString(), second);
}

// Clerk A deletes what clerk B has on screen; B's save is refused as a
// deletion, not as a change, and writes nothing: no record is made again
// from B's screen.
void JournalTest::savingWhatWasDeletedMeanwhileIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("count"); // the rows of the kind left
    QTest::addColumn<int>("left");
    const QString sheetGone = s(" Foaia de parcurs a fost stearsa intre timp de alt utilizator !!! ");
    QTest::newRow("sheet, header changed") << s("sheet header") << sheetGone << s("SELECT COUNT(*) FROM foaie") << 0;
    QTest::newRow("sheet, header as loaded") << s("sheet, trip only") << sheetGone << s("SELECT COUNT(*) FROM foaie") << 0;
    QTest::newRow("sheet, at the header's write") << s("sheet at write") << sheetGone << s("SELECT COUNT(*) FROM foaie") << 0;
    QTest::newRow("trip") << s("trip") << s(" Cursa a fost stearsa intre timp de alt utilizator !!! ")
                          << s("SELECT COUNT(*) FROM curse") << 0;
    QTest::newRow("trip, at its write") << s("trip at write") << s(" Cursa a fost stearsa intre timp de alt utilizator !!! ")
                                        << s("SELECT COUNT(*) FROM curse") << 0;
    QTest::newRow("vehicle") << s("vehicle") << s(" Autovehiculul a fost sters intre timp de alt utilizator !!! ")
                             << s("SELECT COUNT(*) FROM auto") << 0;
    QTest::newRow("vehicle, number given again") << s("vehicle again")
                                                 << s(" Autovehiculul a fost sters intre timp de alt utilizator !!! ")
                                                 << s("SELECT COUNT(*) FROM auto WHERE marca='ARO'") << 1;
    QTest::newRow("parts entry") << s("parts entry") << s(" Inregistrarea a fost stearsa intre timp de alt utilizator !!! ")
                                 << s("SELECT COUNT(*) FROM piese") << 0;
    QTest::newRow("parts entry deleted") << s("parts removal")
                                         << s(" Inregistrarea a fost stearsa intre timp de alt utilizator !!! ")
                                         << s("SELECT COUNT(*) FROM piese") << 0;
}

void JournalTest::savingWhatWasDeletedMeanwhileIsRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(QString, count);
    QFETCH(int, left);
    Clerks c;
    c.fill();
    // B loads everything.
    TripSheetService b(c.b);
    const std::optional<Sheet> sheet = b.sheets().byNumber(c.ida, 5);
    const std::optional<Trip> trip = b.trips().byNumber(sheet->idf, 1);
    const Vehicle vehicle = *VehicleStore(c.b).byNumber(s("B-01-JUR"));
    const PartEntry part = PartsStore(c.b).entries(c.ida).first();
    // A deletes.
    TripSheetService a(c.a);
    if (kind.startsWith(s("sheet")))
        a.deleteSheet(*a.sheets().byNumber(c.ida, 5));
    else if (kind.startsWith(s("trip")))
        a.deleteTrip(sheet->idf, 1);
    else if (kind.startsWith(s("vehicle"))) {
        a.deleteSheet(*a.sheets().byNumber(c.ida, 5)); // a vehicle with sheets is not deleted
        QCOMPARE(VehicleStore(c.a).remove(c.ida), VehicleStore::Removal::Removed);
        if (kind == s("vehicle again")) {
            VehicleRecord other;
            other.nrauto = vehicle.nrauto;
            other.marca = s("ARO");
            other.consumption = {5, 6, 7, 2};
            VehicleStore(c.a).save(other);
        }
    } else
        PartsStore(c.a).remove(PartsStore(c.a).entries(c.ida).first());
    const int journal = c.journalRows();

    try {
        if (kind == s("sheet header") || kind == s("sheet, trip only") || kind == s("trip")) {
            const auto plan = b.planSave(c.header(kind == s("sheet header") ? s("ION") : s("POPESCU")),
                                         Clerks::trip(1, "20"), 1, sheet, trip);
            b.save(*plan, true);
        } else if (kind == s("sheet at write") || kind == s("trip at write")) {
            // Planned before the deletion, written after it.
            TripSheetService::SavePlan plan;
            plan.header = c.header(s("ION"));
            plan.trip = trip.value();
            plan.trip.km[1] = 20;
            plan.sheet = sheet;
            plan.storedTrip = trip;
            b.save(plan, true);
        } else if (kind.startsWith(s("vehicle"))) {
            VehicleRecord r;
            r.nrauto = vehicle.nrauto;
            r.marca = s("DACIA");
            r.consumption = {30, 32, 34, 2};
            r.ida = vehicle.ida;
            r.versiune = vehicle.versiune;
            VehicleStore(c.b).save(r);
        } else if (kind == s("parts entry")) {
            PartEntry changed = part;
            changed.denp = s("ULEI");
            PartsStore(c.b).update(part, changed);
        } else {
            PartsStore(c.b).remove(part);
        }
        QFAIL("the save went through");
    } catch (const StaleRecord &refusal) {
        QVERIFY(refusal.wasDeleted());
        QCOMPARE(refusal.message(), message);
    }
    QCOMPARE(c.env.value(count).toInt(), left);
    QCOMPARE(c.journalRows(), journal);
}

void JournalTest::journalHoldsExactlyTheWrites()
{
    Clerks c;
    c.fill();
    TripSheetService service(c.a);
    const auto second = service.planSave(c.header(s("POPESCU")), Clerks::trip(2, "7"), 1);
    service.save(*second, true);
    const int idf = service.sheets().byNumber(c.ida, 5)->idf;
    service.deleteTrip(idf, 1);
    SheetRefuel refuel = *RefuelStore(c.a).sheet(c.ida, 5);
    refuel.bm = 30;
    RefuelStore(c.a).save(refuel);
    service.deleteSheet(*service.sheets().byNumber(c.ida, 5));
    // A save refused and a transaction rolled back leave nothing.
    QVERIFY_THROWS_EXCEPTION(DbError, RefuelStore(c.a).save(refuel));

    QStringList rows;
    QSqlQuery q = exec(c.a, s("SELECT fereastra, tabela, actiune, nrauto, nrf, nrc FROM jurnal ORDER BY idj"));
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < 6; ++i)
            values << (q.isNull(i) ? QString() : q.value(i).toString());
        rows << values.join(u' ');
    }
    const QStringList expected = {
        s("auto auto adaugare B-01-JUR  "),        s("auto consum adaugare B-01-JUR  "),
        s("foaie foaie adaugare B-01-JUR 5 "),     s("foaie curse adaugare B-01-JUR 5 1"),
        s("piese piese adaugare B-01-JUR  "),      s("foaie curse adaugare B-01-JUR 5 2"),
        s("foaie curse stergere B-01-JUR 5 1"),    s("alim foaie modificare B-01-JUR 5 "),
        s("foaie foaie stergere B-01-JUR 5 "),
    };
    QCOMPARE(rows, expected);
    // Who: the user of the operating system, or the server's role.
    const QString who = c.env.onServer() ? c.env.value(s("SELECT current_user")).toString() : journal::osUser();
    QCOMPARE(c.env.value(s("SELECT COUNT(*) FROM jurnal WHERE cine=?"), {who}).toInt(), expected.size());
    // The deletion keeps the sheet whole, with the trip left on it.
    const QJsonObject deleted = journal::values(
        c.env.value(s("SELECT inainte FROM jurnal WHERE tabela='foaie' AND actiune='stergere'")).toString());
    QCOMPARE(deleted.value(s("sofer")).toString(), s("POPESCU"));
    QCOMPARE(deleted.value(s("bm")).toDouble(), 30.0);
    QCOMPARE(deleted.value(s("curse")).toArray().size(), 1);
    QCOMPARE(deleted.value(s("curse")).toArray().first().toObject().value(s("nrc")).toInt(), 2);
    // The refuelling changed the diesel alone: its untouched boxes (NULL
    // before, "" after) are no change.
    const QJsonObject refuelled = journal::values(
        c.env.value(s("SELECT dupa FROM jurnal WHERE fereastra='alim'")).toString());
    QCOMPARE(refuelled.keys(), QStringList{s("bm")});
}

void JournalTest::updateListsOnlyWhatChanged_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("keptBefore"); // empty: no journal row
    QTest::addColumn<QString>("keptAfter");
    QTest::newRow("null is an empty text") << s(R"({"nractc":null,"bm":5})") << s(R"({"nractc":"","bm":5})")
                                           << QString() << QString();
    QTest::newRow("empty text is null") << s(R"({"sofer":""})") << s(R"({"sofer":null})") << QString() << QString();
    QTest::newRow("null against 0") << s(R"({"gz":null})") << s(R"({"gz":0})") << s(R"({"gz":null})")
                                    << s(R"({"gz":0})");
    QTest::newRow("empty text against 0") << s(R"({"act":""})") << s(R"({"act":0})") << s(R"({"act":""})")
                                          << s(R"({"act":0})");
    QTest::newRow("whole and decimal number") << s(R"({"valoare":12})") << s(R"({"valoare":12.0})") << QString()
                                              << QString();
    QTest::newRow("unchanged columns dropped")
        << s(R"({"act":"F 1","denp":"FILTRU","valoare":12.5})") << s(R"({"act":"F 1","denp":"FILTRU","valoare":13})")
        << s(R"({"valoare":12.5})") << s(R"({"valoare":13})");
    QTest::newRow("text changed to empty") << s(R"({"sofer":"POPA"})") << s(R"({"sofer":""})")
                                           << s(R"({"sofer":"POPA"})") << s(R"({"sofer":""})");
}

// Every update goes through the same rule, whatever store records it.
void JournalTest::updateListsOnlyWhatChanged()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, keptBefore);
    QFETCH(QString, keptAfter);
    test::TestEnvironment env;
    env.written([&](WriteRun &run) {
        Change c;
        c.table = s("piese");
        c.key = 1;
        c.action = Change::updated();
        c.nrauto = s("B-01-JUR");
        c.before = journal::values(before);
        c.after = journal::values(after);
        run.record(c);
    });
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM jurnal")).toInt(), keptBefore.isEmpty() ? 0 : 1);
    if (keptBefore.isEmpty())
        return;
    QCOMPARE(journal::values(env.value(s("SELECT inainte FROM jurnal")).toString()), journal::values(keptBefore));
    QCOMPARE(journal::values(env.value(s("SELECT dupa FROM jurnal")).toString()), journal::values(keptAfter));
}

void JournalTest::deletedSheetComesBack_data()
{
    QTest::addColumn<QString>("meanwhile"); // what happens between the deletion and the restoring
    QTest::addColumn<int>("result");
    QTest::newRow("nothing") << QString() << int(JournalStore::Restore::Restored);
    QTest::newRow("number used again") << s("reuse") << int(JournalStore::Restore::NumberReused);
    QTest::newRow("brought back already") << s("restore") << int(JournalStore::Restore::NumberReused);
    QTest::newRow("vehicle deleted") << s("vehicle") << int(JournalStore::Restore::VehicleGone);
}

void JournalTest::deletedSheetComesBack()
{
    QFETCH(QString, meanwhile);
    QFETCH(int, result);
    Clerks c;
    c.fill();
    TripSheetService service(c.a);
    for (int nrc = 2; nrc <= 3; ++nrc)
        service.save(*service.planSave(c.header(s("POPESCU")), Clerks::trip(nrc, "12.5"), 1), true);
    SheetRefuel refuel = *RefuelStore(c.a).sheet(c.ida, 5);
    refuel.bm = 44.5;
    refuel.nractc = s("BON 7");
    RefuelStore(c.a).save(refuel);
    const QString sheetRow = s("SELECT idf, nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul, bm, nractc, gz, "
                               "um, schu, restit FROM foaie");
    const QString tripRows = s("SELECT idc, idf, nrc, kmI, kmII, kmT, kmE, Kg, Gm, Cn, Cu, traseu FROM curse ORDER BY idc");
    auto snapshot = [&](const QString &sql) {
        QStringList rows;
        QSqlQuery q = exec(c.a, sql);
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << q.value(i).toString();
            rows << values.join(u'|');
        }
        return rows;
    };
    const QStringList sheetBefore = snapshot(sheetRow);
    const QStringList tripsBefore = snapshot(tripRows);
    QCOMPARE(tripsBefore.size(), 3);
    service.deleteSheet(*service.sheets().byNumber(c.ida, 5));
    const qint64 idj = c.env.value(s("SELECT idj FROM jurnal WHERE tabela='foaie' AND actiune='stergere'")).toLongLong();

    JournalStore journal(c.b);
    if (meanwhile == QLatin1String("reuse"))
        service.save(*service.planSave(c.header(s("ALTUL")), Clerks::trip(1, "1"), 1), true);
    else if (meanwhile == QLatin1String("restore"))
        QCOMPARE(journal.restoreSheet(idj, s("jurnal")), JournalStore::Restore::Restored);
    else if (meanwhile == QLatin1String("vehicle"))
        QCOMPARE(VehicleStore(c.a).remove(c.ida), VehicleStore::Removal::Removed);
    const QStringList sheetMeanwhile = snapshot(sheetRow);
    const int journalRows = c.journalRows();

    QCOMPARE(int(journal.restoreSheet(idj, s("jurnal"))), result);
    if (result != int(JournalStore::Restore::Restored)) {
        QCOMPARE(snapshot(sheetRow), sheetMeanwhile); // nothing written
        QCOMPARE(c.journalRows(), journalRows);
        return;
    }
    QCOMPARE(snapshot(sheetRow), sheetBefore);
    QCOMPARE(snapshot(tripRows), tripsBefore);
    QCOMPARE(c.journalRows(), journalRows + 1);
    // A window that still holds the sheet as it was before the deletion
    // cannot write over the sheet brought back.
    QVERIFY(c.env.value(s("SELECT versiune FROM foaie")).toInt() > 0);
    QVERIFY(!journal.entry(idj + 1)->dupa.isEmpty());
}

QTEST_MAIN(JournalTest)
#include "tst_journal.moc"
