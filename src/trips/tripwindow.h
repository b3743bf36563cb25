#pragma once

#include "trips/triprules.h"
#include "trips/tripsheetservice.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace vok {

class FormulaPanel;
class SheetHeaderBox;
class TripEditor;
class TripGrid;
struct Trip;
struct Vehicle;

// The window "Date foi parcurs" (`foaie`): the header of a trip sheet
// (SheetHeaderBox), the trip being typed (TripEditor), the consumption regime
// and the formulas beside it (FormulaPanel), and the sheet's trips
// (TripGrid). The window puts them together, runs the buttons and the grid's
// deletions, asks the questions, and leaves every write to its
// TripSheetService. "Salvare" checks the header (trips::checkHeader), reads
// and computes through the service, asks, and writes what the answer allows.
class TripWindow : public QDialog {
    Q_OBJECT
public:
    explicit TripWindow(const WindowContext &context, QWidget *parent = nullptr);

    void done(int result) override;
    // Shows the vehicle's sheet `nrf` with its trips, as if the clerk had
    // chosen it (a finding of the fuel control); false when it is not stored.
    bool showSheet(const QString &nrauto, int nrf);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildLayout();
    void connectParts();

    void vehicleSelected(const Vehicle &vehicle);
    void regimeChosen(int k);
    void sheetLoaded(int idf);
    void showTrips(int idf);
    void tripNumberEntered();
    void tripNumberLeft(int nrc);
    void tripDoubleClicked(const QVariant &idc);
    void tripNumberClicked(const QString &nrc);
    void deleteRows(const QList<int> &idcs);

    // Buttons
    void save();
    void deleteTrip();
    void deleteSheet();
    void openReport();

    // Sends the clerk back to the box the problem names, after its message.
    void refuse(const trips::HeaderProblem &problem);
    // True when a vehicle and a sheet number are chosen; otherwise refuses.
    bool requireSelection(bool zeroIsNone = true);
    void inform(const QString &text);
    void focus(QWidget *widget);

    WindowContext m_context;
    TripSheetService m_service;

    SheetHeaderBox *m_header = nullptr;
    TripEditor *m_editor = nullptr;
    FormulaPanel *m_formulas = nullptr;
    TripGrid *m_grid = nullptr;
    QPushButton *m_save = nullptr;        // Command2
    QPushButton *m_deleteTrip = nullptr;  // Command5
    QPushButton *m_report = nullptr;      // Command6
    QPushButton *m_deleteSheet = nullptr; // Command3
    QPushButton *m_exit = nullptr;        // Command4
    QLabel *m_monthNote = nullptr;        // notaluna: after a save, the month's V.O.K. is no longer current
};

} // namespace vok
