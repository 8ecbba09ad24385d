// Run records from the terminal: --execute and --undo refusing while a run is unfinished, a
// run whose record cannot be written, and --recover finishing or rolling back runs cut off at
// every rename, with the journal brought in line with the disk.
//
// Runs cut off at a chosen moment are made in two ways: by writing the record with the record
// writer and arranging the files as the run would have left them, and by killing a real run
// at its n-th rename under strace (skipped with a message when strace is not installed).
#include "cli_runner.h"
#include "../rename/fault_folder.h"
#include "rename/file_identity.h"
#include "rename/run_record.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace namitra::cli::testing {
namespace {

using Names = std::vector<std::string>;
using rename::testing::Immutable;

class RecoverTest : public CliTest {
 protected:
  RecoverTest() {
    m_record.id = rename::newRunId();
    m_record.origin = "cli";
  }

  // The step `index` of the record being built: `from` and `to` in the test's folder, the
  // identity of what is at `from` now.
  rename::RunStep step(std::string_view from, std::string_view to, std::size_t index,
                       std::int64_t journalLine = -1) const {
    rename::RunStep step;
    step.from = path(from);
    step.to = path(to);
    step.temporary = temporary(index);
    step.identity = rename::identityAt(step.from);
    step.journalLine = journalLine;
    return step;
  }
  std::string temporary(std::size_t index) const {
    return rename::temporaryPathFor(m_record.id, index, folder().string() + "/");
  }

  // Writes the record as a run cut off leaves it: the file stays, nobody holds it.
  void leaveUnfinished() const {
    std::string error;
    std::unique_ptr<rename::RunRecordWriter> writer = rename::RunRecordWriter::create(dataFolder(), m_record.id, error);
    ASSERT_TRUE(writer) << error;
    ASSERT_TRUE(writer->write(m_record)) << writer->lastError();
  }

  void moveTo(std::string_view from, const std::string& fullPath) const {
    std::filesystem::rename(folder() / from, fullPath);
  }
  void move(std::string_view from, std::string_view to) const { moveTo(from, path(to)); }

  Names recordFiles() const {
    Names found;
    for (const auto& entry : std::filesystem::directory_iterator(dataFolder())) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with(".record")) found.push_back(name);
    }
    return found;
  }

  std::string dataFolderText() const { return dataFolder().string(); }
  std::string unfinishedMessage() const {
    return "namitra-cli: an unfinished run is in the data folder " + dataFolderText() +
           "; run 'namitra-cli --recover finish' or 'namitra-cli --recover rollback' first\n";
  }

  rename::RunRecord m_record;
};

TEST_F(RecoverTest, ExecuteAndUndoRefuseWhileARunIsUnfinished) {
  makeFile("a");
  makeFile("b");
  ASSERT_EQ(run({"--rule", "b=c", "--journal", "j.log", "--execute", "--", "b"}).status, 0);
  const std::string journal = contentOf("j.log");
  m_record.steps = {step("a", "x", 0)};
  leaveUnfinished();

  for (const bool overwrite : {false, true}) {
    std::vector<std::string> arguments{"--rule", "a=y", "--journal", "k.log", "--execute", "--", "a"};
    if (overwrite) arguments.insert(arguments.begin(), "--overwrite");
    const CliResult result = run(arguments);
    EXPECT_EQ(result.status, 2) << result;
    EXPECT_EQ(result.err, unfinishedMessage());
  }
  CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_EQ(result.err, unfinishedMessage());
  EXPECT_EQ(names(), (Names{"a", "c", "j.log"}));
  EXPECT_EQ(contentOf("j.log"), journal);

  result = run({"--rule", "a=y", "--", "a"});  // showing the plan touches nothing and stays allowed
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.out, path("a") + " -> y\n");
}

