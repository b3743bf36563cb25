#pragma once

#include <QDate>
#include <QString>

namespace vok {

class MainWindow;
struct WindowContext;

// The reminder at start: the window "Scadente" over the menu, after the
// password and the splash, at most once a day per user and data, and only
// when something is due (or overdue).
namespace reminder {

// Where the day of the last reminder is kept: a small file in the user's
// configuration folder, one entry per user and data file (or server).
QString markFile();
bool shownToday(const QString &data, const QString &user, const QDate &today);
void markShown(const QString &data, const QString &user, const QDate &today);

// Shows the reminder over `menu` when it is due today; a failure to read what
// is due is told, and the program goes on. Returns true when it was shown.
bool showAtStart(const WindowContext &context, MainWindow &menu, const QDate &today);

} // namespace reminder
} // namespace vok
