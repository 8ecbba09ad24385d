// The fixed settings of an editor widget, one set for each of the program's two instances.
//
// `forEdit` is the edit text: white, borderless, both scroll bars, the ruler and every grey mark
// shown, the mouse wheel scrolling one row per notch. `forMessage` is the read-only message log:
// the button-face colour, the default border, a vertical scroll bar only, no ruler or marks, and
// each run from "[" to the next "]" (the time stamps) in blue. Both use IPAGothic of 12 pixels,
// white text on navy for the selection, and margins of 8 pixels left and 2 pixels top.
#pragma once

#include <QColor>
#include <QFont>

namespace namitra::app {

struct EditorSettings {
  QFont font;
  QColor background = Qt::white;
  bool border = false;
  bool readOnly = false;
  bool horizontalScrollBar = true;
  bool ruler = true;
  bool eofMark = true;
  bool lineEndMark = true;
  bool blankMarks = true;  // tab, half-width and full-width blanks
  bool caretRowUnderline = true;
  bool bracketHighlight = false;
  bool wheelScrollsRows = true;  // one row per notch, the caret unmoved
  int leftMargin = 8;
  int topMargin = 2;

  static EditorSettings forEdit();
  static EditorSettings forMessage();
};

}  // namespace namitra::app
