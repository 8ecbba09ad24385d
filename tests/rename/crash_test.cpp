// The rename run and its undo killed for real, and recovered. A child process runs the core's
// own job (actFileListExecute, undoCheckedRecords) with its run record in a data folder and is
// killed: just before each of its renames in turn; just before each of its system calls that
// change the disk in turn, the record's own writes and flushes and the steps of a copy to
// another file system among them; and at random moments of a batch of 2,000 files and of a
// copy of several MiB. The parent then claims the record and finishes or rolls the job back,
// each direction on a fresh copy of the same files, and compares the disk with exactly what
// the direction promises: every file under its old name (rollback) or its planned name
// (finish), every content at one path, no temporary or scratch name in any folder, the
// other file systems and the data folder included, and no record left. A job killed before its
// record stood must have moved nothing. Finished as the window does it at start-up, the run
// leaves a history that holds exactly the renames that stand, and undoing it brings every file
// back.
//
// What "exactly" means comes from the job run once in this process, undisturbed: the disk
// before it and after each of its stretches (an undo reverses its records in stretches, each a
// batch with a record of its own), and the steps each record holds. Rolling back can bring back
// everything but a target the run replaced and deleted before the kill.
//
// A kill between creating a record and giving it its name leaves a staging file
// ("run-*.new"). While it is under a minute old no look at the data folder takes it (its writer
// may be about to lock it); the test checks that, then ages it past the minute, and the next
// look must delete it.
//
// Kills at system calls need ptrace and seccomp; moves to another file system need a tmpfs,
// and replacing a target there needs one that ignores letter case (the run asks before
// replacing only a file stored in other letter case): tmpfs with casefold, else exFAT through
// FUSE. Each is skipped with the reason where it cannot be had.
#include "rename/interrupted_run.h"
#include "rename/rename_run.h"
#include "rename/run_record.h"
#include "rename/run_recovery.h"

#include "../platform/temp_folder.h"
#include "fault_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/fs.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace namitra::rename {
namespace {

namespace fs = std::filesystem;
using platform::testing::readBytes;
using platform::testing::TempFolder;
using platform::testing::writeBytes;
using testing::Mount;
using Contents = std::map<std::string, std::string>;
using Names = std::vector<std::string>;

constexpr const char* kFolder = "<dir>";
constexpr const char* kData = "data";
constexpr const char* kOther = "other";      // the mount point of a second file system
constexpr const char* kFoldingMount = "fm";  // the mount point of one that can ignore case
constexpr const char* kFolded = "fm/ci";     // ... in this folder

// --- The scenarios ---

struct Row {
  std::string folder;  // relative to the test folder, with its trailing "/", or empty
  std::string name;
  std::string planned;  // a "/" in it names a path below `folder`
};

struct Scenario {
  const char* name;
  Contents before;  // relative paths; the mount points are listed, and exist already
  std::vector<Row> rows;
  Contents after;
  std::string replaced;  // the existing target the run replaces (asked, answered Yes); empty: none
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

bool needs(const Scenario& scenario, const char* mountPoint) { return scenario.before.count(mountPoint) != 0; }

const Scenario kPlain{
    "plain_renames", {{"x", "X"}, {"z", "Z"}}, {{"", "x", "y"}, {"", "z", "w"}}, {{"y", "X"}, {"w", "Z"}}, {}};
const Scenario kChain{"chain",
                      {{"a", "A"}, {"b", "B"}, {"c", "C"}},
                      {{"", "a", "b"}, {"", "b", "c"}, {"", "c", "d"}},
                      {{"b", "A"}, {"c", "B"}, {"d", "C"}}, {}};
const Scenario kSwap{"swap", {{"a", "A"}, {"b", "B"}}, {{"", "a", "b"}, {"", "b", "a"}}, {{"a", "B"}, {"b", "A"}}, {}};
const Scenario kCycle{"three_cycle",
                      {{"a", "A"}, {"b", "B"}, {"c", "C"}},
                      {{"", "a", "b"}, {"", "b", "c"}, {"", "c", "a"}},
                      {{"a", "C"}, {"b", "A"}, {"c", "B"}}, {}};
// A swap and a rename inside a folder that is renamed in the same run.
const Scenario kFolderWithItsFiles{"folder_with_its_files",
                                   {{"d", kFolder}, {"d/x", "X"}, {"d/y", "Y"}, {"d/f", "F"}, {"d/keep", "K"}},
                                   {{"d/", "x", "y"}, {"d/", "y", "x"}, {"d/", "f", "g"}, {"", "d", "e"}},
                                   {{"e", kFolder}, {"e/x", "Y"}, {"e/y", "X"}, {"e/g", "F"}, {"e/keep", "K"}}, {}};
const Scenario kAcross{"across_file_systems",
                       {{kOther, kFolder}, {"a", "A"}, {"b", "B"}},
                       {{"", "a", "other/a"}, {"", "b", "other/b"}},
                       {{kOther, kFolder}, {"other/a", "A"}, {"other/b", "B"}}, {}};
// "B" is stored in other letter case than planned: the run asks, and replaces it.
const Scenario kAcrossReplacing{"across_file_systems_replacing",
                                {{kFoldingMount, kFolder}, {kFolded, kFolder}, {"a", "A"}, {"fm/ci/B", "old B"}},
                                {{"", "a", "fm/ci/b"}},
                                {{kFoldingMount, kFolder}, {kFolded, kFolder}, {"fm/ci/b", "A"}},
                                "fm/ci/B"};
const Scenario kMix{"mix_of_all",
                    {{kOther, kFolder}, {"p", "P"}, {"c1", "C1"}, {"c2", "C2"}, {"s1", "S1"}, {"s2", "S2"},
                     {"y1", "Y1"}, {"y2", "Y2"}, {"y3", "Y3"}, {"d", kFolder}, {"d/i", "I"}, {"d/j", "J"}, {"m", "M"}},
                    {{"", "p", "q"},
                     {"", "c1", "c2"},
                     {"", "c2", "c3"},
                     {"", "s1", "s2"},
                     {"", "s2", "s1"},
                     {"", "y1", "y2"},
                     {"", "y2", "y3"},
                     {"", "y3", "y1"},
                     {"d/", "i", "k"},
                     {"", "d", "e"},
                     {"", "m", "other/m"}},
                    {{kOther, kFolder}, {"q", "P"}, {"c2", "C1"}, {"c3", "C2"}, {"s2", "S1"}, {"s1", "S2"},
                     {"y2", "Y1"}, {"y3", "Y2"}, {"y1", "Y3"}, {"e", kFolder}, {"e/k", "I"}, {"e/j", "J"},
                     {"other/m", "M"}},
                    {}};

std::string numbered(char prefix, int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%c%04d", prefix, number);
  return name;
}

// 2,000 files: a chain of 600, 500 swaps, 400 plain renames.
Scenario largeBatch() {
  Scenario s{"large_batch", {}, {}, {}, {}};
  for (int i = 0; i < 2000; ++i) s.before[numbered('f', i)] = "content " + std::to_string(i);
  auto row = [&s](int i, const std::string& to) {
    s.rows.push_back({"", numbered('f', i), to});
    s.after[to] = s.before[numbered('f', i)];
  };
  for (int i = 0; i < 600; ++i) row(i, i < 599 ? numbered('f', i + 1) : numbered('h', i));
  for (int i = 600; i < 1600; i += 2) {
    row(i, numbered('f', i + 1));
    row(i + 1, numbered('f', i));
  }
  for (int i = 1600; i < 2000; ++i) row(i, numbered('p', i));
  return s;
}

std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7919 % 251);
  return bytes;
}

