#include "db/backup.h"

#include "db/backupfiles.h"
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

namespace vok::backup {

using namespace files;

Cancelled::Cancelled()
    : DbError(QStringLiteral("operatia a fost intrerupta"))
{
}

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

namespace {

// Copies `source` to `target` (copyDatabase) and returns the descriptor that
// holds the copy, so that a caller may keep it held a while longer.
std::unique_ptr<FileSync> copyHeld(const QString &source, const QString &target, const Progress &progress)
{
    // The source is usually open in this program: it is read by the engine
    // alone (opening and closing it any other way would drop the program's
    // locks on it).
    if (!QFileInfo(source).isFile())
        throw Refused(QStringLiteral("%1 nu exista").arg(source));

    const QString partial = target + partialSuffix;
    removeWithJournals(partial);
    // The copy goes to the disk as it is written: one flush of the whole
    // file at the end would hold up the clerk's next save, whose own flush
    // waits behind it. The descriptor also holds the file, so that another
    // run does not take it for a left-over.
    auto flush = std::make_unique<FileSync>(partial);
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
            Connection to(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            to.run(QStringLiteral("PRAGMA journal_mode=OFF"));
            to.run(QStringLiteral("PRAGMA synchronous=OFF"));
            sqlite3_backup *copy = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
            if (!copy)
                to.fail();
            for (int step = 1;; ++step) {
                const int rc = sqlite3_backup_step(copy, stepPages);
                if (step % stepsPerFlush == 0)
                    flush->now();
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
    return flush;
}

// Removes from `folder` what runs that were killed left: half-written copies
// and a password copy whose copy of vok.db never came. A file a live run
// holds stays.
QStringList removeLeftovers(const QString &folder)
{
    const QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    QStringList removed;
    for (const QString &name : files) {
        const qsizetype at = name.indexOf(partialSuffix);
        bool leftover = false;
        if (at > 0 && (name.startsWith(QLatin1String("vok")) || name.startsWith(QLatin1String("sys"))))
            leftover = !isHeld(dir.filePath(name.left(at + partialSuffix.size())));
        else if (name.startsWith(QLatin1String("sys-")) && copyTime(QStringLiteral("vok") + name.mid(3)).isValid()
                 && !files.contains(QStringLiteral("vok") + name.mid(3)))
            leftover = !isHeld(dir.filePath(name))
                       && !isHeld(dir.filePath(QStringLiteral("vok") + name.mid(3) + partialSuffix));
        if (leftover && QFile::remove(dir.filePath(name)))
            removed << name;
    }
    return removed;
}

} // namespace

void copyDatabase(const QString &source, const QString &target, const Progress &progress)
{
    copyHeld(source, target, progress);
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
    removeLeftovers(folder);
    const QString systemTarget = systemFileFor(target);
    // The password file first: a copy of vok.db stands for a whole copy. It
    // stays held until the copy of vok.db is there, so that another run does
    // not take it for a left-over.
    std::unique_ptr<FileSync> systemHeld;
    if (QFileInfo(system).isFile())
        systemHeld = copyHeld(system, systemTarget, {});
    try {
        copyHeld(data, target, progress);
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
    for (const QString &name : files) {
        const QDateTime time = copyTime(name);
        if (!time.isValid() || keep.contains(time))
            continue;
        remove(name);
        if (QFileInfo::exists(systemFileFor(dir.filePath(name))))
            remove(QFileInfo(systemFileFor(dir.filePath(name))).fileName());
    }
    // Half-made copies, and a password copy whose vok copy never came.
    removed << removeLeftovers(folder);
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

// --- compacting --------------------------------------------------------------

QString compactionFolder(const QString &dataDir)
{
    return QDir(automaticFolder(dataDir)).filePath(QStringLiteral("compactare"));
}

Compacted compact(const QString &dataDir, const QDateTime &when, const Progress &progress)
{
    const QString data = QDir(dataDir).filePath(dataName);
    Compacted result;
    result.copy = copyDataFolder(dataDir, compactionFolder(dataDir), when, progress);
    rotate(compactionFolder(dataDir), compactionCopiesKept, 0);
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
