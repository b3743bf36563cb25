#pragma once

#include <QString>

// The messages several windows and their rules share, each written once.
namespace vok::texts {

// A box whose text must be a number.
inline QString onlyNumbers() { return QStringLiteral("Introduceti doar numere !"); }
// Free texts stored between apostrophes by the former program. Most windows
// write three c; the settings header grid two.
inline QString apostropheRefused() { return QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! "); }
inline QString apostropheRefusedTwoC() { return QStringLiteral(" Nu se accepta caracterul apostrof (') !!! "); }
inline QString maxLength(int n) { return QStringLiteral(" Numarul maxim de caractere este %1 !!! ").arg(n); }

// The vehicle and the trip sheet an action needs.
inline QString noVehicle() { return QStringLiteral(" Selectati numarul de inmatriculare !!! "); }
inline QString noSheet() { return QStringLiteral(" Selectati numarul foii de parcurs !!! "); }

// Saving and deleting.
inline QString saveQuestion() { return QStringLiteral(" Sunteti sigur ca doriti salvarea datelor ? "); }
inline QString saved() { return QStringLiteral(" Datele au fost salvate "); }
inline QString deleted() { return QStringLiteral(" Stergerea a fost executata "); }

// A row deleted from a grid.
inline QString deleteRowQuestion() { return QStringLiteral("Stergeti inregistrarea curenta ? "); }
inline QString rowDeleted() { return QStringLiteral("Inregistrarea a fost stearsa"); }
inline QString deleteRowTitle() { return QStringLiteral("Stergere inregistrari"); }

} // namespace vok::texts
