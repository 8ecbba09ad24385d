// Recovery of a cut-off run, on real folders. For each plan (a chain, a swap, a cycle, plain
// renames, a folder renamed after files inside it, moves to another file system, a change of
// letter case only on a folder that ignores case) the run's own sequence of primitive
// operations is replayed and stopped after every one of them; each disk state so left is then
// finished and rolled back, and must afterwards hold exactly the files the direction promises:
// every content at one path, no temporary or scratch name left. A recovery that is itself
// killed or refused after any of its renames is run again and must reach the same end. Files
// that are not the run's are never moved over, and are reported. File systems that cannot be
// mounted here are skipped with the reason.
#include "rename/run_recovery.h"

#include "../platform/temp_folder.h"
#include "fault_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace namitra::rename {
namespace {

namespace fs = std::filesystem;
using platform::testing::readBytes;
using platform::testing::TempFolder;
using platform::testing::writeBytes;
using testing::contentsBelow;
using testing::Mount;
using Contents = std::map<std::string, std::string>;

constexpr const char* kFolder = "<dir>";
constexpr const char* kOther = "other";  // the mount point of the second file system
constexpr const char* kFolding = "ci";   // the mount point of a file system that can fold case
constexpr const char* kFolded = "folded";  // a folder named so, below it, ignores letter case

enum class At { From, Temporary, To };

// What the run does, one primitive at a time. A move between file systems is the six
// operations RenameFile makes of it: a copy written (cut off half way, then whole and noted in
// the record), the replaced target set aside, the copy put at the target, the source and the
// set-aside target deleted.
enum class Act { Move, HalfCopy, WholeCopy, SetAside, PlaceCopy, DropSource, DropAside };

struct RunAct {
  Act act;
  std::size_t step;
  At from = At::From;
  At to = At::To;
};

struct PlanStep {
  std::string from;  // relative to the test folder
  std::string to;
  bool isFolder = false;
  bool crossDevice = false;
  bool replaceAllowed = false;
};

struct Plan {
  const char* name;
  Contents before;  // the disk as the run found it
  std::vector<PlanStep> steps;
  std::vector<RunAct> acts;
  Contents after;  // the disk once the run is over
};

void PrintTo(const Plan& plan, std::ostream* out) { *out << plan.name; }

RunAct move(std::size_t step, At from = At::From, At to = At::To) { return {Act::Move, step, from, to}; }

std::vector<RunAct> copyAcross(std::size_t step, bool replacing) {
  std::vector<RunAct> acts{{Act::HalfCopy, step}, {Act::WholeCopy, step}};
  if (replacing) acts.push_back({Act::SetAside, step});
  acts.push_back({Act::PlaceCopy, step});
  acts.push_back({Act::DropSource, step});
  if (replacing) acts.push_back({Act::DropAside, step});
  return acts;
}

std::vector<RunAct> joined(std::vector<RunAct> first, const std::vector<RunAct>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const Plan kChain{"chain_ordered_last_first",
                  {{"a", "A"}, {"b", "B"}, {"c", "C"}},
                  {{"c", "d"}, {"b", "c"}, {"a", "b"}},
                  {move(0), move(1), move(2)},
                  {{"b", "A"}, {"c", "B"}, {"d", "C"}}};
const Plan kSwap{"swap",
                 {{"a", "A"}, {"b", "B"}},
                 {{"a", "b"}, {"b", "a"}},
                 {move(0, At::From, At::Temporary), move(1), move(0, At::Temporary, At::To)},
                 {{"a", "B"}, {"b", "A"}}};
const Plan kCycle{"three_cycle",
                  {{"a", "A"}, {"b", "B"}, {"c", "C"}},
                  {{"a", "b"}, {"c", "a"}, {"b", "c"}},
                  {move(0, At::From, At::Temporary), move(1), move(2), move(0, At::Temporary, At::To)},
                  {{"a", "C"}, {"b", "A"}, {"c", "B"}}};
const Plan kPlain{"plain_renames",
                  {{"x", "X"}, {"z", "Z"}},
                  {{"x", "y"}, {"z", "w"}},
                  {move(0), move(1)},
                  {{"y", "X"}, {"w", "Z"}}};
// A swap and a rename inside a folder, then the folder itself.
const Plan kFolderAfterItsFiles{
    "folder_renamed_after_its_files",
    {{"d", kFolder}, {"d/x", "X"}, {"d/y", "Y"}, {"d/f", "F"}, {"d/keep", "K"}},
    {{"d/x", "d/y"}, {"d/y", "d/x"}, {"d/f", "d/g"}, {"d", "e", true}},
    {move(0, At::From, At::Temporary), move(1), move(0, At::Temporary, At::To), move(2), move(3)},
    {{"e", kFolder}, {"e/x", "Y"}, {"e/y", "X"}, {"e/g", "F"}, {"e/keep", "K"}}};
const Plan kAcross{"across_file_systems",
                   {{kOther, kFolder}, {"a", "A"}, {"b", "B"}, {"other/b", "old"}},
                   {{"a", "other/a", false, true}, {"b", "other/b", false, true, true}},
                   joined(copyAcross(0, false), copyAcross(1, true)),
                   {{kOther, kFolder}, {"other/a", "A"}, {"other/b", "B"}}};

const Plan kLetterCase{"letter_case_only",
                       {{kFolding, kFolder}, {"ci/folded", kFolder}, {"ci/folded/a.txt", "x"}, {"ci/folded/b", "y"}},
                       {{"ci/folded/a.txt", "ci/folded/A.TXT"}, {"ci/folded/b", "ci/folded/c"}},
                       {move(0, At::From, At::Temporary), move(0, At::Temporary, At::To), move(1)},
                       {{kFolding, kFolder}, {"ci/folded", kFolder}, {"ci/folded/A.TXT", "x"}, {"ci/folded/c", "y"}}};

bool needsOtherFileSystem(const Plan& plan) { return plan.before.count(kOther) != 0; }
bool needsFoldingFileSystem(const Plan& plan) { return plan.before.count(kFolding) != 0; }

// A tmpfs whose folders ignore letter case once given the casefold flag.
class CaseFoldingMount {
 public:
  explicit CaseFoldingMount(fs::path folder) : m_folder(std::move(folder)) {
    if (::mount("namitra-test", m_folder.c_str(), "tmpfs", 0, "casefold,size=1m") != 0)
      m_problem = std::string("tmpfs casefold: ") + std::strerror(errno);
  }
  ~CaseFoldingMount() {
    if (m_problem.empty()) ::umount2(m_folder.c_str(), MNT_DETACH);
  }
  CaseFoldingMount(const CaseFoldingMount&) = delete;
  CaseFoldingMount& operator=(const CaseFoldingMount&) = delete;

  const std::string& problem() const { return m_problem; }

 private:
  fs::path m_folder;
  std::string m_problem;
};

// Gives an empty folder the casefold flag; whether the folder then ignores letter case.
bool makeCaseFolding(const fs::path& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  int flags = 0;
  bool set = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
  flags |= FS_CASEFOLD_FL;
  set = set && ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(descriptor);
  if (!set) return false;
  writeBytes(folder / "Probe", "");
  const bool folds = identityAt((folder / "pROBE").string()).known();
  fs::remove(folder / "Probe");
  return folds;
}

const char* nameOf(RecoveryDirection direction) {
  return direction == RecoveryDirection::Finish ? "finish" : "rollback";
}

std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

// Stops after a number of renames, as a killed process (the exception) or a refusing file
// system would.
class StoppingFiles : public FileAccess {
 public:
  struct Killed {};

  StoppingFiles(std::size_t renames, bool kill) : m_left(renames), m_kill(kill) {}
  bool stopped() const { return m_stopped; }

  bool listFolder(const std::string& folder, const EntryVisitor& visit) override {
    return m_system.listFolder(folder, visit);
  }
  EntryKind entryKind(const std::string& path) override { return m_system.entryKind(path); }
  FileIdentity identity(const std::string& path) override { return m_system.identity(path); }
  FileIdentity folderIdentity(const std::string& folder) override { return m_system.folderIdentity(folder); }
  std::optional<std::string> canonicalFolder(const std::string& folder) override {
    return m_system.canonicalFolder(folder);
  }
  RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                      const MoveScratch* scratch) override {
    if (m_left == 0) {
      m_stopped = true;
      if (m_kill) throw Killed{};
      return {EIO};
    }
    --m_left;
    return m_system.rename(from, to, replaceAllowed, scratch);
  }

 private:
  SystemFileAccess m_system;
  std::size_t m_left;
  bool m_kill;
  bool m_stopped = false;
};

class RecoveryTest : public ::testing::Test {
 protected:
  TempFolder dir;
  std::optional<Mount> other;
  std::optional<CaseFoldingMount> folding;
  RunRecord record;
  SystemFileAccess files;

