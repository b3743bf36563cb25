#include "app/startup.h"

#include "app/mainwindow.h"
#include "app/passwordwindows.h"
#include "app/splashwindow.h"
#include "db/database.h"
#include "db/passwordstore.h"
#include "reports/previewwindow.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

namespace vok {

QString resolveDataDir(const QString &fromCommandLine)
{
    if (!fromCommandLine.isEmpty())
        return fromCommandLine;
    const QString fromEnvironment = qEnvironmentVariable("VOK_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString resolveDatabaseUrl(const QString &fromCommandLine)
{
    return fromCommandLine.isEmpty() ? qEnvironmentVariable("VOK_DATABASE") : fromCommandLine;
}

int runProgram(const StartupOptions &options)
{
    QtMessageService messages;
    const QDir dir(options.dataDir);
    if (options.databaseUrl.isEmpty() && !QDir().mkpath(dir.absolutePath())) {
        messages.error(nullptr, QStringLiteral("Dosarul de date nu poate fi creat: %1").arg(dir.absolutePath()));
        return 1;
    }

    WindowContext context;
    try {
        if (!options.databaseUrl.isEmpty()) {
            // One shared database on the server holds the access password too.
            context.dataFile = options.databaseUrl;
            context.db = database::openServer(options.databaseUrl, QString::fromLatin1(DataConnectionName));
            context.sys = context.db;
        } else {
            context.dataFile = dir.absoluteFilePath(QStringLiteral("vok.db"));
            context.db = database::openSqlite(context.dataFile, QString::fromLatin1(DataConnectionName),
                                              DatabaseKind::Data);
            context.sys = database::openSqlite(dir.absoluteFilePath(QStringLiteral("sys.db")),
                                               QString::fromLatin1(SystemConnectionName), DatabaseKind::System);
        }
    } catch (const DbError &error) {
        messages.error(nullptr, error.message());
        return 1;
    }

    ProgramState state;
    PreviewReportService reports(context.db, &messages);
    context.messages = &messages;
    context.reports = &reports;
    context.state = &state;

    state.passwordAttempts = 1;
    bool passwordSet = false;
    try {
        passwordSet = PasswordStore(context.sys).isSet();
    } catch (const DbError &error) {
        messages.error(nullptr, QStringLiteral("sys.db: %1").arg(error.message()));
        return 1;
    }
    if (passwordSet) {
        PromptWindow prompt(context);
        if (prompt.exec() != QDialog::Accepted)
            return 0;
    }

    {
        SplashWindow splash(options.splashMilliseconds);
        splash.exec();
    }

    MainWindow menu(context);
    QObject::connect(&menu, &MainWindow::exitRequested, qApp, &QCoreApplication::quit);
    menu.show();
    return qApp->exec();
}

} // namespace vok
