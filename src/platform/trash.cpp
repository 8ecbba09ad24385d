#include "platform/trash.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace namitra::platform {
namespace {

namespace fs = std::filesystem;

std::optional<dev_t> deviceOf(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  return info.st_dev;
}

fs::path homeTrash() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
    return fs::path(data) / "Trash";
  const char* home = std::getenv("HOME");
  if (!home || *home != '/') return {};
  return fs::path(home) / ".local" / "share" / "Trash";
}

// The top folder of the mount that holds `path`: the last ancestor on the same device.
fs::path mountTop(const fs::path& path, dev_t device) {
  fs::path top = path.parent_path();
  while (top.has_relative_path()) {
    const fs::path up = top.parent_path();
    if (deviceOf(up) != device) break;
    top = up;
  }
  return top;
}

bool makePrivateFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return false;
  ::chmod(folder.c_str(), 0700);
  return true;
}

// The trash whose files folder lies on `device`, ready for use; empty when there is none.
fs::path trashFor(const fs::path& path, dev_t device) {
  fs::path home = homeTrash();
  if (!home.empty() && makePrivateFolder(home / "files") && makePrivateFolder(home / "info") &&
      deviceOf(home / "files") == device)
    return home;
  const fs::path top = mountTop(fs::absolute(path), device) / (".Trash-" + std::to_string(::getuid()));
  if (makePrivateFolder(top / "files") && makePrivateFolder(top / "info") &&
      deviceOf(top / "files") == device)
    return top;
  return {};
}

std::string percentEncoded(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += hex[c >> 4];
      encoded += hex[c & 15];
    }
  }
  return encoded;
}

std::string localTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local {};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Creates the information file under a name not yet in the trash; returns that name.
std::optional<std::string> claimName(const fs::path& trash, const fs::path& original) {
  const std::string info = "[Trash Info]\nPath=" + percentEncoded(original.string()) +
                           "\nDeletionDate=" + localTimeNow() + "\n";
  const std::string stem = original.filename().string();
  for (int number = 1; number < 10000; ++number) {
    const std::string name = number == 1 ? stem : stem + "." + std::to_string(number);
    const fs::path infoFile = trash / "info" / (name + ".trashinfo");
    const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return std::nullopt;
    }
    const bool written = ::write(fd, info.data(), info.size()) == static_cast<ssize_t>(info.size());
    if (::close(fd) == 0 && written && !fs::exists(trash / "files" / name)) return name;
    ::unlink(infoFile.c_str());
    if (!written) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

bool moveToTrash(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  const fs::path original = fs::absolute(path).lexically_normal();
  const fs::path trash = trashFor(original, info.st_dev);
  if (trash.empty()) return false;
  const std::optional<std::string> name = claimName(trash, original);
  if (!name) return false;
  if (::rename(original.c_str(), (trash / "files" / *name).c_str()) == 0) return true;
  ::unlink((trash / "info" / (*name + ".trashinfo")).c_str());
  return false;
}

}  // namespace namitra::platform
