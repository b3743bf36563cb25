#include "reports/fleetstore.h"

#include "db/database.h"

namespace vok {

FleetStore::FleetStore(const QSqlDatabase &db)
    : m_db(db)
{
}

void FleetStore::setReportMarks(const QList<std::pair<QString, bool>> &marks) const
{
    Transaction transaction(m_db);
    const QString sql = QStringLiteral("UPDATE auto SET rap=? WHERE nrauto=?");
    for (const auto &[nrauto, marked] : marks)
        exec(m_db, sql, {marked ? 1 : 0, nrauto});
    transaction.commit();
}

} // namespace vok
