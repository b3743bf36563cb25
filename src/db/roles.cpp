#include "db/roles.h"

#include "db/schema.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QUuid>

#include <libpq-fe.h>

namespace vok::roles {

namespace {

const Role groups[] = {Role::Admin, Role::Operator, Role::Cititor};

// What each group may do with a table:
//   "w"         read, add, change and delete rows;
//   "a"         read and add rows;
//   "r"         read;
//   "r:c1,c2"   read, and change those columns only;
//   "-"         nothing.
struct Rule {
    const char *table;
    const char *admin;
    const char *operatorRights;
    const char *cititor;
};

// Every table whose rights differ from an unknown table's (below). A table
// the program makes later is covered by that default until it is named here.
const Rule rules[] = {
    // The vehicle register belongs to the administrator; the trip window
    // writes the regime the clerk picks, the fleet window the report marks.
    {"auto", "w", "r:Cm,rap,versiune", "r:rap"},
    {"consum", "w", "r:implicit,versiune", "r"},
    // The clerks' daily work.
    {"foaie", "w", "w", "r"},
    {"curse", "w", "w", "r"},
    {"dateluna", "w", "w", "r"},
    // Marked by the triggers of the sheets, trips and months whoever writes them.
    {"lunischimbate", "w", "w", "r"},
    {"piese", "w", "w", "r"},
    // Card statements: imported and reconciled by the clerks.
    {"tranzactii", "w", "w", "r"},
    {"importcard", "w", "w", "r"},
    {"facturi", "w", "w", "r"},
    {"facturilinii", "w", "w", "r"},
    // Every change leaves a row; nobody but the owner changes one.
    {"jurnal", "a", "a", "a"},
    // The access table is the owner's alone.
    {"valid", "-", "-", "-"},
    {"vok_schema", "r", "r", "r"},
};

const Rule unknownTable = {nullptr, "w", "r", "r"};

const Rule &ruleOf(const QString &table)
{
    for (const Rule &rule : rules)
        if (table.compare(QLatin1String(rule.table), Qt::CaseInsensitive) == 0)
            return rule;
    return unknownTable;
}

QString rightsOf(const Rule &rule, Role role)
{
    switch (role) {
    case Role::Admin:
        return QString::fromLatin1(rule.admin);
    case Role::Operator:
        return QString::fromLatin1(rule.operatorRights);
    case Role::Cititor:
        return QString::fromLatin1(rule.cititor);
    default:
        return QStringLiteral("-");
    }
}

bool isPlainName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return plain.match(name).hasMatch();
}

QString allGroups()
{
    return QStringLiteral("vok_admin, vok_operator, vok_cititor");
}

// The tables of the current schema that the rights cover: the program's own
// and any other found there, once each (a server folds names to lower case).
QStringList coveredTables(const QSqlDatabase &db)
{
    QStringList candidates = schema::tableNames(DatabaseKind::Data);
    candidates << QStringLiteral("jurnal") << schema::tableNames(DatabaseKind::System)
               << QStringLiteral("vok_schema");
    for (const Rule &rule : rules)
        candidates << QString::fromLatin1(rule.table);
    QSqlQuery present = exec(db, QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = current_schema() "
                                                "ORDER BY tablename"));
    while (present.next())
        candidates << present.value(0).toString();
    QStringList tables;
    QSet<QString> seen;
    for (const QString &table : std::as_const(candidates)) {
        const QString key = table.toLower();
        if (seen.contains(key) || !isPlainName(table))
            continue;
        seen.insert(key);
        if (scalar(db, QStringLiteral("SELECT to_regclass(?) IS NOT NULL"), {key}).toBool())
            tables << key;
    }
    return tables;
}

// The sequences that number the rows of `table` (its identity columns).
QStringList sequencesOf(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery q = exec(db,
                       QStringLiteral("SELECT pg_get_serial_sequence(?, a.attname) FROM pg_attribute a "
                                      "WHERE a.attrelid = to_regclass(?) AND a.attnum > 0 AND NOT a.attisdropped "
                                      "AND (a.attidentity <> '' OR pg_get_serial_sequence(?, a.attname) IS NOT NULL)"),
                       {table, table, table});
    QStringList sequences;
    while (q.next())
        if (!q.value(0).isNull())
            sequences << q.value(0).toString();
    return sequences;
}

// A verifier as libpq makes it, checked before it is written into a statement
// (a role's password cannot be a bound value).
QString checkedVerifier(const QString &verifier)
{
    static const QRegularExpression scram(
        QStringLiteral("^SCRAM-SHA-256\\$[0-9]+:[A-Za-z0-9+/=]+\\$[A-Za-z0-9+/=]+:[A-Za-z0-9+/=]+$"));
    if (!scram.match(verifier).hasMatch())
        throw DbError(QStringLiteral("libpq did not give a SCRAM verifier"));
    return verifier;
}

} // namespace

