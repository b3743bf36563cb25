#include "app/splashwindow.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace vok {

SplashWindow::SplashWindow(int milliseconds, QWidget *parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("init"));
    auto *title = new QLabel(QStringLiteral("MECANIZARE"), this);
    title->setObjectName(QStringLiteral("Label1"));
    QFont large = title->font();
    large.setPointSize(40);
    large.setBold(true);
    title->setFont(large);
    title->setAlignment(Qt::AlignCenter);

    auto *subtitle = new QLabel(QStringLiteral("VOK"), this);
    subtitle->setObjectName(QStringLiteral("Label2"));
    QFont small = subtitle->font();
    small.setPointSize(22);
    small.setBold(true);
    subtitle->setFont(small);
    subtitle->setAlignment(Qt::AlignCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(60, 50, 60, 50);
    layout->addWidget(title);
    layout->addWidget(subtitle);

    auto *timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("timp"));
    timer->setSingleShot(true);
    timer->setInterval(milliseconds);
    connect(timer, &QTimer::timeout, this, &QDialog::accept);
    timer->start();
}

} // namespace vok
