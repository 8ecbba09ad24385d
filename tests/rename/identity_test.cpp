// A file is one file however its path is written. Runs with replacing allowed over rows whose
// paths name the same files in different spellings ("./", "//", a link to the folder, "../" in
// a planned name), a hard link, the same file named twice, a folder renamed with the files in
// it, and undo across runs: afterwards every content is where the renames put it, and no row's
// file was replaced.
#include "rename/rename_run.h"

#include "../platform/temp_folder.h"
#include "fault_folder.h"
#include "rename/messages.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace namitra::rename {
namespace {

using platform::testing::TempFolder;
using platform::testing::writeBytes;
using testing::contentsBelow;
using Contents = std::map<std::string, std::string>;

struct Row {
  std::string folder;  // relative to the test's folder, "" for the folder itself
  std::string name;
  std::string planned;
};

struct AliasCase {
  const char* title;
  Contents before;
  std::vector<Row> rows;
  Contents after;
  std::size_t failed;
};

class IdentityRun : public ::testing::Test {
 protected:
  TempFolder dir;
  ChangeHistory history;
  SystemFileAccess files;

  std::string root() const { return dir.path().string() + "/"; }

  void lay(const Contents& contents) {
    for (const auto& [path, content] : contents) {
      if (content == "<dir>")
        std::filesystem::create_directories(dir / path);
      else
        writeBytes(dir / path, content);
    }
  }

  RunReport run(const std::vector<Row>& rows, OverwriteAnswer answer = OverwriteAnswer::Yes) {
    FileList list;
    for (const Row& row : rows) list.append(FileEntry{root() + row.folder, row.name, row.planned});
    RunCallbacks callbacks{[answer](const std::string&) { return answer; }, {}, 500};
    return actFileListExecute(list, history, files, nativeNamesAsTheyAre(), callbacks);
  }

