#pragma once

#include "db/database.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Reading an Access (Jet) database file through Debian's mdbtools, always
// as child processes (mdb-tables, mdb-schema, mdb-count, mdb-export) run
// with LC_ALL=C: a damaged file cannot take the program down, and the
// reader is the tool the field uses. A tool that loops on a damaged file is
// stopped (Limits), and its messages never grow the program. The file's database password, if any,
// is not needed.
namespace vok::legacy {

// The file is not one that can be read: not an Access file, truncated,
// damaged. Nothing was changed.
class UnreadableFile : public DbError {
public:
    using DbError::DbError;
};

struct MdbColumn {
    QString name;
    QString type;  // as mdb-schema names it: "Long Integer", "Single", "Text (15)", "DateTime" ...
};

struct MdbTable {
    QString name;
    QList<MdbColumn> columns;
    qint64 rows = -1;  // -1 until counted
};

// The date and time format asked of mdb-export, which the import reads back.
inline constexpr char DateTimeFormat[] = "%Y-%m-%d %H:%M:%S";

class MdbReader {
public:
    explicit MdbReader(const QString &file);

    // Checks the file's first bytes and reads its tables and their columns.
    // Throws UnreadableFile, or DbError when mdbtools is not installed.
    void open();
    const QList<MdbTable> &tables() const { return m_tables; }
    // The table of that name, compared without regard to case; null when none.
    const MdbTable *table(const QString &name) const;
    // Counts the rows of every table (one child process per table).
    void countRows();

    // One record of a table: its fields in the order of the header, and the
    // line of mdb-export's output on which it starts. An empty field is a
    // NULL (mdb-export writes an empty text the same way).
    using RowHandler = std::function<void(const QStringList &fields, int line)>;
    // Streams a table: `header` gets the column names, `row` each record.
    // Throws UnreadableFile when the tool fails on the file.
    void exportTable(const QString &table, const std::function<void(const QStringList &header)> &header,
                     const RowHandler &row) const;

    // Where each tool is looked for: $PATH.
    static QString toolPath(const QString &tool);

    // Asked about every tenth of a second while a tool runs; false stops
    // the tool and throws backup::Cancelled.
    void setKeepGoing(std::function<bool()> keepGoing) { m_keepGoing = std::move(keepGoing); }

    // What a tool may do before it is stopped as stuck on the file: write
    // nothing at all for `silentMilliseconds`, or more than `errorBytes` of
    // messages. Of its messages the last `keptErrorBytes` are kept.
    struct Limits {
        int silentMilliseconds = 60000;
        qint64 errorBytes = 1 << 20;
        qint64 keptErrorBytes = 64 << 10;
    };
    static Limits limits();
    static void setLimits(const Limits &limits);  // tests

private:
    QByteArray run(const QString &tool, const QStringList &arguments) const;

    QString m_file;   // absolute: a name beginning with '-' is no option
    QList<MdbTable> m_tables;
    std::function<bool()> m_keepGoing;
};

// The columns of every CREATE TABLE in mdb-schema's output.
QList<MdbTable> parseSchema(const QString &text);

} // namespace vok::legacy
