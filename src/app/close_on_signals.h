// SIGTERM, SIGINT and SIGHUP close the main window as its close box does, so that the settings
// are written when the desktop session ends or the terminal goes away. The signal handler only
// writes a byte into a pipe; the event loop reads it and closes the window on the GUI thread.
#pragma once

class QWidget;

namespace namitra::app {

void closeWindowOnTerminationSignals(QWidget* window);

}  // namespace namitra::app
