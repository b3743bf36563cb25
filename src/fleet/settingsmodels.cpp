#include "fleet/settingsmodels.h"

#include "db/database.h"
#include "db/journal.h"
#include "base/numbers.h"
#include "fleet/gridedit.h"
#include "fleet/gridheadings.h"

namespace vok {

namespace settings {

QString apostropheMessage() { return QStringLiteral(" Nu se accepta caracterul apostrof (') !!! "); }
QString onlyNumbersMessage() { return QStringLiteral("Introduceti doar numere !"); }

QStringList headerProblems(const QStringList &fields)
{
    QStringList messages;
    for (const QString &field : fields)
        if (field.contains(u'\''))
            messages << apostropheMessage();
    return messages;
}

QString startingStateProblem(const QStringList &values)
{
    for (const QString &value : values)
        if (!isNumber(value))
            return onlyNumbersMessage();
    // kmef, kmefinc, kmechiv: no vehicle starts with negative kilometres.
    for (int i = 0; i < 3 && i < values.size(); ++i)
        if (readNumber(values.at(i)) < 0)
            return negativeKmMessage();
    if (values.size() > 4 && readNumber(values.at(4)) < 0)
        return QStringLiteral(" Capacitatea rezervorului nu poate fi negativa !!! ");
    return {};
}

} // namespace settings

namespace {

QStringList headerFields(const ReportHeader &h) { return {h.unitate, h.functie, h.numeman, h.intocmit}; }

// kmef, kmefinc, kmechiv, restrez, caprez: columns 2 to 6 of the starting-state grid.
QList<double> stateValues(const StartingState &s) { return {s.kmef, s.kmefinc, s.kmechiv, s.restrez, s.caprez}; }

const int firstValueColumn = 2;

} // namespace

HeaderModel::HeaderModel(const QSqlDatabase &db, QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(db)
{
}

void HeaderModel::load()
{
    QList<ReportHeader> rows = m_store.headers();
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int HeaderModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int HeaderModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 4; }

QVariant HeaderModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return headerFields(m_rows.at(index.row())).at(index.column());
}

QVariant HeaderModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList headings = {QStringLiteral("DENUMIRE UNITATE"), QStringLiteral("FUNCTIE MANAGER"),
                                         QStringLiteral("NUME MANAGER"), QStringLiteral("INTOCMIT")};
    return grid::heading(headings, section, orientation, role);
}

Qt::ItemFlags HeaderModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool HeaderModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    QStringList fields = headerFields(m_rows.at(index.row()));
    fields[index.column()] = value.toString();
    const QStringList problems = settings::headerProblems(fields);
    if (!problems.isEmpty()) {
        emit refused(problems, index.row(), index.column());
        return false;
    }
    ReportHeader header = m_rows.at(index.row());
    header.unitate = fields.at(0);
    header.functie = fields.at(1);
    header.numeman = fields.at(2);
    header.intocmit = fields.at(3);
    return gridedit::store(this, m_rows, index, header, [this](const ReportHeader &loaded, const ReportHeader &edited) {
        return m_store.saveHeader(loaded, edited);
    });
}

StartingStateModel::StartingStateModel(const QSqlDatabase &db, QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(db)
{
}

void StartingStateModel::load()
{
    QList<StartingState> rows = m_store.startingStates();
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int StartingStateModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int StartingStateModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 7; }

QVariant StartingStateModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const StartingState &s = m_rows.at(index.row());
    if (role == Qt::TextAlignmentRole && index.column() >= firstValueColumn)
        return grid::numberAlignment();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case 0: return s.nrauto;
    case 1: return s.marca;
    default: return doubleText(stateValues(s).at(index.column() - firstValueColumn));
    }
}

QVariant StartingStateModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList headings = {
        QStringLiteral("Numarul de inmatriculare"), QStringLiteral("Marca si tipul"),
        QStringLiteral("Kilometri parcursi"),       QStringLiteral("din care cu incarcatura"),
        QStringLiteral("Kilometri echivalenti"),    QStringLiteral("Rest in rezervor (litri)"),
        QStringLiteral("Capacitate rezervor (litri)")};
    return grid::heading(headings, section, orientation, role);
}

Qt::ItemFlags StartingStateModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() >= firstValueColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

bool StartingStateModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() < firstValueColumn)
        return false;
    StartingState state = m_rows.at(index.row());
    QStringList texts;
    for (double v : stateValues(state))
        texts << doubleText(v);
    texts[index.column() - firstValueColumn] = value.toString();
    if (const QString problem = settings::startingStateProblem(texts); !problem.isEmpty()) {
        emit refused({problem}, index.row(), index.column());
        return false;
    }
    state.kmef = readNumber(texts.at(0));
    state.kmefinc = readNumber(texts.at(1));
    state.kmechiv = readNumber(texts.at(2));
    state.restrez = readNumber(texts.at(3));
    state.caprez = readNumber(texts.at(4));
    return gridedit::store(this, m_rows, index, state, [this](const StartingState &loaded, const StartingState &edited) {
        return m_store.saveStartingState(loaded, edited);
    });
}

} // namespace vok
