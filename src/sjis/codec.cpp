// Both directions walk the text one character at a time over the code tables; a text made of
// ASCII only is copied as it is, which is the common case for file names.
#include "sjis/codec.h"

#include "sjis/char.h"
#include "sjis/code_table.h"
#include "sjis/utf8.h"

namespace namitra::sjis {

namespace {

constexpr char32_t kReplacementChar = 0xFFFD;

// The length of the undecodable character at `pos`: a lead byte with a trail byte after it is
// taken as one pair, anything else as one byte.
std::size_t undecodableLength(std::string_view text, std::size_t pos) {
  const bool pair = isLeadByte(text[pos]) && pos + 1 < text.size() && isTrailByte(text[pos + 1]);
  return pair ? 2 : 1;
}

}  // namespace

Utf8Conversion cp932ToUtf8(std::string_view cp932) {
  if (isAscii(cp932)) return {std::string(cp932), true};
  Utf8Conversion result{{}, true};
  result.text.reserve(cp932.size() * 3 / 2);
  const char32_t* decode = decodingTable();
  std::size_t pos = 0;
  while (pos < cp932.size()) {
    if (const char32_t c = decode[charCodeAt(cp932, pos)]; c != kNoChar) {
      appendUtf8(result.text, c);
      pos = nextCharPos(cp932, pos);
      continue;
    }
    appendUtf8(result.text, kReplacementChar);
    result.lossless = false;
    pos += undecodableLength(cp932, pos);
  }
  return result;
}

Utf8Conversion utf8ToCp932(std::string_view utf8) {
  if (isAscii(utf8)) return {std::string(utf8), true};
  Utf8Conversion result{{}, true};
  result.text.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t c = decodeUtf8(utf8, pos);
    auto code = c == kInvalidUtf8 ? std::nullopt : encodeChar(c);
    if (!code) {
      result.text.push_back('?');
      result.lossless = false;
      continue;
    }
    appendCode(result.text, *code);
  }
  return result;
}

std::string toUtf8(std::string_view cp932) { return cp932ToUtf8(cp932).text; }

std::string fromUtf8(std::string_view utf8) { return utf8ToCp932(utf8).text; }

}  // namespace namitra::sjis
