// The status of closed months and the recompute of the carry-over chain: what
// a change after closing does to the month and, through the carry-over, to the
// months after it; that the recompute writes exactly what closing the months
// by hand in calendar order writes; and that a failure leaves a vehicle as it was.
#include "db/database.h"
#include "months/monthclose.h"
#include "months/monthstatus.h"
#include "monthfixtures.h"

#include <QtTest>

using namespace vok;
using namespace vok::test;

class MonthStatusTest : public QObject {
    Q_OBJECT
private slots:
    void changeAfterClosing_data();
    void changeAfterClosing();
    void recomputeEqualsClosingByHand_data();
    void recomputeEqualsClosingByHand();
    void failureLeavesTheVehicleAsItWas();
    void changesMarkTheirMonths_data();
    void changesMarkTheirMonths();
    void closingAndWritersTakeTurns();
};

namespace {

constexpr int Year = 2024;

// The fleet of every scenario: one vehicle with a sheet and a trip in each
// month of 2023 and 2024 but the months left out, every month closed in
// calendar order but the ones left open.
struct Scenario {
    QList<int> idleMonths2024;       // months of 2024 without sheets
    QList<int> openMonths2024;       // months of 2024 with sheets, never closed
    QList<int> months2023;           // months of 2023 with sheets, closed
};

int sheetNumber(int year, int month) { return year * 100 + month; }

// Builds the scenario and returns the vehicle's key.
int build(TestEnvironment &env, const Scenario &s)
{
    const int ida = addVehicle(env, {.Cb = 12.5, .kmef = 10000, .kmechiv = 11000, .restrez = 50});
    QList<std::pair<int, int>> months;
    for (int m : s.months2023)
        months.append({2023, m});
    for (int m = 1; m <= 12; ++m)
        if (!s.idleMonths2024.contains(m))
            months.append({Year, m});
    for (const auto &[year, month] : months) {
        const int idf = addSheet(env, ida, {.nrf = sheetNumber(year, month), .anul = year, .idl = month,
                                            .orap = 8, .oras = 16.5, .bm = 100});
        addTrip(env, idf, {.kmT = 200.0 + month, .kmE = 210.5 + month, .Cn = 40 + month / 10.0, .Cu = 0.2});
    }
    for (const auto &[year, month] : months)
        if (year != Year || !s.openMonths2024.contains(month))
            closeMonth(env.db(), ida, year, month);
    return ida;
}

// One letter a month: '.' no sheets, 'o' current, 's' stale, 'n' not closed, 'r' restarts.
QString letters(const VehicleMonths &v)
{
    QString text;
    for (const MonthStatus &m : v.months)
        text += QStringLiteral(".osnr").at(int(m.state));
    return text;
}

QStringList columns(const QList<ColumnChange> &changes)
{
    QStringList names;
    for (const ColumnChange &c : changes)
        names << c.column;
    return names;
}

// Every month row of the database, in calendar order, as comparable text.
QStringList allRows(TestEnvironment &env)
{
    QStringList rows;
    QSqlQuery query = exec(env.db(), QStringLiteral("SELECT ida, anul, idl, ore, km, kme, kminc, tone, tonekm, bm, gz, "
                                                    "restit, restrez, Cn, um, ut, ua, Cu, kmt, kmet FROM dateluna "
                                                    "ORDER BY ida, anul, idl"));
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < 20; ++i)
            values << QString::number(query.value(i).toDouble(), 'g', 17);
        rows << values.join(u' ');
    }
    return rows;
}

