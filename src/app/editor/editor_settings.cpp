#include "app/editor/editor_settings.h"

#include <QApplication>
#include <QPalette>

namespace namitra::app {

namespace {

QFont editorFont() {
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(12);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}

}  // namespace

EditorSettings EditorSettings::forEdit() {
  EditorSettings settings;
  settings.font = editorFont();
  return settings;
}

EditorSettings EditorSettings::forMessage() {
  EditorSettings settings;
  settings.font = editorFont();
  settings.background = QApplication::palette().color(QPalette::Button);
  settings.border = true;
  settings.readOnly = true;
  settings.horizontalScrollBar = false;
  settings.ruler = false;
  settings.eofMark = false;
  settings.lineEndMark = false;
  settings.blankMarks = false;
  settings.caretRowUnderline = false;
  settings.bracketHighlight = true;
  settings.wheelScrollsRows = false;
  return settings;
}

}  // namespace namitra::app
