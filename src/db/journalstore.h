#pragma once

#include "db/journal.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace vok {

// One row of the journal.
struct JournalEntry {
    qint64 idj = 0;
    QString cand;      // "yyyy-MM-dd HH:mm:ss", local time
    QString cine;      // the operating-system user, or the server's role
    QString fereastra; // the window (its objectName)
    QString tabela;
    qint64 cheie = 0;
    QString nrauto;
    QVariant nrf, nrc; // null when the change names none
    QString actiune;   // Change::inserted(), updated() or deleted()
    QString inainte, dupa; // the values, as journal::text() writes them
};

// What the journal window shows: every condition left empty (or invalid)
// leaves its filter out.
struct JournalFilter {
    QString nrauto;
    int nrf = 0;
    QDate from, to; // both days included
    QString cine;
};

// Reading the journal and bringing a deleted sheet back from it. Throws
// DbError when a statement fails.
class JournalStore {
public:
    explicit JournalStore(const QSqlDatabase &db);

    // The entries the filter lets through, newest first, at most `limit`.
    QList<JournalEntry> entries(const JournalFilter &filter, int limit = 5000) const;
    // Every registration number and every user the journal names, in order.
    QStringList vehicles() const;
    QStringList users() const;
    std::optional<JournalEntry> entry(qint64 idj) const;

    enum class Restore { Restored, NotADeletedSheet, VehicleGone, NumberReused };
    // Brings the closed months of the sheet's vehicle up to date once the
    // sheet is back, inside the restore's transaction: given the vehicle and
    // the sheet's year and month, returns the months it re-closed as the clerk
    // reads them ("martie 2026"). Throws DbError.
    using ClosedMonths = std::function<QStringList(const QSqlDatabase &db, int ida, int year, int month)>;
    // Brings back the sheet whose deletion is the entry `idj`, with its trips,
    // as they were (their keys included), in one transaction journalled for
    // `window`, with `months` run in it (the months it re-closed go to
    // `recomputed`); without `months`, the vehicle's row of the sheet's month
    // is dropped, as a new sheet in it would. Refused when the entry is no
    // sheet's deletion, when the vehicle is gone, or when the vehicle has a
    // sheet of that number again (or the sheet was brought back already).
    Restore restoreSheet(qint64 idj, const QString &window, const ClosedMonths &months = {},
                         QStringList *recomputed = nullptr);

private:
    QSqlDatabase m_db;
};

// The journal window's texts, kept with the store they describe.
namespace journaltexts {
QString restoreQuestion(int nrf, const QString &nrauto);
QString restoreRefusal(JournalStore::Restore result, int nrf, const QString &nrauto);
// " Foaia de parcurs a fost readusa ", with the months re-closed with it.
QString restored(const QStringList &recomputed = {});
// One line of values for the grid: "col=value; ..." in the order of the text.
QString valuesLine(const QString &values);
// The values of an entry for reading: one "col: value" a line.
QString valuesText(const QString &values);
} // namespace journaltexts

} // namespace vok
