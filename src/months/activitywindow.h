#pragma once

#include "months/monthstore.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace vok {

struct OpeningCheck;

// The window "Fisa activitatii zilnice" (`foaieaz`): closes a month of a
// vehicle into its daily activity sheet and opens the monthly and annual
// reports. The choices stay as they are after a report.
class ActivityWindow : public QDialog {
    Q_OBJECT
public:
    explicit ActivityWindow(const WindowContext &context, QWidget *parent = nullptr);

    // Chooses the vehicle, year and month (as the SITUATIE window opens it)
    // and puts the focus on "V.O.K.".
    void choose(const QString &nrauto, int year, int month);

    // The texts the window shows.
    static QString noSheetsText();
    static QString noPreviousMonthText();
    static QString annualWarningText();
    // The question before closing a month whose opening is not current.
    static QString staleOpeningText(const OpeningCheck &opening);

private:
    void vehicleChosen();
    void updateCaptions();
    // The chosen vehicle's key, 0 when the list shows no chosen vehicle.
    int chosenVehicle() const;
    void monthReport();
    void yearReport();

    WindowContext m_context;
    MonthStore m_months; // its statements prepared once for every closing of the window
    QComboBox *m_nra = nullptr;
    QLabel *m_tip = nullptr;
    QComboBox *m_an = nullptr;
    QComboBox *m_luna = nullptr;
    QPushButton *m_monthButton = nullptr; // Command2
    QPushButton *m_yearButton = nullptr;  // Command1
    int m_indauto = 0;
    QString m_chosenNumber;
};

} // namespace vok
