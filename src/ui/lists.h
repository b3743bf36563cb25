#pragma once

#include <QSqlDatabase>

class QComboBox;
class QLabel;

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
