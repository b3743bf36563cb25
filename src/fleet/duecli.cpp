#include "fleet/duecli.h"

#include "db/database.h"
#include "fleet/documentstore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace vok {

namespace {

const char connectionName[] = "vok-due-cli";

int fail(QTextStream &errors, const QString &message)
{
    errors << "vok: " << message << '\n';
    errors.flush();
    return 2;
}

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
        const QDate today = command.today.isValid() ? command.today : QDate::currentDate();
        const QList<due::Item> items = DocumentStore(db).dueItems(today, days);
        for (const due::Item &item : items)
            out << due::line(item) << '\n';
        out.flush();
        code = items.isEmpty() ? 0 : 1;
    } catch (const DbError &error) {
        code = fail(errors, error.message());
    }
    database::close(QString::fromLatin1(connectionName));
    return code;
}

} // namespace vok
