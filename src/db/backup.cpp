#include "db/backup.h"

#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vok::backup {

Cancelled::Cancelled()
    : DbError(QStringLiteral("operatia a fost intrerupta"))
{
}

namespace {

const QString dataName = QStringLiteral("vok.db");
const QString systemName = QStringLiteral("sys.db");
const QString logName = QStringLiteral("copii-automate.log");
const QString partialSuffix = QStringLiteral(".partial");

// Pages copied between two looks at the clock and the Cancel button: 4 MB
// of a file with pages of 4 KB.
constexpr int stepPages = 1024;

// Left-overs of an interrupted run older than this are removed; younger ones
// may belong to a run still going on in another program.
constexpr qint64 staleSeconds = 3600;

const QString stampFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

// One connection of the SQLite library to one file, closed on destruction.
class Connection {
public:
    Connection(const QString &path, int flags)
        : m_path(path)
    {
        const int rc = sqlite3_open_v2(encoded(path).constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            throw DbError(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), message));
        }
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }
    QString message() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }
    [[noreturn]] void fail() const
    {
        throw DbError(QStringLiteral("%1: %2").arg(QFileInfo(m_path).fileName(), message()));
    }

    // Runs `sql` and returns the first column of every row as text.
    QStringList rows(const QString &sql) const
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
    QString value(const QString &sql) const { return rows(sql).value(0); }
    void run(const QString &sql) const { rows(sql); }

private:
    QString m_path;
    sqlite3 *m_db = nullptr;
};

// Steps of copying between two flushes of the copy to the disk (64 MB).
constexpr int stepsPerFlush = 16;

