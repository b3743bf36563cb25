#pragma once

#include "fuel/refuelform.h"
#include "fuel/refuelstore.h"

#include <QString>

#include <optional>

// The rules of the refuelling window that need no widgets: the checks of
// leaving a document box and of "Salvare", what a save writes, the questions,
// and the refuelling reports' files and selections.
namespace vok::refuel {

// What leaving a document box (`actc`, `actu1`..`actu3`, `actschu`,
// `actschf`, `actrst`) refuses: an apostrophe; empty when accepted.
QString documentProblem(const QString &text);

// The first check that failed: the box the clerk is sent back to, and the message.
struct EntryProblem {
    enum class Field {
        Vehicle, Sheet,
        Cantc, Actc, Rezplecare, Rezsosire,
        Cantu1, Actu1, Cantu2, Actu2, Cantu3, Actu3,
        Actschu, Actschf,
        Rstc, Actrst,
    };
    Field field;
    QString message;
};

// The vehicle (`ida`) and the sheet (`idf`) an action needs, 0 when none is
// chosen: the first one missing. Without `sheetNeeded` only the vehicle is
// asked for (the reports).
std::optional<EntryProblem> selectionProblem(int ida, int idf, bool sheetNeeded = true);

// The checks of "Salvare", in order: the vehicle and the sheet; the
// quantities (`cantc`, `cantu1`..`cantu3`, `rstc`) must read as numbers (they
// are checked on leaving, but a save may come before that); the tank levels
// blank or a number not below 0; no document with an apostrophe; a fuel type
// chosen with a quantity of 0 gives " Specificati cantitatea !!! ".
std::optional<EntryProblem> checkSave(const RefuelForm &typed, int ida, int idf);

// True when a fuel type is chosen but the quantity is 0.
bool quantityMissing(FuelType type, double quantity);
QString noQuantityMessage();

// The question "Salvare" asks once the checks pass.
QString saveQuestion();

// The values stored in `bm` and `gz` for a quantity typed with a fuel type:
// the quantity (single precision) goes to the chosen type's column, the other
// gets 0; with no type chosen both get 0.
struct FuelStored {
    double bm = 0;
    double gz = 0;
};
FuelStored fuelStored(FuelType type, double quantity);

// What a save writes for a form that passed checkSave(): the fuel as
// fuelStored() gives it, the quantities as they read, a blank tank level as
// not recorded, a change's document only when the change is ticked. Its
// idf, nrf, date and version are left as default-built.
SheetRefuel refuelFromForm(const RefuelForm &form);

// Fuel put on the wrong sheet is taken off it (type, quantity and document)
// with "Stergere combustibil", after this question.
QString clearFuelQuestion(int nrf);

// The report files and their selection: the sheets of the vehicle `ida` in the
// month (or the year) that received fuel or oil or returned fuel. A sheet that
// only records an oil or filter change is not selected.
inline QString monthlyReportFile() { return QStringLiteral("rapalimluna.rpt"); }
inline QString annualReportFile() { return QStringLiteral("rapaliman.rpt"); }
QString monthlySelection(int year, int month, int ida);
QString annualSelection(int year, int ida);

// The captions of the report buttons: "Raport " + the month name or the year.
QString reportCaption(const QString &chosen);

} // namespace vok::refuel
