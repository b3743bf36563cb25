#include "db/backupcli.h"

#include "db/backup.h"
#include "db/restwarnings.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

namespace vok::backup {

namespace {

const char serverNote[] = "the data are on a PostgreSQL server: copy and restore them with the server's tools "
                          "(pg_dump, pg_restore; see docs/DEPLOYMENT.md)";

} // namespace

int runBackupCommand(const Target &target, const QString &folder, QTextStream &out, QTextStream &err)
{
    if (!target.databaseUrl.isEmpty()) {
        err << "vok: " << serverNote << Qt::endl;
        return 1;
    }
    try {
        out << QDir::toNativeSeparators(copyDataFolder(target.dataDir, folder, QDateTime::currentDateTime()))
            << Qt::endl;
        return 0;
    } catch (const Refused &refusal) {
        err << "vok: " << refusal.message() << Qt::endl;
        return 1;
    } catch (const DbError &error) {
        err << "vok: " << error.message() << Qt::endl;
        return 2;
    }
}

int runRestoreCommand(const Target &target, const QString &file, QTextStream &out, QTextStream &err)
{
    if (!target.databaseUrl.isEmpty()) {
        err << "vok: " << serverNote << Qt::endl;
        return 1;
    }
    if (!QDir().mkpath(target.dataDir)) {
        err << "vok: " << QStringLiteral("dosarul de date %1 nu poate fi creat").arg(target.dataDir) << Qt::endl;
        return 2;
    }
    Prepared prepared;
    try {
        prepared = prepareRestore(target.dataDir, file);
    } catch (const Refused &refusal) {
        err << "vok: " << QStringLiteral("copia nu poate fi restaurata: %1").arg(refusal.message()) << Qt::endl;
        return 1;
    } catch (const DbError &error) {
        err << "vok: " << error.message() << Qt::endl;
        return 2;
    }
    try {
        const Installed installed = install(prepared, QStringLiteral("inainte-de-restaurare"),
                                            QDateTime::currentDateTime());
        out << QStringLiteral("restaurat: %1").arg(QDir::toNativeSeparators(prepared.summary.file)) << Qt::endl;
        if (!installed.dataAside.isEmpty())
            out << QStringLiteral("datele de dinainte: %1").arg(QDir::toNativeSeparators(installed.dataAside))
                << Qt::endl;
        return 0;
    } catch (const Refused &refusal) {
        discard(prepared);
        err << "vok: " << QStringLiteral("copia nu poate fi restaurata: %1").arg(refusal.message()) << Qt::endl;
        return 1;
    } catch (const DbError &error) {
        discard(prepared);
        err << "vok: " << error.message() << Qt::endl;
        return 2;
    }
}

int runCheckCommand(const Target &target, QTextStream &out, QTextStream &err)
{
    QStringList problems;
    try {
        if (!target.databaseUrl.isEmpty()) {
            const QString name = QStringLiteral("vok-check");
            {
                const QSqlDatabase db = database::openServer(target.databaseUrl, name);
                problems = consistencyProblems(db) + restWarnings(db);
            }
            database::close(name);
        } else {
            if (!QFileInfo(QDir(target.dataDir).filePath(QStringLiteral("vok.db"))).isFile()) {
                err << "vok: " << QStringLiteral("in dosarul %1 nu exista baza de date vok.db").arg(target.dataDir)
                    << Qt::endl;
                return 2;
            }
            problems = checkDataFolder(target.dataDir);
        }
    } catch (const DbError &error) {
        database::close(QStringLiteral("vok-check"));
        err << "vok: " << error.message() << Qt::endl;
        return 2;
    }
    // Warnings (avertisment:) are listed but are no fault of the data.
    for (const QString &line : problems)
        out << line << Qt::endl;
    if (std::all_of(problems.begin(), problems.end(), isWarning)) {
        out << "ok" << Qt::endl;
        return 0;
    }
    return 1;
}

} // namespace vok::backup
