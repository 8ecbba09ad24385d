// Bad stored files: truncated, binary, not Shift-JIS, huge (100 MB, made by the test), and
// things at a stored file's path that are no files at all (a named pipe, a device).
//
// Every reader must come back without crashing or hanging, with the specified result or a
// StoredFileError that names the file, and a read must never change the file. A write after
// reading a bad file keeps what the user had in it.
#include "platform/list_file.h"
#include "platform/program_settings.h"
#include "platform/rule_file.h"
#include "platform/settings_file.h"
#include "platform/stored_file_error.h"
#include "platform/text_file.h"
#include "rename/recent_list.h"
#include "editor/key_macro.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace namitra::platform {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

// A readable Shift-JIS settings file, a list and a rule file, and kinds of damage done to them.
const std::string kSettings = "[Options]\r\ntab_char=\x81\x5b\r\nviewEditTools=0\r\n[RegExp]\r\nFuzzy=1\r\n";

std::string allBytes() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes + bytes;
}

struct BadContent {
  const char* name;
  std::string bytes;
  std::string tabReplacement;  // what the settings reader makes of it: bytes are never converted
};

void PrintTo(const BadContent& content, std::ostream* out) { *out << content.name; }

std::vector<BadContent> badContents() {
  using namespace std::string_literals;
  return {
      {"truncated_in_a_character", kSettings.substr(0, kSettings.find("\x81\x5b") + 1), "\x81"},
      {"truncated_in_a_line", kSettings.substr(0, kSettings.find("Fuzzy") + 3), "\x81\x5b"},
      {"binary", allBytes(), " "},
      {"utf8", "[Options]\r\ntab_char=\xe3\x83\xbc\r\n\xe5\x86\x99\xe7\x9c\x9f=1\r\n", "\xe3\x83\xbc"},
      {"utf16_with_bom", "\xff\xfe[\0O\0p\0t\0i\0o\0n\0s\0]\0\r\0\n\0t\0a\0b\0_\0c\0h\0a\0r\0=\0_\0\r\0\n\0"s, " "},
  };
}

// Runs `read` in a child process that must end within `seconds`; gives its exit code (0: it
// returned, 1: it threw StoredFileError, 2: it threw something else), or -1 when it hung or
// crashed.
int exitCodeOf(const std::function<void()>& read, unsigned seconds = 20) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(seconds);
    int code = 0;
    try {
      read();
    } catch (const StoredFileError&) {
      code = 1;
    } catch (...) {
      code = 2;
    }
    ::_exit(code);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class BadFile : public ::testing::TestWithParam<BadContent> {
 protected:
  TempFolder dir;
  std::filesystem::path path(const char* name) {
    const std::filesystem::path file = dir / name;
    writeBytes(file, GetParam().bytes);
    return file;
  }
  void expectUnchanged(const std::filesystem::path& file) { EXPECT_EQ(readBytes(file), GetParam().bytes); }
};

TEST_P(BadFile, SettingsReadAsFarAsTheyCanAndAWriteKeepsTheRest) {
  const auto file = path("namitra.ini");
  const ProgramSettings settings = readProgramSettings(file);
  expectUnchanged(file);
  EXPECT_EQ(settings.tabReplacement, GetParam().tabReplacement);
  writeProgramSettings(file, settings);
  EXPECT_EQ(readProgramSettings(file), settings);
  // Every byte the file had outside the lines of the settings written is still there.
  const std::string written = readBytes(file);
  for (const std::string& line : splitLines(GetParam().bytes, false)) {
    if (line.starts_with("tab_char=") || line.starts_with("viewEditTools=") || line.starts_with("Fuzzy") ||
        line.starts_with("MatchCase=") || line.starts_with("WholeWord=") || line.starts_with("Regexp="))
      continue;
    EXPECT_NE(written.find(line), std::string::npos) << "lost line " << ::testing::PrintToString(line);
  }
}

