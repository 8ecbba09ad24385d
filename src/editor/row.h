// One row of the editor's text and the helpers that split and join text into rows.
//
// A row is a byte string without line-end characters plus a `RowEnd`: `CrLf` rows are followed
// by CR LF in the whole text, `Eof` marks the last row of a text that does not end with a line
// break. Word wrap is never on in this program, so no row is `Wrapped`; the kind exists because
// undo steps store it. `None` appears only in undo steps that removed no rows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::editor {

enum class RowEnd : std::uint8_t { CrLf = 0, Wrapped = 1, Eof = 2, None = 3 };

struct Row {
  std::string text;
  RowEnd end = RowEnd::CrLf;

  friend bool operator==(const Row&, const Row&) = default;
};

// The pieces of `text` between its line breaks (CR LF, a lone CR, a lone LF). A final line break
// does not start an extra piece; an empty text has no pieces.
std::vector<std::string_view> splitLines(std::string_view text);

// True when `text` ends with CR or LF.
bool endsWithLineBreak(std::string_view text);

// The rows joined: CR LF after each `CrLf` row, nothing after other rows.
std::string joinRows(std::span<const Row> rows);

}  // namespace namitra::editor