// A descriptor of a new file, to flush what is written into it so far. It
// creates the file and outlives the SQLite connection that writes it, so
// that closing it never drops that connection's locks.
class FileSync {
public:
    explicit FileSync(const QString &path)
    {
#ifdef Q_OS_UNIX
        m_fd = ::open(encoded(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
#else
        Q_UNUSED(path);
#endif
    }
    ~FileSync()
    {
#ifdef Q_OS_UNIX
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }
    FileSync(const FileSync &) = delete;
    FileSync &operator=(const FileSync &) = delete;
    void now() const
    {
#ifdef Q_OS_UNIX
        if (m_fd >= 0)
            ::fdatasync(m_fd);
#endif
    }

private:
    int m_fd = -1;
};

// Writes what the system still holds of a file to the disk.
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

// A rename reaches the disk only with its folder.
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

// Replaces `to` by `from` in one step: whoever opens `to` finds the old or
// the new file, never none.
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

// The checks every copy and every file to restore goes through: a database
// that the engine finds sound, of this program's schema kind and a version it
// knows. Returns the file's schema version; throws Refused with the reason.
int checkDatabase(const QString &path, DatabaseKind kind)
{
    const QString problem = database::headerProblem(path);
    if (!problem.isEmpty()) {
        if (problem.startsWith(QLatin1String("not a database")))
            throw Refused(QStringLiteral("nu este o baza de date"));
        if (problem.contains(QLatin1String("truncated")))
            throw Refused(QStringLiteral("fisierul este trunchiat (%1)").arg(problem));
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

} // namespace

// --- names -------------------------------------------------------------------

QString automaticFolder(const QString &dataDir) { return QDir(dataDir).filePath(QStringLiteral("backups")); }

QString copyName(const QDateTime &when)
{
    return QStringLiteral("vok-") + when.toString(stampFormat) + QStringLiteral(".db");
}

QDateTime copyTime(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^vok-(\\d{4}-\\d{2}-\\d{2}-\\d{6})\\.db$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return {};
    return QDateTime::fromString(match.captured(1), stampFormat);
}

QString systemFileFor(const QString &dataCopy)
{
    const QFileInfo info(dataCopy);
    if (!info.fileName().startsWith(QLatin1String("vok"), Qt::CaseInsensitive))
        return {};
    return info.dir().filePath(QStringLiteral("sys") + info.fileName().mid(3));
}

// --- copying -----------------------------------------------------------------

void copyDatabase(const QString &source, const QString &target, const Progress &progress)
{
    // The source is usually open in this program: it is read by the engine
    // alone (opening and closing it any other way would drop the program's
    // locks on it).
    if (!QFileInfo(source).isFile())
        throw Refused(QStringLiteral("%1 nu exista").arg(source));

    const QString partial = target + partialSuffix;
    removeWithJournals(partial);
    try {
        // The snapshot: one read transaction held from the first page to the
        // last, so that the copy is the database as it was at one moment,
        // whatever other connections commit meanwhile.
        Connection from(source, SQLITE_OPEN_READWRITE);
        from.run(QStringLiteral("BEGIN"));
        from.run(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        {
            // Nobody else knows the half-written file: no journal, no syncs
            // until it is whole.
            // The copy goes to the disk as it is written: one flush of the
            // whole file at the end would hold up the clerk's next save,
            // whose own flush waits behind it.
            const FileSync flush(partial);
            Connection to(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            to.run(QStringLiteral("PRAGMA journal_mode=OFF"));
            to.run(QStringLiteral("PRAGMA synchronous=OFF"));
            sqlite3_backup *copy = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
            if (!copy)
                to.fail();
            for (int step = 1;; ++step) {
                const int rc = sqlite3_backup_step(copy, stepPages);
                if (step % stepsPerFlush == 0)
                    flush.now();
                if (rc == SQLITE_DONE)
                    break;
                if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                    QThread::msleep(20);
                    continue;
                }
                if (rc != SQLITE_OK) {
                    sqlite3_backup_finish(copy);
                    to.fail();
                }
                const qint64 total = sqlite3_backup_pagecount(copy);
                if (progress && !progress(total - sqlite3_backup_remaining(copy), total)) {
                    sqlite3_backup_finish(copy);
                    throw Cancelled();
                }
            }
            if (sqlite3_backup_finish(copy) != SQLITE_OK)
                to.fail();
        }
        from.run(QStringLiteral("COMMIT"));
        {
            // A copy that any tool opens, even from read-only media: no WAL.
            Connection copy(partial, SQLITE_OPEN_READWRITE);
            copy.run(QStringLiteral("PRAGMA journal_mode=DELETE"));
            const QStringList check = copy.rows(QStringLiteral("PRAGMA quick_check(5)"));
            if (check != QStringList{QStringLiteral("ok")})
                throw DbError(QStringLiteral("%1: copia nu este in regula: %2")
                                  .arg(source, check.join(QStringLiteral("; "))));
        }
        syncFile(partial);
        renameOver(partial, target);
        syncFolder(QFileInfo(target).absolutePath());
    } catch (...) {
        removeWithJournals(partial);
        throw;
    }
    if (progress)
        progress(1, 1);
}

QString copyDataFolder(const QString &dataDir, const QString &folder, const QDateTime &when, const Progress &progress)
{
    const QDir dir(dataDir);
    const QString data = dir.filePath(dataName);
    const QString system = dir.filePath(systemName);
    if (!QFileInfo(data).isFile() || QFileInfo(data).size() == 0)
        throw Refused(QStringLiteral("in dosarul %1 nu exista date de copiat (vok.db)").arg(dir.absolutePath()));
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("dosarul %1 nu poate fi creat").arg(folder));

    // Two copies within one second get names a second apart.
    QDateTime stamp = when;
    QString target = QDir(folder).filePath(copyName(stamp));
    while (QFileInfo::exists(target) || QFileInfo::exists(systemFileFor(target))) {
        stamp = stamp.addSecs(1);
        target = QDir(folder).filePath(copyName(stamp));
    }
    const QString systemTarget = systemFileFor(target);
    // The password file first: a copy of vok.db stands for a whole copy.
    if (QFileInfo(system).isFile())
        copyDatabase(system, systemTarget);
    try {
        copyDatabase(data, target, progress);
    } catch (...) {
        QFile::remove(systemTarget);
        throw;
    }
    return target;
}

// --- automatic copies --------------------------------------------------------

QList<QDateTime> copiesToKeep(QList<QDateTime> taken, int daily, int weekly)
{
    std::sort(taken.begin(), taken.end(), std::greater<>());
    taken.erase(std::unique(taken.begin(), taken.end()), taken.end());
    if (taken.size() <= daily)
        return taken;
    QList<QDateTime> keep = taken.mid(0, daily);
    const QDate oldestDaily = keep.last().date();
    // Weeks run from Monday; the weekly copies come from the weeks before
    // the oldest daily copy's.
    const QDate boundary = daily > 0 ? oldestDaily.addDays(1 - oldestDaily.dayOfWeek()) : QDate(9999, 12, 31);
    QSet<qint64> weeksKept;
    for (qsizetype i = daily; i < taken.size() && weeksKept.size() < weekly; ++i) {
        const QDate day = taken.at(i).date();
        if (day >= boundary)
            continue;
        const qint64 monday = day.addDays(1 - day.dayOfWeek()).toJulianDay();
        if (weeksKept.contains(monday))
            continue;
        weeksKept.insert(monday);
        keep << taken.at(i);
    }
    return keep;
}

QStringList rotate(const QString &folder, int daily, int weekly)
{
    const QDir dir(folder);
    QList<QDateTime> taken;
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    for (const QString &name : files) {
        const QDateTime time = copyTime(name);
        if (time.isValid())
            taken << time;
    }
    const QList<QDateTime> keep = copiesToKeep(taken, daily, weekly);
    QStringList removed;
    auto remove = [&](const QString &name) {
        if (QFile::remove(dir.filePath(name)))
            removed << name;
    };
    const QDateTime staleBefore = QDateTime::currentDateTime().addSecs(-staleSeconds);
    for (const QString &name : files) {
        const QDateTime time = copyTime(name);
        if (time.isValid()) {
            if (keep.contains(time))
                continue;
            remove(name);
            if (QFileInfo::exists(systemFileFor(dir.filePath(name))))
                remove(QFileInfo(systemFileFor(dir.filePath(name))).fileName());
            continue;
        }
        // Half-made copies, and a password copy whose vok copy never came.
        const bool stale = QFileInfo(dir.filePath(name)).lastModified() < staleBefore;
        if (!stale)
            continue;
        if (name.contains(partialSuffix))
            remove(name);
        else if (name.startsWith(QLatin1String("sys-"))
                 && copyTime(QStringLiteral("vok") + name.mid(3)).isValid()
                 && !files.contains(QStringLiteral("vok") + name.mid(3)))
            remove(name);
    }
    return removed;
}

QDateTime lastChange(const QString &dataDir)
{
    const QDir dir(dataDir);
    QDateTime last;
    for (const QString &name : {dataName, systemName}) {
        const QString path = dir.filePath(name);
        const QFileInfo file(path);
        if (file.exists() && (!last.isValid() || file.lastModified() > last))
            last = file.lastModified();
        // A journal opened and never written is empty.
        const QFileInfo wal(path + QStringLiteral("-wal"));
        if (wal.exists() && wal.size() > 0 && (!last.isValid() || wal.lastModified() > last))
            last = wal.lastModified();
    }
    return last;
}

namespace {

// Whether a run of the day already made its copy or found it not needed.
bool doneOn(const QString &log, const QDate &day)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QByteArray prefix = day.toString(Qt::ISODate).toLatin1() + ' ';
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(prefix)) {
            const QByteArray what = line.mid(20);
            if (what.startsWith("copie ") || what.startsWith("neschimbat"))
                return true;
        }
    return false;
}

void note(const QString &log, const QDateTime &now, const QString &text)
{
    QFile file(log);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    file.write((now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + text + u'\n').toUtf8());
}

} // namespace

AutomaticOutcome runAutomaticCopy(const QString &dataDir, const QDateTime &now, const Progress &progress)
{
    AutomaticOutcome outcome;
    const QString folder = automaticFolder(dataDir);
    const QString log = QDir(folder).filePath(logName);
    if (doneOn(log, now.date())) {
        outcome.kind = AutomaticOutcome::AlreadyToday;
        return outcome;
    }
    if (!QDir().mkpath(folder)) {
        outcome.kind = AutomaticOutcome::Failed;
        outcome.message = QStringLiteral("eroare: dosarul copiilor %1 nu poate fi creat").arg(folder);
        return outcome;
    }
    QDateTime newest;
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        const QDateTime time = copyTime(name);
        if (time.isValid() && (!newest.isValid() || time > newest))
            newest = time;
    }
    const QDateTime changed = lastChange(dataDir);
    const bool present = QFileInfo(QDir(dataDir).filePath(dataName)).isFile();
    if (present && newest.isValid() && changed.isValid() && changed <= newest) {
        outcome.kind = AutomaticOutcome::NotNeeded;
        outcome.message = QStringLiteral("neschimbat: datele nu s-au schimbat de la copia %1").arg(copyName(newest));
        note(log, now, outcome.message);
        return outcome;
    }
    try {
        outcome.copy = copyDataFolder(dataDir, folder, now, progress);
        const QStringList removed = rotate(folder);
        outcome.kind = AutomaticOutcome::Made;
        outcome.message = QStringLiteral("copie %1").arg(QFileInfo(outcome.copy).fileName());
        if (!removed.isEmpty())
            outcome.message += QStringLiteral(" (sterse: %1)").arg(removed.join(QStringLiteral(", ")));
    } catch (const Cancelled &) {
        outcome.kind = AutomaticOutcome::Failed;
        outcome.message = QStringLiteral("intrerupta: programul a fost inchis in timpul copierii");
    } catch (const DbError &error) {
        outcome.kind = AutomaticOutcome::Failed;
        outcome.message = QStringLiteral("eroare: %1").arg(error.message());
    }
    note(log, now, outcome.message);
    return outcome;
}

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
        for (const QString &line : found)
            problems << name + QStringLiteral(": ") + line;
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
                throw DbError(db.lastError().text());
            for (const QString &line : consistencyProblems(db))
                problems << dataName + QStringLiteral(": ") + line;
        } catch (const DbError &error) {
            problems << dataName + QStringLiteral(": ") + error.message();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return problems;
}

