#pragma once

#include <QString>

namespace vok {

// The fuel type chosen with the option buttons "benzina, motorina" and "gaz".
enum class FuelType { None, PetrolDiesel, Gas };

// What the fuel part of the window shows for a sheet.
struct FuelShown {
    FuelType type = FuelType::None;
    double quantity = 0;
    QString document;
};

// The fuel shown for a sheet with `bm` and `gz` received and fuel document
// `nractc`. A sheet with petrol or diesel shows it; a sheet with gas shows the
// gas (also when it has both); a sheet with neither shows no fuel type, 0 and
// no document: the type chosen for the sheet shown before would make its save
// ask for a quantity.
FuelShown fuelShown(double bm, double gz, const QString &nractc);

// The values stored in `bm` and `gz` for a quantity typed with a fuel type:
// the quantity (single precision) goes to the chosen type's column, the other
// gets 0; with no type chosen both get 0.
struct FuelStored {
    double bm = 0;
    double gz = 0;
};
FuelStored fuelStored(FuelType type, double quantity);

// True when a fuel type is chosen but the quantity is 0: the save is refused
// with " Specificati cantitatea !!! ".
bool quantityMissing(FuelType type, double quantity);

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

} // namespace vok
