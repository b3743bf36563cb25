#pragma once

#include <QString>

#include <optional>

// The checks of the drivers' register and of the vehicles' documents, free of
// widgets: each returns the box to go back to with the message.
namespace vok::driver {

inline constexpr int NameLength = 20;    // soferi.nume, as foaie.sofer
inline constexpr int PermitLength = 20;  // soferi.permis
inline constexpr int CategoryLength = 20; // soferi.categorii

// What leaving the name refuses: an apostrophe, then more than 20
// characters; empty when accepted. Names are kept in upper case, as the
// sheets keep them.
QString nameProblem(const QString &nume);
// A free text of at most `length` characters without an apostrophe.
QString textProblem(const QString &text, int length);
// A date box: empty, or a day written dd.mm.yyyy.
QString dateProblem(const QString &text);
// The refusal of a date that is no day dd.mm.yyyy.
QString badDateMessage();
// A date box's text as it is kept: d.m.yyyy written dd.mm.yyyy; anything
// else unchanged (and then refused by dateProblem).
QString normalisedDate(const QString &text);

struct DriverTexts {
    QString nume, permis, categorii, exppermis, expaviz;
};

struct EntryProblem {
    enum class Field { Name, Permit, Categories, PermitExpiry, CertificateExpiry };
    Field field;
    QString message;
};

// The first failing check of "Salvare": the name (empty, apostrophe,
// length), the licence number, its categories, then the two dates.
std::optional<EntryProblem> checkSave(const DriverTexts &typed);

QString noNameMessage();
QString notRegisteredMessage();
QString deleteQuestion(const QString &nume);

} // namespace vok::driver

namespace vok::document {

inline constexpr int NumberLength = 30; // documente.numar
inline constexpr int NoteLength = 50;   // documente.obs

struct DocumentTexts {
    QString tip, numar, dela, panala, obs;
};

struct EntryProblem {
    enum class Field { Kind, Number, From, To, Note };
    Field field;
    QString message;
};

// The first failing check of "Salvare": a kind of the list, the number, the
// two dates (each empty or a day), the end not before the start, the note.
std::optional<EntryProblem> checkSave(const DocumentTexts &typed);

QString noKindMessage();
QString endBeforeStartMessage();
QString deleteQuestion(const QString &tip, const QString &numar);

} // namespace vok::document
