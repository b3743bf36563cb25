#include "db/automaticcopy.h"

#include <QThread>

#include <cstdio>

namespace vok {

AutomaticCopy::AutomaticCopy(const QString &dataDir, QObject *parent)
    : QObject(parent)
    , m_dataDir(dataDir)
{
}

AutomaticCopy::~AutomaticCopy() { stop(); }

void AutomaticCopy::start(const QDateTime &now)
{
    if (isRunning())
        return;
    stop();
    m_cancel = false;
    m_thread = QThread::create([this, now] {
        m_outcome = backup::runAutomaticCopy(m_dataDir, now, [this](qint64, qint64) { return !m_cancel.load(); });
        if (m_outcome.kind == backup::AutomaticOutcome::Failed)
            std::fprintf(stderr, "vok: copia automata a datelor: %s\n", qPrintable(m_outcome.message));
    });
    connect(m_thread, &QThread::finished, this, &AutomaticCopy::finished);
    m_thread->start(QThread::LowPriority);
}

void AutomaticCopy::stop()
{
    if (!m_thread)
        return;
    m_cancel = true;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

bool AutomaticCopy::isRunning() const { return m_thread && m_thread->isRunning(); }

} // namespace vok