// A copy of 3 MiB to the other file system, beside a small one, or replacing a target there.
Scenario largeCopy(bool replacing) {
  const std::string big = patterned(3 << 20);
  if (!replacing)
    return {"large_copy",
            {{kOther, kFolder}, {"big", big}, {"small", "S"}},
            {{"", "big", "other/big"}, {"", "small", "other/small"}},
            {{kOther, kFolder}, {"other/big", big}, {"other/small", "S"}},
            {}};
  return {"large_copy_replacing",
          {{kFoldingMount, kFolder}, {kFolded, kFolder}, {"big", big}, {"fm/ci/B", "old B"}},
          {{"", "big", "fm/ci/b"}},
          {{kFoldingMount, kFolder}, {kFolded, kFolder}, {"fm/ci/b", big}},
          "fm/ci/B"};
}

// --- Comparing disks ---

std::string shortened(const std::string& content) {
  return content.size() <= 40 ? "\"" + content + "\"" : "<" + std::to_string(content.size()) + " bytes>";
}

// Only what differs: the disks of the large scenarios would be megabytes in a message.
std::string differences(const Contents& found, const Contents& wanted) {
  std::string text;
  for (const auto& [path, content] : found) {
    const auto match = wanted.find(path);
    if (match == wanted.end())
      text += "\n  not wanted: " + path + " " + shortened(content);
    else if (match->second != content)
      text += "\n  " + path + " holds " + shortened(content) + ", wanted " + shortened(match->second);
  }
  for (const auto& [path, content] : wanted)
    if (!found.count(path)) text += "\n  missing: " + path + " " + shortened(content);
  return text;
}

void expectDisk(const Contents& found, const Contents& wanted) {
  EXPECT_TRUE(found == wanted) << "the disk differs:" << differences(found, wanted);
}

// A replaced target set aside and put back by a rollback comes back under the planned name: on
// a folder that ignores case that may differ from its old name in letter case alone (the run
// record keeps the planned name, not the old spelling). Same file, same content, same folder.
void respellReplaced(Contents& found, const std::string& replaced) {
  if (found.count(replaced)) return;
  auto lower = [](std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
  };
  for (auto entry = found.begin(); entry != found.end(); ++entry) {
    if (lower(entry->first) != lower(replaced)) continue;
    std::string content = entry->second;
    found.erase(entry);
    found[replaced] = std::move(content);
    return;
  }
}

void expectNoScratchNames(const Contents& found) {
  for (const auto& entry : found)
    EXPECT_FALSE(fs::path(entry.first).filename().string().starts_with(".namitra-")) << "left: " << entry.first;
}

Contents without(Contents contents, const std::string& path) {
  contents.erase(path);
  return contents;
}

// --- Child processes ---

struct ChildEnd {
  bool killed = false;  // by SIGKILL, the test's kill
  int exitCode = 0;     // else its exit code, or minus the signal that ended it
};

