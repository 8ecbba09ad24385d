// The character classes of the whole-word test: a hit is a whole word when the class changes at
// both of its edges.
//
//   0  delimiters: NUL, TAB, LF, CR, printable ASCII other than letters, digits and "-", the
//      half-width marks 0xA1, 0xA4, 0xA5, the single bytes 0x80, 0xA0, 0xFD-0xFF, and every
//      double-byte character below 0x889F not in classes 3-5 (full-width blank, marks such as
//      the long-vowel mark 0x815B, Greek, Cyrillic, box drawing, circled numbers)
//   1  the other bytes below 0x80: letters, digits, "-", control characters
//   2  half-width katakana 0xA2, 0xA3, 0xA6-0xDF
//   3  full-width digits and Latin letters 0x824F-0x829A
//   4  full-width katakana 0x8340-0x8396
//   5  hiragana 0x829F-0x82F1
//   6  kanji and everything from 0x889F on
#pragma once

#include <string_view>

namespace namitra::tools {

// The class of the character at 1-based byte `position` of `text`; a position inside a
// double-byte character gives that character's class, one outside the text gives 0.
int CharClassAt(std::string_view text, int position);

}  // namespace namitra::tools
