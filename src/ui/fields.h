#pragma once

#include "base/texts.h"

#include <QString>

#include <functional>
#include <optional>

class QLineEdit;
class QWidget;

namespace vok {

class MessageService;

// What the boxes of every window do as the focus enters and leaves them. One
// watcher per box sees its focus changes; the focus that comes back with the
// window or from a popup, and the focus changes a message box causes, are no
// entry and no leave.
namespace fields {

// Entering the box selects its whole text (a text box, or the text of an
// editable list), so that typing replaces it.
void selectAllOnEntry(QWidget *box);

// An action run when the clerk enters `box`: after the focus change, once,
// while the box still has the focus and its window is shown.
void onEnter(QWidget *box, std::function<void()> action);

// An action run at once as the focus enters `box` (a list refilled before its
// popup opens), also when the focus comes with the window; run through
// guarded(), and after a failure not again until the focus has left the box
// for another one, so that the focus coming back as the message box closes
// does not start the failure over.
void onEntryNow(QWidget *box, MessageService *messages, std::function<void()> action);

// A check run when the clerk leaves `box` (not when the window loses the
// focus, nor because of a message box). It returns true when the box may be
// left; on false it has shown its message, and the focus goes back to the box
// with its text selected. The check runs after the focus change, once, and not
// at all once the window is hidden or closing.
void onLeave(QWidget *box, std::function<bool()> check);

// A numeric box: on leaving, an empty text becomes `defaultText` (when given),
// a number is rewritten with `mask` (kept as typed when the mask is empty),
// anything else gives "Introduceti doar numere !" and the focus back with the
// text unchanged. Also selects its text on entry.
void numericBox(QLineEdit *box, MessageService *messages, const QString &mask,
                std::optional<QString> defaultText = std::nullopt);

// A numeric box of kilometres: as numericBox, and a number below 0 gives
// " Numarul de kilometri nu poate fi negativ !!! " and the focus back with the
// text unchanged.
void kilometreBox(QLineEdit *box, MessageService *messages, const QString &mask,
                  std::optional<QString> defaultText = std::nullopt);

// The rule a numeric box applies to its text: the text to show, or nullopt
// when the text is refused.
std::optional<QString> numericText(const QString &text, const QString &mask,
                                   const std::optional<QString> &defaultText);

// Refuses what the clerk did in or for `box`: shows `message` (nothing when
// it is empty), gives the window back its activation and the focus to the
// box, with its text selected so that typing replaces it.
void refuse(MessageService *messages, QWidget *box, const QString &message);

// Marks a window as closing, so no check on leaving a box runs any more.
void setClosing(QWidget *window, bool closing = true);

} // namespace fields
} // namespace vok