TEST_P(BadFile, ListsAndRulesReadEveryLineAndNeverChangeTheFile) {
  const auto list = path("Extract.lst");
  const auto lines = readListFile(list);
  ASSERT_TRUE(lines.has_value());
  // Only the line ends are gone: every other byte is in a line, in order.
  std::string joined, expected;
  for (const std::string& line : *lines) joined += line;
  for (char c : GetParam().bytes)
    if (c != '\r' && c != '\n') expected += c;
  EXPECT_EQ(joined, expected);
  expectUnchanged(list);

  const auto rules = path("a.rl");
  ASSERT_TRUE(readRuleFile(rules).has_value());
  expectUnchanged(rules);
  const auto table = path(kFileNameCharTableFileName);
  EXPECT_EQ(readFileNameCharTable(table), parseRules(GetParam().bytes));
  expectUnchanged(table);
}

TEST_P(BadFile, APromotedEntryKeepsEveryStoredLine) {
  const auto list = path("ConvFmt.lst");
  std::vector<std::string> inMemory = {"kept in memory only"};
  rename::promoteInListFile(list, inMemory, "newest");
  std::vector<std::string> expected = splitLines(GetParam().bytes, false);
  rename::promoteRecentEntry(expected, "newest");
  EXPECT_EQ(inMemory, expected);
  EXPECT_EQ(readListFile(list), expected);
}

TEST_P(BadFile, AMacroTextThatIsNoMacroFailsToLoadCleanly) {
  const auto file = path("macro.txt");
  editor::KeyMacro macro;
  std::string error;
  macro.setShowDialog(true);
  macro.setDialogHandler([&](editor::MacroDialogKind, const std::string& text) { error = text; });
  if (!macro.LoadMacroText(file)) {
    EXPECT_EQ(macro.state(), editor::MacroState::Empty);
    EXPECT_EQ(error, "Invalid data loaded.KeyMacro");
  }
  expectUnchanged(file);
}

