#include "months/monthcli.h"

#include "db/commanddata.h"
#include "db/database.h"
#include "months/monthstatus.h"
#include "months/monthstore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <functional>

namespace vok {

namespace {

const char connectionName[] = "vok-months-cli";

int fail(QTextStream &errors, const QString &message) { return database::commandFailure(errors, message); }

// Opens the data, checks the year and runs `work` with them; a failure of
// either is an error (2) with its reason.
int withDatabase(const MonthCommand &command, QTextStream &errors,
                 const std::function<int(const QSqlDatabase &, int year)> &work)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    if (!fourDigits.match(command.year).hasMatch())
        return fail(errors, QStringLiteral("anul trebuie scris cu patru cifre, nu \"%1\"").arg(command.year));
    const int year = command.year.toInt();

    // Checking or recomputing months needs the data: a data folder without
    // vok.db is a mistake, not a new database.
    return database::withCommandData(command.dataDir, command.databaseUrl, QString::fromLatin1(connectionName), errors,
                                     [&](const QSqlDatabase &db) { return work(db, year); });
}

} // namespace

int runCheckMonths(const MonthCommand &command, QTextStream &out, QTextStream &errors)
{
    return withDatabase(command, errors, [&](const QSqlDatabase &db, int year) {
        bool notCurrent = false;
        for (const VehicleMonths &vehicle : fleetMonths(db, year)) {
            // The months of earlier years that carry a stale row into this one.
            for (const MonthChange &c : vehicle.earlier) {
                notCurrent = true;
                out << statusLine(vehicle.nrauto, c.year, c.month, c.before, c.changes) << '\n';
            }
            for (const MonthStatus &m : vehicle.months) {
                if (m.state == MonthState::Current || m.state == MonthState::NoSheets)
                    continue;
                notCurrent |= m.state != MonthState::Restarts;
                out << statusLine(vehicle.nrauto, year, m.month, m.state, m.changes) << '\n';
            }
        }
        out.flush();
        return notCurrent ? 1 : 0;
    });
}

int runRecomputeMonths(const MonthCommand &command, QTextStream &out, QTextStream &errors)
{
    return withDatabase(command, errors, [&](const QSqlDatabase &db, int year) {
        for (const auto &[ida, nrauto] : MonthStore(db).listedVehicles()) {
            const QList<MonthChange> changed = recomputeChain(db, ida, year, 1);
            for (const MonthChange &c : changed)
                out << statusLine(nrauto, c.year, c.month, c.before, c.changes) << '\n';
            // What is printed is written: a later failure leaves it so.
            out.flush();
        }
        return 0;
    });
}

} // namespace vok
