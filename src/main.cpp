#include "app/commandline.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    vok::commandline::prepare(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vok"));
    QApplication::setApplicationVersion(QStringLiteral(VOK_VERSION));
    return vok::commandline::run(app);
}
