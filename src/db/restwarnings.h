#pragma once

// The rest in the tank of a closed month that cannot be true: below zero, or
// more than the tank holds (its capacity `auto.caprez` plus 1 l, when the
// capacity is known). Not an error of the data: "Verificare" and --check list
// it as a warning, and the V.O.K. window says so after closing the month.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace vok {

bool restOutOfRange(double rest, double capacity);

// One warning line: "avertisment:<TAB>nrauto<TAB>YEAR<TAB>MONTH<TAB>rest<TAB>why".
QString restWarningLine(const QString &nrauto, int year, int month, double rest, double capacity);

// True for a line of a check that is a warning, not a problem.
bool isWarning(const QString &line);

// What the V.O.K. window says after closing a month whose rest is out of range.
QString restWarningMessage(double rest, double capacity);

// The warning lines of every closed month whose rest is out of range, by
// vehicle, year and month. Throws DbError.
QStringList restWarnings(const QSqlDatabase &db);

} // namespace vok
