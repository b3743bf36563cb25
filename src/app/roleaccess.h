#pragma once

#include "db/roles.h"

class QWidget;

// What the windows let a role use. A menu item or a button the role may not
// use is disabled, and its tooltip says why; the server refuses the rest.
namespace vok::roleaccess {

// The items of the main menu `menu` (found by objectName).
void applyToMenu(QWidget *menu, roles::Role role);

// The buttons of a window about to open (by its objectName and theirs); a
// button the window enables again later stays disabled.
void applyToWindow(QWidget *window, roles::Role role);

} // namespace vok::roleaccess
