#include "tools/format_expression.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sjis/codec.h"

namespace namitra::tools {
namespace {

using sjis::fromUtf8;

struct SplitRow {
  const char* name;
  const char* line;  // UTF-8, converted to code page 932
  const char* namePart;
  const char* extension;
};

TEST(SplitNameAndExtension, SplitsAtTheLastDotUnlessABackslashOrColonFollowsIt) {
  const SplitRow rows[] = {
      {"last dot of several", "report.final.DOC", "report.final", ".DOC"},
      {"no dot", "README", "README", ""},
      {"only dot first", ".htaccess", "", ".htaccess"},
      {"ends with a dot", "notes.", "notes", "."},
      {"backslash after the dot", "a.b\\c", "a.b\\c", ""},
      {"colon after the dot", "a.b:c", "a.b:c", ""},
      {"colon before the dot", "a:b.c", "a:b", ".c"},
      {"empty line", "", "", ""},
      {"kanji with a backslash trail byte", "表.txt", "表", ".txt"},
      // Taking the trail byte of 表 (0x5C) for a backslash would lose this extension.
      {"extension of such a kanji", "x.表", "x", ".表"},
      {"katakana", "ソフト.ｔｘｔ", "ソフト", ".ｔｘｔ"},
  };
  for (const SplitRow& row : rows) {
    SCOPED_TRACE(row.name);
    const NameAndExtension parts = SplitNameAndExtension(fromUtf8(row.line));
    EXPECT_EQ(parts.name, fromUtf8(row.namePart));
    EXPECT_EQ(parts.extension, fromUtf8(row.extension));
  }
}

struct NumberRow {
  std::int64_t number;
  int digitCount;
  const char* text;
};

TEST(RunningNumberText, PadsWithZerosInFrontAndNeverCuts) {
  const NumberRow rows[] = {
      {7, 3, "007"},
      {1234, 2, "1234"},
      {5, 1, "5"},
      {0, 0, "0"},
      {12, -3, "12"},
      {42, 16, "0000000000000042"},
      {2147483648, 1, "2147483648"},
      {-5, 4, "00-5"},  // the "-" counts towards the width and the zeros go in front of it
  };
  for (const NumberRow& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(RunningNumberText(row.number, row.digitCount), row.text);
  }
}

struct ExpandRow {
  const char* name;
  const char* format;  // UTF-8, converted to code page 932
  const char* line;
  const char* expected;
};

// Each row's format expanded over its line with the running number "007".
template <std::size_t N>
void expectExpansions(const ExpandRow (&rows)[N]) {
  for (const ExpandRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ExpandFormat(fromUtf8(row.format), fromUtf8(row.line), "007"), fromUtf8(row.expected));
  }
}

TEST(ExpandFormat, ReplacesEachVariable) {
  const ExpandRow rows[] = {
      {"worked example", "IMG_%NUM%.%F_EXTaa%", "photo.JPG", "IMG_007.jpg"},
      {"upper-case name", "%F_NAMEAA%.%F_EXT%", "Report.final.Doc", "REPORT.FINAL.Doc"},
      {"all six parts", "%F_NAME%|%F_NAMEAA%|%F_NAMEaa%|%F_EXT%|%F_EXTAA%|%F_EXTaa%", "Ab.Cd",
       "Ab|AB|ab|Cd|CD|cd"},
      {"no variable", "fixed", "a.txt", "fixed"},
      {"number in lower case", "%num%", "a", "007"},
      {"number in mixed case", "%Num%-%nUM%", "a", "007-007"},
      {"name variable in lower case is text", "%f_name%", "a.txt", "%f_name%"},
      {"text around the number keeps its case", "x%num%y", "a", "x007y"},
      {"full-width text around the number keeps its case", "ａ%num%ｂ", "a", "ａ007ｂ"},
      {"blank line", "%F_NAME%_%NUM%.%F_EXT%", "", "_007."},
      {"variable twice", "%F_NAME%%F_NAME%", "ab.c", "abab"},
  };
  expectExpansions(rows);
}

TEST(ExpandFormat, LaterPassesSearchWhatEarlierPassesInserted) {
  const ExpandRow rows[] = {
      {"number in the name", "%F_NAME%", "%NUM%.txt", "007"},
      {"extension variable in the name", "%F_NAME%", "a%F_EXT%b.txt", "atxtb"},
      // Pass 1 has run before pass 2 or pass 4 puts the name variable in.
      {"name variable made by upper-casing", "%F_NAMEAA%", "%f_name%.x", "%F_NAME%"},
      {"name variable in the extension", "%F_EXT%", "a.%F_NAME%", "%F_NAME%"},
      // A pass does not search the text it inserted itself, so this does not loop.
      {"name variable in the name", "%F_NAME%%F_NAME%", "%F_NAME%.x", "%F_NAME%%F_NAME%"},
  };
  expectExpansions(rows);
}

TEST(ExpandFormat, CaseConversionKeepsDoubleByteCharactersWhole) {
  const ExpandRow rows[] = {
      {"full-width letters and kanji upper", "%F_NAMEAA%", "ａｂ漢字ア.txt", "ＡＢ漢字ア"},
      {"full-width letters lower", "%F_NAMEaa%", "ＡＢ表.txt", "ａｂ表"},
      // ア is 0x83 0x41: lowering its trail byte on its own would make it ヂ (0x83 0x61).
      {"katakana with a letter trail byte", "%F_NAMEaa%.%F_EXTaa%", "アX.ＪＰＧ", "アx.ｊｐｇ"},
      {"greek", "%F_EXTAA%", "a.αβ", "ΑΒ"},
  };
  expectExpansions(rows);
}

TEST(ExpandFormat, VariableTextInsideADoubleByteCharacterIsNotMatched) {
  // "\x83%" counts as a character by its lead byte, so the "%" is its second half and "NUM%"
  // after it is no variable; the variables before and after are.
  EXPECT_EQ(ExpandFormat("\x83%NUM%%NUM%", "a", "7"), "\x83%NUM%7");
  EXPECT_EQ(ExpandFormat("%NUM%\x83%NUM%%NUM%", "a", "7"), "7\x83%NUM%7");
  // A pass that finds nothing leaves the text whole, also after a NUL; one that replaces cuts it
  // there, as every replace-all does.
  const std::string withNul("\x83%F_EXT%\0x", 11);
  EXPECT_EQ(ExpandFormat(withNul, "a.b", "7"), withNul);
  EXPECT_EQ(ExpandFormat(std::string("%F_EXT%\0x", 9), "a.b", "7"), "b");
}

// The prepared format must give what the passes give for every format and line, also where a
// value helps to form a variable, a lead byte swallows a "%", or a NUL or a stand-in byte is there.
TEST(PreparedFormat, ExpandsExactlyAsTheFormatDoes) {
  const std::vector<std::string> formats = {
      "photo%NUM%.%F_EXT%", "%F_NAME%|%F_NAMEAA%|%F_NAMEaa%|%F_EXT%|%F_EXTAA%|%F_EXTaa%", "x", "",
      "%F_%F_NAME%A%",  // NAMEA as the name makes %F_NAMEAA% for the next pass
      "%NU%F_NAME%%",   // M as the name makes %NUM%
      "%NUM%%F_NAME%%F_EXT%", "%F_EXT%%F_NAME%", "\x83%F_EXT%%NUM%", "%F_NAME%\x83%NUM%", "%num%-%Num%",
      std::string("%F_NAME%\0%NUM%", 14), "a\x01%F_NAME%", fromUtf8("写真%NUM%_%F_NAMEAA%.%F_EXTaa%")};
  const std::vector<std::string> lines = {
      "f000000.dat", "NAMEA.txt", "M", "F_EXT.F_NAME", "", ".htaccess", "notes.", "TAX.T", "%NUM%.txt",
      "ab\x83.txt", "a.b\x83", "x\x01y.z", std::string("a\0b.c", 5), fromUtf8("アX.ＪＰＧ"), fromUtf8("表.jpg")};
  for (const std::string& format : formats) {
    const PreparedFormat prepared(format);
    for (const std::string& line : lines) {
      SCOPED_TRACE(::testing::PrintToString(format) + " " + ::testing::PrintToString(line));
      EXPECT_EQ(prepared.expand(line, "07"), ExpandFormat(format, line, "07"));
    }
  }
}

TEST(PreparedFormat, ExpandsRandomFormatsAndLinesExactlyAsTheFormatDoes) {
  const std::vector<std::string> pieces = {"%", "F_", "NAME", "EXT", "AA", "aa", "NUM", "num", "%F_NAME%",
                                           "%F_EXT%", "%NUM%", "x", ".", "\x83", fromUtf8("表"), "M", "A"};
  std::mt19937 random(8);
  auto text = [&](int most) {
    std::string made;
    for (int count = std::uniform_int_distribution<int>(0, most)(random); count > 0; --count)
      made += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    return made;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::string format = text(6);
    const PreparedFormat prepared(format);
    for (int each = 0; each < 5; ++each) {
      const std::string line = text(4);
      ASSERT_EQ(prepared.expand(line, "9"), ExpandFormat(format, line, "9"))
          << ::testing::PrintToString(format) << " " << ::testing::PrintToString(line);
    }
  }
}

}  // namespace
}  // namespace namitra::tools
