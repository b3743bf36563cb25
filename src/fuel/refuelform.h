#pragma once

#include <QString>

namespace vok {

struct SheetRefuel;

namespace refuel {

// The fuel type chosen with the option buttons "benzina, motorina" and "gaz".
enum class FuelType { None, PetrolDiesel, Gas };

// The masks of the quantity boxes: fuel (`cantc`, `rstc`) and oil (`cantu1`..`cantu3`).
inline QString fuelMask() { return QStringLiteral("#0.000"); }
inline QString oilMask() { return QStringLiteral("#0.00"); }

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

// The refuelling window ("Alimentare carburant, ulei ") as the clerk fills it
// for one sheet: the fuel type, the texts of its boxes and the ticks of the
// oil and filter changes. A default-built form is the blank one the window
// shows when no sheet is chosen.
struct RefuelForm {
    FuelType type = FuelType::None;
    QString cantc = QStringLiteral("0.000");
    QString actc;
    QString rezplecare, rezsosire; // the tank at departure and return; blank: not recorded
    QString cantu1 = QStringLiteral("0.00");
    QString actu1;
    QString cantu2 = QStringLiteral("0.00");
    QString actu2;
    QString cantu3 = QStringLiteral("0.00");
    QString actu3;
    bool schu = false; // oil changed, with its document
    QString actschu;
    bool schf = false; // oil filter changed, with its document
    QString actschf;
    QString rstc = QStringLiteral("0.000");
    QString actrst;

    // A stored sheet as the form shows it: the quantities with their masks,
    // the fuel as fuelShown() gives it, a tank level not recorded as blank, a
    // change's document only when the change is ticked.
    static RefuelForm fromSheet(const SheetRefuel &sheet);
};

} // namespace refuel
} // namespace vok
