#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vok {

// `par`: the access-password prompt at start. Accepted after a correct entry;
// rejected by "Revocare", by a close request, or after the third wrong entry
// (the program then ends).
class PromptWindow : public QDialog {
    Q_OBJECT
public:
    explicit PromptWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    void confirm();
    WindowContext m_context;
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

// `par2`: changes the password.
class ChangePasswordWindow : public QDialog {
    Q_OBJECT
public:
    explicit ChangePasswordWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    void save();
    WindowContext m_context;
    QLineEdit *m_passold;
    QLineEdit *m_pass;
    QLineEdit *m_passc;
};

// "PAROLA": `par2` when a password is set, `par1` otherwise.
void openPasswordWindow(const WindowContext &context, QWidget *parent);

} // namespace vok
