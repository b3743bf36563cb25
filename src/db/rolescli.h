#pragma once

#include <QString>

class QTextStream;

// The command-line modes of a department database's administrator: results
// on `out`, reasons on `err`. Exit codes: 0 done, 1 refused (nothing
// changed), 2 an error. All but --migrate need a server (--database).
namespace vok::rolescli {

struct Target {
    QString dataDir;
    QString databaseUrl;
};

// vok --migrate: the schema brought up to date (on a server by its owner
// alone, who then grants the roles their rights on every table).
int runMigrate(const Target &target, QTextStream &out, QTextStream &err);

// vok --setup-roles: the groups vok_admin, vok_operator, vok_cititor made
// when missing, and their rights granted on every table.
int runSetupRoles(const Target &target, QTextStream &out, QTextStream &err);

// vok --add-user NAME --role ROLE: a login in that group; its password is
// the first line of `in`.
int runAddUser(const Target &target, const QString &name, const QString &role, QTextStream &in, QTextStream &out,
               QTextStream &err);

// vok --remove-user NAME.
int runRemoveUser(const Target &target, const QString &name, QTextStream &out, QTextStream &err);

} // namespace vok::rolescli
