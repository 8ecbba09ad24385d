// Stepping over a row character by character to convert between bytes and display columns.
#include "editor/columns.h"

#include "sjis/char.h"

namespace namitra::editor {

int charWidth(std::string_view text, std::size_t pos, int column) {
  if (text[pos] == '\t') return kTabWidth - column % kTabWidth;
  return static_cast<int>(sjis::charLength(text, pos));
}

int columnAt(std::string_view text, std::size_t bytePos) {
  int column = 0;
  for (std::size_t at = 0; at < bytePos && at < text.size(); at = sjis::nextCharPos(text, at))
    column += charWidth(text, at, column);
  return column;
}

int rowWidth(std::string_view text) { return columnAt(text, text.size()); }

std::size_t byteAtColumn(std::string_view text, int column) {
  int at_column = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    int next_column = at_column + charWidth(text, at, at_column);
    if (next_column > column) return at;
    at_column = next_column;
    at = sjis::nextCharPos(text, at);
  }
  return at;
}

std::size_t byteAtOrAfterColumn(std::string_view text, int column) {
  int at_column = 0;
  std::size_t at = 0;
  while (at < text.size() && at_column < column) {
    at_column += charWidth(text, at, at_column);
    at = sjis::nextCharPos(text, at);
  }
  return at;
}

int leadingBlankWidth(std::string_view text) {
  int column = 0;
  for (std::size_t at = 0; at < text.size() && (text[at] == ' ' || text[at] == '\t'); ++at)
    column += charWidth(text, at, column);
  return column;
}

}  // namespace namitra::editor
