#include "legacy/mdbreader.h"

#include "db/backup.h"
#include "sheet/csv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vok::legacy {

namespace {

QMutex limitsMutex;
MdbReader::Limits currentLimits;

// How often a running tool is looked at.
constexpr int lookMilliseconds = 100;

// Records handed to the CSV reader at a time.
constexpr qsizetype batchBytes = 1 << 20;

// What mdbtools prints on stderr when the file's pages are missing or broken.
bool damageReported(const QByteArray &err)
{
    for (const char *sign : {"beyond EOF", "nable to read", "failed", "not appear to be", "Couldn't open",
                             "does not exist", "rror"})
        if (err.contains(sign))
            return true;
    return false;
}

QString firstLine(const QByteArray &text)
{
    return QString::fromLocal8Bit(text.trimmed().split('\n').value(0)).trimmed();
}

QProcessEnvironment childEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return environment;
}

// Finds where the complete records of a growing buffer end: after a line
// end outside quotes. Keeps its place between calls.
class RecordSplitter {
public:
    // The length of the complete records at the front of `data`.
    qsizetype complete(const QByteArray &data)
    {
        for (; m_scanned < data.size(); ++m_scanned) {
            const char c = data.at(m_scanned);
            if (c == '"')
                m_inQuotes = !m_inQuotes;
            else if (c == '\n' && !m_inQuotes)
                m_end = m_scanned + 1;
        }
        return m_end;
    }
    // The front `length` bytes were taken.
    void taken(qsizetype length)
    {
        m_scanned -= length;
        m_end -= length;
    }

private:
    qsizetype m_scanned = 0;
    qsizetype m_end = 0;
    bool m_inQuotes = false;
};

// One run of a tool: its output read as it comes, its messages into a file
// of their own whose size is watched, so that a tool that loops writing
// messages costs neither memory nor time.
class Child {
public:
    // `what` opens the message of a tool stopped: "fisierul nu poate fi citit".
    Child(const QString &tool, const QStringList &arguments, const std::function<bool()> &keepGoing,
          const QString &what)
        : m_tool(tool)
        , m_what(what)
        , m_keepGoing(keepGoing)
        , m_limits(MdbReader::limits())
    {
        const QString path = MdbReader::toolPath(tool);
        if (path.isEmpty())
            throw DbError(
                QStringLiteral("programul %1 lipseste: instalati pachetul mdbtools (apt-get install mdbtools)").arg(tool));
        if (!m_errors.open())
            throw DbError(QStringLiteral("%1: fisierul mesajelor nu poate fi creat: %2").arg(tool, m_errors.errorString()));
        m_process.setProcessEnvironment(childEnvironment());
        m_process.setStandardErrorFile(m_errors.fileName());
        m_process.start(path, arguments);
        if (!m_process.waitForStarted(30000))
            throw DbError(QStringLiteral("%1 nu poate fi pornit: %2").arg(tool, m_process.errorString()));
        m_process.closeWriteChannel();
        m_quiet.start();
    }

    ~Child()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // The output written since the last call; empty once the tool ended and
    // everything was read. Throws when the tool is stopped.
    QByteArray read(bool &ended)
    {
        for (;;) {
            if (m_keepGoing && !m_keepGoing()) {
                stop();
                throw backup::Cancelled();
            }
            m_process.waitForReadyRead(lookMilliseconds);
            QByteArray chunk = m_process.readAllStandardOutput();
            const qint64 errorSize = QFileInfo(m_errors.fileName()).size();
            if (errorSize > m_limits.errorBytes) {
                stop();
                throw UnreadableFile(QStringLiteral("%1 (%2 a scris peste %3 KB de mesaje de eroare si a fost "
                                                    "oprit: %4)")
                                         .arg(m_what, m_tool)
                                         .arg(m_limits.errorBytes / 1024)
                                         .arg(firstLine(errors())));
            }
            if (!chunk.isEmpty() || errorSize != m_errorSize) {
                m_errorSize = errorSize;
                m_quiet.restart();
            }
            if (!chunk.isEmpty())
                return chunk;
            if (m_process.state() == QProcess::NotRunning) {
                chunk = m_process.readAllStandardOutput();
                ended = chunk.isEmpty();
                return chunk;
            }
            if (m_quiet.elapsed() > m_limits.silentMilliseconds) {
                stop();
                throw UnreadableFile(QStringLiteral("%1 (%2 nu a mai scris nimic de %3 s si a fost oprit)")
                                         .arg(m_what, m_tool)
                                         .arg(m_limits.silentMilliseconds / 1000.0));
            }
        }
    }