ChildEnd endOf(int status) {
  if (WIFSIGNALED(status)) return {WTERMSIG(status) == SIGKILL, -WTERMSIG(status)};
  return {false, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

ChildEnd waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return endOf(status);
}

// Runs `body` in a child process, which leaves through _exit: none of this process's
// destructors (the test folder's among them) may run there.
ChildEnd inChild(const std::function<void()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  return waitFor(pid);
}

// When to kill a child: after it has reported its progress `reports` times, and `delay` later.
struct Moment {
  std::size_t reports = 0;
  std::chrono::microseconds delay{0};
};

// Runs `body` in a child process, handing it the pipe to report its progress on, and kills it
// at `moment` (unless it ended before).
ChildEnd killedAt(const std::function<void(int report)>& body, Moment moment) {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return {};
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe[0]);
    body(pipe[1]);
    ::_exit(0);
  }
  ::close(pipe[1]);
  char report;
  for (std::size_t got = 0; got < moment.reports && ::read(pipe[0], &report, 1) == 1;) ++got;
  std::this_thread::sleep_for(moment.delay);
  ::kill(pid, SIGKILL);
  ::close(pipe[0]);
  return waitFor(pid);
}

constexpr int kCannotTrace = 97;

// The system calls that may change what is on disk; openat only when it opens for writing.
constexpr long kMayChangeDisk[] = {
#ifdef SYS_open
    SYS_open, SYS_creat, SYS_rename, SYS_link, SYS_unlink, SYS_mkdir, SYS_rmdir, SYS_chmod, SYS_chown, SYS_lchown,
#endif
    SYS_openat, SYS_write, SYS_pwrite64, SYS_writev, SYS_fsync, SYS_fdatasync, SYS_renameat, SYS_renameat2,
    SYS_linkat, SYS_unlinkat, SYS_mkdirat, SYS_fchmod, SYS_fchmodat, SYS_fchown, SYS_fchownat, SYS_utimensat,
    SYS_ftruncate, SYS_fallocate, SYS_copy_file_range, SYS_sendfile,
};

bool changesDisk(std::uint64_t call, const std::uint64_t (&arguments)[6]) {
  constexpr std::uint64_t kWriting = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC;
  if (static_cast<long>(call) == SYS_openat) return (arguments[2] & kWriting) != 0;
#ifdef SYS_open
  if (static_cast<long>(call) == SYS_open) return (arguments[1] & kWriting) != 0;
#endif
  return true;
}

// A seccomp filter that hands those calls to the tracer and lets every other one through, so
// that the tracer stops the child a few dozen times per job rather than at each of its calls.
std::vector<sock_filter> diskWriteFilter() {
  std::vector<sock_filter> filter{BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
  for (long call : kMayChangeDisk) {
    filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(call), 0, 1));
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRACE));
  }
  filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  return filter;
}

// Runs `body` in a child process traced by this one, which kills it just before its
// `killAt`-th system call that changes the disk (counted from 1).
ChildEnd killedAtDiskWrite(const std::function<void()>& body, std::size_t killAt) {
  std::vector<sock_filter> filter = diskWriteFilter();
  const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0 || ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
      ::_exit(kCannotTrace);
    ::raise(SIGSTOP);
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFSTOPPED(status)) return endOf(status);
  ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACESECCOMP | PTRACE_O_EXITKILL));
  std::size_t writes = 0;
  int signal = 0;
  for (;;) {
    ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<std::intptr_t>(signal)));
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) || WIFSIGNALED(status)) return endOf(status);
    signal = 0;
    if (status >> 8 != (SIGTRAP | (PTRACE_EVENT_SECCOMP << 8))) {  // a signal for the child, passed on
      signal = WSTOPSIG(status);
      continue;
    }
    __ptrace_syscall_info call{};
    if (::ptrace(PTRACE_GET_SYSCALL_INFO, pid, reinterpret_cast<void*>(sizeof call), &call) <= 0) continue;
    if (!changesDisk(call.seccomp.nr, call.seccomp.args) || ++writes < killAt) continue;
    ::kill(pid, SIGKILL);
    return waitFor(pid);
  }
}

// --- File systems ---

bool ignoresCase(const fs::path& folder) {
  writeBytes(folder / "Probe", "");
  const bool folds = identityAt((folder / "pROBE").string()).known();
  fs::remove(folder / "Probe");
  return folds;
}

bool setCasefold(const fs::path& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  int flags = 0;
  bool set = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
  flags |= FS_CASEFOLD_FL;
  set = set && ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(descriptor);
  return set;
}

// A folder that ignores letter case, "ci" below `mountPoint`, on a file system of its own:
// tmpfs with casefold where the kernel folds case, else exFAT through FUSE (packages exfatprogs
// and exfat-fuse) on a loop device, its image outside the test's folder.
class FoldingMount {
 public:
  explicit FoldingMount(fs::path mountPoint) : m_mountPoint(std::move(mountPoint)) {
    const std::string tmpfs = mountTmpfs();
    if (tmpfs.empty()) return;
    const std::string exfat = mountExfat();
    if (!exfat.empty()) m_problem = tmpfs + "; " + exfat;
  }
  ~FoldingMount() { unmount(); }
  FoldingMount(const FoldingMount&) = delete;
  FoldingMount& operator=(const FoldingMount&) = delete;

  const std::string& problem() const { return m_problem; }

  // Makes a new, empty folder of the mount ignore case; whether it does.
  bool makeFolding(const fs::path& folder) const {
    return (m_tmpfs ? setCasefold(folder) : true) && ignoresCase(folder);
  }

