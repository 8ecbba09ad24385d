// The one double-byte aware literal search and replace-all of the program.
//
// Matches are found with a fast byte search and then checked against the character boundaries,
// which are stepped forward from the start of the search alongside it: a candidate that begins
// on the second byte of a double-byte character is passed over ('A' is not found inside 'ア',
// 0x83 0x41, nor '\' inside '表', 0x95 0x5C). Both functions take time linear in the length of
// the text and the number of matches. Bytes are compared exactly (case matters).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace namitra::sjis {

// The byte index of the first occurrence of `find` that starts on a character boundary at or
// after `from` (itself a boundary of `text`), or npos. An empty `find` is found at `from`.
std::size_t findText(std::string_view text, std::string_view find, std::size_t from = 0);

// Replaces every occurrence of `find` in `text` by `value`: left to right, no overlaps, the
// inserted value never searched again, a match never starting on a trail byte; `text` ends at
// its first NUL (what follows is dropped). An empty `find` returns the text unchanged (up to its
// first NUL). A match starts on a boundary; a `find` that ends in a stray lead byte can still
// end inside a character.
std::string replaceAll(std::string_view text, std::string_view find, std::string_view value);

}  // namespace namitra::sjis