// --- restoring ---------------------------------------------------------------

namespace {

QString canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

// Copies a file that no connection of this program has open (a copy the
// clerk chose), with its journal when one holds transactions.
void copyPlain(const QString &from, const QString &to)
{
    removeWithJournals(to);
    if (!QFile::copy(from, to))
        throw Refused(QStringLiteral("%1 nu poate fi citit").arg(from));
    QFile(to).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                             | QFileDevice::ReadOther);
    if (walHasFrames(from) && !QFile::copy(from + QStringLiteral("-wal"), to + QStringLiteral("-wal")))
        throw Refused(QStringLiteral("%1-wal nu poate fi citit").arg(from));
}

} // namespace

Prepared prepareRestore(const QString &dataDir, const QString &file)
{
    const QDir dir(dataDir);
    const QFileInfo info(file);
    if (!info.exists())
        throw Refused(QStringLiteral("fisierul %1 nu exista").arg(file));
    if (!info.isFile())
        throw Refused(QStringLiteral("%1 nu este un fisier").arg(file));
    if (canonical(file) == canonical(dir.filePath(dataName)) || canonical(file) == canonical(dir.filePath(systemName)))
        throw Refused(QStringLiteral("%1 este chiar fisierul de date in folosinta").arg(file));

    Prepared prepared;
    prepared.dataDir = dir.absolutePath();
    prepared.summary.file = info.absoluteFilePath();
    const QString system = systemFileFor(file);
    if (!system.isEmpty() && QFileInfo(system).isFile() && canonical(system) != canonical(dir.filePath(systemName)))
        prepared.summary.systemFile = QFileInfo(system).absoluteFilePath();
    prepared.summary.taken = copyTime(info.fileName());
    if (!prepared.summary.taken.isValid())
        prepared.summary.taken = info.lastModified();

    prepared.data = dir.filePath(QStringLiteral("vok.db.restaurare"));
    try {
        copyPlain(file, prepared.data);
        try {
            prepared.summary.schemaVersion = checkDatabase(prepared.data, DatabaseKind::Data);
        } catch (const Refused &refusal) {
            throw Refused(QStringLiteral("%1: %2").arg(info.fileName(), refusal.message()));
        }
        if (!prepared.summary.systemFile.isEmpty()) {
            prepared.system = dir.filePath(QStringLiteral("sys.db.restaurare"));
            copyPlain(prepared.summary.systemFile, prepared.system);
            try {
                checkDatabase(prepared.system, DatabaseKind::System);
            } catch (const Refused &refusal) {
                throw Refused(QStringLiteral("%1: %2").arg(QFileInfo(prepared.summary.systemFile).fileName(),
                                                          refusal.message()));
            }
        }
        prepared.summary.migrated = prepared.summary.schemaVersion < database::currentSchemaVersion(DatabaseKind::Data);

        // Migrated where it stands, and read for the clerk.
        const QString name = QStringLiteral("vok-restore-check");
        {
            QSqlDatabase db = database::openSqlite(prepared.data, name, DatabaseKind::Data);
            prepared.summary.vehicles = scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toLongLong();
            prepared.summary.sheets = scalar(db, QStringLiteral("SELECT COUNT(*) FROM foaie")).toLongLong();
            prepared.summary.lastSheetDate =
                scalar(db, QStringLiteral("SELECT data FROM foaie ORDER BY anul DESC, idl DESC, "
                                          "substr(data, 1, 2) DESC, nrf DESC LIMIT 1"))
                    .toString();
        }
        database::close(name);
        // A data file never goes in without its password file: without a
        // copy of it and without a current one, a new one holds no password.
        if (prepared.system.isEmpty() && !QFileInfo::exists(dir.filePath(systemName))) {
            prepared.system = dir.filePath(QStringLiteral("sys.db.restaurare"));
            removeWithJournals(prepared.system);
        }
        if (!prepared.system.isEmpty()) {
            database::openSqlite(prepared.system, name, DatabaseKind::System);
            database::close(name);
        }
    } catch (const DbError &) {
        database::close(QStringLiteral("vok-restore-check"));
        discard(prepared);
        throw;
    }
    return prepared;
}

