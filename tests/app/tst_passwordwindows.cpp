#include "app/passwordwindows.h"
#include "db/database.h"
#include "db/passwordstore.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace vok;

namespace {
const QString wrong = QStringLiteral(" Parola nu corespunde !!! ");
const QString intruder = QStringLiteral(" Va rugam nu mai insistati.Sunteti un intrus !!! ");

void type(QWidget *window, const char *box, const QString &text)
{
    test::child<QLineEdit>(window, QString::fromLatin1(box))->setText(text);
}

void click(QWidget *window, const char *button)
{
    test::child<QPushButton>(window, QString::fromLatin1(button))->click();
}
} // namespace

class PasswordWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void storeKeepsAHashNotTheText();
    void emptyPasswordMeansNone();
    void promptAcceptsExactTextOnly();
    void twoWrongThenRightOpens();
    void enterIsOneAttempt();
    void thirdWrongEndsTheProgram();
    void revocareAndCloseRequestEndTheProgram();
    void setPasswordTrimsTheComparisonButStoresAsTyped();
    void setPasswordUnconfirmedEmptiesBoth();
    void changePasswordChecksTheOldOne();
    void changePasswordAcceptsOldWithTrailingSpace();
    void apostropheIsJustACharacter();
    void parolaChoosesTheWindow();
    void serverPromptAsksTheServer();
};

void PasswordWindowsTest::storeKeepsAHashNotTheText()
{
    test::TestEnvironment env;
    PasswordStore store(env.sys());
    store.set(QStringLiteral("secret"));
    const QString stored = scalar(env.sys(), QStringLiteral("SELECT parola FROM valid")).toString();
    QVERIFY(!stored.contains(QStringLiteral("secret")));
    QVERIFY(stored.startsWith(QStringLiteral("$argon2")));
    QVERIFY(store.matches(QStringLiteral("secret")));
    QVERIFY(!store.matches(QStringLiteral("Secret")));
    QVERIFY(!store.matches(QStringLiteral("secret ")));
}

void PasswordWindowsTest::emptyPasswordMeansNone()
{
    test::TestEnvironment env;
    PasswordStore store(env.sys());
    QVERIFY(!store.isSet());
    store.set(QStringLiteral("x"));
    QVERIFY(store.isSet());
    store.set(QString());
    QVERIFY(!store.isSet());
    QCOMPARE(scalar(env.sys(), QStringLiteral("SELECT COUNT(*) FROM valid")).toInt(), 1);
}

void PasswordWindowsTest::promptAcceptsExactTextOnly()
{
    test::TestEnvironment env;
    PasswordStore(env.sys()).set(QStringLiteral("Fleet"));
    PromptWindow prompt(env.context());
    QVERIFY(test::showActive(&prompt));
    type(&prompt, "passconf", QStringLiteral("fleet"));
    click(&prompt, "Command2");
    QCOMPARE(env.messages().texts(), QStringList{wrong});
    QVERIFY(prompt.isVisible());
    type(&prompt, "passconf", QStringLiteral("Fleet"));
    click(&prompt, "Command2");
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
    QVERIFY(env.messages().problems().isEmpty());
}

void PasswordWindowsTest::twoWrongThenRightOpens()
{
    test::TestEnvironment env;
    PasswordStore(env.sys()).set(QStringLiteral("abc"));
    env.state().passwordAttempts = 1;
    PromptWindow prompt(env.context());
    QVERIFY(test::showActive(&prompt));
    for (int i = 0; i < 2; ++i) {
        type(&prompt, "passconf", QStringLiteral("no"));
        click(&prompt, "Command2");
    }
    QCOMPARE(env.messages().texts(), (QStringList{wrong, wrong}));
    QCOMPARE(env.state().passwordAttempts, 3);
    type(&prompt, "passconf", QStringLiteral("abc"));
    click(&prompt, "Command2");
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
}

