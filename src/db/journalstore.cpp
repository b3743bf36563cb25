#include "db/journalstore.h"

#include "db/schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>

namespace vok {

namespace {

constexpr char entryColumns[] = "idj, cand, cine, fereastra, tabela, cheie, nrauto, nrf, nrc, actiune, inainte, dupa";

JournalEntry readEntry(const QSqlQuery &q)
{
    JournalEntry e;
    e.idj = q.value(0).toLongLong();
    e.cand = q.value(1).toString();
    e.cine = q.value(2).toString();
    e.fereastra = q.value(3).toString();
    e.tabela = q.value(4).toString();
    e.cheie = q.value(5).toLongLong();
    e.nrauto = q.value(6).toString();
    e.nrf = q.value(7).isNull() ? QVariant() : QVariant(q.value(7).toInt());
    e.nrc = q.value(8).isNull() ? QVariant() : QVariant(q.value(8).toInt());
    e.actiune = q.value(9).toString();
    e.inainte = q.value(10).toString();
    e.dupa = q.value(11).toString();
    return e;
}

QStringList distinct(const QSqlDatabase &db, const QString &column)
{
    // The column is one of two fixed names.
    QSqlQuery q = exec(db, QStringLiteral("SELECT DISTINCT %1 FROM jurnal WHERE %1 IS NOT NULL ORDER BY %1").arg(column));
    QStringList result;
    while (q.next())
        result << q.value(0).toString();
    return result;
}

// Inserts a row of `table` from its journal values: the table's own columns
// only (names from the program's schema, never from the text), the version
// advanced so that a window still holding the row as deleted refuses to save.
void insertRow(const QSqlDatabase &db, const QString &table, const QJsonObject &values)
{
    QStringList columns, marks;
    QVariantList bound;
    for (const QString &column : schema::columnNames(table)) {
        if (!values.contains(column))
            continue;
        columns << schema::quoted(column);
        marks << QStringLiteral("?");
        QVariant value = values.value(column).toVariant();
        if (column == QLatin1String("versiune") || column == QLatin1String("versiunealim"))
            value = value.toInt() + 1;
        bound << value;
    }
    exec(db,
         QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
             .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
         bound);
}

QString valueText(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        return QString::number(d, 'g', 15);
    }
    if (value.isNull())
        return QString();
    if (value.isArray())
        return QStringLiteral("[%1]").arg(value.toArray().size());
    return value.toString();
}

// The journal keeps an object's keys in alphabetical order; the table's own
// order reads better.
QStringList orderedKeys(const QJsonObject &object, const QString &table)
{
    QStringList keys;
    for (const QString &column : schema::columnNames(table))
        if (object.contains(column))
            keys << column;
    for (const QString &key : object.keys())
        if (!keys.contains(key))
            keys << key;
    return keys;
}

} // namespace

JournalStore::JournalStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QList<JournalEntry> JournalStore::entries(const JournalFilter &f, int limit) const
{
    QString sql = QStringLiteral("SELECT ") + QLatin1String(entryColumns) + QStringLiteral(" FROM jurnal WHERE 1=1");
    QVariantList values;
    if (!f.nrauto.isEmpty()) {
        sql += QStringLiteral(" AND nrauto=?");
        values << f.nrauto;
    }
    if (f.nrf > 0) {
        sql += QStringLiteral(" AND nrf=?");
        values << f.nrf;
    }
    if (f.from.isValid()) {
        sql += QStringLiteral(" AND cand>=?");
        values << f.from.toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (f.to.isValid()) {
        sql += QStringLiteral(" AND cand<?");
        values << f.to.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (!f.cine.isEmpty()) {
        sql += QStringLiteral(" AND cine=?");
        values << f.cine;
    }
    sql += QStringLiteral(" ORDER BY cand DESC, idj DESC LIMIT ?");
    values << limit;
    QSqlQuery q = exec(m_db, sql, values);
    QList<JournalEntry> result;
    while (q.next())
        result << readEntry(q);
    return result;
}

QStringList JournalStore::vehicles() const { return distinct(m_db, QStringLiteral("nrauto")); }

QStringList JournalStore::users() const { return distinct(m_db, QStringLiteral("cine")); }

std::optional<JournalEntry> JournalStore::entry(qint64 idj) const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT ") + QLatin1String(entryColumns) + QStringLiteral(" FROM jurnal WHERE idj=?"),
                       {idj});
    if (!q.next())
        return std::nullopt;
    return readEntry(q);
}

