#include "fleet/settingsstore.h"

#include "db/database.h"

namespace vok {

SettingsStore::SettingsStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QList<ReportHeader> SettingsStore::headers() const
{
    Transaction transaction(m_db);
    if (scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM setari")).toInt() == 0)
        exec(m_db, QStringLiteral("INSERT INTO setari (unitate, functie, numeman, intocmit) VALUES (?, ?, ?, ?)"),
             {QStringLiteral(""), QStringLiteral(""), QStringLiteral(""), QStringLiteral("")});
    QSqlQuery query = exec(m_db, QStringLiteral(
        "SELECT ids, unitate, functie, numeman, intocmit FROM setari ORDER BY ids"));
    QList<ReportHeader> rows;
    while (query.next()) {
        ReportHeader h;
        h.ids = query.value(0).toInt();
        h.unitate = query.value(1).toString();
        h.functie = query.value(2).toString();
        h.numeman = query.value(3).toString();
        h.intocmit = query.value(4).toString();
        rows << h;
    }
    transaction.commit();
    return rows;
}

void SettingsStore::saveHeader(const ReportHeader &h) const
{
    Transaction transaction(m_db);
    exec(m_db, QStringLiteral("UPDATE setari SET unitate=?, functie=?, numeman=?, intocmit=? WHERE ids=?"),
         {h.unitate, h.functie, h.numeman, h.intocmit, h.ids});
    transaction.commit();
}

QList<StartingState> SettingsStore::startingStates() const
{
    QSqlQuery query = exec(m_db, QStringLiteral(
        "SELECT ida, nrauto, marca, COALESCE(kmef, 0), COALESCE(kmefinc, 0), COALESCE(kmechiv, 0), "
        "COALESCE(restrez, 0), COALESCE(caprez, 0) FROM auto ORDER BY nrauto"));
    QList<StartingState> rows;
    while (query.next()) {
        StartingState s;
        s.ida = query.value(0).toInt();
        s.nrauto = query.value(1).toString();
        s.marca = query.value(2).toString();
        s.kmef = query.value(3).toDouble();
        s.kmefinc = query.value(4).toDouble();
        s.kmechiv = query.value(5).toDouble();
        s.restrez = query.value(6).toDouble();
        s.caprez = query.value(7).toDouble();
        rows << s;
    }
    return rows;
}

void SettingsStore::saveStartingState(const StartingState &s) const
{
    Transaction transaction(m_db);
    exec(m_db, QStringLiteral("UPDATE auto SET kmef=?, kmefinc=?, kmechiv=?, restrez=?, caprez=? WHERE ida=?"),
         {s.kmef, s.kmefinc, s.kmechiv, s.restrez, s.caprez, s.ida});
    transaction.commit();
}

QList<TakenOutLine> SettingsStore::takenOutLines() const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT ida, nrauto, apar FROM auto ORDER BY ida"));
    QList<TakenOutLine> lines;
    while (query.next())
        lines << TakenOutLine{query.value(0).toInt(), query.value(1).toString(),
                              !query.value(2).isNull() && query.value(2).toInt() == 0};
    return lines;
}

void SettingsStore::saveTakenOut(const QList<TakenOutLine> &lines) const
{
    Transaction transaction(m_db);
    for (const TakenOutLine &line : lines)
        exec(m_db, QStringLiteral("UPDATE auto SET apar=? WHERE ida=?"), {line.takenOut ? 0 : 1, line.ida});
    transaction.commit();
}

} // namespace vok
