// Strict UTF-8 decoding after the well-formed byte sequences table of the Unicode standard:
// the second byte's range depends on the first (E0, ED, F0 and F4 narrow it), which rules out
// overlong forms, surrogates and values past U+10FFFF without decoding them first.
#include "sjis/utf8.h"

#include <cassert>
#include <cstring>

namespace namitra::sjis {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

struct LeadInfo {
  int length;                 // bytes in the sequence, 0 for a byte that cannot start one
  unsigned char secondLow;    // allowed range of the second byte
  unsigned char secondHigh;
};

LeadInfo leadInfo(unsigned char byte) {
  if (byte < 0x80) return {1, 0, 0};
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
  assert(pos < text.size() && "decodeUtf8 needs a byte to read");
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char first = bytes[pos];
  const LeadInfo info = leadInfo(first);
  if (info.length == 1) {
    ++pos;
    return first;
  }
  const bool complete = info.length != 0 && pos + info.length <= text.size();
  if (!complete || bytes[pos + 1] < info.secondLow || bytes[pos + 1] > info.secondHigh) {
    ++pos;
    return kInvalidUtf8;
  }
  char32_t value = first & (0xFF >> (info.length + 1));
  for (int i = 1; i < info.length; ++i) {
    const unsigned char next = bytes[pos + i];
    if (!isContinuation(next)) {
      ++pos;
      return kInvalidUtf8;
    }
    value = value << 6 | (next & 0x3F);
  }
  pos += info.length;
  return value;
}

void appendUtf8(std::string& out, char32_t c) {
  assert(c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF) && "appendUtf8 needs a scalar value");
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool isAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace namitra::sjis
