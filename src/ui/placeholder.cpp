#include "ui/placeholder.h"

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace vok {

void buildPlaceholder(QDialog *window, const QString &objectName, const QString &caption)
{
    window->setObjectName(objectName);
    window->setWindowTitle(caption);
    auto *layout = new QVBoxLayout(window);
    auto *exit = new QPushButton(QStringLiteral("Iesire"), window);
    exit->setObjectName(QStringLiteral("Command1"));
    layout->addStretch();
    layout->addWidget(exit, 0, Qt::AlignRight);
    QObject::connect(exit, &QPushButton::clicked, window, &QDialog::accept);
    window->resize(480, 240);
}

} // namespace vok
