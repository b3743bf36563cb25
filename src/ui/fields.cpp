#include "ui/fields.h"

#include "db/numbers.h"
#include "ui/messageservice.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

namespace vok::fields {

namespace {

const char closingProperty[] = "vokClosing";

// Set while a failed check gives the focus back, so the box that loses it then
// does not start a check of its own.
bool refocusing = false;

class SelectAllFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn) {
            QPointer<QLineEdit> box = qobject_cast<QLineEdit *>(watched);
            QTimer::singleShot(0, box, [box] {
                if (box && box->hasFocus())
                    box->selectAll();
            });
        }
        return false;
    }
};

class LeaveCheck : public QObject {
public:
    LeaveCheck(QWidget *box, std::function<bool()> check)
        : QObject(box)
        , m_box(box)
        , m_check(std::move(check))
    {
        box->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::FocusOut || m_pending || refocusing || MessageService::isShowing())
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        m_pending = true;
        QMetaObject::invokeMethod(this, &LeaveCheck::run, Qt::QueuedConnection);
        return false;
    }

private:
    void run()
    {
        m_pending = false;
        QWidget *window = m_box->window();
        if (!window->isVisible() || window->property(closingProperty).toBool())
            return;
        if (m_check())
            return;
        if (!window->isVisible() || window->property(closingProperty).toBool())
            return;
        refocusing = true;
        window->activateWindow();
        m_box->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(m_box))
            edit->selectAll();
        refocusing = false;
    }

    QWidget *m_box;
    std::function<bool()> m_check;
    bool m_pending = false;
};

} // namespace

void selectAllOnEntry(QLineEdit *box) { box->installEventFilter(new SelectAllFilter(box)); }

void onLeave(QWidget *box, std::function<bool()> check) { new LeaveCheck(box, std::move(check)); }

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
