#include "app/startup.h"

#include "app/databasemenu.h"
#include "app/duereminder.h"
#include "app/mainwindow.h"
#include "app/passwordwindows.h"
#include "app/splashwindow.h"
#include "db/automaticcopy.h"
#include "db/database.h"
#include "db/backup.h"
#include "db/journal.h"
#include "db/passwordstore.h"
#include "db/roles.h"
#include "reports/previewwindow.h"
#include "reports/reportservice.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <memory>

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

namespace {

// A database file that is missing, or empty with no WAL frames beside it
// (a first start interrupted before its first commit), holds no data.
bool holdsNothing(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists()
           || (info.isFile() && info.size() == 0 && QFileInfo(path + QStringLiteral("-wal")).size() <= 32);
}

// Opens the server database as the login of the address. When neither
// ~/.pgpass nor $PGPASSWORD gives the login's password, `par` asks for it
// (three tries). False when the clerk gave up.
bool openServerAsLogin(const QString &url, WindowContext &context)
{
    const QString name = QString::fromLatin1(DataConnectionName);
    try {
        context.db = database::openServer(url, name);
        return true;
    } catch (const PasswordNeeded &) {
    }
    QString failure;
    PromptWindow prompt(context, [&](const QString &typed) {
        try {
            context.db = database::openServer(url, name, typed);
        } catch (const PasswordNeeded &) {
            return false;
        } catch (const DbError &error) {
            // Not a matter of the password: said once the prompt closes.
            failure = error.message();
        }
        return true;
    });
    if (prompt.exec() != QDialog::Accepted)
        return false;
    if (!failure.isEmpty())
        throw DbError(failure);
    return true;
}

} // namespace

int runProgram(const StartupOptions &options)
{
    QtMessageService messages;
    const QDir dir(options.dataDir);
    if (options.databaseUrl.isEmpty() && !QDir().mkpath(dir.absolutePath())) {
        messages.error(nullptr, QStringLiteral("Dosarul de date nu poate fi creat: %1").arg(dir.absolutePath()));
        return 1;
    }

    // A replacement of the data files that a killed run left half-done is
    // completed before anything is opened.
    if (options.databaseUrl.isEmpty())
        for (const QString &line : backup::recoverInterrupted(dir.absolutePath()))
            std::fprintf(stderr, "vok: %s\n", qPrintable(line));

    WindowContext context;
    context.dataFile = dir.absoluteFilePath(QStringLiteral("vok.db"));
    const QString sysFile = dir.absoluteFilePath(QStringLiteral("sys.db"));
    // sys.db is created anew only together with vok.db: a data folder whose
    // password file went missing must not open without its password.
    if (options.databaseUrl.isEmpty() && holdsNothing(sysFile) && !holdsNothing(context.dataFile)) {
        messages.error(nullptr, QStringLiteral("sys.db: fisierul parolei lipseste sau este gol, iar vok.db "
                                               "contine date. Refaceti sys.db dintr-o copie. (%1)")
                                    .arg(sysFile));
        return 1;
    }
    ProgramState state;
    context.messages = &messages;
    context.state = &state;
    state.passwordAttempts = 1;
    try {
        if (!options.databaseUrl.isEmpty()) {
            // One shared database on the server; the login's own password
            // guards it, and its role says what the windows may do.
            context.dataFile = options.databaseUrl;
            if (!openServerAsLogin(options.databaseUrl, context))
                return 0;
            context.sys = context.db;
            state.login = roles::login(context.db);
            state.role = roles::roleOf(context.db);
        } else {
            context.db = database::openSqlite(context.dataFile, QString::fromLatin1(DataConnectionName),
                                              DatabaseKind::Data);
            context.sys = database::openSqlite(sysFile, QString::fromLatin1(SystemConnectionName),
                                               DatabaseKind::System);
            state.login = journal::osUser();
        }
    } catch (const DbError &error) {
        context.db = QSqlDatabase();
        context.sys = QSqlDatabase();
        database::close(QString::fromLatin1(DataConnectionName));
        database::close(QString::fromLatin1(SystemConnectionName));
        messages.error(nullptr, error.message());
        return 1;
    }

    PreviewReportService reports(context.db, &messages);
    context.reports = &reports;

    bool passwordSet = false;
    try {
        // On a server the login's password was asked for as it connected.
        passwordSet = options.databaseUrl.isEmpty() && PasswordStore(context.sys).isSet();
    } catch (const DbError &error) {
        // Whatever keeps the password from being read, the program does not
        // start without asking for it.
        messages.error(nullptr, QStringLiteral("sys.db: %1. Programul nu poate porni; refaceti sys.db dintr-o copie.")
                                    .arg(error.message()));
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
    menu.activateWindow(); // the keyboard's from the start, window manager or not
    // What lapses soon, once a day, over the menu as it first shows.
    QTimer::singleShot(0, &menu, [&context, &menu] { reminder::showAtStart(context, menu, QDate::currentDate()); });
    // The day's copy of the data folder, made beside the clerk's work; the
    // server's copies are its administrator's.
    std::unique_ptr<AutomaticCopy> automaticCopy;
    if (options.databaseUrl.isEmpty()) {
        automaticCopy = std::make_unique<AutomaticCopy>(dir.absolutePath());
        menu.databaseMenu()->setAutomaticCopy(automaticCopy.get());
        automaticCopy->start();
    }
    return qApp->exec();
}

} // namespace vok
