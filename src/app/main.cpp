// The program entry: creates the main window, the options dialog and the change-history window
// (the last two hidden, inside the main window) and runs the event loop until the main window
// closes.
//
// Paths on the command line become rows only when there are two or more. The desktop entry
// starts the program with "--files" before the paths a file manager passes, and then every path
// becomes a row, even a single one.
#include "app/close_on_signals.h"
#include "app/display_text.h"
#include "app/frm_main.h"
#include "platform/data_folder.h"
#include "platform/executable_folder.h"
#include "platform/name_codec.h"
#include "platform/settings_file.h"

#include <QApplication>

#include <cstring>

int main(int argc, char** argv) {
  using namespace namitra;
  QApplication application(argc, argv);  // takes Qt's own options out of argv
  QApplication::setApplicationName(QStringLiteral("namitra"));
  QGuiApplication::setDesktopFileName(QStringLiteral("namitra"));

  const std::filesystem::path dataFolder = platform::dataFolder();
  platform::NameCodec codec(dataFolder / "NameCodes.tbl");
  app::setDisplayCodec(&codec);

  app::MainWindowSetup setup;
  setup.dataFolder = dataFolder;
  setup.settingsFile =
      dataFolder / platform::settingsFileNameFor(platform::executablePath().filename().string());
  if (argc >= 2 && std::strcmp(argv[1], "--files") == 0)
    setup.openedFiles.assign(argv + 2, argv + argc);
  else
    setup.commandLine.assign(argv + 1, argv + argc);
  setup.codec = &codec;
  setup.helpFile = std::filesystem::path(platform::executablePath()).replace_extension(".html");

  app::FrmMain window(std::move(setup));
  app::closeWindowOnTerminationSignals(&window);
  window.show();
  return application.exec();
}
