#pragma once

#include <QString>
#include <QStringList>

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

} // namespace vok
