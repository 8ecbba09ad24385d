#include "platform/file_system.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace namitra::platform {

namespace {

bool equalsAsciiIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

bool fileExists(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool pathExists(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::optional<std::string> storedName(const std::filesystem::path& folder, std::string_view name) {
  if (name.empty() || !pathExists(folder / std::string(name))) return std::nullopt;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return std::string(name);
  std::optional<std::string> caseless;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view stored = entry->d_name;
    if (stored == name) {
      caseless = std::string(name);
      break;
    }
    if (!caseless && equalsAsciiIgnoreCase(stored, name)) caseless = std::string(stored);
  }
  ::closedir(dir);
  return caseless.value_or(std::string(name));
}

std::vector<std::string> listEntries(const std::filesystem::path& folder, const char* pattern) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (::fnmatch(pattern, entry->d_name, FNM_CASEFOLD) == 0) names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace namitra::platform
