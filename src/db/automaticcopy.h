#pragma once

#include "db/backup.h"

#include <QObject>

#include <atomic>

class QThread;

namespace vok {

// The day's automatic copy of the data folder (backup::runAutomaticCopy),
// made on a thread and connections of its own while the clerk works. A
// failure is only noted (in backups/copii-automate.log and on stderr).
class AutomaticCopy : public QObject {
    Q_OBJECT
public:
    explicit AutomaticCopy(const QString &dataDir, QObject *parent = nullptr);
    // Stops a run still going (nothing half-made stays) and waits for it.
    ~AutomaticCopy() override;

    // Starts the run and returns at once.
    void start(const QDateTime &now = QDateTime::currentDateTime());
    // Stops a run in progress and waits until it has ended. Work that needs
    // the data folder to itself (restoring, compacting, importing) calls it
    // first; the day's copy is then made at a later start.
    void stop();
    bool isRunning() const;
    // What the last run did.
    backup::AutomaticOutcome outcome() const { return m_outcome; }

signals:
    // A run has ended (in the thread that started it).
    void finished();

private:
    QString m_dataDir;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_cancel{false};
    backup::AutomaticOutcome m_outcome;
};

} // namespace vok