QString groupName(Role role)
{
    switch (role) {
    case Role::Admin:
        return QStringLiteral("vok_admin");
    case Role::Operator:
        return QStringLiteral("vok_operator");
    case Role::Cititor:
        return QStringLiteral("vok_cititor");
    default:
        return {};
    }
}

std::optional<Role> fromGroupName(const QString &name)
{
    for (Role role : groups)
        if (name == groupName(role))
            return role;
    return std::nullopt;
}

QString displayName(Role role)
{
    if (role == Role::Owner)
        return QStringLiteral("proprietarul bazei de date");
    if (role == Role::None)
        return QStringLiteral("fara rol");
    return groupName(role);
}

bool isOwner(const QSqlDatabase &db)
{
    return scalar(db, QStringLiteral(
                          "SELECT COALESCE((SELECT pg_has_role(current_user, c.relowner, 'USAGE') FROM pg_class c "
                          "WHERE c.oid = to_regclass('vok_schema')), "
                          "has_schema_privilege(current_schema(), 'CREATE'), false)"))
        .toBool();
}

QString login(const QSqlDatabase &db) { return scalar(db, QStringLiteral("SELECT session_user")).toString(); }

Role roleOf(const QSqlDatabase &db)
{
    if (isOwner(db))
        return Role::Owner;
    Role widest = Role::None;
    QSqlQuery q = exec(db, QStringLiteral("SELECT rolname FROM pg_roles WHERE rolname IN ('vok_admin', 'vok_operator', "
                                          "'vok_cititor') AND pg_has_role(current_user, oid, 'MEMBER')"));
    while (q.next())
        if (const std::optional<Role> role = fromGroupName(q.value(0).toString()); role && *role > widest)
            widest = *role;
    return widest;
}

bool groupsExist(const QSqlDatabase &db)
{
    return scalar(db, QStringLiteral("SELECT COUNT(*) FROM pg_roles WHERE rolname IN ('vok_admin', 'vok_operator', "
                                     "'vok_cititor')"))
               .toInt()
           == 3;
}

QStringList grantStatements(const QSqlDatabase &db)
{
    QStringList statements;
    const QString schemaName = scalar(db, QStringLiteral("SELECT quote_ident(current_schema())")).toString();
    statements << QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schemaName, allGroups());
    for (const QString &table : coveredTables(db)) {
        const Rule &rule = ruleOf(table);
        const QStringList sequences = sequencesOf(db, table);
        statements << QStringLiteral("REVOKE ALL ON TABLE %1 FROM %2").arg(table, allGroups());
        for (const QString &sequence : sequences)
            statements << QStringLiteral("REVOKE ALL ON SEQUENCE %1 FROM %2").arg(sequence, allGroups());
        for (Role role : groups) {
            const QString group = groupName(role);
            const QString rights = rightsOf(rule, role);
            if (rights == QLatin1String("-"))
                continue;
            statements << QStringLiteral("GRANT SELECT ON TABLE %1 TO %2").arg(table, group);
            if (rights == QLatin1String("w"))
                statements << QStringLiteral("GRANT INSERT, UPDATE, DELETE ON TABLE %1 TO %2").arg(table, group);
            else if (rights == QLatin1String("a"))
                statements << QStringLiteral("GRANT INSERT ON TABLE %1 TO %2").arg(table, group);
            else if (rights.startsWith(QLatin1String("r:")))
                statements << QStringLiteral("GRANT UPDATE (%1) ON TABLE %2 TO %3")
                                  .arg(rights.mid(2).split(u',').join(QStringLiteral(", ")), table, group);
            if (rights == QLatin1String("w") || rights == QLatin1String("a"))
                for (const QString &sequence : sequences)
                    statements << QStringLiteral("GRANT USAGE ON SEQUENCE %1 TO %2").arg(sequence, group);
        }
    }
    return statements;
}

void grant(const QSqlDatabase &db)
{
    Transaction transaction(db);
    for (const QString &statement : grantStatements(db))
        exec(db, statement);
    transaction.commit();
}

void setupRoles(const QSqlDatabase &db)
{
    Transaction transaction(db);
    for (Role role : groups) {
        // Made once per server; a second database's set-up finds them there.
        // Another set-up running at the same moment may make one first.
        const QString group = groupName(role);
        exec(db, QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '%1') THEN "
                                "CREATE ROLE %1 NOLOGIN; END IF; "
                                "EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL; END $$")
                     .arg(group));
    }
    for (const QString &statement : grantStatements(db))
        exec(db, statement);
    transaction.commit();
}

