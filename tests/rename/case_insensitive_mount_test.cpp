// The run on a real file system that ignores letter case, mounted for each test: tmpfs or ext4
// with casefold where the kernel can fold case, else exFAT through FUSE where its tools are
// installed (packages exfatprogs and exfat-fuse). Mounting needs root; where nothing can be
// mounted the tests are skipped and say why. Every mount and loop device is undone afterwards,
// also when a test fails.
#include "rename/rename_run.h"

#include "../platform/temp_folder.h"
#include "rename/messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <map>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace namitra::rename {
namespace {

namespace fs = std::filesystem;
using platform::testing::readBytes;
using platform::testing::writeBytes;
using Contents = std::map<std::string, std::string>;

// Every entry with its content (folders show as "<dir>").
Contents contentsOf(const fs::path& folder) {
  Contents contents;
  for (const auto& entry : fs::directory_iterator(folder))
    contents[entry.path().filename().string()] = entry.is_directory() ? "<dir>" : readBytes(entry.path());
  return contents;
}

bool ignoresCase(const fs::path& folder) {
  writeBytes(folder / "Probe", "");
  struct stat info {};
  const bool folds = ::stat((folder / "pROBE").c_str(), &info) == 0;
  fs::remove(folder / "Probe");
  return folds;
}

// Sets the casefold flag of an empty folder (tmpfs and ext4 fold case per folder).
bool setCasefold(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags |= FS_CASEFOLD_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return done;
}

class CaseInsensitiveMount {
 public:
  CaseInsensitiveMount() {
    std::string pattern = (fs::temp_directory_path() / "namitra-ci-XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_work = pattern;
  }
  ~CaseInsensitiveMount() {
    unmount();
    std::error_code ignored;
    if (!m_work.empty()) fs::remove_all(m_work, ignored);
  }
  CaseInsensitiveMount(const CaseInsensitiveMount&) = delete;
  CaseInsensitiveMount& operator=(const CaseInsensitiveMount&) = delete;

  // Mounts the first file system that works; the reasons of those that did not otherwise.
  std::optional<std::string> mount() {
    if (m_work.empty()) return "no scratch folder";
    fs::create_directory(mountPoint());
    std::string reasons;
    for (auto attempt : {&CaseInsensitiveMount::mountTmpfs, &CaseInsensitiveMount::mountExt4,
                         &CaseInsensitiveMount::mountExfat}) {
      std::string reason = (this->*attempt)();
      if (reason.empty() && ignoresCase(m_folder)) return std::nullopt;
      reasons += (reasons.empty() ? "" : "; ") + (reason.empty() ? "mounted, but case is not folded" : reason);
      unmount();
    }
    return reasons;
  }

  const fs::path& folder() const { return m_folder; }

 private:
  fs::path mountPoint() const { return m_work / "mnt"; }
  fs::path image() const { return m_work / "image"; }

  // Runs a shell command whose words are this fixture's own paths; its output goes to a log.
  bool run(const std::string& command) const {
    const std::string log = (m_work / "log").string();
    return std::system(("(" + command + ") >>'" + log + "' 2>&1").c_str()) == 0;
  }

  std::string mountTmpfs() {
    if (::mount("tmpfs", mountPoint().c_str(), "tmpfs", 0, "casefold,size=16m") != 0)
      return "tmpfs casefold: " + std::string(std::strerror(errno));
    m_mounted = true;
    return casefoldedSubfolder("tmpfs casefold");
  }

  std::string mountExt4() {
    if (!run("truncate -s 16M '" + image().string() + "' && mkfs.ext4 -q -F -O casefold -E encoding=utf8 '" +
             image().string() + "'"))
      return "ext4 casefold: mkfs.ext4 failed";
    if (!attachLoopDevice()) return "ext4 casefold: no loop device";
    if (::mount(m_loopDevice.c_str(), mountPoint().c_str(), "ext4", 0, nullptr) != 0)
      return "ext4 casefold: " + std::string(std::strerror(errno));
    m_mounted = true;
    return casefoldedSubfolder("ext4 casefold");
  }

  std::string mountExfat() {
    if (!run("truncate -s 16M '" + image().string() + "' && mkfs.exfat '" + image().string() + "'"))
      return "exFAT: mkfs.exfat missing or failed";
    if (!attachLoopDevice()) return "exFAT: no loop device";
    if (!run("mount.exfat-fuse '" + m_loopDevice + "' '" + mountPoint().string() + "'"))
      return "exFAT: mount.exfat-fuse missing or failed";
    m_mounted = true;
    m_folder = mountPoint();
    return {};
  }

  bool attachLoopDevice() {
    const fs::path device = m_work / "device";
    if (!run("losetup -f --show '" + image().string() + "' >'" + device.string() + "'")) return false;
    m_loopDevice = readBytes(device);
    while (!m_loopDevice.empty() && m_loopDevice.back() == '\n') m_loopDevice.pop_back();
    return !m_loopDevice.empty();
  }

  // The mount point itself cannot fold case: a new folder below it gets the flag.
  std::string casefoldedSubfolder(const std::string& kind) {
    m_folder = mountPoint() / "folded";
    fs::create_directory(m_folder);
    return setCasefold(m_folder) ? std::string() : kind + ": the folder flag is refused";
  }

  void unmount() {
    if (m_mounted && ::umount2(mountPoint().c_str(), 0) != 0) ::umount2(mountPoint().c_str(), MNT_DETACH);
    m_mounted = false;
    if (!m_loopDevice.empty()) run("losetup -d '" + m_loopDevice + "'");
    m_loopDevice.clear();
    std::error_code ignored;
    fs::remove(image(), ignored);
  }

  fs::path m_work;
  fs::path m_folder;
  std::string m_loopDevice;
  bool m_mounted = false;
};

struct RealCaseFolding : ::testing::Test {
  CaseInsensitiveMount mount;
  FileList list;
  ChangeHistory history;
  SystemFileAccess files;
  std::vector<std::string> questions;
  OverwriteAnswer answer = OverwriteAnswer::No;

