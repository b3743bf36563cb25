#include "db/backupcli.h"

#include "db/backup.h"
#include "db/restwarnings.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace vok::backup {

namespace {

const char serverNote[] = "the data are on a PostgreSQL server: copy and restore them with the server's tools "
                          "(pg_dump, pg_restore; see docs/DEPLOYMENT.md)";

} // namespace

std::optional<QString> askOnTerminal()
{
#ifdef Q_OS_UNIX
    if (!::isatty(STDIN_FILENO))
        return std::nullopt;
    std::fputs("Parola curenta: ", stderr);
    std::fflush(stderr);
    termios before{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &before) == 0;
    if (quiet) {
        termios silent = before;
        silent.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    char line[1024];
    const bool read = std::fgets(line, sizeof line, stdin) != nullptr;
    if (quiet)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &before);
    std::fputs("\n", stderr);
    if (!read)
        return std::nullopt;
    QString typed = QString::fromLocal8Bit(line);
    while (typed.endsWith(u'\n') || typed.endsWith(u'\r'))
        typed.chop(1);
    return typed;
#else
    return std::nullopt;
#endif
}

int requireCurrentPassword(const QString &dataDir, QTextStream &err, const PasswordPrompt &prompt)
{
    const CurrentPassword current = currentPassword(dataDir);
    if (current.kind == CurrentPassword::None)
        return 0;
    if (current.kind == CurrentPassword::Unreadable) {
        err << "vok: " << QStringLiteral("avertisment: parola de acum nu poate fi citita (%1); se inlocuieste")
                              .arg(current.problem)
            << Qt::endl;
        return 0;
    }
    std::optional<QString> typed;
    if (qEnvironmentVariableIsSet("VOK_PASSWORD"))
        typed = qEnvironmentVariable("VOK_PASSWORD");
    else if (prompt)
        typed = prompt();
    if (!typed) {
        err << "vok:" << QStringLiteral(" Parola curenta este necesara ") << Qt::endl;
        return 1;
    }
    bool matches = false;
    try {
        matches = isCurrentPassword(dataDir, *typed);
    } catch (const DbError &error) {
        err << "vok: " << QStringLiteral("avertisment: parola de acum nu poate fi citita (%1); se inlocuieste")
                              .arg(error.message())
            << Qt::endl;
        return 0;
    }
    if (!matches) {
        err << "vok:" << QStringLiteral(" Parola incorecta !!! ") << Qt::endl;
        return 1;
    }
    return 0;
}

int runBackupCommand(const Target &target, const QString &folder, QTextStream &out, QTextStream &err)
{
    if (!target.databaseUrl.isEmpty()) {
        err << "vok: " << serverNote << Qt::endl;
        return 1;
    }
    for (const QString &line : recoverInterrupted(target.dataDir))
        err << "vok: " << line << Qt::endl;
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

int runRestoreCommand(const Target &target, const QString &file, QTextStream &out, QTextStream &err,
                      const PasswordPrompt &prompt)
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
    if (!prepared.system.isEmpty() && requireCurrentPassword(target.dataDir, err, prompt) != 0) {
        discard(prepared);
        return 1;
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
            for (const QString &line : recoverInterrupted(target.dataDir))
                err << "vok: " << line << Qt::endl;
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
