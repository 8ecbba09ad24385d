#include "sjis/codec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>

#include "sjis/code_table.h"

namespace namitra::sjis {
namespace {

struct RoundTripRow {
  const char* name;
  std::string utf8;
  std::string cp932;
};

TEST(SjisCodecTest, RepresentableTextConvertsBothWays) {
  const RoundTripRow rows[] = {
      {"ascii", "abc.TXT", "abc.TXT"},
      {"backslash stays 0x5C", "a\\b", "a\\b"},
      {"tilde stays 0x7E", "~", "~"},
      {"kanji with 0x5C trail", "表", "\x95\x5C"},
      {"hiragana", "かな", "\x82\xA9\x82\xC8"},
      {"half-width katakana", "ｱ", "\xB1"},
      {"full-width tilde is 0x8160", "～", "\x81\x60"},
      {"NEC row 13", "①Ⅰ", "\x87\x40\x87\x54"},
      {"not sign chosen as 0x81CA", "￢", "\x81\xCA"},
      {"user-defined area", "\xEE\x80\x80", "\xF0\x40"},
      {"line ends kept", "a\r\nb", "a\r\nb"},
  };
  for (const RoundTripRow& row : rows) {
    SCOPED_TRACE(row.name);
    Utf8Conversion in = utf8ToCp932(row.utf8);
    EXPECT_EQ(in.text, row.cp932);
    EXPECT_TRUE(in.lossless);
    Utf8Conversion out = cp932ToUtf8(row.cp932);
    EXPECT_EQ(out.text, row.utf8);
    EXPECT_TRUE(out.lossless);
  }
}

TEST(SjisCodecTest, CharactersThatDoNotSurviveTheRoundTripBecomeQuestionMarks) {
  const RoundTripRow rows[] = {
      {"e acute", "é", "?"},
      {"emoji", "a😀b", "a?b"},
      {"wave dash U+301C", "〜", "?"},
      {"minus sign U+2212", "−", "?"},
      {"double vertical line U+2016", "‖", "?"},
      {"cent sign", "¢", "?"},
      {"pound sign", "£", "?"},
      {"not sign U+00AC", "¬", "?"},
      {"em dash U+2014", "—", "?"},
      {"combining voiced mark", "か\xE3\x82\x99", "\x82\xA9?"},
      {"invalid byte", "a\xFF", "a?"},
      {"lone continuation byte", "\x80x", "?x"},
      {"truncated sequence, one mark per byte", "\xE3\x81", "??"},
      {"overlong slash", "\xC0\xAF", "??"},
      {"surrogate", "\xED\xA0\x80", "???"},
  };
  for (const RoundTripRow& row : rows) {
    SCOPED_TRACE(row.name);
    Utf8Conversion in = utf8ToCp932(row.utf8);
    EXPECT_EQ(in.text, row.cp932);
    EXPECT_FALSE(in.lossless);
  }
  EXPECT_EQ(fromUtf8("é"), "?");
}

TEST(SjisCodecTest, BytesThatStandForNoCharacterBecomeReplacementCharacters) {
  const RoundTripRow rows[] = {
      {"0x80", "a\xEF\xBF\xBD", "a\x80"},
      {"0xA0", "\xEF\xBF\xBD", "\xA0"},
      {"0xFD", "\xEF\xBF\xBD", "\xFD"},
      {"unassigned pair is one character", "\xEF\xBF\xBDz", "\x85\x40z"},
      {"lead byte before a line end keeps the line end", "\xEF\xBF\xBD\n", "\x81\n"},
      {"stray lead byte at the end", "x\xEF\xBF\xBD", "x\x95"},
  };
  for (const RoundTripRow& row : rows) {
    SCOPED_TRACE(row.name);
    Utf8Conversion out = cp932ToUtf8(row.cp932);
    EXPECT_EQ(out.text, row.utf8);
    EXPECT_FALSE(out.lossless);
  }
  EXPECT_EQ(toUtf8("\x80"), "\xEF\xBF\xBD");
}

// The conversion runs on tables; this checks them against iconv itself over every character.
std::optional<std::string> iconvConvert(const char* to, const char* from, const std::string& in) {
  iconv_t handle = iconv_open(to, from);
  if (handle == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 4 + 16, '\0');
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(handle);
  if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

TEST(SjisCodecTest, TablesAgreeWithIconvOnEveryCharacter) {
  std::string everyCode;
  for (unsigned code = 0; code < 0x10000; ++code)
    if (decodeChar(static_cast<CharCode>(code))) appendCode(everyCode, static_cast<CharCode>(code));
  ASSERT_GT(everyCode.size(), 10000u);

  const auto byIconv = iconvConvert("UTF-8", "CP932", everyCode);
  ASSERT_TRUE(byIconv) << "iconv refused a code the table decodes";
  Utf8Conversion utf8 = cp932ToUtf8(everyCode);
  EXPECT_TRUE(utf8.lossless);
  EXPECT_EQ(utf8.text, *byIconv);

  // Back again: the shared codes (NEC and IBM rows) encode as iconv chooses.
  const auto backByIconv = iconvConvert("CP932", "UTF-8", utf8.text);
  ASSERT_TRUE(backByIconv);
  Utf8Conversion back = utf8ToCp932(utf8.text);
  EXPECT_TRUE(back.lossless);
  EXPECT_EQ(back.text, *backByIconv);
  EXPECT_EQ(cp932ToUtf8(back.text).text, utf8.text);
}

}  // namespace
}  // namespace namitra::sjis
