#include "rename/rename_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace namitra::rename {

namespace {

constexpr std::size_t kNameMax = 255;
// Scratch names of our own are drawn anew while one is taken; a folder that still answers
// EEXIST after this many fresh names is not going to stop answering it.
constexpr int kScratchAttempts = 100;

bool isWithinLimits(std::string_view path) {
  if (path.size() >= PATH_MAX) return false;
  if (path.size() <= kNameMax) return true;  // no name in it can be longer: the usual path
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end - start > kNameMax) return false;
    start = end + 1;
  }
  return true;
}

bool hasNul(std::string_view path) { return path.find('\0') != std::string_view::npos; }

RenameStatus lastError() { return {errno}; }

bool isFolderPath(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// --- Renames within one file system ---

// For file systems that have neither RENAME_NOREPLACE nor hard links (FAT and exFAT through
// FUSE, some network file systems): test, then move. Nothing atomic is left on such a file
// system; on a folder that ignores case the test finds the target in any spelling, as the
// flag would.
RenameStatus testThenRename(const std::string& from, const std::string& to) {
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) return {EEXIST};
  if (errno != ENOENT) return lastError();
  if (::rename(from.c_str(), to.c_str()) != 0) return lastError();
  return {};
}

bool noHardLinks(int error) { return error == EPERM || error == ENOSYS || error == ENOTSUP; }

// For file systems without RENAME_NOREPLACE: link refuses an existing target as well.
RenameStatus linkThenUnlink(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) != 0) {
    const int error = errno;
    return noHardLinks(error) ? testThenRename(from, to) : RenameStatus{error};
  }
  if (::unlink(from.c_str()) != 0) {
    RenameStatus status = lastError();
    ::unlink(to.c_str());
    return status;
  }
  return {};
}

bool flagUnsupported(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }

// Never destroys what is at `to`; EXDEV when the two paths are on different file systems.
RenameStatus renameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  const int error = errno;
  if (!flagUnsupported(error)) return {error};
  // A folder has no hard link; and rename(2) answers EINVAL itself for a folder moved into itself.
  return isFolderPath(from) ? testThenRename(from, to) : linkThenUnlink(from, to);
}

// rename(2) itself: atomic, and for two links to one inode it leaves both in place.
RenameStatus renameReplacing(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return lastError();
  return {};
}

// --- Moves between two file systems ---

// `name` in the folder that holds `path`.
std::string beside(const std::string& path, const std::string& name) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A short scratch name beside the target. It is not made from the target's name, which may
// already be as long as a name can be; the counter keeps threads of one process apart.
std::string ownScratchPath(const std::string& to, const char* suffix) {
  static std::atomic<unsigned long> counter{0};
  return beside(to, ".namitra-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + suffix);
}

// Some FUSE and network file systems cannot flush a folder, or a file, and say so; there is
// nothing more this process could do on them, so that answer counts as flushed.
bool flush(int descriptor) {
  if (::fsync(descriptor) == 0) return true;
  return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP;
}

// Makes the entries of the folder that holds `path` durable.
RenameStatus flushFolderOf(const std::string& path) {
  const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return lastError();
  const RenameStatus status = flush(folder) ? RenameStatus{} : lastError();
  ::close(folder);
  return status;
}

bool writeAll(int out, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t wrote = ::write(out, data, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return false;
    data += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

bool copyData(int in, int out) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!writeAll(out, buffer, static_cast<std::size_t>(got))) return false;
  }
}

// The owner goes first: a change of owner clears the set-user-ID and set-group-ID bits, which
// the mode then puts back. An owner this process may not give (it is not root) is left as the
// creator's, as cp does; the times go last, since writing and chmod would move them.
bool copyAttributes(int out, const struct stat& source) {
  if (::fchown(out, source.st_uid, source.st_gid) != 0 && errno != EPERM) return false;
  if (::fchmod(out, source.st_mode & 07777) != 0) return false;
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  return ::futimens(out, times) == 0;
}

// One move of a regular file to another file system, in the order the header promises: a
// complete, flushed copy under a scratch name; the old target set aside; the copy put in place;
// the source removed; only then the old target deleted. Every step that fails undoes the steps
// before it, so the source is removed last and nothing of the user's is deleted before that.
class CrossDeviceMove {
 public:
  CrossDeviceMove(const std::string& from, const std::string& to, bool replaceAllowed,
                  const MoveScratch* scratch)
      : m_from(from), m_to(to), m_replaceAllowed(replaceAllowed), m_scratch(scratch) {}

  RenameStatus run() {
    struct stat source {};
    if (::lstat(m_from.c_str(), &source) != 0) return lastError();
    if (!S_ISREG(source.st_mode)) return {EXDEV};  // folders and links are not copied across
    if (RenameStatus status = checkTarget(); !status.ok()) return status;
    if (RenameStatus status = writeCopy(); !status.ok()) return status;
    if (m_scratch && m_scratch->copied) m_scratch->copied(m_copy);
    if (RenameStatus status = putCopyInPlace(); !status.ok()) return status;
    if (RenameStatus status = removeSource(); !status.ok()) return status;
    // The move is done; an old target that cannot be deleted stays under its scratch name,
    // where a recovery that knows the name finds it.
    if (m_targetSetAside) ::unlink(m_asidePath.c_str());
    return {};
  }

