#pragma once

#include "db/journal.h"
#include "fleet/duerules.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace vok {

// One row of soferi: a driver as the sheets name him, with his papers.
struct Driver {
    int idsofer = 0;
    QString nume; // upper case, as on the sheets
    QString permis, categorii;
    QString exppermis, expaviz; // dd.mm.yyyy or empty
    bool activ = true;
    int versiune = 0;
};

// The drivers' register. Throws DbError when a statement fails.
class DriverStore {
public:
    explicit DriverStore(const QSqlDatabase &db);

    // Every driver, by name.
    QList<Driver> all() const;
    // The names of the active drivers, in order.
    QStringList activeNames() const;
    std::optional<Driver> byName(const QString &nume) const;
    std::optional<Driver> byId(int idsofer) const;
    // driverChoices() of the register and the names on sheets given.
    QStringList choices(const QStringList &onSheets) const;

    // Saves a driver by his name in one transaction: a registered name is
    // updated, against the version `loaded` when given (StaleRecord when it
    // changed or went since), a new one inserted. Returns the key.
    int save(const Driver &driver, std::optional<int> loaded, const QString &window = QStringLiteral("soferi"));
    // Deletes the driver; false when he is not registered (any more). The
    // sheets keep his name.
    bool remove(int idsofer, const QString &window = QStringLiteral("soferi"));

private:
    QSqlDatabase m_db;
};

// The names a trip sheet's driver box offers: the register's active drivers
// (in the register's order), then the names used on sheets that are not in
// the register, each once. An inactive driver is not offered.
QStringList driverChoices(const QList<Driver> &registered, const QStringList &onSheets);

} // namespace vok
