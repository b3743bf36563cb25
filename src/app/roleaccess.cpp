#include "app/roleaccess.h"

#include <QAction>
#include <QEvent>
#include <QWidget>

namespace vok::roleaccess {

namespace {

using roles::Role;

// The least role that may use a control; `window` empty for the main menu.
struct Rule {
    const char *window;
    const char *control;
    Role least;
    const char *reason;
};

constexpr char adminOnly[] = "Doar administratorul (vok_admin) modifica aceste date";
constexpr char operatorsOnly[] = "Doar operatorii (vok_operator) si administratorul modifica aceste date";

const Rule rules[] = {
    // The main menu: the administrator's windows.
    {"", "mnuset", Role::Admin, adminOnly},
    {"", "mnucompact", Role::Admin, adminOnly},
    {"", "mnurestore", Role::Admin, adminOnly},
    {"", "mnuimport", Role::Admin, adminOnly},
    // AUTO: the vehicle register (its utilities only compute).
    {"auto", "Command1", Role::Admin, adminOnly},
    {"auto", "Command3", Role::Admin, adminOnly},
    // NORMATIV: adding, removing and importing reference rows.
    {"normativ", "Command2", Role::Admin, adminOnly},
    {"normativ", "Command3", Role::Admin, adminOnly},
    {"normativ", "Command4", Role::Admin, adminOnly},
    // The drivers' register, the vehicles' documents and the reminder's
    // settings.
    {"soferi", "Command1", Role::Admin, adminOnly},
    {"soferi", "Command2", Role::Admin, adminOnly},
    {"documente", "Command1", Role::Admin, adminOnly},
    {"documente", "Command3", Role::Admin, adminOnly},
    {"documente", "Command4", Role::Admin, adminOnly},
    {"scadente", "Command1", Role::Admin, adminOnly},
    // The fuel cards' register and the statements' mappings; the imports
    // are the clerks' work.
    {"carduri", "cardsalv", Role::Admin, adminOnly},
    {"carduri", "cardsterg", Role::Admin, adminOnly},
    {"carduri", "formatnou", Role::Admin, adminOnly},
    {"carduri", "formatmodif", Role::Admin, adminOnly},
    {"carduri", "formatsterg", Role::Admin, adminOnly},
    {"carduri", "importextras", Role::Operator, operatorsOnly},
    {"carduri", "importfactura", Role::Operator, operatorsOnly},
    // The journal: bringing back a deleted sheet.
    {"jurnal", "Command3", Role::Admin, adminOnly},
    // The clerks' daily work.
    {"foaie", "Command2", Role::Operator, operatorsOnly},
    {"foaie", "Command3", Role::Operator, operatorsOnly},
    {"foaie", "Command5", Role::Operator, operatorsOnly},
    {"alim", "Command1", Role::Operator, operatorsOnly},
    {"alim", "Command5", Role::Operator, operatorsOnly},
    {"piese", "Command1", Role::Operator, operatorsOnly},
    // V.O.K.: the month's report closes the month first.
    {"foaieaz", "Command2", Role::Operator, operatorsOnly},
    {"situatie", "Command1", Role::Operator, operatorsOnly},
    {"situatie", "Command2", Role::Operator, operatorsOnly},
};

// Keeps a control disabled whatever its window does with it later.
class KeepDisabled : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange) {
            auto *widget = qobject_cast<QWidget *>(watched);
            if (widget && widget->isEnabled() && !m_busy) {
                m_busy = true;
                widget->setEnabled(false);
                m_busy = false;
            }
        }
        return false;
    }

private:
    bool m_busy = false;
};

} // namespace

void applyToMenu(QWidget *menu, Role role)
{
    for (const Rule &rule : rules) {
        if (*rule.window || role >= rule.least)
            continue;
        for (QAction *action : menu->findChildren<QAction *>(QString::fromLatin1(rule.control))) {
            action->setEnabled(false);
            action->setToolTip(QString::fromLatin1(rule.reason));
            action->setStatusTip(QString::fromLatin1(rule.reason));
        }
    }
}

void applyToWindow(QWidget *window, Role role)
{
    for (const Rule &rule : rules) {
        if (window->objectName() != QLatin1String(rule.window) || role >= rule.least)
            continue;
        for (QWidget *control : window->findChildren<QWidget *>(QString::fromLatin1(rule.control))) {
            control->setEnabled(false);
            control->setToolTip(QString::fromLatin1(rule.reason));
            control->installEventFilter(new KeepDisabled(control));
        }
    }
}

} // namespace vok::roleaccess
