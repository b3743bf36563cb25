// Coverage-guided fuzzing of the check every copy goes through before it is
// restored (libFuzzer; `make fuzz`): a crafted SQLite file. The first byte
// picks how the rest is read: the whole file as it is, or changes to a
// sound copy of the program's data (made at start, in pages of 512 bytes so
// that the changes land in its schema and its tables). Rules: the check
// answers with the file's schema version or refuses it (Refused, with a
// reason); nothing else escapes, and it neither crashes nor hangs.
#include "db/backup.h"
#include "db/backupfiles.h"
#include "db/schema.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace vok;
using namespace vok::backup;

namespace {

QTemporaryDir *folder = nullptr;
QByteArray soundCopy;

[[noreturn]] void broken(const char *rule, const QString &detail)
{
    std::fprintf(stderr, "rule broken: %s: %s\n", rule, detail.left(2000).toUtf8().constData());
    std::abort();
}

// The data file of the program at its current schema, with a row or two.
QByteArray makeSoundCopy()
{
    const QString path = folder->filePath(QStringLiteral("sound.db"));
    {
        const files::Connection db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        db.run(QStringLiteral("PRAGMA page_size=512"));
        for (int step = 1; step <= schema::stepCount(DatabaseKind::Data); ++step)
            for (const QString &statement : schema::migrationStep(DatabaseKind::Data, step, schema::Dialect::Sqlite))
                db.run(statement);
        db.run(QStringLiteral("PRAGMA user_version=%1").arg(schema::stepCount(DatabaseKind::Data)));
        db.run(QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('B-01-ABC', 'Dacia')"));
        db.run(QStringLiteral("INSERT INTO foaie (nrf, ida, sofer) VALUES (7, 1, 'POPESCU')"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    folder = new QTemporaryDir;
    soundCopy = makeSoundCopy();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    QByteArray bytes;
    if (data[0] % 2 == 0) {
        bytes = QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    } else {
        // Changes: a 16-bit offset, a length and that many bytes, again and again.
        bytes = soundCopy;
        size_t at = 1;
        while (at + 3 <= size) {
            const qsizetype offset = ((data[at] << 8) | data[at + 1]) % bytes.size();
            const size_t length = std::min<size_t>(data[at + 2], size - at - 3);
            for (size_t i = 0; i < length && offset + qsizetype(i) < bytes.size(); ++i)
                bytes[offset + qsizetype(i)] = char(data[at + 3 + i]);
            at += 3 + length;
        }
    }
    const QString path = folder->filePath(QStringLiteral("copy.db"));
    files::removeWithJournals(path);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(bytes);
    }
    try {
        const int version = files::checkDatabase(path, DatabaseKind::Data);
        if (version < 1 || version > schema::stepCount(DatabaseKind::Data))
            broken("a copy accepted has a known version", QString::number(version));
    } catch (const Refused &refusal) {
        if (refusal.message().isEmpty())
            broken("a refusal says why", {});
    } catch (const DbError &error) {
        broken("only a refusal escapes", error.message());
    }
    return 0;
}
