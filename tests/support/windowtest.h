#pragma once

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

} // namespace vok::test
