#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace vok {

// One entry of the parts and repairs log (a row of piese).
struct PartEntry {
    int idp = 0; // hidden key of the row
    int ida = 0; // the vehicle
    QString act, denp;
    double valoare = 0;
    QString zi, luna, an;
    int versiune = 0; // each write of the entry advances it
};

// The vehicle a parts log belongs to.
struct PartsVehicle {
    int ida = 0;
    QString nrauto, marca;
};

// The parts and repairs log. Throws DbError when a statement fails.
class PartsStore {
public:
    explicit PartsStore(const QSqlDatabase &db);

    std::optional<PartsVehicle> vehicleByNumber(const QString &nrauto) const;

    // The vehicle's entries in the order they were added.
    QList<PartEntry> entries(int ida) const;
    // Adds an entry and returns its key.
    int add(const PartEntry &entry, const QString &window = QStringLiteral("piese")) const;
    // Stores the document, description and value of an entry, replacing
    // `stored` (as loaded): StaleRecord when it changed since,
    // StaleRecord::deleted when it went. Returns the entry's version: a new
    // one, or the same when nothing changed (nothing is written then).
    int update(const PartEntry &stored, const PartEntry &entry, const QString &window = QStringLiteral("piese")) const;
    void remove(const PartEntry &stored, const QString &window = QStringLiteral("piese")) const;

private:
    QSqlDatabase m_db;
};

} // namespace vok
