#include "fuel/refuelrules.h"

#include "base/numbers.h"
#include "base/texts.h"
#include "control/measures.h"

#include <utility>

namespace vok::refuel {

using Field = EntryProblem::Field;

QString documentProblem(const QString &text)
{
    return text.contains(u'\'') ? texts::apostropheRefused() : QString();
}

std::optional<EntryProblem> selectionProblem(int ida, int idf, bool sheetNeeded)
{
    if (ida == 0)
        return EntryProblem{Field::Vehicle, texts::noVehicle()};
    if (sheetNeeded && idf == 0)
        return EntryProblem{Field::Sheet, texts::noSheet()};
    return std::nullopt;
}

std::optional<EntryProblem> checkSave(const RefuelForm &typed, int ida, int idf)
{
    if (std::optional<EntryProblem> problem = selectionProblem(ida, idf))
        return problem;
    const std::pair<const QString &, Field> quantities[] = {
        {typed.cantc, Field::Cantc}, {typed.cantu1, Field::Cantu1}, {typed.cantu2, Field::Cantu2},
        {typed.cantu3, Field::Cantu3}, {typed.rstc, Field::Rstc}};
    for (const auto &[text, field] : quantities)
        if (!isNumber(text))
            return EntryProblem{field, texts::onlyNumbers()};
    const std::pair<const QString &, Field> tanks[] = {{typed.rezplecare, Field::Rezplecare},
                                                       {typed.rezsosire, Field::Rezsosire}};
    for (const auto &[text, field] : tanks) {
        bool ok = true;
        const std::optional<double> litres = control::measuredValue(text, &ok);
        if (!ok)
            return EntryProblem{field, texts::onlyNumbers()};
        if (litres && *litres < 0)
            return EntryProblem{field, control::negativeLitresMessage()};
    }
    const std::pair<const QString &, Field> documents[] = {
        {typed.actc, Field::Actc},       {typed.actu1, Field::Actu1},     {typed.actu2, Field::Actu2},
        {typed.actu3, Field::Actu3},     {typed.actschu, Field::Actschu}, {typed.actschf, Field::Actschf},
        {typed.actrst, Field::Actrst}};
    for (const auto &[text, field] : documents)
        if (const QString problem = documentProblem(text); !problem.isEmpty())
            return EntryProblem{field, problem};
    if (quantityMissing(typed.type, readNumber(typed.cantc)))
        return EntryProblem{Field::Cantc, noQuantityMessage()};
    return std::nullopt;
}

bool quantityMissing(FuelType type, double quantity) { return type != FuelType::None && quantity == 0; }

QString noQuantityMessage() { return QStringLiteral(" Specificati cantitatea !!! "); }

QString saveQuestion() { return QStringLiteral(" Sigur doriti salvarea datelor !!! "); }

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

SheetRefuel refuelFromForm(const RefuelForm &form)
{
    SheetRefuel values;
    const FuelStored fuel = fuelStored(form.type, readNumber(form.cantc));
    values.bm = fuel.bm;
    values.gz = fuel.gz;
    values.nractc = form.actc;
    values.rezplecare = control::measuredValue(form.rezplecare);
    values.rezsosire = control::measuredValue(form.rezsosire);
    values.um = readNumber(form.cantu1);
    values.nractu1 = form.actu1;
    values.ut = readNumber(form.cantu2);
    values.nractu2 = form.actu2;
    values.ua = readNumber(form.cantu3);
    values.nractu3 = form.actu3;
    values.schu = form.schu;
    values.nractschu = form.schu ? form.actschu : QString();
    values.schf = form.schf;
    values.nractschf = form.schf ? form.actschf : QString();
    values.restit = readNumber(form.rstc);
    values.nractrst = form.actrst;
    return values;
}

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

} // namespace vok::refuel
