#pragma once

#include <QCursor>
#include <QGuiApplication>
#include <QString>

class QButtonGroup;
class QLabel;
class QPushButton;
class QWidget;

namespace vok::widgets {

// A push button named `name` that never becomes the dialog's default button
// (not auto-default): Enter does not click it, Space and the mouse do.
QPushButton *button(QWidget *parent, const QString &name, const QString &caption);

// A label with `buddy` as its buddy (its mnemonic moves the focus there).
QLabel *labelFor(QWidget *parent, const QString &text, QWidget *buddy);

// The wait cursor for as long as it lives (the scope of a long action).
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// Tab into the exclusive group lands on its checked button (on the first
// while none is checked); the arrows move within the group.
void tabToChecked(QButtonGroup *group);

// Sets the widget's own font bold.
void setBold(QWidget *widget);

// A bold, word-wrapped note named `name`.
QLabel *boldNote(QWidget *parent, const QString &name, const QString &text);

} // namespace vok::widgets
