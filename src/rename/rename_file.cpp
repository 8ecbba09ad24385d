#include "rename/rename_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace namitra::rename {

namespace {

constexpr std::size_t kNameMax = 255;

bool isWithinLimits(std::string_view path) {
  if (path.size() >= PATH_MAX) return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end - start > kNameMax) return false;
    start = end + 1;
  }
  return true;
}

RenameStatus lastError() { return {errno}; }

// Copies the data of `in` to `out` and gives `out` the mode and times of `info`.
bool copyContent(int in, int out, const struct stat& info) {
  char buffer[1 << 16];
  for (;;) {
    ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    for (ssize_t put = 0; put < got;) {
      ssize_t wrote = ::write(out, buffer + put, static_cast<std::size_t>(got - put));
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote < 0) return false;
      put += wrote;
    }
  }
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  return ::fchmod(out, info.st_mode & 07777) == 0 && ::futimens(out, times) == 0 && ::fsync(out) == 0;
}

// Creates a new file at `path` (never an existing one) holding a copy of `from`.
RenameStatus copyToNewFile(const std::string& from, const std::string& path, const struct stat& info) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return lastError();
  int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    RenameStatus status = lastError();
    ::close(in);
    return status;
  }
  bool copied = copyContent(in, out, info);
  RenameStatus status = copied ? RenameStatus{} : lastError();
  ::close(in);
  if (::close(out) != 0 && copied) status = lastError();
  if (!status.ok()) ::unlink(path.c_str());
  return status;
}

// A name beside `to` for the copy that will replace it.
std::string copyNameBeside(const std::string& to, int attempt) {
  return to + ".namitra-copy-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
}

// The move between two file systems: copy, then delete the source. With replacing allowed the
// copy is made beside the target and renamed over it, so the old target is replaced only by a
// complete copy.
RenameStatus copyAndDelete(const std::string& from, const std::string& to, bool replaceAllowed) {
  struct stat info {};
  if (::lstat(from.c_str(), &info) != 0) return lastError();
  if (!S_ISREG(info.st_mode)) return {EXDEV};  // folders and links are not copied across
  std::string target = to;
  RenameStatus status;
  for (int attempt = 0; replaceAllowed; ++attempt) {
    target = copyNameBeside(to, attempt);
    status = copyToNewFile(from, target, info);
    if (status.error != EEXIST) break;
  }
  if (!replaceAllowed) status = copyToNewFile(from, target, info);
  if (!status.ok()) return status;
  if (replaceAllowed && ::rename(target.c_str(), to.c_str()) != 0) {
    status = lastError();
    ::unlink(target.c_str());
    return status;
  }
  if (::unlink(from.c_str()) != 0) {
    status = lastError();
    ::unlink(to.c_str());  // the source stays whole; no second copy is left behind
    return status;
  }
  return {};
}

bool isFolderPath(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

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
    if (error == EXDEV) return copyAndDelete(from, to, false);
    if (noHardLinks(error)) return testThenRename(from, to);
    return {error};
  }
  if (::unlink(from.c_str()) != 0) {
    RenameStatus status = lastError();
    ::unlink(to.c_str());
    return status;
  }
  return {};
}

bool flagUnsupported(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }

}  // namespace

std::string RenameStatus::reason() const {
  char buffer[256];
  return ::strerror_r(error, buffer, sizeof buffer);
}

RenameStatus RenameFile(const std::string& from, const std::string& to, bool replaceAllowed,
                        const MoveScratch* /*scratch*/) {
  if (!isWithinLimits(from) || !isWithinLimits(to)) return {ENAMETOOLONG};
  // The system would take a path with a NUL byte as the shorter path before it.
  if (from.find('\0') != std::string::npos || to.find('\0') != std::string::npos) return {EINVAL};
  if (replaceAllowed) {
    if (::rename(from.c_str(), to.c_str()) == 0) return {};
    if (errno != EXDEV) return lastError();
    return copyAndDelete(from, to, true);
  }
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  const int error = errno;
  if (error == EXDEV) return copyAndDelete(from, to, false);
  if (!flagUnsupported(error)) return {error};
  // A folder has no hard link; and rename(2) answers EINVAL itself for a folder moved into itself.
  return isFolderPath(from) ? testThenRename(from, to) : linkThenUnlink(from, to);
}

}  // namespace namitra::rename
