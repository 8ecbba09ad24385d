#include "cli/plan_output.h"

#include "cli/argument_text.h"
#include "sjis/utf8.h"

#include <algorithm>

namespace namitra::cli {

namespace {

void appendNative(std::string& text, const platform::NameCodec& codec, std::string_view internal) {
  if (sjis::isAscii(internal))
    text.append(internal);
  else
    text.append(codec.toNative(internal));
}

}  // namespace

std::string planText(const rename::FileList& list, const platform::NameCodec& codec) {
  std::string text;
  for (const rename::FileEntry& row : list.rows()) {
    text += terminalText(codec, row.currentPath());
    if (row.plannedPath() == row.currentPath()) {
      text += " (unchanged)\n";
      continue;
    }
    text += " -> ";
    text += terminalText(codec, row.plannedName);
    text += '\n';
  }
  return text;
}

std::string porcelainText(const rename::FileList& list, const platform::NameCodec& codec) {
  std::string text;
  text.reserve(list.size() * 2 * (list.empty() ? 0 : list.row(0).currentPath().size() + 2));
  for (const rename::FileEntry& row : list.rows()) {
    appendNative(text, codec, row.folder);
    appendNative(text, codec, row.name);
    text += '\t';
    appendNative(text, codec, row.folder);
    appendNative(text, codec, row.plannedName);
    text += '\n';
  }
  return text;
}

bool fitsTabSeparatedLine(std::string_view text) {
  return std::none_of(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; });
}

std::optional<std::string> firstPathUnfitForLines(const rename::FileList& list, const platform::NameCodec& codec) {
  // Tab, CR and LF are single bytes in the program's text as on disk (no trail byte is below
  // 0x40), so the rows are looked at as they are.
  for (const rename::FileEntry& row : list.rows()) {
    if (!fitsTabSeparatedLine(row.folder) || !fitsTabSeparatedLine(row.name))
      return codec.toNative(row.currentPath());
    if (!fitsTabSeparatedLine(row.plannedName)) return codec.toNative(row.plannedPath());
  }
  return std::nullopt;
}

}  // namespace namitra::cli
