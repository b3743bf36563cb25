#pragma once

#include <QSqlDatabase>

class QComboBox;

namespace vok {

class MessageService;

namespace lists {

// Empties the list and fills it with the numbers of the vehicles offered
// (apar = 1), in order. The typed text of an editable list is kept. Throws
// DbError when the query fails.
void fillVehicles(QComboBox *list, const QSqlDatabase &db);

// Refills the vehicle list each time it gains the focus; a failed query is
// shown through `messages`.
void refillVehiclesOnFocus(QComboBox *list, const QSqlDatabase &db, MessageService *messages);

} // namespace lists
} // namespace vok
