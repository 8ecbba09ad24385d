#include "sjis/case.h"

#include <gtest/gtest.h>

#include <string>

#include "sjis/code_table.h"
#include "sjis/codec.h"

namespace namitra::sjis {
namespace {

struct CaseRow {
  const char* name;
  const char* upper;  // UTF-8, converted through the codec
  const char* lower;
};

TEST(SjisCaseTest, MapsLettersBothWays) {
  const CaseRow rows[] = {
      {"ascii", "ABC.TXT", "abc.txt"},
      {"full-width Latin", "ＡＺ", "ａｚ"},
      {"Greek", "ΑΣΩ", "ασω"},
      {"Cyrillic", "АЯЁ", "аяё"},
      {"mixed with kana and digits", "Aア１ＢΔ", "aア１ｂδ"},
  };
  for (const CaseRow& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string upper = fromUtf8(row.upper);
    const std::string lower = fromUtf8(row.lower);
    EXPECT_EQ(toLower(upper), lower);
    EXPECT_EQ(toUpper(lower), upper);
    EXPECT_TRUE(equalsIgnoreCase(upper, lower));
  }
}

TEST(SjisCaseTest, LeavesTrailBytesAndUncasedCharactersAlone) {
  const std::string rows[] = {
      "\x83\x41",      // ア: its trail byte is 'A'
      "\x83\x61",      // ヂ: its trail byte is 'a'
      "\x95\x5C",      // 表
      "\xB1\xB2",      // half-width katakana
      "\x87\x54",      // Roman numeral one, not mapped
      "\x83\x81",      // ム: its trail byte is itself a lead byte value
      "1\x83",         // stray lead byte at the end
  };
  for (const std::string& text : rows) {
    SCOPED_TRACE(toUtf8(text));
    EXPECT_EQ(toLower(text), text);
    EXPECT_EQ(toUpper(text), text);
  }
}

TEST(SjisCaseTest, InPlaceKeepsLengthAndMapsOnlyWholeCharacters) {
  std::string text = "A\x83\x41" "b\x82\x60";  // A, ア, b, Ａ
  toLowerInPlace(text);
  EXPECT_EQ(text, "a\x83\x41" "b\x82\x81");
  toUpperInPlace(text);
  EXPECT_EQ(text, "A\x83\x41" "B\x82\x60");
}

TEST(SjisCaseTest, EqualsIgnoreCaseComparesWholeCharacters) {
  EXPECT_TRUE(equalsIgnoreCase("Photo", "pHOTO"));
  EXPECT_TRUE(equalsIgnoreCase("", ""));
  EXPECT_FALSE(equalsIgnoreCase("\x83\x41", "\x83\x61")) << "trail bytes differing in case are different characters";
  EXPECT_FALSE(equalsIgnoreCase("ab", "abc"));
  EXPECT_FALSE(equalsIgnoreCase("a\x83\x41", "aAA")) << "a double-byte character against two single bytes";
  EXPECT_FALSE(equalsIgnoreCase("\xB1", "\xB2"));
}

// Every double-byte code: a mapping keeps it one double-byte character, and only letters of
// the three cased scripts change at all.
bool isCasedLetter(char32_t c) {
  return (c >= 0xFF21 && c <= 0xFF5A) || (c >= 0x0391 && c <= 0x03C9) || (c >= 0x0401 && c <= 0x0451);
}

TEST(SjisCaseTest, EveryDoubleByteCodeMapsToACasedPartnerOrItself) {
  for (unsigned code = 0x8140; code < 0x10000; ++code) {
    const std::string text{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    if (!decodeChar(static_cast<CharCode>(code))) continue;
    for (const std::string& mapped : {toLower(text), toUpper(text)}) {
      ASSERT_EQ(mapped.size(), 2u);
      if (mapped == text) continue;
      const auto from = decodeChar(static_cast<CharCode>(code));
      const auto to = decodeChar(static_cast<CharCode>(static_cast<unsigned char>(mapped[0]) << 8 |
                                                       static_cast<unsigned char>(mapped[1])));
      ASSERT_TRUE(to) << std::hex << code;
      EXPECT_TRUE(isCasedLetter(*from) && isCasedLetter(*to)) << std::hex << code;
    }
  }
}

}  // namespace
}  // namespace namitra::sjis
