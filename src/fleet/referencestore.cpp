#include "fleet/referencestore.h"

#include "db/journal.h"

#include <QJsonArray>

#include "db/database.h"
#include "base/numbers.h"
#include "db/schema.h"
#include "sheet/csv.h"

#include <QHash>
#include <QSqlQuery>

#include <cmath>

namespace vok {

namespace {

using Kind = ReferenceColumn::Kind;

ReferenceColumn text(const char *name) { return {QString::fromLatin1(name), Kind::Text}; }
ReferenceColumn quotedText(const char *name) { return {QString::fromLatin1(name), Kind::Text, true}; }
ReferenceColumn real(const char *name) { return {QString::fromLatin1(name), Kind::Real}; }
ReferenceColumn integer(const char *name) { return {QString::fromLatin1(name), Kind::Integer}; }

bool isConsumptionTable(const QString &table) { return table.startsWith(QLatin1String("consumCm")); }

// Table names reach SQL only after this check against the fixed list.
const QList<ReferenceColumn> &columnsOrThrow(const QString &table)
{
    if (!schema::referenceTables().contains(table))
        throw DbError(QStringLiteral("%1 nu este un tabel al normativului").arg(table));
    static QHash<QString, QList<ReferenceColumn>> cache;
    auto it = cache.find(table);
    if (it == cache.end())
        it = cache.insert(table, referenceColumns(table));
    return it.value();
}

QString columnList(const QList<ReferenceColumn> &columns)
{
    QStringList names;
    for (const ReferenceColumn &c : columns)
        names << schema::quoted(c.name);
    return names.join(QStringLiteral(", "));
}

QList<ReferenceRow> readRows(QSqlQuery &query, int columnCount)
{
    QList<ReferenceRow> rows;
    while (query.next()) {
        ReferenceRow row;
        row.idr = query.value(0).toInt();
        for (int i = 1; i <= columnCount; ++i)
            row.values << query.value(i);
        row.versiune = query.value(columnCount + 1).toInt();
        rows << row;
    }
    return rows;
}

// The reference tables are edited in one window only.
const QString referenceWindow = QStringLiteral("normativ");

} // namespace

QList<ReferenceColumn> referenceColumns(const QString &table)
{
    if (table == QLatin1String("sporI")) {
        ReferenceColumn nri = integer("nri");
        nri.numbered = true;
        return {nri, text("fel_auto"), text("fel_prest"), text("fel_prest2"), real("sporkm")};
    }
    if (table == QLatin1String("sporU"))
        return {text("autom"), real("bucur"), real("restul")};
    if (table == QLatin1String("sporT"))
        return {text("nrcrt"),     quotedText("tip_r"), quotedText("gr"),    real("motor1r1"), real("motor1r2"),
                real("motor2r1"), real("motor2r2"),    real("motor3r1"), real("motor3r2")};
    if (table == QLatin1String("coefKg"))
        return {real("tone"), real("motor1fr"), real("motor1r"), real("motor23fr"), real("motor23r")};
    if (table == QLatin1String("consumCm1"))
        return {integer("aprind"), text("fel"), text("marca"), text("capcil"), text("sarcina"), real("Cm")};
    if (table == QLatin1String("consumCm2"))
        return {integer("aprind"), text("fel"), text("marca"), text("capcil"), text("locuri"), real("Cm")};
    if (table == QLatin1String("consumCm3"))
        return {integer("aprind"), text("fel"), text("marca"), text("capcil"), text("loc"), real("Cm")};
    if (table == QLatin1String("consumCm4"))
        return {integer("aprind"), text("fel"), text("marca"), text("capcil"), real("Cm")};
    if (table == QLatin1String("sistemU"))
        return {text("autom"), real("baia"), real("filtru")};
    if (table == QLatin1String("uleiCa1"))
        return {text("ciclu"), real("autocamion"), real("autotren"), real("autobuz")};
    if (table == QLatin1String("uleiCa2"))
        return {text("ciclu"), real("<2000"), real("2001-2005"), real("5001-11000"), real(">11000")};
    return {};
}

CellValue checkReferenceValue(const ReferenceColumn &column, const QString &typed)
{
    CellValue cell;
    if (column.kind == Kind::Text) {
        if (column.refusesApostrophe && typed.contains(u'\''))
            cell.refusal = QStringLiteral("caracterul apostrof (') nu este acceptat in coloana %1").arg(column.name);
        else
            cell.value = typed;
        return cell;
    }
    const QString trimmed = typed.trimmed();
    const bool ignition = column.name == QLatin1String("aprind");
    if (trimmed.isEmpty() && !ignition) {
        cell.value = QVariant(); // an empty cell
        return cell;
    }
    if (!isNumber(trimmed)) {
        cell.refusal = QStringLiteral("valoarea ,,%1'' din coloana %2 nu este un numar").arg(typed, column.name);
        return cell;
    }
    const double value = readNumber(trimmed);
    if (column.kind == Kind::Integer) {
        if (value != std::floor(value) || std::fabs(value) > 1e9) {
            cell.refusal = QStringLiteral("valoarea ,,%1'' din coloana %2 nu este un numar intreg").arg(typed, column.name);
            return cell;
        }
        if (ignition && value != 1 && value != 2) {
            cell.refusal = QStringLiteral("valoarea ,,%1'' din coloana aprind nu este 1 sau 2").arg(typed);
            return cell;
        }
        cell.value = static_cast<int>(value);
        return cell;
    }
    cell.value = value;
    return cell;
}

QString referenceCellText(const ReferenceColumn &column, const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    switch (column.kind) {
    case Kind::Text: return value.toString();
    case Kind::Integer: return QString::number(value.toLongLong());
    case Kind::Real: return doubleText(value.toDouble());
    }
    return value.toString();
}

ReferenceImport readReferenceCsv(const QString &table, const QByteArray &data)
{
    ReferenceImport result;
    const QList<ReferenceColumn> columns = referenceColumns(table);
    const csv::ParseResult parsed = csv::parse(data);
    if (!parsed.ok()) {
        result.errorLine = parsed.errorLine;
        result.error = parsed.error;
        return result;
    }
    QStringList expected;
    for (const ReferenceColumn &c : columns)
        expected << c.name;
    if (parsed.records.isEmpty()) {
        result.errorLine = 1;
        result.error = QStringLiteral("fisierul este gol; prima linie trebuie sa fie: %1").arg(expected.join(u','));
        return result;
    }
    QStringList header;
    for (const QString &name : parsed.records.first().fields)
        header << name.trimmed();
    if (header != expected) {
        result.errorLine = parsed.records.first().line;
        result.error = QStringLiteral("capul de tabel nu corespunde; el trebuie sa fie: %1").arg(expected.join(u','));
        return result;
    }
    for (qsizetype r = 1; r < parsed.records.size(); ++r) {
        const csv::Record &record = parsed.records.at(r);
        if (record.fields.size() != columns.size()) {
            result.errorLine = record.line;
            result.error = QStringLiteral("linia are %1 valori, tabelul are %2 coloane")
                               .arg(record.fields.size())
                               .arg(columns.size());
            result.rows.clear();
            return result;
        }
        QVariantList row;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const CellValue cell = checkReferenceValue(columns.at(c), csv::unguarded(record.fields.at(c)));
            if (!cell.ok()) {
                result.errorLine = record.line;
                result.error = cell.refusal;
                result.rows.clear();
                return result;
            }
            row << cell.value;
        }
        result.rows << row;
    }
    return result;
}

