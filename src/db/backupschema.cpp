#include "db/backup.h"

#include "db/backupfiles.h"
#include "db/schema.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>

#include <sqlite3.h>

namespace vok::backup::files {

namespace {

// One object of a database's schema.
struct Object {
    QString type;     // table, index, trigger, view
    QString name;
    QString table;    // the table an index or trigger belongs to
    QString sql;      // blanks folded
    QStringList columns; // of a table, lower case, sorted
};

using Schema = QList<Object>;

QString folded(const QString &name) { return name.toLower(); }

// Objects the engine makes by itself.
bool isEngineOwn(const Object &object)
{
    const QString name = folded(object.name);
    if (object.type == QLatin1String("table"))
        return name == QLatin1String("sqlite_sequence") || name.startsWith(QLatin1String("sqlite_stat"));
    if (object.type == QLatin1String("index"))
        return name.startsWith(QLatin1String("sqlite_autoindex_"));
    return false;
}

Schema objectsOf(const Connection &db)
{
    Schema objects;
    for (const QStringList &row :
         db.records(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY rowid"))) {
        Object object{row.value(0), row.value(1), row.value(2), row.value(3).simplified(), {}};
        if (object.type == QLatin1String("table") && !isEngineOwn(object)) {
            for (const QStringList &column :
                 db.records(QStringLiteral("SELECT name FROM pragma_table_xinfo(?)"), {object.name}))
                object.columns << folded(column.value(0));
            object.columns.sort();
        }
        objects << object;
    }
    return objects;
}

// What the program's own steps up to `version` make, on an empty database in
// memory: the same statements as a migration, so that every later step is
// known here without a word of its own.
Schema expectedSchema(DatabaseKind kind, int version)
{
    static QMutex mutex;
    static QHash<int, Schema> made;
    const int key = (kind == DatabaseKind::Data ? 0 : 1000) + version;
    const QMutexLocker lock(&mutex);
    const auto found = made.constFind(key);
    if (found != made.cend())
        return *found;

    static const QRegularExpression addColumn(QStringLiteral("^ALTER TABLE (\\w+) ADD COLUMN (\\w+) "));
    const Connection db(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY);
    for (int step = 1; step <= version; ++step)
        for (const QString &statement : schema::migrationStep(kind, step, schema::Dialect::Sqlite)) {
            const QRegularExpressionMatch m = addColumn.match(statement);
            if (m.hasMatch()
                && !db.records(QStringLiteral("SELECT 1 FROM pragma_table_info(?) WHERE lower(name)=lower(?)"),
                               {m.captured(1), m.captured(2)})
                        .isEmpty())
                continue;
            db.run(statement);
        }
    const Schema schema = objectsOf(db);
    made.insert(key, schema);
    return schema;
}

QString kindText(const QString &type)
{
    if (type == QLatin1String("table"))
        return QStringLiteral("tabela");
    if (type == QLatin1String("index"))
        return QStringLiteral("indexul");
    if (type == QLatin1String("trigger"))
        return QStringLiteral("triggerul");
    if (type == QLatin1String("view"))
        return QStringLiteral("vederea");
    return QStringLiteral("obiectul (%1)").arg(type);
}

QString named(const Object &object)
{
    QString text = QStringLiteral("%1 %2").arg(kindText(object.type), object.name);
    if ((object.type == QLatin1String("index") || object.type == QLatin1String("trigger"))
        && !object.table.isEmpty())
        text += QStringLiteral(" (pe tabela %1)").arg(object.table);
    return text;
}

QString difference(const QStringList &have, const QStringList &want)
{
    QStringList extra, missing;
    for (const QString &c : have)
        if (!want.contains(c))
            extra << c;
    for (const QString &c : want)
        if (!have.contains(c))
            missing << c;
    QStringList parts;
    if (!extra.isEmpty())
        parts << QStringLiteral("in plus: %1").arg(extra.join(QStringLiteral(", ")));
    if (!missing.isEmpty())
        parts << QStringLiteral("lipsesc: %1").arg(missing.join(QStringLiteral(", ")));
    return parts.join(QStringLiteral("; "));
}

} // namespace

QString foreignObject(const Connection &db, DatabaseKind kind, int version)
{
    const Schema expected = expectedSchema(kind, version);
    const Schema present = objectsOf(db);
    for (const Object &object : present) {
        if (isEngineOwn(object))
            continue;
        const Object *ours = nullptr;
        for (const Object &e : expected)
            if (e.type == object.type && folded(e.name) == folded(object.name))
                ours = &e;
        if (!ours)
            return QStringLiteral("%1 nu este a programului").arg(named(object));
        if (folded(ours->table) != folded(object.table))
            return QStringLiteral("%1 nu este a programului").arg(named(object));
        // A trigger, a view or an index does what its text says (an index
        // may be made unique, or on an expression that fails): the text must
        // be the program's.
        const bool byText = object.type != QLatin1String("table")
                            || object.sql.startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive);
        if (byText && object.sql != ours->sql)
            return QStringLiteral("%1 are alta definitie decat in program").arg(named(object));
        if (object.columns != ours->columns)
            return QStringLiteral("%1 are alte coloane decat ale programului (%2)")
                .arg(named(object), difference(object.columns, ours->columns));
    }
    for (const Object &e : expected) {
        if (e.type != QLatin1String("table") || isEngineOwn(e))
            continue;
        bool found = false;
        for (const Object &object : present)
            found = found || (object.type == e.type && folded(object.name) == folded(e.name));
        if (!found)
            return QStringLiteral("lipseste tabela %1").arg(e.name);
    }
    return {};
}

void checkObjects(const QString &path, DatabaseKind kind)
{
    QString foreign;
    try {
        const Connection db(path, SQLITE_OPEN_READWRITE);
        foreign = foreignObject(db, kind, db.value(QStringLiteral("PRAGMA user_version")).toInt());
    } catch (const DbError &error) {
        throw Refused(QStringLiteral("baza de date este deteriorata (%1)").arg(error.message()));
    }
    if (!foreign.isEmpty())
        throw Refused(QStringLiteral("nu este o baza de date a acestui program: %1").arg(foreign));
}

} // namespace vok::backup::files