  // Empty where nothing of it is needed; the reason when it cannot be made.
  std::string mountOtherFileSystem() {
    fs::create_directory(dir / kOther);
    other.emplace(Mount::tmpfs(dir / kOther, 1 << 20));
    return other->problem();
  }

  std::string mountFoldingFileSystem() {
    fs::create_directory(dir / kFolding);
    folding.emplace(dir / kFolding);
    if (!folding->problem().empty()) return folding->problem();
    fs::create_directory(dir / kFolding / "probe");
    const bool folds = makeCaseFolding(dir / kFolding / "probe");
    fs::remove(dir / kFolding / "probe");
    return folds ? "" : "the casefold flag does not fold case here";
  }

  std::string full(const std::string& relative) const { return dir.path().string() + "/" + relative; }

  // The disk as `plan`'s run found it, and the record the run wrote.
  void start(const Plan& plan) {
    emptyFolder(dir.path());
    for (const auto& [path, content] : plan.before) {
      if (path == kOther || path == kFolding) continue;
      if (content == kFolder) {
        fs::create_directory(dir / path);
        if (fs::path(path).filename() == kFolded) {
          ASSERT_TRUE(makeCaseFolding(dir / path));
        }
      } else {
        writeBytes(dir / path, content);
      }
    }
    record = {};
    record.id = "t1";
    for (std::size_t k = 0; k < plan.steps.size(); ++k) {
      const PlanStep& p = plan.steps[k];
      RunStep step;
      step.from = full(p.from);
      step.to = full(p.to);
      step.temporary = temporaryPathFor(record.id, k, folderOf(step.from));
      step.identity = identityAt(step.from);
      step.isFolder = p.isFolder;
      step.crossDevice = p.crossDevice;
      step.replaceAllowed = p.replaceAllowed;
      record.steps.push_back(step);
    }
  }