ReferenceStore::ReferenceStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QList<ReferenceRow> ReferenceStore::rows(const QString &table) const
{
    // Table and column names come from the program's fixed list (checked
    // above), never from the clerk; values are bound.
    const QList<ReferenceColumn> &columns = columnsOrThrow(table);
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT idr, %1, versiune FROM %2 ORDER BY idr").arg(columnList(columns), table));
    return readRows(query, int(columns.size()));
}

QList<ReferenceRow> ReferenceStore::consumptionRows(int number, int aprind) const
{
    const QString table = QStringLiteral("consumCm%1").arg(number);
    const QList<ReferenceColumn> &columns = columnsOrThrow(table);
    QSqlQuery query = exec(m_db,
                           QStringLiteral("SELECT idr, %1, versiune FROM %2 WHERE aprind=? ORDER BY idr").arg(columnList(columns), table),
                           {aprind});
    return readRows(query, int(columns.size()));
}

int ReferenceStore::count(const QString &table) const
{
    columnsOrThrow(table);
    return scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt();
}

QStringList ReferenceStore::installationKinds() const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT fel_auto FROM sporI ORDER BY nri, idr"));
    QStringList kinds;
    while (query.next())
        kinds << query.value(0).toString();
    return kinds;
}

int ReferenceStore::addRow(const QString &table)
{
    columnsOrThrow(table);
    WriteRun run(m_db, referenceWindow);
    if (isConsumptionTable(table))
        exec(m_db, QStringLiteral("INSERT INTO %1 (aprind) VALUES (1)").arg(table));
    else if (table == QLatin1String("sporI"))
        exec(m_db, QStringLiteral("INSERT INTO sporI (nri) VALUES (0)"));
    else
        exec(m_db, QStringLiteral("INSERT INTO %1 (%2) VALUES (NULL)").arg(table, schema::quoted(referenceColumns(table).first().name)));
    const int idr = scalar(m_db, QStringLiteral("SELECT MAX(idr) FROM %1").arg(table)).toInt();
    renumber(table);
    Change c;
    c.table = table;
    c.key = idr;
    c.action = Change::inserted();
    run.record(std::move(c));
    run.commit();
    return idr;
}

