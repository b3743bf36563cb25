#include "control/auditstore.h"

#include "db/database.h"

#include <QHash>
#include <QSqlQuery>

#include <tuple>
#include <vector>

namespace vok::control {

namespace {

// The sheets' own columns (their trips are summed apart, TripSums); the
// sheets of a vehicle no longer stored are left out.
const QString sheetSelect = QStringLiteral(
    "SELECT f.idf, f.ida, f.nrf, f.data, f.anul, f.idl, COALESCE(f.orap, 0), "
    "COALESCE(f.oras, 0), f.sofer, f.kmplecare, f.kmsosire, f.rezplecare, f.rezsosire, "
    "COALESCE(f.bm, 0) + COALESCE(f.gz, 0), COALESCE(f.restit, 0) "
    "FROM foaie f WHERE f.ida IN (SELECT ida FROM auto)");

std::optional<double> optional(const RowReader &row, int column)
{
    if (row.isNull(column))
        return std::nullopt;
    return row.real(column);
}

// A vehicle's registration number and tank capacity, by its key.
using Vehicles = QHash<int, std::pair<QString, double>>;

AuditSheet sheetFromRow(const RowReader &q, const Vehicles &vehicles)
{
    AuditSheet s;
    s.idf = int(q.integer(0));
    s.ida = int(q.integer(1));
    const auto vehicle = vehicles.constFind(s.ida);
    if (vehicle != vehicles.cend()) {
        s.nrauto = vehicle->first;
        s.caprez = vehicle->second;
    }
    s.nrf = int(q.integer(2));
    s.data = q.text(3);
    s.anul = int(q.integer(4));
    s.idl = int(q.integer(5));
    s.orap = q.real(6);
    s.oras = q.real(7);
    s.sofer = q.text(8);
    s.kmplecare = optional(q, 9);
    s.kmsosire = optional(q, 10);
    s.rezplecare = optional(q, 11);
    s.rezsosire = optional(q, 12);
    s.fuelIn = q.real(13);
    s.restit = q.real(14);
    return s;
}

// The sums of the trips (Cn, kmT) of the sheets that `where` picks, by sheet.
// Apart from the sheets, not joined and grouped with them: each statement
// reads its rows once, in the order they are stored. The whole file (no
// `where`) reads every trip in sequence into a table by the sheets' key.
class TripSums {
public:
    TripSums(const QSqlDatabase &db, const QString &where, const QVariantList &values)
    {
        if (where.isEmpty()) {
            const qint64 highest = scalar(db, QStringLiteral("SELECT MAX(idf) FROM foaie")).toLongLong();
            const qint64 count = scalar(db, QStringLiteral("SELECT COUNT(*) FROM foaie")).toLongLong();
            // The sheets' keys are dense unless many were deleted.
            if (highest >= 0 && highest <= 4 * count + 1024)
                m_byKey.assign(static_cast<size_t>(highest) + 1, {0.0, 0.0});
        }
        RowReader trips(db,
                        where.isEmpty() ? QStringLiteral("SELECT idf, Cn, kmT FROM curse")
                                        : QStringLiteral("SELECT idf, Cn, kmT FROM curse WHERE idf IN (SELECT f.idf "
                                                         "FROM foaie f WHERE f.ida IN (SELECT ida FROM auto)")
                                              + where + u')',
                        values);
        while (trips.next()) {
            const qint64 idf = trips.integer(0);
            std::pair<double, double> *sums = nullptr;
            if (m_byKey.empty())
                sums = &m_hashed[idf];
            else if (idf >= 0 && idf < qint64(m_byKey.size()))
                sums = &m_byKey[static_cast<size_t>(idf)];
            else
                continue; // a trip of no sheet
            sums->first += trips.real(1);
            sums->second += trips.real(2);
        }
    }
    std::pair<double, double> of(int idf) const
    {
        if (m_byKey.empty())
            return m_hashed.value(idf, {0.0, 0.0});
        return idf >= 0 && size_t(idf) < m_byKey.size() ? m_byKey[static_cast<size_t>(idf)] : std::pair{0.0, 0.0};
    }

private:
    std::vector<std::pair<double, double>> m_byKey;
    QHash<qint64, std::pair<double, double>> m_hashed;
};

// The sheets that `where` picks (every sheet when empty), with their trips' sums.
void readSheets(const QSqlDatabase &db, const Vehicles &vehicles, const QString &where, const QVariantList &values,
                QList<AuditSheet> &sheets)
{
    const TripSums trips(db, where, values);
    RowReader rows(db, sheetSelect + where, values);
    while (rows.next()) {
        AuditSheet sheet = sheetFromRow(rows, vehicles);
        std::tie(sheet.normed, sheet.kmTrips) = trips.of(sheet.idf);
        sheets << std::move(sheet);
    }
}

} // namespace

AuditStore::AuditStore(const QSqlDatabase &db)
    : m_db(db)
{
}

AuditInput AuditStore::load(int year, int ida) const
{
    AuditInput input;
    QString where;
    QVariantList values;
    if (year != 0) {
        where += QStringLiteral(" AND f.anul=?");
        values << year;
    }
    if (ida != 0) {
        where += QStringLiteral(" AND f.ida=?");
        values << ida;
    }
    // The vehicles apart: their number and capacity once each, not with
    // every sheet.
    Vehicles vehicles;
    QList<int> keys;
    {
        QSqlQuery all = exec(m_db, QStringLiteral("SELECT ida, nrauto, COALESCE(caprez, 0) FROM auto"));
        while (all.next()) {
            vehicles.insert(all.value(0).toInt(), {all.value(1).toString(), all.value(2).toDouble()});
            keys << all.value(0).toInt();
        }
    }
    if (year == 0 && ida == 0)
        input.sheets.reserve(scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM foaie")).toLongLong());
    readSheets(m_db, vehicles, where, values, input.sheets);

    QString monthWhere = year != 0 ? QStringLiteral(" WHERE anul=?") : QString();
    QVariantList monthValues;
    if (year != 0)
        monthValues << year;
    if (ida != 0) {
        monthWhere += year != 0 ? QStringLiteral(" AND ida=?") : QStringLiteral(" WHERE ida=?");
        monthValues << ida;
    }
    QSqlQuery months = exec(m_db, QStringLiteral("SELECT ida, anul, idl, COALESCE(restrez, 0) FROM dateluna") + monthWhere,
                            monthValues);
    while (months.next())
        input.closedMonths << BookMonth{months.value(0).toInt(), months.value(1).toInt(), months.value(2).toInt(),
                                        months.value(3).toDouble()};
    months.finish();

    if (year == 0)
        return input;
    // Each vehicle's sheet before its first of the year: the last sheet of the
    // last month of its last earlier year with sheets.
    if (ida != 0)
        keys = {ida};
    PreparedQuery lastYear(m_db, QStringLiteral("SELECT MAX(anul) FROM foaie WHERE ida=? AND anul<?"));
    PreparedQuery lastMonth(m_db, QStringLiteral("SELECT MAX(idl) FROM foaie WHERE ida=? AND anul=?"));
    for (int vehicle : std::as_const(keys)) {
        const QVariant earlier = lastYear.read({vehicle, year}, [](QSqlQuery &q) {
            return q.next() ? q.value(0) : QVariant();
        });
        if (earlier.isNull())
            continue;
        const QVariant month = lastMonth.read({vehicle, earlier}, [](QSqlQuery &q) {
            return q.next() ? q.value(0) : QVariant();
        });
        readSheets(m_db, vehicles, QStringLiteral(" AND f.ida=? AND f.anul=? AND f.idl=?"), {vehicle, earlier, month},
                   input.previous);
    }
    return input;
}

QList<Finding> auditYear(const QSqlDatabase &db, int year, int ida)
{
    return audit(AuditStore(db).load(year, ida));
}

} // namespace vok::control
