// UTF-8: decoding and encoding of one Unicode scalar value.
//
// The conversions between code page 932 and the desktop's text need a strict UTF-8 reader: a
// file name on Linux is any string of bytes, so an overlong form, a surrogate, a value past
// U+10FFFF, a stray continuation byte or a sequence cut short must be told apart from a real
// character (the caller then treats the first byte of it as a raw byte and goes on with the next).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace namitra::sjis {

// Returned by decodeUtf8 for a byte that does not start a well-formed sequence.
inline constexpr char32_t kInvalidUtf8 = 0xFFFFFFFF;

// Decodes the scalar value that starts at `pos` and advances `pos` past it. When the bytes at
// `pos` are not a well-formed sequence, returns kInvalidUtf8 and advances `pos` by one byte.
// `pos` must be below text.size().
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of the scalar value `c` (which must not be a surrogate or past U+10FFFF).
void appendUtf8(std::string& out, char32_t c);

// True when every byte is below 0x80 (such a text reads the same in every encoding used here).
bool isAscii(std::string_view text);

}  // namespace namitra::sjis
