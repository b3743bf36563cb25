#include "trips/surchargetablestore.h"

#include "db/database.h"
#include "base/numbers.h"

#include <QSqlError>

namespace vok {

QVariant ReferenceTableModel::data(const QModelIndex &index, int role) const
{
    const QVariant value = QSqlQueryModel::data(index, Qt::DisplayRole);
    const bool number = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float
        || value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong;
    if (role == Qt::DisplayRole && number)
        return doubleText(value.toDouble());
    if (role == Qt::TextAlignmentRole && number)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return QSqlQueryModel::data(index, role);
}

namespace {

void load(QSqlQueryModel &model, const QSqlDatabase &db, const QString &sql)
{
    model.setQuery(exec(db, sql));
    if (model.lastError().isValid())
        throw DbError(model.lastError().text());
}

} // namespace

SurchargeTableStore::SurchargeTableStore(const QSqlDatabase &db)
    : m_db(db)
{
}

void SurchargeTableStore::loadUrbanTable(QSqlQueryModel &model) const
{
    load(model, m_db, QStringLiteral("SELECT autom, bucur, restul, restul FROM sporU ORDER BY idr"));
}

void SurchargeTableStore::loadTowingTable(QSqlQueryModel &model) const
{
    load(model, m_db,
         QStringLiteral("SELECT idr, nrcrt, tip_r, gr, motor1r1, motor1r2, motor2r1, motor2r2, "
                        "motor3r1, motor3r2 FROM sporT ORDER BY idr"));
}

std::optional<QString> SurchargeTableStore::towingColumn(int motor, int trailers)
{
    if (motor < 1 || motor > 3 || trailers < 1 || trailers > 2)
        return std::nullopt;
    return QStringLiteral("motor%1r%2").arg(motor).arg(trailers);
}

std::optional<TowingRate> SurchargeTableStore::towingRate(int idr, int motor, int trailers) const
{
    const std::optional<QString> column = towingColumn(motor, trailers);
    if (!column)
        return std::nullopt;
    // The column name comes from the fixed list above, never from the clerk.
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT tip_r, gr, %1 FROM sporT WHERE idr=?").arg(*column),
                           {idr});
    if (!query.next())
        return std::nullopt;
    TowingRate rate;
    rate.trailerType = query.value(0).toString();
    rate.ownWeight = query.value(1).toString();
    rate.rate = query.value(2).toDouble();
    return rate;
}

} // namespace vok
