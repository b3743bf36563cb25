#pragma once

#include "fleet/partsstore.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace vok {

// The grid of one vehicle's parts log (`DBGrid1` of `piese`): document,
// description and value, edited in place. An edit that changes the cell is
// stored at once when the row passes the grid's tests; otherwise refused()
// carries one message per failing test and nothing is stored. An edit that
// leaves the cell as it was stores nothing.
class PartsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PartsModel(const QSqlDatabase &db, QObject *parent = nullptr);

    // Shows the entries of vehicle `ida` (none for 0). Throws DbError.
    void load(int ida);
    int vehicle() const { return m_ida; }
    // Deletes the entry of `row`. Throws DbError.
    void removeEntry(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void refused(const QStringList &messages);
    void failed(const QString &message);
    // An edit refused: another clerk changed or deleted the entry meanwhile.
    void stale(const QString &message);

private:
    PartsStore m_store;
    int m_ida = 0;
    QList<PartEntry> m_rows;
};

} // namespace vok
