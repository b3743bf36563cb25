#pragma once

#include "db/backup.h"
#include "ui/backgroundtask.h"
#include "ui/filedialog.h"
#include "ui/windowcontext.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <optional>

namespace vok {

class AutomaticCopy;

// The items of "BAZA-DATE": copies of the data, restoring one, checking and
// compacting the database, bringing in the former program's files. The work itself is in db/backup.h; these are its
// questions and messages. On a PostgreSQL server the server's own tools do
// the copying, and the check looks at the data's consistency only.
class DatabaseMenu : public QObject {
    Q_OBJECT
public:
    // `context` is the main window's: its connections are closed and opened
    // again when the data folder's files are replaced.
    DatabaseMenu(WindowContext &context, QWidget *window);

    // The day's automatic copy, stopped before the files are replaced.
    void setAutomaticCopy(AutomaticCopy *copy) { m_automatic = copy; }

    void compact();      // "Compactare"
    void copy();         // "Copie de siguranta"
    void restore();      // "Restaurare"
    void check();        // "Verificare"
    void importOldData(); // "Import date vechi": vok.mdb and sys.mdb of the former program

    // How a file or folder is chosen; tests replace it.
    std::function<QString(const FileRequest &)> chooseFile;
    // The time the names of copies carry; tests replace it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Asks the current password before the password file is replaced
    // (`parolacurenta`); nullopt when the clerk gives it up.
    std::function<std::optional<QString>()> askPassword;

    // The text shown when the data are on a server.
    static QString serverText();

private:
    bool onServer() const;
    QString dataDir() const;
    void stopAutomaticCopy();
    void closeDatabases();
    bool reopenDatabases();
    // Before the password file is replaced: true when the data hold no
    // password, when it cannot be read (said), or when the clerk gives it.
    bool currentPasswordGiven();
    // Puts prepared files in place of the data folder's (the connections
    // closed meanwhile and opened again); false, with the message shown,
    // when they could not go in.
    // Runs `work` in the background behind `label` and tells the clerk how
    // it failed: a stop asked with "Renunta" says `stopped` (nothing when
    // empty), a refusal of the file (a foreign copy, an unreadable old file)
    // goes to `refuse`, any other failure is shown as an error. True when the
    // work finished.
    bool runTask(const QString &label, bool cancellable, const std::function<void(const TaskProgress &)> &work,
                 const QString &stopped = {}, const std::function<void(const QString &)> &refuse = {});
    bool installPrepared(const backup::Prepared &prepared, const QString &asideTag,
                         const std::function<void(const QString &)> &refuse, backup::Installed &installed);

    WindowContext &m_context;
    QWidget *m_window;
    AutomaticCopy *m_automatic = nullptr;
};

} // namespace vok
