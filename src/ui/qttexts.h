#pragma once

#include <QTranslator>

class QCoreApplication;

namespace vok {

// Romanian for the texts of Qt's own dialogs and menus that the clerk meets:
// the standard buttons, the file dialog, the print dialog and the edit menus
// of the text boxes. Written as the program's own texts are (no diacritics).
// Qt's translation packages carry no Romanian for these, so the program keeps
// its own.
class QtRomanianTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Installs the Romanian texts of Qt's dialogs on `app`: Qt's own qtbase_ro
// from its translations folder when the machine has it (looked up first), and
// QtRomanianTexts for the rest. Touches no locale: numbers and dates keep the
// form the program gives them. Returns true when Qt's own file was loaded.
bool installQtTranslations(QCoreApplication &app);

} // namespace vok
