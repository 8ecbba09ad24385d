// The pattern scanner: character reading, escapes and the two token grammars (normal and class).
//
// Error positions are part of the program's behaviour (they are shown to the user), so the order
// of reading, stepping back and raising below is deliberate: a fault is raised where the scanner
// stands right after reading the character that revealed it.
#include "regex/pattern_scanner.h"

#include "regex/regex_syntax_error.h"

namespace namitra::regex {

namespace {

unsigned char byteAt(std::string_view text, std::int32_t position) {
  return static_cast<unsigned char>(text[static_cast<std::size_t>(position - 1)]);
}

bool isHexDigit(CharCode c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

CharCode hexValue(CharCode c) {
  if (c <= '9') return c - '0';
  if (c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

bool isOctalDigit(CharCode c) { return c >= '0' && c <= '7'; }

// Puts back the character that ended a run of digits, unless the run ended at the pattern's end.
void putBackTerminator(std::string_view text, std::int32_t& position, CharCode terminator) {
  if (terminator != 0) UngetChar(text, position);
}

CharCode readHexCode(std::string_view text, std::int32_t& position) {
  CharCode value = 0;
  int digits = 0;
  CharCode c = GetChar(text, position);
  while (isHexDigit(c) && digits < 4) {
    value = static_cast<CharCode>(value * 16 + hexValue(c));
    ++digits;
    c = GetChar(text, position);
  }
  if (digits == 0)
    throw RegexSyntaxError(messages::kInvalidHexCode, static_cast<std::uint16_t>(position));
  putBackTerminator(text, position, c);
  return value;
}

CharCode readOctalCode(std::string_view text, std::int32_t& position) {
  std::uint32_t value = 0;
  int digits = 0;
  CharCode c = GetChar(text, position);
  while (isOctalDigit(c) && digits < 6) {
    std::uint32_t next = value * 8 + (c - '0');
    if (next > 0xFFFF)
      throw RegexSyntaxError(messages::kInvalidOctalCode, static_cast<std::uint16_t>(position));
    value = next;
    ++digits;
    c = GetChar(text, position);
  }
  putBackTerminator(text, position, c);
  return static_cast<CharCode>(value);
}

}  // namespace

CharCode GetChar(std::string_view text, std::int32_t& position) {
  if (position < 1 || static_cast<std::size_t>(position) > text.size()) return 0;
  unsigned char byte = byteAt(text, position);
  if (!sjis::isLeadByte(byte)) {
    ++position;
    return byte;
  }
  if (static_cast<std::size_t>(position) == text.size())
    throw RegexSyntaxError(messages::kInvalidDoubleByte, static_cast<std::uint16_t>(position));
  CharCode code = static_cast<CharCode>(byte << 8 | byteAt(text, position + 1));
  position += 2;
  return code;
}

void UngetChar(std::string_view text, std::int32_t& position) {
  if (position <= 1) return;
  if (position == 2) {
    position = 1;
    return;
  }
  // The byte before the position is a trail byte exactly when an odd number of lead-byte values
  // precede it without a break.
  int leadRun = 0;
  for (std::int32_t at = position - 2; at >= 1 && sjis::isLeadByte(byteAt(text, at)); --at)
    ++leadRun;
  position -= (leadRun % 2 == 1) ? 2 : 1;
}

std::string CharToText(CharCode code) {
  char high = static_cast<char>(code >> 8);
  char low = static_cast<char>(code & 0xFF);
  if (sjis::isLeadByte(high)) return std::string{high, low};
  return std::string(1, low);
}

CharCode ReadEscape(std::string_view text, std::int32_t& position) {
  CharCode c = GetChar(text, position);
  switch (c) {
    case 0:
      throw RegexSyntaxError(messages::kCharAfterBackslash, static_cast<std::uint16_t>(position));
    case 'b': return 8;
    case 'n': return 10;
    case 'r': return 13;
    case 't': return 9;
    case 'x': return readHexCode(text, position);
    default: break;
  }
  if (!isOctalDigit(c)) return c;
  UngetChar(text, position);
  return readOctalCode(text, position);
}

void PatternScanner::SetText(std::string pattern) {
  m_text = std::move(pattern);
  m_position = 1;
  m_inClass = false;
}

TokenKind PatternScanner::GetToken() {
  if (m_inClass) {
    m_kind = GetClassToken();
    if (m_kind == TokenKind::tk_ClassClose) m_inClass = false;
    return m_kind;
  }
  m_kind = GetNormalToken();
  if (m_kind == TokenKind::tk_ClassOpen || m_kind == TokenKind::tk_NegClassOpen) m_inClass = true;
  return m_kind;
}

void PatternScanner::fail(const char* message) const {
  throw RegexSyntaxError(message, static_cast<std::uint16_t>(m_position));
}

TokenKind PatternScanner::GetNormalToken() {
  CharCode c = nextChar();
  m_code = c;
  switch (c) {
    case 0: return TokenKind::tk_End;
    case '$': return TokenKind::tk_LineTail;
    case '(': return TokenKind::tk_GroupOpen;
    case ')': return TokenKind::tk_GroupClose;
    case '*': return TokenKind::tk_Star;
    case '+': return TokenKind::tk_Plus;
    case '.': return TokenKind::tk_AnyChar;
    case '?': return TokenKind::tk_Optional;
    case '|': return TokenKind::tk_Union;
    case ']': return TokenKind::tk_ClassClose;
    case '^': return TokenKind::tk_LineHead;
    case '\\':
      m_code = ReadEscape(m_text, m_position);
      return TokenKind::tk_Char;
    case '[': {
      CharCode next = nextChar();
      if (next == 0) fail(messages::kRightBracketRequired);
      if (next == '^') return TokenKind::tk_NegClassOpen;
      UngetChar(m_text, m_position);
      return TokenKind::tk_ClassOpen;
    }
    default: return TokenKind::tk_Char;
  }
}

TokenKind PatternScanner::GetClassToken() {
  CharCode c1 = nextChar();
  if (c1 == 0) fail(messages::kRightBracketRequired);
  if (c1 == ']') return TokenKind::tk_ClassClose;
  if (c1 == '\\') c1 = ReadEscape(m_text, m_position);
  m_code = c1;

  CharCode c2 = nextChar();
  if (c2 != '-') {
    if (c2 == 0) fail(messages::kRightBracketRequired);
    UngetChar(m_text, m_position);
    return TokenKind::tk_Char;
  }
  CharCode c3 = nextChar();
  if (c3 == 0) fail(messages::kRightBracketRequired);
  if (c3 == ']') {
    // "[a-]": the '-' is a member of its own, read again as the next token.
    UngetChar(m_text, m_position);
    UngetChar(m_text, m_position);
    return TokenKind::tk_Char;
  }
  if (c3 == '\\') c3 = ReadEscape(m_text, m_position);
  m_upper = c3;
  if (c3 < c1) fail(messages::kInvalidCharRange);
  return TokenKind::tk_Range;
}

}  // namespace namitra::regex
