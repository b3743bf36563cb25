#include "reports/fleetstore.h"

#include "db/database.h"
#include "db/journal.h"

#include <QHash>

namespace vok {

FleetStore::FleetStore(const QSqlDatabase &db)
    : m_db(db)
{
}

void FleetStore::setReportMarks(const QList<std::pair<QString, bool>> &marks) const
{
    // The journal keeps the marks that changed.
    WriteRun run(m_db, QStringLiteral("central"));
    QHash<QString, std::pair<int, int>> stored; // nrauto: ida, rap
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT nrauto, ida, rap FROM auto"));
    while (query.next())
        stored.insert(query.value(0).toString(), {query.value(1).toInt(), query.value(2).toInt()});
    query.finish();
    const QString sql = QStringLiteral("UPDATE auto SET rap=? WHERE nrauto=?");
    for (const auto &[nrauto, marked] : marks) {
        const int rap = marked ? 1 : 0;
        exec(m_db, sql, {rap, nrauto});
        const auto it = stored.constFind(nrauto);
        if (it == stored.constEnd() || it->second == rap)
            continue;
        Change c;
        c.table = QStringLiteral("auto");
        c.key = it->first;
        c.nrauto = nrauto;
        c.action = Change::updated();
        c.before = {{QStringLiteral("rap"), it->second}};
        c.after = {{QStringLiteral("rap"), rap}};
        run.record(std::move(c));
    }
    run.commit();
}

} // namespace vok
