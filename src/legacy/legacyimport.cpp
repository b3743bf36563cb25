#include "legacy/legacyimport.h"

#include "db/passwordstore.h"
#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <atomic>
#include <optional>

namespace vok::legacy {

namespace {

const QString importConnection = QStringLiteral("vok-import");
const QString importSystemConnection = QStringLiteral("vok-import-sys");

// Rows written between two commits of the new database.
constexpr int rowsPerCommit = 20000;

// The keys the clerk's data refer to; the other tables' keys are the
// program's own and their absence from the file is no news.
const QStringList referencedKeys = {QStringLiteral("ida"), QStringLiteral("idf"), QStringLiteral("idc"),
                                    QStringLiteral("idd")};

// What the clerk measures on a sheet (odometer, tank): the former program
// never recorded it, so an imported sheet keeps it not recorded (NULL), and
// that is no news either.
const QStringList measuredColumns = {QStringLiteral("kmplecare"), QStringLiteral("kmsosire"),
                                     QStringLiteral("rezplecare"), QStringLiteral("rezsosire")};

// Texts whose length an editor limits.
struct Limit {
    const char *table;
    const char *column;
    int length;
};
const Limit limits[] = {{"auto", "nrauto", 15}, {"auto", "marca", 30}, {"foaie", "sofer", 20},
                        {"piese", "act", 25},   {"piese", "denp", 50}};

// A row that points at another table's row.
struct Parent {
    const char *table;
    const char *column;
    const char *parent;
    const char *what;  // how the report names the parent
};
const Parent parents[] = {{"foaie", "ida", "auto", "autovehiculul"},
                          {"curse", "idf", "foaie", "foaia"},
                          {"dateluna", "ida", "auto", "autovehiculul"}};

// A natural key the program keeps unique, with how the report tells a second use.
struct Natural {
    const char *table;
    QStringList columns;
    const char *sql;      // the row already holding it; binds the columns in order
    const char *reason;   // %1... the columns, then the key of the row holding it
};
const QList<Natural> &naturals()
{
    static const QList<Natural> list = {
        {"auto", {QStringLiteral("nrauto")}, "SELECT ida FROM auto WHERE UPPER(nrauto)=UPPER(?)",
         "numarul de inmatriculare %1 este deja al autovehiculului ida=%2"},
        {"consum", {QStringLiteral("ida")}, "SELECT ida FROM consum WHERE ida=?",
         "autovehiculul ida=%1 are deja consumul (ida=%2)"},
        {"foaie", {QStringLiteral("ida"), QStringLiteral("nrf")}, "SELECT idf FROM foaie WHERE ida=? AND nrf=?",
         "foaia nr. %2 a autovehiculului ida=%1 exista deja (idf=%3)"},
        {"curse", {QStringLiteral("idf"), QStringLiteral("nrc")}, "SELECT idc FROM curse WHERE idf=? AND nrc=?",
         "cursa nr. %2 a foii idf=%1 exista deja (idc=%3)"},
        {"dateluna", {QStringLiteral("ida"), QStringLiteral("anul"), QStringLiteral("idl")},
         "SELECT idd FROM dateluna WHERE ida=? AND anul=? AND idl=?",
         "luna %3/%2 a autovehiculului ida=%1 exista deja (idd=%4)"},
    };
    return list;
}

enum class Kind { Integer, Real, Text };

// One column of a table of ours, as the new database declares it.
struct Column {
    QString name;
    Kind kind = Kind::Text;
    QVariant defaultValue;  // null when none
    bool key = false;
};

QList<Column> columnsOf(const QSqlDatabase &db, const QString &table)
{
    QList<Column> columns;
    QSqlQuery info = exec(db, QStringLiteral("PRAGMA table_info(%1)").arg(schema::quoted(table)));
    while (info.next()) {
        Column c;
        c.name = info.value(1).toString();
        const QString type = info.value(2).toString().toUpper();
        c.kind = type.contains(QLatin1String("INT")) ? Kind::Integer
                 : type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("DOUBLE")) ? Kind::Real
                                                                                                  : Kind::Text;
        if (!info.value(4).isNull()) {
            const QString text = info.value(4).toString();
            c.defaultValue = c.kind == Kind::Integer ? QVariant(text.toLongLong())
                             : c.kind == Kind::Real  ? QVariant(text.toDouble())
                                                     : QVariant(text);
        }
        c.key = info.value(5).toInt() == 1;
        columns << c;
    }
    return columns;
}

const QRegularExpression &dateTimePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})$"));
    return pattern;
}

