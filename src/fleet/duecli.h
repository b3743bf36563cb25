#pragma once

#include <QDate>
#include <QString>

class QTextStream;

namespace vok {

// What lapses within DAYS days, from the command line, without a window:
//   vok [--data-dir DIR | --database URL] --due DAYS
// One line per document in force or driver's paper whose end date is at most
// DAYS days away or past, and per service due within the settings' km or
// past: kind<TAB>subject<TAB>what<TAB>when<TAB>left (due::line), sorted by
// kind, left, subject and what. Reasons go to `errors`.
struct DueCommand {
    QString dataDir;
    QString databaseUrl; // a shared PostgreSQL database instead of the data folder
    QString days;        // as typed: a whole number, 0 or more
    QDate today;         // the day counted from (the current day when invalid)
};

// Exit code 0 when nothing is due, 1 when something is, 2 on an error.
int runDueCommand(const DueCommand &command, QTextStream &out, QTextStream &errors);

} // namespace vok
