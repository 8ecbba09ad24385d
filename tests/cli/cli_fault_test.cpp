// namitra-cli --execute and --undo on real folders while real faults happen: a read-only folder,
// a refusal half way through a chain and a cycle, a move to another file system that runs out of
// space, a journal on a full file system, an undo into a folder that became read-only.
//
// Each test checks that every file's content is afterwards at exactly one path, that standard
// error names every rename that failed, and that the journal holds exactly the renames made.
// Faults that need rights this process lacks are skipped with the reason.
#include "cli_runner.h"
#include "../rename/fault_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace namitra::cli::testing {
namespace {

using rename::testing::contentsBelow;
using rename::testing::Immutable;
using rename::testing::Mount;
using Names = std::vector<std::string>;
using Contents = std::map<std::string, std::string>;

#define SKIP_UNLESS_MADE(fault) \
  if (!(fault).problem().empty()) GTEST_SKIP() << "cannot make the fault here: " << (fault).problem()

class CliFaultTest : public CliTest {
 protected:
  // Renames `names` to the lines of `planned` with --execute, journaling to j.log.
  CliResult execute(const Names& names, const Names& planned) const {
    std::string text;
    for (const std::string& name : planned) text += name + "\n";
    writeBytes(folder() / "plan.txt", text);
    std::vector<std::string> arguments = {"--names-from", "plan.txt", "--journal", "j.log", "--execute", "--"};
    arguments.insert(arguments.end(), names.begin(), names.end());
    return run(arguments);
  }

  // The files the test made, without the data folder, the plan and the journal.
  Contents files() const {
    Contents contents = contentsBelow(folder());
    std::erase_if(contents, [](const auto& entry) {
      return entry.first == "data" || entry.first.starts_with("data/") || entry.first == "plan.txt" ||
             entry.first == "j.log";
    });
    return contents;
  }

  void expectEachContentOnce(const Contents& before) const {
    const Contents after = files();
    for (const auto& [name, content] : before) {
      if (content == "<dir>") continue;
      const auto found = std::count_if(after.begin(), after.end(), [&](const auto& entry) { return entry.second == content; });
      EXPECT_EQ(found, 1) << "the content of " << name << " is at " << found << " paths";
    }
  }

