// The error raised when a stored file (settings, list, rule or table file) cannot be read or
// written. Commands do not handle it: it ends the command where it stands and the application's
// general error dialog shows what() — a Japanese message in UTF-8 that names the file, such as
// "ファイル /home/u/a.rl を読み込めません。(Is a directory)".
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace namitra::platform {

enum class StoredFileOperation { Read, Write };

class StoredFileError : public std::runtime_error {
 public:
  // `reason` is shown in brackets after the message (usually strerror of the failing call).
  StoredFileError(std::filesystem::path path, StoredFileOperation operation, const std::string& reason);
  // The same with strerror(errorNumber) as the reason.
  StoredFileError(std::filesystem::path path, StoredFileOperation operation, int errorNumber);

  const std::filesystem::path& path() const { return m_path; }
  StoredFileOperation operation() const { return m_operation; }

 private:
  std::filesystem::path m_path;
  StoredFileOperation m_operation;
};

// The path as UTF-8 for messages: bytes that are not valid UTF-8 are shown as \xNN.
std::string displayPath(const std::filesystem::path& path);

}  // namespace namitra::platform
