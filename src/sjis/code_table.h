// The code page 932 character set: each character code and the Unicode character it stands for.
//
// The tables are built once, on first use, by asking glibc iconv ("CP932", the Windows variant:
// 0x5C is the backslash, 0x8160 is U+FF5E) about every single byte and every lead/trail pair,
// and then about the way back for every character found. Every later conversion is a table
// look-up, so converting 100,000 file names costs no iconv call at all.
//
// A character counts as part of code page 932 only when it survives the round trip: iconv
// accepts a few characters on the way in but gives back others on the way out (WAVE DASH
// U+301C becomes U+FF5E, MINUS SIGN U+2212 becomes U+FF0D, and so on); for those encodeChar
// says "not representable". Codes that several characters share (the NEC and IBM rows) encode
// the way iconv chooses, and decode back to the same character. If iconv lacks CP932 (a
// system without glibc's gconv modules), the first use throws std::runtime_error.
#pragma once

#include <optional>
#include <string>

#include "sjis/char.h"

namespace namitra::sjis {

// The Unicode character of a code (a single byte below 0x100, or lead * 256 + trail), or
// nullopt when the code stands for no character (0x80, 0xA0, 0xFD-0xFF, unassigned pairs, and
// a lead byte on its own). The user-defined area (lead bytes 0xF0-0xF9) decodes to the
// private-use characters U+E000-U+E757, as iconv has it.
std::optional<char32_t> decodeChar(CharCode code);

// The decoding table itself for loops over long texts: 65,536 entries indexed by code, each the
// character or kNoChar. decodeChar(code) is decodingTable()[code] made optional.
inline constexpr char32_t kNoChar = 0xFFFFFFFF;
const char32_t* decodingTable();

// The code of `c`, or nullopt when code page 932 cannot represent it exactly.
std::optional<CharCode> encodeChar(char32_t c);

// True when the code is made of two bytes (its high byte is a lead byte).
constexpr bool isDoubleByteCode(CharCode code) { return code > 0xFF; }

// Appends the bytes of a code to `out`.
inline void appendCode(std::string& out, CharCode code) {
  if (isDoubleByteCode(code)) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace namitra::sjis