  // The disk as the run leaves it after its first `done` operations.
  void replay(const Plan& plan, std::size_t done) {
    start(plan);
    for (std::size_t i = 0; i < done; ++i) perform(plan.acts[i]);
  }

  // The record as recovery reads it back from its file.
  RunRecord stored() const {
    const ParsedRunRecord parsed = parseRunRecord(runRecordText(record));
    EXPECT_EQ(parsed.state, RecordState::Complete);
    return parsed.record;
  }

  std::string placeOf(const RunStep& step, At at) const {
    return at == At::From ? step.from : at == At::Temporary ? step.temporary : step.to;
  }
  std::string copyPath(std::size_t k) const { return scratchCopyPath(record, k, folderOf(record.steps[k].to)); }
  std::string asidePath(std::size_t k) const { return scratchAsidePath(record, k, folderOf(record.steps[k].to)); }

  void perform(const RunAct& act) {
    RunStep& step = record.steps[act.step];
    const std::string content = act.act == Act::HalfCopy || act.act == Act::WholeCopy ? readBytes(step.from) : "";
    switch (act.act) {
      case Act::Move: return expectDone(::rename(placeOf(step, act.from).c_str(), placeOf(step, act.to).c_str()));
      case Act::HalfCopy: return writeBytes(copyPath(act.step), content.substr(0, content.size() / 2));
      case Act::WholeCopy:
        writeBytes(copyPath(act.step), content);
        step.copied = identityAt(copyPath(act.step));
        return;
      case Act::SetAside: return expectDone(::rename(step.to.c_str(), asidePath(act.step).c_str()));
      case Act::PlaceCopy: return expectDone(::rename(copyPath(act.step).c_str(), step.to.c_str()));
      case Act::DropSource: return expectDone(::unlink(step.from.c_str()));
      case Act::DropAside: return expectDone(::unlink(asidePath(act.step).c_str()));
    }
  }
  static void expectDone(int result) { ASSERT_EQ(result, 0) << std::strerror(errno); }

