#pragma once

#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QString>

#include <optional>

namespace vok {

// A read-only reference table for a grid: numbers show as plain decimals with
// a point (whatever the locale) and sit right-aligned. The normative's tables
// are edited elsewhere, never through this model.
class ReferenceTableModel : public QSqlQueryModel {
    Q_OBJECT
public:
    using QSqlQueryModel::QSqlQueryModel;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

// A row of the towing table chosen by the clerk, with its specific surcharge t
// for the vehicle's engine class and number of trailers.
struct TowingRate {
    QString trailerType; // sporT.tip_r
    QString ownWeight;   // sporT.gr
    double rate = 0;     // t, km equivalent per 100 km towed
};

// The urban (sporU) and towing (sporT) surcharge tables of the normative, as
// the surcharge dialogs read them. Throws DbError when a statement fails.
class SurchargeTableStore {
public:
    explicit SurchargeTableStore(const QSqlDatabase &db);

    // sporU in stored order, as the grid shows it: autom, bucur, restul, restul
    // (towns and the other localities share one column of the table).
    void loadUrbanTable(QSqlQueryModel &model) const;

    // sporT in stored order: the row's key idr (not for showing), nrcrt, tip_r,
    // gr, then motor1r1, motor1r2, motor2r1, motor2r2, motor3r1, motor3r2.
    void loadTowingTable(QSqlQueryModel &model) const;
    static constexpr int towingKeyColumn = 0;
    static constexpr int towingFirstRateColumn = 4;

    // The column of sporT for an engine class (1..3) and a number of trailers
    // (1 or 2): "motor" + class + "r" + trailers. Nullopt for anything else.
    static std::optional<QString> towingColumn(int motor, int trailers);

    // The towing row `idr` with its t in the column of that engine class and
    // number of trailers; a value missing from the table reads 0. Nullopt when
    // the row is gone or no column matches.
    std::optional<TowingRate> towingRate(int idr, int motor, int trailers) const;

private:
    QSqlDatabase m_db;
};

} // namespace vok
