// The status of closed months and the recompute of the carry-over chain: what
// a change after closing does to the month and, through the carry-over, to the
// months after it; that the recompute writes exactly what closing the months
// by hand in calendar order writes; and that a failure leaves a vehicle as it was.
#include "db/database.h"
#include "reports/monthclose.h"
#include "reports/monthstatus.h"
#include "tst_monthclose_fixtures.h"

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
    void commandLineLines_data();
    void commandLineLines();
    void oldRowsWithRawDoublesAreCurrent();
    void noteAfterASave_data();
    void noteAfterASave();
};

namespace {

constexpr int Year = 2024;

// The fleet of every scenario: one vehicle with a sheet and a trip in each
// month of 2023 and 2024 but the months left out, every month closed in
// calendar order but the ones left open.
struct Scenario {
    QList<int> idleMonths2024;       // months of 2024 without sheets
    QList<int> openMonths2024;       // months of 2024 with sheets, never closed
    bool with2023 = false;           // December 2023 too, closed
};

int sheetNumber(int year, int month) { return year * 100 + month; }

// Builds the scenario and returns the vehicle's key.
int build(TestEnvironment &env, const Scenario &s)
{
    const int ida = addVehicle(env, {.kmef = 10000, .kmechiv = 11000, .restrez = 50});
    addVehicle(env, {.nrauto = QStringLiteral("B-99-ZZZ")}); // another vehicle, never touched
    QList<std::pair<int, int>> months;
    if (s.with2023)
        months.append({2023, 12});
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

// The changes the scenarios make after closing.
void change(TestEnvironment &env, int ida, const QString &what)
{
    auto sheet = [&](int year, int month) {
        return env.value(QStringLiteral("SELECT idf FROM foaie WHERE ida=? AND nrf=?"), {ida, sheetNumber(year, month)})
            .toInt();
    };
    if (what == QLatin1String("trip March")) {
        env.sql(QStringLiteral("UPDATE curse SET kmT=kmT+10, Cn=Cn+2.5 WHERE idf=?"), {sheet(Year, 3)});
    } else if (what == QLatin1String("refuelling June")) {
        env.sql(QStringLiteral("UPDATE foaie SET bm=bm+50 WHERE idf=?"), {sheet(Year, 6)});
    } else if (what == QLatin1String("trip December 2023")) {
        env.sql(QStringLiteral("UPDATE curse SET Cn=Cn+7 WHERE idf=?"), {sheet(2023, 12)});
    } else if (what == QLatin1String("oil change August")) {
        env.sql(QStringLiteral("UPDATE auto SET Cb=12.5 WHERE ida=?"), {ida});
        env.sql(QStringLiteral("UPDATE foaie SET schu=1 WHERE idf=?"), {sheet(Year, 8)});
    }
}

// One letter a month: '.' no sheets, 'o' current, 's' stale, 'n' not closed, 'r' restarts.
QString letters(const VehicleMonths &v)
{
    QString text;
    for (const MonthStatus &m : v.months) {
        switch (m.state) {
        case MonthState::NoSheets: text += u'.'; break;
        case MonthState::Current: text += u'o'; break;
        case MonthState::Stale: text += u's'; break;
        case MonthState::NotClosed: text += u'n'; break;
        case MonthState::Restarts: text += u'r'; break;
        }
    }
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
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("month");        // a month whose changed columns are checked
    QTest::addColumn<QStringList>("changed");

    const QStringList none;
    QTest::newRow("all closed, nothing changed") << Scenario{} << QString() << Year << "oooooooooooo" << 3 << none;
    QTest::newRow("trip changed in March") << Scenario{} << "trip March" << Year << "oossssssssss" << 3
                                           << QStringList{"km", "restrez", "Cn", "kmt"};
    QTest::newRow("through the carry-over") << Scenario{} << "trip March" << Year << "oossssssssss" << 12
                                            << QStringList{"restrez", "kmt"};
    QTest::newRow("refuelling added to June") << Scenario{} << "refuelling June" << Year << "ooooosssssss" << 6
                                              << QStringList{"bm", "restrez"};
    QTest::newRow("oil change in August") << Scenario{} << "oil change August" << Year << "ooooooosoooo"
                                          << 8 << QStringList{"Cu"};
    QTest::newRow("idle May restarts June") << Scenario{{5}} << QString() << Year << "oooo.roooooo" << 6 << none;
    QTest::newRow("first months without sheets") << Scenario{{1, 2}} << QString() << Year << "..oooooooooo"
                                                 << 3 << none;
    QTest::newRow("February never closed") << Scenario{{}, {2}} << QString() << Year << "onssssssssss" << 3
                                           << QStringList{"restrez", "kmt", "kmet"};
    QTest::newRow("December changed, its year") << Scenario{{}, {}, true} << "trip December 2023" << 2023
                                                << "...........s" << 12 << QStringList{"restrez", "Cn"};
    QTest::newRow("December changed, the year after") << Scenario{{}, {}, true} << "trip December 2023" << Year
                                                      << "oooooooooooo" << 1 << none;
}

} // namespace

Q_DECLARE_METATYPE(Scenario)
Q_DECLARE_METATYPE(vok::ColumnChange)

void MonthStatusTest::changeAfterClosing_data() { addScenarioRows(); }

void MonthStatusTest::changeAfterClosing()
{
    QFETCH(Scenario, scenario);
    QFETCH(QString, change);
    QFETCH(int, year);
    QFETCH(QString, expected);
    QFETCH(int, month);
    QFETCH(QStringList, changed);
    TestEnvironment env;
    const int ida = build(env, scenario);
    ::change(env, ida, change);
    const QStringList before = allRows(env);

    const VehicleMonths status = vehicleMonths(env.db(), ida, year);
    const QString letters = ::letters(status);
    QCOMPARE(letters, expected);
    QCOMPARE(columns(status.months[month - 1].changes), changed);
    QCOMPARE(status.needsRecompute(), expected.contains(u's') || expected.contains(u'n'));
    // Looking writes nothing.
    QCOMPARE(allRows(env), before);
    // The listed vehicles: this one and the other, by number.
    const QList<VehicleMonths> fleet = fleetMonths(env.db(), year);
    QCOMPARE(fleet.size(), 2);
    QCOMPARE(::letters(fleet.first()), letters);
    QCOMPARE(::letters(fleet.last()), QStringLiteral("............"));
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
    ::change(recomputed, ida, change);
    ::change(byHand, ida, change);
    const VehicleMonths before = vehicleMonths(recomputed.db(), ida, year);

    const QList<MonthChange> changes = recomputeChain(recomputed.db(), ida, year, year == Year ? 1 : 12);
    QSqlQuery months = exec(byHand.db(), QStringLiteral("SELECT DISTINCT anul, idl FROM foaie WHERE ida=? "
                                                        "ORDER BY anul, idl"), {ida});
    while (months.next()) {
        const int y = months.value(0).toInt();
        const int m = months.value(1).toInt();
        if (y > year || (y == year && (year == Year || m == 12)))
            closeMonth(byHand.db(), ida, y, m);
    }
    QCOMPARE(allRows(recomputed), allRows(byHand));

    // The recompute changed exactly what the status foretold for that year,
    // in the same words.
    QList<MonthChange> foretold;
    for (const MonthStatus &m : before.months)
        if (m.state == MonthState::Stale || m.state == MonthState::NotClosed)
            foretold.append({year, m.month, m.state, m.changes});
    QList<MonthChange> ofTheYear;
    for (const MonthChange &c : changes)
        if (c.year == year)
            ofTheYear.append(c);
    QCOMPARE(ofTheYear.size(), foretold.size());
    for (int i = 0; i < foretold.size(); ++i) {
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
    change(env, ida, QStringLiteral("trip March"));
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

void MonthStatusTest::commandLineLines_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QList<ColumnChange>>("changes");
    QTest::addColumn<QString>("line");
    QTest::newRow("stale") << int(MonthState::Stale)
                           << QList<ColumnChange>{{"km", 1200, 1210.5}, {"restrez", 12.3, -0.25}}
                           << "B-01-ABC\t2024\t3\tstale\tkm:1200->1210.5,restrez:12.3->-0.25";
    QTest::newRow("not closed") << int(MonthState::NotClosed) << QList<ColumnChange>{}
                                << "B-01-ABC\t2024\t3\tnot-closed";
    QTest::newRow("restarts") << int(MonthState::Restarts) << QList<ColumnChange>{} << "B-01-ABC\t2024\t3\trestarts";
    QTest::newRow("stored as raw doubles") << int(MonthState::Stale)
                                           << QList<ColumnChange>{{"kmt", 12000.1 + 0.2, 12000.4}}
                                           << "B-01-ABC\t2024\t3\tstale\tkmt:12000.3->12000.4";
}

void MonthStatusTest::commandLineLines()
{
    QFETCH(int, state);
    QFETCH(QList<ColumnChange>, changes);
    QFETCH(QString, line);
    QCOMPARE(statusLine(QStringLiteral("B-01-ABC"), 2024, 3, MonthState(state), changes), line);
}

void MonthStatusTest::oldRowsWithRawDoublesAreCurrent()
{
    // A row closed before the figures were stored with 15 digits: 12000.1 +
    // 0.2 kept as 12000.300000000001. It is still current.
    TestEnvironment env;
    const int ida = addVehicle(env, {});
    const int idf = addSheet(env, ida, {.anul = Year, .idl = 4});
    addTrip(env, idf, {.nrc = 1, .kmT = 12000.1, .kmE = 12000.1});
    addTrip(env, idf, {.nrc = 2, .kmT = 0.2, .kmE = 0.2});
    closeMonth(env.db(), ida, Year, 4);
    QCOMPARE(env.value(QStringLiteral("SELECT km FROM dateluna")).toDouble(), 12000.3);
    env.sql(QStringLiteral("UPDATE dateluna SET km=?, kmt=?"), {12000.1 + 0.2, 12000.1 + 0.2});
    QCOMPARE(letters(vehicleMonths(env.db(), ida, Year)), QStringLiteral("...o........"));
}

void MonthStatusTest::noteAfterASave_data()
{
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("note");
    const QString march = QStringLiteral("Atentie: V.O.K. martie 2024 nu mai este actualizat (vezi SITUATIE)");
    QTest::newRow("trip changed in a closed month") << Scenario{} << "trip March" << 3 << march;
    QTest::newRow("refuelling of a closed month") << Scenario{} << "refuelling June" << 6
                                                  << QStringLiteral("Atentie: V.O.K. iunie 2024 nu mai este actualizat (vezi SITUATIE)");
    QTest::newRow("saved unchanged") << Scenario{} << QString() << 3 << QString();
    QTest::newRow("month not closed") << Scenario{{}, {3}} << "trip March" << 3 << QString();
    // April is stale through the carry-over, but its own V.O.K. viewed now
    // would store what it holds: the note goes with the month that changed.
    QTest::newRow("a later month") << Scenario{} << "trip March" << 4 << QString();
}

void MonthStatusTest::noteAfterASave()
{
    QFETCH(Scenario, scenario);
    QFETCH(QString, change);
    QFETCH(int, month);
    QFETCH(QString, note);
    TestEnvironment env;
    const int ida = build(env, scenario);
    ::change(env, ida, change);
    QCOMPARE(staleMonthNote(env.db(), ida, Year, month), note);
}

QTEST_GUILESS_MAIN(MonthStatusTest)
#include "tst_monthstatus.moc"
