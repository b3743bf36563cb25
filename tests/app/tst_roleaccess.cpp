#include "app/infowindow.h"
#include "app/mainwindow.h"
#include "app/roleaccess.h"
#include "testenvironment.h"
#include "trips/tripwindow.h"
#include "windowtest.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace vok;
using roles::Role;

// The windows follow the login's role: what it may not use is disabled, with
// the reason in its tooltip, and stays so.
class RoleAccessTest : public QObject {
    Q_OBJECT
private slots:
    void menuFollowsTheRole_data();
    void menuFollowsTheRole();
    void buttonsStayDisabled_data();
    void buttonsStayDisabled();
    void infoShowsTheLoginAndRole();
};

void RoleAccessTest::menuFollowsTheRole_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("cititor: SETARI") << int(Role::Cititor) << QStringLiteral("mnuset") << false;
    QTest::newRow("cititor: trip sheets, read") << int(Role::Cititor) << QStringLiteral("mnufoi") << true;
    QTest::newRow("cititor: own password") << int(Role::Cititor) << QStringLiteral("mnupar") << true;
    QTest::newRow("operator: SETARI") << int(Role::Operator) << QStringLiteral("mnuset") << false;
    QTest::newRow("operator: restore") << int(Role::Operator) << QStringLiteral("mnurestore") << false;
    QTest::newRow("operator: import") << int(Role::Operator) << QStringLiteral("mnuimport") << false;
    QTest::newRow("operator: journal") << int(Role::Operator) << QStringLiteral("mnujurnal") << true;
    QTest::newRow("admin: SETARI") << int(Role::Admin) << QStringLiteral("mnuset") << true;
    QTest::newRow("admin: restore") << int(Role::Admin) << QStringLiteral("mnurestore") << true;
    QTest::newRow("owner: import") << int(Role::Owner) << QStringLiteral("mnuimport") << true;
}

void RoleAccessTest::menuFollowsTheRole()
{
    QFETCH(int, role);
    QFETCH(QString, item);
    QFETCH(bool, enabled);
    test::TestEnvironment env;
    env.state().role = Role(role);
    MainWindow menu(env.context());
    QAction *action = menu.item(item);
    QVERIFY(action);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->toolTip().startsWith(QStringLiteral("Doar ")), !enabled);
}

void RoleAccessTest::buttonsStayDisabled_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("cititor") << int(Role::Cititor) << false;
    QTest::newRow("operator") << int(Role::Operator) << true;
    QTest::newRow("admin") << int(Role::Admin) << true;
}

void RoleAccessTest::buttonsStayDisabled()
{
    QFETCH(int, role);
    QFETCH(bool, enabled);
    test::TestEnvironment env;
    TripWindow window(env.context());
    roleaccess::applyToWindow(&window, Role(role));
    QVERIFY(test::showActive(&window));
    for (const char *name : {"Command2", "Command3", "Command5"}) {
        auto *button = test::child<QPushButton>(&window, QString::fromLatin1(name));
        // The window enables its buttons as it sees fit; the role's rule holds.
        button->setEnabled(true);
        QCOMPARE(button->isEnabled(), enabled);
        QCOMPARE(button->toolTip().contains(QStringLiteral("vok_operator")), !enabled);
    }
    // Leaving is always allowed.
    QVERIFY(test::child<QPushButton>(&window, QStringLiteral("Command4"))->isEnabled());
}

void RoleAccessTest::infoShowsTheLoginAndRole()
{
    InfoWindow window(nullptr, InfoWindow::accountLine(QStringLiteral("ana"), Role::Operator));
    QCOMPARE(test::child<QLabel>(&window, QStringLiteral("utilizator"))->text(),
             QStringLiteral("Utilizator: ana (vok_operator)"));
    InfoWindow plain;
    QVERIFY(!plain.findChild<QLabel *>(QStringLiteral("utilizator")));
}

QTEST_MAIN(RoleAccessTest)
#include "tst_roleaccess.moc"
