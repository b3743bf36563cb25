#pragma once

#include <QString>

class QWidget;

namespace vok {

// Every message box of the program goes through this service, so that tests
// can script the answers and record what the clerk would have seen.
class MessageService {
public:
    enum class Icon { None, Information, Warning, Critical };

    virtual ~MessageService() = default;

    // An OK-only message.
    virtual void inform(QWidget *parent, const QString &text, const QString &title = {},
                        Icon icon = Icon::None) = 0;
    // A Yes/No question; anything but Yes is No.
    virtual bool confirm(QWidget *parent, const QString &text, const QString &title = {},
                         Icon icon = Icon::None) = 0;
    // A Yes/No question whose Yes destroys data (a deletion): "Nu" is the
    // default button, so an Enter pressed out of habit keeps the data. A
    // service without default buttons (a quiet or scripted one) may leave it
    // to confirm().
    virtual bool confirmDestructive(QWidget *parent, const QString &text, const QString &title = {},
                                    Icon icon = Icon::None)
    {
        return confirm(parent, text, title, icon);
    }
    // A failure of the database or of a report, with the engine's own message.
    virtual void error(QWidget *parent, const QString &text, const QString &title = {}) = 0;

    // True while a message box is up; checks on leaving a box ignore the focus
    // changes it causes.
    static bool isShowing();

protected:
    // Counts message boxes on screen for isShowing().
    class ShowingScope {
    public:
        ShowingScope();
        ~ShowingScope();
    };
};

// The title every message box carries unless it names its own.
QString defaultMessageTitle();

// The message service that shows real QMessageBox windows.
class QtMessageService : public MessageService {
public:
    void inform(QWidget *parent, const QString &text, const QString &title = {},
                Icon icon = Icon::None) override;
    bool confirm(QWidget *parent, const QString &text, const QString &title = {},
                 Icon icon = Icon::None) override;
    bool confirmDestructive(QWidget *parent, const QString &text, const QString &title = {},
                            Icon icon = Icon::None) override;
    void error(QWidget *parent, const QString &text, const QString &title = {}) override;
};

} // namespace vok
