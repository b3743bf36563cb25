#pragma once

#include "control/audit.h"

#include <QSqlDatabase>

namespace vok::control {

// Reads what the audit looks at. Throws DbError when a statement fails.
class AuditStore {
public:
    explicit AuditStore(const QSqlDatabase &db);

    // The sheets of `year` of the vehicle `ida` (0: every vehicle), each
    // vehicle's last sheet of an earlier year, and the closed months of the
    // year. Year 0 reads every year (and no earlier sheet).
    AuditInput load(int year, int ida = 0) const;

private:
    QSqlDatabase m_db;
};

// The findings of a year (0: every year) for one vehicle or every one.
QList<Finding> auditYear(const QSqlDatabase &db, int year, int ida = 0);

} // namespace vok::control
