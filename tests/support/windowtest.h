#pragma once

#include <QLineEdit>
#include <QtTest>
#include <QWidget>

namespace vok::test {

// Shows a window the way the clerk gets it: exposed and active.
inline bool showActive(QWidget *window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// The child of that objectName and type; fails loudly when missing.
template <typename T> T *child(QWidget *window, const QString &name)
{
    T *widget = window->findChild<T *>(name);
    if (!widget)
        qWarning("no child %s", qPrintable(name));
    return widget;
}

// Types into a box the way the clerk does: focus, replace the selection,
// type; an empty text deletes what was there.
inline void type(QLineEdit *box, const QString &text)
{
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
}

} // namespace vok::test
