#pragma once

#include <QSqlDatabase>

#include <functional>

class QComboBox;
class QLabel;

namespace vok {

class MessageService;

namespace lists {

// Empties the list and fills it with `items`, keeping what it shows: the
// text typed in an editable list (no entry is chosen), the entry chosen in
// any other list when the new items have it. No signal is sent meanwhile.
void refill(QComboBox *list, const QStringList &items);

// Runs `fill` each time `list` gains the focus, except when the focus comes
// back from the list's own popup. A fill that throws DbError is shown through
// `messages` once: it is not tried again until the focus has left the list
// for another box, so the focus coming back as the message box closes does
// not start the failure over.
void refillOnEntry(QComboBox *list, MessageService *messages, std::function<void()> fill);

// For an editable list whose typed text is a key or is stored as typed: the
// text is never completed in place, and Enter never swaps it for an entry
// that differs from it (in letter case, say). The list drops down whole with
// its arrow or Alt+Down; only an entry the clerk picks replaces the text.
void keepTypedText(QComboBox *list);

// The caption of the make label `tip`: "Marca si tipul : " + make.
QString makeCaption(const QString &marca);

// "ianuarie" .. "decembrie".
void fillMonths(QComboBox *list);

// 2006 up to the current year, ascending.
void fillYears(QComboBox *list);

// Fills a year and a month list and chooses the current year and month.
void fillPeriod(QComboBox *years, QComboBox *months);

// The month (1..12) of a month list; 0 when none is chosen.
int chosenMonth(const QComboBox *list);
// The year of a year list; 0 when none is chosen.
int chosenYear(const QComboBox *list);

} // namespace lists
} // namespace vok
