// The scanner that cuts a Shift-JIS regular expression into tokens.
//
// A pattern is read character by character, a double-byte character counting as one character
// with the code lead * 256 + trail. Outside a class the scanner recognises the operators
// | ( ) * + ? . ^ $ [ [^ ] and backslash escapes; inside a class it returns members (single
// characters and a-z ranges) until the closing bracket. There are no counted repetitions, no
// back-references and no shorthand classes: \d is the letter d.
//
// Positions are 1-based byte indexes into the pattern and always point at the next unread byte.
// Every malformed construct throws RegexSyntaxError with the position at which the scanner stood;
// SetText starts afresh at position 1 outside any class.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sjis/char.h"

namespace namitra::regex {

using sjis::CharCode;

enum class TokenKind : std::uint8_t {
  tk_Char,
  tk_Range,
  tk_Union,
  tk_GroupOpen,
  tk_GroupClose,
  tk_Star,
  tk_Plus,
  tk_Optional,
  tk_ClassOpen,
  tk_NegClassOpen,
  tk_ClassClose,
  tk_AnyChar,
  tk_LineHead,
  tk_LineTail,
  tk_End,
};

// Reads the character at the 1-based `position` and advances past it. Outside the text the
// result is 0 (no more characters) and the position stays. Throws "invalid double-byte character
// code" at the lead byte when the text's last byte is a lead byte.
CharCode GetChar(std::string_view text, std::int32_t& position);

// Moves `position` back over the character just before it (never below 1). Whether the byte
// before is a trail byte is told by the parity of the run of lead-byte values before it.
void UngetChar(std::string_view text, std::int32_t& position);

// The bytes of a character code: two when its high byte is a lead byte, else the low byte.
std::string CharToText(CharCode code);

// Reads an escape; `position` stands just after the backslash. \b \n \r \t give control codes,
// \x takes up to 4 hexadecimal digits, \0 to \7 start up to 6 octal digits (at most 0xFFFF), and
// any other character stands for itself.
CharCode ReadEscape(std::string_view text, std::int32_t& position);

class PatternScanner {
 public:
  explicit PatternScanner(std::string pattern = {}) : m_text(std::move(pattern)) {}

  void SetText(std::string pattern);
  TokenKind GetToken();

  const std::string& text() const { return m_text; }
  std::int32_t position() const { return m_position; }
  TokenKind kind() const { return m_kind; }
  // For tk_Char the character, for tk_Range the lower end, for tk_LineHead and tk_LineTail the
  // code of ^ or $ itself.
  CharCode code() const { return m_code; }
  // The upper end of a tk_Range.
  CharCode upper() const { return m_upper; }
  bool inClass() const { return m_inClass; }

 private:
  TokenKind GetNormalToken();
  TokenKind GetClassToken();
  CharCode nextChar() { return GetChar(m_text, m_position); }
  [[noreturn]] void fail(const char* message) const;

  std::string m_text;
  std::int32_t m_position = 1;
  TokenKind m_kind = TokenKind::tk_End;
  CharCode m_code = 0;
  CharCode m_upper = 0;
  bool m_inClass = false;
};

}  // namespace namitra::regex
