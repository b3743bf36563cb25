#pragma once

class QApplication;

namespace vok::commandline {

// Before any application object exists: a run that needs no window (help,
// version, or one of the command-line modes such as --report) is given the
// offscreen platform, so that it works on a machine without a display. A mode
// that opens the windows when done (--demo) is not: without a display it
// fails as a start of the windows does, before it writes anything.
void prepare(int argc, char *argv[]);

// Parses the command line of `app` and runs what it asks: a command-line mode
// (results on stdout, reasons on stderr) or the program with its windows.
// Returns the process exit code.
int run(QApplication &app);

} // namespace vok::commandline
