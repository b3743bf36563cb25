#include "control/auditcli.h"

#include "control/auditstore.h"
#include "db/commanddata.h"
#include "db/database.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace vok::control {

namespace {

const char connectionName[] = "vok-audit-cli";

int fail(QTextStream &errors, const QString &message) { return database::commandFailure(errors, message); }

} // namespace

int runAuditCommand(const AuditCommand &command, QTextStream &out, QTextStream &errors)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    if (!fourDigits.match(command.year).hasMatch())
        return fail(errors, QStringLiteral("anul trebuie scris cu patru cifre, nu \"%1\"").arg(command.year));
    const int year = command.year.toInt();

    // An audit reads the data: a data folder without vok.db is a mistake.
    const QString name = QString::fromLatin1(connectionName);
    return database::withCommandData(command.dataDir, command.databaseUrl, name, errors, [&](const QSqlDatabase &db) {
        const QList<Finding> findings = auditYear(db, year);
        for (const Finding &f : findings)
            out << findingLine(f) << '\n';
        out.flush();
        return findings.isEmpty() ? 0 : 1;
    });
}

} // namespace vok::control
