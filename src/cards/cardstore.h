#pragma once

#include "cards/efactura.h"
#include "cards/reconcile.h"
#include "cards/statement.h"

#include <QSqlDatabase>

// The stored side of the fuel cards: the register, the mappings, the imports
// of statements and e-invoices, and what a month's reconciliation reads.
// Every write leaves its journal rows; throws DbError when a statement fails.
namespace vok::cards {

struct CardRecord {
    int idcard = 0;
    int version = 0;
    QString nrcard;
    int ida = 0;
    QString nrauto; // of ida, for showing
    QString furnizor;
    QString dela; // dd.mm.yyyy or empty
    bool activ = true;
};

struct ImportRecord {
    int idi = 0;
    QString kind; // "extras" or "factura"
    QString fisier, furnizor, format, cand;
    int numar = 0;
    QString sha256;
};

// The SHA-256 of a file's bytes, in hex.
QString fileDigest(const QByteArray &data);

class CardStore {
public:
    explicit CardStore(const QSqlDatabase &db);

    QList<CardFormat> formats() const;
    // The mapping named `name`, or one with id 0 when there is none.
    CardFormat format(const QString &name) const;
    // Adds (id 0) or changes a mapping; returns it as stored. Throws StaleRecord
    // when another clerk changed it meanwhile.
    CardFormat saveFormat(const CardFormat &format, const QString &window) const;
    void deleteFormat(const CardFormat &format, const QString &window) const;

    QList<CardRecord> cards() const;
    CardRecord saveCard(const CardRecord &stored, const CardRecord &card, const QString &window) const;
    void deleteCard(const CardRecord &card, const QString &window) const;

    // The import of the file with this digest, statement or invoice; idi 0 when none.
    ImportRecord importOf(const QString &sha256) const;
    QList<ImportRecord> imports() const;

    // Stores a statement's transactions with their import in one transaction
    // and one journal row; returns the import's idi.
    int importStatement(const QString &fileName, const QString &supplier, const QString &formatName,
                        const QString &sha256, const QList<CardTransaction> &transactions, const QString &window,
                        const QString &when = {}) const;
    // `when` (yyyy-MM-dd HH:mm:ss) is now unless given.
    int importInvoice(const QString &fileName, const QString &sha256, const EInvoice &invoice, const QString &window,
                      const QString &when = {}) const;

    // What the reconciliation of a month reads.
    ReconcileInput loadMonth(int year, int month) const;

private:
    QSqlDatabase m_db;
};

} // namespace vok::cards
