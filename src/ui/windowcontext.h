#pragma once

#include "ui/messageservice.h"
#include "ui/programstate.h"

#include <QSqlDatabase>
#include <QString>

namespace vok {

class ReportService;

// What every window is given when it opens: the two databases, the message
// and report services, and the state the windows share for the whole run.
struct WindowContext {
    QSqlDatabase db;          // vok.db, the business data
    QSqlDatabase sys;         // sys.db, the access password
    QString dataFile;         // path of vok.db, handed to the reports
    MessageService *messages = nullptr;
    ReportService *reports = nullptr;
    ProgramState *state = nullptr;
};

} // namespace vok
