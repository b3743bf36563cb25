// Runs on SQLite only: files, locks and killed processes of a data folder.
// A second process for the reliability tests: it saves rows through the
// program's database layer until it is killed, holds locks on a database
// file, or opens a data folder with the rights it was started with.
//
//   childprocess save <vok.db> <first nrf>   saves trips after the last sheet, printing "nrf nrc" once committed
//   childprocess lock <file> exclusive|write holds a lock until stdin closes
//   childprocess open <vok.db>               opens the file as the program does, prints the outcome
#include "db/database.h"
#include "base/numbers.h"
#include "trips/sheetstore.h"
#include "trips/tripstore.h"

#include <QCoreApplication>
#include <QSqlError>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace vok;

namespace {

// Unbuffered, so that a line written is in the pipe before the next statement.
void say(const std::string &line)
{
    const std::string text = line + '\n';
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += std::size_t(n);
    }
}

// Trip sheets saved as the trip window saves them, through its stores: the
// first trip of a new sheet together with the sheet's header in one
// transaction, then for each further trip the header written again (its
// hours moved on) in one transaction and the trip inserted in the next.
// Prints "nrf nrc" once each trip's commit returned.
int save(const QString &path, qint64 nrf)
{
    const QSqlDatabase db = database::openSqlite(path, QStringLiteral("child"), DatabaseKind::Data);
    {
        Transaction transaction(db);
        exec(db, QStringLiteral("INSERT INTO auto (nrauto, marca, kmef) SELECT ?, ?, 0 "
                                "WHERE NOT EXISTS (SELECT 1 FROM auto WHERE nrauto=?)"),
             {QStringLiteral("B-01-KIL"), QStringLiteral("test"), QStringLiteral("B-01-KIL")});
        transaction.commit();
    }
    const int ida = scalar(db, QStringLiteral("SELECT ida FROM auto WHERE nrauto=?"), {QStringLiteral("B-01-KIL")}).toInt();
    nrf = std::max(nrf, scalar(db, QStringLiteral("SELECT COALESCE(MAX(nrf), 0) + 1 FROM foaie")).toLongLong());
    SheetStore sheets(db);
    TripStore trips(db);
    say("ready");
    for (;; ++nrf) {
        SheetHeader header;
        header.nrf = int(nrf);
        header.ida = ida;
        header.sofer = QStringLiteral("POPESCU ION");
        header.orap = 6;
        header.data = QStringLiteral("01.03.2026");
        header.decada = 1;
        header.idl = 3;
        header.anul = 2026;
        for (int nrc = 1; nrc <= 3; ++nrc) {
            Trip trip;
            trip.nrc = nrc;
            trip.km[0] = 10.5 * nrc;
            trip.kmT = 10.5 * nrc;
            trip.kmE = 10.5 * nrc;
            trip.Cn = singleValue(3.25f * float(nrc));
            trip.traseu = QStringLiteral("Ploiesti - Bucuresti ") + QString(150, QLatin1Char('x'));
            header.oras = 6 + nrc; // the hours move on with each trip
            if (nrc == 1) {
                WriteRun run(db, QStringLiteral("foaie"));
                trip.idf = sheets.insert(run, header);
                trips.insert(run, trip);
                run.commit();
            } else {
                const std::optional<Sheet> stored = sheets.byNumber(ida, int(nrf));
                if (!stored) {
                    say("error the sheet just saved is gone");
                    return 1;
                }
                {
                    WriteRun run(db, QStringLiteral("foaie"));
                    sheets.update(run, *stored, header);
                    run.commit();
                }
                trip.idf = stored->idf;
                WriteRun run(db, QStringLiteral("foaie"));
                trips.insert(run, trip);
                run.commit();
            }
            say(std::to_string(nrf) + ' ' + std::to_string(nrc));
        }
    }
}

void waitForStdinToClose()
{
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
}

// Holds the file the way another program would: an exclusive lock keeps
// every other connection out; a write transaction keeps other writers out.
int lock(const QString &path, const QString &how)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    db.setDatabaseName(path);
    if (!db.open()) {
        say("error " + db.lastError().text().toStdString());
        return 1;
    }
    try {
        if (how == QLatin1String("exclusive")) {
            exec(db, QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
            exec(db, QStringLiteral("BEGIN EXCLUSIVE"));
            exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS lockprobe (x INTEGER)"));
        } else {
            // A small cache, so that the change spills into the file before
            // any commit: a writer killed now leaves a journal to roll back.
            exec(db, QStringLiteral("PRAGMA cache_size=2"));
            exec(db, QStringLiteral("BEGIN IMMEDIATE"));
            exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS lockprobe (x INTEGER, t TEXT)"));
            for (int i = 0; i < 500; ++i)
                exec(db, QStringLiteral("INSERT INTO lockprobe VALUES (?, ?)"), {i, QString(300, QLatin1Char('p'))});
            exec(db, QStringLiteral("UPDATE auto SET marca='half-done'"));
        }
    } catch (const DbError &error) {
        say("error " + error.message().toStdString());
        return 1;
    }
    say("locked");
    waitForStdinToClose();
    exec(db, QStringLiteral("ROLLBACK"));
    return 0;
}

int open(const QString &path)
{
    try {
        database::openSqlite(path, QStringLiteral("child"), DatabaseKind::Data);
        say("opened");
    } catch (const DbError &error) {
        say("error " + error.message().toStdString());
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args[1] == QLatin1String("save"))
            return save(args[2], args[3].toLongLong());
        if (args.size() == 4 && args[1] == QLatin1String("lock"))
            return lock(args[2], args[3]);
        if (args.size() == 3 && args[1] == QLatin1String("open"))
            return open(args[2]);
    } catch (const DbError &error) {
        say("error " + error.message().toStdString());
        return 1;
    }
    std::fputs("usage: childprocess save|lock|open ...\n", stderr);
    return 2;
}
