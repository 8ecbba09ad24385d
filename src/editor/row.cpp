// Splitting text at its line breaks and joining rows back into text.
#include "editor/row.h"

namespace namitra::editor {

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    char byte = text[at];
    if (byte != '\r' && byte != '\n') {
      ++at;
      continue;
    }
    lines.push_back(text.substr(start, at - start));
    at += (byte == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ? 2 : 1;
    start = at;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool endsWithLineBreak(std::string_view text) {
  return !text.empty() && (text.back() == '\r' || text.back() == '\n');
}

std::string joinRows(std::span<const Row> rows) {
  std::size_t size = 0;
  for (const Row& row : rows) size += row.text.size() + 2;
  std::string text;
  text.reserve(size);
  for (const Row& row : rows) {
    text += row.text;
    if (row.end == RowEnd::CrLf) text += "\r\n";
  }
  return text;
}

}  // namespace namitra::editor
