// Display columns of a row: where each character of a Shift-JIS row stands on the screen.
//
// A single-byte character takes one column, a double-byte character two, and a tab reaches to
// the next multiple of `kTabWidth`. Every conversion steps from the start of the row, so a
// column never lands on the second byte of a double-byte character.
#pragma once

#include <cstddef>
#include <string_view>

namespace namitra::editor {

inline constexpr int kTabWidth = 8;

// The width of the character at byte `pos` when it starts at display column `column`.
int charWidth(std::string_view text, std::size_t pos, int column);

// The display column of the character boundary `bytePos` (at most text.size()).
int columnAt(std::string_view text, std::size_t bytePos);

// The width of the whole row.
int rowWidth(std::string_view text);

// The start of the character that covers `column` (a column inside a double-byte character or
// a tab gives that character's start); a column past the end gives text.size().
std::size_t byteAtColumn(std::string_view text, int column);

// The first character boundary whose column is `column` or more (text.size() past the end).
std::size_t byteAtOrAfterColumn(std::string_view text, int column);

// Half-width blanks and tabs at the start of the row, as a display width.
int leadingBlankWidth(std::string_view text);

}  // namespace namitra::editor