// The value of a field for a column of ours; nullopt with `why` set when it
// cannot be one.
std::optional<QVariant> convert(const QString &raw, const Column &column, const QString &table,
                                const QString &sourceType, QString &why)
{
    if (raw.isEmpty())
        return column.defaultValue.isValid() ? column.defaultValue : QVariant();
    const QRegularExpressionMatch dateTime = dateTimePattern().match(raw);
    switch (column.kind) {
    case Kind::Integer: {
        bool ok = false;
        const QString text = raw.trimmed();
        const qlonglong whole = text.toLongLong(&ok);
        if (ok)
            return QVariant(whole);
        const double number = text.toDouble(&ok);
        if (ok && number == double(qlonglong(number)))
            return QVariant(qlonglong(number));
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return QVariant(1);
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return QVariant(0);
        why = QStringLiteral("coloana %1: '%2' nu este un numar intreg").arg(column.name, raw.left(40));
        return std::nullopt;
    }
    case Kind::Real: {
        bool ok = false;
        double number = raw.trimmed().toDouble(&ok);
        if (!ok) {
            why = QStringLiteral("coloana %1: '%2' nu este un numar").arg(column.name, raw.left(40));
            return std::nullopt;
        }
        // Single-precision columns keep the seven digits they were typed with.
        if (sourceType.compare(QLatin1String("Single"), Qt::CaseInsensitive) == 0)
            number = QString::number(number, 'g', 7).toDouble();
        return QVariant(number);
    }
    case Kind::Text:
        break;
    }
    // Dates come as year-month-day and time; the program writes day.month.year.
    if (dateTime.hasMatch()
        && (sourceType.compare(QLatin1String("DateTime"), Qt::CaseInsensitive) == 0
            || (table == QLatin1String("foaie") && column.name == QLatin1String("data")))) {
        const QString day = dateTime.captured(3) + u'.' + dateTime.captured(2) + u'.' + dateTime.captured(1);
        const bool midnight = raw.endsWith(QLatin1String(" 00:00:00"));
        if (midnight || column.name == QLatin1String("data"))
            return QVariant(day);
        return QVariant(day + raw.mid(10));
    }
    // Day and month of a part are written with two digits.
    if (table == QLatin1String("piese") && (column.name == QLatin1String("zi") || column.name == QLatin1String("luna"))
        && raw.size() == 1 && raw.at(0).isDigit())
        return QVariant(QStringLiteral("0") + raw);
    for (const Limit &limit : limits)
        if (table == QLatin1String(limit.table) && column.name == QLatin1String(limit.column) && raw.size() > limit.length) {
            why = QStringLiteral("coloana %1 are %2 caractere, cel mult %3 ('%4')")
                      .arg(column.name)
                      .arg(raw.size())
                      .arg(limit.length)
                      .arg(raw);
            return std::nullopt;
        }
    return QVariant(raw);
}

QString text(const QVariant &value) { return value.isNull() ? QStringLiteral("(gol)") : value.toString(); }

// `pattern` with %1, %2 ... replaced by `values` in one pass (a value that
// holds a % sign stays as it is).
QString filled(const QString &pattern, const QStringList &values)
{
    QString result;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i) == u'%' && i + 1 < pattern.size() && pattern.at(i + 1).isDigit()) {
            result += values.value(pattern.at(i + 1).digitValue() - 1);
            ++i;
        } else {
            result += pattern.at(i);
        }
    }
    return result;
}

// Reads one table of the file into the same table of ours.
class TableImport {
public:
    TableImport(const QSqlDatabase &db, const QString &table, const MdbTable &source, ImportReport &report)
        : m_db(db)
        , m_table(table)
        , m_source(source)
        , m_report(report)
        , m_columns(columnsOf(db, table))
    {
    }