void addScenarioRows()
{
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<QString>("change"); // a statement run after closing
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("month");        // a month whose changed columns are checked
    QTest::addColumn<QStringList>("changed");
    QTest::addColumn<QStringList>("earlier"); // stale months of earlier years carried into the year

    const QStringList none;
    const QString march = QStringLiteral("UPDATE curse SET kmT=kmT+10, Cn=Cn+2.5 WHERE idf=(SELECT idf FROM foaie WHERE nrf=202403)");
    const QString december = QStringLiteral("UPDATE curse SET Cn=Cn+7 WHERE idf=(SELECT idf FROM foaie WHERE nrf=202312)");
    const QString november = QStringLiteral("UPDATE foaie SET bm=bm+20 WHERE nrf=202311");
    QTest::newRow("all closed, nothing changed") << Scenario{} << QString() << Year << "oooooooooooo" << 3 << none << none;
    QTest::newRow("trip changed in March") << Scenario{} << march << Year << "oossssssssss" << 3
                                           << QStringList{"km", "restrez", "Cn", "kmt"} << none;
    QTest::newRow("through the carry-over") << Scenario{} << march << Year << "oossssssssss" << 12
                                            << QStringList{"restrez", "kmt"} << none;
    QTest::newRow("refuelling added to June") << Scenario{} << "UPDATE foaie SET bm=bm+50 WHERE nrf=202406" << Year << "ooooosssssss" << 6
                                              << QStringList{"bm", "restrez"} << none;
    QTest::newRow("oil change in August") << Scenario{} << "UPDATE foaie SET schu=1 WHERE nrf=202408" << Year << "ooooooosoooo"
                                          << 8 << QStringList{"Cu"} << none;
    QTest::newRow("idle May restarts June") << Scenario{{5}, {}, {}} << QString() << Year << "oooo.roooooo" << 6 << none << none;
    QTest::newRow("first months without sheets") << Scenario{{1, 2}, {}, {}} << QString() << Year << "..oooooooooo"
                                                 << 3 << none << none;
    // March was closed from SETARI: its own state, not a change after closing.
    QTest::newRow("February never closed") << Scenario{{}, {2}, {}} << QString() << Year << "onrooooooooo" << 3
                                           << none << none;
    QTest::newRow("December changed, its year") << Scenario{{}, {}, {12}} << december << 2023
                                                << "...........s" << 12 << QStringList{"restrez", "Cn"} << none;
    QTest::newRow("December changed, the year after") << Scenario{{}, {}, {12}} << december << Year
                                                      << "ssssssssssss" << 1 << QStringList{"restrez"}
                                                      << QStringList{"12/2023"};
    QTest::newRow("November changed, two months back") << Scenario{{}, {}, {11, 12}} << november << Year
                                                       << "ssssssssssss" << 12 << QStringList{"restrez"}
                                                       << QStringList{"11/2023", "12/2023"};
    // January was closed from December as it was: the recompute puts
    // December back and leaves January as it is.
    QTest::newRow("December's row edited") << Scenario{{}, {}, {11, 12}}
                                           << "UPDATE dateluna SET restrez=restrez+1 WHERE anul=2023 AND idl=12" << Year
                                           << "sooooooooooo" << 1 << none << QStringList{"12/2023"};
    // What the vehicle's first closed month opened from: every month after it.
    QTest::newRow("initial state changed") << Scenario{{}, {}, {11, 12}} << "UPDATE auto SET restrez=60" << Year
                                           << "ssssssssssss" << 1 << QStringList{"restrez"}
                                           << QStringList{"11/2023", "12/2023"};
    QTest::newRow("idle December ends the chain") << Scenario{{}, {}, {10, 11}} << november << Year
                                                  << "rooooooooooo" << 1 << none << none;
}

} // namespace

Q_DECLARE_METATYPE(Scenario)

void MonthStatusTest::changeAfterClosing_data() { addScenarioRows(); }

