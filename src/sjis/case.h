// Upper- and lower-case conversion of code page 932 text, and comparison without regard to case.
//
// A conversion never changes the length of a text and never looks at a byte out of context: it
// steps from character to character, maps the ASCII letters of single-byte characters, and maps
// a double-byte character only to another double-byte character by the Unicode simple case
// mapping, which code page 932 offers for the full-width Latin letters (Ａ-Ｚ, ａ-ｚ), Greek
// (Α-Ω, α-ω) and Cyrillic (А-Я, а-я, Ё, ё). The second byte of a double-byte character is never
// mapped on its own ('ア' is 0x83 0x41 and stays so), half-width katakana stay as they are, and
// a stray lead byte at the end is kept. The mappings are tabled once on first use.
#pragma once

#include <string>
#include <string_view>

namespace namitra::sjis {

void toUpperInPlace(std::string& text);
void toLowerInPlace(std::string& text);
std::string toUpper(std::string_view text);
std::string toLower(std::string_view text);

// True when both texts are equal after the lower-case conversion above.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace namitra::sjis