 private:
  std::string mountTmpfs() {
    if (::mount("namitra-test", m_mountPoint.c_str(), "tmpfs", 0, "casefold,size=32m") != 0)
      return std::string("tmpfs casefold: ") + std::strerror(errno);
    m_mounted = true;
    fs::create_directory(m_mountPoint / "ci");
    m_tmpfs = true;
    if (makeFolding(m_mountPoint / "ci")) return {};
    m_tmpfs = false;
    unmount();
    return "tmpfs casefold: the folder does not fold case";
  }

  std::string mountExfat() {
    const std::string image = (m_scratch / "image").string();
    const std::string device = (m_scratch / "device").string();
    if (!shell("truncate -s 64M '" + image + "' && mkfs.exfat '" + image + "'"))
      return "exFAT: mkfs.exfat missing or failed";
    if (!shell("losetup -f --show '" + image + "' >'" + device + "'")) return "exFAT: no loop device";
    m_loopDevice = readBytes(device);
    while (!m_loopDevice.empty() && m_loopDevice.back() == '\n') m_loopDevice.pop_back();
    if (!shell("mount.exfat-fuse '" + m_loopDevice + "' '" + m_mountPoint.string() + "'"))
      return "exFAT: mount.exfat-fuse missing or failed";
    m_mounted = true;
    fs::create_directory(m_mountPoint / "ci");
    if (makeFolding(m_mountPoint / "ci")) return {};
    unmount();
    return "exFAT: mounted, but case is not folded";
  }

  void unmount() {
    if (m_mounted && ::umount2(m_mountPoint.c_str(), 0) != 0) ::umount2(m_mountPoint.c_str(), MNT_DETACH);
    m_mounted = false;
    if (!m_loopDevice.empty()) shell("losetup -d '" + m_loopDevice + "'");
    m_loopDevice.clear();
  }

  // The command's words are this fixture's own paths; its output goes to a log.
  bool shell(const std::string& command) const {
    return std::system(("(" + command + ") >>'" + (m_scratch / "log").string() + "' 2>&1").c_str()) == 0;
  }

  fs::path m_mountPoint;
  TempFolder m_scratch;
  std::string m_loopDevice;
  bool m_mounted = false;
  bool m_tmpfs = false;
  std::string m_problem;
};

// --- File access that stops the process ---

// The real file system; the process is killed just before its `killAt`-th rename (from 1).
class KillingFiles : public SystemFileAccess {
 public:
  explicit KillingFiles(std::size_t killAt) : m_killAt(killAt) {}
  RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                      const MoveScratch* scratch = nullptr) override {
    if (++m_renames == m_killAt) ::raise(SIGKILL);
    return SystemFileAccess::rename(from, to, replaceAllowed, scratch);
  }

 private:
  std::size_t m_killAt;
  std::size_t m_renames = 0;
};

// The real file system, telling `before` of each rename (counted from 1) before it is made.
class ObservingFiles : public SystemFileAccess {
 public:
  std::function<void(std::size_t rename, bool replaceAllowed)> before;
  RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                      const MoveScratch* scratch = nullptr) override {
    before(++m_renames, replaceAllowed);
    return SystemFileAccess::rename(from, to, replaceAllowed, scratch);
  }

 private:
  std::size_t m_renames = 0;
};

constexpr RecoveryDirection kDirections[] = {RecoveryDirection::Finish, RecoveryDirection::Rollback};

const char* nameOf(RecoveryDirection direction) {
  return direction == RecoveryDirection::Finish ? "finish" : "rollback";
}

std::string reasonsOf(const RecoveryReport& report) {
  std::string text;
  for (std::size_t k = 0; k < report.steps.size(); ++k)
    if (!report.steps[k].reason.empty()) text += "\n  step " + std::to_string(k) + ": " + report.steps[k].reason;
  return text;
}

std::vector<std::string> stepsOf(const RunRecord& record) {
  std::vector<std::string> steps;
  for (const RunStep& step : record.steps) steps.push_back(step.from + " -> " + step.to);
  return steps;
}

enum class Job { Rename, Undo };

// What the job does when nothing stops it.
struct Reference {
  std::vector<Contents> checkpoints;                // the disk before it and after each stretch
  std::vector<std::vector<std::string>> stretches;  // the steps of each stretch's record
  std::vector<std::size_t> firstRename;             // the rename each stretch begins with
  std::size_t renames = 0;
  std::size_t replacingRename = 0;                  // the rename that replaced a target; 0: none
  std::chrono::microseconds took{0};
};

// Where a kill left the job, as recovery found it.
struct Landing {
  bool recovered = false;   // a complete record was claimed and the job recovered from it
  std::size_t at = 0;       // the record's stretch; else the checkpoint the disk was at
  bool targetLost = false;  // rolled back with the replaced target gone for good
  // Between stretches (even) or within one (odd): no later kill may find the job less far.
  std::size_t position() const { return recovered ? 2 * at + 1 : 2 * at; }
};

class CrashTest : public ::testing::Test {
 protected:
  TempFolder dir;
  // The test folder gets a tmpfs of its own where it can, so that the job's flushes cost
  // nothing: a kill leaves the same files on any file system, and there are thousands of them.
  std::optional<Mount> own;
  fs::path root;  // the test folder, without symbolic links
  std::optional<Mount> other;
  std::optional<FoldingMount> folding;
  SystemFileAccess files;
  FileList list;
  std::optional<ChangeHistory> history;
  RunRecording recording;
  ProgressCallback progress;
  Reference reference;

