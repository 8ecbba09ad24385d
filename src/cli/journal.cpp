#include "cli/journal.h"

#include "platform/text_file.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace namitra::cli {

namespace {

std::string systemReason(int error) {
  char buffer[256];
  return ::strerror_r(error, buffer, sizeof buffer);
}

bool writeAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(descriptor, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

std::optional<JournalEntry> entryOf(std::string_view line, std::size_t index) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos || tab == 0 || tab + 1 == line.size()) return std::nullopt;
  if (line.find('\t', tab + 1) != std::string_view::npos) return std::nullopt;
  return JournalEntry{index, std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
}

}  // namespace

std::string journalLine(std::string_view nativeFrom, std::string_view nativeTo) {
  std::string line;
  line.reserve(nativeFrom.size() + nativeTo.size() + 2);
  line.append(nativeFrom).append("\t").append(nativeTo).append("\n");
  return line;
}

std::optional<JournalWriter> JournalWriter::open(const std::filesystem::path& path, std::string& error) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    error = systemReason(errno);
    return std::nullopt;
  }
  return JournalWriter(descriptor);
}

JournalWriter::JournalWriter(JournalWriter&& other) noexcept
    : m_descriptor(other.m_descriptor), m_lastError(std::move(other.m_lastError)) {
  other.m_descriptor = -1;
}

JournalWriter& JournalWriter::operator=(JournalWriter&& other) noexcept {
  std::swap(m_descriptor, other.m_descriptor);
  std::swap(m_lastError, other.m_lastError);
  return *this;
}

JournalWriter::~JournalWriter() {
  if (m_descriptor >= 0) ::close(m_descriptor);
}

bool JournalWriter::append(std::string_view nativeFrom, std::string_view nativeTo) {
  // One write per line: with O_APPEND the line lands whole at the end, and nothing waits in a
  // buffer of ours when the run is stopped.
  if (writeAll(m_descriptor, journalLine(nativeFrom, nativeTo))) return true;
  m_lastError = systemReason(errno);
  return false;
}

bool JournalWriter::isFileAt(const std::string& nativePath) const {
  struct stat journal {};
  struct stat entry {};
  return ::fstat(m_descriptor, &journal) == 0 && ::lstat(nativePath.c_str(), &entry) == 0 &&
         journal.st_dev == entry.st_dev && journal.st_ino == entry.st_ino;
}

ParsedJournal parseJournal(std::string_view text) {
  JournalContents contents;
  contents.lines = platform::splitLines(text, false);
  for (std::size_t i = 0; i < contents.lines.size(); ++i) {
    const std::string& line = contents.lines[i];
    if (line.empty()) continue;
    std::optional<JournalEntry> entry = entryOf(line, i);
    if (!entry) return {std::nullopt, i + 1};
    contents.entries.push_back(std::move(*entry));
  }
  return {std::move(contents), 0};
}

std::string journalTextWithout(const JournalContents& contents, const std::vector<bool>& drop) {
  std::string text;
  for (std::size_t i = 0; i < contents.lines.size(); ++i) {
    if (i < drop.size() && drop[i]) continue;
    text.append(contents.lines[i]).append("\n");
  }
  return text;
}

}  // namespace namitra::cli
