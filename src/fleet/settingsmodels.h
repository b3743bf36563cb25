#pragma once

#include "fleet/settingsstore.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace vok {

namespace settings {
// The header grid's message: two c.
QString apostropheMessage();
QString onlyNumbersMessage();

// One message per header field that holds an apostrophe, in column order.
QStringList headerProblems(const QStringList &fields);
// The refusal of a starting state kmef, kmefinc, kmechiv, restrez (and the
// tank's capacity caprez): "Introduceti doar numere !" when a value is not a
// number (an empty text is not), a message for negative kilometres or a
// negative capacity; empty when the state is accepted.
QString startingStateProblem(const QStringList &values);
} // namespace settings

// The report header grid (`DBGrid1`): an edit is stored at once unless a field
// of the row holds an apostrophe; then refused() lists one message per field,
// with the cell edited, and nothing is stored.
class HeaderModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HeaderModel(const QSqlDatabase &db, QObject *parent = nullptr);

    // Reads the rows (creating the one row when the table is empty). Throws DbError.
    void load();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void refused(const QStringList &messages, int row, int column);
    void failed(const QString &message);
    // An edit refused: another clerk changed the row meanwhile.
    void stale(const QString &message);

private:
    SettingsStore m_store;
    QList<ReportHeader> m_rows;
};

// The starting-state grid (`DBGrid2`): number and make are shown only; the
// four values and the tank's capacity are stored when startingStateProblem()
// accepts them, otherwise refused() carries its message once, with the cell,
// and nothing is stored.
class StartingStateModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StartingStateModel(const QSqlDatabase &db, QObject *parent = nullptr);

    // Reads every vehicle, ordered by number. Throws DbError.
    void load();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void refused(const QStringList &messages, int row, int column);
    void failed(const QString &message);
    // An edit refused: another clerk changed the row meanwhile.
    void stale(const QString &message);

private:
    SettingsStore m_store;
    QList<StartingState> m_rows;
};

} // namespace vok
