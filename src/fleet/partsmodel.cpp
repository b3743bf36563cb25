#include "fleet/partsmodel.h"

#include "db/database.h"
#include "db/journal.h"
#include "base/numbers.h"
#include "fleet/gridedit.h"
#include "fleet/gridheadings.h"
#include "fleet/partsrules.h"

namespace vok {

namespace {
enum Column { Act, Denp, Valoare, ColumnCount };
}

PartsModel::PartsModel(const QSqlDatabase &db, QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(db)
{
}

void PartsModel::load(int ida)
{
    QList<PartEntry> rows = ida > 0 ? m_store.entries(ida) : QList<PartEntry>();
    beginResetModel();
    m_ida = ida;
    m_rows = std::move(rows);
    endResetModel();
}

void PartsModel::removeEntry(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_store.remove(m_rows.at(row));
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

int PartsModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int PartsModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant PartsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const PartEntry &e = m_rows.at(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == Valoare)
        return grid::numberAlignment();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Act: return e.act;
    case Denp: return e.denp;
    case Valoare: return doubleText(e.valoare);
    }
    return {};
}

QVariant PartsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList headings = {QStringLiteral("Nr.act/data"), QStringLiteral("Denumire"),
                                         QStringLiteral("Valoare")};
    return grid::heading(headings, section, orientation, role);
}

Qt::ItemFlags PartsModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool PartsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    // An editor closed without a change (Enter, Tab, or the window losing
    // the focus) stores nothing.
    if (value.toString() == data(index, Qt::EditRole).toString())
        return true;
    PartEntry entry = m_rows.at(index.row());
    QString act = entry.act;
    QString denp = entry.denp;
    QString valoare = doubleText(entry.valoare);
    switch (index.column()) {
    case Act: act = value.toString(); break;
    case Denp: denp = value.toString(); break;
    case Valoare: valoare = value.toString(); break;
    }
    const QStringList problems = parts::gridEditProblems(act, denp, valoare);
    if (!problems.isEmpty()) {
        emit refused(problems);
        return false;
    }
    entry.act = act;
    entry.denp = denp;
    entry.valoare = readNumber(valoare);
    return gridedit::store(this, m_rows, index, entry, [this](const PartEntry &loaded, const PartEntry &edited) {
        return m_store.update(loaded, edited);
    });
}

} // namespace vok