  void SetUp() override {
    own.emplace(Mount::tmpfs(dir.path(), std::size_t{64} << 20));
    root = fs::canonical(dir.path());
    fs::create_directory(root / kData);
    recording.dataFolder = root / kData;
  }

  // Empty when the scenario's file systems are there, else why they cannot be.
  std::string mountFor(const Scenario& s) {
    if (needs(s, kOther) && !other) {
      fs::create_directory(root / kOther);
      other.emplace(Mount::tmpfs(root / kOther, std::size_t{32} << 20));
      if (!other->problem().empty()) return other->problem();
    }
    if (needs(s, kFoldingMount) && !folding) {
      fs::create_directory(root / kFoldingMount);
      folding.emplace(root / kFoldingMount);
      if (!folding->problem().empty()) return folding->problem();
    }
    return {};
  }

  fs::path data() const { return root / kData; }
  std::string full(const std::string& relative) const { return root.string() + "/" + relative; }

  Names dataEntries() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(data())) names.push_back(entry.path().filename().string());
    return names;
  }

  // Every entry below the test folder but the data folder, by its relative path, with its
  // content (folders as "<dir>"). Paths are cut, not made relative through the file system as
  // contentsBelow does: that costs a dozen system calls a file, and the batch has 2,000.
  Contents filesNow() const {
    Contents contents;
    const std::size_t prefix = root.native().size() + 1;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
      if (it->path() == data()) {
        it.disable_recursion_pending();
        continue;
      }
      contents[it->path().native().substr(prefix)] = it->is_directory() ? kFolder : readBytes(it->path());
    }
    return contents;
  }

  // The disk as `contents` says, in an emptied test folder.
  void lay(const Contents& contents) {
    empty(root);
    for (const auto& [path, content] : contents) {
      if (content == kFolder)
        fs::create_directories(root / path);
      else
        writeBytes(root / path, content);
      if (path == kFolded) {
        ASSERT_TRUE(folding->makeFolding(root / path));
      }
    }
  }

  // Everything goes but the data folder and the mount points, which are emptied instead. The
  // folder that ignores case goes too: exFAT through FUSE keeps a name looked up in one spelling
  // after its file was renamed through another, and a new folder is the way to forget it.
  void empty(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      const fs::path& path = entry.path();
      if (path == data() || path == root / kOther || path == root / kFoldingMount)
        empty(path);
      else
        fs::remove_all(path);
    }
  }

  RunCallbacks callbacks() const {
    return RunCallbacks{[](const std::string&) { return OverwriteAnswer::Yes; }, progress, 100, &recording};
  }

  // The scenario's files, its list and an empty history; for an undo, the files renamed as
  // planned (without a record) and every record checked.
  void prepare(const Scenario& s, Job job) {
    lay(s.before);
    list.clear();
    for (const Row& row : s.rows) list.append(FileEntry{full(row.folder), row.name, row.planned});
    history.emplace();
    if (job == Job::Rename) return;
    RunCallbacks unrecorded = callbacks();
    unrecorded.recording = nullptr;
    const RunReport report = actFileListExecute(list, *history, files, nativeNamesAsTheyAre(), unrecorded);
    ASSERT_EQ(report.failed, 0u) << ::testing::PrintToString(report.log);
    for (std::size_t i = 0; i < history->size(); ++i) history->setChecked(i, true);
  }

  // The job with its record, as the child runs it; how many of its files failed.
  std::size_t act(Job job, FileAccess& through) {
    if (job == Job::Rename)
      return actFileListExecute(list, *history, through, nativeNamesAsTheyAre(), callbacks()).failed;
    return undoCheckedRecords(*history, through, nativeNamesAsTheyAre(), {}, &recording).failed;
  }

  // The name of the record in the data folder; empty when there is none.
  std::string recordName() const {
    for (const std::string& name : dataEntries())
      if (name.ends_with(".record")) return name;
    return {};
  }

  // Runs the job here, undisturbed, and learns what it does.
  void learn(const Scenario& s, Job job) {
    prepare(s, job);
    ASSERT_FALSE(HasFatalFailure());
    reference = {};
    std::string stretchRecord;
    ObservingFiles observing;
    observing.before = [&](std::size_t rename, bool replaceAllowed) {
      reference.renames = rename;
      if (replaceAllowed) reference.replacingRename = rename;
      const std::string name = recordName();
      if (name.empty() || name == stretchRecord) return;
      stretchRecord = name;
      const ParsedRunRecord record = parseRunRecord(readBytes(data() / name));
      EXPECT_EQ(record.state, RecordState::Complete) << "the record stands whole before the first rename";
      reference.checkpoints.push_back(filesNow());
      reference.stretches.push_back(stepsOf(record.record));
      reference.firstRename.push_back(rename);
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(act(job, observing), 0u);
    reference.took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    reference.checkpoints.push_back(filesNow());
    EXPECT_EQ(dataEntries(), Names{});
    const bool rename = job == Job::Rename;
    expectDisk(reference.checkpoints.front(), rename ? s.before : s.after);
    expectDisk(reference.checkpoints.back(), rename ? s.after : without(s.before, s.replaced));
    if (rename) {
      EXPECT_EQ(reference.stretches.size(), 1u);
    }
    EXPECT_EQ(reference.replacingRename != 0, rename && !s.replaced.empty());
  }

  std::size_t stretchOf(const RunRecord& record) const {
    const auto found = std::find(reference.stretches.begin(), reference.stretches.end(), stepsOf(record));
    if (found != reference.stretches.end()) return static_cast<std::size_t>(found - reference.stretches.begin());
    ADD_FAILURE() << "a record the undisturbed job never wrote: " << ::testing::PrintToString(stepsOf(record));
    return 0;
  }

  std::size_t stretchOfRename(std::size_t rename) const {
    std::size_t stretch = 0;
    while (stretch + 1 < reference.firstRename.size() && reference.firstRename[stretch + 1] <= rename) ++stretch;
    return stretch;
  }

  void expectCompleted(const ChildEnd& end) {
    EXPECT_EQ(end.exitCode, 0) << "the job did not end by itself";
    EXPECT_FALSE(hasUnfinishedRun(data()));
    EXPECT_EQ(dataEntries(), Names{});
    expectDisk(filesNow(), reference.checkpoints.back());
  }

  // A staging file is left alone while it is fresh, and deleted once it is stale.
  void expectStagingHandled() {
    for (const std::string& name : dataEntries()) {
      if (!name.starts_with("run-") || !name.ends_with(".new")) continue;
      const fs::path path = data() / name;
      struct stat info {};
      ASSERT_EQ(::lstat(path.c_str(), &info), 0);
      const std::time_t now = std::time(nullptr);
      EXPECT_LT(now - info.st_mtime, 60);
      EXPECT_EQ(claimUnfinishedRun(data()), nullptr);
      EXPECT_TRUE(fs::exists(path)) << "a fresh staging file is left to its writer";
      const struct timespec aged[2] = {{now - 120, 0}, {now - 120, 0}};
      ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), aged, AT_SYMLINK_NOFOLLOW), 0);
      EXPECT_FALSE(hasUnfinishedRun(data()));
      EXPECT_FALSE(fs::exists(path)) << "a stale staging file is deleted";
    }
  }

  // After a kill: recovers the job in `direction` from its record, if one stands, and checks
  // the disk against what the undisturbed job showed.
  Landing recoverAfterKill(const Scenario& s, Job job, RecoveryDirection direction) {
    Landing landing;
    std::unique_ptr<ClaimedRunRecord> claimed = claimUnfinishedRun(data());
    if (claimed && claimed->contents().state == RecordState::Complete) {
      landing.recovered = true;
      landing.at = stretchOf(claimed->contents().record);
      const RecoveryReport report = recoverRun(claimed->contents().record, direction, files);
      EXPECT_TRUE(report.complete) << reasonsOf(report);
    } else if (claimed) {
      EXPECT_EQ(claimed->contents().state, RecordState::CutOff) << "a record no claim can read";
    }
    if (claimed) claimed->remove();
    claimed.reset();
    expectStagingHandled();
    EXPECT_FALSE(hasUnfinishedRun(data()));
    EXPECT_EQ(dataEntries(), Names{});
    Contents now = filesNow();
    expectNoScratchNames(now);
    if (!landing.recovered) {
      const auto found = std::find(reference.checkpoints.begin(), reference.checkpoints.end(), now);
      if (found == reference.checkpoints.end())
        ADD_FAILURE() << "killed with no record standing, yet files moved:"
                      << differences(now, reference.checkpoints[reference.checkpoints.size() - 2]);
      else
        landing.at = static_cast<std::size_t>(found - reference.checkpoints.begin());
      return landing;
    }
    const bool finish = direction == RecoveryDirection::Finish;
    Contents wanted = reference.checkpoints[landing.at + (finish ? 1 : 0)];
    if (!finish && job == Job::Rename && !s.replaced.empty()) respellReplaced(now, s.replaced);
    if (!finish && job == Job::Rename && !s.replaced.empty() && !now.count(s.replaced)) {
      landing.targetLost = true;
      wanted.erase(s.replaced);
    }
    expectDisk(now, wanted);
    return landing;
  }

  // Kills the job just before each of its renames in turn and recovers it both ways.
  void killAtEveryRename(const Scenario& s, Job job) {
    learn(s, job);
    if (HasFailure()) return;
    for (RecoveryDirection direction : kDirections) {
      for (std::size_t killAt = 1;; ++killAt) {
        SCOPED_TRACE(std::string(nameOf(direction)) + ", killed at rename " + std::to_string(killAt));
        prepare(s, job);
        ASSERT_FALSE(HasFatalFailure());
        KillingFiles killing(killAt);
        const ChildEnd end = inChild([&] { act(job, killing); });
        if (!end.killed) {
          EXPECT_EQ(killAt, reference.renames + 1);
          expectCompleted(end);
          break;
        }
        const Landing landing = recoverAfterKill(s, job, direction);
        EXPECT_TRUE(landing.recovered) << "the record stands before the first rename";
        EXPECT_EQ(landing.at, stretchOfRename(killAt));
        if (direction == RecoveryDirection::Rollback && reference.replacingRename != 0) {
          EXPECT_EQ(landing.targetLost, reference.replacingRename < killAt);
        }
        if (HasFailure()) return;
      }
    }
  }

  // Kills the job just before each of its system calls that change the disk, in turn, and
  // recovers it both ways.
  void killAtEveryDiskWrite(const Scenario& s, Job job) {
    learn(s, job);
    if (HasFailure()) return;
    for (RecoveryDirection direction : kDirections) {
      std::size_t position = 0;
      bool lost = false;
      std::set<std::size_t> stretchesRecovered;
      for (std::size_t killAt = 1;; ++killAt) {
        SCOPED_TRACE(std::string(nameOf(direction)) + ", killed at disk write " + std::to_string(killAt));
        prepare(s, job);
        ASSERT_FALSE(HasFatalFailure());
        const ChildEnd end = killedAtDiskWrite([&] { act(job, files); }, killAt);
        if (end.exitCode == kCannotTrace) GTEST_SKIP() << "this process may not trace its child";
        if (!end.killed) {
          expectCompleted(end);
          break;
        }
        const Landing landing = recoverAfterKill(s, job, direction);
        EXPECT_GE(landing.position(), position) << "a later kill found the job less far";
        position = landing.position();
        if (landing.recovered) stretchesRecovered.insert(landing.at);
        // Once the replacement stood, no later kill brings the old target back; a kill after the
        // run's end leaves nothing to recover and tells nothing here.
        EXPECT_TRUE(!landing.recovered || landing.targetLost || !lost) << "a replaced target lost at an earlier kill came back";
        lost = lost || landing.targetLost;
        if (HasFailure()) return;
      }
      EXPECT_EQ(position, 2 * reference.stretches.size()) << "the last kills came after the job's end";
      EXPECT_EQ(stretchesRecovered.size(), reference.stretches.size()) << "kills while each record stood";
      if (direction == RecoveryDirection::Rollback) {
        EXPECT_EQ(lost, reference.replacingRename != 0);
      }
    }
  }

  // Each record is a rename of the plan and each rename of the plan has one; each record's
  // file is at its new path, by identity, that path carried through the folder renames
  // recorded after it, and it holds the content of the file it renamed.
  void expectHistoryStands(const ChangeHistory& settled, const Scenario& s) {
    std::multiset<std::pair<std::string, std::string>> planned;
    std::multiset<std::pair<std::string, std::string>> recorded;
    for (const Row& row : s.rows) planned.emplace(full(row.folder + row.name), full(row.folder + row.planned));
    const std::vector<HistoryRecord> records = settled.records();
    for (const HistoryRecord& record : records) recorded.emplace(record.pathBefore(), record.pathAfter());
    EXPECT_EQ(recorded, planned);
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::string path = records[i].pathAfter();
      for (std::size_t j = i + 1; j < records.size(); ++j) {
        const std::string folder = records[j].pathBefore() + "/";
        if (path.starts_with(folder)) path = records[j].pathAfter() + path.substr(folder.size() - 1);
      }
      EXPECT_TRUE(records[i].identity.known()) << path;
      EXPECT_EQ(records[i].identity, identityAt(path)) << path << " is not the file its record names";
      const std::string& content = s.before.at(records[i].pathBefore().substr(root.string().size() + 1));
      if (content != kFolder) {
        EXPECT_EQ(shortened(readBytes(path)), shortened(content)) << path;
      }
    }
  }
};