  void SetUp() override {
    if (std::optional<std::string> reason = mount.mount())
      GTEST_SKIP() << "no case-insensitive file system could be mounted here: " << *reason;
  }
  std::string folder() const { return mount.folder().string() + "/"; }
  void file(const std::string& name, const std::string& content) { writeBytes(mount.folder() / name, content); }
  void row(const std::string& name, const std::string& planned) { list.append(FileEntry{folder(), name, planned}); }
  RunReport run() {
    RunCallbacks callbacks{[this](const std::string& text) {
                             questions.push_back(text);
                             return answer;
                           },
                           {}, 500};
    return actFileListExecute(list, history, files, nativeNamesAsTheyAre(), callbacks);
  }
};

// exFAT through FUSE has neither RENAME_NOREPLACE nor hard links: the primitive still moves,
// and still refuses a target that exists in any spelling.
TEST_F(RealCaseFolding, RenameFileMovesFilesAndFoldersButReplacesNothingUnlessAllowed) {
  file("a", "A");
  file("B", "B");
  fs::create_directory(mount.folder() / "sub");
  EXPECT_EQ(RenameFile(folder() + "a", folder() + "b", false).error, EEXIST);
  EXPECT_EQ(RenameFile(folder() + "sub", folder() + "A", false).error, EEXIST);
  EXPECT_TRUE(RenameFile(folder() + "a", folder() + "c", false).ok());
  EXPECT_TRUE(RenameFile(folder() + "sub", folder() + "moved", false).ok());
  EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"B", "B"}, {"c", "A"}, {"moved", "<dir>"}}));
  EXPECT_TRUE(RenameFile(folder() + "c", folder() + "b", true).ok());
  EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"b", "A"}, {"moved", "<dir>"}}));
}

TEST_F(RealCaseFolding, ACaseChangeChangesTheStoredNameAndIsUndone) {
  file("abc.txt", "abc");
  row("abc.txt", "ABC.txt");
  RunReport report = run();
  EXPECT_EQ(questions.size(), 1u) << "the existing entry is the file itself, stored as abc.txt";
  EXPECT_EQ(report.failed, 0u) << ::testing::PrintToString(report.log);
  EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"ABC.txt", "abc"}})) << "no temporary name is left";
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history.record(0).nameAfter, "ABC.txt");

  history.setChecked(0, true);
  UndoReport undo = undoCheckedRecords(history, files, nativeNamesAsTheyAre());
  EXPECT_EQ(undo.undone, 1u) << undo.statusText();
  EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"abc.txt", "abc"}}));
}

