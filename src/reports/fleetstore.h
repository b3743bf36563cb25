#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <utility>

namespace vok {

// The marks of the fleet reports (auto.rap). Throws DbError.
class FleetStore {
public:
    explicit FleetStore(const QSqlDatabase &db);

    // Stores each listed vehicle's mark (1 = in the fleet reports, 0 = left
    // out), in one transaction. Vehicles not named keep their mark.
    void setReportMarks(const QList<std::pair<QString, bool>> &marks) const;

private:
    QSqlDatabase m_db;
};

} // namespace vok
