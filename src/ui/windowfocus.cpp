#include "ui/windowfocus.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace vok::windowfocus {

namespace {

const char returnName[] = "vokFocusReturn";

class FocusReturn : public QObject {
public:
    explicit FocusReturn(QWidget *dialog)
        : QObject(dialog)
        , m_dialog(dialog)
    {
        setObjectName(QLatin1String(returnName));
        dialog->installEventFilter(this);
        remember();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_dialog) {
            if (event->type() == QEvent::Show)
                remember();
            else if (event->type() == QEvent::Hide)
                giveBack();
        }
        return false;
    }

private:
    // The control that has the keyboard outside the dialog, as the dialog
    // shows: its window is still the active one.
    void remember()
    {
        QWidget *focus = QApplication::focusWidget();
        if (focus && focus->window() != m_dialog) {
            m_opener = focus;
            return;
        }
        QWidget *active = QApplication::activeWindow();
        if (active && active != m_dialog)
            m_opener = active->focusWidget() ? active->focusWidget() : active;
    }

    void giveBack()
    {
        QWidget *opener = m_opener;
        if (!opener && m_dialog->parentWidget())
            opener = m_dialog->parentWidget()->window();
        if (!opener)
            return;
        QWidget *window = opener->window();
        if (window == m_dialog || !window->isVisible())
            return;
        window->activateWindow();
        if (opener != window && opener->isVisible() && opener->isEnabled())
            opener->setFocus(Qt::ActiveWindowFocusReason);
    }

    QWidget *m_dialog;
    QPointer<QWidget> m_opener;
};

} // namespace

void giveBackOnClose(QWidget *dialog)
{
    if (!dialog || dialog->findChild<FocusReturn *>(QLatin1String(returnName), Qt::FindDirectChildrenOnly))
        return;
    new FocusReturn(dialog);
}

} // namespace vok::windowfocus
