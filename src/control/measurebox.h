#pragma once

#include <QString>

#include <functional>

class QLineEdit;

namespace vok {

class MessageService;

namespace control {

// A box of an optional measurement (an odometer reading, a tank level): on
// leaving, blank stays blank (not recorded), a number is rewritten with
// `mask`, anything else gives "Introduceti doar numere !" and a number below
// 0 gives `negativeMessage`, each with the focus back and the text as typed.
// A value that passed runs `then` (another check of the box, with its own
// message) as the last word. Selects its text on entry.
void measureBox(QLineEdit *box, MessageService *messages, const QString &mask, const QString &negativeMessage,
                std::function<bool()> then = {});

} // namespace control
} // namespace vok
