#pragma once

class QWidget;

namespace vok::windowfocus {

// Makes `dialog` give the keyboard back as it closes: the window that was
// active when it showed is activated again, with the focus on the control
// that had it (the one that opened the dialog). A window manager does this;
// without one (a kiosk, a minimal desktop) nobody else would, and the keys
// typed next would go to the root window, or move the focus inside an
// inactive window without the focus events that the checks on leaving a box
// wait for. keys::install does it for every dialog of the program (message
// boxes give the activation back themselves); once per dialog is enough, more
// is harmless.
void giveBackOnClose(QWidget *dialog);

} // namespace vok::windowfocus
