#include "app/mainwindow.h"

#include "app/databasemenu.h"
#include "app/infowindow.h"
#include "app/journalwindow.h"
#include "app/passwordwindows.h"
#include "app/roleaccess.h"
#include "cards/cardswindow.h"
#include "cards/decontwindow.h"
#include "control/controlwindow.h"
#include "fleet/driverwindow.h"
#include "fleet/duewindow.h"
#include "fleet/normativwindow.h"
#include "fleet/partswindow.h"
#include "fleet/settingswindow.h"
#include "fleet/vehiclewindow.h"
#include "fuel/refuelwindow.h"
#include "months/activitywindow.h"
#include "charts/chartwindow.h"
#include "reports/fleetwindow.h"
#include "months/monthstatuswindow.h"
#include "trips/tripwindow.h"
#include "ui/keys.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QShortcut>

namespace vok {

MainWindow::MainWindow(const WindowContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("mnu"));
    setWindowTitle(QStringLiteral("MECANIZARE - VOK"));
    // No close button: "IESIRE" is the way out.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);

    QMenuBar *bar = menuBar();
    connect(addItem(bar, QStringLiteral("mnuauto"), QStringLiteral("&AUTO")), &QAction::triggered,
            this, &MainWindow::open<VehicleWindow>);
    connect(addItem(bar, QStringLiteral("mnufoi"), QStringLiteral("&FOI_PARCURS")), &QAction::triggered,
            this, &MainWindow::open<TripWindow>);
    connect(addItem(bar, QStringLiteral("mnucarb"), QStringLiteral("A&LIMENTARE")), &QAction::triggered,
            this, &MainWindow::open<RefuelWindow>);
    connect(addItem(bar, QStringLiteral("mnuvok"), QStringLiteral("&V.O.K.")), &QAction::triggered,
            this, &MainWindow::open<ActivityWindow>);
    connect(addItem(bar, QStringLiteral("mnusit"), QStringLiteral("&SITUATIE")), &QAction::triggered,
            this, &MainWindow::open<MonthStatusWindow>);
    connect(addItem(bar, QStringLiteral("mnup"), QStringLiteral("&PIESE")), &QAction::triggered,
            this, &MainWindow::open<PartsWindow>);
    connect(addItem(bar, QStringLiteral("mnuc"), QStringLiteral("&CENTRALIZARE")), &QAction::triggered,
            this, &MainWindow::open<FleetWindow>);
    // Every letter of its caption is taken: no shortcut letter, F10 and the
    // arrows reach it.
    QMenu *control = bar->addMenu(QStringLiteral("CONTROL"));
    control->setObjectName(QStringLiteral("mnucontrol"));
    control->menuAction()->setObjectName(QStringLiteral("mnucontrol"));
    connect(addItem(control, QStringLiteral("mnucontrolc"), QStringLiteral("Control &consum")), &QAction::triggered,
            this, &MainWindow::open<ControlWindow>);
    connect(addItem(control, QStringLiteral("mnusoferi"), QStringLiteral("&Soferi")), &QAction::triggered,
            this, [this] {
                DriverWindow window(m_context, {}, this);
                if (m_context.state)
                    roleaccess::applyToWindow(&window, m_context.state->role);
                window.exec();
                activateWindow();
            });
    connect(addItem(control, QStringLiteral("mnuscadente"), QStringLiteral("Sc&adente")), &QAction::triggered,
            this, [this] { showDue(); });
    connect(addItem(control, QStringLiteral("mnucarduri"), QStringLiteral("Carduri c&ombustibil")), &QAction::triggered,
            this, &MainWindow::open<CardsWindow>);
    connect(addItem(control, QStringLiteral("mnudecont"), QStringLiteral("&Decont carduri")), &QAction::triggered,
            this, &MainWindow::open<DecontWindow>);
    connect(addItem(bar, QStringLiteral("mnugraf"), QStringLiteral("&GRAFICE")), &QAction::triggered,
            this, &MainWindow::open<ChartWindow>);
    connect(addItem(bar, QStringLiteral("mnuset"), QStringLiteral("SE&TARI")), &QAction::triggered,
            this, &MainWindow::open<SettingsWindow>);
    connect(addItem(bar, QStringLiteral("mnunorm"), QStringLiteral("&NORMATIV")), &QAction::triggered,
            this, &MainWindow::open<NormativWindow>);

