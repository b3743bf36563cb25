#pragma once

// A clerk's keys as a script, played from the event loop into whatever has
// the focus, as on the clerk's screen. The player never activates a window
// itself: the program must give the keyboard back after every window and
// dialog, as it must without a window manager.

#include "testenvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHash>
#include <QKeySequence>
#include <QPointer>
#include <QTimer>
#include <QtTest>

namespace vok::test {

// One step of the clerk: a key (with its modifiers), or a check that the
// focus (or the active window) is where the clerk expects it.
struct KeyStep {
    enum Kind { Key, Focus, Window, Mark } kind;
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString name;
};

class KeyScript {
public:
    // Each character of `text` is one key.
    KeyScript &type(const QString &text)
    {
        for (QChar c : text)
            m_steps.push_back({KeyStep::Key, 0, Qt::NoModifier, QString(c)});
        return *this;
    }
    KeyScript &key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        m_steps.push_back({KeyStep::Key, key, modifiers, {}});
        return *this;
    }
    KeyScript &tab(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            key(Qt::Key_Tab);
        return *this;
    }
    // The focus must be on the control of that objectName.
    KeyScript &at(const char *name)
    {
        m_steps.push_back({KeyStep::Focus, 0, {}, QString::fromUtf8(name)});
        return *this;
    }
    // The window of that objectName must be the active one.
    KeyScript &window(const char *name)
    {
        m_steps.push_back({KeyStep::Window, 0, {}, QString::fromUtf8(name)});
        return *this;
    }
    KeyScript &mark(const char *name)
    {
        m_steps.push_back({KeyStep::Mark, 0, {}, QString::fromUtf8(name)});
        return *this;
    }

    const QList<KeyStep> &steps() const { return m_steps; }

    // The keys between two marks.
    int keysBetween(const QString &from, const QString &to) const
    {
        int count = 0;
        bool counting = false;
        for (const KeyStep &step : m_steps) {
            if (step.kind == KeyStep::Mark)
                counting = step.name == from ? true : step.name == to ? false : counting;
            else if (counting && step.kind == KeyStep::Key)
                ++count;
        }
        return count;
    }

    // The keys as the clerk reads them: "CJ Tab 4521 Tab ...".
    QString text(const QString &from, const QString &to) const
    {
        QStringList words;
        QString word;
        bool counting = false;
        auto flush = [&] {
            if (!word.isEmpty())
                words << word;
            word.clear();
        };
        for (const KeyStep &step : m_steps) {
            if (step.kind == KeyStep::Mark)
                counting = step.name == from ? true : step.name == to ? false : counting;
            if (!counting || step.kind != KeyStep::Key)
                continue;
            if (!step.name.isEmpty()) {
                word += step.name;
                continue;
            }
            flush();
            words << QKeySequence(int(step.modifiers) | step.key).toString();
        }
        flush();
        return words.join(u' ');
    }

private:
    QList<KeyStep> m_steps;
};

// Plays a script key by key from the event loop, so that it goes on inside
// the windows each key opens modally. Each key goes where the window system
// sends it: the control that has the keyboard in the active window; with no
// active window (the keyboard went to no window of the program) the player
// waits, then fails.
class KeyPlayer {
public:
    KeyPlayer(const KeyScript &script, TestEnvironment &env)
        : m_steps(script.steps())
        , m_env(env)
    {
    }

    void start() { QTimer::singleShot(0, qApp, [this] { tick(); }); }
    bool finished() const { return m_next >= m_steps.size() || !m_failure.isEmpty(); }
    QString failure() const { return m_failure; }
    // The messages shown since each mark.
    qsizetype messagesAt(const QString &mark) const { return m_messagesAtMark.value(mark, -1); }

private:
    static QString focusName()
    {
        QWidget *focus = QApplication::focusWidget();
        // A list's own text box answers for the list.
        if (focus && focus->objectName().isEmpty() && qobject_cast<QComboBox *>(focus->parentWidget()))
            return focus->parentWidget()->objectName();
        return focus ? focus->objectName() : QStringLiteral("(none)");
    }

    static QString name(QWidget *widget) { return widget ? widget->objectName() : QStringLiteral("none"); }

    void tick()
    {
        if (finished())
            return;
        const KeyStep &step = m_steps[m_next];
        QWidget *active = QApplication::activeWindow();
        switch (step.kind) {
        case KeyStep::Mark:
            m_messagesAtMark[step.name] = m_env.messages().messages().size();
            ++m_next;
            break;
        case KeyStep::Window:
            if (!active || active->objectName() != step.name)
                return wait(QStringLiteral("window %1 (step %2), active %3, modal %4")
                                .arg(step.name)
                                .arg(m_next)
                                .arg(name(active), name(QApplication::activeModalWidget())));
            ++m_next;
            break;
        case KeyStep::Focus:
            if (focusName() != step.name || !active)
                return wait(QStringLiteral("focus on %1 (step %2), found %3 in window %4")
                                .arg(step.name)
                                .arg(m_next)
                                .arg(focusName(), name(active)));
            ++m_next;
            break;
        case KeyStep::Key: {
            // As the window system delivers a key: to the active window's
            // focus widget, else to the window itself.
            QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : active;
            if (!target || !active)
                return wait(QStringLiteral("the keyboard for key %1 (step %2), active window %3")
                                .arg(step.name.isEmpty() ? QKeySequence(int(step.modifiers) | step.key).toString()
                                                         : step.name)
                                .arg(m_next)
                                .arg(name(active)));
            ++m_next;
            m_waited = 0;
            // The next key waits for this one's work, even a window it opens.
            QTimer::singleShot(15, qApp, [this] { tick(); });
            if (!step.name.isEmpty())
                QTest::keyClick(target, step.name.at(0).toLatin1());
            else
                QTest::keyClick(target, Qt::Key(step.key), step.modifiers);
            return;
        }
        }
        m_waited = 0;
        QTimer::singleShot(0, qApp, [this] { tick(); });
    }

    void wait(const QString &what)
    {
        if (++m_waited > 300) {
            m_failure = QStringLiteral("waited for ") + what;
            closeModals();
            return;
        }
        QTimer::singleShot(10, qApp, [this] { tick(); });
    }

    // Lets the test end: every window the keys opened is closed, the top one
    // first.
    static void closeModals()
    {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            dialog->reject();
            QTimer::singleShot(20, qApp, [] { closeModals(); });
        }
    }

    QList<KeyStep> m_steps;
    TestEnvironment &m_env;
    qsizetype m_next = 0;
    int m_waited = 0;
    QString m_failure;
    QHash<QString, qsizetype> m_messagesAtMark;
};

} // namespace vok::test
