#include "platform/stored_file_error.h"

#include <cstdio>
#include <cstring>

#include "sjis/utf8.h"

namespace namitra::platform {

namespace {

std::string message(const std::filesystem::path& path, StoredFileOperation operation,
                    const std::string& reason) {
  const char* verb = operation == StoredFileOperation::Read ? " を読み込めません。(" : " に書き込めません。(";
  return "ファイル " + displayPath(path) + verb + reason + ")";
}

}  // namespace

StoredFileError::StoredFileError(std::filesystem::path path, StoredFileOperation operation,
                                 const std::string& reason)
    : std::runtime_error(message(path, operation, reason)),
      m_path(std::move(path)),
      m_operation(operation) {}

StoredFileError::StoredFileError(std::filesystem::path path, StoredFileOperation operation,
                                 int errorNumber)
    : StoredFileError(std::move(path), operation, std::string(std::strerror(errorNumber))) {}

std::string displayPath(const std::filesystem::path& path) {
  const std::string& bytes = path.native();
  std::string result;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t start = pos;
    if (sjis::decodeUtf8(bytes, pos) != sjis::kInvalidUtf8) {
      result.append(bytes, start, pos - start);
      continue;
    }
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(bytes[start]));
    result += escape;
  }
  return result;
}

}  // namespace namitra::platform
