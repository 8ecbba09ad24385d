// Conversion between code page 932 text (the program's own) and UTF-8 (the desktop's).
//
// This is the plain conversion of glibc iconv "CP932", as tabled in code_table.h: a character
// that code page 932 lacks, or that iconv would give back as a different character (U+301C,
// U+2212, U+2016, U+00A2, U+00A3, U+00AC, U+2014), cannot be represented and becomes '?'.
// Bytes that are not valid on the way in become U+FFFD (from code page 932) or '?' (from
// UTF-8). Each such loss is reported through `lossless`, so a caller can tell a faithful
// conversion from a damaged one. File names go through platform/name_codec.h instead, which
// extends code page 932 so that nothing is lost.
#pragma once

#include <string>
#include <string_view>

namespace namitra::sjis {

struct Utf8Conversion {
  std::string text;
  bool lossless;  // false when something could not be represented or was not valid input
};

// Code page 932 bytes to UTF-8. A byte or pair that stands for no character becomes U+FFFD:
// a lead byte followed by a trail byte counts as one such pair; a lead byte followed by
// anything else (or by nothing) is taken alone, so a line end after it is kept.
Utf8Conversion cp932ToUtf8(std::string_view cp932);

// UTF-8 to code page 932 bytes. Each character that cannot be represented exactly, and each
// byte that does not belong to a well-formed UTF-8 sequence, becomes one '?'.
Utf8Conversion utf8ToCp932(std::string_view utf8);

std::string toUtf8(std::string_view cp932);   // the text of cp932ToUtf8
std::string fromUtf8(std::string_view utf8);  // the text of utf8ToCp932

}  // namespace namitra::sjis
