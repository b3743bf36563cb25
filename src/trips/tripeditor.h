#pragma once

#include "fleet/vehiclestore.h"
#include "trips/surcharge.h"
#include "trips/tripform.h"
#include "ui/windowcontext.h"

#include <QGroupBox>
#include <QList>

#include <array>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vok {

class TripSheetService;

// The trip being typed on the trip window: its number (`nrc`) and route
// (`trs`), the kilometres of the six road categories (`cat1`..`cat6`) with
// their live total and equivalent distance, the load (`greut`) and its
// coefficient (`Kg`, looked up for the whole load when the load is left), the
// trailers (`fr`, `r1`, `r2`) and the seven surcharges with their check
// boxes. It opens the surcharge dialogs and the load calculator and takes
// their results, and keeps the towed and urban distances typed in them.
//
// Form in, form out: form() reads the boxes, showTrip() and clearForNextTrip()
// fill them.
class TripEditor : public QGroupBox {
    Q_OBJECT
public:
    TripEditor(const WindowContext &context, const TripSheetService &service, QWidget *parent = nullptr);

    // The vehicle the trips are typed for, chosen in the header: its
    // installation and aerodynamic class enable their surcharges, its formula
    // the load and Kg. Another vehicle forgets the distances typed for the one
    // before.
    void setVehicle(const Vehicle &vehicle);
    // The chosen vehicle's formula (1 with Kg) and engine class; 0 before any.
    int formula() const { return m_vehicle ? m_vehicle->formula : 0; }
    int engineClass() const { return m_vehicle ? m_vehicle->motor : 0; }

    TripForm form() const;
    // A stored trip in the boxes: its values as stored, its surcharges ticked
    // without opening the towing and urban dialogs (the next tick of each
    // keeps its dialog closed once more), its distances in the previews.
    void showTrip(const Trip &trip);
    // The stored trip shown last (the version a save writes against), until
    // the form is cleared for the next trip.
    const std::optional<Trip> &loadedTrip() const { return m_loadedTrip; }
    void forgetLoadedTrip() { m_loadedTrip.reset(); }
    // What a saved trip leaves for the next (TripForm::nextTrip).
    void clearForNextTrip();
    // "Salvare" with a load of 0 shows Kg "1.00" (TripForm::applyNoLoadRule).
    void applyNoLoadRule();

    QString tripNumberText() const;
    void setTripNumber(const QString &text);
    QLineEdit *tripNumberBox() const { return m_number; }
    QLineEdit *categoryBox(int index) const { return m_km[size_t(index)]; }
    // The boxes in the clerk's order, from the trip number to the last surcharge.
    QList<QWidget *> tabChain() const;

signals:
    // The clerk entered the trip number: the window checks the vehicle and sheet.
    void tripNumberEntered();
    // The trip number left as a number: the window loads that trip if stored.
    void tripNumberLeft(int nrc);
    // The load or a surcharge box entered with no vehicle chosen (a check
    // box is unticked again): the window sends the clerk to the vehicle.
    void vehicleRequired();

private:
    std::optional<Trip> m_loadedTrip;
    void buildLayout();
    void connectFields();
    void applyForm(const TripForm &form);
    void updateDistances();
    // Looks Kg up for the load in greut; false, after telling the clerk, when
    // no row of coefKg covers it (Kg is left as it is).
    bool lookupKg();
    bool leaveLoad();
    bool leaveTripNumber();
    void openLoadCalculator();
    void openTowingDialog();
    void openUrbanDialog();
    // F4 on the towing or urban box.
    void dialogKey(QCheckBox *box);
    void towingToggled(bool ticked);
    void urbanToggled(bool ticked);
    void installationToggled(bool ticked);
    void airToggled(bool ticked);
    void climateToggled(bool ticked);
    void refuseWithoutVehicle(QCheckBox *box);
    void takeTowing(const SurchargeEntry &entry);
    void takeUrban(const SurchargeEntry &entry);
    int trailers() const;

    WindowContext m_context;
    const TripSheetService &m_service;
    std::optional<Vehicle> m_vehicle;
    double m_towedKm = 0; // km towed, typed in the towing dialog or loaded
    double m_urbanKm = 0; // km in towns, typed in the urban dialog or loaded
    // A loaded trip ticks its towing and urban boxes without their dialogs;
    // the next tick of each keeps its dialog closed as well, then it opens
    // again. A save clears both.
    struct {
        bool towing = false;
        bool urban = false;
    } m_dialogKeptClosed;

    QLineEdit *m_number = nullptr;   // nrc
    QLineEdit *m_route = nullptr;    // trs
    std::array<QLineEdit *, 6> m_km{}; // cat1..cat6
    QLabel *m_total = nullptr;       // total
    QLabel *m_equivalent = nullptr;  // echiv
    QLineEdit *m_load = nullptr;     // greut
    QLineEdit *m_kg = nullptr;       // Kg
    QPushButton *m_loadCalculator = nullptr; // Command1
    QRadioButton *m_noTrailer = nullptr, *m_oneTrailer = nullptr, *m_twoTrailers = nullptr; // fr, r1, r2

    QCheckBox *m_towing = nullptr;       // tract
    QLineEdit *m_towingValue = nullptr;  // spT
    QLabel *m_towedPreview = nullptr;    // Label23
    QCheckBox *m_urban = nullptr;        // sporU
    QLineEdit *m_urbanValue = nullptr;   // spU
    QLabel *m_urbanPreview = nullptr;    // Label48
    QCheckBox *m_installation = nullptr; // sporI
    QLineEdit *m_perService = nullptr;   // spi
    QLineEdit *m_services = nullptr;     // nri
    QLabel *m_serviceUnit = nullptr;     // Label27
    QLabel *m_serviceText = nullptr;     // Label28
    QCheckBox *m_air = nullptr;          // sporRa
    QLineEdit *m_airRate = nullptr;      // spRa
    QCheckBox *m_climate = nullptr;      // coefA
    QLineEdit *m_climateValue = nullptr; // coef
    QCheckBox *m_stops = nullptr;        // sporQ1
    QLineEdit *m_stopCount = nullptr;    // nrdem
    QCheckBox *m_heating = nullptr;      // sporQ4
    QLineEdit *m_heatingCount = nullptr; // nrinc
};

} // namespace vok
