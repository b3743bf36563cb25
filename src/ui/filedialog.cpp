#include "ui/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStandardPaths>

namespace vok {

namespace {

class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QStringLiteral("Folder");
        return info.suffix().isEmpty() ? QStringLiteral("Fisier") : info.suffix().toUpper();
    }
};

// The folder of the last save, for the run.
QString &lastSaveFolder()
{
    static QString folder;
    return folder;
}

constexpr qsizetype longestName = 120;

} // namespace

QString askForFile(QWidget *parent, const FileRequest &request)
{
    NameOnlyIconProvider icons;
    QFileDialog dialog(parent, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // so that it takes our icon provider
    dialog.setIconProvider(&icons);
    dialog.setNameFilters(request.nameFilters);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (request.folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        dialog.selectFile(request.suggested);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString fileNameFor(const QString &description)
{
    QString name;
    for (const QChar ch : description) {
        if (ch == u':')
            name += QStringLiteral(" -");
        else if (ch == u'/' || ch == u'\\')
            name += u'-';
        else if (QStringLiteral("*?\"<>|").contains(ch) || ch.category() == QChar::Other_Control)
            name += u' ';
        else
            name += ch;
    }
    name = name.simplified();
    if (name.size() > longestName) {
        const qsizetype space = name.at(longestName) == u' ' ? longestName : name.lastIndexOf(u' ', longestName - 1);
        name = name.left(space > 0 ? space : longestName);
    }
    // Hidden or taken for an option at the front; lost by some systems at the end.
    while (!name.isEmpty() && (name.front() == u'.' || name.front() == u'-' || name.front() == u' '))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == u'.' || name.back() == u' ' || name.back() == u'-' || name.back() == u','))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("document") : name;
}

QString saveFolder()
{
    for (const QString &candidate : {lastSaveFolder(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)})
        if (!candidate.isEmpty() && QFileInfo(candidate).isDir())
            return QDir(candidate).absolutePath();
    return QDir::homePath();
}

QString proposedSavePath(const QString &description, const QString &suffix)
{
    return QDir(saveFolder()).absoluteFilePath(fileNameFor(description) + u'.' + suffix);
}

QString printDocumentName(const QString &description)
{
    return fileNameFor(description) + QStringLiteral(".pdf");
}

QString askWhereToSave(QWidget *parent, const SaveRequest &request, const FileChooser &choose)
{
    FileRequest file;
    file.title = request.title;
    file.nameFilters = {request.nameFilter};
    file.save = true;
    file.suggested = proposedSavePath(request.description, request.suffix);
    file.defaultSuffix = request.suffix;
    QString path = choose ? choose(file) : askForFile(parent, file);
    if (path.isEmpty())
        return {};
    if (!path.endsWith(u'.' + request.suffix, Qt::CaseInsensitive))
        path += u'.' + request.suffix;
    lastSaveFolder() = QFileInfo(path).absolutePath();
    return path;
}

} // namespace vok
