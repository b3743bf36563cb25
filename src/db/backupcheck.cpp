#include "db/backup.h"
#include "db/restwarnings.h"

#include "db/backupfiles.h"
#include "db/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

namespace vok::backup {

using namespace files;

// --- checks ------------------------------------------------------------------

QStringList integrityProblems(const QString &path, const Progress &progress)
{
    if (!QFileInfo(path).isFile())
        return {QStringLiteral("fisierul lipseste")};
    if (QFileInfo(path).size() == 0)
        return {};
    // Read by the engine alone: the file may be open in this program.
    try {
        Connection db(path, SQLITE_OPEN_READWRITE);
        bool stopped = false;
        struct Asker {
            const Progress *progress;
            bool *stopped;
        } asker{&progress, &stopped};
        if (progress)
            sqlite3_progress_handler(
                db.handle(), 100000,
                [](void *data) {
                    auto *a = static_cast<Asker *>(data);
                    if (!(*a->progress)(0, 0))
                        *a->stopped = true;
                    return *a->stopped ? 1 : 0;
                },
                &asker);
        QStringList lines;
        try {
            lines = db.rows(QStringLiteral("PRAGMA integrity_check(1000)"));
        } catch (const DbError &) {
            if (stopped)
                throw Cancelled();
            throw;
        }
        if (lines == QStringList{QStringLiteral("ok")})
            return {};
        return lines;
    } catch (const Cancelled &) {
        throw;
    } catch (const DbError &error) {
        return {error.message()};
    }
}

namespace {

// Lines of one kind of problem, at most this many.
constexpr int linesPerKind = 1000;

void collect(const QSqlDatabase &db, QStringList &problems, const QString &sql,
             const std::function<QString(const QSqlQuery &)> &line)
{
    QSqlQuery query = exec(db, sql + QStringLiteral(" LIMIT %1").arg(linesPerKind + 1));
    int count = 0;
    while (query.next()) {
        if (++count > linesPerKind) {
            problems << QStringLiteral("... (lista se opreste la %1 randuri de acest fel)").arg(linesPerKind);
            break;
        }
        problems << line(query);
    }
}

} // namespace

QStringList consistencyProblems(const QSqlDatabase &db)
{
    QStringList problems;
    auto text = [](const QSqlQuery &q, int i) { return q.value(i).toString(); };
    collect(db, problems,
            QStringLiteral("SELECT c.idc, c.nrc, c.idf FROM curse c LEFT JOIN foaie f ON f.idf=c.idf "
                           "WHERE f.idf IS NULL ORDER BY c.idc"),
            [&](const QSqlQuery &q) {
                return QStringLiteral("curse: cursa idc=%1 (nr. %2) este pe foaia idf=%3, care nu exista")
                    .arg(text(q, 0), text(q, 1), text(q, 2));
            });
    collect(db, problems,
            QStringLiteral("SELECT f.idf, f.nrf, f.ida FROM foaie f LEFT JOIN auto a ON a.ida=f.ida "
                           "WHERE a.ida IS NULL ORDER BY f.idf"),
            [&](const QSqlQuery &q) {
                return QStringLiteral("foaie: foaia idf=%1 (nr. %2) este a autovehiculului ida=%3, care nu exista")
                    .arg(text(q, 0), text(q, 1), text(q, 2));
            });
    collect(db, problems,
            QStringLiteral("SELECT d.idd, d.idl, d.anul, d.ida FROM dateluna d LEFT JOIN auto a ON a.ida=d.ida "
                           "WHERE a.ida IS NULL ORDER BY d.idd"),
            [&](const QSqlQuery &q) {
                return QStringLiteral("dateluna: luna idd=%1 (%2/%3) este a autovehiculului ida=%4, care nu exista")
                    .arg(text(q, 0), text(q, 1), text(q, 2), text(q, 3));
            });
    collect(db, problems,
            QStringLiteral("SELECT nrauto, COUNT(*) FROM auto GROUP BY nrauto HAVING COUNT(*)>1 ORDER BY nrauto"),
            [&](const QSqlQuery &q) {
                return QStringLiteral("auto: numarul de inmatriculare %1 apare de %2 ori").arg(text(q, 0), text(q, 1));
            });
    collect(db, problems,
            QStringLiteral("SELECT ida, nrf, COUNT(*) FROM foaie GROUP BY ida, nrf HAVING COUNT(*)>1 ORDER BY ida, nrf"),
            [&](const QSqlQuery &q) {
                return QStringLiteral("foaie: foaia nr. %2 a autovehiculului ida=%1 apare de %3 ori")
                    .arg(text(q, 0), text(q, 1), text(q, 2));
            });
    collect(db, problems,
            QStringLiteral("SELECT idf, nrc, COUNT(*) FROM curse GROUP BY idf, nrc HAVING COUNT(*)>1 ORDER BY idf, nrc"),
            [&](const QSqlQuery &q) {
                return QStringLiteral("curse: cursa nr. %2 a foii idf=%1 apare de %3 ori")
                    .arg(text(q, 0), text(q, 1), text(q, 2));
            });
    collect(db, problems,
            QStringLiteral("SELECT ida, idl, anul, COUNT(*) FROM dateluna GROUP BY ida, anul, idl HAVING COUNT(*)>1 "
                           "ORDER BY ida, anul, idl"),
            [&](const QSqlQuery &q) {
                return QStringLiteral("dateluna: luna %2/%3 a autovehiculului ida=%1 apare de %4 ori")
                    .arg(text(q, 0), text(q, 1), text(q, 2), text(q, 3));
            });
    collect(db, problems,
            QStringLiteral("SELECT ida, COUNT(*) FROM consum GROUP BY ida HAVING COUNT(*)>1 ORDER BY ida"),
            [&](const QSqlQuery &q) {
                return QStringLiteral("consum: consumul autovehiculului ida=%1 apare de %2 ori").arg(text(q, 0), text(q, 1));
            });
    return problems;
}

QStringList checkDataFolder(const QString &dataDir, const Progress &progress)
{
    const QDir dir(dataDir);
    QStringList problems;
    bool dataReadable = true;
    for (const QString &name : {dataName, systemName}) {
        const QStringList found = integrityProblems(dir.filePath(name), progress);
        // Each line names its file once.
        const QString prefix = name + QStringLiteral(": ");
        for (const QString &line : found)
            problems << (line.startsWith(prefix) ? line : prefix + line);
        if (name == dataName && !found.isEmpty())
            dataReadable = false;
    }
    if (!dataReadable)
        return problems;
    // The consistency queries on a Qt connection of this thread's own.
    static std::atomic<int> counter{0};
    const QString connection = QStringLiteral("vok-check-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(dir.filePath(dataName));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        try {
            if (!db.open())
                throw DbError(engineMessage(db.lastError().text()));
            for (const QString &line : consistencyProblems(db))
                problems << dataName + QStringLiteral(": ") + line;
            problems << restWarnings(db);
        } catch (const DbError &error) {
            const QString prefix = dataName + QStringLiteral(": ");
            problems << (error.message().startsWith(prefix) ? error.message() : prefix + error.message());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return problems;
}

} // namespace vok::backup
