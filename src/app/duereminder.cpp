#include "app/duereminder.h"

#include "app/mainwindow.h"
#include "db/journal.h"
#include "fleet/documentstore.h"
#include "ui/guard.h"
#include "ui/windowcontext.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace vok::reminder {

namespace {

QString key(const QString &data, const QString &user)
{
    // QSettings keys may not hold slashes as text: the pair is kept hashed.
    return QStringLiteral("scadente/") + QString::fromLatin1(QByteArray(user.toUtf8() + '\n' + data.toUtf8()).toHex().left(200));
}

} // namespace

QString markFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath(QStringLiteral("reamintiri.ini"));
}

bool shownToday(const QString &data, const QString &user, const QDate &today)
{
    const QSettings marks(markFile(), QSettings::IniFormat);
    return marks.value(key(data, user)).toString() == today.toString(Qt::ISODate);
}

void markShown(const QString &data, const QString &user, const QDate &today)
{
    QSettings marks(markFile(), QSettings::IniFormat);
    marks.setValue(key(data, user), today.toString(Qt::ISODate));
    marks.sync();
}

bool showAtStart(const WindowContext &context, MainWindow &menu, const QDate &today)
{
    const QString user = journal::osUser();
    if (shownToday(context.dataFile, user, today))
        return false;
    bool due = false;
    if (!guarded(context.messages, &menu, [&] { due = !DocumentStore(context.db).dueItems(today).isEmpty(); }) || !due)
        return false;
    markShown(context.dataFile, user, today);
    menu.showDue();
    return true;
}

} // namespace vok::reminder