void PasswordWindowsTest::enterIsOneAttempt()
{
    // Enter in the box reaches the default button "OK": one attempt, not two.
    test::TestEnvironment env;
    PasswordStore(env.sys()).set(QStringLiteral("abc"));
    env.state().passwordAttempts = 1;
    PromptWindow prompt(env.context());
    QVERIFY(test::showActive(&prompt));
    auto *box = test::child<QLineEdit>(&prompt, QStringLiteral("passconf"));
    for (int attempt = 1; attempt <= 2; ++attempt) {
        test::type(box, QStringLiteral("no"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(env.messages().texts().size(), attempt);
        QCOMPARE(env.state().passwordAttempts, attempt + 1);
    }
    QVERIFY(prompt.isVisible());
    test::type(box, QStringLiteral("abc"));
    QTest::keyClick(box, Qt::Key_Enter);
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
    QCOMPARE(env.messages().texts(), (QStringList{wrong, wrong}));
}

void PasswordWindowsTest::thirdWrongEndsTheProgram()
{
    test::TestEnvironment env;
    PasswordStore(env.sys()).set(QStringLiteral("abc"));
    env.state().passwordAttempts = 1;
    PromptWindow prompt(env.context());
    QVERIFY(test::showActive(&prompt));
    for (int i = 0; i < 3; ++i) {
        type(&prompt, "passconf", QStringLiteral("ABC"));
        click(&prompt, "Command2");
    }
    QCOMPARE(env.messages().texts(), (QStringList{wrong, wrong, intruder}));
    QVERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Rejected));
}

void PasswordWindowsTest::revocareAndCloseRequestEndTheProgram()
{
    test::TestEnvironment env;
    PasswordStore(env.sys()).set(QStringLiteral("abc"));
    {
        PromptWindow prompt(env.context());
        QVERIFY(test::showActive(&prompt));
        click(&prompt, "Command1");
        QCOMPARE(prompt.result(), int(QDialog::Rejected));
    }
    {
        PromptWindow prompt(env.context());
        QVERIFY(test::showActive(&prompt));
        QVERIFY(!(prompt.windowFlags() & Qt::WindowCloseButtonHint));
        prompt.close();
        QCOMPARE(prompt.result(), int(QDialog::Rejected));
    }
    QVERIFY(env.messages().texts().isEmpty());
}

void PasswordWindowsTest::setPasswordTrimsTheComparisonButStoresAsTyped()
{
    test::TestEnvironment env;
    SetPasswordWindow window(env.context());
    QVERIFY(test::showActive(&window));
    type(&window, "pass", QStringLiteral(" pw"));
    type(&window, "passc", QStringLiteral("pw"));
    click(&window, "Command2");
    QCOMPARE(window.result(), int(QDialog::Accepted));
    PasswordStore store(env.sys());
    QVERIFY(store.matches(QStringLiteral(" pw")));
    QVERIFY(!store.matches(QStringLiteral("pw")));
    QVERIFY(env.messages().texts().isEmpty());
}

void PasswordWindowsTest::setPasswordUnconfirmedEmptiesBoth()
{
    test::TestEnvironment env;
    SetPasswordWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QCOMPARE(test::child<QLineEdit>(&window, QStringLiteral("pass"))->maxLength(), 30);
    type(&window, "pass", QStringLiteral("one"));
    type(&window, "passc", QStringLiteral("two"));
    click(&window, "Command2");
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral("Parola nu a fost confirmata !!! ")});
    QVERIFY(test::child<QLineEdit>(&window, QStringLiteral("pass"))->text().isEmpty());
    QVERIFY(test::child<QLineEdit>(&window, QStringLiteral("passc"))->text().isEmpty());
    QVERIFY(window.isVisible());
    QVERIFY(!PasswordStore(env.sys()).isSet());
    click(&window, "Command1");
    QCOMPARE(window.result(), int(QDialog::Rejected));
}

