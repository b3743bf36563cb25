#include "legacy/mdbreader.h"

#include "sheet/csv.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace vok::legacy {

namespace {

// No output for this long: the tool is stuck on the file.
constexpr int silenceMilliseconds = 120000;

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

} // namespace

MdbReader::MdbReader(const QString &file)
    : m_file(file)
{
}

QString MdbReader::toolPath(const QString &tool) { return QStandardPaths::findExecutable(tool); }

QByteArray MdbReader::run(const QString &tool, const QStringList &arguments) const
{
    const QString path = toolPath(tool);
    if (path.isEmpty())
        throw DbError(QStringLiteral("programul %1 lipseste: instalati pachetul mdbtools (apt-get install mdbtools)").arg(tool));
    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    process.start(path, arguments);
    if (!process.waitForStarted(30000))
        throw DbError(QStringLiteral("%1 nu poate fi pornit: %2").arg(tool, process.errorString()));
    process.closeWriteChannel();
    if (!process.waitForFinished(silenceMilliseconds)) {
        process.kill();
        process.waitForFinished();
        throw UnreadableFile(QStringLiteral("%1 nu a terminat de citit fisierul").arg(tool));
    }
    const QByteArray err = process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || damageReported(err))
        throw UnreadableFile(QStringLiteral("fisierul nu poate fi citit (%1: %2)")
                                 .arg(tool, err.isEmpty() ? QStringLiteral("codul %1").arg(process.exitCode()) : firstLine(err)));
    return process.readAllStandardOutput();
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
    for (MdbTable &t : m_tables)
        t.rows = QString::fromLatin1(run(QStringLiteral("mdb-count"), {m_file, t.name}).trimmed()).toLongLong();
}

void MdbReader::exportTable(const QString &table, const std::function<void(const QStringList &)> &header,
                            const RowHandler &row) const
{
    const QString tool = QStringLiteral("mdb-export");
    const QString path = toolPath(tool);
    if (path.isEmpty())
        throw DbError(QStringLiteral("programul %1 lipseste: instalati pachetul mdbtools (apt-get install mdbtools)").arg(tool));
    const QString format = QString::fromLatin1(DateTimeFormat);
    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    // Binary columns are left out; -D is given too for the versions that honour it.
    process.start(path, {QStringLiteral("-b"), QStringLiteral("strip"), QStringLiteral("-D"), format,
                         QStringLiteral("-T"), format, m_file, table});
    if (!process.waitForStarted(30000))
        throw DbError(QStringLiteral("%1 nu poate fi pornit: %2").arg(tool, process.errorString()));
    process.closeWriteChannel();

    QByteArray buffer;
    QByteArray err;
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
    for (;;) {
        if (process.bytesAvailable() == 0 && !process.waitForReadyRead(silenceMilliseconds)) {
            if (process.state() == QProcess::NotRunning)
                break;
            process.kill();
            process.waitForFinished();
            throw UnreadableFile(QStringLiteral("%1 nu a terminat de citit tabela %2").arg(tool, table));
        }
        buffer += process.readAllStandardOutput();
        if (err.size() < 4096)
            err += process.readAllStandardError();
        const qsizetype complete = splitter.complete(buffer);
        if (complete >= batchBytes || (complete > 0 && process.state() == QProcess::NotRunning)) {
            parse(buffer.left(complete));
            buffer.remove(0, complete);
            splitter.taken(complete);
        }
    }
    process.waitForFinished();
    buffer += process.readAllStandardOutput();
    err += process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || damageReported(err))
        throw UnreadableFile(QStringLiteral("tabela %1 nu poate fi citita (%2: %3)")
                                 .arg(table, tool,
                                      err.isEmpty() ? QStringLiteral("codul %1").arg(process.exitCode()) : firstLine(err)));
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
