#pragma once

#include "db/database.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

// The rights of the clerks of a department database on a PostgreSQL server.
// Three group roles, server-wide, carry them; each clerk has a login role of
// their own in one of the groups. The database's owner alone changes the
// schema, makes the roles and the logins, and reads the access table.
namespace vok::roles {

// What a connection may do, from the least to the most.
enum class Role {
    None,     // a login in no group of the program
    Cititor,  // reads, marks vehicles for reports
    Operator, // trip sheets, refuellings, parts, month closing, card statements
    Admin,    // everything the program does
    Owner,    // the database's owner: everything, schema changes too
};

// "vok_cititor", "vok_operator", "vok_admin"; empty for None and Owner.
QString groupName(Role role);
// The group of that name (exactly), if it is one of the three.
std::optional<Role> fromGroupName(const QString &name);
// What INFO > Program shows: the group, or "proprietarul bazei de date".
QString displayName(Role role);

// A request refused as asked (a bad name, a login that exists or does not);
// nothing was changed.
class Refusal : public DbError {
public:
    using DbError::DbError;
};

// True when the login of `db` owns the program's schema on the server (the
// owner of its version table; on an empty database, one who may create in
// its schema), or when it is the database's superuser.
bool isOwner(const QSqlDatabase &db);

// The login of the session (`session_user`).
QString login(const QSqlDatabase &db);

// The widest group the login of `db` is a member of, Owner for the owner,
// None for a login in no group.
Role roleOf(const QSqlDatabase &db);

// True when the three groups exist on the server.
bool groupsExist(const QSqlDatabase &db);

// The statements that give the groups their rights on every table of the
// current schema: the program's tables and any other found there, each by
// its rule (an unknown table: the administrator writes, the others read).
// Each table's rights are first taken away, so a repeat gives the same.
QStringList grantStatements(const QSqlDatabase &db);

// Makes the groups that are missing and grants their rights on the current
// schema, in one transaction (the owner, with CREATEROLE).
void setupRoles(const QSqlDatabase &db);

// Grants the groups' rights on the current schema (after a migration).
void grant(const QSqlDatabase &db);

// A login name the program accepts: [a-z_][a-z0-9_]{0,62}.
bool isValidLoginName(const QString &name);

// The SCRAM-SHA-256 verifier of `password` for `user`, computed here: the
// clear password never reaches the server.
QString scramVerifier(const QSqlDatabase &db, const QString &user, const QString &password);

// A new login in the group of `role`, with the verifier of `password`.
// Throws Refusal for a bad name, a login or role that exists, a group that is
// not there or an empty password; DbError when the server refuses.
void addUser(const QSqlDatabase &db, const QString &name, Role role, const QString &password);

// Takes away a login of one of the groups (its journal rows stay). Throws
// Refusal for a bad name or a login that is not a clerk's.
void removeUser(const QSqlDatabase &db, const QString &name);

// Changes the password of the session's own login.
void changeOwnPassword(const QSqlDatabase &db, const QString &password);

// True when `password` opens a new session of the login of `db` (the server
// is asked; the session is closed at once).
bool passwordOpensSession(const QSqlDatabase &db, const QString &password);

} // namespace vok::roles
