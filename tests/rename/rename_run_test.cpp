#include "rename/rename_run.h"

#include "../platform/temp_folder.h"
#include "rename/messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <algorithm>
#include <map>
#include <set>

namespace namitra::rename {
namespace {

using platform::testing::readBytes;
using platform::testing::TempFolder;
using platform::testing::writeBytes;
using Strings = std::vector<std::string>;

std::string folderOf(const TempFolder& dir) { return dir.path().string() + "/"; }

// Every entry of the folder with its content (folders show as "<dir>").
std::map<std::string, std::string> contentsOf(const std::filesystem::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    contents[name] = entry.is_directory() ? "<dir>" : readBytes(entry.path());
  }
  return contents;
}

// Real files; renames whose native target (or source) passes `refuse` fail with EACCES.
class RefusingFileAccess : public SystemFileAccess {
 public:
  std::function<bool(const std::string& from, const std::string& to)> refuse;
  std::vector<std::pair<std::string, std::string>> calls;

  RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                      const MoveScratch* scratch = nullptr) override {
    calls.emplace_back(from, to);
    if (refuse && refuse(from, to)) return {EACCES};
    return SystemFileAccess::rename(from, to, replaceAllowed, scratch);
  }
};

// The record of a rename that stands: it carries the identity of the file now at its new path.
HistoryRecord standing(HistoryRecord record) {
  record.identity = identityAt(record.pathAfter());
  return record;
}

struct RunFixture : ::testing::Test {
  TempFolder dir;
  FileList list;
  ChangeHistory history;
  RefusingFileAccess files;
  int questions = 0;
  OverwriteAnswer answer = OverwriteAnswer::No;
  RunCallbacks callbacks{[this](const std::string&) {
                           ++questions;
                           return answer;
                         },
                         {}, 500};

  void file(const std::string& name, const std::string& content) { writeBytes(dir / name, content); }
  void row(const std::string& name, const std::string& planned) {
    list.append(FileEntry{folderOf(dir), name, planned});
  }
  RunReport run() { return actFileListExecute(list, history, files, nativeNamesAsTheyAre(), callbacks); }
};

TEST(FirstRepeatedTarget, GivesTheFirstRowWithADuplicateAndItsFirstDuplicate) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> rows;  // folder, planned name
    std::optional<std::pair<std::size_t, std::size_t>> expected;
  };
  const Case cases[] = {
      {{{"/d/", "a"}, {"/d/", "b"}, {"/d/", "c"}}, std::nullopt},
      {{{"/d/", "X.txt"}, {"/d/", "x.txt"}}, std::nullopt},
      {{{"/d/", "x"}, {"/e/", "x"}}, std::nullopt},
      {{{"/d/", "a"}, {"/d/", "b"}, {"/d/", "a"}, {"/d/", "b"}}, std::make_pair(0, 2)},
      {{{"/d/", "a"}, {"/d/", "b"}, {"/d/", "b"}, {"/d/", "a"}}, std::make_pair(0, 3)},
      {{{"/d/", "a"}, {"/d/", "b"}, {"/d/", "c"}, {"/d/", "b"}, {"/d/", "b"}}, std::make_pair(1, 3)},
      // The full paths count, however folder and planned name share them.
      {{{"/d/", "y"}, {"/d/", "sub/x"}, {"/d/sub/", "x"}}, std::make_pair(1, 2)},
      {{{"/d/sub/", "x"}, {"/d/", "x"}, {"/d/", "sub/y"}}, std::nullopt},
      {{{"", "x"}, {"/", "x"}, {"", "x"}}, std::make_pair(0, 2)},
  };
  SystemFileAccess files;
  for (const Case& c : cases) {
    RenameBatch batch(files, nativeNamesAsTheyAre());
    for (const auto& [folder, planned] : c.rows) batch.addPlanned(folder, "source", planned);
    EXPECT_EQ(batch.firstRepeatedTarget(), c.expected) << ::testing::PrintToString(c.rows);
  }
}

TEST_F(RunFixture, RenamesEveryRowRecordsItAndLogs) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) file(name, name);
  row("a.jpg", "photo001.jpg");
  row("b.jpg", "photo002.jpg");
  row("c.jpg", "photo003.jpg");
  RunReport report = run();
  EXPECT_EQ(report.outcome, RunOutcome::Finished);
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(contentsOf(dir.path()), (std::map<std::string, std::string>{
                                        {"photo001.jpg", "a.jpg"}, {"photo002.jpg", "b.jpg"}, {"photo003.jpg", "c.jpg"}}));
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history.record(0), standing(HistoryRecord{folderOf(dir), "a.jpg", "photo001.jpg", folderOf(dir), false, {}}));
  ASSERT_EQ(report.log.size(), 2u);
  EXPECT_EQ(report.log[0], "\x81\xa1" + std::string(text::kSucceeded) + "3" + text::kCount + text::kFailedJoin + "0" + text::kCount);
  EXPECT_EQ(report.log[1], text::kRenameFinished);
  EXPECT_EQ(list.row(0).name, "a.jpg") << "the rows keep their old names";
}

