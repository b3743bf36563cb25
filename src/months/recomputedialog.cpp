#include "months/recomputedialog.h"

#include "ui/guard.h"
#include "ui/widgets.h"

#include <QProgressDialog>

namespace vok {

QString recomputeQuestionText()
{
    return QStringLiteral(" Unele luni nu sunt actualizate (vezi SITUATIE). Recalculati inainte de raport? ");
}

RecomputeRun recomputeWithProgress(const WindowContext &context, QWidget *parent,
                                   const QList<ListedVehicle> &vehicles, int fromYear, int fromMonth)
{
    RecomputeRun run;
    QProgressDialog progress(QStringLiteral("Recalculare V.O.K."), QStringLiteral("Oprire"), 0,
                             static_cast<int>(vehicles.size()), parent);
    progress.setObjectName(QStringLiteral("recalculare"));
    progress.setWindowTitle(QStringLiteral("Recalculare"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    for (const auto &[ida, nrauto] : vehicles) {
        // Cancelled between vehicles: the ones done stay done.
        if (progress.wasCanceled()) {
            run.complete = false;
            break;
        }
        progress.setLabelText(QStringLiteral("Recalculare V.O.K. %1 ...").arg(nrauto));
        QList<MonthChange> changed;
        const bool done = guarded(context.messages, parent, [&] {
            widgets::WaitCursor wait;
            changed = recomputeChain(context.db, ida, fromYear, fromMonth);
        });
        if (!done) {
            run.complete = false;
            run.failed = true;
            break;
        }
        ++run.vehiclesDone;
        run.monthsChanged += static_cast<int>(changed.size());
        progress.setValue(run.vehiclesDone);
    }
    return run;
}

bool offerRecomputeBeforeReport(const WindowContext &context, QWidget *parent,
                                const QList<ListedVehicle> &vehicles, int year, int month)
{
    QList<ListedVehicle> concerned;
    const bool read = guarded(context.messages, parent, [&] {
        widgets::WaitCursor wait;
        QList<int> idas;
        for (const ListedVehicle &vehicle : vehicles)
            idas.append(vehicle.first);
        const QList<VehicleMonths> statuses = vehiclesMonths(context.db, idas, year);
        for (int i = 0; i < statuses.size(); ++i) {
            bool stale = false;
            for (const MonthStatus &m : statuses.at(i).months)
                if ((month == 0 || m.month == month)
                    && (m.state == MonthState::Stale || m.state == MonthState::NotClosed))
                    stale = true;
            if (stale)
                concerned.append(vehicles.at(i));
        }
    });
    if (!read)
        return false;
    if (concerned.isEmpty())
        return true;
    if (!context.messages->confirm(parent, recomputeQuestionText()))
        return true;
    return recomputeWithProgress(context, parent, concerned, year, 1).complete;
}

} // namespace vok