JournalStore::Restore JournalStore::restoreSheet(qint64 idj, const QString &window, const ClosedMonths &months,
                                                QStringList *recomputed)
{
    const std::optional<JournalEntry> e = entry(idj);
    if (!e || e->tabela != QLatin1String("foaie") || e->actiune != Change::deleted())
        return Restore::NotADeletedSheet;
    QJsonObject sheet = journal::values(e->inainte);
    const QJsonArray trips = sheet.take(QStringLiteral("curse")).toArray();
    const int idf = sheet.value(QStringLiteral("idf")).toInt();
    const int ida = sheet.value(QStringLiteral("ida")).toInt();
    const int nrf = sheet.value(QStringLiteral("nrf")).toInt();
    if (idf == 0 || ida == 0)
        return Restore::NotADeletedSheet;

    WriteRun run(m_db, window);
    if (!scalar(m_db, QStringLiteral("SELECT ida FROM auto WHERE ida=?"), {ida}).isValid())
        return Restore::VehicleGone;
    if (scalar(m_db, QStringLiteral("SELECT idf FROM foaie WHERE (ida=? AND nrf=?) OR idf=?"), {ida, nrf, idf}).isValid())
        return Restore::NumberReused;
    insertRow(m_db, QStringLiteral("foaie"), sheet);
    for (const QJsonValue &trip : trips)
        insertRow(m_db, QStringLiteral("curse"), trip.toObject());
    // The month has a sheet more: a closed month is closed again, with the
    // months it carries over into.
    const int year = sheet.value(QStringLiteral("anul")).toInt();
    const int month = sheet.value(QStringLiteral("idl")).toInt();
    QStringList reclosed;
    if (months)
        reclosed = months(m_db, ida, year, month);
    else
        exec(m_db, QStringLiteral("DELETE FROM dateluna WHERE ida=? AND anul=? AND idl=?"), {ida, year, month});
    Change c;
    c.table = QStringLiteral("foaie");
    c.key = idf;
    c.action = Change::inserted();
    c.ida = ida;
    c.nrf = nrf;
    c.after = sheet;
    c.after.insert(QStringLiteral("curse"), trips);
    run.record(std::move(c));
    run.commit();
    if (recomputed)
        *recomputed = reclosed;
    return Restore::Restored;
}

namespace journaltexts {

QString restoreQuestion(int nrf, const QString &nrauto)
{
    return QStringLiteral(" Readuceti foaia de parcurs nr. %1 a autovehiculului %2, cu cursele ei ? ").arg(nrf).arg(nrauto);
}

QString restoreRefusal(JournalStore::Restore result, int nrf, const QString &nrauto)
{
    switch (result) {
    case JournalStore::Restore::NotADeletedSheet:
        return QStringLiteral(" Alegeti in jurnal stergerea unei foi de parcurs !!! ");
    case JournalStore::Restore::VehicleGone:
        return QStringLiteral(" Autovehiculul %1 nu mai exista: foaia nu poate fi readusa !!! ").arg(nrauto);
    case JournalStore::Restore::NumberReused:
        return QStringLiteral(" Autovehiculul %1 are din nou o foaie de parcurs cu numarul %2: foaia stearsa nu poate fi "
                              "readusa !!! ")
            .arg(nrauto)
            .arg(nrf);
    case JournalStore::Restore::Restored:
        break;
    }
    return {};
}

QString restored(const QStringList &recomputed)
{
    if (recomputed.isEmpty())
        return QStringLiteral(" Foaia de parcurs a fost readusa ");
    return QStringLiteral(" Foaia de parcurs a fost readusa. V.O.K. recalculat: %1 ").arg(recomputed.join(QStringLiteral(", ")));
}

QString valuesLine(const QString &values)
{
    if (values.isEmpty())
        return {};
    const QJsonObject object = journal::values(values);
    QStringList parts;
    for (const QString &key : object.keys())
        parts << key + u'=' + valueText(object.value(key));
    return parts.join(QStringLiteral("; "));
}

QString valuesText(const QString &values)
{
    if (values.isEmpty())
        return {};
    const QJsonObject object = journal::values(values);
    const QString table = object.contains(QStringLiteral("nrc")) && object.contains(QStringLiteral("kmT"))
                              ? QStringLiteral("curse")
                              : QStringLiteral("foaie");
    QStringList lines;
    for (const QString &key : orderedKeys(object, table)) {
        const QJsonValue value = object.value(key);
        if (value.isArray()) {
            lines << key + QStringLiteral(": %1 randuri").arg(value.toArray().size());
            for (const QJsonValue &row : value.toArray()) {
                QStringList cells;
                const QJsonObject r = row.toObject();
                for (const QString &column : orderedKeys(r, key == QLatin1String("curse") ? key : QString()))
                    cells << column + u'=' + valueText(r.value(column));
                lines << QStringLiteral("    ") + cells.join(QStringLiteral("; "));
            }
        } else {
            lines << key + QStringLiteral(": ") + valueText(value);
        }
    }
    return lines.join(u'\n');
}

} // namespace journaltexts
} // namespace vok