TEST_F(RunFixture, StopsBeforeRenamingOnEmptyListOrBlankName) {
  EXPECT_EQ(run().log, (Strings{text::kNothingRegistered}));
  file("a", "A");
  file("b", "B");
  row("a", "x");
  row("b", "");
  RunReport report = run();
  EXPECT_EQ(report.outcome, RunOutcome::BlankPlannedName);
  EXPECT_EQ(report.log, (Strings{text::kBlankPlannedName}));
  EXPECT_EQ(contentsOf(dir.path()).size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(dir / "a"));
}

TEST_F(RunFixture, DuplicateNamesTheFirstPathAndSelectsTheSecondLine) {
  for (const char* name : {"a", "b", "c", "d"}) file(name, name);
  row("a", "X.txt");
  row("b", "x.txt");  // differs only in case: no duplicate
  row("c", "y");
  row("d", "x.txt");
  RunReport report = run();
  EXPECT_EQ(report.outcome, RunOutcome::DuplicatePlannedPath);
  EXPECT_EQ(report.errorText, "\"" + folderOf(dir) + "x.txt\"" + text::kDuplicateNameTail);
  EXPECT_EQ(report.selectLine, 3);
  EXPECT_TRUE(report.log.empty());
  EXPECT_EQ(contentsOf(dir.path()).count("a"), 1u);
  EXPECT_TRUE(history.empty());

  editor::TextEditor edit;
  edit.setText("X.txt\r\nx.txt\r\ny\r\nx.txt");
  selectPlannedName(edit, report.selectLine, report.selectLength);
  EXPECT_EQ(edit.selectionStart(), (editor::TextPosition{3, 0}));
  EXPECT_EQ(edit.selectedText(), "x.txt");
}

TEST_F(RunFixture, ChainsAndCyclesResolveWithoutLosingAFile) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> rows;  // every source holds its own name
    std::map<std::string, std::string> expected;
  };
  const Case cases[] = {
      {"chain a->b->c", {{"a", "b"}, {"b", "c"}}, {{"b", "a"}, {"c", "b"}}},
      {"chain listed tail first", {{"b", "c"}, {"a", "b"}}, {{"b", "a"}, {"c", "b"}}},
      {"swap", {{"a", "b"}, {"b", "a"}}, {{"a", "b"}, {"b", "a"}}},
      {"cycle of three", {{"a", "b"}, {"b", "c"}, {"c", "a"}}, {{"a", "c"}, {"b", "a"}, {"c", "b"}}},
      {"a swap beside a chain", {{"a", "b"}, {"b", "a"}, {"c", "d"}, {"d", "e"}},
       {{"a", "b"}, {"b", "a"}, {"d", "c"}, {"e", "d"}}},
  };
  for (const Case& c : cases) {
    TempFolder caseDir;
    FileList rows;
    ChangeHistory caseHistory;
    for (const auto& [from, to] : c.rows) {
      writeBytes(caseDir / from, from);
      rows.append(FileEntry{folderOf(caseDir), from, to});
    }
    RunReport report = actFileListExecute(rows, caseHistory, files, nativeNamesAsTheyAre(), callbacks);
    EXPECT_EQ(report.failed, 0u) << c.name << ": " << ::testing::PrintToString(report.log);
    EXPECT_EQ(contentsOf(caseDir.path()), c.expected) << c.name;
    std::set<std::pair<std::string, std::string>> recorded;
    for (const HistoryRecord& record : caseHistory.records()) recorded.emplace(record.nameBefore, record.nameAfter);
    std::set<std::pair<std::string, std::string>> planned(c.rows.begin(), c.rows.end());
    EXPECT_EQ(recorded, planned) << c.name << ": the user's renames, never the temporary steps";
  }
  EXPECT_EQ(questions, 0);
}

