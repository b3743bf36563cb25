#include "ui/fields.h"

#include "base/numbers.h"
#include "ui/guard.h"
#include "ui/messageservice.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <vector>

namespace vok::fields {

namespace {

const char closingProperty[] = "vokClosing";
const char watcherName[] = "vokFocusWatcher";

// Set while a failed check gives the focus back, so the box that loses it then
// does not start a check of its own.
bool refocusing = false;

bool isClosing(QWidget *window) { return !window->isVisible() || window->property(closingProperty).toBool(); }

// The text a box shows, for selecting it: a text box or an editable list's.
QLineEdit *textOf(QWidget *box)
{
    if (auto *edit = qobject_cast<QLineEdit *>(box))
        return edit;
    if (auto *list = qobject_cast<QComboBox *>(box))
        return list->lineEdit();
    return nullptr;
}

// The one watcher of a box's focus: everything the field rules do as the
// focus enters and leaves the box.
class FocusWatcher : public QObject {
public:
    static FocusWatcher *of(QWidget *box)
    {
        if (auto *watcher = box->findChild<QObject *>(QLatin1String(watcherName), Qt::FindDirectChildrenOnly))
            return static_cast<FocusWatcher *>(watcher);
        return new FocusWatcher(box);
    }

    bool selectAll = false;
    std::vector<std::function<void()>> enterActions;
    std::function<bool()> leaveCheck;
    struct Immediate {
        MessageService *messages = nullptr;
        std::function<void()> action;
        bool failed = false;
    };
    std::optional<Immediate> immediate;

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            entered(static_cast<QFocusEvent *>(event)->reason());
        else if (event->type() == QEvent::FocusOut)
            left(static_cast<QFocusEvent *>(event)->reason());
        return false;
    }

private:
    explicit FocusWatcher(QWidget *box)
        : QObject(box)
        , m_box(box)
    {
        setObjectName(QLatin1String(watcherName));
        box->installEventFilter(this);
    }

    static bool returning(Qt::FocusReason reason)
    {
        return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    }

    void entered(Qt::FocusReason reason)
    {
        // A list's own popup closing gives the focus back: no entry.
        if (immediate && reason != Qt::PopupFocusReason && !MessageService::isShowing() && !immediate->failed)
            immediate->failed = !guarded(immediate->messages, m_box->window(), immediate->action);
        if (!enterActions.empty() && !returning(reason) && !m_enterPending && !MessageService::isShowing()) {
            m_enterPending = true;
            QMetaObject::invokeMethod(this, &FocusWatcher::runEnter, Qt::QueuedConnection);
        }
        // A text box selects its text whatever brought the focus; a list not
        // when its popup closes.
        if (selectAll && (reason != Qt::PopupFocusReason || !qobject_cast<QComboBox *>(m_box))) {
            QPointer<QWidget> box = m_box;
            QTimer::singleShot(0, box, [box] {
                if (box && box->hasFocus())
                    if (QLineEdit *text = textOf(box))
                        text->selectAll();
            });
        }
    }

    void left(Qt::FocusReason reason)
    {
        if (immediate && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason
            && !MessageService::isShowing())
            immediate->failed = false; // left for another box: the next entry tries again
        if (leaveCheck && !returning(reason) && !m_leavePending && !refocusing && !MessageService::isShowing()) {
            m_leavePending = true;
            QMetaObject::invokeMethod(this, &FocusWatcher::runLeave, Qt::QueuedConnection);
        }
    }

    void runEnter()
    {
        m_enterPending = false;
        if (!m_box->window()->isVisible() || !m_box->hasFocus())
            return;
        for (const std::function<void()> &action : enterActions)
            action();
    }

    void runLeave()
    {
        m_leavePending = false;
        QWidget *window = m_box->window();
        if (isClosing(window) || leaveCheck())
            return;
        if (isClosing(window))
            return;
        refocusing = true;
        window->activateWindow();
        m_box->setFocus(Qt::OtherFocusReason);
        if (QLineEdit *text = textOf(m_box))
            text->selectAll();
        refocusing = false;
    }

    QWidget *m_box;
    bool m_enterPending = false;
    bool m_leavePending = false;
};

} // namespace

void selectAllOnEntry(QWidget *box) { FocusWatcher::of(box)->selectAll = true; }

void onEnter(QWidget *box, std::function<void()> action)
{
    FocusWatcher::of(box)->enterActions.push_back(std::move(action));
}

void onEntryNow(QWidget *box, MessageService *messages, std::function<void()> action)
{
    FocusWatcher::of(box)->immediate = FocusWatcher::Immediate{messages, std::move(action), false};
}

void onLeave(QWidget *box, std::function<bool()> check) { FocusWatcher::of(box)->leaveCheck = std::move(check); }

void refuse(MessageService *messages, QWidget *box, const QString &message)
{
    if (!message.isEmpty())
        messages->inform(box->window(), message);
    box->window()->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
    if (QLineEdit *text = textOf(box))
        text->selectAll();
}

std::optional<QString> numericText(const QString &text, const QString &mask,
                                   const std::optional<QString> &defaultText)
{
    QString value = text;
    if (value.isEmpty() && defaultText)
        value = *defaultText;
    if (!isNumber(value))
        return std::nullopt;
    return mask.isEmpty() ? value : formatNumber(readNumber(value), mask);
}

namespace {

void numberBox(QLineEdit *box, MessageService *messages, const QString &mask, std::optional<QString> defaultText,
               bool refuseNegative)
{
    selectAllOnEntry(box);
    onLeave(box, [box, messages, mask, defaultText, refuseNegative] {
        const std::optional<QString> text = numericText(box->text(), mask, defaultText);
        if (!text) {
            messages->inform(box->window(), texts::onlyNumbers());
            return false;
        }
        if (refuseNegative && readNumber(*text) < 0) {
            messages->inform(box->window(), negativeKmMessage());
            return false;
        }
        if (*text != box->text())
            box->setText(*text);
        return true;
    });
}

} // namespace

void numericBox(QLineEdit *box, MessageService *messages, const QString &mask,
                std::optional<QString> defaultText)
{
    numberBox(box, messages, mask, std::move(defaultText), false);
}

void kilometreBox(QLineEdit *box, MessageService *messages, const QString &mask,
                  std::optional<QString> defaultText)
{
    numberBox(box, messages, mask, std::move(defaultText), true);
}

void setClosing(QWidget *window, bool closing) { window->setProperty(closingProperty, closing); }

} // namespace vok::fields