// --- Every rename, every disk write ---

class KilledJob : public CrashTest, public ::testing::WithParamInterface<Scenario> {
 protected:
  void SetUp() override {
    CrashTest::SetUp();
    const std::string problem = mountFor(GetParam());
    if (!problem.empty()) GTEST_SKIP() << "cannot mount the file systems the scenario needs: " << problem;
  }
};

class RenameKilledAtEveryRename : public KilledJob {};

TEST_P(RenameKilledAtEveryRename, IsFinishedOrRolledBack) { killAtEveryRename(GetParam(), Job::Rename); }

INSTANTIATE_TEST_SUITE_P(Scenarios, RenameKilledAtEveryRename,
                         ::testing::Values(kPlain, kChain, kSwap, kCycle, kFolderWithItsFiles, kAcross,
                                           kAcrossReplacing, kMix),
                         [](const auto& info) { return std::string(info.param.name); });

// The undo's steps move the files back: finishing completes the undo, rolling back leaves the
// files as the run renamed them (for the stretch that was cut off). The mix holds every kind of
// plan; a folder with its files is undone in stretches; the copies go back across.
class UndoKilledAtEveryRename : public KilledJob {};

TEST_P(UndoKilledAtEveryRename, IsFinishedOrRolledBack) { killAtEveryRename(GetParam(), Job::Undo); }

