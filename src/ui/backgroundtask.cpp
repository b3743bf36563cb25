#include "ui/backgroundtask.h"

#include <QCloseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>

namespace vok {

namespace {

// A progress window that the clerk closes only when the work may stop.
class ProgressWindow : public QProgressDialog {
public:
    ProgressWindow(QWidget *parent, const QString &label, bool cancellable)
        : QProgressDialog(parent)
        , m_cancellable(cancellable)
    {
        setObjectName(QStringLiteral("progres"));
        setWindowTitle(QStringLiteral("Va rugam asteptati"));
        setLabelText(label);
        setWindowModality(Qt::ApplicationModal);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
        setRange(0, 0);
        setMinimumWidth(420);
        if (cancellable) {
            auto *button = new QPushButton(QStringLiteral("Renunta"), this);
            button->setObjectName(QStringLiteral("renunta"));
            setCancelButton(button);
        } else {
            setCancelButton(nullptr);
        }
    }

    bool stopAsked() const { return m_stop; }

    void reject() override
    {
        if (!m_cancellable || m_stop)
            return;
        m_stop = true;
        setLabelText(labelText() + QStringLiteral("\nSe opreste..."));
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        reject();
    }

private:
    bool m_cancellable;
    bool m_stop = false;
};

} // namespace

void runInBackground(QWidget *parent, const QString &label, bool cancellable,
                     const std::function<void(const TaskProgress &)> &work)
{
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;

    ProgressWindow window(parent, label, cancellable);
    // The button's click goes through reject(), which only notes the wish.
    // QProgressDialog makes its own connection by name: it is undone by name,
    // else cancel() would hide the window and end exec() with the work going on.
    QObject::disconnect(&window, SIGNAL(canceled()), &window, SLOT(cancel()));
    QObject::disconnect(&window, &QProgressDialog::canceled, &window, &QProgressDialog::cancel);
    QObject::connect(&window, &QProgressDialog::canceled, &window, &ProgressWindow::reject);

    QThread *thread = QThread::create([&] {
        try {
            work([&](qint64 d, qint64 t) {
                done = d;
                total = t;
                return !stop.load();
            });
        } catch (...) {
            failure = std::current_exception();
        }
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        stop = window.stopAsked();
        const qint64 t = total.load();
        if (t > 0) {
            window.setRange(0, 1000);
            window.setValue(int(done.load() * 1000 / t));
        }
    });
    QObject::connect(thread, &QThread::finished, &window, [&] { window.done(QDialog::Accepted); });
    poll.start(100);
    thread->start();
    window.exec();
    thread->wait();
    delete thread;
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace vok
