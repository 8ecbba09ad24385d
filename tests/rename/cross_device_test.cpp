// RenameFile moving a regular file to another file system, on real files: the test's folder
// holds the source, a tmpfs mounted inside it is the other file system.
//
// The faults are real ones: a source folder mounted read only, an immutable source or source
// folder, a tmpfs that runs out of space, scratch names already taken, a process killed in the
// middle of the copy. Afterwards the files are compared with exactly what they must be: the
// source whole, the old target at the target as it was (the same inode, not a copy), and no
// copy left anywhere except at a scratch name the caller gave, where its recovery looks.
#include "rename/rename_file.h"

#include "../platform/temp_folder.h"
#include "fault_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace namitra::rename {
namespace {

using platform::testing::readBytes;
using platform::testing::TempFolder;
using platform::testing::writeBytes;
using testing::contentsBelow;
using testing::Immutable;
using testing::Mount;
using Contents = std::map<std::string, std::string>;

#define SKIP_UNLESS_MADE(fault) \
  if (!(fault).problem().empty()) GTEST_SKIP() << "cannot make the fault here: " << (fault).problem()

std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7919 % 251);
  return bytes;
}

// Every entry of `folder` with its size, for comparing folders whose contents would be megabytes
// in a failure message.
std::map<std::string, std::uintmax_t> sizesIn(const std::filesystem::path& folder) {
  std::map<std::string, std::uintmax_t> sizes;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    sizes[entry.path().filename().string()] = entry.is_regular_file() ? entry.file_size() : 0;
  return sizes;
}

struct stat statOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) ADD_FAILURE() << "no file at " << path;
  return info;
}

// The source lives in "here" on the test folder's file system, targets in "there", a tmpfs.
class CrossDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(m_dir / "here");
    std::filesystem::create_directory(m_dir / "there");
    m_there.emplace(Mount::tmpfs(m_dir / "there", std::size_t{256} << 20));
    SKIP_UNLESS_MADE(*m_there);
    ASSERT_NE(statOf(m_dir / "here").st_dev, statOf(m_dir / "there").st_dev);
  }

  std::string here(const std::string& name) const { return (m_dir / "here" / name).string(); }
  std::string there(const std::string& name) const { return (m_dir / "there" / name).string(); }
  Contents hereNow() const { return contentsBelow(m_dir / "here"); }
  Contents thereNow() const { return contentsBelow(m_dir / "there"); }

  // Scratch names in the target's folder that count the `copied` calls.
  MoveScratch scratchThere() {
    return {there(".copy"), there(".aside"), [this](const FileIdentity& copy) {
              ++m_copiedCalls;
              m_copied = copy;
            }};
  }

  TempFolder m_dir;
  std::optional<Mount> m_there;
  int m_copiedCalls = 0;
  FileIdentity m_copied;
};

// --- Moves that succeed ---

struct MoveCase {
  const char* name;
  bool replace;       // an old target is there and may be replaced
  bool givenScratch;  // the caller names the scratch files, else RenameFile picks its own
};

class CrossDeviceMoves : public CrossDevice, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(CrossDeviceMoves, KeepContentModeTimesAndOwnerAndLeaveNoScratch) {
  const std::string content = patterned(3 * 65536 + 17);  // more than one buffer, not a multiple
  writeBytes(here("a"), content);
  if (GetParam().replace) writeBytes(there("b"), "old target");
  if (::chown(here("a").c_str(), 1234, 5678) != 0) GTEST_SKIP() << "cannot give the source another owner";
  ASSERT_EQ(::chmod(here("a").c_str(), 06750), 0);
  const struct timespec times[2] = {{1000000000, 123456789}, {1200000000, 987654321}};
  ASSERT_EQ(::utimensat(AT_FDCWD, here("a").c_str(), times, 0), 0);
  const MoveScratch scratch = scratchThere();

  const RenameStatus status = RenameFile(here("a"), there("b"), GetParam().replace,
                                         GetParam().givenScratch ? &scratch : nullptr);