TEST_F(RecoverTest, ARunStillGoingOnIsNotUnfinished) {
  makeFile("a");
  std::string error;
  std::unique_ptr<rename::RunRecordWriter> running = rename::RunRecordWriter::create(dataFolder(), m_record.id, error);
  ASSERT_TRUE(running) << error;
  m_record.steps = {step("a", "x", 0)};
  ASSERT_TRUE(running->write(m_record));

  CliResult result = run({"--recover", "rollback"});
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_EQ(result.err, "namitra-cli: no unfinished run in the data folder " + dataFolderText() + "\n");
  EXPECT_TRUE(std::filesystem::exists(running->path()));
  result = run({"--rule", "a=b", "--execute", "--", "a"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(names(), (Names{"b"}));
}

TEST_F(RecoverTest, ARecordCutOffWhileBeingWrittenIsRemovedAndNothingMoves) {
  makeFile("a");
  m_record.steps = {step("a", "x", 0)};
  const std::string text = rename::runRecordText(m_record);
  writeBytes(dataFolder() / ("run-" + m_record.id + ".record"), text.substr(0, text.size() / 2));
  const CliResult result = run({"--recover", "finish"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(recordFiles(), Names{});
  EXPECT_EQ(names(), (Names{"a"}));
}

TEST_F(RecoverTest, ARunWhoseRecordCannotBeWrittenRenamesNothing) {
  makeFile("a");
  ASSERT_EQ(run({"--rule", "a=b", "--journal", "j.log", "--execute", "--", "a"}).status, 0);
  const std::string journal = contentOf("j.log");
  makeFile("c");
  Immutable lockedDataFolder(dataFolder());
  if (!lockedDataFolder.problem().empty()) GTEST_SKIP() << "cannot make the fault here: " << lockedDataFolder.problem();
  const std::string line = ">> 実行記録を書き込めませんでした: Operation not permitted\n";
  for (const bool overwrite : {false, true}) {
    std::vector<std::string> arguments{"--rule", "c=d", "--execute", "--", "c"};
    if (overwrite) arguments.insert(arguments.begin(), "--overwrite");
    const CliResult result = run(arguments);
    EXPECT_EQ(result.status, 2) << result;
    EXPECT_EQ(result.err, line);
  }
  const CliResult result = run({"--undo", "j.log"});
  EXPECT_EQ(result.status, 2) << result;
  EXPECT_EQ(result.err, line);
  EXPECT_EQ(names(), (Names{"b", "c", "j.log"}));
  EXPECT_EQ(contentOf("j.log"), journal);
}

// A rename run of a -> x, b -> y, c -> z cut off with a renamed, b parked at its temporary and c
// not begun; its journal held a line of an earlier run and got the line of a -> x.
class RenameRunCutOff : public RecoverTest {
 protected:
  void SetUp() override {
    for (const char* name : {"a", "b", "c"}) makeFile(name);
    m_earlier = sealedJournalLine(path("p") + "\t" + path("q") + "\t7:7");
    m_record.journal = path("j.log");
    m_record.journalSize = m_earlier.size();
    m_record.steps = {step("a", "x", 0), step("b", "y", 1), step("c", "z", 2)};
    leaveUnfinished();
    move("a", "x");
    moveTo("b", temporary(1));
    writeBytes(folder() / "j.log", m_earlier + journalLine("a", "x"));
  }

  std::string m_earlier;
};

TEST_F(RenameRunCutOff, RollbackPutsEveryFileBackAndCutsTheJournalBack) {
  const CliResult result = run({"--recover", "rollback"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, path("x") + " -> " + path("a") + "\n" + temporary(1) + " -> " + path("b") + "\n");
  EXPECT_EQ(names(), (Names{"a", "b", "c", "j.log"}));
  for (const char* name : {"a", "b", "c"}) EXPECT_EQ(contentOf(name), name);
  EXPECT_EQ(contentOf("j.log"), m_earlier);
  EXPECT_EQ(recordFiles(), Names{});
}

TEST_F(RenameRunCutOff, FinishPutsEveryFileAtItsNewNameAndJournalsEach) {
  const CliResult result = run({"--recover", "finish"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, temporary(1) + " -> " + path("y") + "\n" + path("c") + " -> " + path("z") + "\n");
  EXPECT_EQ(names(), (Names{"j.log", "x", "y", "z"}));
  EXPECT_EQ(contentOf("z"), "c");
  EXPECT_EQ(contentOf("j.log"), m_earlier + journalLine("a", "x") + journalLine("b", "y") + journalLine("c", "z"));
  EXPECT_EQ(recordFiles(), Names{});
  EXPECT_EQ(run({"--recover", "finish"}).status, 2) << "every run is recovered once";
}

TEST_F(RenameRunCutOff, AFileThatCannotGoBackStaysAndIsNamed) {
  makeFile("a", "a newcomer");
  const CliResult result = run({"--recover", "rollback"});
  EXPECT_EQ(result.status, 1) << result;
  const std::string start = "namitra-cli: not rolled back: " + path("a") + " -> " + path("x") + ": ";
  EXPECT_TRUE(result.err.starts_with(start)) << result;
  EXPECT_GT(result.err.size(), start.size() + 1) << "a reason follows";
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result;
  EXPECT_EQ(contentOf("a"), "a newcomer");
  EXPECT_EQ(contentOf("x"), "a");
  EXPECT_EQ(contentOf("b"), "b");
  EXPECT_EQ(contentOf("j.log"), m_earlier + journalLine("a", "x"));
  EXPECT_EQ(recordFiles(), Names{});
}

TEST_F(RecoverTest, EveryUnfinishedRunIsRecoveredInOneCallAndAnUnreadableRecordStays) {
  makeFile("a");
  makeFile("b");
  m_record.steps = {step("a", "x", 0)};
  leaveUnfinished();
  move("a", "x");
  m_record.id = rename::newRunId();
  m_record.steps = {step("b", "y", 0)};
  leaveUnfinished();
  move("b", "y");
  const std::filesystem::path unreadable = dataFolder() / "run-0unreadable.record";
  writeBytes(unreadable, "not a run record\n");

  const CliResult result = run({"--recover", "rollback"});
  EXPECT_EQ(result.status, 1) << result;
  EXPECT_EQ(result.err, "namitra-cli: the run record " + unreadable.string() + " cannot be read; it stays in the data folder\n");
  const std::string xBack = path("x") + " -> " + path("a") + "\n";
  const std::string yBack = path("y") + " -> " + path("b") + "\n";
  EXPECT_TRUE(result.out == xBack + yBack || result.out == yBack + xBack) << result;
  EXPECT_EQ(names(), (Names{"a", "b"}));
  EXPECT_EQ(recordFiles(), Names{"run-0unreadable.record"});
  EXPECT_EQ(run({"--rule", "a=c", "--execute", "--", "a"}).err, unfinishedMessage()) << "the record still needs a look";
}

// An undo of a -> d, b -> e, c -> f (journal lines 0 to 2), newest first, cut off with f back
// at c, e parked at its temporary, d not begun.
class UndoCutOff : public RecoverTest {
 protected:
  void SetUp() override {
    for (const char* name : {"a", "b", "c"}) makeFile(name);
    plan({"d", "e", "f"});
    ASSERT_EQ(run({"--names-from", "plan.txt", "--journal", "j.log", "--execute", "--", "a", "b", "c"}).status, 0);
    std::filesystem::remove(folder() / "plan.txt");
    m_journal = contentOf("j.log");
    m_record.kind = rename::RunKind::Undo;
    m_record.journal = path("j.log");
    m_record.journalSize = m_journal.size();
    m_record.steps = {step("f", "c", 0, 2), step("e", "b", 1, 1), step("d", "a", 2, 0)};
    leaveUnfinished();
  }

  void plan(const Names& planned) const {
    std::string text;
    for (const std::string& name : planned) text += name + "\n";
    writeBytes(folder() / "plan.txt", text);
  }

  std::string m_journal;
};

TEST_F(UndoCutOff, FinishCompletesTheUndoAndEmptiesTheJournal) {
  move("f", "c");
  moveTo("e", temporary(1));
  const CliResult result = run({"--recover", "finish"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, temporary(1) + " -> " + path("b") + "\n" + path("d") + " -> " + path("a") + "\n");
  EXPECT_EQ(names(), (Names{"a", "b", "c", "j.log"}));
  EXPECT_EQ(contentOf("b"), "b");
  EXPECT_EQ(contentOf("j.log"), "");
}

TEST_F(UndoCutOff, RollbackKeepsEveryLineOfTheJournal) {
  move("f", "c");
  moveTo("e", temporary(1));
  const CliResult result = run({"--recover", "rollback"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, path("c") + " -> " + path("f") + "\n" + temporary(1) + " -> " + path("e") + "\n");
  EXPECT_EQ(names(), (Names{"d", "e", "f", "j.log"}));
  EXPECT_EQ(contentOf("f"), "c");
  EXPECT_EQ(contentOf("j.log"), m_journal);
}

TEST_F(UndoCutOff, RollbackAfterTheUndoRewroteItsJournalGivesTheLinesBack) {
  // Cut off between rewriting the journal without its reversed lines and removing its record.
  move("f", "c");
  move("e", "b");
  move("d", "a");
  writeBytes(folder() / "j.log", "");
  const CliResult result = run({"--recover", "rollback"});
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(names(), (Names{"d", "e", "f", "j.log"}));
  EXPECT_EQ(contentOf("j.log"), m_journal);
}

// Kills namitra-cli at its n-th rename for every n until a run gets through, then recovers and
// checks that every file is whole at exactly the names the direction asks for, that no
// temporary name is left, and that the journal agrees with the disk: undoing it brings every
// file back to its first name and leaves it empty.
class KilledRunTest : public RecoverTest {
 protected:
  static std::string strace() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
      const std::string candidate = folder + "/strace";
      if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
  }

  // A fresh folder of the test for one attempt, holding a file per name (its name as content).
  std::filesystem::path attemptFolder(const std::string& name, const Names& files) const {
    const std::filesystem::path attempt = folder() / name;
    std::filesystem::create_directory(attempt);
    for (const std::string& file : files) writeBytes(attempt / file, file);
    return attempt;
  }

  // namitra-cli with `arguments` in `working`, killed at its n-th renameat2.
  CliResult runKilledAt(int n, const std::filesystem::path& working, const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{m_strace, "-f", "-o", "/dev/null", "-e",
                                     "inject=renameat2:signal=KILL:when=" + std::to_string(n), NAMITRA_CLI};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(command, working);
  }

  static std::map<std::string, std::string> filesIn(const std::filesystem::path& working) {
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(working)) {
      const std::string name = entry.path().filename().string();
      if (name != "j.log" && name != "plan.txt") found[name] = readBytes(entry.path());
    }
    return found;
  }

  using Files = std::map<std::string, std::string>;

  // Recovers in `direction` and expects the files to be as one of `recovered` says; when the kill
  // came while no record stood (at the rename that names a run record, before the run began, or
  // after its record was removed), there is nothing to recover: then the files must be as one of
  // `noRecord` says. Either way the journal must agree with the disk: undoing it gives
  // `original` and leaves it empty.
  void recoverAndCheck(const std::filesystem::path& working, const std::string& direction,
                       const std::vector<Files>& recovered, const std::vector<Files>& noRecord,
                       const Files& original) const {
    const CliResult result = runIn(working, {"--recover", direction});
    const bool begun = result.status != 2;
    if (begun) {
      EXPECT_EQ(result.status, 0) << result;
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_EQ(result.err, "namitra-cli: no unfinished run in the data folder " + dataFolder().string() + "\n");
    }
    EXPECT_EQ(recordFiles(), Names{});
    const std::vector<Files>& acceptable = begun ? recovered : noRecord;
    const Files found = filesIn(working);
    EXPECT_NE(std::find(acceptable.begin(), acceptable.end(), found), acceptable.end())
        << (begun ? "recovered" : "with no record standing") << " to an unexpected state";
    const CliResult undone = runIn(working, {"--undo", "j.log"});
    EXPECT_EQ(undone.status, 0) << "the journal disagrees with the disk: " << undone;
    EXPECT_EQ(filesIn(working), original);
    EXPECT_EQ(readBytes(working / "j.log"), "");
  }

  void SetUp() override {
    m_strace = strace();
    if (m_strace.empty()) GTEST_SKIP() << "strace is not installed (scripts/install-deps installs it)";
    const CliResult probe = runCommand({m_strace, "-f", "-o", "/dev/null", "true"}, folder());
    if (probe.status != 0) GTEST_SKIP() << "strace cannot trace here: " << probe.err;
  }

  std::string m_strace;
};

TEST_F(KilledRunTest, ARenameRunKilledAtAnyRenameIsRolledBackOrFinished) {
  // A swap, a chain and a plain rename: temporary names, waiting rows and single steps.
  const Names rows{"a", "b", "c", "d", "f"};
  const Files original{{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"f", "f"}};
  const Files renamed{{"a", "b"}, {"b", "a"}, {"d", "c"}, {"e", "d"}, {"g", "f"}};
  int killed = 0;
  for (int n = 1; n < 20; ++n) {
    bool finishedUnkilled = false;
    for (const std::string direction : {"rollback", "finish"}) {
      SCOPED_TRACE("killed at rename " + std::to_string(n) + ", then " + direction);
      const std::filesystem::path working = attemptFolder(direction + std::to_string(n), rows);
      writeBytes(working / "plan.txt", "b\na\nd\ne\ng\n");
      std::vector<std::string> arguments{"--names-from", "plan.txt", "--journal", "j.log", "--execute", "--"};
      arguments.insert(arguments.end(), rows.begin(), rows.end());
      const CliResult result = runKilledAt(n, working, arguments);
      if (result.status != -1) {
        ASSERT_EQ(result.status, 0) << result;
        finishedUnkilled = true;
        continue;
      }
      ++killed;
      recoverAndCheck(working, direction, {direction == "finish" ? renamed : original}, {original, renamed}, original);
    }
    if (finishedUnkilled) break;
  }
  EXPECT_GE(killed, 2 * static_cast<int>(rows.size())) << "every rename of the run was a place to kill it";
}

TEST_F(KilledRunTest, AnUndoKilledAtAnyRenameIsRolledBackOrFinished) {
  // Two runs, a -> b with x -> y, then b -> c: the undo goes in two stretches (c -> b with
  // y -> x; then b -> a), each with its run record, rewriting the journal between them. Recovery
  // acts on the stretch that was cut off; the journal keeps what the other one left to undo.
  const Files original{{"a", "a"}, {"x", "x"}};
  const Files beforeUndo{{"c", "a"}, {"y", "x"}};
  const Files firstStretchDone{{"b", "a"}, {"x", "x"}};
  int killed = 0;
  for (int n = 1; n < 20; ++n) {
    bool finishedUnkilled = false;
    for (const std::string direction : {"rollback", "finish"}) {
      SCOPED_TRACE("undo killed at rename " + std::to_string(n) + ", then " + direction);
      const std::filesystem::path working = attemptFolder(direction + std::to_string(n), {"a", "x"});
      ASSERT_EQ(runIn(working, {"--rule", "a=b", "--rule", "x=y", "--journal", "j.log", "--execute", "--", "a", "x"}).status, 0);
      ASSERT_EQ(runIn(working, {"--rule", "b=c", "--journal", "j.log", "--execute", "--", "b"}).status, 0);
      const CliResult result = runKilledAt(n, working, {"--undo", "j.log"});
      if (result.status != -1) {
        ASSERT_EQ(result.status, 0) << result;
        finishedUnkilled = true;
        continue;
      }
      ++killed;
      // Which stretch the kill cut off shows on the disk; either way the files must be at the
      // names before (rollback) or after (finish) that stretch, never in between.
      const std::vector<Files> recovered =
          direction == "finish" ? std::vector<Files>{firstStretchDone, original} : std::vector<Files>{beforeUndo, firstStretchDone};
      recoverAndCheck(working, direction, recovered, {beforeUndo, firstStretchDone, original}, original);
    }
    if (finishedUnkilled) break;
  }
  EXPECT_GE(killed, 2 * 3) << "every rename of the undo was a place to kill it";
}

}  // namespace
}  // namespace namitra::cli::testing