void MonthStatusTest::changeAfterClosing()
{
    QFETCH(Scenario, scenario);
    QFETCH(QString, change);
    QFETCH(int, year);
    QFETCH(QString, expected);
    QFETCH(int, month);
    QFETCH(QStringList, changed);
    QFETCH(QStringList, earlier);
    TestEnvironment env;
    const int ida = build(env, scenario);
    if (!change.isEmpty())
        env.sql(change);
    const QStringList before = allRows(env);

    const VehicleMonths status = vehicleMonths(env.db(), ida, year);
    const QString letters = ::letters(status);
    QCOMPARE(letters, expected);
    QCOMPARE(columns(status.months[month - 1].changes), changed);
    QStringList earlierMonths;
    for (const MonthChange &c : status.earlier)
        earlierMonths << QStringLiteral("%1/%2").arg(c.month).arg(c.year);
    QCOMPARE(earlierMonths, earlier);
    QCOMPARE(status.needsRecompute(), expected.contains(u's') || expected.contains(u'n'));
    // Looking writes nothing.
    QCOMPARE(allRows(env), before);
}

void MonthStatusTest::recomputeEqualsClosingByHand_data() { addScenarioRows(); }

void MonthStatusTest::recomputeEqualsClosingByHand()
{
    QFETCH(Scenario, scenario);
    QFETCH(QString, change);
    QFETCH(int, year);
    // The same data twice: one recomputed, one closed by hand in calendar order.
    TestEnvironment recomputed, byHand;
    const int ida = build(recomputed, scenario);
    QCOMPARE(build(byHand, scenario), ida);
    if (!change.isEmpty()) {
        recomputed.sql(change);
        byHand.sql(change);
    }
    const VehicleMonths before = vehicleMonths(recomputed.db(), ida, year);

    const int from = year == Year ? 1 : 12;
    const QList<MonthChange> changes = recomputeChain(recomputed.db(), ida, year, from);
    // By hand: every month with sheets in calendar order from the first
    // stale month the status named (of an earlier year too).
    auto order = [](int y, int m) { return y * 12 + m; };
    const int start = before.earlier.isEmpty() ? order(year, from)
                                               : order(before.earlier.first().year, before.earlier.first().month);
    QSqlQuery months = exec(byHand.db(), QStringLiteral("SELECT DISTINCT anul, idl FROM foaie WHERE ida=? "
                                                        "ORDER BY anul, idl"), {ida});
    while (months.next()) {
        const int y = months.value(0).toInt();
        const int m = months.value(1).toInt();
        if (order(y, m) >= start)
            closeMonth(byHand.db(), ida, y, m);
    }
    QCOMPARE(allRows(recomputed), allRows(byHand));

    // The recompute changed exactly what the status foretold for that year
    // (the rows it would store) and before it, in the same words.
    QList<MonthChange> foretold = before.earlier;
    for (const MonthStatus &m : before.months) {
        if (m.state == MonthState::NotClosed)
            foretold.append({year, m.month, m.state, {}});
        else if (m.stored && !rowChanges(*m.stored, *m.recomputed).isEmpty())
            foretold.append({year, m.month, MonthState::Stale, rowChanges(*m.stored, *m.recomputed)});
    }
    QList<MonthChange> ofTheYear;
    for (const MonthChange &c : changes)
        if (c.year <= year)
            ofTheYear.append(c);
    QCOMPARE(ofTheYear.size(), foretold.size());
    for (int i = 0; i < foretold.size(); ++i) {
        QCOMPARE(ofTheYear[i].year, foretold[i].year);
        QCOMPARE(ofTheYear[i].month, foretold[i].month);
        QCOMPARE(stateName(ofTheYear[i].before), stateName(foretold[i].before));
        QCOMPARE(changesText(ofTheYear[i].changes), changesText(foretold[i].changes));
    }
    // Afterwards every month of the year is current (or restarts, or idle).
    const QString after = letters(vehicleMonths(recomputed.db(), ida, year));
    QVERIFY2(!after.contains(u's') && !after.contains(u'n'), qPrintable(after));
    // Months without sheets got no row.
    for (int m : scenario.idleMonths2024)
        QCOMPARE(recomputed.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE anul=? AND idl=?"), {Year, m})
                     .toInt(),
                 0);
}

