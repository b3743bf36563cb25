#include "trips/triplookupstore.h"

#include "db/database.h"

namespace vok {

TripLookupStore::TripLookupStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QString TripLookupStore::loadColumn(int motor, bool trailer)
{
    return QString(motor == 1 ? QStringLiteral("motor1") : QStringLiteral("motor23"))
           + (trailer ? QStringLiteral("r") : QStringLiteral("fr"));
}

std::optional<double> TripLookupStore::loadCoefficient(double load, int motor, bool trailer) const
{
    // The column is one of four fixed names, never typed text. A row of the
    // normative's table still without a value in that column (a row added in
    // the editor and not filled in) is no coefficient: it would read 0.
    const QString column = loadColumn(motor, trailer);
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT ") + column + QStringLiteral(" FROM coefKg WHERE tone>=? AND ")
                                     + column + QStringLiteral(" IS NOT NULL ORDER BY tone, idr"),
                           {load});
    if (!query.next())
        return std::nullopt;
    return query.value(0).toDouble();
}

std::optional<SpecialInstallation> TripLookupStore::installation(int nri) const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT fel_prest, fel_prest2, sporkm FROM sporI WHERE nri=? ORDER BY idr"),
                           {nri});
    if (!query.next())
        return std::nullopt;
    return SpecialInstallation{query.value(0).toString(), query.value(1).toString(), query.value(2).toDouble()};
}

std::optional<ConsumptionRegimes> TripLookupStore::regimes(int ida) const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT Cm1, Cm2, Cm3, implicit FROM consum WHERE ida=?"), {ida});
    if (!query.next())
        return std::nullopt;
    ConsumptionRegimes r;
    for (int i = 0; i < 3; ++i)
        r.Cm[i] = query.value(i).toDouble();
    r.implicit = query.value(3).toInt();
    return r;
}

std::optional<double> TripLookupStore::chooseRegime(WriteRun &run, int ida, int k)
{
    const std::optional<ConsumptionRegimes> r = regimes(ida);
    if (!r || k < 1 || k > 3)
        return std::nullopt;
    const double Cm = r->Cm[k - 1];
    if (r->implicit != k) {
        // The regime is the clerk's choice of the moment, not a record loaded
        // and written back: it advances the versions without checking them.
        exec(m_db, QStringLiteral("UPDATE auto SET Cm=?, versiune=versiune+1 WHERE ida=?"), {Cm, ida});
        exec(m_db, QStringLiteral("UPDATE consum SET implicit=?, versiune=versiune+1 WHERE ida=?"), {k, ida});
        Change c;
        c.table = QStringLiteral("consum");
        c.key = ida;
        c.ida = ida;
        c.action = Change::updated();
        c.before = {{QStringLiteral("implicit"), r->implicit}, {QStringLiteral("Cm"), r->Cm[r->implicit >= 1 && r->implicit <= 3 ? r->implicit - 1 : 0]}};
        c.after = {{QStringLiteral("implicit"), k}, {QStringLiteral("Cm"), Cm}};
        run.record(std::move(c));
    }
    return Cm;
}

} // namespace vok
