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

MonthOpening openingFrom(const std::optional<MonthRow> &previous, const MonthVehicle &vehicle)
{
    MonthOpening opening;
    if (previous) {
        opening.rest = previous->restrez;
        opening.km = previous->kmt;
        opening.kmEquiv = previous->kmet;
    } else {
        opening.fromSettings = true;
        opening.rest = vehicle.restrez;
        opening.km = vehicle.kmef;
        opening.kmEquiv = vehicle.kmechiv;
    }
    return opening;
}

MonthVehicle vehicleOf(const MonthBasis &basis)
{
    MonthVehicle v;
    v.found = basis.vehicleFound;
    v.Cb = basis.Cb;
    v.Cf = basis.Cf;
    v.restrez = basis.restrez;
    v.kmef = basis.kmef;
    v.kmechiv = basis.kmechiv;
    return v;
}

// The month before the one being looked at, as it is and as the recompute
// would leave it.
struct ChainState {
    std::optional<MonthRow> stored;
    std::optional<MonthRow> recomputed;
    // As re-closing only the months that are closed would leave it (a month
    // never closed stays so, the one after it opens from SETARI).
    std::optional<MonthRow> closedOnly;
    // What it hands on (rest, km, equivalent km) is not what it would hand on
    // after the recompute: it, or a closed month of its run before it, is
    // not true in a figure that carries over.
    bool carriesStale = false;
};

bool carriesOtherwise(const MonthRow &stored, const MonthRow &recomputed)
{
    return !sameFigure(stored.restrez, recomputed.restrez) || !sameFigure(stored.kmt, recomputed.kmt)
           || !sameFigure(stored.kmet, recomputed.kmet);
}

// The differing figures of a month of an earlier year, whose hours were
// summed as one sum (MonthStore::chainBefore), not sheet by sheet in single
// precision: they may round to the other tenth.
QList<ColumnChange> chainChanges(const MonthRow &stored, const MonthRow &recomputed)
{
    QList<ColumnChange> changes = rowChanges(stored, recomputed);
    changes.removeIf([](const ColumnChange &c) {
        return c.column == QLatin1String("ore") && std::abs(c.stored - c.recomputed) <= 0.1 + 1e-9;
    });
    return changes;
}

bool anySummed(const QList<ChainMonth> &chain)
{
    return std::any_of(chain.begin(), chain.end(), [](const ChainMonth &m) { return m.summed; });
}

// Walks the run of closed months that carries over into a later month
// (MonthStore::chainBefore), oldest first; its first month opens from SETARI.
// The stale ones are added to `stale` with what their recompute would change.
ChainState walkChain(int ida, const MonthVehicle &vehicle, const QList<ChainMonth> &chain, QList<MonthChange> &stale)
{
    ChainState state;
    for (const ChainMonth &m : chain) {
        if (!m.summed || m.sheets.sheets == 0) {
            // Unchanged since its closing, or a row left in a month without
            // sheets (no recompute rewrites it): it stands as stored.
            state.stored = m.row;
            state.recomputed = m.row;
            state.closedOnly = m.row;
            continue;
        }
        const MonthRow local = monthRow(ida, m.year, m.month, m.sheets, m.trips, vehicle.Cb, vehicle.Cf,
                                        openingFrom(state.stored, vehicle));
        MonthRow again = monthRow(ida, m.year, m.month, m.sheets, m.trips, vehicle.Cb, vehicle.Cf,
                                  openingFrom(state.recomputed, vehicle));
        again.idd = m.row.idd;
        if (state.carriesStale || !chainChanges(m.row, local).isEmpty())
            stale.append({m.year, m.month, MonthState::Stale, chainChanges(m.row, again)});
        state.stored = m.row;
        state.recomputed = again;
        state.closedOnly = again;
        state.carriesStale = carriesOtherwise(m.row, again);
    }
    return state;
}