void MonthStatusTest::failureLeavesTheVehicleAsItWas()
{
    TestEnvironment env;
    const int ida = build(env, {});
    env.sql(QStringLiteral("UPDATE curse SET Cn=Cn+2.5 WHERE idf=(SELECT idf FROM foaie WHERE nrf=202403)"));
    const QStringList before = allRows(env);
    // Writing June fails, after March to May were written.
    if (env.onServer()) {
        env.sql(QStringLiteral("CREATE FUNCTION june_fails() RETURNS trigger AS $$ BEGIN "
                               "IF NEW.idl = 6 THEN RAISE EXCEPTION 'iunie blocat'; END IF; RETURN NEW; END "
                               "$$ LANGUAGE plpgsql"));
        env.sql(QStringLiteral("CREATE TRIGGER june_fails BEFORE UPDATE ON dateluna FOR EACH ROW "
                               "EXECUTE FUNCTION june_fails()"));
    } else {
        env.sql(QStringLiteral("CREATE TRIGGER june_fails BEFORE UPDATE ON dateluna WHEN NEW.idl = 6 "
                               "BEGIN SELECT RAISE(ABORT, 'iunie blocat'); END"));
    }
    try {
        recomputeChain(env.db(), ida, Year, 1);
        QFAIL("the recompute went through");
    } catch (const DbError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("iunie blocat")), qPrintable(error.message()));
    }
    QCOMPARE(allRows(env), before);
    // The connection is usable again, and the recompute goes through once June can be written.
    env.sql(QStringLiteral("DROP TRIGGER june_fails") + (env.onServer() ? QStringLiteral(" ON dateluna") : QString()));
    QCOMPARE(recomputeChain(env.db(), ida, Year, 1).size(), 10);
    QCOMPARE(letters(vehicleMonths(env.db(), ida, Year)), QStringLiteral("oooooooooooo"));
}

QTEST_GUILESS_MAIN(MonthStatusTest)
// Whoever changes what a closed month is made of marks the month (and what
// carries over from it), so that a check of a later year sums only those
// months of the years behind it; closing a month takes its mark away.
void MonthStatusTest::changesMarkTheirMonths_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("marked"); // besides January 2025, which the closing of December marks

    const QString sheet = QStringLiteral("(SELECT idf FROM foaie WHERE nrf=%1)");
    QTest::newRow("nothing changed") << QString() << QStringList{};
    QTest::newRow("trip changed") << "UPDATE curse SET Cn=Cn+1 WHERE idf=" + sheet.arg(202403) << QStringList{"3/2024"};
    QTest::newRow("trip added") << "INSERT INTO curse (idf, nrc, kmT, Cn) SELECT idf, 2, 5, 1 FROM foaie WHERE nrf=202406"
                                << QStringList{"6/2024"};
    QTest::newRow("trip deleted") << "DELETE FROM curse WHERE idf=" + sheet.arg(202312) << QStringList{"12/2023"};
    QTest::newRow("sheet deleted") << QStringLiteral("DELETE FROM foaie WHERE nrf=202405") << QStringList{"5/2024"};
    QTest::newRow("sheet moved to August") << QStringLiteral("UPDATE foaie SET idl=8 WHERE nrf=202407")
                                           << QStringList{"7/2024", "8/2024"};
    QTest::newRow("row's rest edited") << QStringLiteral("UPDATE dateluna SET restrez=restrez+1 WHERE anul=2023 AND idl=12")
                                       << QStringList{"12/2023", "1/2024"};
    QTest::newRow("row's hours edited") << QStringLiteral("UPDATE dateluna SET ore=ore+1 WHERE anul=2023 AND idl=12")
                                        << QStringList{"12/2023"};
    QTest::newRow("row closed again unchanged") << QStringLiteral("UPDATE dateluna SET restrez=restrez, ore=ore")
                                                << QStringList{};
    QTest::newRow("row deleted") << QStringLiteral("DELETE FROM dateluna WHERE anul=2024 AND idl=12")
                                 << QStringList{"12/2024"};
    QTest::newRow("sump changed") << QStringLiteral("UPDATE auto SET Cb=20")
                                  << QStringList{"11/2023", "12/2023", "1/2024", "2/2024", "3/2024", "4/2024", "5/2024",
                                                 "6/2024", "7/2024", "8/2024", "9/2024", "10/2024", "11/2024", "12/2024"};
    QTest::newRow("regime picked") << QStringLiteral("UPDATE auto SET Cm=5") << QStringList{};
}

