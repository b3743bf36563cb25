#pragma once

// Rows of a small fleet written straight into vok.db, the way the vehicle,
// trip and refuelling windows store them.

#include "testenvironment.h"

#include <QVariant>

namespace vok::test {

struct VehicleRow {
    QString nrauto = QStringLiteral("B-01-ABC");
    QString marca = QStringLiteral("ROMAN 12.215");
    double Cb = 0, Cf = 0;
    double kmef = 0, kmechiv = 0, restrez = 0;
    int apar = 1;
};

struct SheetRow {
    int nrf = 1;
    int anul = 2024, idl = 1;
    double orap = 8, oras = 16;
    QVariant bm = 0, gz = 0, restit = 0, um = 0, ut = 0, ua = 0;
    int schu = 0, schf = 0;
};

struct TripRow {
    int nrc = 1;
    double kmT = 0, kmE = 0, Gm = 0, Cn = 0, Cu = 0;
};

inline int addVehicle(TestEnvironment &env, const VehicleRow &v)
{
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca, formula, motor, Cm, Ca, Cb, Cf, apar, kmef, "
                           "kmechiv, restrez) VALUES (?, ?, 1, 1, 30, 0.5, ?, ?, ?, ?, ?, ?)"),
            {v.nrauto, v.marca, v.Cb, v.Cf, v.apar, v.kmef, v.kmechiv, v.restrez});
    return env.value(QStringLiteral("SELECT ida FROM auto WHERE nrauto=?"), {v.nrauto}).toInt();
}

inline int addSheet(TestEnvironment &env, int ida, const SheetRow &s)
{
    env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul, "
                           "bm, gz, restit, um, ut, ua, schu, schf) "
                           "VALUES (?, ?, 'POPESCU', ?, ?, ?, ?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {s.nrf, ida, s.orap, s.oras, s.oras - s.orap,
             QStringLiteral("05.%1.%2").arg(s.idl, 2, 10, QLatin1Char('0')).arg(s.anul), s.idl, s.anul,
             s.bm, s.gz, s.restit, s.um, s.ut, s.ua, s.schu, s.schf});
    return env.value(QStringLiteral("SELECT idf FROM foaie WHERE ida=? AND nrf=?"), {ida, s.nrf}).toInt();
}

inline void addTrip(TestEnvironment &env, int idf, const TripRow &t)
{
    env.sql(QStringLiteral("INSERT INTO curse (idf, nrc, kmI, kmT, kmE, Kg, Gm, A, Cn, Cu, traseu) "
                           "VALUES (?, ?, ?, ?, ?, 1, ?, 1, ?, ?, 'BUCURESTI-PITESTI')"),
            {idf, t.nrc, t.kmT, t.kmT, t.kmE, t.Gm, t.Cn, t.Cu});
}

// A closing row of a month, as a closed month leaves it.
inline void addMonthRow(TestEnvironment &env, int ida, int anul, int idl, double restrez, double kmt,
                        double kmet)
{
    env.sql(QStringLiteral("INSERT INTO dateluna (ida, anul, idl, ore, km, kme, kminc, tone, tonekm, bm, "
                           "gz, restit, restrez, Cn, um, ut, ua, Cu, kmt, kmet) "
                           "VALUES (?, ?, ?, 0, 0, 0, 0, 0, 0, 0, 0, 0, ?, 0, 0, 0, 0, 0, ?, ?)"),
            {ida, anul, idl, restrez, kmt, kmet});
}

} // namespace vok::test
