#include "rename/file_access.h"

#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace namitra::rename {

bool SystemFileAccess::listFolder(const std::string& folder, const EntryVisitor& visit) {
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return false;
  alignas(dirent64) char buffer[64 * 1024];
  bool complete = true;
  for (;;) {
    const ssize_t got = ::getdents64(dir, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      complete = got == 0;
      break;
    }
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      bool isFolder = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat info {};
        isFolder = ::fstatat(dir, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
      }
      visit(FolderEntry{name, isFolder, static_cast<std::uint64_t>(entry->d_ino)});
    }
  }
  ::close(dir);
  return complete;
}

EntryKind SystemFileAccess::entryKind(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return EntryKind::None;
  return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::File;
}

FileIdentity SystemFileAccess::folderIdentity(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
  return identityOf(info);
}

namespace {

bool hasAsciiLetter(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) { return (c | 32) >= 'a' && (c | 32) <= 'z'; });
}

// The name `name` has in `folder` as the folder stores it. Only a folder that ignores case
// answers for a spelling it does not store, so the folder is listed only when the name is found
// with every letter flipped too.
std::string storedSpelling(const std::string& folder, const std::string& name) {
  if (!hasAsciiLetter(name)) return name;
  std::string flipped = name;
  for (char& c : flipped) c = (c | 32) >= 'a' && (c | 32) <= 'z' ? static_cast<char>(c ^ 32) : c;
  struct stat info {};
  if (::lstat((folder + flipped).c_str(), &info) != 0) return name;
  return platform::storedName(folder, name).value_or(name);
}

}  // namespace

std::optional<std::string> SystemFileAccess::canonicalFolder(const std::string& folder) {
  char* resolved = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  const std::string path(resolved);
  std::free(resolved);
  std::string canonical = "/";
  for (std::size_t start = 1; start < path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    canonical += storedSpelling(canonical, path.substr(start, end - start));
    canonical += '/';
    start = end + 1;
  }
  return canonical;
}

}  // namespace namitra::rename
