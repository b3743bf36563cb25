#pragma once

#include "cards/reconcile.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>

// The fuel cards of the sample fleet: a card for most vehicles, and for one
// month a statement in the `vok` format and one e-invoice, both imported,
// with exactly one case of every finding of the reconciliation.
namespace vok::cards {

struct DemoCards {
    int year = 0, month = 0;
    QByteArray statement;        // the statement as imported (vok format)
    QByteArray invoice;          // the e-invoice as imported (UBL 2.1)
    QList<CardFinding> seeded;   // what the month's reconciliation must find: one of each kind
    int sheetsAdded = 0;         // the sheet without trips on which a card was used
};

// Registers the cards, writes the month's statement from the sheets' own
// refuelling, then the cases, and imports both files (at `when`, so that the
// data do not depend on the clock). Vehicles whose sheets would give a
// finding of their own get no card. Throws DbError.
DemoCards fillDemoCards(const QSqlDatabase &db, int year, int month, const QString &when);

} // namespace vok::cards
