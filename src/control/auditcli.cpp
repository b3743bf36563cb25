#include "control/auditcli.h"

#include "control/auditstore.h"
#include "db/database.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace vok::control {

namespace {

const char connectionName[] = "vok-audit-cli";

int fail(QTextStream &errors, const QString &message)
{
    errors << "vok: " << message << '\n';
    errors.flush();
    return 2;
}

} // namespace

int runAuditCommand(const AuditCommand &command, QTextStream &out, QTextStream &errors)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    if (!fourDigits.match(command.year).hasMatch())
        return fail(errors, QStringLiteral("anul trebuie scris cu patru cifre, nu \"%1\"").arg(command.year));
    const int year = command.year.toInt();

    // An audit reads the data: a data folder without vok.db is a mistake.
    const bool onServer = !command.databaseUrl.isEmpty();
    const QString dataFile = onServer ? command.databaseUrl
                                      : QDir(command.dataDir).absoluteFilePath(QStringLiteral("vok.db"));
    if (!onServer && !QFileInfo::exists(dataFile))
        return fail(errors, QStringLiteral("baza de date %1 nu exista").arg(dataFile));

    int code = 0;
    try {
        const QSqlDatabase db = onServer ? database::openServer(dataFile, QString::fromLatin1(connectionName))
                                         : database::openSqlite(dataFile, QString::fromLatin1(connectionName),
                                                                DatabaseKind::Data);
        const QList<Finding> findings = auditYear(db, year);
        for (const Finding &f : findings)
            out << findingLine(f) << '\n';
        out.flush();
        code = findings.isEmpty() ? 0 : 1;
    } catch (const DbError &error) {
        code = fail(errors, error.message());
    }
    database::close(QString::fromLatin1(connectionName));
    return code;
}

} // namespace vok::control
