// The scanner: character reading, tokens of both grammars, escapes, and every scanner fault with
// its message and position.
#include "regex/pattern_scanner.h"

#include "regex_test_support.h"

namespace namitra::regex {
namespace {

using test::dumpTokens;
using test::sj;

TEST(CharacterHelpers, GetCharReadsDoubleByteCharactersAsOneCode) {
  std::string text = "a" + sj("あ");
  std::int32_t position = 1;
  EXPECT_EQ(GetChar(text, position), 'a');
  EXPECT_EQ(GetChar(text, position), 0x82A0);
  EXPECT_EQ(position, 4);
  EXPECT_EQ(GetChar(text, position), 0) << "past the end";
  EXPECT_EQ(position, 4);
  position = 0;
  EXPECT_EQ(GetChar(text, position), 0) << "before the start";
}

TEST(CharacterHelpers, UngetCharTellsTrailBytesByTheParityOfTheLeadRun) {
  // 0x82 0x82 0x82 0x41: the lead run before 0x41 has length 3 (odd), so 0x41 is the trail byte
  // of the character 0x8241, and the two bytes 0x82 0x82 before it form a character too.
  std::string text = "\x82\x82\x82\x41";
  std::int32_t position = 5;
  UngetChar(text, position);
  EXPECT_EQ(position, 3);
  UngetChar(text, position);
  EXPECT_EQ(position, 1);
  UngetChar(text, position);
  EXPECT_EQ(position, 1);

  std::string ascii = "ab";
  position = 3;
  UngetChar(ascii, position);
  EXPECT_EQ(position, 2);
}

TEST(CharacterHelpers, CharToTextIsTheInverseOfGetChar) {
  EXPECT_EQ(CharToText('a'), "a");
  EXPECT_EQ(CharToText(0x82A0), "\x82\xA0");
  EXPECT_EQ(CharToText(0x4142), "B") << "a high byte that is no lead byte is dropped";
}

struct TokenCase {
  const char* pattern;
  const char* tokens;
};

TEST(PatternScanner, CutsPatternsIntoTokens) {
  const TokenCase cases[] = {
      {"a|(b)*+?.^$", "'a' | ( 'b' ) * + ? . ^ $"},
      {"]{3}-", "] '{' '3' '}' '-'"},
      {"[a-z]x", "[ 'a'-'z' ] 'x'"},
      {"[^a]", "[^ 'a' ]"},
      {"[a-]", "[ 'a' '-' ]"},
      {"[-a]", "[ '-' 'a' ]"},
      {"[--a]", "[ '-'-'a' ]"},
      {"[a-a]", "[ 'a' ]"},  // the one-code range
      {"[a\\]]", "[ 'a' ']' ]"},
      {"[\\]-a]", "[ ']'-'a' ]"},
      {"[a-\\x7a]", "[ 'a'-'z' ]"},
      {"[\\x00-\\x7f]", "[ #0-#7F ]"},
      {"[.*|(]", "[ '.' '*' '|' '(' ]"},
      {"\\b\\n\\r\\t", "#8 #A #D #9"},
      {"\\.\\*\\\\\\[\\]\\^\\$\\-", "'.' '*' '\\' '[' ']' '^' '$' '-'"},
      {"\\d\\w\\s\\8", "'d' 'w' 's' '8'"},
      {"\\x41\\xfF", "'A' #FF"},
      {"\\x8140", "#8140"},
      {"\\x41424", "#4142 '4'"},
      {"\\x4g", "#4 'g'"},
      {"\\101\\0", "'A' #0"},
      {"\\177777", "#FFFF"},
      {"\\1777777", "#FFFF '7'"},
      {"\\18", "#1 '8'"},
  };
  for (const TokenCase& c : cases) EXPECT_EQ(dumpTokens(c.pattern), c.tokens) << c.pattern;
}

TEST(PatternScanner, ReadsDoubleByteCharactersAndRanges) {
  EXPECT_EQ(dumpTokens(sj("[あ-ん]")), "[ #82A0-#82F1 ]");
  EXPECT_EQ(dumpTokens(sj("ア")), "#8341") << "the trail byte 0x41 is not the letter A";
  EXPECT_EQ(dumpTokens(sj("ー-")), "#815B '-'");
}

TEST(PatternScanner, SetTextStartsOutsideAnyClass) {
  PatternScanner scanner("[ab");
  scanner.GetToken();
  scanner.GetToken();
  EXPECT_TRUE(scanner.inClass());
  scanner.SetText("a]");
  EXPECT_EQ(scanner.position(), 1);
  EXPECT_EQ(scanner.GetToken(), TokenKind::tk_Char);
  EXPECT_EQ(scanner.GetToken(), TokenKind::tk_ClassClose);
}

struct ErrorCase {
  std::string pattern;
  const char* message;
  int position;
};

TEST(PatternScanner, RaisesEveryFaultWithItsPosition) {
  const ErrorCase cases[] = {
      {"a\x82", messages::kInvalidDoubleByte, 2},
      {"[\x82", messages::kInvalidDoubleByte, 2},
      {"\\", messages::kCharAfterBackslash, 2},
      {"[a\\", messages::kCharAfterBackslash, 4},
      {"\\x", messages::kInvalidHexCode, 3},
      {"\\xG", messages::kInvalidHexCode, 4},
      {"\\x" + sj("あ"), messages::kInvalidHexCode, 5},
      {"\\400000", messages::kInvalidOctalCode, 8},
      {"[", messages::kRightBracketRequired, 2},
      {"[^", messages::kRightBracketRequired, 3},
      {"[a", messages::kRightBracketRequired, 3},
      {"[a-", messages::kRightBracketRequired, 4},
      {"[ab", messages::kRightBracketRequired, 4},
      {"[z-a]", messages::kInvalidCharRange, 5},
      {sj("[ん-あ]"), messages::kInvalidCharRange, 7},
  };
  for (const ErrorCase& c : cases) {
    test::expectSyntaxError(
        [&] {
          PatternScanner scanner(c.pattern);
          while (scanner.GetToken() != TokenKind::tk_End) {
          }
        },
        c.message, c.position, c.pattern);
  }
}

TEST(RegexSyntaxError, ReportsPositionsModulo65536) {
  RegexSyntaxError error("x", static_cast<std::uint16_t>(65537));
  EXPECT_EQ(error.ErrorPos(), 1);
}

}  // namespace
}  // namespace namitra::regex
