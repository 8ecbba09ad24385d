#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include "platform/stored_file_error.h"
#include "temp_folder.h"

namespace namitra::platform {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsFile withContent(std::string_view bytes) {
    writeBytes(m_path, bytes);
    return SettingsFile(m_path);
  }

  TempFolder m_folder;
  std::filesystem::path m_path = m_folder / "Namitra.ini";
};

TEST_F(SettingsFileTest, ReadString) {
  struct Row {
    const char* name;
    const char* line;  // in section [Options], key k
    const char* expected;
  };
  const Row rows[] = {
      {"plain", "k=abc", "abc"},
      {"blanks around the value dropped", "k= \t a b \t", "a b"},
      {"blanks around the key ignored", "  k  =x", "x"},
      {"one pair of quotes dropped", "k=\" a \"", " a "},
      {"only one pair", "k=\"\"a\"\"", "\"a\""},
      {"quotes inside the blanks", "k= \" \" ", " "},
      {"a lone quote stays", "k=\"a", "\"a"},
      {"only blanks read empty", "k=   ", ""},
      {"after the first equals sign", "k=a=b", "a=b"},
      {"key case ignored", "K=up", "up"},
      {"double-byte value", "k=\x95\x5C", "\x95\x5C"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SettingsFile file = withContent(std::string("[options]\r\n") + row.line + "\r\n");
    EXPECT_EQ(file.readString("Options", "k", "default"), row.expected);
  }
}

TEST_F(SettingsFileTest, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(SettingsFile(m_folder / "none.ini").readString("Options", "tab_char", " "), " ");
  SettingsFile file = withContent(
      "k=global\r\n"
      "[Other]\r\nk=other\r\n"
      "[Options]\r\nnot a setting\r\nkk=1\r\n"
      "[RegExp]\r\nk=regexp\r\n");
  EXPECT_EQ(file.readString("Options", "k", "d"), "d") << "keys of other sections do not count";
  EXPECT_EQ(file.readString("RegExp", "k", "d"), "regexp");
  EXPECT_EQ(file.readString("Missing", "k", "d"), "d");
  EXPECT_EQ(SettingsFile(m_folder.path()).readString("Options", "k", "d"), "d") << "a folder reads as empty";
}

TEST_F(SettingsFileTest, FirstSectionAndFirstKeyCount) {
  SettingsFile file = withContent("[A]\nk=1\nk=2\n[B]\n[a]\nk=3\nj=4\n");
  EXPECT_EQ(file.readString("A", "k", ""), "1");
  EXPECT_EQ(file.readString("A", "j", "none"), "none");
}

TEST_F(SettingsFileTest, AtMost2047BytesOfAValueAreSeen) {
  SettingsFile file = withContent("[S]\r\nk=" + std::string(3000, 'x') + "\r\n");
  EXPECT_EQ(file.readString("S", "k", ""), std::string(2047, 'x'));
  // A double-byte character across the limit is not cut in half.
  file = withContent("[S]\r\nk=" + std::string(2046, 'x') + "\x95\x5C" + "\r\n");
  EXPECT_EQ(file.readString("S", "k", ""), std::string(2046, 'x'));
  file = withContent("[S]\r\nk=\"" + std::string(2047, 'y') + "\"\r\n");
  EXPECT_EQ(file.readString("S", "k", ""), std::string(2047, 'y')) << "quotes dropped before the cut";
}

TEST(ProfileIntegerTest, ParsesDecimalAndHexadecimal) {
  struct Row {
    const char* text;
    std::optional<long> expected;
  };
  const Row rows[] = {
      {"0", 0},         {"1", 1},           {"-12", -12},       {"+7", 7},
      {"0x1F", 31},     {"0X1f", 31},       {"$ff", 255},       {"-$10", -16},
      {"2147483647", 2147483647L},          {"-2147483648", -2147483648L},
      {"0xFFFFFFFF", -1},                   {"2147483648", std::nullopt},
      {"", std::nullopt},  {"abc", std::nullopt}, {"12abc", std::nullopt}, {"0x", std::nullopt},
      {"$", std::nullopt}, {"1 2", std::nullopt}, {"0x1G", std::nullopt}, {"--1", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(parseProfileInteger(row.text), row.expected);
  }
}

TEST_F(SettingsFileTest, ReadIntegerAndBool) {
  SettingsFile file = withContent("[RegExp]\r\nMatchCase=1\r\nWholeWord=0\r\nRegexp= \"0x0\" \r\nFuzzy=yes\r\nN=$20\r\n");
  EXPECT_TRUE(file.readBool("RegExp", "MatchCase", false));
  EXPECT_FALSE(file.readBool("RegExp", "WholeWord", true));
  EXPECT_FALSE(file.readBool("regexp", "REGEXP", true)) << "quoted and blank-padded number";
  EXPECT_TRUE(file.readBool("RegExp", "Fuzzy", true)) << "not a number: the default";
  EXPECT_FALSE(file.readBool("RegExp", "Fuzzy", false));
  EXPECT_TRUE(file.readBool("RegExp", "Missing", true));
  EXPECT_EQ(file.readInteger("RegExp", "N", 0), 32);
}

TEST_F(SettingsFileTest, WritingCreatesTheFileWithCrLf) {
  SettingsFile file(m_path);
  file.writeString("Options", "tab_char", " ");
  file.writeBool("Options", "viewEditTools", true);
  file.writeBool("RegExp", "MatchCase", false);
  EXPECT_EQ(readBytes(m_path), "[Options]\r\ntab_char= \r\nviewEditTools=1\r\n[RegExp]\r\nMatchCase=0\r\n");
  EXPECT_EQ(file.readString("Options", "tab_char", "?"), "") << "a value of blanks reads back empty";
  file.writeString("Options", "tab_char", "\" \"");
  EXPECT_EQ(file.readString("Options", "tab_char", "?"), " ") << "a quoted value keeps its blanks";
}

TEST_F(SettingsFileTest, WritingLeavesEveryOtherByteAlone) {
  const std::string before =
      "; comment\n"
      "[Options]\r\n"
      "other = kept \"as is\"\r\n"
      "TAB_CHAR=old\n"
      "\r\n"
      "[RegExp]\r"
      "Fuzzy=1";
  SettingsFile file = withContent(before);
  file.writeString("options", "tab_char", "_");
  file.writeBool("Options", "viewEditTools", false);
  file.writeBool("RegExp", "MatchCase", true);
  file.writeString("New", "k", "v\r\nInjected=1");
  EXPECT_EQ(readBytes(m_path),
            "; comment\n"
            "[Options]\r\n"
            "other = kept \"as is\"\r\n"
            "tab_char=_\n"
            "viewEditTools=0\r\n"
            "\r\n"
            "[RegExp]\r"
            "Fuzzy=1\r\n"
            "MatchCase=1\r\n"
            "[New]\r\nk=v\r\n");
}

TEST_F(SettingsFileTest, WriteFailureNamesTheFile) {
  writeBytes(m_folder / "file", "");
  SettingsFile file(m_folder / "file" / "Namitra.ini");
  try {
    file.writeBool("Options", "viewEditTools", true);
    FAIL() << "write below a file succeeded";
  } catch (const StoredFileError& error) {
    EXPECT_EQ(error.path(), file.path());
    EXPECT_EQ(error.operation(), StoredFileOperation::Write);
  }
}

TEST(SettingsFileNameTest, ReplacesFromTheLastDot) {
  EXPECT_EQ(settingsFileNameFor("Namitra"), "Namitra.ini");
  EXPECT_EQ(settingsFileNameFor("Namitra.exe"), "Namitra.ini");
  EXPECT_EQ(settingsFileNameFor("name.tar.gz"), "name.tar.ini");
}

}  // namespace
}  // namespace namitra::platform