    // Maps the file's header to our columns and prepares the statements.
    void header(const QStringList &names)
    {
        m_fieldOf.fill(-1, m_columns.size());
        for (int f = 0; f < names.size(); ++f) {
            int found = -1;
            for (int c = 0; c < m_columns.size(); ++c)
                if (m_columns.at(c).name.compare(names.at(f), Qt::CaseInsensitive) == 0)
                    found = c;
            if (found < 0) {
                m_report.notes << QStringLiteral("%1: coloana %2 a fisierului nu este a programului; nu s-a importat")
                                      .arg(m_table, names.at(f));
                continue;
            }
            m_fieldOf[found] = f;
            QString type;
            for (const MdbColumn &column : m_source.columns)
                if (column.name.compare(names.at(f), Qt::CaseInsensitive) == 0)
                    type = column.type;
            m_typeOf.insert(found, type);
        }
        QStringList used, marks;
        for (int c = 0; c < m_columns.size(); ++c) {
            const Column &column = m_columns.at(c);
            if (column.key)
                m_key = c;
            if (m_fieldOf.at(c) >= 0) {
                used << schema::quoted(column.name);
                marks << QStringLiteral("?");
                m_inserted << c;
            } else if (m_table == QLatin1String("foaie") && measuredColumns.contains(column.name)) {
                continue;
            } else if (!column.key || referencedKeys.contains(column.name)) {
                m_report.notes << QStringLiteral("%1: coloana %2 lipseste din fisier; %3")
                                      .arg(m_table, column.name,
                                           column.key ? QStringLiteral("cheile se dau din nou")
                                                      : QStringLiteral("ia valoarea implicita ") + text(column.defaultValue));
            }
        }
        m_insert = QSqlQuery(m_db);
        if (!m_insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(schema::quoted(m_table), used.join(QStringLiteral(", ")),
                                       marks.join(QStringLiteral(", ")))))
            throw DbError(m_insert.lastError().text());
        for (const Parent &p : parents)
            if (m_table == QLatin1String(p.table)) {
                m_parent = &p;
                m_parentQuery = QSqlQuery(m_db);
                m_parentQuery.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2=?").arg(QString::fromLatin1(p.parent),
                                                                                      QString::fromLatin1(p.column)));
            }
        for (const Natural &n : naturals())
            if (m_table == QLatin1String(n.table)) {
                m_natural = &n;
                m_naturalQuery = QSqlQuery(m_db);
                m_naturalQuery.prepare(QString::fromLatin1(n.sql));
            }
    }

    // One record; false when it was refused.
    bool row(const QStringList &fields, int line)
    {
        QVector<QVariant> values(m_columns.size());
        QString key = QStringLiteral("randul %1").arg(line);
        if (m_key >= 0 && m_fieldOf.at(m_key) >= 0 && !fields.value(m_fieldOf.at(m_key)).isEmpty()) {
            key = m_columns.at(m_key).name + u'=' + fields.value(m_fieldOf.at(m_key)).trimmed();
            bool ok = false;
            const qlonglong number = fields.value(m_fieldOf.at(m_key)).trimmed().toLongLong(&ok);
            if (ok)
                m_maxKey = std::max(m_maxKey, number);
        }
        for (int c : m_inserted) {
            QString why;
            const std::optional<QVariant> value =
                convert(fields.value(m_fieldOf.at(c)), m_columns.at(c), m_table, m_typeOf.value(c), why);
            if (!value)
                return refuse(key, why);
            values[c] = *value;
        }
        auto valueOf = [&](const QString &name) {
            for (int c = 0; c < m_columns.size(); ++c)
                if (m_columns.at(c).name == name)
                    return values.at(c);
            return QVariant();
        };
        if (m_table == QLatin1String("auto") && valueOf(QStringLiteral("nrauto")).toString().trimmed().isEmpty())
            return refuse(key, QStringLiteral("fara numar de inmatriculare"));
        if (m_parent) {
            const QVariant parent = valueOf(QString::fromLatin1(m_parent->column));
            m_parentQuery.bindValue(0, parent);
            if (!m_parentQuery.exec())
                throw DbError(m_parentQuery.lastError().text());
            const bool found = m_parentQuery.next();
            m_parentQuery.finish();
            if (!found)
                return refuse(key, QStringLiteral("%1 %2=%3 nu exista (lipseste din fisier sau a fost refuzat)")
                                       .arg(QString::fromLatin1(m_parent->what), QString::fromLatin1(m_parent->column),
                                            text(parent)));
        }
        if (m_natural) {
            QStringList shown;
            for (int i = 0; i < m_natural->columns.size(); ++i) {
                const QVariant v = valueOf(m_natural->columns.at(i));
                m_naturalQuery.bindValue(i, v);
                shown << text(v);
            }
            if (!m_naturalQuery.exec())
                throw DbError(m_naturalQuery.lastError().text());
            if (m_naturalQuery.next()) {
                shown << m_naturalQuery.value(0).toString();
                m_naturalQuery.finish();
                return refuse(key, filled(QString::fromLatin1(m_natural->reason), shown));
            }
            m_naturalQuery.finish();
        }
        for (int i = 0; i < m_inserted.size(); ++i)
            m_insert.bindValue(i, values.at(m_inserted.at(i)));
        if (!m_insert.exec()) {
            const QString message = m_insert.lastError().databaseText();
            if (m_key >= 0 && message.contains(QLatin1String("UNIQUE")) && message.contains(m_columns.at(m_key).name))
                return refuse(key, QStringLiteral("cheia %1 apare de doua ori in fisier").arg(key));
            return refuse(key, message);
        }
        ++m_imported;
        return true;
    }

    qint64 imported() const { return m_imported; }
    qlonglong maxKey() const { return m_maxKey; }
    QString keyColumn() const { return m_key >= 0 ? m_columns.at(m_key).name : QString(); }

