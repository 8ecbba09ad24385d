#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/list_file.h"
#include "platform/stored_file_error.h"
#include "temp_folder.h"

namespace namitra::platform {
namespace {

using namespace std::string_literals;
using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;
using Lines = std::vector<std::string>;

TEST(TextFileTest, SplitLines) {
  struct Row {
    const char* name;
    std::string text;
    bool stopAtNul;
    Lines expected;
  };
  const Row rows[] = {
      {"CR LF", "a\r\nb\r\n", false, {"a", "b"}},
      {"lone CR and lone LF", "a\rb\nc", false, {"a", "b", "c"}},
      {"LF CR is two line ends", "a\n\rb", false, {"a", "", "b"}},
      {"empty lines in the middle kept", "a\r\n\r\n\r\nb\r\n", false, {"a", "", "", "b"}},
      {"final line without line end", "a\r\nb", false, {"a", "b"}},
      {"blanks kept", " a \r\n", false, {" a "}},
      {"a single line end is one empty line", "\r\n", false, {""}},
      {"empty text", "", false, {}},
      {"NUL ends the text", "a\r\nb\0c\r\nd"s, true, {"a", "b"}},
      {"NUL kept when asked", "a\0b"s, false, {"a\0b"s}},
      {"double-byte text", "\x95\x5C\r\n\x83\x41", false, {"\x95\x5C", "\x83\x41"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(splitLines(row.text, row.stopAtNul), row.expected);
  }
}

TEST(TextFileTest, MissingFileOrFolderReadsAsNothing) {
  TempFolder folder;
  EXPECT_EQ(readWholeFile(folder / "missing"), std::nullopt);
  EXPECT_EQ(readWholeFile(folder.path()), std::nullopt);
  EXPECT_THROW(readWholeFileStrict(folder.path()), StoredFileError);
  EXPECT_EQ(readWholeFileStrict(folder / "missing"), std::nullopt);
}

TEST(TextFileTest, WriteReplacesWholeFileAndKeepsItsPermissions) {
  TempFolder folder;
  const auto path = folder / "a.lst";
  writeWholeFile(path, "first, and longer\r\n");
  ::chmod(path.c_str(), 0640);
  writeWholeFile(path, "x\0y"s);
  EXPECT_EQ(readWholeFile(path), "x\0y"s);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
      << "no temporary file is left behind";
}

TEST(TextFileTest, WriteThroughSymbolicLinkKeepsTheLink) {
  TempFolder folder;
  writeBytes(folder / "real", "old");
  std::filesystem::create_symlink("real", folder / "link");
  writeWholeFile(folder / "link", "new");
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link"));
  EXPECT_EQ(readBytes(folder / "real"), "new");
}

TEST(TextFileTest, FailedWriteNamesTheFile) {
  TempFolder folder;
  writeBytes(folder / "plain", "");
  const auto path = folder / "plain" / "x.lst";  // a file where a folder should be
  try {
    writeWholeFile(path, "a");
    FAIL() << "writing below a file succeeded";
  } catch (const StoredFileError& error) {
    EXPECT_EQ(error.path(), path);
    EXPECT_EQ(std::string(error.what()), "ファイル " + path.string() + " に書き込めません。(Not a directory)");
  }
  EXPECT_THROW(writeWholeFile(folder.path(), "a"), StoredFileError) << "a folder is not overwritten";
  EXPECT_TRUE(std::filesystem::is_directory(folder.path()));
}

TEST(TextFileTest, MessagePathShowsInvalidBytesAsEscapes) {
  const StoredFileError error("/tmp/caf\xE9/\xE8\xA1\xA8.rl", StoredFileOperation::Read, "Permission denied");
  EXPECT_EQ(std::string(error.what()), "ファイル /tmp/caf\\xE9/表.rl を読み込めません。(Permission denied)");
}

TEST(ListFileTest, ReadsEveryLineEndAndWritesCrLf) {
  TempFolder folder;
  const auto path = folder / "Extract.lst";
  EXPECT_EQ(readListFile(path), std::nullopt);
  writeBytes(path, "*.jpg\r\n\rIMG\n \x95\x5C ");
  EXPECT_EQ(readListFile(path), (Lines{"*.jpg", "", "IMG", " \x95\x5C "}));
  writeListFile(path, {"b", "", "a"});
  EXPECT_EQ(readBytes(path), "b\r\n\r\na\r\n");
  writeListFile(path, {});
  EXPECT_EQ(readBytes(path), "");
  EXPECT_EQ(readListFile(path), Lines{});
}

}  // namespace
}  // namespace namitra::platform
