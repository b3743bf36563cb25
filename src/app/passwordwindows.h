#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

namespace vok {

// `par`: the access-password prompt at start. Accepted after a correct entry;
// rejected by "Revocare", by a close request, or after the third wrong entry
// (the program then ends).
class PromptWindow : public QDialog {
    Q_OBJECT
public:
    // Checks the password of the data folder (sys.db).
    explicit PromptWindow(const WindowContext &context, QWidget *parent = nullptr);
    // Checks with `check`: on a server, whether the typed password opens the
    // login's session (it may throw DbError, shown as a message).
    PromptWindow(const WindowContext &context, std::function<bool(const QString &)> check, QWidget *parent = nullptr);

private:
    void confirm();
    WindowContext m_context;
    std::function<bool(const QString &)> m_check;
    QLineEdit *m_passconf;
};

// `par1`: sets a first password.
class SetPasswordWindow : public QDialog {
    Q_OBJECT
public:
    explicit SetPasswordWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    void save();
    WindowContext m_context;
    QLineEdit *m_pass;
    QLineEdit *m_passc;
};

// `par2`: changes the password (on a server, the login's own).
class ChangePasswordWindow : public QDialog {
    Q_OBJECT
public:
    explicit ChangePasswordWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    void save();
    bool oldMatches(const QString &typed) const;
    void store(const QString &password) const;
    WindowContext m_context;
    QLineEdit *m_passold;
    QLineEdit *m_pass;
    QLineEdit *m_passc;
};

// "PAROLA": `par2` when a password is set, `par1` otherwise; on a server
// always `par2`, for the login's own password.
void openPasswordWindow(const WindowContext &context, QWidget *parent);

} // namespace vok