private:
    bool refuse(const QString &key, const QString &reason)
    {
        m_report.refused << RefusedRow{m_table, key, reason};
        return false;
    }

    QSqlDatabase m_db;
    QString m_table;
    MdbTable m_source;
    ImportReport &m_report;
    QList<Column> m_columns;
    QVector<int> m_fieldOf;         // per column of ours, the file's field or -1
    QHash<int, QString> m_typeOf;   // per column of ours, the file's type
    QList<int> m_inserted;          // our columns the file gives, in order
    int m_key = -1;
    QSqlQuery m_insert;
    const Parent *m_parent = nullptr;
    QSqlQuery m_parentQuery;
    const Natural *m_natural = nullptr;
    QSqlQuery m_naturalQuery;
    qint64 m_imported = 0;
    qlonglong m_maxKey = 0;
};

// A counter key never gives a new row a key the file used, refused rows included.
void moveSequencePast(const QSqlDatabase &db, const QString &table, qlonglong key)
{
    if (key <= 0)
        return;
    exec(db, QStringLiteral("UPDATE sqlite_sequence SET seq=? WHERE name=? AND seq<?"), {key, table, key});
    exec(db, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) SELECT ?, ? "
                            "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name=?)"),
         {table, key, table});
}

void removeFiles(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(path + suffix);
}

} // namespace

qint64 ImportReport::refusedIn(const QString &table) const
{
    return std::count_if(refused.begin(), refused.end(), [&](const RefusedRow &r) { return r.table == table; });
}

