#pragma once

// A small fleet for the report tests: the report header, three vehicles, their
// trip sheets with trips and refuelling, closed months and a parts log.
// Values are those the program would have written (Cn, Cua as computed).

#include "testenvironment.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

namespace vok::test {

inline void insertReportFixture(TestEnvironment &env)
{
    env.sql(QStringLiteral("INSERT INTO setari (unitate, functie, numeman, intocmit) VALUES (?, ?, ?, ?)"),
            {QStringLiteral("SC TRANSPORT AUTO SRL"), QStringLiteral("DIRECTOR"), QStringLiteral("IONESCU VASILE"),
             QStringLiteral("GEORGESCU ANA")});

    // ida 1: a truck (formula 1); ida 2: a car (formula 2); ida 3: not in the fleet reports.
    const QString vehicle = QStringLiteral(
        "INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, apar, rap, kmef, kmechiv, restrez) "
        "VALUES (?, ?, ?, 2, ?, ?, ?, ?, 1, ?, ?, ?, ?)");
    env.sql(vehicle, {QStringLiteral("B-10-ABC"), QStringLiteral("ROMAN 10.215 FK"), 1, 30.0, 0.5, 18.0, 1.5, 1,
                      12000.0, 13500.0, 50.0});
    env.sql(vehicle, {QStringLiteral("B-22-XYZ"), QStringLiteral("DACIA LOGAN 1.5 DCI"), 2, 6.5, 0.1, 4.5, 0.5, 1,
                      800.0, 850.0, 20.0});
    env.sql(vehicle, {QStringLiteral("CT-05-TIR"), QStringLiteral("IVECO EUROCARGO"), 1, 25.0, 0.4, 15.0, 1.0, 0,
                      0.0, 0.0, 0.0});

    const QString sheet = QStringLiteral(
        "INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul, bm, nractc, gz, um, "
        "nractu1, ut, nractu2, ua, nractu3, schu, nractschu, schf, nractschf, restit, nractrst) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    // idf 1..4: vehicle 1 in March 2024 (three sheets) and April 2024 (one).
    env.sql(sheet, {1234, 1, QStringLiteral("POPESCU ION"), 7.5, 16.0, 8.5, QStringLiteral("05.03.2024"), 1, 3, 2024,
                    120.0, QStringLiteral("BF 101/05.03"), 0.0, 2.5, QStringLiteral("BC 7/05.03"), 0.0, QString(),
                    0.0, QString(), 1, QStringLiteral("FV 55/05.03"), 1, QStringLiteral("FV 56/05.03"), 0.0, QString()});
    env.sql(sheet, {1236, 1, QStringLiteral("POPESCU ION"), 8.0, 14.0, 6.0, QStringLiteral("14.03.2024"), 2, 3, 2024,
                    0.0, QString(), 0.0, 0.0, QString(), 0.0, QString(), 0.0, QString(), 1,
                    QStringLiteral("FV 60/14.03"), 0, QString(), 0.0, QString()});
    env.sql(sheet, {1235, 1, QStringLiteral("MARIN DAN"), 6.0, 18.25, 12.25, QStringLiteral("12.03.2024"), 2, 3, 2024,
                    80.5, QStringLiteral("BF 130/12.03"), 0.0, 0.0, QString(), 1.5, QStringLiteral("BC 9/12.03"),
                    0.8, QStringLiteral("BC 9/12.03"), 0, QString(), 0, QString(), 10.0, QStringLiteral("PV 3/13.03")});
    env.sql(sheet, {1301, 1, QStringLiteral("POPESCU ION"), 8.0, 12.0, 4.0, QStringLiteral("02.04.2024"), 1, 4, 2024,
                    60.0, QStringLiteral("BF 201/02.04"), 0.0, 0.0, QString(), 0.0, QString(), 0.0, QString(), 0,
                    QString(), 0, QString(), 0.0, QString()});
    // idf 5: vehicle 2 in March 2024, gas.
    env.sql(sheet, {77, 2, QStringLiteral("ENE MARIA"), 9.0, 13.5, 4.5, QStringLiteral("20.03.2024"), 2, 3, 2024,
                    0.0, QStringLiteral("BG 12/20.03"), 35.0, 0.0, QString(), 0.0, QString(), 0.0, QString(), 0,
                    QString(), 0, QString(), 0.0, QString()});

    const QString trip = QStringLiteral(
        "INSERT INTO curse (idf, nrc, kmI, kmII, kmIII, kmIV, kmV, kmVI, kmT, kmE, Kg, Gm, T, U, I, nri, Ra, A, "
        "nrq1, nrq4, Cn, Cu, remorca, traseu, kmtract, kmurb) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    // Sheet 1234: trip 2 typed before trip 1, so that the report's order shows.
    // Pe = 72 + 3.5 + 2.4 + 5*2 + 60/100*3 = 89.7; Cn = 0.897*30*1.2 + 0.3 + 1.5 = 34.092; Cua = 0.449
    env.sql(trip, {1, 2, 10.0, 10.0, 10.0, 10.0, 10.0, 10.0, 60.0, 72.0, 1.2, 5.5, 3.5, 2.4, 5.0, 2, 3.0, 1.0, 4, 1,
                   34.092, 0.449, 1, QStringLiteral("Ploiesti - Bucuresti (incarcat)"), 20.0, 12.0});
    // 100 km on category I: Pe 90, Cn 27, Cua 0.450
    env.sql(trip, {1, 1, 100.0, 0.0, 0.0, 0.0, 0.0, 0.0, 100.0, 90.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0, 0.0, 1.0, 0, 0,
                   27.0, 0.45, 0, QStringLiteral("Bucuresti - Ploiesti"), 0.0, 0.0});
    // Pe 55 (50 on category II + 5 on V = 57), A 1.1: Cn = 0.57*30*1.1 = 18.81, Cua 0.285
    env.sql(trip, {2, 1, 0.0, 50.0, 0.0, 0.0, 5.0, 0.0, 55.0, 57.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0, 0.0, 1.1, 0, 0,
                   18.81, 0.285, 0, QStringLiteral("Bucuresti - Otopeni - Bucuresti"), 0.0, 0.0});
    env.sql(trip, {3, 1, 200.0, 0.0, 0.0, 0.0, 0.0, 0.0, 200.0, 180.0, 1.25, 8.0, 0.0, 0.0, 0.0, 0, 0.0, 1.0, 0, 0,
                   67.5, 0.9, 0, QStringLiteral("Bucuresti - Pitesti - Bucuresti"), 0.0, 0.0});
    env.sql(trip, {4, 1, 150.0, 0.0, 0.0, 0.0, 0.0, 0.0, 150.0, 135.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0, 0.0, 1.0, 0, 0,
                   40.5, 0.675, 0, QStringLiteral("Bucuresti - Giurgiu"), 0.0, 0.0});
    // The car: formula 2, Pe 40 -> Cn 0.4*6.5 = 2.6, Cua 0.04
    env.sql(trip, {5, 1, 0.0, 40.0, 0.0, 0.0, 0.0, 0.0, 40.0, 40.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0, 0.0, 1.0, 0, 0,
                   2.6, 0.04, 0, QStringLiteral("Sediu - Primarie"), 0.0, 0.0});

    // Closed months as the month closing writes them.
    const QString month = QStringLiteral(
        "INSERT INTO dateluna (ida, anul, idl, ore, km, kme, kminc, tone, tonekm, bm, gz, restit, restrez, Cn, "
        "um, ut, ua, Cu, kmt, kmet) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    // Vehicle 1, March 2024: opening rest 50, km 12000, equivalent 13500.
    // km 415, kme 399, loaded 260 km, 13.5 t, 5.5*60 + 8*200 = 1930 tkm; Cn 147.402;
    // rest 50 + 200.5 - 10 - 147.402 = 93.10; Cu 2.084 + 2*18 + 1.5 = 39.584.
    env.sql(month, {1, 2024, 3, 26.8, 415.0, 399.0, 260.0, 13.5, 1930.0, 200.5, 0.0, 10.0, 93.1, 147.402, 2.5, 1.5,
                    0.8, 39.584, 12415.0, 13899.0});
    // April: rest 93.10 + 60 - 40.5 = 112.60.
    env.sql(month, {1, 2024, 4, 4.0, 150.0, 135.0, 0.0, 0.0, 0.0, 60.0, 0.0, 0.0, 112.6, 40.5, 0.0, 0.0, 0.0, 0.675,
                    12565.0, 14034.0});
    // Vehicle 2, March 2024.
    env.sql(month, {2, 2024, 3, 4.5, 40.0, 40.0, 0.0, 0.0, 0.0, 0.0, 35.0, 0.0, 52.4, 2.6, 0.0, 0.0, 0.0, 0.04,
                    840.0, 890.0});
    // Vehicle 3 (left out of the fleet reports), March 2024.
    env.sql(month, {3, 2024, 3, 8.0, 300.0, 280.0, 300.0, 10.0, 3000.0, 100.0, 0.0, 0.0, 30.0, 70.0, 0.0, 0.0, 0.0,
                    1.12, 300.0, 280.0});

    const QString part = QStringLiteral("INSERT INTO piese (ida, act, denp, valoare, zi, luna, an) VALUES (?, ?, ?, ?, ?, ?, ?)");
    env.sql(part, {1, QStringLiteral("FF 1020"), QStringLiteral("Filtru ulei"), 85.5, QStringLiteral("14"),
                   QStringLiteral("03"), QStringLiteral("2024")});
    env.sql(part, {1, QStringLiteral("FF 998"), QStringLiteral("Anvelopa 315/80 R22.5"), 1450.0, QStringLiteral("05"),
                   QStringLiteral("03"), QStringLiteral("2024")});
    env.sql(part, {1, QStringLiteral("FF 12"), QStringLiteral("Reparatie pompa injectie (manopera)"), 620.0,
                   QStringLiteral("28"), QStringLiteral("11"), QStringLiteral("2023")});
    env.sql(part, {2, QStringLiteral("FF 2001"), QStringLiteral("Placute frana"), 210.0, QStringLiteral("02"),
                   QStringLiteral("04"), QStringLiteral("2024")});
}

// The text of a PDF (poppler's pdftotext), or empty when it cannot be read.
inline QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Where a test leaves files for a person to look at: $VOK_REPORT_OUT, when set.
inline QString lookAtFolder() { return qEnvironmentVariable("VOK_REPORT_OUT"); }

} // namespace vok::test
