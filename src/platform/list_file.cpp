#include "platform/list_file.h"

#include "platform/text_file.h"

namespace namitra::platform {

std::optional<std::vector<std::string>> readListFile(const std::filesystem::path& path) {
  auto text = readWholeFile(path, kStoredFileSizeLimit);
  if (!text) return std::nullopt;
  return splitLines(*text, false);
}

void writeListFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  writeWholeFile(path, joinLinesCrLf(lines));
}

}  // namespace namitra::platform
