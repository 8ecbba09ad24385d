// The double-byte mappings come from decoding every code, applying the simple case mapping of
// the three scripts, and keeping the result only when it encodes again to a double-byte code.
// Only these few ranges are mapped, because only they are both cased in Unicode and double-byte
// in code page 932 (the Roman numerals are left alone, as the Windows conversion leaves them).
#include "sjis/case.h"

#include <array>
#include <memory>

#include "sjis/char.h"
#include "sjis/code_table.h"

namespace namitra::sjis {

namespace {

struct CaseRange {
  char32_t upperFirst;
  char32_t upperLast;
  char32_t lowerFirst;
};

// Upper-case ranges and the start of their lower-case counterparts. U+03A2 has no letter;
// it and the other gaps fall out because they do not decode from any code.
constexpr CaseRange kCaseRanges[] = {
    {0xFF21, 0xFF3A, 0xFF41},  // full-width Latin
    {0x0391, 0x03A9, 0x03B1},  // Greek
    {0x0410, 0x042F, 0x0430},  // Cyrillic
    {0x0400, 0x040F, 0x0450},  // Cyrillic with marks: Ё/ё (and its row, absent from code page 932)
};

char32_t unicodeToLower(char32_t c) {
  for (const CaseRange& r : kCaseRanges)
    if (c >= r.upperFirst && c <= r.upperLast) return c - r.upperFirst + r.lowerFirst;
  return c;
}

char32_t unicodeToUpper(char32_t c) {
  for (const CaseRange& r : kCaseRanges)
    if (c >= r.lowerFirst && c <= r.lowerFirst + (r.upperLast - r.upperFirst))
      return c - r.lowerFirst + r.upperFirst;
  return c;
}

struct CaseTables {
  std::array<CharCode, 0x10000> upper;
  std::array<CharCode, 0x10000> lower;

  CaseTables() {
    for (unsigned code = 0; code < 0x10000; ++code) {
      upper[code] = static_cast<CharCode>(code);
      lower[code] = static_cast<CharCode>(code);
    }
    for (unsigned code = 0x8100; code < 0x10000; ++code) learn(static_cast<CharCode>(code));
  }

  void learn(CharCode code) {
    auto c = decodeChar(code);
    if (!c) return;
    upper[code] = mappedCode(code, *c, unicodeToUpper(*c));
    lower[code] = mappedCode(code, *c, unicodeToLower(*c));
  }

  // An uncased character keeps its own code even where another code shares the character
  // (≒ is both 0x81E0 and 0x8790).
  static CharCode mappedCode(CharCode code, char32_t c, char32_t mapped) {
    if (mapped == c) return code;
    auto mappedCode = encodeChar(mapped);
    return mappedCode && isDoubleByteCode(*mappedCode) ? *mappedCode : code;
  }
};

const CaseTables& caseTables() {
  static const auto instance = std::make_unique<CaseTables>();
  return *instance;
}

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The double-byte table is fetched at the first double-byte character: building the tables
// costs far more than mapping a short name, and most names are plain ASCII.
template <typename DoubleMap, typename SingleMap>
void mapInPlace(std::string& text, DoubleMap doubleMap, SingleMap single) {
  const std::array<CharCode, 0x10000>* table = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (charLength(text, pos) == 1) {
      text[pos] = single(text[pos]);
      ++pos;
      continue;
    }
    if (!table) table = &doubleMap();
    const CharCode mapped = (*table)[charCodeAt(text, pos)];
    text[pos] = static_cast<char>(mapped >> 8);
    text[pos + 1] = static_cast<char>(mapped & 0xFF);
    pos += 2;
  }
}

}  // namespace

void toUpperInPlace(std::string& text) {
  mapInPlace(text, []() -> const auto& { return caseTables().upper; }, asciiUpper);
}

void toLowerInPlace(std::string& text) {
  mapInPlace(text, []() -> const auto& { return caseTables().lower; }, asciiLower);
}

std::string toUpper(std::string_view text) {
  std::string result(text);
  toUpperInPlace(result);
  return result;
}

std::string toLower(std::string_view text) {
  std::string result(text);
  toLowerInPlace(result);
  return result;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto& lower = caseTables().lower;
  std::size_t pos = 0;
  while (pos < a.size()) {
    const std::size_t length = charLength(a, pos);
    if (charLength(b, pos) != length) return false;
    const CharCode ca = charCodeAt(a, pos);
    const CharCode cb = charCodeAt(b, pos);
    const bool same = length == 1 ? asciiLower(static_cast<char>(ca)) == asciiLower(static_cast<char>(cb))
                                  : lower[ca] == lower[cb];
    if (!same) return false;
    pos += length;
  }
  return true;
}

}  // namespace namitra::sjis
