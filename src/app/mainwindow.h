#pragma once

#include "ui/windowcontext.h"

#include <QMainWindow>

class QAction;

namespace vok {

class DatabaseMenu;

// The main menu `mnu`: nothing but its menu bar. Each item opens its window
// modally, created afresh each time. Only "IESIRE" ends the program.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const WindowContext &context, QWidget *parent = nullptr);

    // The menu item of that objectName ("mnuauto", "mnuies", ...).
    QAction *item(const QString &name) const;

    // The window "Scadente" over the menu (CONTROL, and at start when
    // something is due).
    void showDue();

    // The items of "BAZA-DATE".
    DatabaseMenu *databaseMenu() const { return m_database; }

signals:
    // Emitted by "IESIRE" (the program ends).
    void exitRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    template <typename Window> void open();
    QAction *addItem(QWidget *menu, const QString &name, const QString &caption);
    void openPassword();

    WindowContext m_context;
    DatabaseMenu *m_database = nullptr;
    bool m_exiting = false;
};

} // namespace vok
