#include "ui/qttexts.h"

#include "base/numbers.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTranslator>
#include <QTreeView>

#include <array>

namespace vok {

namespace qttexts {

QString fileDate(const QDateTime &when) { return when.toString(QStringLiteral("dd.MM.yyyy HH:mm")); }

QString fileSize(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 octeti").arg(bytes);
    const std::array<const char *, 4> units = {"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024;
    size_t unit = 0;
    while (value >= 1024 && unit + 1 < units.size()) {
        value /= 1024;
        ++unit;
    }
    return formatNumber(value, QStringLiteral("#0.0")) + u' ' + QLatin1String(units[unit]);
}

} // namespace qttexts

namespace {

// The file dialog's columns.
enum Column { Name = 0, Size = 1, Type = 2, Date = 3 };

// The detail view of a file dialog: sizes and dates as the program writes
// them, read from the files themselves.
class FileDetails : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() != Size && index.column() != Date)
            return;
        QFileInfo info;
        if (auto *files = qobject_cast<const QFileSystemModel *>(index.model()))
            info = files->fileInfo(index);
        else
            info = QFileInfo(index.data(QFileSystemModel::FilePathRole).toString());
        if (!info.exists())
            return;
        if (index.column() == Date)
            option->text = qttexts::fileDate(info.lastModified());
        else if (info.isFile())
            option->text = qttexts::fileSize(info.size());
    }
};

void dress(QFileDialog *dialog)
{
    auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!view || dynamic_cast<FileDetails *>(view->itemDelegate()))
        return;
    view->setItemDelegate(new FileDetails(view));
    const QFontMetrics metrics = view->fontMetrics();
    const int padding = 3 * metrics.averageCharWidth();
    QHeaderView *header = view->header();
    header->resizeSection(Size, metrics.horizontalAdvance(QStringLiteral("999 octeti")) + padding);
    header->resizeSection(Type, metrics.horizontalAdvance(QStringLiteral("Dosar XLSX")) + padding);
    header->resizeSection(Date, metrics.horizontalAdvance(QStringLiteral("00.00.0000 00:00")) + padding);
    // The places on the left read in full ("Calculator").
    if (auto *places = dialog->findChild<QWidget *>(QStringLiteral("sidebar")))
        places->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Calculatorul meu")) + 48);
    // Wide enough for a long name beside the three columns, within 1024 x 768.
    const int details = header->sectionSize(Size) + header->sectionSize(Type) + header->sectionSize(Date);
    const int wanted = std::min(details + metrics.averageCharWidth() * 40 + 260, 1000);
    if (dialog->width() < wanted)
        dialog->resize(wanted, std::max(dialog->height(), 480));
}

// Dresses every file dialog as it shows, Qt's own included (the print
// dialog's "print to file" asks through one).
class FileDialogDresser : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            if (auto *dialog = qobject_cast<QFileDialog *>(watched))
                dress(dialog);
        return false;
    }
};

} // namespace

bool installQtTranslations(QCoreApplication &app)
{
    static bool done = false;
    static bool qtOwnLoaded = false;
    if (done)
        return qtOwnLoaded;
    done = true;
    // Installed last is asked first: Qt's own file, when there is one, before ours.
    auto *ours = new QTranslator(&app);
    if (ours->load(QStringLiteral(":/i18n/qttexts_ro.qm")))
        app.installTranslator(ours);
    else
        qWarning("vok: the Romanian texts of Qt's dialogs are missing from the program");
    auto *qtOwn = new QTranslator(&app);
    if (qtOwn->load(QStringLiteral("qtbase_ro"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(qtOwn);
        qtOwnLoaded = true;
    } else {
        delete qtOwn;
    }
    if (qobject_cast<QApplication *>(&app))
        app.installEventFilter(new FileDialogDresser(&app));
    return qtOwnLoaded;
}

} // namespace vok
