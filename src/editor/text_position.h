// A place in the editor's text: a row index and a display column.
//
// Columns count what the screen shows: one per single-byte character, two per double-byte
// character, and a tab reaches to the next multiple of the tab width. Positions order row first,
// then column, and print as "(row, column)" so that test failures show them plainly.
#pragma once

#include <compare>
#include <ostream>

namespace namitra::editor {

struct TextPosition {
  int row = 0;
  int column = 0;

  friend auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

inline std::ostream& operator<<(std::ostream& out, TextPosition position) {
  return out << '(' << position.row << ", " << position.column << ')';
}

}  // namespace namitra::editor
