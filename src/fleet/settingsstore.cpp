#include "fleet/settingsstore.h"

#include "db/database.h"
#include "db/journal.h"

#include <QHash>

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
        "SELECT ids, unitate, functie, numeman, intocmit, versiune FROM setari ORDER BY ids"));
    QList<ReportHeader> rows;
    while (query.next()) {
        ReportHeader h;
        h.ids = query.value(0).toInt();
        h.unitate = query.value(1).toString();
        h.functie = query.value(2).toString();
        h.numeman = query.value(3).toString();
        h.intocmit = query.value(4).toString();
        h.versiune = query.value(5).toInt();
        rows << h;
    }
    transaction.commit();
    return rows;
}

namespace {

const QString settingsWindow = QStringLiteral("setari");

} // namespace

int SettingsStore::saveHeader(const ReportHeader &stored, const ReportHeader &h) const
{
    WriteRun run(m_db, settingsWindow);
    journal::requireRow(exec(m_db, QStringLiteral("UPDATE setari SET unitate=?, functie=?, numeman=?, intocmit=?, "
                                                  "versiune=versiune+1 WHERE ids=? AND versiune=?"),
                             {h.unitate, h.functie, h.numeman, h.intocmit, stored.ids, stored.versiune}));
    Change c;
    c.table = QStringLiteral("setari");
    c.key = stored.ids;
    c.action = Change::updated();
    c.before = {{QStringLiteral("unitate"), stored.unitate}, {QStringLiteral("functie"), stored.functie},
                {QStringLiteral("numeman"), stored.numeman}, {QStringLiteral("intocmit"), stored.intocmit}};
    c.after = {{QStringLiteral("unitate"), h.unitate}, {QStringLiteral("functie"), h.functie},
               {QStringLiteral("numeman"), h.numeman}, {QStringLiteral("intocmit"), h.intocmit}};
    journal::keepChanged(c);
    run.record(std::move(c));
    run.commit();
    return stored.versiune + 1;
}

QList<StartingState> SettingsStore::startingStates() const
{
    QSqlQuery query = exec(m_db, QStringLiteral(
        "SELECT ida, nrauto, marca, COALESCE(kmef, 0), COALESCE(kmefinc, 0), COALESCE(kmechiv, 0), "
        "COALESCE(restrez, 0), COALESCE(caprez, 0), versiune FROM auto ORDER BY nrauto"));
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
        s.versiune = query.value(8).toInt();
        rows << s;
    }
    return rows;
}

int SettingsStore::saveStartingState(const StartingState &stored, const StartingState &s) const
{
    WriteRun run(m_db, settingsWindow);
    journal::requireRow(exec(m_db, QStringLiteral("UPDATE auto SET kmef=?, kmefinc=?, kmechiv=?, restrez=?, caprez=?, "
                                                  "versiune=versiune+1 WHERE ida=? AND versiune=?"),
                             {s.kmef, s.kmefinc, s.kmechiv, s.restrez, s.caprez, stored.ida, stored.versiune}));
    Change c;
    c.table = QStringLiteral("auto");
    c.key = stored.ida;
    c.nrauto = stored.nrauto;
    c.action = Change::updated();
    c.before = {{QStringLiteral("kmef"), stored.kmef}, {QStringLiteral("kmefinc"), stored.kmefinc},
                {QStringLiteral("kmechiv"), stored.kmechiv}, {QStringLiteral("restrez"), stored.restrez},
                {QStringLiteral("caprez"), stored.caprez}};
    c.after = {{QStringLiteral("kmef"), s.kmef}, {QStringLiteral("kmefinc"), s.kmefinc},
               {QStringLiteral("kmechiv"), s.kmechiv}, {QStringLiteral("restrez"), s.restrez},
               {QStringLiteral("caprez"), s.caprez}};
    journal::keepChanged(c);
    run.record(std::move(c));
    run.commit();
    return stored.versiune + 1;
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
    // The marks are the clerk's choice of the moment over the whole list, not
    // rows loaded to be edited: they advance no version. The journal keeps
    // the marks that changed.
    WriteRun run(m_db, settingsWindow);
    QHash<int, int> before;
    QSqlQuery stored = exec(m_db, QStringLiteral("SELECT ida, apar FROM auto"));
    while (stored.next())
        before.insert(stored.value(0).toInt(), stored.value(1).isNull() ? 1 : stored.value(1).toInt());
    stored.finish();
    for (const TakenOutLine &line : lines) {
        const int apar = line.takenOut ? 0 : 1;
        exec(m_db, QStringLiteral("UPDATE auto SET apar=? WHERE ida=?"), {apar, line.ida});
        if (before.contains(line.ida) && before.value(line.ida) != apar) {
            Change c;
            c.table = QStringLiteral("auto");
            c.key = line.ida;
            c.nrauto = line.nrauto;
            c.action = Change::updated();
            c.before = {{QStringLiteral("apar"), before.value(line.ida)}};
            c.after = {{QStringLiteral("apar"), apar}};
            run.record(std::move(c));
        }
    }
    run.commit();
}

} // namespace vok