    // Everything the tool writes, when it ended.
    QByteArray readAll()
    {
        QByteArray all;
        bool ended = false;
        while (!ended)
            all += read(ended);
        return all;
    }

    bool failed()
    {
        m_process.waitForFinished();
        return m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0
               || damageReported(errors());
    }

    int exitCode() const { return m_process.exitCode(); }

    // The last of the tool's messages, from the start of a line.
    QByteArray errors()
    {
        QFile file(m_errors.fileName());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const qint64 size = file.size();
        if (size <= m_limits.keptErrorBytes)
            return file.readAll();
        file.seek(size - m_limits.keptErrorBytes);
        QByteArray kept = file.read(m_limits.keptErrorBytes);
        const qsizetype lineEnd = kept.indexOf('\n');
        return lineEnd >= 0 ? kept.mid(lineEnd + 1) : kept;
    }

private:
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    QString m_tool;
    QString m_what;
    std::function<bool()> m_keepGoing;
    MdbReader::Limits m_limits;
    QTemporaryFile m_errors;
    QProcess m_process;
    QElapsedTimer m_quiet;
    qint64 m_errorSize = 0;
};

} // namespace

MdbReader::MdbReader(const QString &file)
    : m_file(QFileInfo(file).absoluteFilePath())
{
}

QString MdbReader::toolPath(const QString &tool) { return QStandardPaths::findExecutable(tool); }

MdbReader::Limits MdbReader::limits()
{
    const QMutexLocker lock(&limitsMutex);
    return currentLimits;
}

void MdbReader::setLimits(const Limits &limits)
{
    const QMutexLocker lock(&limitsMutex);
    currentLimits = limits;
}

QByteArray MdbReader::run(const QString &tool, const QStringList &arguments) const
{
    Child child(tool, arguments, m_keepGoing, QStringLiteral("fisierul nu poate fi citit"));
    const QByteArray output = child.readAll();
    if (child.failed()) {
        const QByteArray err = child.errors();
        throw UnreadableFile(QStringLiteral("fisierul nu poate fi citit (%1: %2)")
                                 .arg(tool, err.trimmed().isEmpty() ? QStringLiteral("codul %1").arg(child.exitCode())
                                                                    : firstLine(err)));
    }
    return output;
}

void MdbReader::open()
{
    QFile file(m_file);
    if (!file.exists())
        throw UnreadableFile(QStringLiteral("fisierul %1 nu exista").arg(m_file));
    if (!file.open(QIODevice::ReadOnly))
        throw UnreadableFile(QStringLiteral("fisierul %1 nu poate fi citit: %2").arg(m_file, file.errorString()));
    const QByteArray head = file.read(0x20);
    const qint64 size = file.size();
    file.close();
    if (head.size() < 0x20 || (head.mid(4, 15) != "Standard Jet DB" && head.mid(4, 15) != "Standard ACE DB"))
        throw UnreadableFile(QStringLiteral("%1 nu este o baza de date Access (.mdb)").arg(QFileInfo(m_file).fileName()));
    // Jet 3 files have pages of 2 KB, later ones of 4 KB; a file grows by whole pages.
    const qint64 page = head.at(0x14) == 0 ? 2048 : 4096;
    if (size < 2 * page || size % page != 0)
        throw UnreadableFile(QStringLiteral("%1 este trunchiat (%2 octeti, nu un numar intreg de pagini de %3)")
                                 .arg(QFileInfo(m_file).fileName())
                                 .arg(size)
                                 .arg(page));

    const QList<MdbTable> described = parseSchema(QString::fromUtf8(run(QStringLiteral("mdb-schema"), {m_file})));
    m_tables.clear();
    for (const QByteArray &line : run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), m_file}).split('\n')) {
        const QString name = QString::fromUtf8(line).trimmed();
        if (name.isEmpty())
            continue;
        MdbTable table;
        table.name = name;
        for (const MdbTable &d : described)
            if (d.name.compare(name, Qt::CaseInsensitive) == 0)
                table.columns = d.columns;
        m_tables << table;
    }
}