  ASSERT_TRUE(status.ok()) << status.reason();
  const struct stat moved = statOf(there("b"));  // before reading the content moves the access time
  EXPECT_EQ(hereNow(), Contents{});
  EXPECT_EQ(sizesIn(m_dir / "there"), (std::map<std::string, std::uintmax_t>{{"b", content.size()}}));
  EXPECT_TRUE(readBytes(there("b")) == content);
  EXPECT_EQ(moved.st_mode & 07777, 06750u) << "set-ID bits survive the change of owner";
  EXPECT_EQ(moved.st_uid, 1234u);
  EXPECT_EQ(moved.st_gid, 5678u);
  EXPECT_EQ(moved.st_atim.tv_sec, times[0].tv_sec);
  EXPECT_EQ(moved.st_atim.tv_nsec, times[0].tv_nsec);
  EXPECT_EQ(moved.st_mtim.tv_sec, times[1].tv_sec);
  EXPECT_EQ(moved.st_mtim.tv_nsec, times[1].tv_nsec);
  if (GetParam().givenScratch) {
    EXPECT_EQ(m_copiedCalls, 1);
    EXPECT_EQ(m_copied, identityAt(there("b")));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CrossDeviceMoves,
                         ::testing::Values(MoveCase{"new_target_own_scratch", false, false},
                                           MoveCase{"new_target_given_scratch", false, true},
                                           MoveCase{"replacing_own_scratch", true, false},
                                           MoveCase{"replacing_given_scratch", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CrossDevice, CopiedIsCalledWithTheCopyBeforeItTakesTheTargetsPlace) {
  writeBytes(here("a"), "new");
  writeBytes(there("b"), "old");
  MoveScratch scratch = scratchThere();
  int calls = 0;
  FileIdentity seen;
  scratch.copied = [&](const FileIdentity& copy) {
    ++calls;
    seen = copy;
    EXPECT_EQ(copy, identityAt(scratch.copyPath));
    EXPECT_EQ(readBytes(scratch.copyPath), "new") << "the copy is complete";
    EXPECT_EQ(readBytes(there("b")), "old") << "the old target is still in place";
    EXPECT_EQ(readBytes(here("a")), "new");
  };
  ASSERT_TRUE(RenameFile(here("a"), there("b"), true, &scratch).ok());
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(seen.known());
  EXPECT_EQ(seen, identityAt(there("b")));
}

// Scratch names made from the target's name would not fit beside a name this long.
TEST_F(CrossDevice, ReplacesATargetWhoseNameIsNearTheLimit) {
  for (const std::size_t length : {250u, 255u}) {
    SCOPED_TRACE(length);
    const std::string name(length, 'n');
    writeBytes(here("a"), "new");
    writeBytes(there(name), "old");
    const RenameStatus status = RenameFile(here("a"), there(name), true);
    ASSERT_TRUE(status.ok()) << status.reason();
    EXPECT_EQ(thereNow(), (Contents{{name, "new"}}));
    std::filesystem::remove(there(name));
  }
}

// --- The source cannot be removed: both files stay as they were ---

enum class SourceFault { ReadOnlyFolder, ImmutableFile, ImmutableFolder };

struct RemovalCase {
  const char* name;
  SourceFault fault;
  bool replace;
  bool givenScratch;
};

class SourceNotRemovable : public CrossDevice, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(SourceNotRemovable, LeavesTheSourceAndTheOldTargetAsTheyWere) {
  writeBytes(here("a"), "new content");
  if (GetParam().replace) writeBytes(there("b"), "old target");
  const FileIdentity oldTarget = identityAt(there("b"));
  const Contents hereBefore = hereNow();
  const Contents thereBefore = thereNow();
  std::optional<Mount> readOnly;
  std::optional<Immutable> immutable;
  switch (GetParam().fault) {
    case SourceFault::ReadOnlyFolder:
      readOnly.emplace(Mount::readOnly(m_dir / "here"));
      SKIP_UNLESS_MADE(*readOnly);
      break;
    case SourceFault::ImmutableFile:
      immutable.emplace(here("a"));
      SKIP_UNLESS_MADE(*immutable);
      break;
    case SourceFault::ImmutableFolder:
      immutable.emplace(m_dir / "here");
      SKIP_UNLESS_MADE(*immutable);
      break;
  }
  const MoveScratch scratch = scratchThere();

  const RenameStatus status = RenameFile(here("a"), there("b"), GetParam().replace,
                                         GetParam().givenScratch ? &scratch : nullptr);

  EXPECT_EQ(status.error, GetParam().fault == SourceFault::ReadOnlyFolder ? EROFS : EPERM) << status.reason();
  EXPECT_EQ(hereNow(), hereBefore);
  EXPECT_EQ(thereNow(), thereBefore) << "no copy and no set-aside target left";
  EXPECT_EQ(identityAt(there("b")), oldTarget) << "the old target itself, not a copy of it";
  if (GetParam().givenScratch) {
    EXPECT_EQ(m_copiedCalls, 1) << "the copy was made and taken back";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SourceNotRemovable,
    ::testing::Values(RemovalCase{"read_only_folder_replacing", SourceFault::ReadOnlyFolder, true, true},
                      RemovalCase{"read_only_folder_replacing_own_scratch", SourceFault::ReadOnlyFolder, true, false},
                      RemovalCase{"read_only_folder_new_target", SourceFault::ReadOnlyFolder, false, true},
                      RemovalCase{"immutable_file_replacing", SourceFault::ImmutableFile, true, true},
                      RemovalCase{"immutable_file_new_target", SourceFault::ImmutableFile, false, false},
                      RemovalCase{"immutable_folder_replacing", SourceFault::ImmutableFolder, true, false},
                      RemovalCase{"immutable_folder_new_target", SourceFault::ImmutableFolder, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Refusals before the move ---

TEST_F(CrossDevice, TakenScratchNamesAreRefusedAndLeftAlone) {
  struct Case {
    const char* taken;
    bool replace;
  };
  for (const Case& taken : {Case{".copy", false}, Case{".copy", true}, Case{".aside", true}}) {
    SCOPED_TRACE(std::string(taken.taken) + (taken.replace ? " replacing" : ""));
    writeBytes(here("a"), "new");
    writeBytes(there(taken.taken), "somebody's file");
    if (taken.replace) writeBytes(there("b"), "old");
    const Contents hereBefore = hereNow();
    const Contents thereBefore = thereNow();
    const MoveScratch scratch = scratchThere();
    EXPECT_EQ(RenameFile(here("a"), there("b"), taken.replace, &scratch).error, EEXIST);
    EXPECT_EQ(hereNow(), hereBefore);
    EXPECT_EQ(thereNow(), thereBefore);
    std::filesystem::remove_all(m_dir / "there" / taken.taken);
    std::filesystem::remove_all(m_dir / "there" / "b");
  }
}

// rename(2) answers EISDIR within one file system; a move across answers the same.
TEST_F(CrossDevice, AFileNeverReplacesAFolder) {
  for (const std::string& folder : {here("b"), there("b")}) {
    SCOPED_TRACE(folder);
    writeBytes(here("a"), "new");
    std::filesystem::create_directory(folder);
    writeBytes(folder + "/inside", "kept");
    const Contents hereBefore = hereNow();
    const Contents thereBefore = thereNow();
    EXPECT_EQ(RenameFile(here("a"), folder, true).error, EISDIR);
    EXPECT_EQ(hereNow(), hereBefore);
    EXPECT_EQ(thereNow(), thereBefore);
    std::filesystem::remove_all(folder);
  }
}

TEST_F(CrossDevice, ASymbolicLinkIsNotCopiedAcross) {
  writeBytes(here("a"), "A");
  std::filesystem::create_symlink("a", here("link"));
  EXPECT_EQ(RenameFile(here("link"), there("link"), false).error, EXDEV);
  EXPECT_TRUE(std::filesystem::is_symlink(here("link")));
  EXPECT_EQ(thereNow(), Contents{});
}

// --- A file system that runs out of space during the copy ---

class FullFileSystem : public CrossDevice, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(FullFileSystem, LeavesNoPartialCopyAndTheSourceWhole) {
  std::filesystem::create_directory(m_dir / "small");
  Mount small = Mount::tmpfs(m_dir / "small", 64 * 1024);
  SKIP_UNLESS_MADE(small);
  const std::string target = (m_dir / "small" / "b").string();
  writeBytes(here("a"), patterned(1024 * 1024));
  if (GetParam().replace) writeBytes(target, "old target");
  const FileIdentity oldTarget = identityAt(target);
  const Contents hereBefore = hereNow();
  const Contents smallBefore = contentsBelow(m_dir / "small");
  MoveScratch scratch = scratchThere();
  scratch.copyPath = (m_dir / "small" / ".copy").string();
  scratch.asidePath = (m_dir / "small" / ".aside").string();

  const RenameStatus status = RenameFile(here("a"), target, GetParam().replace,
                                         GetParam().givenScratch ? &scratch : nullptr);

  EXPECT_EQ(status.error, ENOSPC) << status.reason();
  EXPECT_EQ(hereNow(), hereBefore);
  EXPECT_EQ(contentsBelow(m_dir / "small"), smallBefore);
  EXPECT_EQ(identityAt(target), oldTarget);
  EXPECT_EQ(m_copiedCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FullFileSystem,
                         ::testing::Values(MoveCase{"new_target_own_scratch", false, false},
                                           MoveCase{"new_target_given_scratch", false, true},
                                           MoveCase{"replacing_own_scratch", true, false},
                                           MoveCase{"replacing_given_scratch", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A process killed in the middle of the copy ---

// The first entry of `folder` whose name is not among `before`; empty while there is none.
std::string newEntryIn(const std::filesystem::path& folder, const std::map<std::string, std::uintmax_t>& before) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    const std::string name = entry.path().filename().string();
    if (!before.count(name)) return name;
  }
  return {};
}

class KilledDuringCopy : public CrossDevice, public ::testing::WithParamInterface<bool> {
 protected:
  // Runs the move in a child and kills it as soon as a new file appears in the target's folder,
  // wherever the copy is written. True when the kill came while that file was still being
  // written (it is then shorter than the source); false when the child got further first.
  bool moveAndKillMidCopy(const std::string& from, const std::string& to, const MoveScratch& scratch,
                          const std::map<std::string, std::uintmax_t>& thereBefore, std::size_t size) {
    const pid_t child = ::fork();
    if (child < 0) {
      ADD_FAILURE() << "fork failed";
      return false;
    }
    if (child == 0) _exit(RenameFile(from, to, GetParam(), &scratch).ok() ? 0 : 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    std::string copy;
    while ((copy = newEntryIn(m_dir / "there", thereBefore)).empty()) {
      if (::waitpid(child, &status, WNOHANG) == child) return false;
      if (std::chrono::steady_clock::now() > deadline) break;
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    struct stat written {};
    return !copy.empty() && ::lstat(there(copy).c_str(), &written) == 0 &&
           static_cast<std::size_t>(written.st_size) < size;
  }
};

TEST_P(KilledDuringCopy, LeavesTheTargetAsItWasAndTheSourceWhole) {
  const bool replace = GetParam();
  const std::string content = patterned(std::size_t{64} << 20);
  const MoveScratch scratch{there(".copy"), there(".aside"), {}};
  // A copy of 64 MiB takes long enough to be caught; a busy machine may still let it finish.
  for (int attempt = 0; attempt < 5; ++attempt) {
    for (const auto& entry : std::filesystem::directory_iterator(m_dir / "there")) std::filesystem::remove_all(entry);
    writeBytes(here("a"), content);
    if (replace) writeBytes(there("b"), "old target");
    const FileIdentity oldTarget = identityAt(there("b"));
    const auto thereBefore = sizesIn(m_dir / "there");
    if (!moveAndKillMidCopy(here("a"), there("b"), scratch, thereBefore, content.size())) continue;

    EXPECT_TRUE(readBytes(here("a")) == content) << "the source is whole";
    EXPECT_EQ(identityAt(there("b")), oldTarget);
    if (replace) {
      EXPECT_EQ(readBytes(there("b")), "old target");
    }
    auto thereAfter = sizesIn(m_dir / "there");
    EXPECT_EQ(thereAfter.erase(".copy"), 1u) << "the partial copy is at the caller's scratch name";
    EXPECT_EQ(thereAfter, thereBefore) << "and nowhere else";
    return;
  }
  GTEST_SKIP() << "the copy finished before the kill in every attempt";
}

INSTANTIATE_TEST_SUITE_P(Cases, KilledDuringCopy, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "replacing" : "new_target"; });

}  // namespace
}  // namespace namitra::rename
