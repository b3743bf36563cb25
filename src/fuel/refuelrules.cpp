#include "fuel/refuelrules.h"

#include "base/numbers.h"

namespace vok {

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

FuelStored fuelStored(FuelType type, double quantity)
{
    const double stored = singleValue(static_cast<float>(quantity));
    switch (type) {
    case FuelType::PetrolDiesel:
        return {stored, 0};
    case FuelType::Gas:
        return {0, stored};
    case FuelType::None:
        break;
    }
    return {0, 0};
}

bool quantityMissing(FuelType type, double quantity) { return type != FuelType::None && quantity == 0; }

QString clearFuelQuestion(int nrf)
{
    return QStringLiteral(" Sunteti sigur ca doriti stergerea alimentarii cu combustibil a foii de parcurs cu numarul ,,")
           + QString::number(nrf) + QStringLiteral("'' ?");
}

namespace {

const QString receivedCondition = QStringLiteral(
    " and ({foaie.bm}>0 or {foaie.gz}>0 or {foaie.um}>0 or {foaie.ut}>0 or {foaie.ua}>0 or {foaie.restit}>0)");

}

QString monthlySelection(int year, int month, int ida)
{
    return QStringLiteral("{foaie.anul}=") + QString::number(year) + QStringLiteral(" and {foaie.idl}=")
           + QString::number(month) + QStringLiteral(" and {foaie.ida}=") + QString::number(ida)
           + receivedCondition;
}

QString annualSelection(int year, int ida)
{
    return QStringLiteral("{foaie.anul}=") + QString::number(year) + QStringLiteral(" and {foaie.ida}=")
           + QString::number(ida) + receivedCondition;
}

QString reportCaption(const QString &chosen) { return QStringLiteral("Raport ") + chosen; }

} // namespace vok
