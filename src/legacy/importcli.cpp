#include "legacy/importcli.h"

#include "legacy/legacyimport.h"

#include <QDir>
#include <QTextStream>

namespace vok::legacy {

int runImportCommand(const ImportCommand &command, QTextStream &out, QTextStream &err,
                     const backup::PasswordPrompt &prompt)
{
    if (!command.databaseUrl.isEmpty()) {
        err << "vok: the import builds the data folder's own databases; it does not write to a server" << Qt::endl;
        return 1;
    }
    if (!QDir().mkpath(command.dataDir)) {
        err << "vok: " << QStringLiteral("dosarul de date %1 nu poate fi creat").arg(command.dataDir) << Qt::endl;
        return 2;
    }
    for (const QString &line : backup::recoverInterrupted(command.dataDir))
        err << "vok: " << line << Qt::endl;
    const QDateTime now = QDateTime::currentDateTime();
    Built built;
    try {
        if (!command.replace && folderHoldsData(command.dataDir)) {
            err << "vok: " << QStringLiteral("dosarul de date %1 contine deja date; ele se inlocuiesc doar cu --replace "
                                             "(si se pastreaza in backups/)")
                                  .arg(QDir::toNativeSeparators(command.dataDir))
                << Qt::endl;
            return 1;
        }
        if (!command.systemFile.isEmpty() && backup::requireCurrentPassword(command.dataDir, err, prompt) != 0)
            return 1;
        built = build(command.dataDir, command.dataFile, command.systemFile, now);
    } catch (const UnreadableFile &refusal) {
        err << "vok: " << QStringLiteral("importul nu se poate face: %1").arg(refusal.message()) << Qt::endl;
        return 1;
    } catch (const DbError &error) {
        err << "vok: " << error.message() << Qt::endl;
        return 2;
    }
    try {
        backup::install(built.prepared, QStringLiteral("inainte-de-import"), now);
    } catch (const backup::Refused &refusal) {
        backup::discard(built.prepared);
        err << "vok: " << QStringLiteral("importul nu se poate face: %1").arg(refusal.message()) << Qt::endl;
        return 1;
    } catch (const DbError &error) {
        backup::discard(built.prepared);
        err << "vok: " << error.message() << Qt::endl;
        return 2;
    }
    out << built.report.text();
    try {
        out << QStringLiteral("Raportul a fost salvat in %1").arg(QDir::toNativeSeparators(saveReport(command.dataDir, built.report)))
            << Qt::endl;
    } catch (const DbError &error) {
        err << "vok: " << error.message() << Qt::endl;
    }
    return 0;
}

} // namespace vok::legacy
