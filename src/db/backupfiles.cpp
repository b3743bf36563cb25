#include "db/backupfiles.h"

#include "db/backup.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vok::backup::files {

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

Connection::Connection(const QString &path, int flags)
    : m_path(path)
{
    const int rc = sqlite3_open_v2(encoded(path).constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw DbError(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), engineMessage(message)));
    }
    sqlite3_busy_timeout(m_db, 5000);
}

Connection::~Connection() { sqlite3_close_v2(m_db); }

QString Connection::message() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

void Connection::fail() const
{
    throw DbError(QStringLiteral("%1: %2").arg(QFileInfo(m_path).fileName(), engineMessage(message())));
}

QStringList Connection::rows(const QString &sql) const
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        fail();
    QStringList result;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        result << (text ? QString::fromUtf8(text) : QString());
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        fail();
    return result;
}

QList<QStringList> Connection::records(const QString &sql, const QStringList &values) const
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        fail();
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray text = values.at(i).toUtf8();
        sqlite3_bind_text(statement, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    QList<QStringList> result;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(statement); ++c) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, c));
            row << (text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, c)) : QString());
        }
        result << row;
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        fail();
    return result;
}

FileLock::FileLock(const QString &path)
{
#ifdef Q_OS_UNIX
    m_fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
#else
    Q_UNUSED(path);
#endif
}

FileLock::~FileLock()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

bool isHeld(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
#else
    Q_UNUSED(path);
    return false;
#endif
}

FileSync::FileSync(const QString &path)
{
#ifdef Q_OS_UNIX
    m_fd = ::open(encoded(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_EX | LOCK_NB);
#else
    Q_UNUSED(path);
#endif
}

FileSync::~FileSync()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

void FileSync::now() const
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::fdatasync(m_fd);
#endif
}

void syncFile(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw DbError(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0)
        throw DbError(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error))));
#else
    Q_UNUSED(path);
#endif
}

void syncFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

void renameOver(const QString &from, const QString &to)
{
#ifdef Q_OS_UNIX
    if (::rename(encoded(from).constData(), encoded(to).constData()) != 0)
        throw DbError(QStringLiteral("%1 nu poate fi pus in locul lui %2: %3")
                          .arg(from, to, QString::fromLocal8Bit(std::strerror(errno))));
#else
    QFile::remove(to);
    if (!QFile::rename(from, to))
        throw DbError(QStringLiteral("%1 nu poate fi pus in locul lui %2").arg(from, to));
#endif
}

// The journals SQLite keeps beside a database file.
const QStringList journalSuffixes = {QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")};

void removeWithJournals(const QString &path)
{
    QFile::remove(path);
    for (const QString &suffix : journalSuffixes)
        QFile::remove(path + suffix);
}

bool walHasFrames(const QString &path) { return QFileInfo(path + QStringLiteral("-wal")).size() > 32; }

int checkDatabase(const QString &path, DatabaseKind kind)
{
    const QString problem = database::headerProblem(path);
    if (!problem.isEmpty()) {
        if (problem.startsWith(QLatin1String("nu este o baza de date")))
            throw Refused(QStringLiteral("nu este o baza de date"));
        if (problem.startsWith(QLatin1String("fisierul este trunchiat")))
            throw Refused(problem);
        throw Refused(QStringLiteral("fisierul este deteriorat (%1)").arg(problem));
    }
    try {
        Connection db(path, SQLITE_OPEN_READWRITE);
        const int version = db.value(QStringLiteral("PRAGMA user_version")).toInt();
        const QStringList tables = db.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"));
        const QString mustHave = kind == DatabaseKind::Data ? QStringLiteral("auto") : QStringLiteral("valid");
        bool ours = version > 0 && tables.contains(mustHave, Qt::CaseInsensitive);
        if (kind == DatabaseKind::Data)
            for (const char *table : {"foaie", "curse", "dateluna"})
                ours = ours && tables.contains(QString::fromLatin1(table), Qt::CaseInsensitive);
        if (!ours)
            throw Refused(QStringLiteral("nu este o baza de date a acestui program (%1)")
                              .arg(kind == DatabaseKind::Data ? QStringLiteral("lipsesc tabelele datelor")
                                                              : QStringLiteral("lipseste tabela parolei")));
        const int current = database::currentSchemaVersion(kind);
        if (version > current)
            throw Refused(QStringLiteral("a fost scrisa de o versiune mai noua a programului (schema %1; "
                                         "acest program cunoaste schema pana la %2)")
                              .arg(version)
                              .arg(current));
        const QString foreign = foreignObject(db, kind, version);
        if (!foreign.isEmpty())
            throw Refused(QStringLiteral("nu este o baza de date a acestui program: %1").arg(foreign));
        const QStringList check = db.rows(QStringLiteral("PRAGMA integrity_check(20)"));
        if (check != QStringList{QStringLiteral("ok")})
            throw Refused(QStringLiteral("baza de date este deteriorata: %1").arg(check.join(QStringLiteral("; "))));
        return version;
    } catch (const Refused &) {
        throw;
    } catch (const DbError &error) {
        throw Refused(QStringLiteral("baza de date este deteriorata (%1)").arg(error.message()));
    }
}


} // namespace vok::backup::files
