#include "fakemessageservice.h"

namespace vok::test {

void FakeMessageService::inform(QWidget *, const QString &text, const QString &title, Icon icon)
{
    m_messages.append({Kind::Inform, text, title, icon});
}

bool FakeMessageService::confirm(QWidget *, const QString &text, const QString &title, Icon icon)
{
    m_messages.append({Kind::Confirm, text, title, icon});
    return answerNext(text);
}

bool FakeMessageService::confirmDestructive(QWidget *, const QString &text, const QString &title, Icon icon)
{
    m_messages.append({Kind::Confirm, text, title, icon, true});
    return answerNext(text);
}

bool FakeMessageService::answerNext(const QString &text)
{
    if (m_answers.isEmpty() && m_defaultAnswer) {
        ++m_defaultAnswers;
        return *m_defaultAnswer;
    }
    if (m_answers.isEmpty()) {
        m_unexpected << QStringLiteral("unexpected question: ") + text;
        return false;
    }
    return m_answers.dequeue();
}

void FakeMessageService::error(QWidget *, const QString &text, const QString &title)
{
    m_messages.append({Kind::Error, text, title, Icon::Critical});
}

QStringList FakeMessageService::texts() const
{
    QStringList result;
    for (const Message &m : m_messages)
        result << m.text;
    return result;
}

QString FakeMessageService::last() const { return m_messages.isEmpty() ? QString() : m_messages.last().text; }

QStringList FakeMessageService::problems() const
{
    QStringList result = m_unexpected;
    if (!m_answers.isEmpty())
        result << QStringLiteral("%1 answer(s) left unused").arg(m_answers.size());
    return result;
}

} // namespace vok::test
