#include "fuel/refuelform.h"

#include "base/numbers.h"
#include "control/measures.h"
#include "fuel/refuelstore.h"

namespace vok::refuel {

FuelShown fuelShown(double bm, double gz, const QString &nractc)
{
    // Petrol first, then gas, so that a sheet with both shows the gas.
    FuelShown shown{FuelType::None, 0, QString()};
    if (bm > 0)
        shown = {FuelType::PetrolDiesel, bm, nractc};
    if (gz > 0)
        shown = {FuelType::Gas, gz, nractc};
    return shown;
}

RefuelForm RefuelForm::fromSheet(const SheetRefuel &sheet)
{
    RefuelForm form;
    const FuelShown fuel = fuelShown(sheet.bm, sheet.gz, sheet.nractc);
    form.type = fuel.type;
    form.cantc = formatNumber(fuel.quantity, fuelMask());
    form.actc = fuel.document;
    form.rezplecare = control::measuredText(sheet.rezplecare, control::litreMask());
    form.rezsosire = control::measuredText(sheet.rezsosire, control::litreMask());
    form.cantu1 = formatNumber(sheet.um, oilMask());
    form.actu1 = sheet.nractu1;
    form.cantu2 = formatNumber(sheet.ut, oilMask());
    form.actu2 = sheet.nractu2;
    form.cantu3 = formatNumber(sheet.ua, oilMask());
    form.actu3 = sheet.nractu3;
    form.schu = sheet.schu;
    form.actschu = sheet.schu ? sheet.nractschu : QString();
    form.schf = sheet.schf;
    form.actschf = sheet.schf ? sheet.nractschf : QString();
    form.rstc = formatNumber(sheet.restit, fuelMask());
    form.actrst = sheet.nractrst;
    return form;
}

} // namespace vok::refuel
