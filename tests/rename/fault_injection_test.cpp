// Renames and undo on real folders while real faults happen: a read-only folder, a source that
// vanished, a target that is a folder, a refusal half way through a chain and a cycle, a move to
// another file system that runs out of space, an undo whose old name was taken meanwhile.
//
// Each test checks that every file's content is afterwards at exactly one path, that the
// history explains the disk (replaying its records over the files as they were gives the files
// as they are), and that the log names every rename that failed. Faults that need rights this
// process lacks are skipped with the reason.
#include "rename/rename_run.h"

#include "../platform/temp_folder.h"
#include "fault_folder.h"
#include "rename/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace namitra::rename {
namespace {

using platform::testing::TempFolder;
using platform::testing::writeBytes;
using testing::contentsBelow;
using testing::Immutable;
using testing::Mount;
using Contents = std::map<std::string, std::string>;

#define SKIP_UNLESS_MADE(fault) \
  if (!(fault).problem().empty()) GTEST_SKIP() << "cannot make the fault here: " << (fault).problem()

// The record of a rename that stands: it carries the identity of the file now at its new path.
HistoryRecord standing(HistoryRecord record) {
  record.identity = identityAt(record.pathAfter());
  return record;
}

class FaultRun : public ::testing::Test {
 protected:
  TempFolder dir;
  FileList list;
  ChangeHistory history;
  SystemFileAccess files;
  OverwriteAnswer answer = OverwriteAnswer::Yes;

  std::string folder() const { return dir.path().string() + "/"; }
  std::string full(const std::string& relative) const { return folder() + relative; }
  void file(const std::string& name, const std::string& content) { writeBytes(dir / name, content); }
  void row(const std::string& name, const std::string& planned) { list.append(FileEntry{folder(), name, planned}); }

