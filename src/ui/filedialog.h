#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace vok {

// Asks for a file to open or to save. Files are told apart by their names
// alone: Qt's own dialog reads files to guess their type, and opening and
// closing the database files of the data folder that way drops this process's
// SQLite locks, so that another program opening the database could take the
// journal away from under the program. Returns an empty text when cancelled.
struct FileRequest {
    QString title;
    QStringList nameFilters;   // "Fisiere CSV (*.csv)"
    bool save = false;
    QString suggested;         // proposed file when saving
    QString defaultSuffix;     // added when saving a name without one
    QString directory;         // where the dialog opens, when not empty
    bool folder = false;       // asks for an existing folder instead of a file
};
QString askForFile(QWidget *parent, const FileRequest &request);

// Where to save a file the program makes (a report, a table, a chart): every
// "Salvare ..." and "Export ..." asks through askWhereToSave().
struct SaveRequest {
    QString title;        // "Salvare PDF"
    QString nameFilter;   // "Fisiere PDF (*.pdf)"
    QString suffix;       // "pdf"
    QString description;  // what the file holds: title, vehicle, period
};

// Proposes fileNameFor(description) with the suffix in saveFolder(), asks,
// and gives back the chosen path with the suffix (added when the clerk typed
// a name without it); remembers its folder for the next save of the run.
// Empty when cancelled. `choose` stands in for the dialog in tests.
using FileChooser = std::function<QString(const FileRequest &)>;
QString askWhereToSave(QWidget *parent, const SaveRequest &request, const FileChooser &choose = {});

// A valid file name (without suffix) for a description: no / \ : * ? " < >
// | nor control characters (a ":" becomes " -", a "/" a "-"), no leading dot
// or dash, no trailing dot, at most 120 characters cut after a word;
// "document" when nothing is left. "FISA ACTIVITATII ZILNICE (V.O.K.)" stays.
QString fileNameFor(const QString &description);

// The folder a save is proposed in: that of the last save of this run, else
// the Documents folder, else the home folder; always one that exists.
QString saveFolder();
// The full path proposed for a description and a suffix.
QString proposedSavePath(const QString &description, const QString &suffix);

// The document name a printer is given, so that the print dialog's "print to
// file" proposes fileNameFor(description).pdf (it cuts the name at its last
// dot, so the name carries the suffix).
QString printDocumentName(const QString &description);

} // namespace vok