int ReferenceStore::setValue(const QString &table, int idr, const QString &column, const QVariant &value,
                             std::optional<int> loadedVersion)
{
    const QList<ReferenceColumn> &columns = columnsOrThrow(table);
    auto it = std::find_if(columns.begin(), columns.end(), [&](const ReferenceColumn &c) { return c.name == column; });
    if (it == columns.end() || it->numbered)
        throw DbError(QStringLiteral("coloana %1 a tabelului %2 nu poate fi modificata").arg(column, table));
    WriteRun run(m_db, referenceWindow);
    QSqlQuery stored = exec(m_db, QStringLiteral("SELECT %1, versiune FROM %2 WHERE idr=?").arg(schema::quoted(column), table), {idr});
    if (!stored.next())
        throw StaleRecord();
    const QJsonValue before = journal::rowObject(stored, table).value(column);
    const int version = loadedVersion.value_or(stored.value(1).toInt());
    stored.finish();
    journal::requireRow(exec(m_db,
                             QStringLiteral("UPDATE %1 SET %2=?, versiune=versiune+1 WHERE idr=? AND versiune=?")
                                 .arg(table, schema::quoted(column)),
                             {value, idr, version}));
    Change c;
    c.table = table;
    c.key = idr;
    c.action = Change::updated();
    c.before = {{column, before}};
    c.after = {{column, QJsonValue::fromVariant(value)}};
    run.record(std::move(c));
    run.commit();
    return version + 1;
}

void ReferenceStore::removeRow(const QString &table, int idr)
{
    columnsOrThrow(table);
    WriteRun run(m_db, referenceWindow);
    QSqlQuery stored = exec(m_db, QStringLiteral("SELECT * FROM %1 WHERE idr=?").arg(table), {idr});
    Change c;
    c.table = table;
    c.key = idr;
    c.action = Change::deleted();
    if (stored.next())
        c.before = journal::rowObject(stored, table);
    stored.finish();
    if (table == QLatin1String("sporI")) {
        const QVariant nri = scalar(m_db, QStringLiteral("SELECT nri FROM sporI WHERE idr=?"), {idr});
        if (nri.isValid() && !nri.isNull()) {
            // The vehicles keep their installation although its number changes.
            exec(m_db, QStringLiteral("UPDATE auto SET Ispec=0 WHERE Ispec=?"), {nri.toInt()});
            exec(m_db, QStringLiteral("UPDATE auto SET Ispec=Ispec-1 WHERE Ispec>?"), {nri.toInt()});
        }
    }
    exec(m_db, QStringLiteral("DELETE FROM %1 WHERE idr=?").arg(table), {idr});
    renumber(table);
    run.record(std::move(c));
    run.commit();
}

QStringList ReferenceStore::installationUsers(int idr) const
{
    QSqlQuery query = exec(m_db,
                           QStringLiteral("SELECT a.nrauto FROM auto a JOIN sporI s ON s.nri=a.Ispec WHERE s.idr=? "
                                          "ORDER BY a.nrauto"),
                           {idr});
    QStringList numbers;
    while (query.next())
        numbers << query.value(0).toString();
    return numbers;
}

int ReferenceStore::vehiclesWithInstallation() const
{
    return scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM auto WHERE Ispec>0")).toInt();
}

void ReferenceStore::replaceAll(const QString &table, const QList<QVariantList> &rows)
{
    const QList<ReferenceColumn> &columns = columnsOrThrow(table);
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columnList(columns), marks.join(u','));
    // The journal keeps the table as it was and as it is now, in one row.
    WriteRun run(m_db, referenceWindow);
    Change c;
    c.table = table;
    c.action = Change::updated();
    QJsonArray before;
    QSqlQuery stored = exec(m_db, QStringLiteral("SELECT * FROM %1 ORDER BY idr").arg(table));
    while (stored.next())
        before.append(journal::rowObject(stored, table));
    stored.finish();
    exec(m_db, QStringLiteral("DELETE FROM %1").arg(table));
    QJsonArray after;
    for (const QVariantList &row : rows) {
        if (row.size() != columns.size())
            throw DbError(QStringLiteral("un rand al tabelului %1 nu are %2 valori").arg(table).arg(columns.size()));
        exec(m_db, insert, row);
        QJsonObject values;
        for (qsizetype i = 0; i < columns.size(); ++i)
            values.insert(columns.at(i).name, QJsonValue::fromVariant(row.at(i)));
        after.append(values);
    }
    renumber(table);
    c.before = {{QStringLiteral("randuri"), before}};
    c.after = {{QStringLiteral("randuri"), after}};
    run.record(std::move(c));
    run.commit();
}

QByteArray ReferenceStore::csv(const QString &table) const
{
    const QList<ReferenceColumn> &columns = columnsOrThrow(table);
    QStringList header;
    for (const ReferenceColumn &c : columns)
        header << c.name;
    QList<QStringList> lines;
    for (const ReferenceRow &row : rows(table)) {
        QStringList fields;
        for (qsizetype c = 0; c < columns.size(); ++c)
            fields << referenceCellText(columns.at(c), row.values.at(c));
        lines << fields;
    }
    return csv::write(header, lines);
}

void ReferenceStore::renumber(const QString &table)
{
    // The vehicle window stores the position of an installation in its list
    // and the trip window looks the row up by nri: keep them the same.
    if (table != QLatin1String("sporI"))
        return;
    exec(m_db, QStringLiteral("UPDATE sporI SET nri=(SELECT COUNT(*) FROM sporI s WHERE s.idr<=sporI.idr)"));
}

} // namespace vok
