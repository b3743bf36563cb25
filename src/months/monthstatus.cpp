#include "months/monthstatus.h"

#include "base/calendar.h"
#include "db/database.h"
#include "base/numbers.h"
#include "months/monthclose.h"

#include <algorithm>
#include <cmath>

namespace vok {

namespace {

// Equal as stored, or apart by no more than the rounding of sums added in
// another order (another engine's plan).
bool sameFigure(double a, double b)
{
    if (a == b || doubleValue(a) == doubleValue(b))
        return true;
    return std::abs(a - b) <= 1e-9 * std::max({1.0, std::abs(a), std::abs(b)});
}

struct ColumnInfo {
    const char *column;
    const char *caption;
    const char *mask;
};

// The captions and masks of the daily activity reports.
const ColumnInfo columnInfo[] = {
    {"ore", "Ore", "#0.0"},
    {"km", "Km parcursi", "#0.0"},
    {"kme", "Km echivalenti", "#0.0"},
    {"kminc", "Km cu incarcatura", "#0.0"},
    {"tone", "Tone", "#0.00"},
    {"tonekm", "Tone x km", "#0.00"},
    {"bm", "Benzina, motorina (litri)", "#0.000"},
    {"gz", "Gaz (litri)", "#0.000"},
    {"restit", "Restituiri (litri)", "#0.000"},
    {"restrez", "Rest in rezervor (litri)", "#0.00"},
    {"Cn", "Consum normat (litri)", "#0.000"},
    {"um", "Ulei motor", "#0.00"},
    {"ut", "Ulei transmisie", "#0.00"},
    {"ua", "Ulei instalatii auxiliare", "#0.00"},
    {"Cu", "Consum ulei (litri)", "#0.000"},
    {"kmt", "Km de la luarea in evidenta", "#0.0"},
    {"kmet", "Km echivalenti de la luarea in evidenta", "#0.0"},
};

const ColumnInfo *infoOf(const QString &column)
{
    for (const ColumnInfo &info : columnInfo)
        if (column == QLatin1String(info.column))
            return &info;
    return nullptr;
}

// The months of a vehicle's year as re-closing them in calendar order would
// leave them: each month with sheets opens from the month before as it would
// be after the recompute, January from the stored December.
VehicleMonths statusOf(int ida, int year, const VehicleYear &data)
{
    VehicleMonths result;
    result.ida = ida;
    result.nrauto = data.vehicle.nrauto;
    result.year = year;

    std::optional<MonthRow> previous = data.previousDecember; // as it would be after the recompute
    bool previousStored = data.previousDecember.has_value();  // as it is now
    bool sheetsBefore = data.sheetsBefore;
    for (int m = 1; m <= 12; ++m) {
        const size_t i = static_cast<size_t>(m - 1);
        MonthStatus &status = result.months[i];
        status.year = year;
        status.month = m;
        const auto &[sheets, trips] = data.totals[i];
        const std::optional<MonthRow> &stored = data.rows[i];
        if (sheets.sheets == 0) {
            status.state = MonthState::NoSheets;
            previous = stored;
            previousStored = stored.has_value();
            continue;
        }
        MonthOpening opening;
        if (previous) {
            opening.rest = previous->restrez;
            opening.km = previous->kmt;
            opening.kmEquiv = previous->kmet;
        } else {
            opening.fromSettings = true;
            opening.rest = data.vehicle.restrez;
            opening.km = data.vehicle.kmef;
            opening.kmEquiv = data.vehicle.kmechiv;
        }
        MonthRow recomputed = monthRow(ida, year, m, sheets, trips, data.vehicle.Cb, data.vehicle.Cf, opening);
        recomputed.idd = stored ? stored->idd : 0;
        status.recomputed = recomputed;
        status.stored = stored;
        if (!stored) {
            status.state = MonthState::NotClosed;
        } else {
            status.changes = rowChanges(*stored, recomputed);
            if (!status.changes.isEmpty())
                status.state = MonthState::Stale;
            else if (!previousStored && sheetsBefore)
                status.state = MonthState::Restarts;
            else
                status.state = MonthState::Current;
        }
        previous = recomputed;
        previousStored = stored.has_value();
        sheetsBefore = true;
    }
    return result;
}

QString plainNumber(double value) { return doubleText(value); }

} // namespace

bool VehicleMonths::needsRecompute() const
{
    return std::any_of(months.begin(), months.end(), [](const MonthStatus &m) {
        return m.state == MonthState::Stale || m.state == MonthState::NotClosed;
    });
}

QList<ColumnChange> rowChanges(const MonthRow &stored, const MonthRow &recomputed)
{
    QList<ColumnChange> changes;
    const auto before = stored.figures();
    const auto after = recomputed.figures();
    for (size_t i = 0; i < before.size(); ++i)
        if (!sameFigure(before[i], after[i]))
            changes.append({monthRowColumns()[i], before[i], after[i]});
    return changes;
}

VehicleMonths vehicleMonths(const QSqlDatabase &db, int ida, int year)
{
    return statusOf(ida, year, MonthStore(db).year(ida, year));
}

QList<VehicleMonths> fleetMonths(const QSqlDatabase &db, int year)
{
    QList<int> idas;
    for (const auto &[ida, nrauto] : MonthStore(db).listedVehicles())
        idas.append(ida);
    return vehiclesMonths(db, idas, year);
}

QList<VehicleMonths> vehiclesMonths(const QSqlDatabase &db, const QList<int> &idas, int year)
{
    const MonthStore store(db); // one store: each statement prepared once for all the vehicles
    QList<VehicleMonths> result;
    result.reserve(idas.size());
    for (int ida : idas)
        result.append(statusOf(ida, year, store.year(ida, year)));
    return result;
}

QList<MonthChange> recomputeChain(const QSqlDatabase &db, int ida, int fromYear, int fromMonth)
{
    Transaction transaction(db);
    const MonthStore store(db);
    QList<MonthChange> changed;
    for (const auto &[year, month] : store.sheetMonths(ida, fromYear, fromMonth)) {
        const std::optional<MonthRow> stored = store.row(ida, year, month);
        const MonthComputation computed = computeMonth(store, ida, year, month);
        writeMonth(store, computed);
        MonthChange change;
        change.year = year;
        change.month = month;
        if (!stored) {
            change.before = MonthState::NotClosed;
        } else {
            change.changes = rowChanges(*stored, computed.row);
            if (change.changes.isEmpty())
                continue;
        }
        changed.append(change);
    }
    transaction.commit();
    return changed;
}

QString stateName(MonthState state)
{
    switch (state) {
    case MonthState::Current: return QStringLiteral("current");
    case MonthState::Stale: return QStringLiteral("stale");
    case MonthState::NotClosed: return QStringLiteral("not-closed");
    case MonthState::Restarts: return QStringLiteral("restarts");
    case MonthState::NoSheets: break;
    }
    return QStringLiteral("no-sheets");
}

QString changesText(const QList<ColumnChange> &changes)
{
    QStringList parts;
    for (const ColumnChange &c : changes)
        parts << c.column + u':' + plainNumber(c.stored) + QStringLiteral("->") + plainNumber(c.recomputed);
    return parts.join(u',');
}

QString statusLine(const QString &nrauto, int year, int month, MonthState state,
                   const QList<ColumnChange> &changes)
{
    QString line = nrauto + u'\t' + QString::number(year) + u'\t' + QString::number(month) + u'\t'
                   + stateName(state);
    if (state == MonthState::Stale)
        line += u'\t' + changesText(changes);
    return line;
}

QString columnCaption(const QString &column)
{
    const ColumnInfo *info = infoOf(column);
    return info ? QString::fromLatin1(info->caption) : column;
}

QString columnMask(const QString &column)
{
    const ColumnInfo *info = infoOf(column);
    return info ? QString::fromLatin1(info->mask) : QStringLiteral("#0.000");
}

QString staleMonthNote(const QSqlDatabase &db, int ida, int year, int month)
{
    const MonthStore store(db);
    const std::optional<MonthRow> stored = store.row(ida, year, month);
    if (!stored)
        return {};
    const MonthComputation computed = computeMonth(store, ida, year, month);
    if (!computed.close.noSheets && rowChanges(*stored, computed.row).isEmpty())
        return {};
    return QStringLiteral("Atentie: V.O.K. %1 %2 nu mai este actualizat (vezi SITUATIE)")
        .arg(monthName(month))
        .arg(year);
}

} // namespace vok
