#pragma once

#include <QList>
#include <QString>

#include <optional>

// The audit of the real side of the sheets: the odometer and the tank as the
// clerk measured them, against each other, against the trips and against the
// book. Pure functions of plain rows: nothing here reads or writes a
// database, and nothing the audit finds is ever refused or changed.
namespace vok::control {

// The kinds of finding, in the order a sheet's findings are listed.
enum class FindingKind {
    OdometerBack,    // the return below the departure, or the departure below the previous return
    OdometerGap,     // the departure above the previous sheet's return
    KmMismatch,      // the odometer's distance far from the trips' kilometres
    Overlap,         // two sheets of one vehicle at overlapping hours of one date
    DriverOverlap,   // one driver on two vehicles at overlapping hours of one date
    Overrun,         // a month's real consumption well above its normed one
    OverCapacity,    // more fuel in the tank than it holds
    StockDifference, // a closed month's book rest far from the tank measured at its end
};

// The name a finding line gives the kind ("odometer-back", ...).
QString kindName(FindingKind kind);
// What the window's grid calls it, in the clerk's words.
QString kindCaption(FindingKind kind);

// One sheet as the audit reads it.
struct AuditSheet {
    int idf = 0;
    int ida = 0;
    QString nrauto;
    int nrf = 0;
    QString data;          // dd.mm.yyyy, as stored
    int anul = 0, idl = 0; // the sheet's year and month (its month of the book)
    double orap = 0, oras = 0;
    QString sofer;
    std::optional<double> kmplecare, kmsosire;   // km; nullopt: not recorded
    std::optional<double> rezplecare, rezsosire; // litres; nullopt: not recorded
    double fuelIn = 0;  // bm + gz
    double restit = 0;  // fuel returned
    double normed = 0;  // the sum of its trips' Cn
    double kmTrips = 0; // the sum of its trips' kmT
    double caprez = 0;  // the vehicle's tank capacity; 0 unknown
};

// A closed month of a vehicle (its dateluna row) with the rest in tank the
// book carries at its end.
struct BookMonth {
    int ida = 0;
    int anul = 0, idl = 0;
    double restrez = 0;
};

// What one audit looks at: the sheets audited, and for each vehicle the sheet
// just before the first of them (from an earlier year), read only as the
// previous sheet of its successor.
struct AuditInput {
    QList<AuditSheet> sheets;
    QList<AuditSheet> previous;
    QList<BookMonth> closedMonths;
};

struct Finding {
    int idf = 0;
    int ida = 0;
    QString nrauto;
    int nrf = 0;
    QString data;
    double orap = 0;
    FindingKind kind = FindingKind::OdometerBack;
    QString detail;
};

// dd.mm.yyyy as a number that orders dates (yyyymmdd); 0 for a text that is
// not such a date.
int dateKey(const QString &data);

// The order of a vehicle's sheets: date (parsed), departure hour, number.
bool sheetBefore(const AuditSheet &a, const AuditSheet &b);

// The real consumption of a sheet: the tank at departure, plus the fuel
// received, less the fuel returned and the tank at return; nullopt unless
// both levels are recorded.
std::optional<double> realConsumption(const AuditSheet &sheet);

// Every finding, sorted by registration number, date, departure hour, sheet
// number and kind.
QList<Finding> audit(const AuditInput &input);

// nrauto<TAB>nrf<TAB>dd.mm.yyyy<TAB>kind<TAB>detail
QString findingLine(const Finding &finding);

} // namespace vok::control
