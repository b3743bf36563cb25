// The benchmarks' synthetic fleet, as the program would find it: every closed
// month what closing it gives, every trip what saving it again computes.
#include "sample/fleetgenerator.h"

#include "db/database.h"
#include "fleet/vehiclestore.h"
#include "months/monthstatus.h"
#include "trips/tripstore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vok;
using namespace vok::sample;

class FleetGeneratorTest : public QObject {
    Q_OBJECT
private slots:
    void asTheProgramComputes_data();
    void asTheProgramComputes();
};

void FleetGeneratorTest::asTheProgramComputes_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::newRow("seed 1") << 1u;
    QTest::newRow("seed 4") << 4u;
}

void FleetGeneratorTest::asTheProgramComputes()
{
    QFETCH(unsigned, seed);
    QTemporaryDir dir;
    const QString name = QStringLiteral("generated-%1").arg(seed);
    {
        QSqlDatabase db = database::openSqlite(dir.filePath(QStringLiteral("vok.db")), name, DatabaseKind::Data);
        const FleetShape shape{.vehicles = 3, .years = 2, .sheetsPerMonth = 4, .tripsPerSheet = 2,
                               .lastYear = 2024, .seed = seed};
        const FleetCounts counts = generateFleet(db, shape);
        QCOMPARE(counts.months, 3 * 24);

        for (int year : {2023, 2024})
            for (const VehicleMonths &vehicle : fleetMonths(db, year))
                for (const MonthStatus &month : vehicle.months)
                    QVERIFY2(month.state == MonthState::Current,
                             qPrintable(statusLine(vehicle.nrauto, year, month.month, month.state, month.changes)));

        // Each trip computed again from what it stores, with its vehicle's norms.
        QSqlQuery trips = exec(db, QStringLiteral("SELECT c.idc, f.ida FROM curse c JOIN foaie f ON f.idf = c.idf"));
        int checked = 0;
        while (trips.next()) {
            const Trip stored = *TripStore(db).byId(trips.value(0).toInt());
            const Vehicle vehicle = *VehicleStore(db).byId(trips.value(1).toInt());
            Trip again = stored;
            computeTrip(again, {vehicle.Cm, vehicle.Ca, vehicle.formula});
            QCOMPARE(again.kmT, stored.kmT);
            QCOMPARE(again.kmE, stored.kmE);
            QCOMPARE(again.Cn, stored.Cn);
            QCOMPARE(again.Cu, stored.Cu);
            ++checked;
        }
        QCOMPARE(checked, int(counts.trips));
    }
    database::close(name);
}

QTEST_GUILESS_MAIN(FleetGeneratorTest)
#include "tst_fleetgenerator.moc"
