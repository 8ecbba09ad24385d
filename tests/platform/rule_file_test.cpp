#include "platform/rule_file.h"

#include <gtest/gtest.h>

#include "platform/stored_file_error.h"
#include "temp_folder.h"

namespace namitra::platform {
namespace {

using namespace std::string_literals;
using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

TEST(RuleLineTest, FromLine) {
  struct Row {
    const char* line;
    Rule expected;
    bool applies;
  };
  const Row rows[] = {
      {"ab=x", {"ab", "x", true}, true},
      {"_= ", {"_", " ", true}, true},
      {"(1)=", {"(1)", "", true}, true},
      {"a = b=c", {"a ", " b=c", true}, true},
      {"=x", {"", "x", true}, false},
      {"=", {"", "", true}, false},
      {"no separator", {"", "no separator", false}, false},
      {"", {"", "", false}, false},
      {"\x95\x5C=\\", {"\x95\x5C", "\\", true}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const Rule rule = Rule::fromLine(row.line);
    EXPECT_EQ(rule, row.expected);
    EXPECT_EQ(rule.applies(), row.applies);
    EXPECT_EQ(rule.line(), row.line);
  }
}

TEST(RuleFileTest, ReadsLinesUpToNulAndWritesThemBackByteForByte) {
  TempFolder folder;
  const auto path = folder / "a.rl";
  writeBytes(path, "ab=x\r\nplain\r=x\n\r\n b = c \r\nlast=\0ignored=1\r\n"s);
  const auto rules = readRuleFile(path);
  ASSERT_TRUE(rules);
  EXPECT_EQ(*rules, (std::vector<Rule>{{"ab", "x", true},
                                       {"", "plain", false},
                                       {"", "x", true},
                                       {"", "", false},
                                       {" b ", " c ", true},
                                       {"last", "", true}}));
  writeRuleFile(path, *rules);
  EXPECT_EQ(readBytes(path), "ab=x\r\nplain\r\n=x\r\n\r\n b = c \r\nlast=\r\n");
}

TEST(RuleFileTest, MissingFileIsNothingButAFolderIsAnError) {
  TempFolder folder;
  EXPECT_EQ(readRuleFile(folder / "missing.rl"), std::nullopt);
  std::filesystem::create_directory(folder / "dir.rl");
  EXPECT_THROW(readRuleFile(folder / "dir.rl"), StoredFileError);
}

TEST(RuleFileTest, BuiltInTableWritesTheNineLines) {
  TempFolder folder;
  const auto path = folder / "ValidFileNameChar.rld";
  writeRuleFile(path, builtInFileNameCharTable());
  EXPECT_EQ(readBytes(path), "\\=\r\n/=\r\n:=\r\n*=\r\n?=\r\n\"=\r\n<=\r\n>=\r\n|=\r\n");
  EXPECT_EQ(readRuleFile(path), builtInFileNameCharTable());
}

TEST(RuleFileTest, FileNameCharTableFallsBackToTheBuiltInTable) {
  TempFolder folder;
  const auto path = folder / kFileNameCharTableFileName;
  EXPECT_EQ(readFileNameCharTable(path), builtInFileNameCharTable()) << "missing";
  std::filesystem::create_directory(path);
  EXPECT_EQ(readFileNameCharTable(path), builtInFileNameCharTable()) << "a folder is not the table";
  std::filesystem::remove(path);
  writeBytes(path, "ab=x\r\nno separator\r\n");
  EXPECT_EQ(readFileNameCharTable(path), (std::vector<Rule>{{"ab", "x", true}, {"", "no separator", false}}))
      << "the file replaces the whole built-in table";
}

}  // namespace
}  // namespace namitra::platform