void PasswordWindowsTest::changePasswordChecksTheOldOne()
{
    test::TestEnvironment env;
    if (env.onServer())
        QSKIP("on a server the password is the login's own (tests/postgres/tst_roles)");
    PasswordStore(env.sys()).set(QStringLiteral("old"));
    ChangePasswordWindow window(env.context());
    QVERIFY(test::showActive(&window));
    type(&window, "passold", QStringLiteral("wrong"));
    type(&window, "pass", QStringLiteral("new"));
    type(&window, "passc", QStringLiteral("new"));
    click(&window, "Command2");
    QCOMPARE(env.messages().last(), QStringLiteral(" Parola veche nu corespunde !!! "));
    for (const char *box : {"passold", "pass", "passc"})
        QVERIFY(test::child<QLineEdit>(&window, QString::fromLatin1(box))->text().isEmpty());

    type(&window, "passold", QStringLiteral("old"));
    type(&window, "pass", QStringLiteral("new"));
    type(&window, "passc", QStringLiteral("newer"));
    click(&window, "Command2");
    QCOMPARE(env.messages().last(), QStringLiteral(" Parola nu a fost confirmata !!! "));
    QCOMPARE(test::child<QLineEdit>(&window, QStringLiteral("passold"))->text(), QStringLiteral("old"));
    QVERIFY(test::child<QLineEdit>(&window, QStringLiteral("pass"))->text().isEmpty());
    QVERIFY(PasswordStore(env.sys()).matches(QStringLiteral("old")));
}

void PasswordWindowsTest::changePasswordAcceptsOldWithTrailingSpace()
{
    test::TestEnvironment env;
    if (env.onServer())
        QSKIP("on a server the password is the login's own (tests/postgres/tst_roles)");
    PasswordStore(env.sys()).set(QStringLiteral("old"));
    ChangePasswordWindow window(env.context());
    QVERIFY(test::showActive(&window));
    type(&window, "passold", QStringLiteral("old "));
    type(&window, "pass", QString());
    type(&window, "passc", QString());
    click(&window, "Command2");
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(!PasswordStore(env.sys()).isSet()); // an empty new password removes it
    QVERIFY(env.messages().texts().isEmpty());
}

void PasswordWindowsTest::apostropheIsJustACharacter()
{
    test::TestEnvironment env;
    SetPasswordWindow window(env.context());
    QVERIFY(test::showActive(&window));
    type(&window, "pass", QStringLiteral("o'brien"));
    type(&window, "passc", QStringLiteral("o'brien"));
    click(&window, "Command2");
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(PasswordStore(env.sys()).matches(QStringLiteral("o'brien")));
}

void PasswordWindowsTest::parolaChoosesTheWindow()
{
    test::TestEnvironment env;
    QStringList opened;
    auto closeWhenShown = [&] {
        QTimer::singleShot(0, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened << modal->objectName();
                modal->close();
            }
        });
    };
    closeWhenShown();
    openPasswordWindow(env.context(), nullptr);
    PasswordStore(env.sys()).set(QStringLiteral("x"));
    closeWhenShown();
    openPasswordWindow(env.context(), nullptr);
    // On a server the login always has a password of its own to change.
    QCOMPARE(opened, (QStringList{env.onServer() ? QStringLiteral("par2") : QStringLiteral("par1"),
                                  QStringLiteral("par2")}));
}

void PasswordWindowsTest::serverPromptAsksTheServer()
{
    // On a server `par` asks whether the typed password opens the login's
    // session; a failure that is not the password's is said, and the prompt stays.
    test::TestEnvironment env;
    QStringList asked;
    PromptWindow prompt(env.context(), [&](const QString &typed) {
        asked << typed;
        if (typed == QLatin1String("down"))
            throw DbError(QStringLiteral("server: connection refused"));
        return typed == QLatin1String("ana-parola");
    });
    QVERIFY(test::showActive(&prompt));
    auto *box = test::child<QLineEdit>(&prompt, QStringLiteral("passconf"));
    for (const QString &typed : {QStringLiteral("gresit"), QStringLiteral("down"), QStringLiteral("ana-parola")}) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Return);
    }
    QCOMPARE(asked, (QStringList{QStringLiteral("gresit"), QStringLiteral("down"), QStringLiteral("ana-parola")}));
    QCOMPARE(env.messages().texts(), (QStringList{wrong, QStringLiteral("server: connection refused")}));
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
}

QTEST_MAIN(PasswordWindowsTest)
#include "tst_passwordwindows.moc"
