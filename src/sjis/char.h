// Code page 932 characters: the lead-byte and trail-byte tests and stepping over characters.
//
// Every text inside the program is a string of Shift-JIS (code page 932) bytes. A character is
// either one byte or a lead byte (0x81-0x9F, 0xE0-0xFC) followed by a trail byte (0x40-0x7E,
// 0x80-0xFC). Whether a byte is the second half of a double-byte character cannot be told from
// the byte alone, only by stepping from a known character boundary (the start of the text or of
// a line); every double-byte aware search in the program steps with the functions below and so
// never matches, cuts or converts the second byte of a character on its own.
//
// A lead byte at the very end of a text (a stray lead byte) is stepped over as a character of
// one byte: nothing past the end of a text is ever read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace namitra::sjis {

constexpr bool isLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

constexpr bool isLeadByte(char byte) { return isLeadByte(static_cast<unsigned char>(byte)); }

constexpr bool isTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

constexpr bool isTrailByte(char byte) { return isTrailByte(static_cast<unsigned char>(byte)); }

// The length in bytes (1 or 2) of the character that starts at `pos`, which must be a character
// boundary inside `text`. A lead byte counts 2 whenever a byte follows it, as the lead-byte test
// alone decides; a lead byte that is the last byte of the text counts 1.
constexpr std::size_t charLength(std::string_view text, std::size_t pos) {
  return isLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

// The boundary after the character at `pos` (never past the end of the text).
constexpr std::size_t nextCharPos(std::string_view text, std::size_t pos) {
  return pos + charLength(text, pos);
}

// The start of the character that contains byte `pos`, found by stepping from the start of the
// text. `pos` may equal text.size(), which is a boundary.
constexpr std::size_t charStartAt(std::string_view text, std::size_t pos) {
  std::size_t at = 0;
  while (at < pos) {
    std::size_t next = nextCharPos(text, at);
    if (next > pos) return at;
    at = next;
  }
  return at;
}

// True when `pos` is a character boundary of `text` (0 and text.size() always are).
constexpr bool isCharBoundary(std::string_view text, std::size_t pos) {
  return charStartAt(text, pos) == pos;
}

// The boundary before the one at `pos` (0 stays 0), found by stepping from the start of the text.
constexpr std::size_t prevCharPos(std::string_view text, std::size_t pos) {
  return pos == 0 ? 0 : charStartAt(text, pos - 1);
}

// The 16-bit character code the regular expression engine works on: a single byte's value, or
// lead byte * 256 + trail byte.
using CharCode = std::uint16_t;

constexpr CharCode charCodeAt(std::string_view text, std::size_t pos) {
  if (charLength(text, pos) == 2)
    return static_cast<CharCode>(static_cast<unsigned char>(text[pos]) << 8 |
                                 static_cast<unsigned char>(text[pos + 1]));
  return static_cast<unsigned char>(text[pos]);
}

}  // namespace namitra::sjis