TEST_F(RealCaseFolding, PlannedNamesDifferingInCaseOnlyPassTheCheckButNameOneFile) {
  file("a", "A");
  file("b", "B");
  row("a", "X.txt");
  row("b", "x.txt");
  RunReport report = run();
  EXPECT_EQ(report.outcome, RunOutcome::Finished) << "no duplicate for the check";
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(report.succeeded, 1u);
  ASSERT_EQ(report.failed, 1u);
  EXPECT_NE(report.log[0].find(folder() + "b -> " + folder() + "x.txt: " + RenameStatus{EEXIST}.reason()),
            std::string::npos)
      << report.log[0];
  EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"X.txt", "A"}, {"b", "B"}}));
}

TEST_F(RealCaseFolding, AnotherFileStoredInOtherCaseAsksOnceAndOnlyYesReplacesIt) {
  for (OverwriteAnswer given : {OverwriteAnswer::No, OverwriteAnswer::Yes}) {
    file("Photo.JPG", "old");
    file("other", "new");
    list.clear();
    questions.clear();
    row("other", "photo.jpg");
    answer = given;
    RunReport report = run();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "\"photo.jpg\"" + std::string(text::kOverwriteQuestionTail));
    if (given == OverwriteAnswer::No) {
      EXPECT_EQ(report.failed, 1u);
      EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"Photo.JPG", "old"}, {"other", "new"}}));
      continue;
    }
    EXPECT_EQ(report.failed, 0u);
    const Contents contents = contentsOf(mount.folder());
    ASSERT_EQ(contents.size(), 1u);
    EXPECT_EQ(contents.begin()->second, "new");
    EXPECT_EQ(readBytes(mount.folder() / "photo.jpg"), "new");
  }
}

TEST_F(RealCaseFolding, ASwapThroughStoredSpellingsGoesThroughATemporaryName) {
  // B.txt names the file stored as b.txt, the source of the second row, and A.txt the first's.
  file("a.txt", "a");
  file("b.txt", "b");
  row("a.txt", "B.txt");
  row("b.txt", "A.txt");
  answer = OverwriteAnswer::No;
  RunReport report = run();
  EXPECT_EQ(report.failed, 0u) << ::testing::PrintToString(report.log);
  EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"A.txt", "b"}, {"B.txt", "a"}}));
}

// A file typed in another case than it is stored is still that file: with replacing allowed,
// a row planned onto it waits for the row that moves it instead of replacing it.
TEST_F(RealCaseFolding, ARowsFileTypedInOtherCaseIsNeverReplaced) {
  file("a.txt", "a");
  file("b.txt", "b");
  row("A.TXT", "c.txt");
  row("b.txt", "a.txt");
  answer = OverwriteAnswer::Yes;
  RunReport report = run();
  EXPECT_EQ(report.failed, 0u) << ::testing::PrintToString(report.log);
  EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"a.txt", "b"}, {"c.txt", "a"}}));
}

// Two runs that change the case there and back, undone together: newest first, as if one at a
// time, the file ends under its first spelling. (Through FUSE the same file has another inode
// number under each spelling looked up, so only the spelling can tell the two apart here.)
TEST_F(RealCaseFolding, CaseChangesOfTwoRunsAreUndoneTogether) {
  file("c1.txt", "c");
  row("c1.txt", "C1.txt");
  answer = OverwriteAnswer::Yes;
  ASSERT_EQ(run().failed, 0u);
  list.clear();
  row("C1.txt", "c1.txt");
  ASSERT_EQ(run().failed, 0u);
  ASSERT_EQ(history.size(), 2u);
  history.checkRows({0, 1});
  const UndoReport undo = undoCheckedRecords(history, files, nativeNamesAsTheyAre());
  EXPECT_EQ(undo.failed, 0u) << undo.statusText();
  EXPECT_EQ(contentsOf(mount.folder()), (Contents{{"c1.txt", "c"}}));
}

}  // namespace
}  // namespace namitra::rename
