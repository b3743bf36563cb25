#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What lapses and when: the vehicles' documents, the drivers' licence and
// medical certificate, and the next service by kilometres. Pure rules, no
// database: the store reads the rows, these decide what is due.
namespace vok::due {

// The kinds of a vehicle's document, in the order the lists offer them.
const QStringList &documentKinds();

// A date as the program stores it, dd.mm.yyyy (a calendar day); nullopt for
// anything else, the empty text included.
std::optional<QDate> parseDate(const QString &text);

enum class Kind { Document, Driver, Service };
// "document", "driver", "service": the first field of a line of --due.
QString kindName(Kind kind);

// One thing due: what the reminder window and the command line show.
struct Item {
    Kind kind = Kind::Document;
    QString subject; // the registration number, or the driver's name
    QString what;    // the document's kind, "permis", "aviz" or "revizie"
    QString when;    // dd.mm.yyyy, or the km at which the service falls due
    double left = 0; // days (documents, papers) or km (services) remaining; < 0 overdue
    int ida = 0;     // the vehicle, for documents and services
    int idsofer = 0; // the driver, for a driver's paper
    bool overdue() const { return left < 0; }
};

// A vehicle's document as the rules need it.
struct DocumentRow {
    int iddoc = 0;
    int ida = 0;
    QString nrauto;
    bool listed = true; // auto.apar = 1
    QString tip;
    QString panala;     // dd.mm.yyyy; empty: never lapses
};

struct DriverRow {
    int idsofer = 0;
    QString nume;
    bool activ = true;
    QString exppermis, expaviz; // dd.mm.yyyy or empty
};

// Where a vehicle's current odometer was read.
enum class OdometerSource { None, Sheet, ClosedMonth };

struct Odometer {
    OdometerSource source = OdometerSource::None;
    double km = 0;
    QString from; // the sheet's date, or the closed month as mm.yyyy
};

struct ServiceRow {
    int ida = 0;
    QString nrauto;
    bool listed = true;
    double kmrevizie = 0;                // 0: no reminder
    std::optional<double> kmultrev;      // none: no reminder
    Odometer odometer;
};

// The documents in force, one per vehicle and kind: a document without an
// end date never lapses and stands for its kind; otherwise the one whose end
// date is the latest day (as a date, not as text). Documents whose end date
// is no date are passed by.
QList<DocumentRow> inForce(const QList<DocumentRow> &documents);

// The km at which a vehicle's next service falls due; nullopt when the
// vehicle asks for no reminder (no interval, or no last service).
std::optional<double> serviceDueAt(const ServiceRow &row);

// Everything due on `today`: documents in force and drivers' papers whose
// end date is at most `days` days away (or past; the end date itself is
// still a day in force, left 0), and services at most `km` km away (or
// past) by the current odometer, to a tenth of a km. Vehicles taken out of the lists and
// inactive drivers are left out, and so is a service without an odometer
// reading. Sorted by kind, then left, then subject, then what.
QList<Item> dueItems(const QList<DocumentRow> &documents, const QList<DriverRow> &drivers,
                     const QList<ServiceRow> &services, const QDate &today, int days, double km);

// The reminder window's order: what is overdue first, each part in the order
// of dueItems().
QList<Item> overdueFirst(QList<Item> items);

// One line of `vok --due`: kind, subject, what, when, left, tab-separated.
QString line(const Item &item);

} // namespace vok::due
