#pragma once

#include "fuel/refuelrules.h"
#include "ui/windowcontext.h"

#include <QDialog>

#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vok {

// The window "Alimentare carburant, ulei " (`alim`): the fuel and oil received,
// the oil and filter changes and the fuel returned on one trip sheet of a
// vehicle, and the monthly and annual refuelling reports of the vehicle.
//
// The sheet that a save writes is always the one shown: choosing another
// vehicle, year or month forgets the sheet and empties its fields, and the
// sheet list offers only the vehicle's existing sheets of that month.
class RefuelWindow : public QDialog {
    Q_OBJECT
public:
    explicit RefuelWindow(const WindowContext &context, QWidget *parent = nullptr);

    // The chosen vehicle's key and the chosen sheet's key; 0 when none.
    int vehicleId() const { return m_ida; }
    int sheetId() const { return m_idf; }

    void done(int result) override;

    // Shows the sheet `nrf` of the vehicle `nrauto` in `year`/`month`, as if
    // the clerk had chosen it; false when it is not there.
    bool openSheet(const QString &nrauto, int year, int month, int nrf);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildLayout();
    void connectControls();

    void chooseVehicle();
    void periodChanged();
    void fillSheetList();
    void chooseSheet();
    void forgetSheet();
    // The boxes as the clerk filled them, and the boxes filled from a form.
    refuel::RefuelForm form() const;
    void showForm(const refuel::RefuelForm &form);
    void setFuelType(refuel::FuelType type);
    void emptyFields();
    refuel::FuelType fuelType() const;
    void save();
    void clearFuel();
    // After a save: the note when the month's V.O.K. is no longer current.
    void noteMonth();
    void report(bool monthly);
    bool documentAccepted(QLineEdit *box);
    // Refuses with the problem's message, the focus to its box; false when there is none.
    bool refused(const std::optional<refuel::EntryProblem> &problem);
    QWidget *box(refuel::EntryProblem::Field field) const;

    WindowContext m_context;
    int m_ida = 0;
    int m_idf = 0;
    int m_versiunealim = 0; // the refuelling's version as loaded

    QComboBox *m_nra = nullptr;
    QLabel *m_tip = nullptr;
    QComboBox *m_an = nullptr;
    QComboBox *m_luna = nullptr;
    QComboBox *m_nrfoi = nullptr;
    QLabel *m_dataf = nullptr;
    QRadioButton *m_bm = nullptr;
    QRadioButton *m_gz = nullptr;
    QButtonGroup *m_fuel = nullptr;
    QLineEdit *m_cantc = nullptr;
    QLineEdit *m_actc = nullptr;
    QLineEdit *m_rezplecare = nullptr; // the tank at departure, litres; blank: not recorded
    QLineEdit *m_rezsosire = nullptr;
    QLineEdit *m_cantu1 = nullptr;
    QLineEdit *m_actu1 = nullptr;
    QLineEdit *m_cantu2 = nullptr;
    QLineEdit *m_actu2 = nullptr;
    QLineEdit *m_cantu3 = nullptr;
    QLineEdit *m_actu3 = nullptr;
    QCheckBox *m_schu = nullptr;
    QLineEdit *m_actschu = nullptr;
    QCheckBox *m_schf = nullptr;
    QLineEdit *m_actschf = nullptr;
    QLineEdit *m_rstc = nullptr;
    QLineEdit *m_actrst = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_clearFuel = nullptr;
    QPushButton *m_monthReport = nullptr;
    QPushButton *m_yearReport = nullptr;
    QPushButton *m_exit = nullptr;
    QLabel *m_monthNote = nullptr; // after a save: the month's V.O.K. is no longer current
};

} // namespace vok
