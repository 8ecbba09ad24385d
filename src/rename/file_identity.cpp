#include "rename/file_identity.h"

#include <charconv>
#include <sys/stat.h>

namespace namitra::rename {

FileIdentity identityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

FileIdentity identityAt(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return {};
  return identityOf(info);
}

std::string identityText(const FileIdentity& id) {
  return std::to_string(id.device) + ":" + std::to_string(id.inode);
}

namespace {

bool parseNumber(std::string_view text, std::uint64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

}  // namespace

std::optional<FileIdentity> parseIdentity(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  FileIdentity id;
  if (!parseNumber(text.substr(0, colon), id.device) || !parseNumber(text.substr(colon + 1), id.inode))
    return std::nullopt;
  return id;
}

}  // namespace namitra::rename
