#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
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

// Types `text` into a cell of the grid and presses Enter, as the clerk does;
// false when no editor opens.
inline bool typeInCell(QTableView *grid, int row, int column, const QString &text)
{
    const QModelIndex index = grid->model()->index(row, column);
    grid->setFocus(Qt::OtherFocusReason);
    grid->setCurrentIndex(index);
    grid->edit(index);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (!editor)
        return false;
    editor->selectAll();
    editor->insert(text);
    QTest::keyClick(editor, Qt::Key_Return);
    return true;
}

// A double-click on a cell as the clerk makes it: a click (press, release),
// then the second press.
inline void doubleClickCell(QTableView *grid, int row, int column)
{
    const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

} // namespace vok::test