const MdbTable *MdbReader::table(const QString &name) const
{
    for (const MdbTable &t : m_tables)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

void MdbReader::countRows()
{
    for (MdbTable &t : m_tables) {
        // A name the tools would take for an option is none of the program's tables.
        if (t.name.startsWith(u'-'))
            continue;
        t.rows = QString::fromLatin1(run(QStringLiteral("mdb-count"), {m_file, t.name}).trimmed()).toLongLong();
    }
}

void MdbReader::exportTable(const QString &table, const std::function<void(const QStringList &)> &header,
                            const RowHandler &row) const
{
    const QString tool = QStringLiteral("mdb-export");
    if (table.startsWith(u'-'))
        throw UnreadableFile(QStringLiteral("tabela %1 nu poate fi citita (numele incepe cu '-')").arg(table));
    const QString format = QString::fromLatin1(DateTimeFormat);
    // Binary columns are left out; -D is given too for the versions that honour it.
    Child process(tool, {QStringLiteral("-b"), QStringLiteral("strip"), QStringLiteral("-D"), format,
                         QStringLiteral("-T"), format, m_file, table},
                  m_keepGoing, QStringLiteral("tabela %1 nu poate fi citita").arg(table));

    QByteArray buffer;
    RecordSplitter splitter;
    int line = 1;
    bool headerSeen = false;
    auto parse = [&](const QByteArray &records) {
        const csv::ParseResult parsed = csv::parse(records);
        if (!parsed.ok())
            throw UnreadableFile(QStringLiteral("tabela %1, randul %2: %3")
                                     .arg(table)
                                     .arg(line + parsed.errorLine - 1)
                                     .arg(parsed.error));
        for (const csv::Record &record : parsed.records) {
            if (!headerSeen) {
                headerSeen = true;
                header(record.fields);
            } else {
                row(record.fields, line + record.line - 1);
            }
        }
        line += int(records.count('\n'));
    };
    for (bool ended = false; !ended;) {
        buffer += process.read(ended);
        const qsizetype complete = splitter.complete(buffer);
        if (complete >= batchBytes || (complete > 0 && ended)) {
            parse(buffer.left(complete));
            buffer.remove(0, complete);
            splitter.taken(complete);
        }
    }
    if (process.failed()) {
        const QByteArray err = process.errors();
        throw UnreadableFile(QStringLiteral("tabela %1 nu poate fi citita (%2: %3)")
                                 .arg(table, tool,
                                      err.trimmed().isEmpty() ? QStringLiteral("codul %1").arg(process.exitCode())
                                                              : firstLine(err)));
    }
    if (!buffer.isEmpty())
        parse(buffer);
    if (!headerSeen)
        throw UnreadableFile(QStringLiteral("tabela %1 nu poate fi citita (%2 nu a scris nimic)").arg(table, tool));
}

QList<MdbTable> parseSchema(const QString &text)
{
    static const QRegularExpression create(QStringLiteral("^CREATE TABLE \\[(.+)\\]\\s*$"));
    static const QRegularExpression column(QStringLiteral("^\\s*\\[(.+)\\]\\s+(.*?)\\s*,?\\s*$"));
    QList<MdbTable> tables;
    bool inside = false;
    for (const QString &line : text.split(u'\n')) {
        const QRegularExpressionMatch table = create.match(line);
        if (table.hasMatch()) {
            tables << MdbTable{table.captured(1), {}, -1};
            inside = true;
            continue;
        }
        if (!inside)
            continue;
        if (line.trimmed().startsWith(QLatin1String(");"))) {
            inside = false;
            continue;
        }
        const QRegularExpressionMatch c = column.match(line);
        if (c.hasMatch()) {
            QString type = c.captured(2);
            type.remove(QStringLiteral(" NOT NULL"));
            tables.last().columns << MdbColumn{c.captured(1), type.trimmed()};
        }
    }
    return tables;
}

} // namespace vok::legacy