INSTANTIATE_TEST_SUITE_P(Scenarios, UndoKilledAtEveryRename, ::testing::Values(kFolderWithItsFiles, kAcross, kMix),
                         [](const auto& info) { return std::string(info.param.name); });

// Killed at each system call that changes the disk: the record's creation, writing, flushing
// and removal, and every step of a copy to another file system, replacing or not. Within one
// file system a rename is one system call, so the kills at every rename above stand for the
// rest of the batch.
class RenameKilledAtDiskWrites : public KilledJob {};

TEST_P(RenameKilledAtDiskWrites, IsFinishedOrRolledBack) { killAtEveryDiskWrite(GetParam(), Job::Rename); }

INSTANTIATE_TEST_SUITE_P(Scenarios, RenameKilledAtDiskWrites, ::testing::Values(kPlain, kAcross, kAcrossReplacing),
                         [](const auto& info) { return std::string(info.param.name); });

// The undo of a folder with its files runs in stretches, each writing and removing a record of
// its own.
class UndoKilledAtDiskWrites : public KilledJob {};

TEST_P(UndoKilledAtDiskWrites, IsFinishedOrRolledBack) { killAtEveryDiskWrite(GetParam(), Job::Undo); }

INSTANTIATE_TEST_SUITE_P(Scenarios, UndoKilledAtDiskWrites, ::testing::Values(kFolderWithItsFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// As the window does at start-up: the run is finished, and the history then holds exactly the
// renames that stand, so that undoing it brings back every file. Renames inside a renamed
// folder and moves between file systems are where a record can name the wrong file.
class FinishedAtStartUp : public KilledJob {};

TEST_P(FinishedAtStartUp, TheHistoryHoldsTheRenamesThatStandAndUndoesThem) {
  const Scenario& s = GetParam();
  learn(s, Job::Rename);
  if (HasFailure()) return;
  const InternalName asItIs = [](std::string_view native) { return std::optional<std::string>(native); };
  for (std::size_t killAt = 1;; ++killAt) {
    SCOPED_TRACE("killed at rename " + std::to_string(killAt));
    prepare(s, Job::Rename);
    KillingFiles killing(killAt);
    if (!inChild([&] { act(Job::Rename, killing); }).killed) break;
    std::unique_ptr<ClaimedRunRecord> claimed = claimUnfinishedRun(data());
    ASSERT_TRUE(claimed);
    ChangeHistory settled;
    settleInterruptedRun(*claimed, InterruptedRunAnswer::Finish, settled, files, asItIs);
    claimed.reset();
    EXPECT_FALSE(hasUnfinishedRun(data()));
    expectDisk(filesNow(), s.after);
    expectHistoryStands(settled, s);
    for (std::size_t i = 0; i < settled.size(); ++i) settled.setChecked(i, true);
    const UndoReport undone = undoCheckedRecords(settled, files, nativeNamesAsTheyAre());
    EXPECT_EQ(undone.failed, 0u) << undone.firstReason;
    expectDisk(filesNow(), without(s.before, s.replaced));
    if (HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FinishedAtStartUp, ::testing::Values(kFolderWithItsFiles, kAcross, kMix),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Random moments ---

class KilledAtRandom : public CrashTest {
 protected:
  std::mt19937 random{20250611};

  std::chrono::microseconds upTo(std::chrono::microseconds limit) {
    return std::chrono::microseconds(std::uniform_int_distribution<std::int64_t>(0, limit.count())(random));
  }

  // Kills the job at each moment, alternating the direction of recovery; how many kills came
  // while its record stood.
  std::size_t killAtMoments(const Scenario& s, const std::vector<Moment>& moments) {
    std::size_t recovered = 0;
    for (std::size_t k = 0; k < moments.size() && !HasFailure(); ++k) {
      const RecoveryDirection direction = kDirections[k % 2];
      SCOPED_TRACE(std::string(nameOf(direction)) + " after " + std::to_string(moments[k].reports) + " reports and " +
                   std::to_string(moments[k].delay.count()) + " µs");
      prepare(s, Job::Rename);
      const ChildEnd end = killedAt(
          [&](int report) {
            progress = [report](std::size_t, std::size_t) {
              const char done = 1;
              if (::write(report, &done, 1) != 1) ::_exit(3);
            };
            act(Job::Rename, files);
          },
          moments[k]);
      if (!end.killed) {
        expectCompleted(end);
        continue;
      }
      recovered += recoverAfterKill(s, Job::Rename, direction).recovered ? 1 : 0;
    }
    return recovered;
  }
};

// Kills at random moments, and at random renames: after a random number of the batch's
// progress reports (one every 100 files), a little later.
TEST_F(KilledAtRandom, ABatchOf2000FilesIsFinishedOrRolledBack) {
  const Scenario s = largeBatch();
  learn(s, Job::Rename);
  if (HasFailure()) return;
  std::vector<Moment> moments;
  for (int k = 0; k < 2; ++k) moments.push_back({0, upTo(reference.took)});
  std::vector<Moment> duringRenames;
  for (int k = 0; k < 3; ++k)
    duringRenames.push_back(
        {std::uniform_int_distribution<std::size_t>(1, 15)(random), upTo(std::chrono::microseconds(300))});
  killAtMoments(s, moments);
  EXPECT_GT(killAtMoments(s, duringRenames), 0u) << "no kill came while the files were renamed";
}

class KilledDuringACopy : public KilledAtRandom, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    KilledAtRandom::SetUp();
    const std::string problem = mountFor(largeCopy(GetParam()));
    if (!problem.empty()) GTEST_SKIP() << "cannot mount the file systems the scenario needs: " << problem;
  }
};

TEST_P(KilledDuringACopy, IsFinishedOrRolledBack) {
  const Scenario s = largeCopy(GetParam());
  learn(s, Job::Rename);
  if (HasFailure()) return;
  std::vector<Moment> moments;
  for (int k = 0; k < 4; ++k) moments.push_back({0, upTo(reference.took)});
  killAtMoments(s, moments);
}

INSTANTIATE_TEST_SUITE_P(Targets, KilledDuringACopy, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "replacing" : "new_target"; });

}  // namespace
}  // namespace namitra::rename
