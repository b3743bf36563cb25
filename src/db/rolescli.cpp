#include "db/rolescli.h"

#include "db/database.h"
#include "db/roles.h"
#include "db/schema.h"

#include <QDir>
#include <QTextStream>

#include <functional>

namespace vok::rolescli {

namespace {

constexpr char connectionName[] = "vok-admin-cli";

// Says why the owner's statement was refused: creating roles needs CREATEROLE.
QString noRightReason(const QSqlDatabase &db)
{
    QString who;
    try {
        who = roles::login(db);
    } catch (const DbError &) {
    }
    return QStringLiteral("serverul a refuzat: utilizatorul %1 nu are dreptul (proprietarul bazei de date are nevoie "
                          "de CREATEROLE: ALTER ROLE %1 CREATEROLE, dat de administratorul serverului)")
        .arg(who);
}

// Runs `work` on a connection of the owner of the server database; its
// refusals exit 1, its errors 2.
int asOwner(const Target &target, QTextStream &err, const std::function<void(const QSqlDatabase &)> &work)
{
    if (target.databaseUrl.isEmpty()) {
        err << "vok: " << QStringLiteral("rolurile si utilizatorii exista doar pe un server PostgreSQL (--database URL)")
            << Qt::endl;
        return 2;
    }
    int code = 0;
    {
        QSqlDatabase db;
        try {
            db = database::connectServer(target.databaseUrl, QString::fromLatin1(connectionName));
            if (!roles::isOwner(db)) {
                err << "vok: "
                    << QStringLiteral("doar proprietarul bazei de date poate face asta (utilizatorul %1 nu este)")
                           .arg(roles::login(db))
                    << Qt::endl;
                code = 1;
            } else {
                work(db);
            }
        } catch (const roles::Refusal &refusal) {
            err << "vok: " << refusal.message() << Qt::endl;
            code = 1;
        } catch (const NoRight &) {
            err << "vok: " << noRightReason(db) << Qt::endl;
            code = 2;
        } catch (const DbError &error) {
            err << "vok: " << error.message() << Qt::endl;
            code = 2;
        }
    }
    database::close(QString::fromLatin1(connectionName));
    return code;
}

// The schema of a server database brought up to date by its owner (newer
// than this program: refused).
void migrateServer(const QSqlDatabase &db)
{
    for (DatabaseKind kind : {DatabaseKind::Data, DatabaseKind::System}) {
        const int version = schema::version(db, kind);
        if (version > database::currentSchemaVersion(kind))
            throw roles::Refusal(
                QStringLiteral("baza de date este scrisa de o versiune mai noua a programului (schema %1)").arg(version));
    }
    database::prepareServer(db);
}

} // namespace

int runMigrate(const Target &target, QTextStream &out, QTextStream &err)
{
    if (target.databaseUrl.isEmpty()) {
        // The files of a data folder migrate as they open.
        const QDir dir(target.dataDir);
        int code = 0;
        try {
            database::openSqlite(dir.absoluteFilePath(QStringLiteral("vok.db")), QString::fromLatin1(connectionName),
                                 DatabaseKind::Data);
            database::close(QString::fromLatin1(connectionName));
            database::openSqlite(dir.absoluteFilePath(QStringLiteral("sys.db")), QString::fromLatin1(connectionName),
                                 DatabaseKind::System);
            out << QStringLiteral("schema la zi: versiunea %1").arg(database::currentSchemaVersion(DatabaseKind::Data))
                << Qt::endl;
        } catch (const DbError &error) {
            err << "vok: " << error.message() << Qt::endl;
            code = 2;
        }
        database::close(QString::fromLatin1(connectionName));
        return code;
    }
    return asOwner(target, err, [&](const QSqlDatabase &db) {
        migrateServer(db);
        out << QStringLiteral("schema la zi: versiunea %1").arg(database::currentSchemaVersion(DatabaseKind::Data))
            << Qt::endl;
        if (roles::groupsExist(db)) {
            roles::grant(db);
            out << QStringLiteral("drepturile rolurilor vok_admin, vok_operator, vok_cititor acordate") << Qt::endl;
        } else {
            out << QStringLiteral("rolurile nu exista inca: rulati vok --setup-roles") << Qt::endl;
        }
    });
}

int runSetupRoles(const Target &target, QTextStream &out, QTextStream &err)
{
    return asOwner(target, err, [&](const QSqlDatabase &db) {
        migrateServer(db);
        roles::setupRoles(db);
        out << QStringLiteral("rolurile vok_admin, vok_operator, vok_cititor exista, cu drepturile lor") << Qt::endl;
    });
}

int runAddUser(const Target &target, const QString &name, const QString &role, QTextStream &in, QTextStream &out,
               QTextStream &err)
{
    std::optional<roles::Role> group = roles::fromGroupName(role);
    if (!group)
        group = roles::fromGroupName(QStringLiteral("vok_") + role);
    if (!group) {
        err << "vok: "
            << QStringLiteral("rol necunoscut: %1 (vok_admin, vok_operator sau vok_cititor)").arg(role) << Qt::endl;
        return 1;
    }
    if (!roles::isValidLoginName(name)) {
        err << "vok: "
            << QStringLiteral("%1: nume de utilizator nepermis (litere mici, cifre si _, cel mult 63, nu incepe cu o cifra)")
                   .arg(name)
            << Qt::endl;
        return 1;
    }
    QString password = in.readLine();
    if (password.endsWith(u'\r'))
        password.chop(1);
    return asOwner(target, err, [&](const QSqlDatabase &db) {
        roles::addUser(db, name, *group, password);
        out << QStringLiteral("utilizatorul %1 a fost creat, cu rolul %2").arg(name, roles::groupName(*group))
            << Qt::endl;
    });
}

int runRemoveUser(const Target &target, const QString &name, QTextStream &out, QTextStream &err)
{
    return asOwner(target, err, [&](const QSqlDatabase &db) {
        roles::removeUser(db, name);
        out << QStringLiteral("utilizatorul %1 a fost sters (randurile lui din jurnal raman)").arg(name) << Qt::endl;
    });
}

} // namespace vok::rolescli
