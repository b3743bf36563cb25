#include "app/infowindow.h"
#include "app/mainwindow.h"
#include "app/splashwindow.h"
#include "testenvironment.h"
#include "ui/keys.h"
#include "windowtest.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QtTest>

using namespace vok;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void menuBarInOrder();
    void eachItemOpensItsWindow_data();
    void eachItemOpensItsWindow();
    void controlReachedWithF10();
    void closeRequestIsRefused();
    void iesireEndsTheProgram();
    void infoShowsItsTexts();
    void splashClosesByItself();
};

void MainWindowTest::menuBarInOrder()
{
    test::TestEnvironment env;
    MainWindow menu(env.context());
    QCOMPARE(menu.objectName(), QStringLiteral("mnu"));
    QCOMPARE(menu.windowTitle(), QStringLiteral("MECANIZARE - VOK"));
    QStringList captions;
    for (QAction *action : menu.menuBar()->actions())
        captions << keys::caption(action->text());
    QCOMPARE(captions, (QStringList{"AUTO", "FOI_PARCURS", "ALIMENTARE", "V.O.K.", "SITUATIE", "PIESE", "CENTRALIZARE",
                                    "CONTROL", "GRAFICE", "SETARI", "NORMATIV", "BAZA-DATE", "PAROLA", "INFO", "IESIRE"}));
    QAction *maintenance = menu.item(QStringLiteral("mnubz"));
    QVERIFY(maintenance && maintenance->isEnabled());
    QStringList items;
    for (QAction *action : maintenance->menu()->actions())
        items << action->objectName() + u'|' + keys::caption(action->text()) + (action->isEnabled() ? "" : "|disabled");
    QCOMPARE(items, (QStringList{"mnucompact|Compactare", "mnubackup|Copie de siguranta", "mnurestore|Restaurare",
                                 "mnucheck|Verificare", "mnuimport|Import date vechi",
                                 "mnureparol|Reparolare|disabled"}));
    QCOMPARE(keys::caption(menu.item(QStringLiteral("mnuprg"))->text()), QStringLiteral("Program"));
    // Every item shows on a 1024-pixel screen; none hides behind the overflow arrow.
    QVERIFY(test::showActive(&menu));
    QVERIFY(menu.width() <= 1024);
    QVERIFY(menu.menuBar()->actionGeometry(menu.item(QStringLiteral("mnuies"))).right() < menu.width());
    QVERIFY(menu.menuBar()->actionGeometry(menu.item(QStringLiteral("mnuies"))).isValid());
}

void MainWindowTest::eachItemOpensItsWindow_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::newRow("mnuauto") << "mnuauto" << "auto" << "Setari date auto";
    QTest::newRow("mnufoi") << "mnufoi" << "foaie" << "Date foi parcurs";
    QTest::newRow("mnucarb") << "mnucarb" << "alim" << "Alimentare carburant, ulei ";
    QTest::newRow("mnuvok") << "mnuvok" << "foaieaz" << "Fisa activitatii zilnice";
    QTest::newRow("mnusit") << "mnusit" << "situatie" << "Situatia lunilor";
    QTest::newRow("mnup") << "mnup" << "piese" << "Piese, reparatii etc.";
    QTest::newRow("mnuc") << "mnuc" << "central" << "Centralizare autovehicule";
    QTest::newRow("mnugraf") << "mnugraf" << "grafice" << "Grafice";
    QTest::newRow("mnuset") << "mnuset" << "setari" << "Elemente care apar in rapoarte";
    QTest::newRow("mnunorm") << "mnunorm" << "normativ" << "Tabele normativ";
    QTest::newRow("mnupar") << "mnupar" << "par1" << "Introducere parola";
    QTest::newRow("mnuprg") << "mnuprg" << "info" << "Informatii";
    QTest::newRow("mnujurnal") << "mnujurnal" << "jurnal" << "Jurnal modificari";
    QTest::newRow("mnucontrolc") << "mnucontrolc" << "control" << "Control consum";
}

void MainWindowTest::controlReachedWithF10()
{
    // Every letter of CONTROL is another item's: no shortcut letter; F10 and
    // the arrows reach it, after CENTRALIZARE.
    test::TestEnvironment env;
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    QAction *control = menu.item(QStringLiteral("mnucontrol"));
    QVERIFY(control && control->menu());
    QCOMPARE(control->text(), QStringLiteral("CONTROL"));
    QCOMPARE(control->menu()->actions().value(0)->objectName(), QStringLiteral("mnucontrolc"));
    QTest::keyClick(&menu, Qt::Key_F10);
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(menu.menuBar(), Qt::Key_Right);
    QCOMPARE(menu.menuBar()->activeAction(), control);
    QTest::keyClick(menu.menuBar(), Qt::Key_Escape);
}

void MainWindowTest::eachItemOpensItsWindow()
{
    QFETCH(QString, item);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    test::TestEnvironment env;
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    QStringList seen;
    // Opened twice: the window is created afresh and modal each time.
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, &menu, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            seen << modal->objectName() + u'|' + modal->windowTitle();
            QVERIFY(modal->isModal());
            modal->close();
        });
        menu.item(item)->trigger();
    }
    QCOMPARE(seen, QStringList(2, window + u'|' + caption));
}

void MainWindowTest::closeRequestIsRefused()
{
    test::TestEnvironment env;
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    QVERIFY(!(menu.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!menu.close());
    QVERIFY(menu.isVisible());
}

void MainWindowTest::iesireEndsTheProgram()
{
    test::TestEnvironment env;
    MainWindow menu(env.context());
    QSignalSpy exit(&menu, &MainWindow::exitRequested);
    menu.item(QStringLiteral("mnuies"))->trigger();
    QCOMPARE(exit.count(), 1);
    QVERIFY(menu.close());
}

void MainWindowTest::infoShowsItsTexts()
{
    InfoWindow info;
    const QList<QLabel *> labels = info.findChildren<QLabel *>();
    QCOMPARE(labels.size(), 19);
    QCOMPARE(InfoWindow::texts().size(), 19);
    QCOMPARE(labels.first()->text(), InfoWindow::texts().first());
    QVERIFY(InfoWindow::texts().at(13) == QStringLiteral("ATENTIE !!!"));
    QVERIFY(InfoWindow::texts().last().endsWith(QStringLiteral("Ordinul nr.14/27.09.1982 ")));
}

void MainWindowTest::splashClosesByItself()
{
    SplashWindow splash(50);
    QCOMPARE(splash.objectName(), QStringLiteral("init"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(splash.exec(), int(QDialog::Accepted));
    QVERIFY(clock.elapsed() >= 40);
    const QList<QLabel *> labels = splash.findChildren<QLabel *>();
    QCOMPARE(labels.size(), 2);
    QVERIFY(labels.at(0)->font().pointSize() > labels.at(1)->font().pointSize());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
