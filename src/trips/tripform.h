#pragma once

#include "trips/consumption.h"
#include "trips/tripstore.h"

#include <QString>

#include <array>

namespace vok {

// The trip part of the trip window as the clerk fills it: the texts of its
// boxes, the ticks of the surcharge boxes, the trailers, and the towed and
// urban distances typed in the surcharge dialogs (or loaded with a trip).
//
// A default-built form is the blank trip the window opens with, and the
// source of every text a box falls back to: the text a box takes when it is
// left empty, and the neutral text a surcharge's box takes when its check box
// is unticked, are the blank texts (the climate coefficient excepted, whose
// unticked text is "1").
struct TripForm {
    QString nrc = QStringLiteral("0");
    QString traseu;
    std::array<QString, 6> km = {QStringLiteral("0.0"), QStringLiteral("0.0"), QStringLiteral("0.0"),
                                 QStringLiteral("0.0"), QStringLiteral("0.0"), QStringLiteral("0.0")};
    QString greut = QStringLiteral("0.0");
    QString Kg = QStringLiteral("1.000");
    int remorca = 0; // 0 "fara remorca", 1 "1 remorca", 2 "2 remorci"

    // Each surcharge: its check box and the box (or boxes) it enables.
    bool towing = false;       // tract
    QString spT = QStringLiteral("0.0");
    bool urban = false;        // sporU
    QString spU = QStringLiteral("0.0");
    bool installation = false; // sporI
    QString spi = QStringLiteral("0.0");
    QString nri = QStringLiteral("0");
    bool air = false;          // sporRa
    QString spRa = QStringLiteral("0");
    bool climate = false;      // coefA
    QString coef = QStringLiteral("1.0");
    bool stops = false;        // sporQ1
    QString nrdem = QStringLiteral("0");
    bool heating = false;      // sporQ4
    QString nrinc = QStringLiteral("0");

    // km towed and km in towns, as the dialogs read them.
    double towedKm = 0;
    double urbanKm = 0;

    // The climate coefficient's box: "1.1" when coefA is ticked, "1" when unticked.
    static QString climateTicked() { return QStringLiteral("1.1"); }
    static QString climateUnticked() { return QStringLiteral("1"); }

    // The form a saved trip leaves for the next one: the blank form, keeping
    // the trailers, the route and the two distances. Kg and spRa show "0.0",
    // as they always have after a save (a load typed next looks Kg up, and a
    // load of 0 saves Kg 1).
    TripForm nextTrip() const;

    // A stored trip as the form shows it: the stored values as they are
    // stored, each surcharge ticked when its value is above its neutral one
    // (A above 1, the others above 0; the installation by its number of
    // services).
    static TripForm fromTrip(const Trip &trip);

    // "Salvare" with a load of 0: Kg becomes "1.00", whatever the box holds
    // (a vehicle whose formula has no Kg stores 1 as well).
    void applyNoLoadRule();
};

// The whole number a box's text reads as (12.6 reads 13).
int wholeNumber(const QString &text);

// The trip the form describes, with the normed consumption of the vehicle's
// norms: the road distances from the six categories, the surcharges from
// their boxes, Cn and Cua (consumption.h). The towed and urban distances are
// stored only beside a towing or urban surcharge above 0. Its idf and idc are
// left 0.
Trip tripFromForm(const TripForm &form, const VehicleNorms &norms);

} // namespace vok