// The months of a vehicle's year: each closed month checked against closing
// it again from the stored month before, after the run of closed months of
// earlier years that carries over into January.
VehicleMonths statusOf(int ida, int year, const VehicleYear &data, const QList<ChainMonth> &before)
{
    VehicleMonths result;
    result.ida = ida;
    result.nrauto = data.vehicle.nrauto;
    result.year = year;

    QList<MonthChange> earlier;
    ChainState previous = walkChain(ida, data.vehicle, before, earlier);
    // Only what carries a wrong figure over into the year concerns it.
    if (previous.carriesStale && (data.totals[0].first.sheets > 0 || data.rows[0]))
        result.earlier = earlier;
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
            previous.stored = stored;
            previous.recomputed = stored;
            previous.closedOnly = stored;
            if (!stored)
                previous.carriesStale = false;
            continue;
        }
        const MonthVehicle &v = data.vehicle;
        MonthRow recomputed = monthRow(ida, year, m, sheets, trips, v.Cb, v.Cf, openingFrom(previous.recomputed, v));
        recomputed.idd = stored ? stored->idd : 0;
        status.recomputed = recomputed;
        status.stored = stored;
        if (!stored) {
            status.state = MonthState::NotClosed;
        } else {
            const MonthRow local = monthRow(ida, year, m, sheets, trips, v.Cb, v.Cf, openingFrom(previous.stored, v));
            if (previous.carriesStale || !rowChanges(*stored, local).isEmpty()) {
                status.state = MonthState::Stale;
                status.changes = rowChanges(*stored, recomputed);
            } else if (!previous.stored && sheetsBefore) {
                status.state = MonthState::Restarts;
            } else {
                status.state = MonthState::Current;
            }
        }
        // What it hands on is stale when re-closing the closed months would
        // change it; a month never closed hands on nothing.
        std::optional<MonthRow> closedOnly;
        if (stored)
            closedOnly = monthRow(ida, year, m, sheets, trips, v.Cb, v.Cf, openingFrom(previous.closedOnly, v));
        previous.carriesStale = stored && carriesOtherwise(*stored, *closedOnly);
        previous.stored = stored;
        previous.recomputed = recomputed;
        previous.closedOnly = closedOnly;
        sheetsBefore = true;
    }
    return result;
}

// Re-closes the months with sheets of a vehicle from a month on, in the
// caller's transaction, starting earlier when a closed month that carries
// over into it is stale. `closedOnly`: months without a row stay so.
QList<MonthChange> recompute(const MonthStore &store, int ida, int fromYear, int fromMonth, bool closedOnly)
{
    QList<MonthChange> stale;
    store.lockMarked(ida);
    const QList<ChainMonth> chain = store.chainBefore(ida, fromYear, fromMonth);
    if (anySummed(chain)) {
        const MonthVehicle vehicle = vehicleOf(store.basis(ida, fromYear, fromMonth, fromYear, fromMonth));
        walkChain(ida, vehicle, chain, stale);
        // A marked month found to be what its sums give loses its mark; the
        // stale ones lose theirs when they are written below.
        for (const ChainMonth &m : chain)
            if (m.summed && std::none_of(stale.begin(), stale.end(), [&](const MonthChange &c) {
                    return c.year == m.year && c.month == m.month;
                }))
                store.unmark(ida, m.year, m.month);
    }
    const int startYear = stale.isEmpty() ? fromYear : stale.first().year;
    const int startMonth = stale.isEmpty() ? fromMonth : stale.first().month;
    QList<MonthChange> changed;
    for (const auto &[year, month] : store.sheetMonths(ida, startYear, startMonth)) {
        const std::optional<MonthRow> stored = store.row(ida, year, month);
        if (closedOnly && !stored)
            continue;
        const MonthComputation computed = computeMonth(store, ida, year, month, true);
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
    return changed;
}

QString plainNumber(double value) { return doubleText(value); }

} // namespace

bool VehicleMonths::needsRecompute() const
{
    return !earlier.isEmpty() || std::any_of(months.begin(), months.end(), [](const MonthStatus &m) {
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
    const MonthStore store(db);
    return statusOf(ida, year, store.year(ida, year), store.chainBefore(ida, year, 1));
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
        result.append(statusOf(ida, year, store.year(ida, year), store.chainBefore(ida, year, 1)));
    return result;
}

QList<MonthChange> recomputeChain(const QSqlDatabase &db, int ida, int fromYear, int fromMonth)
{
    Transaction transaction(db, Transaction::Write);
    const MonthStore store(db);
    const QList<MonthChange> changed = recompute(store, ida, fromYear, fromMonth, false);
    transaction.commit();
    return changed;
}

QStringList recloseAfterRestore(const QSqlDatabase &db, int ida, int year, int month)
{
    const MonthStore store(db);
    if (!store.row(ida, year, month))
        return {};
    QStringList months;
    for (const MonthChange &c : recompute(store, ida, year, month, true))
        months << monthName(c.month) + u' ' + QString::number(c.year);
    return months;
}

OpeningCheck checkOpening(const QSqlDatabase &db, int ida, int year, int month)
{
    const MonthStore store(db);
    return checkOpening(store, ida, year, month);
}

OpeningCheck checkOpening(const MonthStore &store, int ida, int year, int month)
{
    OpeningCheck check;
    check.previousYear = month == 1 ? year - 1 : year;
    check.previousMonth = month == 1 ? 12 : month - 1;
    const QList<ChainMonth> chain = store.chainBefore(ida, year, month);
    if (chain.isEmpty()) {
        check.previousNotClosed = store.hasSheets(ida, check.previousYear, check.previousMonth);
        return check;
    }
    if (!anySummed(chain))
        return check; // nothing it is made of changed since its months were closed
    const MonthVehicle vehicle = vehicleOf(store.basis(ida, year, month, check.previousYear, check.previousMonth));
    walkChain(ida, vehicle, chain, check.stale);
    return check;
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
