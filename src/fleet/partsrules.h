#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The checks of the parts and repairs log, free of widgets.
namespace vok::parts {

QString pickVehicleMessage();   // " Selectati numarul de inmatriculare !!! "
QString savedMessage();         // " Datele au fost salvate "
QString deleteQuestion();       // "Stergeti inregistrarea curenta?"
QString deletedMessage();       // "Inregistrarea a fost stearsa"
QString deleteTitle();          // "Stergere inregistrari"

// The message for a document number or description left with an apostrophe
// at its end (its first apostrophe is its last character) or at its
// beginning; empty when the text is accepted (an apostrophe in the middle is).
QString apostropheProblem(const QString &text);

// The text a day or month box shows on leaving: a number with two digits
// ("5" gives "05"); any other text as typed.
QString dayMonthText(const QString &text);
// The text the year box shows on leaving: a number without decimals.
QString yearText(const QString &text);

// The first failing check of "Salvare", in order: vehicle, day, month, year,
// a day its month does not have (" Nu exista aceasta zi in luna aleasa !!! ",
// on the day), then the value (empty reads 0; a text that is not a number is refused rather
// than stored as its numeric prefix).
struct EntryProblem {
    enum class Field { Vehicle, Day, Month, Year, Value };
    Field field;
    QString message;
};
std::optional<EntryProblem> checkEntry(bool vehiclePicked, const QString &zi, const QString &luna,
                                       const QString &an, const QString &valp);

// The messages of an edit in the grid, one per failing test, in order; the
// row's document, description and value as they would be after the edit.
QStringList gridEditProblems(const QString &act, const QString &denp, const QString &valoare);

} // namespace vok::parts
