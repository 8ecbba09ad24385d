// POSIX calls rather than streams, so that every failure carries its errno into the message.
#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>

#include "platform/stored_file_error.h"

namespace namitra::platform {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return m_fd; }
  bool valid() const { return m_fd >= 0; }
  // Closes now and reports the result (close can report a delayed write error).
  bool close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

[[noreturn]] void throwRead(const std::filesystem::path& path, int error) {
  throw StoredFileError(path, StoredFileOperation::Read, error);
}

[[noreturn]] void throwWrite(const std::filesystem::path& path, int error) {
  throw StoredFileError(path, StoredFileOperation::Write, error);
}

std::optional<std::string> readFile(const std::filesystem::path& path, bool folderIsError, std::size_t sizeLimit) {
  const bool limited = sizeLimit != kNoSizeLimit;
  // Without O_NONBLOCK, opening a named pipe waits for a writer, maybe for ever.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | (limited ? O_NONBLOCK : 0)));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throwRead(path, errno);
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) throwRead(path, errno);
  if (S_ISDIR(info.st_mode)) {
    if (folderIsError) throwRead(path, EISDIR);
    return std::nullopt;
  }
  if (limited && !S_ISREG(info.st_mode))
    throw StoredFileError(path, StoredFileOperation::Read, "not a regular file");
  if (limited && static_cast<std::uintmax_t>(info.st_size) > sizeLimit) throwRead(path, EFBIG);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throwRead(path, errno);
    if (got == 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > sizeLimit) throwRead(path, EFBIG);  // it grew while being read
  }
}

// The file a write really replaces: the target of a symbolic link, the path itself otherwise.
std::filesystem::path writeTarget(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
  return error ? path : target;
}


// Creates a new, empty file beside `target` with a name of its own; sets `tempPath`.
int createTempBeside(const std::filesystem::path& target, std::filesystem::path& tempPath) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = target;
    tempPath += ".tmp" + std::to_string(random() % 1000000);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t sizeLimit) {
  return readFile(path, false, sizeLimit);
}

std::optional<std::string> readWholeFileStrict(const std::filesystem::path& path, std::size_t sizeLimit) {
  return readFile(path, true, sizeLimit);
}

void writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  const std::filesystem::path target = writeTarget(path);
  // Renaming over a file would replace it even when the file itself is read-only.
  if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT) throwWrite(path, errno);
  std::filesystem::path tempPath;
  FileDescriptor fd(createTempBeside(target, tempPath));
  if (!fd.valid()) throwWrite(path, errno);
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      ::unlink(tempPath.c_str());
      throwWrite(path, EISDIR);
    }
    ::fchmod(fd.get(), old.st_mode & 07777);
  }
  const bool written = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  const int writeError = errno;
  if (!fd.close() || !written) {
    const int error = written ? errno : writeError;
    ::unlink(tempPath.c_str());
    throwWrite(path, error);
  }
  if (::rename(tempPath.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(tempPath.c_str());
    throwWrite(path, error);
  }
}

std::vector<std::string> splitLines(std::string_view text, bool stopAtNul) {
  if (stopAtNul) text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    start = end + (crLf ? 2 : 1);
  }
  return lines;
}

std::string joinLinesCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace namitra::platform
