#include "fleet/duecli.h"

#include "db/commanddata.h"
#include "db/database.h"
#include "fleet/documentstore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace vok {

namespace {

const char connectionName[] = "vok-due-cli";

int fail(QTextStream &errors, const QString &message) { return database::commandFailure(errors, message); }

} // namespace

int runDueCommand(const DueCommand &command, QTextStream &out, QTextStream &errors)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[0-9]{1,5}$"));
    if (!wholeNumber.match(command.days).hasMatch())
        return fail(errors, QStringLiteral("--due cere un numar de zile intreg, de la 0 la 99999, nu \"%1\"")
                                .arg(command.days));
    const int days = command.days.toInt();

    // What is due needs the data: a data folder without vok.db is a mistake,
    // not a new database.
    const QString name = QString::fromLatin1(connectionName);
    return database::withCommandData(command.dataDir, command.databaseUrl, name, errors, [&](const QSqlDatabase &db) {
        const QDate today = command.today.isValid() ? command.today : QDate::currentDate();
        const QList<due::Item> items = DocumentStore(db).dueItems(today, days);
        for (const due::Item &item : items)
            out << due::line(item) << '\n';
        out.flush();
        return items.isEmpty() ? 0 : 1;
    });
}

} // namespace vok
