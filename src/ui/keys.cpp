#include "ui/keys.h"

#include "ui/messageservice.h"
#include "ui/windowfocus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTableView>
#include <QTimer>

namespace vok::keys {

namespace {

const QColor markColour(0, 90, 200);
const QColor tintColour(255, 214, 0, 56);
constexpr int markWidth = 2;
constexpr int markGap = 1;

// A style that lets Alt and F10 take the clerk into the menu bar, on top of
// whatever style the desktop chose.
class MenuKeysStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The frame around the widget that has the focus: a child of that widget's
// window, over everything else, that lets the mouse through. Boxes and
// buttons are tinted as well; a grid, whose current cell shows, only framed.
class FocusMark : public QWidget {
public:
    explicit FocusMark(QWidget *window)
        : QWidget(window)
    {
        setObjectName(QLatin1String(focusMarkName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

    static FocusMark *of(QWidget *window)
    {
        if (auto *mark = window->findChild<FocusMark *>(QLatin1String(focusMarkName), Qt::FindDirectChildrenOnly))
            return mark;
        return new FocusMark(window);
    }

    void follow(QWidget *target)
    {
        if (m_target == target) {
            place();
            return;
        }
        if (m_target)
            m_target->removeEventFilter(this);
        m_target = target;
        if (m_target)
            m_target->installEventFilter(this);
        place();
    }

    void place()
    {
        if (!m_target || !m_target->isVisible() || !m_target->hasFocus()) {
            hide();
            return;
        }
        const int margin = markWidth + markGap;
        const QPoint topLeft = m_target->mapTo(parentWidget(), QPoint(0, 0));
        setGeometry(QRect(topLeft, m_target->size()).adjusted(-margin, -margin, margin, margin));
        raise();
        show();
        update();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_target) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
                QTimer::singleShot(0, this, [this] { place(); });
                break;
            default: break;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const int margin = markWidth + markGap;
        if (tinted())
            painter.fillRect(rect().adjusted(margin, margin, -margin, -margin), tintColour);
        QPen pen(markColour, markWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const qreal half = markWidth / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
    }

private:
    bool tinted() const
    {
        return qobject_cast<QLineEdit *>(m_target) || qobject_cast<QComboBox *>(m_target)
               || qobject_cast<QAbstractButton *>(m_target);
    }

    QPointer<QWidget> m_target;
};

// A grid entered without a current cell gets its first shown one, selected
// as a click would select it, so that the current row shows clearly.
void giveCurrentCell(QAbstractItemView *view)
{
    QAbstractItemModel *model = view->model();
    if (!model || model->rowCount() == 0)
        return;
    QModelIndex index = view->currentIndex();
    if (!index.isValid()) {
        int column = 0;
        if (auto *table = qobject_cast<QTableView *>(view))
            while (column < model->columnCount() && table->isColumnHidden(column))
                ++column;
        if (column >= model->columnCount())
            return;
        index = model->index(0, column);
    }
    QItemSelectionModel *selection = view->selectionModel();
    // Where several rows can be chosen the selection is the clerk's choice
    // (the fleet's marked vehicles): only the current cell is given.
    if (view->selectionMode() != QAbstractItemView::SingleSelection || !selection) {
        if (!view->currentIndex().isValid() && selection)
            selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        return;
    }
    if (selection->hasSelection() && index == view->currentIndex())
        return;
    const auto rows = view->selectionBehavior() == QAbstractItemView::SelectRows ? QItemSelectionModel::Rows
                                                                                 : QItemSelectionModel::NoUpdate;
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | rows);
}

void focusChanged(QWidget *old, QWidget *now)
{
    if (old && old->window() != (now ? now->window() : nullptr))
        if (auto *mark = old->window()->findChild<FocusMark *>(QLatin1String(focusMarkName),
                                                               Qt::FindDirectChildrenOnly))
            mark->follow(nullptr);
    if (!now)
        return;
    QWidget *window = now->window();
    // Popups (a list's drop-down, a menu) show their own current line; the
    // menu bar its own highlighted item.
    if (window->windowType() == Qt::Popup || now == window || qobject_cast<QMenuBar *>(now)) {
        if (auto *mark = window->findChild<FocusMark *>(QLatin1String(focusMarkName), Qt::FindDirectChildrenOnly))
            mark->follow(nullptr);
        return;
    }
    // A cell being edited is marked by the grid it belongs to.
    QWidget *target = now;
    for (QWidget *w = now->parentWidget(); w && w != window; w = w->parentWidget())
        if (auto *view = qobject_cast<QAbstractItemView *>(w)) {
            target = view;
            break;
        }
    if (auto *view = qobject_cast<QAbstractItemView *>(now))
        giveCurrentCell(view);
    FocusMark::of(window)->follow(target);
}

bool isEnter(const QKeyEvent *event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
           && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// The program's keys, seen before any widget gets them.
class KeyRules : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Every dialog gives the keyboard back as it closes (message boxes do
        // it themselves).
        if (event->type() == QEvent::Show) {
            if (auto *dialog = qobject_cast<QDialog *>(watched);
                dialog && dialog->isWindow() && !qobject_cast<QMessageBox *>(dialog))
                windowfocus::giveBackOnClose(dialog);
            return false;
        }
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = static_cast<QWidget *>(watched);
        if (!widget->hasFocus())
            return false; // passed on to a parent: already seen at the focus widget
        if (isEnter(key)) {
            if (auto *button = qobject_cast<QPushButton *>(widget); button && button->isEnabled()) {
                button->click();
                return true;
            }
            return false;
        }
        if (key->matches(QKeySequence::Save)
            || (key->key() == Qt::Key_S && key->modifiers() == Qt::ControlModifier)) {
            if (QPushButton *save = saveButton(widget->window())) {
                pressAfterLeaving(save);
                return true;
            }
        }
        return false;
    }
};

class EnterKey : public QObject {
public:
    EnterKey(QAbstractItemView *view, std::function<void(const QModelIndex &)> action)
        : QObject(view)
        , m_view(view)
        , m_action(std::move(action))
    {
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_view || event->type() != QEvent::KeyPress || !isEnter(static_cast<QKeyEvent *>(event))
            || !m_view->hasFocus())
            return false;
        const QModelIndex current = m_view->currentIndex();
        if (current.isValid())
            m_action(current);
        return true;
    }

private:
    QAbstractItemView *m_view;
    std::function<void(const QModelIndex &)> m_action;
};

// Clicks the button once the checks of the box left have run; a message box
// of theirs is answered first.
void pressWhenLeft(QPointer<QPushButton> button, QPointer<QWidget> left)
{
    if (!button)
        return;
    if (MessageService::isShowing()) {
        QTimer::singleShot(20, button, [button, left] { pressWhenLeft(button, left); });
        return;
    }
    if (!button->hasFocus() || !button->isEnabled() || !button->isVisible())
        return; // the box refused to be left, or sent the clerk elsewhere
    button->click();
    if (button && button->hasFocus() && left && left->isVisible() && left->isEnabled()
        && left->window() == button->window())
        left->setFocus(Qt::ActiveWindowFocusReason); // back where the clerk was typing: no new entry
}

} // namespace

void install()
{
    static QPointer<KeyRules> rules;
    // Nothing to do without widgets (a program or test without a display).
    if (rules || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    rules = new KeyRules(qApp);
    qApp->installEventFilter(rules);
    QObject::connect(qApp, &QApplication::focusChanged, rules, &focusChanged);
    if (!dynamic_cast<MenuKeysStyle *>(QApplication::style()))
        QApplication::setStyle(new MenuKeysStyle(QStyleFactory::create(QApplication::style()->name())));
}

QString caption(const QString &text)
{
    QString plain = text;
    return plain.remove(u'&');
}

namespace {
constexpr char saveMark[] = "vokSaveButton";
} // namespace

void setSaveButton(QPushButton *button) { button->setProperty(saveMark, true); }

QPushButton *saveButton(QWidget *window)
{
    if (!window)
        return nullptr;
    for (QPushButton *button : window->findChildren<QPushButton *>())
        if (button->window() == window && button->isVisible() && button->isEnabled()
            && button->property(saveMark).toBool())
            return button;
    return nullptr;
}

void pressAfterLeaving(QPushButton *button)
{
    QPointer<QWidget> left = QApplication::focusWidget();
    if (left != button) {
        button->window()->activateWindow();
        button->setFocus(Qt::ShortcutFocusReason);
    }
    // After the check of the box left, which is queued behind the focus change.
    QPointer<QPushButton> guard = button;
    QTimer::singleShot(0, button, [guard, left] { pressWhenLeft(guard, left); });
}

void onEnterKey(QAbstractItemView *view, std::function<void(const QModelIndex &)> action)
{
    new EnterKey(view, std::move(action));
}

} // namespace vok::keys
