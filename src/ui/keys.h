#pragma once

#include <QString>

#include <functional>

class QAbstractItemView;
class QModelIndex;
class QPushButton;
class QWidget;

namespace vok {

// The keys every window of the program answers to, in one place, so that a
// clerk types a whole month without the mouse:
// - Enter on a focused button presses it (Enter in a text box presses
//   nothing);
// - Ctrl+S presses the "Salvare" button of the window, after the box being
//   typed in has been left as a Tab would leave it: a box that refuses its
//   text keeps the focus and nothing is saved;
// - every dialog, as it closes, gives the activation back to the window that
//   opened it, with the focus on the control that opened it
//   (windowfocus::giveBackOnClose);
// - a focus mark, a frame drawn around whatever has the focus, in every
//   window, the grids included; a grid entered without a current cell gets
//   its first one, so that the arrow keys have a place to start.
namespace keys {

// Installs the rules above for the whole program; once is enough, more is
// harmless.
void install();

// The caption a button goes by, without its '&' shortcut mark.
QString caption(const QString &text);

// Makes `button` the one Ctrl+S presses in its window: each window marks its
// "Salvare" when it builds it.
void setSaveButton(QPushButton *button);

// The button of `window` (its own, not a dialog's over it) marked by
// setSaveButton that is shown and enabled; nullptr when there is none.
QPushButton *saveButton(QWidget *window);

// Presses `button` as a Tab to it and Space would: the box being typed in is
// left first, and when its check keeps the focus the button is not pressed.
// The focus then goes back to that box unless the button's action moved it.
void pressAfterLeaving(QPushButton *button);

// Enter (either key) on a current row of `view` runs `action` with the
// current cell, as a double-click on it does.
void onEnterKey(QAbstractItemView *view, std::function<void(const QModelIndex &)> action);

// The focus mark's object name, so that checks over a window's children can
// pass it by.
inline constexpr char focusMarkName[] = "vokFocusMark";

} // namespace keys
} // namespace vok
