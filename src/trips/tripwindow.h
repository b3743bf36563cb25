#pragma once

#include "trips/sheetstore.h"
#include "ui/windowcontext.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSqlQueryModel;
class QTableView;

namespace vok {

struct Trip;

// The window "Date foi parcurs" (`foaie`): the header of a trip sheet (vehicle,
// sheet number, driver, date, hours), the trip being typed with its road
// categories, load and surcharges, the formula panel, and the grid of the
// sheet's trips. "Salvare" checks the header, computes the trip's normed
// consumption, writes the sheet (when new, or its header when stored) and
// writes or overwrites the trip.
//
// The surcharge dialogs opened from here write straight into the boxes `spU`,
// `Label48`, `spT`, `Label23`, `greut` (found by name) and into the program-wide
// urban and towed distances; they read `r1`, `r2` and the engine class.
class TripWindow : public QDialog {
    Q_OBJECT
public:
    explicit TripWindow(const WindowContext &context, QWidget *parent = nullptr);

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildLayout();
    void connectFields();
    void formLoad();

    // Header
    void selectVehicle(const QString &nrauto);
    void chooseRegime(int k);
    void enterSheetNumber();
    void fillSheetList();
    bool leaveSheetNumber();
    void loadSheet(int nrf);
    void showTrips(int idf);
    void fillDrivers();
    bool leaveDriver();
    std::optional<SheetHeader> checkHeader();

    // Trip block
    void updateDistances();
    // Looks Kg up for the load in greut; false, after telling the clerk, when
    // no row of coefKg covers it (Kg is left as it is).
    bool lookupKg();
    bool leaveLoad();
    void enterTripNumber();
    bool leaveTripNumber();
    void loadTrip(const Trip &trip);
    void towingToggled(bool ticked);
    void urbanToggled(bool ticked);
    void installationToggled(bool ticked);
    void airToggled(bool ticked);
    void climateToggled(bool ticked);
    bool vehicleChosen() const;
    // True when a vehicle and a sheet number are chosen; otherwise tells the
    // clerk which is missing and moves the focus there.
    bool requireVehicleAndSheet();
    void refuseWithoutVehicle(QWidget *box);

    // Actions
    void save();
    void resetTrip();
    void deleteTrip();
    void deleteSheet();
    void openReport();
    void gridClicked(const QModelIndex &index);
    void gridDoubleClicked(const QModelIndex &index);
    void deleteGridRows();

    void inform(const QString &text);
    void focus(QWidget *widget);
    int sheetNumber() const;
    // The stored sheet the header shows: the chosen vehicle's sheet of the
    // number in nrfoi (the sheet loaded last may be another vehicle's).
    std::optional<Sheet> sheetOnScreen() const;
    int tripNumber() const;

    WindowContext m_context;

    // Header
    QComboBox *m_nra = nullptr;
    QLabel *m_tip = nullptr;
    QComboBox *m_nrfoi = nullptr;
    QComboBox *m_sof = nullptr;
    QLineEdit *m_zi = nullptr, *m_luna = nullptr, *m_anul = nullptr, *m_op = nullptr, *m_os = nullptr;

    // Trip
    QLineEdit *m_nrc = nullptr, *m_trs = nullptr;
    std::array<QLineEdit *, 6> m_cat{};
    QLabel *m_total = nullptr, *m_echiv = nullptr;
    std::array<QRadioButton *, 3> m_regime{};
    QLabel *m_label49 = nullptr;
    QLineEdit *m_greut = nullptr, *m_kg = nullptr;
    QPushButton *m_command1 = nullptr;
    QRadioButton *m_fr = nullptr, *m_r1 = nullptr, *m_r2 = nullptr;
    QCheckBox *m_tract = nullptr, *m_sporU = nullptr, *m_sporI = nullptr, *m_sporRa = nullptr;
    QCheckBox *m_coefA = nullptr, *m_sporQ1 = nullptr, *m_sporQ4 = nullptr;
    QLineEdit *m_spT = nullptr, *m_spU = nullptr, *m_spi = nullptr, *m_nri = nullptr, *m_spRa = nullptr;
    QLineEdit *m_coef = nullptr, *m_nrdem = nullptr, *m_nrinc = nullptr;
    QLabel *m_label23 = nullptr, *m_label48 = nullptr, *m_label27 = nullptr, *m_label28 = nullptr;

    // Formula panel
    QGroupBox *m_formulaFrame = nullptr;
    QLabel *m_formula1 = nullptr, *m_label39 = nullptr;

    // Grid and buttons
    QTableView *m_grid = nullptr;
    QSqlQueryModel *m_trips = nullptr;
    QPushButton *m_save = nullptr, *m_deleteTrip = nullptr, *m_report = nullptr, *m_deleteSheet = nullptr,
                *m_exit = nullptr;
    QLabel *m_monthNote = nullptr; // after a save: the month's V.O.K. is no longer current

    // Form state
    int m_indauto = 0; // the chosen vehicle
    int m_indf = 0;    // the current sheet; 0 while its number is not stored
    int m_gridSheet = -1;
    int m_ar = 0, m_isp = 0, m_f1 = 0;
    float m_kmtotal = 0, m_kmechiv = 0;
    int m_t = 0, m_u = 0; // set: the next tick of tract / sporU keeps its dialog closed
};

} // namespace vok