  UndoReport undoAll() {
    std::vector<std::size_t> all(history.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    history.checkRows(all);
    return undoCheckedRecords(history, files, nativeNamesAsTheyAre());
  }

  // The test's folder without the link the alias cases make.
  Contents disk() const {
    Contents contents = contentsBelow(dir.path());
    contents.erase("link");
    return contents;
  }
};

TEST_F(IdentityRun, PathsWrittenTwoWaysNeverReplaceARowsFile) {
  const std::vector<AliasCase> cases = {
      {"b->a and ./a->c", {{"a", "A"}, {"b", "B"}}, {{"", "b", "a"}, {"./", "a", "c"}}, {{"a", "B"}, {"c", "A"}}, 0},
      {"a swap written as dir//a and b", {{"d", "<dir>"}, {"d/a", "A"}, {"d/b", "B"}},
       {{"d//", "a", "b"}, {"d/", "b", "a"}}, {{"d", "<dir>"}, {"d/a", "B"}, {"d/b", "A"}}, 0},
      {"a swap through a linked folder", {{"d", "<dir>"}, {"d/a", "A"}, {"d/b", "B"}},
       {{"link/", "a", "b"}, {"d/", "b", "a"}}, {{"d", "<dir>"}, {"d/a", "B"}, {"d/b", "A"}}, 0},
      {"../ in a planned name", {{"s", "<dir>"}, {"s/x", "X"}, {"a", "A"}},
       {{"s/", "x", "../a"}, {"", "a", "z"}}, {{"s", "<dir>"}, {"a", "X"}, {"z", "A"}}, 0},
      {"a chain with the middle file spelled ./", {{"a", "A"}, {"b", "B"}},
       {{"", "a", "b"}, {"./", "b", "c"}}, {{"b", "A"}, {"c", "B"}}, 0},
  };
  for (const AliasCase& c : cases) {
    SCOPED_TRACE(c.title);
    std::filesystem::remove_all(dir.path());
    std::filesystem::create_directories(dir.path());
    lay(c.before);
    std::filesystem::create_directory_symlink(dir / "d", dir / "link");
    history = ChangeHistory();
    const RunReport report = run(c.rows);
    EXPECT_EQ(disk(), c.after);
    EXPECT_EQ(report.failed, c.failed);
    EXPECT_EQ(history.size(), c.rows.size() - c.failed);
    // Undo of the run brings every name back.
    EXPECT_EQ(undoAll().failed, 0u);
    EXPECT_EQ(disk(), c.before);
  }
}

TEST_F(IdentityRun, TheSameFileNamedTwiceIsMovedOnceAndTheLaterRowRefused) {
  lay({{"a", "A"}});
  const RunReport report = run({{"", "a", "x"}, {"./", "a", "y"}});
  EXPECT_EQ(disk(), (Contents{{"x", "A"}}));
  ASSERT_EQ(report.log.size(), 3u);
  EXPECT_EQ(report.log[0], ">> " + root() + "./a -> " + root() + "./y: " + text::kReasonSameFileTwice);
  EXPECT_EQ(history.size(), 1u);
}

TEST_F(IdentityRun, AHardLinkOfTheFileItselfIsNotReportedAsRenamed) {
  lay({{"a", "A"}});
  ASSERT_EQ(::link((dir / "a").c_str(), (dir / "b").c_str()), 0);
  const RunReport report = run({{"", "a", "b"}});
  EXPECT_EQ(disk(), (Contents{{"a", "A"}, {"b", "A"}}));
  EXPECT_EQ(report.failed, 1u);
  EXPECT_EQ(report.log[0], ">> " + root() + "a -> " + root() + "b: " + text::kReasonTargetIsSameFile);
  EXPECT_EQ(history.size(), 0u);
}

TEST_F(IdentityRun, AFolderAndItsFilesRenameInAnyRowOrder) {
  for (bool folderFirst : {true, false}) {
    SCOPED_TRACE(folderFirst ? "folder row first" : "folder row last");
    std::filesystem::remove_all(dir.path());
    std::filesystem::create_directories(dir.path());
    lay({{"sub", "<dir>"}, {"sub/f", "F"}, {"sub/deep", "<dir>"}, {"sub/deep/g", "G"}});
    history = ChangeHistory();
    std::vector<Row> rows = {{"", "sub", "top"}, {"sub/", "f", "f2"}, {"sub/deep/", "g", "g2"}, {"sub/", "deep", "deep2"}};
    if (!folderFirst) std::rotate(rows.begin(), rows.begin() + 1, rows.end());
    const RunReport report = run(rows, OverwriteAnswer::No);
    EXPECT_EQ(report.failed, 0u);
    EXPECT_EQ(disk(), (Contents{{"top", "<dir>"}, {"top/f2", "F"}, {"top/deep2", "<dir>"}, {"top/deep2/g2", "G"}}));
    EXPECT_EQ(undoAll().failed, 0u);
    EXPECT_EQ(disk(), (Contents{{"sub", "<dir>"}, {"sub/f", "F"}, {"sub/deep", "<dir>"}, {"sub/deep/g", "G"}}));
  }
}

TEST_F(IdentityRun, UndoAcrossRunsReversesAsIfOneRecordAtATime) {
  lay({{"a", "A"}, {"b", "B"}, {"c", "C"}});
  run({{"", "a", "b"}, {"", "b", "a"}});                         // run 1: a swap
  run({{"", "a", "n1"}, {"", "b", "n2"}, {"", "c", "n3"}});      // run 2
  ASSERT_EQ(disk(), (Contents{{"n1", "B"}, {"n2", "A"}, {"n3", "C"}}));
  const UndoReport report = undoAll();
  EXPECT_EQ(report.failed, 0u) << report.firstReason;
  EXPECT_EQ(disk(), (Contents{{"a", "A"}, {"b", "B"}, {"c", "C"}}));
  // The reverse records can be undone again: forward to where the runs left the files.
  EXPECT_EQ(undoAll().failed, 0u);
  EXPECT_EQ(disk(), (Contents{{"n1", "B"}, {"n2", "A"}, {"n3", "C"}}));
}

TEST_F(IdentityRun, UndoOfAChainOverThreeRunsAndABackAndForth) {
  lay({{"a", "A"}, {"x", "X"}});
  run({{"", "a", "b"}});
  run({{"", "b", "c"}, {"", "x", "y"}});
  run({{"", "c", "a"}, {"", "y", "x"}});
  ASSERT_EQ(disk(), (Contents{{"a", "A"}, {"x", "X"}}));
  EXPECT_EQ(undoAll().failed, 0u);
  EXPECT_EQ(disk(), (Contents{{"a", "A"}, {"x", "X"}}));
  EXPECT_EQ(history.size(), 5u) << "every record reversed once";
}

TEST_F(IdentityRun, UndoLeavesAFileThatReplacedTheRecordedOne) {
  lay({{"a", "A"}});
  run({{"", "a", "b"}});
  // The other file is made before b goes, so that it cannot get b's inode number back.
  writeBytes(dir / "new", "another file");
  std::filesystem::rename(dir / "new", dir / "b");
  const UndoReport report = undoAll();
  EXPECT_EQ(report.undone, 0u);
  EXPECT_EQ(report.firstReason, text::kReasonNotTheRecordedFile);
  EXPECT_EQ(disk(), (Contents{{"b", "another file"}}));
}

}  // namespace
}  // namespace namitra::rename
