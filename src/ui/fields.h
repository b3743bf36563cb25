#pragma once

#include <QString>

#include <functional>
#include <optional>

class QLineEdit;
class QWidget;

namespace vok {

class MessageService;

// The messages of the field rules every window shares.
namespace texts {
inline QString onlyNumbers() { return QStringLiteral("Introduceti doar numere !"); }
// Most windows: three c. The settings header grid: two c.
inline QString apostropheRefused() { return QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! "); }
inline QString apostropheRefusedTwoC() { return QStringLiteral(" Nu se accepta caracterul apostrof (') !!! "); }
inline QString maxLength(int n) { return QStringLiteral(" Numarul maxim de caractere este %1 !!! ").arg(n); }
inline QString deleteRowQuestion() { return QStringLiteral("Stergeti inregistrarea curenta ? "); }
inline QString rowDeleted() { return QStringLiteral("Inregistrarea a fost stearsa"); }
inline QString deleteRowTitle() { return QStringLiteral("Stergere inregistrari"); }
} // namespace texts

namespace fields {

// Entering the box selects its whole text.
void selectAllOnEntry(QLineEdit *box);

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

// Marks a window as closing, so no check on leaving a box runs any more.
void setClosing(QWidget *window, bool closing = true);

} // namespace fields
} // namespace vok