void MonthStatusTest::changesMarkTheirMonths()
{
    QFETCH(QString, change);
    QFETCH(QStringList, marked);
    TestEnvironment env;
    const int ida = build(env, Scenario{{}, {}, {11, 12}});
    auto marks = [&] {
        QStringList months;
        QSqlQuery query = exec(env.db(), QStringLiteral("SELECT anul, idl FROM lunischimbate WHERE ida=? "
                                                        "AND NOT (anul=2025 AND idl=1) ORDER BY anul, idl"), {ida});
        while (query.next())
            months << QStringLiteral("%1/%2").arg(query.value(1).toInt()).arg(query.value(0).toInt());
        return months;
    };
    QCOMPARE(marks(), QStringList{});
    if (!change.isEmpty())
        env.sql(change);
    QCOMPARE(marks(), marked);
    // Looking at a later year leaves the marks; recomputing from the first
    // closed month takes away every mark of a month it rewrites (a row left
    // in a month without sheets is never rewritten).
    vehicleMonths(env.db(), ida, Year);
    QCOMPARE(marks(), marked);
    recomputeChain(env.db(), ida, 2023, 11);
    QStringList left = marks();
    left.removeIf([&](const QString &m) {
        const QStringList parts = m.split(u'/');
        return env.value(QStringLiteral("SELECT COUNT(*) FROM foaie WHERE anul=? AND idl=?"),
                         {parts[1].toInt(), parts[0].toInt()})
                   .toInt()
               == 0;
    });
    QCOMPARE(left, QStringList{});
}

// On a server two clerks write at once: a write to a month waits for the
// month's closing to end, and a closing waits for a write to its month, so
// that nothing lands between the closing's reading of the month and its
// taking the month's mark away.
void MonthStatusTest::closingAndWritersTakeTurns()
{
    TestEnvironment env;
    if (!env.onServer())
        QSKIP("on a file a closing's write transaction has the whole file to itself");
    const int ida = build(env, Scenario{});
    const QString march = QStringLiteral("UPDATE curse SET Cn=Cn+1 WHERE idf=(SELECT idf FROM foaie WHERE nrf=202403)");
    const QString name = QStringLiteral("other-clerk");
    {
        const QSqlDatabase other = env.otherClerk(name);
        exec(other, QStringLiteral("SET lock_timeout = '300ms'"));
        {
            Transaction closing(env.db(), Transaction::Write);
            computeMonth(MonthStore(env.db()), ida, Year, 3, true);
            QVERIFY_THROWS_EXCEPTION(DbError, exec(other, march));
            // Another month is written at once.
            exec(other, QStringLiteral("UPDATE curse SET Cn=Cn WHERE idf=(SELECT idf FROM foaie WHERE nrf=202404)"));
        }
        exec(other, QStringLiteral("BEGIN"));
        exec(other, march);
        exec(env.db(), QStringLiteral("SET lock_timeout = '300ms'"));
        QVERIFY_THROWS_EXCEPTION(DbError, closeMonth(env.db(), ida, Year, 3));
        exec(other, QStringLiteral("COMMIT"));
        exec(env.db(), QStringLiteral("SET lock_timeout = 0"));
        closeMonth(env.db(), ida, Year, 3);
        QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM lunischimbate WHERE ida=? AND anul=? AND idl=3"),
                           {ida, Year})
                     .toInt(),
                 0);
        // March closed with the other clerk's trip; April carries its old rest.
        QCOMPARE(letters(vehicleMonths(env.db(), ida, Year)).left(4), QStringLiteral("ooos"));
    }
    database::close(name);
}

#include "tst_monthstatus.moc"
