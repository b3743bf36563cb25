#pragma once

#include <QString>

class QCoreApplication;
class QDateTime;

namespace vok {

// Installs Romanian for the texts of Qt's own dialogs, menus and messages
// that the clerk meets (the standard buttons, the file and print dialogs, the
// edit and scroll bar menus, the messages of files that cannot be opened),
// written as the program's own texts are (no diacritics). Qt's translation
// packages carry no Romanian for these: the program builds its own from
// qttexts_ro.ts into its resources. Qt's own qtbase_ro, when the machine has
// it, is asked first. With widgets, the file dialogs show their dates and
// sizes as the program writes them and are wide enough for them. Touches no
// locale: numbers and dates keep the form the program gives them. Returns
// true when Qt's own file was loaded.
bool installQtTranslations(QCoreApplication &app);

namespace qttexts {

// A file's date and size in the file dialog: "07.12.2026 14:05", "812 octeti",
// "1.5 KB", "23.0 MB".
QString fileDate(const QDateTime &when);
QString fileSize(qint64 bytes);

} // namespace qttexts
} // namespace vok
