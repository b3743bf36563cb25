#pragma once

#include <QString>

#include <optional>

// The checks of the vehicle window ("Setari date auto"), free of widgets.
namespace vok::vehicle {

inline constexpr int NumberLength = 15; // auto.nrauto
inline constexpr int MakeLength = 30;   // auto.marca

// What leaving the registration number refuses: an apostrophe, then more than
// 15 characters; empty when the number is accepted.
QString numberProblem(const QString &nrauto);
// What leaving the make refuses: an apostrophe; empty when accepted.
QString makeProblem(const QString &marca);

// The boxes "Salvare" checks, as typed.
struct VehicleTexts {
    QString nrauto;
    QString marca;
    QString Cm1, Cm2, Cm3; // the three average consumptions
    QString Cb, Cf, Ca;    // sump, filter, oil burn
    bool regimeChosen = true; // one of c1, c2, c3
    bool kindChosen = true;   // for1 or for2
};

// The first failing check of "Salvare", in order: a number (the number
// checks of leaving it again: a save must not store what leaving the box would
// have refused), the make (apostrophe, length, then empty), each value read
// as 0 (a negative value passes), the default regime, the vehicle kind.
struct EntryProblem {
    enum class Field { Number, Make, Cm1, Cm2, Cm3, Cb, Cf, Ca, Regime, Kind };
    Field field;
    QString message;
};
std::optional<EntryProblem> checkSave(const VehicleTexts &typed);

// " Autovehiculul nu este inregistrat !!! "
QString notRegisteredMessage();
// The question of "Stergere" for the number as typed.
QString deleteQuestion(const QString &nrauto);
// The refusal to delete a vehicle that still has trip sheets.
QString sheetsFirstMessage();

} // namespace vok::vehicle