TEST_F(RunFixture, AFailingStepOfACycleLeavesEveryFileWhereItWas) {
  // Refuse, in turn, each rename a run of the cycle a->b->c->a makes: the move to the temporary
  // name, each of the two direct moves, and the move from the temporary name.
  const std::vector<std::function<bool(const std::string&, const std::string&)>> refusals = {
      [](const std::string&, const std::string& to) { return to.find(".namitra-") != std::string::npos; },
      [this](const std::string& from, const std::string&) { return from == folderOf(dir) + "c"; },
      [this](const std::string& from, const std::string&) { return from == folderOf(dir) + "b"; },
      [this](const std::string& from, const std::string& to) {
        return from.find(".namitra-") != std::string::npos && to == folderOf(dir) + "b";
      },
  };
  row("a", "b");
  row("b", "c");
  row("c", "a");
  for (std::size_t k = 0; k < refusals.size(); ++k) {
    for (const char* name : {"a", "b", "c"}) file(name, name);
    files.refuse = refusals[k];
    RunReport report = run();
    EXPECT_EQ(contentsOf(dir.path()), (std::map<std::string, std::string>{{"a", "a"}, {"b", "b"}, {"c", "c"}}))
        << "refusal " << k;
    EXPECT_EQ(report.failed, 3u) << "refusal " << k;
    EXPECT_EQ(report.log.size(), 5u) << "three failure lines, the summary, the closing line";
    EXPECT_EQ(report.log[0].rfind(">> " + folderOf(dir), 0), 0u);
    EXPECT_EQ(report.log[3].rfind(">> ", 0), 0u);
    EXPECT_EQ(report.log[4], text::kRenameFinished);
    EXPECT_TRUE(history.empty());
  }
}

TEST_F(RunFixture, ATemporaryNameThatCannotBeMovedBackIsReportedAndKeepsTheFile) {
  file("a", "A");
  file("b", "B");
  row("a", "b");
  row("b", "a");
  files.refuse = [](const std::string& from, const std::string&) {
    return from.find(".namitra-") != std::string::npos;
  };
  RunReport report = run();
  std::map<std::string, std::string> contents = contentsOf(dir.path());
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_EQ(contents.count("a"), 0u);
  EXPECT_EQ(contents["b"], "B") << "the step made is put back";
  const auto temporary = std::find_if(contents.begin(), contents.end(),
                                      [](const auto& entry) { return entry.first.rfind(".namitra-", 0) == 0; });
  ASSERT_NE(temporary, contents.end());
  EXPECT_EQ(temporary->second, "A");
  const std::string& line = report.log[0];
  EXPECT_NE(line.find(folderOf(dir) + temporary->first), std::string::npos) << line;
  EXPECT_EQ(report.failed, 2u);
  EXPECT_TRUE(history.empty());
}

TEST_F(RunFixture, ExistingFileStoredAsPlannedIsNotReplacedAndBlocksItsChain) {
  file("a", "A");
  file("b", "B");
  file("taken", "T");
  row("a", "taken");  // stored exactly as planned: no question, and no permission to replace
  row("b", "a");      // a is row 0's source, which cannot move
  RunReport report = run();
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(report.failed, 2u);
  EXPECT_EQ(contentsOf(dir.path()), (std::map<std::string, std::string>{{"a", "A"}, {"b", "B"}, {"taken", "T"}}));
}

TEST_F(RunFixture, UnchangedRowsAndRepeatedRunsFailSilentlyOnDiskButAreReported) {
  file("a", "A");
  file("b", "B");
  row("a", "a");
  row("b", "c");
  RunReport first = run();
  EXPECT_EQ(first.failed, 0u);
  EXPECT_EQ(first.succeeded, 1u);
  EXPECT_EQ(history.size(), 1u) << "an unchanged row gets no record";

  RunReport again = run();  // b no longer carries its old name
  EXPECT_EQ(again.failed, 1u);
  ASSERT_EQ(again.log.size(), 3u);
  EXPECT_NE(again.log[0].find(folderOf(dir) + "b"), std::string::npos);
  EXPECT_NE(again.log[0].find(RenameStatus{ENOENT}.reason()), std::string::npos);
  EXPECT_EQ(again.log[1].rfind(">> ", 0), 0u);
  EXPECT_EQ(again.log[2], text::kRenameFinished);
}

