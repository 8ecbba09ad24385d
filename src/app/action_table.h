// The main window's action list: every user command of the window, in list order, with its
// category, caption, hint, shortcut and tool-bar image.
//
// Tool bars, menus and shortcut keys only trigger these actions. The window creates one QAction
// per entry (its objectName is the entry's name) and binds the handlers; this table is the one
// place that says what each command is called and how it is reached.
#pragma once

#include <QIcon>
#include <QString>

#include <span>

namespace namitra::app {

struct ActionSpec {
  const char* name;      // objectName, e.g. "actFileListExecute"
  const char* category;  // "FileList", "Edit", ...
  QString caption;
  QString hint;          // empty: the action has no hint
  const char* shortcut;  // portable text for QKeySequence, or nullptr
  int image;             // index into the tool-bar images, -1 for none
};

std::span<const ActionSpec> mainActionTable();

inline constexpr int kToolBarImageCount = 15;

// Tool-bar image `index` (0 .. kToolBarImageCount - 1), drawn for the program (SVG resources).
QIcon toolBarImage(int index);

}  // namespace namitra::app
