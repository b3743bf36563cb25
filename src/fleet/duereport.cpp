#include "fleet/duereport.h"

#include "db/database.h"
#include "db/schema.h"
#include "fleet/documentstore.h"

namespace vok::due {

void fillReportTable(const QSqlDatabase &db, const QDate &today)
{
    const DocumentStore store(db);
    const DueSettings settings = store.dueSettings();
    const QList<Item> items = store.dueItems(today, settings.days);
    const QString real = schema::dialectOf(db) == schema::Dialect::Sqlite ? QStringLiteral("REAL")
                                                                          : QStringLiteral("DOUBLE PRECISION");
    Transaction transaction(db);
    exec(db, QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS scadente (ordine INTEGER, fel TEXT, subiect TEXT, "
                            "ce TEXT, cand TEXT, ramas %1, unitate TEXT, depasit INTEGER, zile INTEGER, km %1)")
                 .arg(real));
    exec(db, QStringLiteral("DELETE FROM scadente"));
    int order = 0;
    for (const Item &item : items)
        exec(db,
             QStringLiteral("INSERT INTO scadente (ordine, fel, subiect, ce, cand, ramas, unitate, depasit, zile, km) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {++order, kindName(item.kind), item.subject, item.what, item.when, item.left,
              item.kind == Kind::Service ? QStringLiteral("km") : QStringLiteral("zile"), item.overdue() ? 1 : 0,
              settings.days, settings.km});
    transaction.commit();
}

} // namespace vok::due
