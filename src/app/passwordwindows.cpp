#include "app/passwordwindows.h"

#include "db/passwordstore.h"
#include "db/roles.h"
#include "db/schema.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/widgets.h"
#include "ui/keys.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vok {

namespace {

constexpr Qt::WindowFlags noCloseButton =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

QLineEdit *passwordBox(QWidget *parent, const QString &name, int maxLength)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEchoMode(QLineEdit::Password);
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    box->setMinimumWidth(220);
    return box;
}

QHBoxLayout *buttonRow(QPushButton *first, QPushButton *second)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(first);
    row->addWidget(second);
    return row;
}

void addRow(QFormLayout *form, const QString &caption, QLineEdit *box)
{
    auto *label = new QLabel(caption);
    label->setBuddy(box);
    form->addRow(label, box);
}

} // namespace

PromptWindow::PromptWindow(const WindowContext &context, QWidget *parent)
    : PromptWindow(
          context, [sys = context.sys](const QString &typed) { return PasswordStore(sys).matches(typed); }, parent)
{
}

PromptWindow::PromptWindow(const WindowContext &context, std::function<bool(const QString &)> check, QWidget *parent)
    : QDialog(parent, noCloseButton)
    , m_context(context)
    , m_check(std::move(check))
{
    setObjectName(QStringLiteral("par"));
    setWindowTitle(QStringLiteral(" "));
    m_passconf = passwordBox(this, QStringLiteral("passconf"), 0);
    fields::selectAllOnEntry(m_passconf);
    auto *ok = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("OK"));
    auto *cancel = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Revocare"));
    ok->setDefault(true);

    auto *form = new QFormLayout;
    addRow(form, QStringLiteral("Parola"), m_passconf);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow(ok, cancel));

    connect(ok, &QPushButton::clicked, this, &PromptWindow::confirm);
    // "Revocare", Escape and a close request all reject the prompt, and the
    // program then ends: the password cannot be bypassed.
    connect(cancel, &QPushButton::clicked, this, &PromptWindow::reject);
    // Enter in the box reaches "OK", the default button, and nothing else:
    // one Enter is one attempt.
}

void PromptWindow::confirm()
{
    bool correct = false;
    if (!guarded(m_context.messages, this, [&] { correct = m_check(m_passconf->text()); }))
        return;
    if (correct) {
        accept();
        return;
    }
    if (m_context.state->passwordAttempts != 3) {
        m_context.messages->inform(this, QStringLiteral(" Parola nu corespunde !!! "));
        ++m_context.state->passwordAttempts;
        m_passconf->setFocus();
        m_passconf->selectAll();
        return;
    }
    m_context.messages->inform(this, QStringLiteral(" Va rugam nu mai insistati.Sunteti un intrus !!! "));
    QDialog::reject();
}

SetPasswordWindow::SetPasswordWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent, noCloseButton)
    , m_context(context)
{
    setObjectName(QStringLiteral("par1"));
    setWindowTitle(QStringLiteral("Introducere parola"));
    m_pass = passwordBox(this, QStringLiteral("pass"), 30);
    m_passc = passwordBox(this, QStringLiteral("passc"), 30);
    auto *save = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Salvare"));
    keys::setSaveButton(save);
    auto *exit = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));

    auto *form = new QFormLayout;
    addRow(form, QStringLiteral("Parola"), m_pass);
    addRow(form, QStringLiteral("Confirmare parola"), m_passc);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow(save, exit));

    connect(save, &QPushButton::clicked, this, &SetPasswordWindow::save);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void SetPasswordWindow::save()
{
    if (m_pass->text().trimmed() != m_passc->text().trimmed()) {
        m_context.messages->inform(this, QStringLiteral("Parola nu a fost confirmata !!! "));
        m_pass->clear();
        m_passc->clear();
        m_pass->setFocus();
        return;
    }
    if (guarded(m_context.messages, this, [&] { PasswordStore(m_context.sys).set(m_pass->text()); }))
        accept();
}

ChangePasswordWindow::ChangePasswordWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent, noCloseButton)
    , m_context(context)
{
    setObjectName(QStringLiteral("par2"));
    setWindowTitle(QStringLiteral("Modificare parola"));
    m_passold = passwordBox(this, QStringLiteral("passold"), 30);
    m_pass = passwordBox(this, QStringLiteral("pass"), 30);
    m_passc = passwordBox(this, QStringLiteral("passc"), 30);
    auto *save = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Salvare"));
    keys::setSaveButton(save);
    auto *exit = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));

    auto *form = new QFormLayout;
    addRow(form, QStringLiteral("Parola veche"), m_passold);
    addRow(form, QStringLiteral("Parola noua"), m_pass);
    addRow(form, QStringLiteral("Confirmare parola noua"), m_passc);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow(save, exit));

    connect(save, &QPushButton::clicked, this, &ChangePasswordWindow::save);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

namespace {
bool onServer(const WindowContext &context)
{
    return schema::dialectOf(context.db) == schema::Dialect::Postgres;
}
} // namespace

bool ChangePasswordWindow::oldMatches(const QString &typed) const
{
    // On a server the old password is the login's: it must open a session.
    if (onServer(m_context))
        return roles::passwordOpensSession(m_context.db, typed);
    return PasswordStore(m_context.sys).matches(typed);
}

void ChangePasswordWindow::store(const QString &password) const
{
    // On a server the login's own password changes, sent as a verifier.
    if (onServer(m_context)) {
        if (password.isEmpty())
            throw DbError(QStringLiteral(" Parola nu poate fi goala !!! "));
        roles::changeOwnPassword(m_context.db, password);
    } else {
        PasswordStore(m_context.sys).set(password);
    }
}

void ChangePasswordWindow::save()
{
    bool matches = false;
    if (!guarded(m_context.messages, this, [&] { matches = oldMatches(m_passold->text().trimmed()); }))
        return;
    if (!matches) {
        m_context.messages->inform(this, QStringLiteral(" Parola veche nu corespunde !!! "));
        m_passold->clear();
        m_pass->clear();
        m_passc->clear();
        m_passold->setFocus();
        return;
    }
    if (m_pass->text().trimmed() != m_passc->text().trimmed()) {
        m_context.messages->inform(this, QStringLiteral(" Parola nu a fost confirmata !!! "));
        m_pass->clear();
        m_passc->clear();
        m_pass->setFocus();
        return;
    }
    if (guarded(m_context.messages, this, [&] { store(m_pass->text()); }))
        accept();
}

void openPasswordWindow(const WindowContext &context, QWidget *parent)
{
    if (onServer(context)) {
        ChangePasswordWindow window(context, parent);
        window.exec();
        return;
    }
    bool isSet = false;
    if (!guarded(context.messages, parent, [&] { isSet = PasswordStore(context.sys).isSet(); }))
        return;
    if (isSet) {
        ChangePasswordWindow window(context, parent);
        window.exec();
    } else {
        SetPasswordWindow window(context, parent);
        window.exec();
    }
}

} // namespace vok
