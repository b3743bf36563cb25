#include "cards/cardcli.h"

#include "cards/cardstore.h"
#include "db/commanddata.h"
#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <functional>

namespace vok::cards {

namespace {

const char connectionName[] = "vok-cards-cli";
// A statement of a large fleet is a few megabytes; anything far above is no statement.
constexpr qint64 largestFile = 256LL * 1024 * 1024;

int fail(QTextStream &errors, const QString &message, int code = 2)
{
    return database::commandFailure(errors, message, code);
}

// Runs `work` on the data named by the command; DbError is an error (2).
int withData(const CardCommand &command, QTextStream &errors, const std::function<int(const QSqlDatabase &)> &work)
{
    return database::withCommandData(command.dataDir, command.databaseUrl, QString::fromLatin1(connectionName), errors,
                                     work);
}

bool readFile(const QString &path, QByteArray *data, QTextStream &errors)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        fail(errors, QStringLiteral("fisierul %1 nu se poate citi").arg(path));
        return false;
    }
    if (file.size() > largestFile) {
        fail(errors, QStringLiteral("fisierul %1 este prea mare pentru un extras (peste 256 MB)").arg(path));
        return false;
    }
    *data = file.readAll();
    return true;
}

QString alreadyImported(const ImportRecord &r)
{
    return QStringLiteral("fisierul a fost deja importat (%1, %2)").arg(r.fisier, r.cand);
}

} // namespace

bool parseMonth(const QString &text, int *year, int *month)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{4})-([0-9]{2})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    *year = m.captured(1).toInt();
    *month = m.captured(2).toInt();
    return *year >= 1950 && *month >= 1 && *month <= 12;
}

int runImportCard(const CardCommand &command, QTextStream &out, QTextStream &errors)
{
    QByteArray data;
    if (!readFile(command.file, &data, errors))
        return 2;
    const QString formatName = command.formatName.isEmpty() ? QStringLiteral("vok") : command.formatName;
    return withData(command, errors, [&](const QSqlDatabase &db) {
        const CardStore store(db);
        const CardFormat format = store.format(formatName);
        if (format.id == 0)
            return fail(errors, QStringLiteral("formatul de extras \"%1\" nu exista").arg(formatName));
        const QString digest = fileDigest(data);
        if (const ImportRecord r = store.importOf(digest); r.idi != 0)
            return fail(errors, alreadyImported(r), 1);
        const StatementRead read = readStatement(data, format);
        if (!read.fileOk())
            return fail(errors, QStringLiteral("%1: %2").arg(command.file, read.error), 1);
        for (const RefusedRow &row : read.refused)
            errors << "vok: " << command.file << ": linia " << row.line << ": " << row.reason << '\n';
        if (!read.refused.isEmpty() && !command.acceptPartial)
            return fail(errors, QStringLiteral("%1 randuri refuzate: nu s-a importat nimic (--accept-partial importa restul)")
                                    .arg(read.refused.size()), 1);
        if (read.transactions.isEmpty())
            return fail(errors, QStringLiteral("%1: nicio tranzactie de importat").arg(command.file), 1);
        const QString supplier = command.supplier.isEmpty() ? format.supplier : command.supplier;
        store.importStatement(QFileInfo(command.file).fileName(), supplier, format.name, digest, read.transactions,
                              QStringLiteral("vok --import-card"));
        out << "importate " << read.transactions.size() << '\n';
        out.flush();
        return 0;
    });
}

int runImportInvoice(const CardCommand &command, QTextStream &out, QTextStream &errors)
{
    QByteArray data;
    if (!readFile(command.file, &data, errors))
        return 2;
    return withData(command, errors, [&](const QSqlDatabase &db) {
        const CardStore store(db);
        const QString digest = fileDigest(data);
        if (const ImportRecord r = store.importOf(digest); r.idi != 0)
            return fail(errors, alreadyImported(r), 1);
        const InvoiceRead read = readInvoice(data);
        if (!read.fileOk())
            return fail(errors, QStringLiteral("%1: %2").arg(command.file, read.error), 1);
        if (!read.refused.isEmpty()) {
            for (const InvoiceRefusal &r : read.refused)
                errors << "vok: " << command.file << ": linia " << r.line << ": " << r.reason << '\n';
            return fail(errors, QStringLiteral("factura refuzata: nu s-a importat nimic"), 1);
        }
        store.importInvoice(QFileInfo(command.file).fileName(), digest, read.invoice, QStringLiteral("vok --import-efactura"));
        out << "importate " << read.invoice.lines.size() << '\n';
        out.flush();
        return 0;
    });
}

int runReconcile(const CardCommand &command, QTextStream &out, QTextStream &errors)
{
    int year = 0, month = 0;
    if (!parseMonth(command.month, &year, &month))
        return fail(errors, QStringLiteral("luna se scrie AAAA-LL (de exemplu 2026-11), nu \"%1\"").arg(command.month));
    return withData(command, errors, [&](const QSqlDatabase &db) {
        const QList<CardFinding> findings = reconcile(CardStore(db).loadMonth(year, month));
        for (const CardFinding &f : findings)
            out << findingLine(f) << '\n';
        out.flush();
        return findings.isEmpty() ? 0 : 1;
    });
}

} // namespace vok::cards
