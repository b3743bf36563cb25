#include "fleet/vehiclerules.h"

#include "base/numbers.h"
#include "base/texts.h"

namespace vok::vehicle {

QString numberProblem(const QString &nrauto)
{
    if (nrauto.contains(u'\''))
        return texts::apostropheRefused();
    if (nrauto.size() > NumberLength)
        return texts::maxLength(NumberLength);
    return {};
}

QString makeProblem(const QString &marca)
{
    return marca.contains(u'\'') ? texts::apostropheRefused() : QString();
}

std::optional<EntryProblem> checkSave(const VehicleTexts &typed)
{
    using Field = EntryProblem::Field;
    if (typed.nrauto.isEmpty())
        return EntryProblem{Field::Number, texts::noVehicle()};
    if (const QString problem = numberProblem(typed.nrauto); !problem.isEmpty())
        return EntryProblem{Field::Number, problem};
    if (const QString problem = makeProblem(typed.marca); !problem.isEmpty())
        return EntryProblem{Field::Make, problem};
    if (typed.marca.size() > MakeLength)
        return EntryProblem{Field::Make, texts::maxLength(MakeLength)};
    if (typed.marca.isEmpty())
        return EntryProblem{Field::Make, QStringLiteral(" Specificati marca si tipul autovehiculului !!! ")};
    const struct {
        const QString &text;
        Field field;
        const char *message;
    } required[] = {
        {typed.Cm1, Field::Cm1, " Specificati consumul urban de combustibil !!! "},
        {typed.Cm2, Field::Cm2, " Specificati consumul mixt de combustibil !!! "},
        {typed.Cm3, Field::Cm3, " Specificati consumul extraurban de combustibil !!! "},
        {typed.Cb, Field::Cb, " Specificati capacitatea baii (rezervorului) de ulei !!! "},
        {typed.Cf, Field::Cf, " Specificati capacitatea filtrului de ulei!!! "},
        {typed.Ca, Field::Ca, " Specificati consumul normat de ulei pentru ardere !!! "},
    };
    // Only zero is refused: a negative value passes.
    for (const auto &r : required)
        if (readNumber(r.text) == 0)
            return EntryProblem{r.field, QString::fromLatin1(r.message)};
    if (!typed.regimeChosen)
        return EntryProblem{Field::Regime, QStringLiteral(" Selectati consumul mediu de carburant implicit !!! ")};
    if (!typed.kindChosen)
        return EntryProblem{Field::Kind, QStringLiteral(" Selectati tipul de auto !!! ")};
    return std::nullopt;
}

QString notRegisteredMessage() { return QStringLiteral(" Autovehiculul nu este inregistrat !!! "); }

QString deleteQuestion(const QString &nrauto)
{
    return QStringLiteral(" Sunteti sigur ca doriti stergerea autovehiculului cu numarul ,,") + nrauto
           + QStringLiteral("'' ?");
}

QString sheetsFirstMessage() { return QStringLiteral(" Stergeti mai intai foile de parcurs !!! "); }

} // namespace vok::vehicle
