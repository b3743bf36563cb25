#include "ui/filedialog.h"

#include <QFileDialog>
#include <QFileIconProvider>

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

} // namespace vok
