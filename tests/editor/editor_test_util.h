// Helpers shared by the editor tests: Shift-JIS sample characters and a dump of the editor with
// the caret drawn in ("ab|c"), "[" and "]" around a stream selection, "$" for CR LF and "#" for
// the end of a last row without a line break.
#pragma once

#include <string>

#include "editor/columns.h"
#include "editor/text_editor.h"
#include "sjis/char.h"

namespace namitra::editor::testing {

// あ, い (hiragana) and 漢 (kanji) in Shift-JIS.
inline const std::string kA = "\x82\xa0";
inline const std::string kI = "\x82\xa2";
inline const std::string kKan = "\x8a\xbf";
// Double-byte characters whose trail bytes are ASCII ('@' 0x40, 'a' 0x61), to catch code that
// takes a trail byte for a character of its own.
inline const std::string kTrailAt = "\x83\x40";
inline const std::string kTrailA = "\x83\x61";

inline std::string dump(const TextEditor& editor) {
  std::string out;
  TextPosition start = editor.selectionStart();
  TextPosition end = editor.selectionEnd();
  bool selection = editor.hasSelection() && !editor.boxMode();
  auto marker = [&](int row, int column) {
    TextPosition at{row, column};
    if (selection && at == start) out += '[';
    if (at == editor.caret()) out += '|';
    if (selection && at == end) out += ']';
  };
  for (int row = 0; row < editor.rowCount(); ++row) {
    const std::string& text = editor.row(row).text;
    int column = 0;
    for (std::size_t at = 0; at < text.size();) {
      marker(row, column);
      std::size_t next = sjis::nextCharPos(text, at);
      column += charWidth(text, at, column);
      out.append(text, at, next - at);
      at = next;
    }
    marker(row, column);
    out += editor.row(row).end == RowEnd::CrLf ? "$" : "#";
  }
  int count = editor.rowCount();
  if (count == 0 || editor.row(count - 1).end == RowEnd::CrLf) marker(count, 0);
  return out;
}

}  // namespace namitra::editor::testing
