#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

// The month's check of the fuel cards: what the statements and the e-invoices
// say was pumped, against the sheets' refuelling, the trips, the tank and the
// card register. Pure functions of plain rows: nothing is read or changed.
namespace vok::cards {

enum class CardFindingKind {
    UnknownCard,        // neither card nor plate known
    PlateMismatch,      // a registered card used with another vehicle's plate
    NoSheet,            // no sheet of the vehicle on that date
    QuantityDifference, // a sheet's card litres far from its bm + gz
    NoTransaction,      // a sheet with fuel, of a card's vehicle, with no transaction
    Duplicate,          // one transaction on the statements more than once
    OverCapacity,       // more litres than the tank holds, or than room was left in it
    NoKm,               // fuel on a sheet whose trips total 0 km
    NonFuel,            // a product neither fuel nor allowed
    InvoiceDifference,  // an e-invoice's litres far from its supplier's statements
};

QString kindName(CardFindingKind kind);
QString kindCaption(CardFindingKind kind);

struct RVehicle {
    int ida = 0;
    QString nrauto;
    double caprez = 0; // 0: unknown
};

struct RCard {
    QString nrcard;
    int ida = 0;
    QString furnizor;
    QDate dela; // invalid: in use since ever
    bool activ = true;
};

struct RTransaction {
    qint64 idt = 0;
    QString nrcard;
    QString nrauto; // as on the statement
    QDate date;
    QTime time;
    QString product;
    double litres = 0;
    QString station;
    QString importSupplier; // the --supplier of its import
};

struct RSheet {
    int idf = 0;
    int ida = 0;
    int nrf = 0;
    QDate date;
    double orap = 0, oras = 0; // decimal hours
    double fuelIn = 0;         // bm + gz
    double kmTrips = 0;
    std::optional<double> rezplecare;
};

struct RInvoice {
    QString number;
    QString supplier;
    QDate issued;
    QDate from, to;
    double litres = 0; // its LTR lines, negative on a credit note
};

struct ReconcileInput {
    int year = 0, month = 0;
    QList<RVehicle> vehicles;
    QList<RCard> cards;
    QList<RTransaction> transactions; // of the month, and of the invoices' periods
    QList<RSheet> sheets;             // of the month
    QList<RInvoice> invoices;         // whose period begins in the month
    QStringList fuelWords = {QStringLiteral("MOTORINA"), QStringLiteral("DIESEL"), QStringLiteral("BENZINA"),
                             QStringLiteral("GPL"), QStringLiteral("GAZ")};
    QStringList allowedWords = {QStringLiteral("SPALARE"), QStringLiteral("ADBLUE"), QStringLiteral("PARCARE")};
};

struct CardFinding {
    QString nrauto;
    int nrf = 0;   // 0: no sheet
    int idf = 0;   // the sheet it concerns, 0 when none
    QDate date;
    CardFindingKind kind = CardFindingKind::UnknownCard;
    QString detail;
};

// Letters and digits only, upper case, diacritics dropped: "B-12-ABC" = "b 12 abc".
QString plainKey(const QString &text);
// The words of a list setting ("MOTORINA, DIESEL" or one a line), upper case.
QStringList wordList(const QString &setting);
// True when one of `words` is a whole word of `product` (upper case, diacritics dropped).
bool hasWord(const QString &product, const QStringList &words);

// Every finding of the month, sorted by vehicle, date, sheet and kind.
QList<CardFinding> reconcile(const ReconcileInput &input);

// nrauto<TAB>nrf<TAB>dd.mm.yyyy<TAB>kind<TAB>detail
QString findingLine(const CardFinding &finding);

} // namespace vok::cards
