#pragma once

#include "db/journal.h"
#include "fleet/driverstore.h"
#include "fleet/duerules.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace vok {

// One row of documente: a vehicle's document (ITP, RCA, ...).
struct VehicleDocument {
    int iddoc = 0;
    int ida = 0;
    QString tip, numar;
    QString dela, panala; // dd.mm.yyyy or empty; no panala: it never lapses
    QString obs;
    int versiune = 0;
};

// A vehicle's service interval (auto.kmrevizie, auto.kmultrev).
struct ServiceInterval {
    double kmrevizie = 0;          // 0: no reminder
    std::optional<double> kmultrev; // none: no reminder
    int versiune = 0;              // the vehicle row's version
};

// How far ahead the reminders look (setari.zilescadente, kmscadente).
struct DueSettings {
    int days = 30;
    double km = 1000;
};

// The vehicles' documents and service intervals, and what is due. Throws
// DbError when a statement fails.
class DocumentStore {
public:
    explicit DocumentStore(const QSqlDatabase &db);

    // A vehicle's documents, newest first (by end date, else start date,
    // read as dates; the latest added first among equals).
    QList<VehicleDocument> forVehicle(int ida) const;
    std::optional<VehicleDocument> byId(int iddoc) const;
    // Adds (iddoc 0) or changes a document in one transaction; a change is
    // written against the document's version (StaleRecord when it changed or
    // went since). Returns the key.
    int save(const VehicleDocument &document, const QString &window = QStringLiteral("documente"));
    // Deletes a document as loaded (StaleRecord when it changed or went since).
    void remove(const VehicleDocument &document, const QString &window = QStringLiteral("documente"));

    std::optional<ServiceInterval> service(int ida) const;
    // Writes the service interval against the vehicle row's version; returns
    // the new version.
    int saveService(int ida, const ServiceInterval &stored, const ServiceInterval &typed,
                    const QString &window = QStringLiteral("documente"));
    // The vehicle's current odometer: its latest recorded kmsosire, else the
    // km counter of its last closed month, else none.
    due::Odometer odometer(int ida) const;

    DueSettings dueSettings() const;
    // Writes how far ahead the reminders look into every row of setari (its
    // one row created when there is none).
    void saveDueSettings(const DueSettings &settings, const QString &window = QStringLiteral("scadente"));
    // Everything due on `today` within `days` days and the settings' km.
    QList<due::Item> dueItems(const QDate &today, int days) const;
    QList<due::Item> dueItems(const QDate &today) const { return dueItems(today, dueSettings().days); }

private:
    QSqlDatabase m_db;
};

} // namespace vok
