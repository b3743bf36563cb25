#include "ui/messageservice.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>

namespace vok {

namespace {
int showingCount = 0;

QMessageBox::Icon toQt(MessageService::Icon icon)
{
    switch (icon) {
    case MessageService::Icon::Information: return QMessageBox::Information;
    case MessageService::Icon::Warning: return QMessageBox::Warning;
    case MessageService::Icon::Critical: return QMessageBox::Critical;
    case MessageService::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// A name quoted ,,like this'' stays on one line: the box wraps the text
// around it, never inside it (word joiners between its characters).
QString quotesKeptWhole(const QString &text)
{
    static const QRegularExpression quoted(QStringLiteral(",,[^'\\n]{0,40}''"));
    QString shown;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &match : quoted.globalMatch(text)) {
        shown += text.mid(from, match.capturedStart() - from);
        const QString name = match.captured();
        for (qsizetype i = 0; i < name.size(); ++i) {
            if (i > 0)
                shown += QChar(0x2060);
            shown += name.at(i) == u' ' ? QChar(0x00A0) : name.at(i);
        }
        from = match.capturedEnd();
    }
    return shown + text.mid(from);
}

int run(QWidget *parent, const QString &text, const QString &title, MessageService::Icon icon,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(toQt(icon), title.isEmpty() ? defaultMessageTitle() : title, quotesKeptWhole(text), buttons,
                    parent);
    box.setDefaultButton(defaultButton);
    // The box takes the keyboard as it shows, so that keys typed meanwhile
    // answer it instead of going astray; the focus goes back afterwards.
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    // The clerk answers in the program's language.
    if (QAbstractButton *yes = box.button(QMessageBox::Yes))
        yes->setText(QStringLiteral("Da"));
    if (QAbstractButton *no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("Nu"));
    const int answer = box.exec();
    // The window gets the activation back: without a window manager to give
    // it, the focus would move inside an inactive window on the next Tab,
    // without the focus events that the checks on leaving a box wait for.
    if (parent && parent->window()->isVisible())
        parent->window()->activateWindow();
    return answer;
}
} // namespace

QString defaultMessageTitle() { return QStringLiteral("MECANIZARE - VOK"); }

bool MessageService::isShowing() { return showingCount > 0; }

MessageService::ShowingScope::ShowingScope() { ++showingCount; }
MessageService::ShowingScope::~ShowingScope() { --showingCount; }

void QtMessageService::inform(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    ShowingScope scope;
    run(parent, text, title, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessageService::confirm(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    ShowingScope scope;
    return run(parent, text, title, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
           == QMessageBox::Yes;
}

bool QtMessageService::confirmDestructive(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    ShowingScope scope;
    return run(parent, text, title, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void QtMessageService::error(QWidget *parent, const QString &text, const QString &title)
{
    ShowingScope scope;
    run(parent, text, title.isEmpty() ? QStringLiteral("Eroare") : title, Icon::Critical,
        QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace vok