  std::string failure(std::string_view from, std::string_view to, std::string_view reason) const {
    return ">> " + path(from) + " -> " + path(to) + ": " + std::string(reason) + "\n";
  }
  static std::size_t failureCount(const CliResult& result) {
    std::size_t count = 0;
    for (std::size_t at = result.err.find(">> "); at != std::string::npos; at = result.err.find(">> ", at + 1)) ++count;
    return count;
  }
};

TEST_F(CliFaultTest, ReadOnlyFolderRenamesNothingAndJournalsNothing) {
  std::filesystem::create_directory(folder() / "ro");
  makeFile("ro/a");
  makeFile("ro/b");
  const Contents before = files();
  Mount readOnly = Mount::readOnly(folder() / "ro");
  SKIP_UNLESS_MADE(readOnly);
  const CliResult result = execute({"ro/a", "ro/b"}, {"x", "y"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, failure("ro/a", "ro/x", "Read-only file system") + failure("ro/b", "ro/y", "Read-only file system"));
  EXPECT_EQ(contentOf("j.log"), "");
  EXPECT_EQ(files(), before);
}

TEST_F(CliFaultTest, RefusalHalfWayThroughAChainIsJournaledAndUndone) {
  for (const char* name : {"a", "b", "c"}) makeFile(name);
  const Contents before = files();
  {
    Immutable stuck(folder() / "b");
    SKIP_UNLESS_MADE(stuck);
    const CliResult result = execute({"a", "b", "c"}, {"b", "c", "d"});
    EXPECT_EQ(result.status, 1) << result;
    EXPECT_EQ(failureCount(result), 2u) << result;
    EXPECT_NE(result.err.find(failure("b", "c", "Operation not permitted")), std::string::npos) << result;
    EXPECT_EQ(contentOf("j.log"), journalLine("c", "d"));
    EXPECT_EQ(files(), (Contents{{"a", "a"}, {"b", "b"}, {"d", "c"}}));
  }
  const CliResult undone = run({"--undo", "j.log"});
  EXPECT_EQ(undone.status, 0) << undone;
  EXPECT_EQ(contentOf("j.log"), "");
  EXPECT_EQ(files(), before);
}

TEST_F(CliFaultTest, RefusalInsideACycleLeavesEveryNameAsItWas) {
  for (const char* name : {"a", "b", "c"}) makeFile(name);
  const Contents before = files();
  Immutable stuck(folder() / "c");
  SKIP_UNLESS_MADE(stuck);
  const CliResult result = execute({"a", "b", "c"}, {"b", "c", "a"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(failureCount(result), 3u) << result;
  EXPECT_EQ(contentOf("j.log"), "") << "steps that were reversed are no renames";
  EXPECT_EQ(files(), before);
}

TEST_F(CliFaultTest, MoveToAFullFileSystemKeepsTheSource) {
  std::filesystem::create_directory(folder() / "small");
  Mount small = Mount::tmpfs(folder() / "small", 64 * 1024);
  SKIP_UNLESS_MADE(small);
  makeFile("big.bin", std::string(1024 * 1024, 'x'));
  makeFile("little.txt");
  // A table of the user's that lets "/" through, so that a planned name can name another folder.
  writeBytes(dataFolder() / "ValidFileNameChar.rld", "\\=\r\n");
  const Contents before = files();
  const CliResult result = execute({"big.bin", "little.txt"}, {"small/big.bin", "small/little.txt"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, failure("big.bin", "small/big.bin", "No space left on device"));
  EXPECT_EQ(contentOf("j.log"), journalLine("little.txt", "small/little.txt"));
  EXPECT_FALSE(exists("small/big.bin"));
  expectEachContentOnce(before);

  const CliResult undone = run({"--undo", "j.log"});
  EXPECT_EQ(undone.status, 0) << undone;
  EXPECT_EQ(files(), before);
}

TEST_F(CliFaultTest, AJournalOnAFullFileSystemSaysWhatItMisses) {
  std::filesystem::create_directory(folder() / "full");
  Mount full = Mount::tmpfs(folder() / "full", 4096);
  SKIP_UNLESS_MADE(full);
  writeBytes(folder() / "full" / "filler", std::string(4096, 'f'));  // takes the one page there is
  makeFile("a");
  std::vector<std::string> arguments = {"--rule", "a=b", "--journal", "full/j.log", "--execute", "--", "a"};
  const CliResult result = run(arguments);
  if (result.status == 2) GTEST_SKIP() << "the full tmpfs refused even the journal's creation: " << result.err;
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_NE(result.err.find("misses renames that were made"), std::string::npos) << result;
  EXPECT_EQ(contentOf("b"), "a");
}

TEST_F(CliFaultTest, UndoIntoAFolderMadeReadOnlyKeepsTheJournal) {
  std::filesystem::create_directory(folder() / "sub");
  makeFile("sub/a");
  ASSERT_EQ(execute({"sub/a"}, {"b"}).status, 0);
  const std::string journal = contentOf("j.log");
  ASSERT_EQ(journal, journalLine("sub/a", "sub/b"));
  Immutable stuck(folder() / "sub");
  SKIP_UNLESS_MADE(stuck);
  const CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_NE(result.err.find("not undone: " + path("sub/b") + " -> " + path("sub/a")), std::string::npos) << result;
  EXPECT_NE(result.err.find("Operation not permitted"), std::string::npos) << result;
  EXPECT_EQ(contentOf("j.log"), journal);
  EXPECT_EQ(contentOf("sub/b"), "sub/a");
}

}  // namespace
}  // namespace namitra::cli::testing