INSTANTIATE_TEST_SUITE_P(Damage, BadFile, ::testing::ValuesIn(badContents()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsWithNul, ANulByteEndsTheValue) {
  using namespace std::string_literals;
  TempFolder dir;
  writeBytes(dir / "namitra.ini", "[Options]\r\ntab_char=a\0b\r\n[RegExp]\r\nFuzzy=1\0 junk\r\n"s);
  const ProgramSettings settings = readProgramSettings(dir / "namitra.ini");
  EXPECT_EQ(settings.tabReplacement, "a");
  EXPECT_TRUE(settings.fuzzy);
}

// --- Things at a stored file's path that are no files ---

struct NoFile {
  const char* name;
  std::function<void(const std::filesystem::path&)> make;
};

void PrintTo(const NoFile& kind, std::ostream* out) { *out << kind.name; }

class NotAFile : public ::testing::TestWithParam<NoFile> {
 protected:
  TempFolder dir;
};

// Each reader of stored files must report an error at once; the settings file reads as empty.
// (The unlimited whole-file read waits on a pipe, as a names file given as <(command) needs.)
TEST_P(NotAFile, EveryReaderComesBackAtOnce) {
  const std::filesystem::path file = dir / "stored";
  GetParam().make(file);
  EXPECT_EQ(exitCodeOf([&] { readListFile(file); }), 1);
  EXPECT_EQ(exitCodeOf([&] { readRuleFile(file); }), 1);
  EXPECT_EQ(exitCodeOf([&] { readFileNameCharTable(file); }), 1);
  EXPECT_EQ(exitCodeOf([&] { editor::KeyMacro().LoadMacroText(file); }), 1);
  EXPECT_EQ(exitCodeOf([&] {
              if (!(readProgramSettings(file) == ProgramSettings{})) ::_exit(3);
            }),
            0);
  EXPECT_EQ(exitCodeOf([&] { rename::promoteInListFile(file, *new std::vector<std::string>, "x"); }), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NotAFile,
    ::testing::Values(NoFile{"named_pipe", [](const auto& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); }},
                      NoFile{"link_to_an_endless_device",
                             [](const auto& path) { std::filesystem::create_symlink("/dev/zero", path); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StoredFileErrorText, NamesTheFileAndTheReason) {
  TempFolder dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  try {
    readRuleFile(dir / "pipe");
    FAIL() << "a named pipe read as a rule file";
  } catch (const StoredFileError& error) {
    EXPECT_NE(std::string(error.what()).find((dir / "pipe").string()), std::string::npos) << error.what();
    EXPECT_EQ(error.operation(), StoredFileOperation::Read);
  }
}

// --- Huge files ---

// 100 MB in the shapes that cost the readers most: lines of ordinary length, nothing but line
// breaks, and one line without any.
struct HugeShape {
  const char* name;
  std::string (*make)();
};

void PrintTo(const HugeShape& shape, std::ostream* out) { *out << shape.name; }

constexpr std::size_t kHuge = 100 * 1024 * 1024;

std::string ordinaryLines() {
  std::string block;
  for (int i = 0; block.size() < 1024 * 1024; ++i) block += "key" + std::to_string(i) + "=value\r\n";
  std::string text = "[Options]\r\n";
  text.reserve(kHuge + block.size());
  while (text.size() < kHuge) text += block;
  return text;
}
std::string onlyLineBreaks() { return std::string(kHuge, '\n'); }
std::string oneLine() { return "[Options]\r\ntab_char=" + std::string(kHuge, 'x'); }

class HugeFile : public ::testing::TestWithParam<HugeShape> {
 protected:
  TempFolder dir;
};

TEST_P(HugeFile, IsRefusedWithAClearErrorAndNeverOverwritten) {
  const std::filesystem::path file = dir / "huge";
  std::string bytes = GetParam().make();
  writeBytes(file, bytes);
  const std::size_t size = bytes.size();
  bytes = {};
  // A settings file too large to read reads as empty, and is never overwritten.
  SettingsFile settings(file);
  EXPECT_EQ(settings.readString("Options", "tab_char", "default"), "default");
  EXPECT_EQ(readProgramSettings(file), ProgramSettings{});
  EXPECT_THROW(settings.writeString("Options", "added", "1"), StoredFileError);
  EXPECT_THROW(writeProgramSettings(file, ProgramSettings{}), StoredFileError);
  EXPECT_EQ(std::filesystem::file_size(file), size);
  // The other stored files refuse it with a clear error, and a list is not overwritten either.
  for (const auto& read : std::vector<std::function<void()>>{
           [&] { readRuleFile(file); }, [&] { readListFile(file); }, [&] { readFileNameCharTable(file); },
           [&] { editor::KeyMacro().LoadMacroText(file); }}) {
    try {
      read();
      ADD_FAILURE() << "a file of " << size << " bytes was read";
    } catch (const StoredFileError& error) {
      EXPECT_NE(std::string(error.what()).find("(File too large)"), std::string::npos) << error.what();
    }
  }
  std::vector<std::string> list = {"in memory"};
  EXPECT_THROW(rename::promoteInListFile(file, list, "x"), StoredFileError);
  EXPECT_EQ(std::filesystem::file_size(file), size);
}

TEST(LargeStoredFile, UpToTheLimitIsReadInFull) {
  TempFolder dir;
  const std::string header = "[Options]\r\ntab_char=_\r\n";
  writeBytes(dir / "large.ini", header + std::string(kStoredFileSizeLimit - header.size(), '\n'));
  EXPECT_EQ(SettingsFile(dir / "large.ini").readString("Options", "tab_char", ""), "_");
  EXPECT_EQ(readListFile(dir / "large.ini")->size(), kStoredFileSizeLimit - header.size() + 2);
}

INSTANTIATE_TEST_SUITE_P(Shapes, HugeFile,
                         ::testing::Values(HugeShape{"ordinary_lines", ordinaryLines},
                                           HugeShape{"only_line_breaks", onlyLineBreaks},
                                           HugeShape{"one_line", oneLine}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace namitra::platform