 private:
  // Refused before a byte is copied: an existing target without permission to replace it, and
  // a folder, which a file never replaces (rename(2) answers EISDIR as well). A target that
  // appears later is refused when the copy is put in place.
  RenameStatus checkTarget() const {
    struct stat target {};
    if (::lstat(m_to.c_str(), &target) != 0) return errno == ENOENT ? RenameStatus{} : lastError();
    if (!m_replaceAllowed) return {EEXIST};
    if (S_ISDIR(target.st_mode)) return {EISDIR};
    return {};
  }

  RenameStatus writeCopy() {
    const int in = ::open(m_from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) return lastError();
    const int out = createCopyFile();
    if (out < 0) {
      const RenameStatus status = lastError();
      ::close(in);
      return status;
    }
    RenameStatus status = fillCopy(in, out);
    ::close(in);
    if (::close(out) != 0 && status.ok()) status = lastError();
    if (status.ok()) status = flushFolderOf(m_copyPath);
    if (!status.ok()) ::unlink(m_copyPath.c_str());
    return status;
  }

  // A new file at the copy's scratch name, never an existing one: a caller's name that is
  // taken is refused with EEXIST, a name of our own is drawn again.
  int createCopyFile() {
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    if (m_scratch) {
      m_copyPath = m_scratch->copyPath;
      return ::open(m_copyPath.c_str(), kFlags, 0600);
    }
    int out = -1;
    for (int attempt = 0; attempt < kScratchAttempts; ++attempt) {
      m_copyPath = ownScratchPath(m_to, ".copy");
      out = ::open(m_copyPath.c_str(), kFlags, 0600);
      if (out >= 0 || errno != EEXIST) break;
    }
    return out;
  }

  // The attributes are those of the open source, the file whose bytes are copied.
  RenameStatus fillCopy(int in, int out) {
    struct stat source {};
    if (::fstat(in, &source) != 0) return lastError();
    if (!copyData(in, out) || !copyAttributes(out, source) || !flush(out)) return lastError();
    struct stat copy {};
    if (::fstat(out, &copy) != 0) return lastError();
    m_copy = identityOf(copy);
    return {};
  }

  RenameStatus putCopyInPlace() {
    if (RenameStatus status = setTargetAside(); !status.ok()) {
      ::unlink(m_copyPath.c_str());
      return status;
    }
    if (RenameStatus status = renameWithoutReplacing(m_copyPath, m_to); !status.ok()) {
      ::unlink(m_copyPath.c_str());
      restoreTarget();
      return status;
    }
    // The copy is to be at the target on disk before the source may go.
    if (RenameStatus status = flushFolderOf(m_to); !status.ok()) {
      takeCopyBack();
      return status;
    }
    return {};
  }

  // With replacing allowed an existing target waits under the aside name; a target that is
  // not there (any more) is no fault.
  RenameStatus setTargetAside() {
    if (!m_replaceAllowed) return {};
    RenameStatus status;
    if (m_scratch) {
      m_asidePath = m_scratch->asidePath;
      status = renameWithoutReplacing(m_to, m_asidePath);
    } else {
      for (int attempt = 0; attempt < kScratchAttempts; ++attempt) {
        m_asidePath = ownScratchPath(m_to, ".aside");
        status = renameWithoutReplacing(m_to, m_asidePath);
        if (status.error != EEXIST) break;
      }
    }
    if (status.error == ENOENT) return {};
    m_targetSetAside = status.ok();
    return status;
  }

  // Whatever took the target's place since is not the user's old target and stays; the old
  // target then waits under the aside name for a recovery.
  void restoreTarget() {
    if (m_targetSetAside && renameWithoutReplacing(m_asidePath, m_to).ok()) m_targetSetAside = false;
  }

  // Only our own copy is removed from the target, not a file that replaced it meanwhile.
  void takeCopyBack() {
    if (identityAt(m_to) == m_copy) ::unlink(m_to.c_str());
    restoreTarget();
  }

  RenameStatus removeSource() {
    if (::unlink(m_from.c_str()) != 0) {
      const RenameStatus status = lastError();
      takeCopyBack();
      return status;
    }
    // Once the source is gone the move has happened; a folder that cannot be flushed does not
    // undo it, so the answer is success either way.
    flushFolderOf(m_from);
    return {};
  }

  const std::string& m_from;
  const std::string& m_to;
  const bool m_replaceAllowed;
  const MoveScratch* m_scratch;
  std::string m_copyPath;
  std::string m_asidePath;
  FileIdentity m_copy;
  bool m_targetSetAside = false;
};

// ENAMETOOLONG or EINVAL for paths the system must not be given, else 0.
int refusalOf(std::initializer_list<std::string_view> paths) {
  for (const std::string_view path : paths) {
    if (!isWithinLimits(path)) return ENAMETOOLONG;
  }
  // The system would take a path with a NUL byte as the shorter path before it.
  for (const std::string_view path : paths) {
    if (hasNul(path)) return EINVAL;
  }
  return 0;
}

}  // namespace

std::string RenameStatus::reason() const {
  char buffer[256];
  return ::strerror_r(error, buffer, sizeof buffer);
}

RenameStatus RenameFile(const std::string& from, const std::string& to, bool replaceAllowed,
                        const MoveScratch* scratch) {
  const int refusal = scratch ? refusalOf({from, to, scratch->copyPath, scratch->asidePath}) : refusalOf({from, to});
  if (refusal != 0) return {refusal};
  const RenameStatus status = replaceAllowed ? renameReplacing(from, to) : renameWithoutReplacing(from, to);
  if (status.error != EXDEV) return status;
  return CrossDeviceMove(from, to, replaceAllowed, scratch).run();
}

}  // namespace namitra::rename