    // The database's care: copies, restoring one, checking, compacting.
    // "Reparolare" stays disabled: the databases have no database password.
    QMenu *maintenance = bar->addMenu(QStringLiteral("&BAZA-DATE"));
    maintenance->setObjectName(QStringLiteral("mnubz"));
    maintenance->menuAction()->setObjectName(QStringLiteral("mnubz"));
    m_database = new DatabaseMenu(m_context, this);
    connect(addItem(maintenance, QStringLiteral("mnucompact"), QStringLiteral("&Compactare")), &QAction::triggered,
            m_database, &DatabaseMenu::compact);
    connect(addItem(maintenance, QStringLiteral("mnubackup"), QStringLiteral("Co&pie de siguranta")),
            &QAction::triggered, m_database, &DatabaseMenu::copy);
    connect(addItem(maintenance, QStringLiteral("mnurestore"), QStringLiteral("&Restaurare")), &QAction::triggered,
            m_database, &DatabaseMenu::restore);
    connect(addItem(maintenance, QStringLiteral("mnucheck"), QStringLiteral("&Verificare")), &QAction::triggered,
            m_database, &DatabaseMenu::check);
    connect(addItem(maintenance, QStringLiteral("mnuimport"), QStringLiteral("&Import date vechi")),
            &QAction::triggered, m_database, &DatabaseMenu::importOldData);
    addItem(maintenance, QStringLiteral("mnureparol"), QStringLiteral("R&eparolare"))->setEnabled(false);

    connect(addItem(bar, QStringLiteral("mnupar"), QStringLiteral("PA&ROLA")), &QAction::triggered,
            this, &MainWindow::openPassword);

    QMenu *info = bar->addMenu(QStringLiteral("INF&O"));
    info->setObjectName(QStringLiteral("mnuinfo"));
    info->menuAction()->setObjectName(QStringLiteral("mnuinfo"));
    connect(addItem(info, QStringLiteral("mnuprg"), QStringLiteral("&Program")), &QAction::triggered,
            this, [this] {
                InfoWindow window(this, m_context.state ? InfoWindow::accountLine(m_context.state->login,
                                                                                   m_context.state->role)
                                                        : QString());
                window.exec();
                activateWindow(); // the menu takes the keys again
            });
    connect(addItem(info, QStringLiteral("mnujurnal"), QStringLiteral("&Jurnal modificari")), &QAction::triggered,
            this, &MainWindow::open<JournalWindow>);

    connect(addItem(bar, QStringLiteral("mnuies"), QStringLiteral("&IESIRE")), &QAction::triggered,
            this, [this] {
                m_exiting = true;
                emit exitRequested();
            });

    // What the login's role may not use stays disabled, with the reason.
    if (m_context.state)
        roleaccess::applyToMenu(this, m_context.state->role);

    // The keyboard reaches every item: Alt and its underlined letter, or F10
    // (or Alt alone) and then the arrows and Enter.
    keys::install();
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    f10->setContext(Qt::WindowShortcut);
    connect(f10, &QShortcut::activated, this, [bar] {
        if (bar->actions().isEmpty())
            return;
        bar->setFocus(Qt::MenuBarFocusReason);
        bar->setActiveAction(bar->actions().first());
    });

    // Wide enough for every item of the menu bar: none may hide behind its
    // overflow arrow ("IESIRE" least of all), and no wider than the screen
    // the program is made for.
    resize(std::clamp(bar->sizeHint().width() + 16, 900, 1020), 120);
}

QAction *MainWindow::addItem(QWidget *menu, const QString &name, const QString &caption)
{
    auto *action = new QAction(caption, menu);
    action->setObjectName(name);
    menu->addAction(action);
    return action;
}

QAction *MainWindow::item(const QString &name) const
{
    const QList<QAction *> actions = findChildren<QAction *>(name);
    return actions.isEmpty() ? nullptr : actions.first();
}

template <typename Window> void MainWindow::open()
{
    Window window(m_context, this);
    if (m_context.state)
        roleaccess::applyToWindow(&window, m_context.state->role);
    window.exec();
    // Back to the menu, which takes the keys again.
    activateWindow();
}

void MainWindow::showDue()
{
    DueWindow window(m_context, QDate::currentDate(), this);
    if (m_context.state)
        roleaccess::applyToWindow(&window, m_context.state->role);
    window.exec();
    activateWindow();
}

void MainWindow::openPassword() { openPasswordWindow(m_context, this); }

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_exiting)
        event->accept();
    else
        event->ignore();
}

} // namespace vok