TEST_F(RunFixture, NamesPastTheLimitsOrNotConvertibleFailLikeARefusal) {
  file("a", "A");
  file("b", "B");
  row("a", std::string(256, 'n'));
  row("b", "\xF0\x40");
  NativeName native = [](std::string_view internal) -> std::optional<std::string> {
    if (internal.find("\xF0\x40") != std::string_view::npos) return std::nullopt;
    return std::string(internal);
  };
  RunReport report = actFileListExecute(list, history, files, native, callbacks);
  EXPECT_EQ(report.failed, 2u);
  EXPECT_NE(report.log[0].find(RenameStatus{ENAMETOOLONG}.reason()), std::string::npos);
  EXPECT_NE(report.log[1].find(text::kReasonNotConvertible), std::string::npos);
  EXPECT_EQ(contentsOf(dir.path()), (std::map<std::string, std::string>{{"a", "A"}, {"b", "B"}}));
}

TEST_F(RunFixture, MoveIntoASubfolderAndItsUndo) {
  std::filesystem::create_directory(dir / "sub");
  file("a", "A");
  file("other", "O");
  row("a", "sub/x");
  run();
  EXPECT_EQ(readBytes(dir / "sub" / "x"), "A");
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history.record(0).newFolder, folderOf(dir) + "sub/");
  EXPECT_EQ(history.record(0).pathAfter(), folderOf(dir) + "sub/x");

  history.setChecked(0, true);
  UndoReport undo = undoCheckedRecords(history, files, nativeNamesAsTheyAre());
  EXPECT_EQ(undo.undone, 1u);
  EXPECT_EQ(readBytes(dir / "a"), "A");
  EXPECT_EQ(readBytes(dir / "other"), "O");
  EXPECT_FALSE(std::filesystem::exists(dir / "sub" / "x"));
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history.record(0), standing(HistoryRecord{folderOf(dir) + "sub/", "x", "a", folderOf(dir), false, {}}));
}

TEST_F(RunFixture, UndoReversesNewestFirstAndAppendsReverseRecords) {
  file("a", "A");
  file("b", "B");
  file("keep", "K");
  row("a", "b2");
  row("b", "a2");
  run();
  list.clear();
  row("b2", "c2");  // a second run renames a's file again: a -> b2 -> c2
  row("keep", "kept");
  run();
  ASSERT_EQ(history.size(), 4u);
  history.checkRows({0, 2, 9});  // a->b2 and b2->c2; 9 is past the end
  EXPECT_FALSE(history.record(1).checked);

  UndoReport undo = undoCheckedRecords(history, files, nativeNamesAsTheyAre());
  EXPECT_EQ(undo.undone, 2u);
  EXPECT_EQ(undo.statusText(), "");
  EXPECT_EQ(contentsOf(dir.path()), (std::map<std::string, std::string>{{"a", "A"}, {"a2", "B"}, {"kept", "K"}}));
  Strings names;
  for (const HistoryRecord& record : history.records())
    names.push_back(record.nameBefore + ">" + record.nameAfter + (record.checked ? "*" : ""));
  EXPECT_EQ(names, (Strings{"b>a2", "keep>kept", "c2>b2", "b2>a"}));
}

TEST_F(RunFixture, UndoOfASwapAndAFailedUndoKeepsItsRecord) {
  file("a", "A");
  file("b", "B");
  file("c", "C");
  row("a", "b");
  row("b", "a");
  row("c", "d");
  run();
  file("c", "new c");  // another file took c's old name meanwhile
  for (std::size_t i = 0; i < history.size(); ++i) history.setChecked(i, true);

  UndoReport undo = undoCheckedRecords(history, files, nativeNamesAsTheyAre());
  EXPECT_EQ(undo.undone, 2u);
  EXPECT_EQ(undo.failed, 1u);
  EXPECT_EQ(undo.statusText(), "1" + std::string(text::kUndoFailedTail) + RenameStatus{EEXIST}.reason());
  EXPECT_EQ(contentsOf(dir.path()),
            (std::map<std::string, std::string>{{"a", "A"}, {"b", "B"}, {"c", "new c"}, {"d", "C"}}));
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history.record(0).nameBefore, "c");
  EXPECT_FALSE(history.record(0).checked) << "the record that could not be undone stays, unchecked";
}

TEST_F(RunFixture, ProgressIsReportedEveryIntervalAndAtTheEnd) {
  for (int k = 0; k < 7; ++k) {
    file("f" + std::to_string(k), "x");
    row("f" + std::to_string(k), "g" + std::to_string(k));
  }
  std::vector<std::size_t> seen;
  callbacks.progress = [&seen](std::size_t done, std::size_t total) {
    EXPECT_EQ(total, 7u);
    seen.push_back(done);
  };
  callbacks.progressInterval = 3;
  run();
  EXPECT_EQ(seen, (std::vector<std::size_t>{3, 6, 7}));
}

}  // namespace
}  // namespace namitra::rename