QString ImportReport::text() const
{
    QStringList lines;
    lines << QStringLiteral("Import date vechi, %1").arg(when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    lines << QStringLiteral("Fisierul datelor: %1").arg(QDir::toNativeSeparators(dataFile));
    lines << QStringLiteral("Fisierul parolei: %1")
                 .arg(systemFile.isEmpty() ? QStringLiteral("nu a fost dat; parola ramane cea de acum")
                                           : QDir::toNativeSeparators(systemFile));
    lines << QString() << QStringLiteral("Randuri importate:");
    for (const auto &[table, rows] : imported) {
        const qint64 refusedRows = refusedIn(table);
        lines << QStringLiteral("  %1: %2").arg(table).arg(rows)
                     + (refusedRows ? QStringLiteral(" (refuzate: %1)").arg(refusedRows) : QString());
    }
    // What the clerk has to look at first: the rows left out.
    lines << QString();
    if (refused.isEmpty()) {
        lines << QStringLiteral("Niciun rand nu a fost refuzat.");
    } else {
        lines << QStringLiteral("Randuri refuzate (%1): tabela | cheia | motivul").arg(refused.size());
        for (const RefusedRow &r : refused)
            lines << QStringLiteral("  %1 | %2 | %3").arg(r.table, r.key, r.reason);
    }
    if (!notes.isEmpty()) {
        lines << QString() << QStringLiteral("Observatii:");
        for (const QString &note : notes)
            lines << QStringLiteral("  - ") + note;
    }
    return lines.join(u'\n') + u'\n';
}

QString systemFileBeside(const QString &vokMdb)
{
    const QDir dir = QFileInfo(vokMdb).dir();
    for (const QString &name : dir.entryList(QDir::Files))
        if (name.compare(QLatin1String("sys.mdb"), Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    return {};
}

Preview preview(const QString &vokMdb)
{
    MdbReader reader(vokMdb);
    reader.open();
    if (!reader.table(QStringLiteral("auto")))
        throw UnreadableFile(QStringLiteral("%1 nu contine datele programului (lipseste tabela auto)")
                                 .arg(QFileInfo(vokMdb).fileName()));
    reader.countRows();
    Preview result;
    result.tables = reader.tables();
    const QStringList ours = schema::tableNames(DatabaseKind::Data);
    for (const MdbTable &t : result.tables)
        if (!ours.contains(t.name, Qt::CaseInsensitive))
            result.unknown << t.name;
    result.withSystem = !systemFileBeside(vokMdb).isEmpty();
    return result;
}

bool folderHoldsData(const QString &dataDir)
{
    const QDir dir(dataDir);
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("vok-holds-%1").arg(++counter);
    bool holds = false;
    for (const QString &file : {QStringLiteral("vok.db"), QStringLiteral("sys.db")}) {
        const QString path = dir.filePath(file);
        if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0)
            continue;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
            if (!db.open()) {
                holds = true; // a file that cannot be read is not thrown away unasked
            } else if (file == QLatin1String("sys.db")) {
                QSqlQuery q(db);
                holds = holds || !q.exec(QStringLiteral("SELECT parola FROM valid")) || (q.next() && !q.value(0).toString().isEmpty());
            } else {
                for (const QString &table : schema::tableNames(DatabaseKind::Data)) {
                    QSqlQuery q(db);
                    if (q.exec(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(schema::quoted(table))) && q.next())
                        holds = true;
                }
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    return holds;
}

Built build(const QString &dataDir, const QString &vokMdb, const QString &sysMdb, const QDateTime &when,
            const backup::Progress &progress)
{
    MdbReader reader(vokMdb);
    reader.open();
    if (!reader.table(QStringLiteral("auto")))
        throw UnreadableFile(QStringLiteral("%1 nu contine datele programului (lipseste tabela auto)")
                                 .arg(QFileInfo(vokMdb).fileName()));
    std::optional<MdbReader> system;
    if (!sysMdb.isEmpty()) {
        system.emplace(sysMdb);
        system->open();
        if (!system->table(QStringLiteral("valid")))
            throw UnreadableFile(QStringLiteral("%1 nu contine parola programului (lipseste tabela valid)")
                                     .arg(QFileInfo(sysMdb).fileName()));
    }
    reader.countRows();
    qint64 total = 0;
    for (const MdbTable &t : reader.tables())
        total += std::max<qint64>(t.rows, 0);

    Built built;
    ImportReport &report = built.report;
    report.when = when;
    report.dataFile = QFileInfo(vokMdb).absoluteFilePath();
    report.systemFile = sysMdb.isEmpty() ? QString() : QFileInfo(sysMdb).absoluteFilePath();
    const QDir dir(dataDir);
    built.prepared.dataDir = dir.absolutePath();
    built.prepared.data = dir.filePath(QStringLiteral("vok.db.import"));
    removeFiles(built.prepared.data);
    const QStringList ours = schema::tableNames(DatabaseKind::Data);
    for (const MdbTable &t : reader.tables())
        if (!ours.contains(t.name, Qt::CaseInsensitive))
            report.notes << QStringLiteral("tabela %1 a fisierului nu este a programului; nu s-a importat").arg(t.name);

    try {
        {
            const QSqlDatabase db = database::openSqlite(built.prepared.data, importConnection, DatabaseKind::Data);
            // A file being built: no syncs until it is whole (it is synced before it goes in).
            exec(db, QStringLiteral("PRAGMA synchronous=OFF"));
            qint64 done = 0;
            for (const QString &table : ours) {
                const MdbTable *source = reader.table(table);
                if (!source) {
                    report.notes << QStringLiteral("tabela %1 lipseste din fisier; ramane goala").arg(table);
                    report.imported << qMakePair(table, qint64(0));
                    continue;
                }
                TableImport import(db, table, *source, report);
                std::optional<Transaction> transaction(std::in_place, db);
                int pending = 0;
                reader.exportTable(
                    source->name, [&](const QStringList &names) { import.header(names); },
                    [&](const QStringList &fields, int line) {
                        import.row(fields, line);
                        if (++pending == rowsPerCommit) {
                            transaction->commit();
                            transaction.emplace(db);
                            pending = 0;
                        }
                        if (progress && ++done % 500 == 0 && !progress(done, total))
                            throw backup::Cancelled();
                    });
                moveSequencePast(db, table, import.maxKey());
                transaction->commit();
                report.imported << qMakePair(table, import.imported());
            }
            const QStringList problems = backup::consistencyProblems(db);
            if (!problems.isEmpty())
                throw DbError(QStringLiteral("datele importate nu sunt consecvente: %1").arg(problems.first()));
            exec(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        }
        database::close(importConnection);

        // The password: from sys.mdb's plain text into a salted hash.
        if (system) {
            built.prepared.system = dir.filePath(QStringLiteral("sys.db.import"));
            removeFiles(built.prepared.system);
            {
                const QSqlDatabase sys =
                    database::openSqlite(built.prepared.system, importSystemConnection, DatabaseKind::System);
                // The one row of valid; a Null or empty password means none.
                int column = -1;
                bool first = true;
                QString password;
                system->exportTable(
                    system->table(QStringLiteral("valid"))->name,
                    [&](const QStringList &names) {
                        for (int i = 0; i < names.size(); ++i)
                            if (names.at(i).compare(QLatin1String("parola"), Qt::CaseInsensitive) == 0)
                                column = i;
                        if (column < 0)
                            throw UnreadableFile(QStringLiteral("tabela valid din %1 nu are coloana parola")
                                                     .arg(QFileInfo(sysMdb).fileName()));
                    },
                    [&](const QStringList &fields, int) {
                        if (first)
                            password = fields.value(column);
                        first = false;
                    });
                PasswordStore(sys).set(password);
                report.notes << (password.isEmpty() ? QStringLiteral("sys.mdb nu are parola: programul nu va cere parola")
                                                    : QStringLiteral("parola din sys.mdb a fost preluata (se pastreaza criptata)"));
            }
            database::close(importSystemConnection);
        } else if (!QFileInfo::exists(dir.filePath(QStringLiteral("sys.db")))) {
            built.prepared.system = dir.filePath(QStringLiteral("sys.db.import"));
            removeFiles(built.prepared.system);
            database::openSqlite(built.prepared.system, importSystemConnection, DatabaseKind::System);
            database::close(importSystemConnection);
        }
    } catch (...) {
        database::close(importConnection);
        database::close(importSystemConnection);
        removeFiles(built.prepared.data);
        if (!built.prepared.system.isEmpty())
            removeFiles(built.prepared.system);
        throw;
    }
    built.prepared.summary.file = report.dataFile;
    built.prepared.summary.systemFile = report.systemFile;
    built.prepared.summary.taken = when;
    return built;
}

QString saveReport(const QString &dataDir, const ImportReport &report)
{
    const QString path = QDir(dataDir).filePath(
        QStringLiteral("import-%1.txt").arg(report.when.toString(QStringLiteral("yyyy-MM-dd-HHmmss"))));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw DbError(QStringLiteral("raportul importului nu poate fi scris in %1: %2").arg(path, file.errorString()));
    file.write(report.text().toUtf8());
    return path;
}

} // namespace vok::legacy