  // Everything below `folder` goes, except the mount points, which are emptied instead.
  void emptyFolder(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if ((other && entry.path() == dir / kOther) || (folding && entry.path() == dir / kFolding)) {
        emptyFolder(entry.path());
        continue;
      }
      fs::remove_all(entry.path());
    }
  }

  void expectAllWhereWanted(const RecoveryReport& report, RecoveryDirection direction) {
    EXPECT_TRUE(report.complete);
    ASSERT_EQ(report.steps.size(), record.steps.size());
    const StepPlace wanted = direction == RecoveryDirection::Finish ? StepPlace::AtTo : StepPlace::AtFrom;
    for (std::size_t k = 0; k < report.steps.size(); ++k) {
      EXPECT_EQ(report.steps[k].place, wanted) << "step " << k;
      EXPECT_EQ(report.steps[k].reason, "") << "step " << k;
    }
  }
};

// --- Every state the run can leave ---

class EveryState : public RecoveryTest, public ::testing::WithParamInterface<Plan> {
 protected:
  void SetUp() override {
    const std::string problem = needsOtherFileSystem(GetParam())     ? mountOtherFileSystem()
                                : needsFoldingFileSystem(GetParam()) ? mountFoldingFileSystem()
                                                                      : "";
    if (!problem.empty()) GTEST_SKIP() << "cannot mount the file system the plan needs: " << problem;
  }

  // The disk before the run, but for the targets the run replaced and deleted in its first
  // `done` operations: no rollback can bring those back.
  Contents expected(RecoveryDirection direction, std::size_t done) const {
    const Plan& plan = GetParam();
    if (direction == RecoveryDirection::Finish) return plan.after;
    Contents before = plan.before;
    for (std::size_t i = 0; i < done; ++i)
      if (plan.acts[i].act == Act::DropAside) before.erase(plan.steps[plan.acts[i].step].to);
    return before;
  }

  // Recovered as `direction` wants; and recovering again changes nothing.
  void expectRecovered(const RecoveryReport& report, RecoveryDirection direction, std::size_t done) {
    expectAllWhereWanted(report, direction);
    EXPECT_EQ(contentsBelow(dir.path()), expected(direction, done));
    const RecoveryReport again = recoverRun(stored(), direction, files);
    EXPECT_TRUE(again.complete);
    EXPECT_TRUE(again.moves.empty());
    EXPECT_EQ(contentsBelow(dir.path()), expected(direction, done));
  }
};

TEST_P(EveryState, IsFinishedAndRolledBack) {
  const Plan& plan = GetParam();
  for (RecoveryDirection direction : {RecoveryDirection::Finish, RecoveryDirection::Rollback}) {
    for (std::size_t done = 0; done <= plan.acts.size(); ++done) {
      SCOPED_TRACE(std::string(nameOf(direction)) + " after " + std::to_string(done) + " operations of the run");
      replay(plan, done);
      const RecoveryReport report = recoverRun(stored(), direction, files);
      expectRecovered(report, direction, done);
    }
  }
}

