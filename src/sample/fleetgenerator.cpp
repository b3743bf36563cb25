#include "sample/fleetgenerator.h"

#include "db/database.h"
#include "base/numbers.h"
#include "months/monthclose.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <array>
#include <cmath>
#include <cstdint>

namespace vok::sample {

namespace {

double round1(double v) { return std::round(v * 10.0) / 10.0; }
double round2(double v) { return std::round(v * 100.0) / 100.0; }

// One prepared statement, reused for every row.
class Statement {
public:
    Statement(const QSqlDatabase &db, const QString &sql)
        : m_query(db)
    {
        if (!m_query.prepare(sql))
            throw DbError(m_query.lastError().text());
    }
    Statement &operator<<(const QVariant &value)
    {
        m_query.bindValue(m_next++, value);
        return *this;
    }
    void run()
    {
        m_next = 0;
        if (!m_query.exec())
            throw DbError(m_query.lastError().text());
    }
    qint64 lastId() const { return m_query.lastInsertId().toLongLong(); }

private:
    QSqlQuery m_query;
    int m_next = 0;
};

const char *const makes[] = {"DACIA LOGAN 1.5 DCI", "IVECO DAILY 35C13", "MAN TGL 12.250",
                             "MERCEDES SPRINTER 316", "ROMAN 8.135 FL", "FORD TRANSIT 2.2",
                             "VOLVO FH 460", "DAF LF 45.220", "RENAULT MASTER 2.3",
                             "ISUZU NQR 5.2"};
const char *const counties[] = {"B", "CJ", "IS", "TM", "BV", "CT", "PH", "DJ"};
const char *const surnames[] = {"POPESCU", "IONESCU", "GEORGESCU", "STAN", "DUMITRU", "CONSTANTIN", "MARIN",
                                "TUDOR", "NISTOR", "BARBU", "POPA", "RADU", "STOICA", "MOLDOVAN", "LUCA",
                                "ENE", "MATEI", "CIOBANU", "ROTARU", "DOBRE", "FLOREA", "NITA", "OPREA",
                                "SERBAN", "VOICU", "ILIE", "COSTEA", "MIHAI", "PREDA", "SANDU"};
const char *const givenNames[] = {"ION", "VASILE", "DAN", "MIHAI", "GHEORGHE", "PAUL", "FLORIN", "ADRIAN",
                                  "COSTEL", "NICOLAE", "ANDREI", "CRISTIAN", "MARIUS", "IULIAN", "SORIN",
                                  "LUCIAN", "OVIDIU", "VIOREL", "EMIL", "PETRU", "DORIN", "CATALIN", "RAZVAN",
                                  "TUDOR", "VLAD", "ALIN", "GABRIEL", "DANIEL", "STEFAN", "LIVIU"};

const char *const routes[] = {"BUCURESTI - PLOIESTI - BUCURESTI", "BUCURESTI - PITESTI",
                              "CLUJ - TURDA - CLUJ", "IASI - VASLUI", "TIMISOARA - ARAD",
                              "BRASOV - SINAIA - BRASOV", "CONSTANTA - MANGALIA",
                              "CRAIOVA - SLATINA", "DEPOZIT - SANTIER - DEPOZIT", "LOCAL"};

void referenceRows(const QSqlDatabase &db)
{
    exec(db, QStringLiteral("INSERT INTO setari (unitate, functie, numeman, intocmit) VALUES (?, ?, ?, ?)"),
         {QStringLiteral("SC TRANSPORT FLOTA SA"), QStringLiteral("DIRECTOR"),
          QStringLiteral("IONESCU MARIN"), QStringLiteral("POPA ELENA")});
    // Load coefficients by tonnes: the first row with tone >= the load applies.
    for (int t = 0; t <= 40; ++t) {
        const double tone = t;
        exec(db, QStringLiteral("INSERT INTO coefKg (tone, motor1fr, motor1r, motor23fr, motor23r) "
                                "VALUES (?, ?, ?, ?, ?)"),
             {tone, round2(1.0 + tone * 0.012), round2(1.05 + tone * 0.014), round2(1.0 + tone * 0.010),
              round2(1.04 + tone * 0.012)});
    }
    const char *const installations[][4] = {
        {"AUTOBASCULANTA", "descarcare", "ridicare bena", "0.5"},
        {"AUTOMACARA", "ora", "ora de functionare a macaralei", "8"},
        {"AUTOCISTERNA", "tona", "tona descarcata cu pompa proprie", "1.5"},
        {"AUTOSPECIALA FRIGORIFICA", "ora", "ora de functionare a agregatului", "3"},
    };
    int nri = 1;
    for (const auto &row : installations)
        exec(db, QStringLiteral("INSERT INTO sporI (nri, fel_auto, fel_prest, fel_prest2, sporkm) VALUES (?, ?, ?, ?, ?)"),
             {nri++, QString::fromLatin1(row[0]), QString::fromLatin1(row[1]), QString::fromLatin1(row[2]),
              QString::fromLatin1(row[3]).toDouble()});
    exec(db, QStringLiteral("INSERT INTO sporU (autom, bucur, restul) VALUES (?, ?, ?)"),
         {QStringLiteral("Autoturisme"), 15.0, 8.0});
    exec(db, QStringLiteral("INSERT INTO sporU (autom, bucur, restul) VALUES (?, ?, ?)"),
         {QStringLiteral("Autocamioane"), 20.0, 10.0});
    exec(db, QStringLiteral("INSERT INTO sporT (nrcrt, tip_r, gr, motor1r1, motor1r2, motor2r1, motor2r2, "
                            "motor3r1, motor3r2) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
         {QStringLiteral("1"), QStringLiteral("Remorca 1 axa"), QStringLiteral("1.5"), 10.0, 18.0, 8.0, 15.0,
          6.0, 12.0});
}

} // namespace

double SampleRandom::uniform(double low, double high)
{
    return low + (high - low) * (static_cast<double>(m_engine()) / 4294967296.0);
}

int SampleRandom::pick(int n)
{
    return static_cast<int>((static_cast<std::uint64_t>(m_engine()) * static_cast<std::uint64_t>(n)) >> 32);
}

bool SampleRandom::chance(double p) { return uniform(0.0, 1.0) < p; }

void computeTrip(Trip &trip, const VehicleNorms &norms)
{
    // As the window does: the distances of the category boxes, then the
    // consumption of the surcharge boxes, stored as the window stores them.
    const RoadDistances distances = roadDistances(trip.km);
    TripInput in;
    in.Ped = distances.Ped;
    in.kmT = distances.kmT;
    in.T = trip.T;
    in.U = trip.U;
    in.I = trip.I;
    in.nri = trip.nri;
    in.Ra = trip.Ra;
    in.Kg = trip.Kg;
    in.A = trip.A;
    in.Nod = trip.nrq1;
    in.Ni = trip.nrq4;
    const TripConsumption result = tripConsumption(in, norms);
    trip.kmT = singleValue(distances.kmT);
    trip.kmE = singleValue(distances.Ped);
    trip.Cn = singleValue(result.Cn);
    trip.Cu = result.Cua.toDouble();
}

QString driverName(int vehicle, int k)
{
    const int n = ((vehicle * 2 + k) * 7919) % 900;
    return QString::fromLatin1(surnames[n / 30]) + u' ' + QString::fromLatin1(givenNames[n % 30]);
}

QString registration(int index)
{
    const int county = index % 8;
    const int number = 10 + (index / 8) % 90;
    int rest = index / 720;
    QString letters;
    for (int i = 0; i < 3; ++i) {
        letters.prepend(QChar(u'A' + rest % 26));
        rest /= 26;
    }
    return QStringLiteral("%1-%2-%3").arg(QString::fromLatin1(counties[county])).arg(number).arg(letters);
}

int lastYear(const FleetShape &shape)
{
    return shape.lastYear > 0 ? shape.lastYear : QDate::currentDate().year() - 1;
}

int firstYear(const FleetShape &shape) { return lastYear(shape) - shape.years + 1; }

FleetCounts generateFleet(const QSqlDatabase &db, const FleetShape &shape, const Progress &progress)
{
    SampleRandom random(shape.seed);
    auto uniform = [&random](double low, double high) { return random.uniform(low, high); };
    auto chance = [&random](double p) { return random.chance(p); };
    auto pick = [&random](int n) { return random.pick(n); };

    FleetCounts counts;
    {
        Transaction transaction(db);
        referenceRows(db);
        transaction.commit();
    }

    Statement vehicle(db, QStringLiteral(
        "INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, Ispec, Iaerod, apar, rap, "
        "kmef, kmefinc, kmechiv, restrez) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, 1, ?, ?, ?, ?)"));
    Statement consum(db, QStringLiteral(
        "INSERT INTO consum (ida, Cm1, Cm2, Cm3, implicit) VALUES (?, ?, ?, ?, 2)"));
    Statement sheet(db, QStringLiteral(
        "INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul, bm, nractc, gz, "
        "um, nractu1, ut, nractu2, ua, nractu3, schu, nractschu, schf, nractschf, restit, nractrst, "
        "kmplecare, kmsosire, rezplecare, rezsosire) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    Statement trip(db, QStringLiteral(
        "INSERT INTO curse (idf, nrc, kmI, kmII, kmIII, kmIV, kmV, kmVI, kmT, kmE, Kg, Gm, T, U, I, nri, "
        "Ra, A, nrq1, nrq4, Cn, Cu, remorca, traseu, kmtract, kmurb) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    // The months are closed as the activity-sheet window closes them, by
    // one store whose statements are prepared once.
    const MonthStore months(db);

    const int first = firstYear(shape);
    const int last = lastYear(shape);
    std::vector<Trip> trips(static_cast<size_t>(shape.tripsPerSheet));

    for (int v = 0; v < shape.vehicles; ++v) {
        const int kind = pick(10);
        const bool heavy = kind == 2 || kind == 6 || kind == 7 || kind == 4;
        const double cm = round2(heavy ? uniform(18.0, 34.0) : uniform(7.0, 13.0));
        const double ca = round2(uniform(0.2, 0.9));
        const double cb = heavy ? round1(uniform(12.0, 30.0)) : round1(uniform(4.0, 7.0));
        const double cf = heavy ? round1(uniform(1.0, 2.5)) : round1(uniform(0.3, 0.8));
        const int motor = heavy ? 2 + pick(2) : 1;
        const double kmef = std::round(uniform(5000.0, 300000.0));
        const double kmechiv = std::round(kmef * uniform(1.02, 1.15));
        const double startRest = round2(uniform(20.0, 80.0));
        const VehicleNorms norms{cm, ca, heavy ? 1 : 2};

        qint64 ida = 0;
        {
            Transaction transaction(db);
            vehicle << registration(v) << QString::fromLatin1(makes[kind]) << norms.formula << motor << cm << ca
                    << cb << cf << 0 << (heavy ? 1 : 0) << kmef << std::round(kmef * 0.4) << kmechiv
                    << startRest;
            vehicle.run();
            ida = vehicle.lastId();
            consum << ida << round2(cm * 1.15) << cm << round2(cm * 0.9);
            consum.run();
            transaction.commit();
        }
        ++counts.vehicles;

        double sinceRefuel = 0;
        // The odometer and the tank as measured: the odometer from the
        // starting kilometres by the trips, the tank by the book.
        double odometer = kmef;
        double tank = startRest;
        int nrf = 1000 + pick(9000);
        for (int year = first; year <= last; ++year) {
            Transaction transaction(db);
            for (int m = 1; m <= 12; ++m) {
                const int days = QDate(year, m, 1).daysInMonth();
                const bool winter = m == 12 || m <= 2;
                for (int s = 0; s < shape.sheetsPerMonth; ++s) {
                    const int day = 1 + (s * days) / std::max(1, shape.sheetsPerMonth);
                    double sheetCn = 0, sheetKm = 0;
                    for (Trip &t : trips) {
                        t = Trip();
                        const double total = uniform(heavy ? 30.0 : 15.0, heavy ? 260.0 : 140.0);
                        const int mainRoad = pick(4);
                        t.km[static_cast<size_t>(mainRoad)] = round1(total * 0.8);
                        t.km[static_cast<size_t>(mainRoad + 1)] = round1(total * 0.2);
                        t.Gm = heavy && chance(0.6) ? round1(uniform(1.0, 18.0)) : 0.0;
                        t.Kg = t.Gm > 0 ? round2(1.0 + t.Gm * 0.012) : 1.0;
                        t.remorca = heavy && t.Gm > 10 && chance(0.3) ? 1 : 0;
                        const double kmT = round1(t.km[0] + t.km[1] + t.km[2] + t.km[3] + t.km[4] + t.km[5]);
                        t.kmurb = chance(0.3) ? round1(kmT * 0.2) : 0.0;
                        t.U = t.kmurb > 0 ? round1(t.kmurb * 0.1) : 0.0;
                        t.A = winter ? 1.05 : 1.0;
                        t.nrq1 = chance(0.2) ? 1 + pick(5) : 0;
                        t.nrq4 = winter && chance(0.5) ? 1 : 0;
                        t.traseu = QString::fromLatin1(routes[pick(10)]);
                        computeTrip(t, norms);
                        sheetCn += t.Cn;
                        sheetKm += t.kmT;
                    }
                    // Fill up every few sheets with what was burnt since the last time.
                    sinceRefuel += sheetCn;
                    double bm = 0;
                    QString receipt;
                    if (s % 3 == 2 || s == shape.sheetsPerMonth - 1) {
                        bm = std::round((sinceRefuel + uniform(-5.0, 5.0)) / 5.0) * 5.0;
                        if (bm < 0)
                            bm = 0;
                        sinceRefuel = 0;
                        receipt = QStringLiteral("BF %1/%2.%3").arg(pick(90000) + 10000).arg(day, 2, 10, QChar(u'0')).arg(m, 2, 10, QChar(u'0'));
                    }
                    const double um = chance(0.05) ? 1.0 : 0.0;
                    const bool schu = chance(0.01);
                    const bool schf = schu || chance(0.005);
                    const double restit = chance(0.01) ? 10.0 : 0.0;
                    const double orap = 6.0 + pick(7) * 0.5;
                    const double oras = orap + 4.0 + pick(13) * 0.5;
                    const QString date = QStringLiteral("%1.%2.%3")
                                             .arg(day, 2, 10, QChar(u'0'))
                                             .arg(m, 2, 10, QChar(u'0'))
                                             .arg(year);
                    const int decada = day <= 10 ? 1 : (day <= 20 ? 2 : 3);
                    const QString none;
                    const double kmplecare = odometer;
                    odometer = round1(odometer + sheetKm);
                    const double rezplecare = round1(std::max(0.0, tank));
                    tank += bm - restit - sheetCn;
                    const double rezsosire = round1(std::max(0.0, tank));
                    sheet << nrf++ << ida << driverName(v, pick(5) == 0 ? 1 : 0) << orap << oras << (oras - orap)
                          << date << decada << m << year << bm << receipt << 0.0 << um
                          << (um > 0 ? QStringLiteral("BC 1/%1").arg(day) : none) << 0.0 << none << 0.0 << none
                          << (schu ? 1 : 0) << (schu ? QStringLiteral("NIR 7/%1").arg(day) : none)
                          << (schf ? 1 : 0) << (schf ? QStringLiteral("NIR 8/%1").arg(day) : none) << restit
                          << (restit > 0 ? QStringLiteral("DR 3/%1").arg(day) : none) << kmplecare << odometer
                          << rezplecare << rezsosire;
                    sheet.run();
                    const qint64 idf = sheet.lastId();
                    ++counts.sheets;

                    int nrc = 0;
                    for (const Trip &t : trips) {
                        trip << idf << ++nrc << t.km[0] << t.km[1] << t.km[2] << t.km[3] << t.km[4] << t.km[5]
                             << t.kmT << t.kmE << t.Kg << t.Gm << t.T << t.U << t.I << t.nri << t.Ra << t.A
                             << t.nrq1 << t.nrq4 << t.Cn << t.Cu << t.remorca << t.traseu << t.kmtract << t.kmurb;
                        trip.run();
                        ++counts.trips;
                    }
                }
                const MonthComputation computed = computeMonth(months, static_cast<int>(ida), year, m);
                writeMonth(months, computed);
                if (!computed.close.noSheets)
                    ++counts.months;
            }
            transaction.commit();
        }
        if (progress)
            progress(v + 1, counts);
    }
    return counts;
}

} // namespace vok::sample
