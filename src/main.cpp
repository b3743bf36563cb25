#include "app/commandline.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    vok::commandline::prepare(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vok"));
    QApplication::setApplicationVersion(QStringLiteral(VOK_VERSION));
    // Every window shows the program's icon; the desktop finds its menu entry by this name.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/vok-48.png"));
    icon.addFile(QStringLiteral(":/icons/vok-256.png"));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("vok"));
    return vok::commandline::run(app);
}