void discard(const Prepared &prepared)
{
    if (!prepared.data.isEmpty())
        removeWithJournals(prepared.data);
    if (!prepared.system.isEmpty())
        removeWithJournals(prepared.system);
}

namespace {

// Refuses a database that another program has open: a connection that
// wants the file to itself gets it only when nobody else holds it. It also
// moves what the journal still holds into the file, so that no journal of
// the old file remains to be laid over the new one.
void ensureUnused(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return;
    {
        Connection probe(path, SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(probe.handle(), 1000);
        try {
            probe.run(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
            probe.run(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        } catch (const DbError &) {
            throw Refused(QStringLiteral("%1 este folosit de alt program; inchideti-l si reincercati")
                              .arg(QFileInfo(path).fileName()));
        }
    }
    if (walHasFrames(path))
        throw Refused(QStringLiteral("%1 este folosit de alt program (jurnalul sau nu a putut fi golit)")
                          .arg(QFileInfo(path).fileName()));
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

// Keeps `live` under `aside`: a second name for the same file when the file
// system allows it, else a copy.
void keepAside(const QString &live, const QString &aside)
{
#ifdef Q_OS_UNIX
    if (::link(encoded(live).constData(), encoded(aside).constData()) == 0)
        return;
#endif
    if (!QFile::copy(live, aside))
        throw DbError(QStringLiteral("%1 nu poate fi pastrat ca %2").arg(live, aside));
    syncFile(aside);
}

} // namespace

Installed install(const Prepared &prepared, const QString &asideTag, const QDateTime &when)
{
    const QDir dir(prepared.dataDir);
    const QString data = dir.filePath(dataName);
    const QString system = dir.filePath(systemName);
    ensureUnused(data);
    if (!prepared.system.isEmpty())
        ensureUnused(system);

    const QString folder = automaticFolder(prepared.dataDir);
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("dosarul %1 nu poate fi creat").arg(folder));
    const QString stamp = when.toString(stampFormat);
    Installed installed;
    auto asideName = [&](const QString &kind) {
        return QDir(folder).filePath(QStringLiteral("%1-%2-%3.db").arg(kind, asideTag, stamp));
    };
    if (QFileInfo(data).isFile()) {
        installed.dataAside = asideName(QStringLiteral("vok"));
        keepAside(data, installed.dataAside);
    }
    if (!prepared.system.isEmpty() && QFileInfo(system).isFile()) {
        installed.systemAside = asideName(QStringLiteral("sys"));
        keepAside(system, installed.systemAside);
    }
    syncFolder(folder);
    syncFile(prepared.data);
    if (!prepared.system.isEmpty()) {
        syncFile(prepared.system);
        renameOver(prepared.system, system);
    }
    renameOver(prepared.data, data);
    syncFolder(dir.absolutePath());
    return installed;
}

// --- compacting --------------------------------------------------------------

Compacted compact(const QString &dataDir, const QDateTime &when, const Progress &progress)
{
    const QString data = QDir(dataDir).filePath(dataName);
    Compacted result;
    result.copy = copyDataFolder(dataDir, automaticFolder(dataDir), when, progress);
    rotate(automaticFolder(dataDir));
    result.before = QFileInfo(data).size() + QFileInfo(data + QStringLiteral("-wal")).size();
    {
        Connection db(data, SQLITE_OPEN_READWRITE);
        db.run(QStringLiteral("VACUUM"));
        db.run(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    result.after = QFileInfo(data).size() + QFileInfo(data + QStringLiteral("-wal")).size();
    return result;
}

void reopen(QSqlDatabase &data, QSqlDatabase &system)
{
    const QString dataPath = data.databaseName();
    const QString dataConnection = data.connectionName();
    const QString systemPath = system.databaseName();
    const QString systemConnection = system.connectionName();
    data = database::openSqlite(dataPath, dataConnection, DatabaseKind::Data);
    system = database::openSqlite(systemPath, systemConnection, DatabaseKind::System);
}

} // namespace vok::backup
