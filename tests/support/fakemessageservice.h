#pragma once

#include "ui/messageservice.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <optional>

namespace vok::test {

// A scripted message service: records every message and answers questions
// from a queue. A question with no answer queued, or an answer left unused,
// is a problem the test must see (problems()).
class FakeMessageService : public MessageService {
public:
    enum class Kind { Inform, Confirm, Error };
    struct Message {
        Kind kind;
        QString text;
        QString title;
        Icon icon;
        // A question asked with "Nu" as its default button.
        bool noByDefault = false;
    };

    void inform(QWidget *parent, const QString &text, const QString &title = {},
                Icon icon = Icon::None) override;
    bool confirm(QWidget *parent, const QString &text, const QString &title = {},
                 Icon icon = Icon::None) override;
    bool confirmDestructive(QWidget *parent, const QString &text, const QString &title = {},
                            Icon icon = Icon::None) override;
    void error(QWidget *parent, const QString &text, const QString &title = {}) override;

    // Queues the answer to the next question (true = Yes).
    void answer(bool yes) { m_answers.enqueue(yes); }
    void answers(std::initializer_list<bool> yes) { for (bool a : yes) m_answers.enqueue(a); }
    // Answers every question with no answer queued (true = Yes), for tests
    // that ask an unknown number of questions; they are counted, not problems.
    void setDefaultAnswer(bool yes) { m_defaultAnswer = yes; }
    int defaultAnswers() const { return m_defaultAnswers; }

    const QList<Message> &messages() const { return m_messages; }
    // The texts of every message so far, in order.
    QStringList texts() const;
    // The last message's text; empty when none.
    QString last() const;
    void clear() { m_messages.clear(); }

    // Unexpected questions and unused answers; empty when the script ran as written.
    QStringList problems() const;

private:
    bool answerNext(const QString &text);

    QList<Message> m_messages;
    QQueue<bool> m_answers;
    QStringList m_unexpected;
    std::optional<bool> m_defaultAnswer;
    int m_defaultAnswers = 0;
};

} // namespace vok::test