TEST_P(EveryState, RecoveryStoppedAfterAnyOfItsRenamesReachesTheSameEndWhenRunAgain) {
  const Plan& plan = GetParam();
  for (RecoveryDirection direction : {RecoveryDirection::Finish, RecoveryDirection::Rollback}) {
    for (std::size_t done = 0; done <= plan.acts.size(); ++done) {
      for (bool kill : {true, false}) {
        for (std::size_t renames = 0;; ++renames) {
          SCOPED_TRACE(std::string(nameOf(direction)) + " after " + std::to_string(done) + " operations, " +
                       (kill ? "killed" : "refused") + " after " + std::to_string(renames) + " renames");
          replay(plan, done);
          StoppingFiles stopping(renames, kill);
          try {
            recoverRun(stored(), direction, stopping);
          } catch (const StoppingFiles::Killed&) {
          }
          expectRecovered(recoverRun(stored(), direction, files), direction, done);
          if (!stopping.stopped() || HasFailure()) break;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Plans, EveryState,
                         ::testing::Values(kChain, kSwap, kCycle, kPlain, kFolderAfterItsFiles, kAcross, kLetterCase),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The moves made ---

// Rolling back goes newest first, finishing in the run's order: a chain needs no temporary
// either way, a swap one, and every move is reported as made.
TEST_F(RecoveryTest, TheMovesMadeAreReportedInTheOrderMade) {
  using Moves = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const Plan& plan;
    std::size_t done;
    RecoveryDirection direction;
    Moves moves;
  };
  const Case cases[] = {
      {kChain, 0, RecoveryDirection::Finish, {{"c", "d"}, {"b", "c"}, {"a", "b"}}},
      {kChain, 3, RecoveryDirection::Rollback, {{"b", "a"}, {"c", "b"}, {"d", "c"}}},
      {kSwap, 0, RecoveryDirection::Finish, {{"a", ".namitra-t1-0"}, {"b", "a"}, {".namitra-t1-0", "b"}}},
      {kSwap, 3, RecoveryDirection::Rollback, {{"a", ".namitra-t1-1"}, {"b", "a"}, {".namitra-t1-1", "b"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.plan.name) + ", " + nameOf(c.direction) + " after " + std::to_string(c.done));
    replay(c.plan, c.done);
    const RecoveryReport report = recoverRun(stored(), c.direction, files);
    const std::size_t folder = full("").size();
    Moves made;
    for (const RecoveryMove& m : report.moves) made.emplace_back(m.from.substr(folder), m.to.substr(folder));
    EXPECT_EQ(made, c.moves);
  }
}

// --- Files that are not the run's ---

class AmongOtherFiles : public RecoveryTest {
 protected:
  void foreign(const std::string& path) { writeBytes(dir / path, "foreign"); }
};

TEST_F(AmongOtherFiles, RollbackLeavesAFileAtAnOldNameAloneAndReportsTheStep) {
  replay(kPlain, 2);
  foreign("x");
  const RecoveryReport report = recoverRun(stored(), RecoveryDirection::Rollback, files);
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(report.steps[0].place, StepPlace::AtTo);
  EXPECT_EQ(report.steps[0].reason, "File exists");
  EXPECT_EQ(report.steps[1].place, StepPlace::AtFrom);
  EXPECT_EQ(report.steps[1].reason, "");
  EXPECT_EQ(contentsBelow(dir.path()), (Contents{{"x", "foreign"}, {"y", "X"}, {"z", "Z"}}));
}

TEST_F(AmongOtherFiles, FinishReplacesAFileAtANewNameOnlyWhereTheStepMay) {
  struct Case {
    bool replaceAllowed;
    StepPlace place;
    const char* reason;
    Contents after;
  };
  for (const Case& c : {Case{false, StepPlace::AtFrom, "File exists", {{"x", "X"}, {"y", "foreign"}, {"w", "Z"}}},
                        Case{true, StepPlace::AtTo, "", {{"y", "X"}, {"w", "Z"}}}}) {
    SCOPED_TRACE(c.replaceAllowed ? "may replace" : "may not replace");
    Plan plan = kPlain;
    plan.steps[0].replaceAllowed = c.replaceAllowed;
    replay(plan, 0);
    foreign("y");
    const RecoveryReport report = recoverRun(stored(), RecoveryDirection::Finish, files);
    EXPECT_EQ(report.complete, c.replaceAllowed);
    EXPECT_EQ(report.steps[0].place, c.place);
    EXPECT_EQ(report.steps[0].reason, c.reason);
    EXPECT_EQ(report.steps[1].place, StepPlace::AtTo);
    EXPECT_EQ(contentsBelow(dir.path()), c.after);
  }
}

// a -> b is first, but b can only leave for c, where a file that is not the run's now is: a
// waits at its temporary, then goes back rather than stay there.
TEST_F(AmongOtherFiles, AFileThatCannotReachItsNewNameGoesBackToItsOldOne) {
  const Plan plan{"chain_blocked", {{"a", "A"}, {"b", "B"}}, {{"a", "b"}, {"b", "c"}}, {}, {}};
  replay(plan, 0);
  foreign("c");
  const RecoveryReport report = recoverRun(stored(), RecoveryDirection::Finish, files);
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(report.steps[0].place, StepPlace::AtFrom);
  EXPECT_EQ(report.steps[0].reason, "File exists");
  EXPECT_EQ(report.steps[1].place, StepPlace::AtFrom);
  EXPECT_EQ(report.steps[1].reason, "File exists");
  EXPECT_EQ(contentsBelow(dir.path()), (Contents{{"a", "A"}, {"b", "B"}, {"c", "foreign"}}));
}

// Half way through a swap, with a file that is not the run's at the first file's old name: the
// first file can reach neither end, and is left at its temporary, which the report names.
TEST_F(AmongOtherFiles, AFileThatCanReachNeitherEndStaysAtItsTemporary) {
  for (RecoveryDirection direction : {RecoveryDirection::Finish, RecoveryDirection::Rollback}) {
    SCOPED_TRACE(nameOf(direction));
    replay(kSwap, 1);
    foreign("a");
    const RecoveryReport report = recoverRun(stored(), direction, files);
    EXPECT_FALSE(report.complete);
    EXPECT_EQ(report.steps[0].place, StepPlace::Stuck);
    EXPECT_EQ(report.steps[0].leftAt, full(".namitra-t1-0"));
    EXPECT_EQ(report.steps[0].reason, "File exists");
    EXPECT_EQ(report.steps[1].place, StepPlace::AtFrom);
    EXPECT_EQ(contentsBelow(dir.path()), (Contents{{".namitra-t1-0", "A"}, {"a", "foreign"}, {"b", "B"}}));
  }
}

TEST_F(AmongOtherFiles, AFileThatVanishedIsReportedMissingAndTheOthersRecovered) {
  replay(kChain, 1);
  fs::remove(dir / "b");
  const RecoveryReport report = recoverRun(stored(), RecoveryDirection::Finish, files);
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(report.steps[1].place, StepPlace::Missing);
  EXPECT_EQ(report.steps[1].reason, "No such file or directory");
  EXPECT_EQ(report.steps[0].place, StepPlace::AtTo);
  EXPECT_EQ(report.steps[2].place, StepPlace::AtTo);
  EXPECT_EQ(contentsBelow(dir.path()), (Contents{{"b", "A"}, {"d", "C"}}));
}

// The "copied" line of a move that replaces was damaged: its copy at the target is still told
// from a file of someone else by the replaced target set aside.
TEST_F(AmongOtherFiles, ACopyWhoseCopiedLineWasDamagedIsStillRecovered) {
  const std::string problem = mountOtherFileSystem();
  if (!problem.empty()) GTEST_SKIP() << "no second file system: " << problem;
  const std::size_t placed = copyAcross(0, false).size() + 4;  // step 1 copied, set aside, placed
  struct Case {
    RecoveryDirection direction;
    Contents after;
  };
  for (const Case& c : {Case{RecoveryDirection::Finish, kAcross.after},
                        Case{RecoveryDirection::Rollback, kAcross.before}}) {
    SCOPED_TRACE(nameOf(c.direction));
    replay(kAcross, placed);
    std::string text = runRecordText(record);
    text[text.size() - 3] = text[text.size() - 3] == '0' ? '1' : '0';  // in the CRC of step 1's line
    const ParsedRunRecord parsed = parseRunRecord(text);
    ASSERT_EQ(parsed.ignoredLines, 1u);
    ASSERT_FALSE(parsed.record.steps[1].copied.known());
    const RecoveryReport report = recoverRun(parsed.record, c.direction, files);
    expectAllWhereWanted(report, c.direction);
    EXPECT_EQ(contentsBelow(dir.path()), c.after);
  }
}

}  // namespace
}  // namespace namitra::rename