bool isValidLoginName(const QString &name)
{
    static const QRegularExpression valid(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
    return valid.match(name).hasMatch();
}

QString scramVerifier(const QSqlDatabase &db, const QString &user, const QString &password)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt names the type by its struct (pg_conn*) or by libpq's typedef (PGconn*).
    if (!handle.isValid()
        || (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        throw DbError(QStringLiteral("not a connection to a PostgreSQL server"));
    PGconn *connection = *static_cast<PGconn *const *>(handle.constData());
    if (!connection)
        throw DbError(QStringLiteral("the connection to the server is closed"));
    const QByteArray passwordBytes = password.toUtf8();
    const QByteArray userBytes = user.toUtf8();
    char *verifier = PQencryptPasswordConn(connection, passwordBytes.constData(), userBytes.constData(),
                                           "scram-sha-256");
    if (!verifier)
        throw DbError(QString::fromUtf8(PQerrorMessage(connection)).trimmed());
    const QString text = QString::fromLatin1(verifier);
    PQfreemem(verifier);
    return checkedVerifier(text);
}

void addUser(const QSqlDatabase &db, const QString &name, Role role, const QString &password)
{
    if (!isValidLoginName(name))
        throw Refusal(QStringLiteral("%1: nume de utilizator nepermis (litere mici, cifre si _, cel mult 63, nu incepe "
                                     "cu o cifra)")
                          .arg(name));
    const QString group = groupName(role);
    if (group.isEmpty())
        throw Refusal(QStringLiteral("rol necunoscut (vok_admin, vok_operator sau vok_cititor)"));
    if (password.isEmpty())
        throw Refusal(QStringLiteral("%1: parola este goala").arg(name));
    if (scalar(db, QStringLiteral("SELECT COUNT(*) FROM pg_roles WHERE rolname = ?"), {group}).toInt() == 0)
        throw Refusal(QStringLiteral("rolul %1 nu exista pe server: rulati intai vok --setup-roles").arg(group));
    if (scalar(db, QStringLiteral("SELECT COUNT(*) FROM pg_roles WHERE rolname = ?"), {name}).toInt() > 0)
        throw Refusal(QStringLiteral("%1: pe server exista deja un utilizator sau rol cu acest nume").arg(name));
    const QString verifier = scramVerifier(db, name, password);
    // The name is checked above and the verifier is libpq's: neither can
    // carry a quote. The server sees and logs the verifier, never the password.
    exec(db, QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2' IN ROLE %3").arg(name, verifier, group));
}

void removeUser(const QSqlDatabase &db, const QString &name)
{
    if (!isValidLoginName(name))
        throw Refusal(QStringLiteral("%1: nume de utilizator nepermis").arg(name));
    const bool clerk = scalar(db,
                              QStringLiteral("SELECT COUNT(*) FROM pg_auth_members m "
                                             "JOIN pg_roles g ON g.oid = m.roleid JOIN pg_roles u ON u.oid = m.member "
                                             "WHERE u.rolname = ? AND u.rolcanlogin AND g.rolname IN "
                                             "('vok_admin', 'vok_operator', 'vok_cititor')"),
                              {name})
                           .toInt()
                       > 0;
    if (!clerk)
        throw Refusal(QStringLiteral("%1: nu exista un utilizator cu acest nume in rolurile vok_admin, vok_operator, vok_cititor")
                          .arg(name));
    if (name == login(db))
        throw Refusal(QStringLiteral("%1: utilizatorul conectat nu se poate sterge pe sine").arg(name));
    exec(db, QStringLiteral("DROP ROLE %1").arg(name));
}

void changeOwnPassword(const QSqlDatabase &db, const QString &password)
{
    if (password.isEmpty())
        throw Refusal(QStringLiteral(" Parola nu poate fi goala !!! "));
    const QString verifier = scramVerifier(db, login(db), password);
    exec(db, QStringLiteral("ALTER ROLE SESSION_USER PASSWORD '%1'").arg(verifier));
    // A connection opened again (after a lost one) uses the new password.
    QSqlDatabase connection = db;
    connection.setPassword(password);
}

bool passwordOpensSession(const QSqlDatabase &db, const QString &password)
{
    const QString name = QStringLiteral("vok-password-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool opened = false;
    {
        QSqlDatabase probe = QSqlDatabase::cloneDatabase(db, name);
        probe.setPassword(password);
        opened = probe.open();
        probe.close();
    }
    QSqlDatabase::removeDatabase(name);
    return opened;
}

} // namespace vok::roles