  RunReport run() {
    RunCallbacks callbacks{[this](const std::string&) { return answer; }, {}, 500};
    return actFileListExecute(list, history, files, nativeNamesAsTheyAre(), callbacks);
  }
  UndoReport undoAll() {
    std::vector<std::size_t> all(history.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    history.checkRows(all);
    return undoCheckedRecords(history, files, nativeNamesAsTheyAre());
  }

  // The files of `start` moved as history records [first, end) say: must be the disk now.
  void expectHistoryExplains(Contents start, std::size_t first = 0) const {
    for (std::size_t i = first; i < history.size(); ++i) {
      const HistoryRecord record = history.record(i);
      const std::string from = record.pathBefore().substr(folder().size());
      const std::string to = record.pathAfter().substr(folder().size());
      ASSERT_EQ(start.count(from), 1u) << "record " << i << " renames " << from << ", which was not there";
      ASSERT_EQ(start.count(to), 0u) << "record " << i << " renames onto " << to;
      start[to] = start[from];
      start.erase(from);
    }
    EXPECT_EQ(contentsBelow(dir.path()), start);
  }

  // Every content of `before` (all distinct) is at exactly one path of the disk now.
  void expectEachContentOnce(const Contents& before) const {
    const Contents after = contentsBelow(dir.path());
    for (const auto& [path, content] : before) {
      if (content == "<dir>") continue;
      const auto found = std::count_if(after.begin(), after.end(), [&](const auto& entry) { return entry.second == content; });
      EXPECT_EQ(found, 1) << "the content of " << path << " is at " << found << " paths";
    }
  }

  // The log line of a rename that failed for `reason`.
  std::string failureLine(const std::string& from, const std::string& to, const std::string& reason) const {
    return ">> " + full(from) + " -> " + full(to) + ": " + reason;
  }
  static std::vector<std::string> failureLines(const RunReport& report) {
    std::vector<std::string> lines;
    for (const std::string& line : report.log)
      if (line.starts_with(">> ") && line.find(" -> ") != std::string::npos) lines.push_back(line);
    return lines;
  }
};

// --- Faults of the run ---

struct ReadOnlyKind {
  const char* name;
  bool mount;  // a read-only bind mount, else the immutable attribute on the folder
  const char* reason;
};

class ReadOnlyFolder : public FaultRun, public ::testing::WithParamInterface<ReadOnlyKind> {};

TEST_P(ReadOnlyFolder, RenamesNothingAndLogsEveryRow) {
  file("a.txt", "A");
  file("b.txt", "B");
  row("a.txt", "x.txt");
  row("b.txt", "y.txt");
  const Contents before = contentsBelow(dir.path());
  std::optional<Mount> mount;
  std::optional<Immutable> immutable;
  if (GetParam().mount) {
    mount.emplace(Mount::readOnly(dir.path()));
    SKIP_UNLESS_MADE(*mount);
  } else {
    immutable.emplace(dir.path());
    SKIP_UNLESS_MADE(*immutable);
  }
  const RunReport report = run();
  EXPECT_EQ(report.outcome, RunOutcome::Finished);
  EXPECT_EQ(report.succeeded, 0u);
  EXPECT_EQ(report.failed, 2u);
  EXPECT_EQ(failureLines(report), (std::vector<std::string>{failureLine("a.txt", "x.txt", GetParam().reason),
                                                            failureLine("b.txt", "y.txt", GetParam().reason)}));
  EXPECT_TRUE(history.empty());
  EXPECT_EQ(contentsBelow(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Faults, ReadOnlyFolder,
                         ::testing::Values(ReadOnlyKind{"read_only_mount", true, "Read-only file system"},
                                           ReadOnlyKind{"immutable_folder", false, "Operation not permitted"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultRun, ASourceThatVanishedFailsAloneAndTheOthersAreRenamed) {
  for (const char* name : {"a", "b", "c"}) file(name, std::string("content of ") + name);
  row("a", "a2");
  row("b", "b2");
  row("c", "c2");
  std::filesystem::remove(dir / "b");
  const Contents before = contentsBelow(dir.path());
  const RunReport report = run();
  EXPECT_EQ(report.succeeded, 2u);
  EXPECT_EQ(report.failed, 1u);
  EXPECT_EQ(failureLines(report), (std::vector<std::string>{failureLine("b", "b2", "No such file or directory")}));
  EXPECT_EQ(history.size(), 2u);
  expectHistoryExplains(before);
  expectEachContentOnce(before);
}

TEST_F(FaultRun, AFolderAtTheTargetIsNeverReplacedEvenWithOverwriteAllowed) {
  file("a", "A");
  std::filesystem::create_directory(dir / "d");
  file("d/inner", "inner");
  file("e", "E");
  row("a", "d");
  row("e", "e2");
  answer = OverwriteAnswer::Yes;
  const Contents before = contentsBelow(dir.path());
  const RunReport report = run();
  EXPECT_EQ(report.succeeded, 1u);
  EXPECT_EQ(report.failed, 1u);
  ASSERT_EQ(failureLines(report).size(), 1u);
  EXPECT_TRUE(failureLines(report)[0].starts_with(failureLine("a", "d", ""))) << failureLines(report)[0];
  expectHistoryExplains(before);
  expectEachContentOnce(before);
  EXPECT_EQ(contentsBelow(dir.path()).at("d/inner"), "inner");
}

TEST_F(FaultRun, ARefusalHalfWayThroughAChainStopsTheRowsBehindIt) {
  // a -> b -> c -> d runs c first; b cannot move, so a must not move onto it.
  for (const char* name : {"a", "b", "c"}) file(name, std::string("content of ") + name);
  row("a", "b");
  row("b", "c");
  row("c", "d");
  const Contents before = contentsBelow(dir.path());
  Immutable stuck(dir / "b");
  SKIP_UNLESS_MADE(stuck);
  const RunReport report = run();
  EXPECT_EQ(report.succeeded, 1u);
  EXPECT_EQ(report.failed, 2u);
  const std::vector<std::string> failures = failureLines(report);
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_NE(std::find(failures.begin(), failures.end(), failureLine("b", "c", "Operation not permitted")), failures.end())
      << ::testing::PrintToString(failures);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history.record(0).pathBefore(), full("c"));
  expectHistoryExplains(before);
  expectEachContentOnce(before);
}

// A cycle a -> b -> c -> a, with one of its files unable to move: every step made is reversed.
class CycleRefusal : public FaultRun, public ::testing::WithParamInterface<const char*> {};

TEST_P(CycleRefusal, PutsEveryFileBackAndLeavesNoTemporaryName) {
  for (const char* name : {"a", "b", "c", "x"}) file(name, std::string("content of ") + name);
  row("a", "b");
  row("b", "c");
  row("c", "a");
  row("x", "y");  // outside the cycle: renamed all the same
  const Contents before = contentsBelow(dir.path());
  Immutable stuck(dir / GetParam());
  SKIP_UNLESS_MADE(stuck);
  const RunReport report = run();
  EXPECT_EQ(report.succeeded, 1u);
  EXPECT_EQ(report.failed, 3u);
  EXPECT_EQ(failureLines(report).size(), 3u) << ::testing::PrintToString(report.log);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history.record(0).pathBefore(), full("x"));
  expectHistoryExplains(before);
  expectEachContentOnce(before);
}

INSTANTIATE_TEST_SUITE_P(Faults, CycleRefusal, ::testing::Values("a", "b", "c"));

TEST_F(FaultRun, AMoveToAFullFileSystemLeavesTheSourceWholeAndNoPartialCopy) {
  std::filesystem::create_directory(dir / "small");
  Mount small = Mount::tmpfs(dir / "small", 64 * 1024);
  SKIP_UNLESS_MADE(small);
  std::string big(1024 * 1024, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7919 % 251);
  file("big.bin", big);
  file("little.txt", "fits");
  row("big.bin", "small/big.bin");
  row("little.txt", "small/little.txt");
  const Contents before = contentsBelow(dir.path());
  const RunReport report = run();
  EXPECT_EQ(report.succeeded, 1u);
  EXPECT_EQ(report.failed, 1u);
  EXPECT_EQ(failureLines(report),
            (std::vector<std::string>{failureLine("big.bin", "small/big.bin", "No space left on device")}));
  EXPECT_FALSE(std::filesystem::exists(dir / "small/big.bin"));
  expectHistoryExplains(before);
  expectEachContentOnce(before);
}

TEST_F(FaultRun, APlannedNameWithANulByteIsRefusedNotCutShort) {
  file("a", "A");
  row("a", std::string("b\0c", 3));
  const RunReport report = run();
  EXPECT_EQ(report.failed, 1u);
  EXPECT_TRUE(history.empty());
  EXPECT_EQ(contentsBelow(dir.path()), (Contents{{"a", "A"}}));
}

// --- Faults of the undo ---

TEST_F(FaultRun, AnUndoWhoseOldNameWasTakenKeepsBothFilesAndTheRecord) {
  file("a", "first a");
  file("c", "C");
  row("a", "b");
  row("c", "d");
  ASSERT_EQ(run().failed, 0u);
  ASSERT_EQ(history.size(), 2u);
  file("a", "a newer a");  // the old name is taken meanwhile
  const Contents before = contentsBelow(dir.path());
  const std::size_t recordsBefore = history.size();

  const UndoReport report = undoAll();
  EXPECT_EQ(report.undone, 1u);
  EXPECT_EQ(report.failed, 1u);
  EXPECT_EQ(report.firstReason, "File exists");
  EXPECT_EQ(report.statusText(), "1" + std::string(text::kUndoFailedTail) + "File exists");
  // The record that failed stays, unchecked; the undone one is gone, its reverse appended.
  ASSERT_EQ(history.size(), recordsBefore);
  EXPECT_EQ(history.record(0), standing(HistoryRecord{folder(), "a", "b", folder(), false, {}}));
  EXPECT_EQ(history.record(1), standing(HistoryRecord{folder(), "d", "c", folder(), false, {}}));
  expectHistoryExplains(before, 1);
  expectEachContentOnce(before);
}

TEST_F(FaultRun, AnUndoIntoAFolderMadeReadOnlyKeepsEveryRecord) {
  file("a", "A");
  row("a", "b");
  ASSERT_EQ(run().failed, 0u);
  Immutable stuck(dir.path());
  SKIP_UNLESS_MADE(stuck);
  const UndoReport report = undoAll();
  EXPECT_EQ(report.undone, 0u);
  EXPECT_EQ(report.failed, 1u);
  EXPECT_EQ(report.firstReason, "Operation not permitted");
  ASSERT_EQ(history.size(), 1u);
  EXPECT_FALSE(history.isChecked(0));
  EXPECT_EQ(contentsBelow(dir.path()), (Contents{{"b", "A"}}));
}

}  // namespace
}  // namespace namitra::rename
