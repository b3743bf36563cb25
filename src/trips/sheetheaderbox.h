#pragma once

#include "fleet/vehiclestore.h"
#include "trips/sheetstore.h"
#include "trips/triprules.h"
#include "ui/windowcontext.h"

#include <QGroupBox>
#include <QList>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;

namespace vok {

class TripSheetService;

// The header of the trip window: the vehicle (`nra`, its make in `tip`), the
// sheet number (`nrfoi`), the driver (`sof`), the date (`zi`, `luna`,
// `anul`), the hours (`op`, `os`) and the odometer at departure and return
// (`kmplecare`, `kmsosire`, blank when not recorded). It refills its lists as the clerk enters
// them (the vehicles offered, the vehicle's sheets of the month on screen,
// every driver so far), checks its boxes as the clerk leaves them, and loads a
// stored sheet's header when its number is chosen or left.
class SheetHeaderBox : public QGroupBox {
    Q_OBJECT
public:
    SheetHeaderBox(const WindowContext &context, const TripSheetService &service, QWidget *parent = nullptr);

    // The registration number chosen in `nra`; empty when none.
    QString vehicleText() const;
    bool hasVehicle() const { return !vehicleText().isEmpty(); }
    // The key of the vehicle chosen last; 0 before any.
    int vehicleId() const { return m_ida; }
    // The sheet number's text, and the whole number it reads as.
    QString sheetText() const;
    int sheetNumber() const;
    // The header as typed, with the trip number `nrc` of the trip part.
    trips::HeaderTexts texts(const QString &nrc) const;
    // The stored sheet the header shows: the chosen vehicle's sheet of the
    // number in `nrfoi` (the sheet loaded last may be another vehicle's).
    // Throws DbError.
    std::optional<Sheet> sheetOnScreen() const;

    // The sheet as its header was loaded last (the version a save writes
    // against); nullopt when the number on screen is not stored.
    const std::optional<Sheet> &loadedSheet() const { return m_loaded; }
    // Loads the header of the sheet number on screen again (after a save
    // refused because another clerk changed it).
    void reloadSheet() { loadSheet(sheetNumber()); }
    // Reads the loaded sheet again without touching the boxes (after a save:
    // the header on screen is the one stored). Throws DbError.
    void refreshLoaded();

    // Chooses the vehicle `nrauto` and loads its sheet `nrf` (a finding of the
    // fuel control opened from its grid); false when either is not stored.
    bool showSheet(const QString &nrauto, int nrf);

    // The box a header problem sends the clerk back to (not the trip number).
    QWidget *box(trips::HeaderProblem::Field field) const;
    // The header's boxes in the clerk's order: vehicle, sheet number, driver,
    // date, hours, odometer.
    QList<QWidget *> tabChain() const;

signals:
    // A vehicle chosen in `nra` (read from the register).
    void vehicleSelected(const vok::Vehicle &vehicle);
    // A sheet number chosen from the list or left: the stored sheet's idf,
    // whose header is now on screen, or 0 for a number not stored yet (the
    // date, hours and driver on screen stay for the new sheet).
    void sheetLoaded(int idf);
    // The sheet list of the month on screen came out empty.
    void sheetListEmpty();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void connectFields();
    void selectVehicle(const QString &nrauto);
    void enterSheetNumber();
    void fillSheetList();
    bool leaveSheetNumber();
    void loadSheet(int nrf);
    void fillDrivers();
    bool leaveDriver();
    bool leaveOdometerReturn();

    WindowContext m_context;
    const TripSheetService &m_service;
    int m_ida = 0;
    std::optional<Sheet> m_loaded;

    QComboBox *m_vehicle = nullptr; // nra
    QLabel *m_make = nullptr;       // tip
    QComboBox *m_sheet = nullptr;   // nrfoi
    QComboBox *m_driver = nullptr;  // sof
    QLineEdit *m_day = nullptr;     // zi
    QLineEdit *m_month = nullptr;   // luna
    QLineEdit *m_year = nullptr;    // anul
    QLineEdit *m_departure = nullptr; // op
    QLineEdit *m_arrival = nullptr;   // os
    QLineEdit *m_kmDeparture = nullptr; // kmplecare
    QLineEdit *m_kmReturn = nullptr;    // kmsosire
};

} // namespace vok
