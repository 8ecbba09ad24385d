#include "cli/journal.h"

#include "platform/sealed_line.h"
#include "platform/text_file.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace namitra::cli {

namespace {

constexpr std::size_t kChecksumDigits = 8;

std::string systemReason(int error) {
  char buffer[256];
  return ::strerror_r(error, buffer, sizeof buffer);
}

using platform::writeAll;

using platform::appendEscaped;
using platform::unescaped;

std::string crc32Text(std::string_view bytes) {
  std::string text;
  platform::appendHex8(text, platform::crc32(bytes));
  return text;
}

bool isChecksumField(std::string_view field) {
  if (field.size() != kChecksumDigits) return false;
  for (const char c : field) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::size_t tabCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) count += c == '\t';
  return count;
}

// The size of the file behind `descriptor`, or -1.
off_t sizeOf(int descriptor) {
  struct stat info {};
  return ::fstat(descriptor, &info) == 0 ? info.st_size : -1;
}

// Whether the file's last byte is something else than a line feed; false for an empty file or
// one that cannot be read (opened write-only).
bool endsInsideALine(int descriptor, off_t size) {
  char last = '\n';
  return size > 0 && ::pread(descriptor, &last, 1, size - 1) == 1 && last != '\n';
}

// The entry of a line that has its line feed (given without it), or why it is ignored.
std::optional<JournalEntry> entryOf(std::string_view line, std::size_t index, std::string& why) {
  constexpr const char* kMalformed = "damaged (not FROM<TAB>TO<TAB>DEV:INO<TAB>CRC)";
  if (tabCount(line) == 1) {
    why = "no identity or checksum (cut short, or from an older journal)";
    return std::nullopt;
  }
  const std::size_t lastTab = line.rfind('\t');
  if (lastTab == std::string_view::npos || !isChecksumField(line.substr(lastTab + 1))) {
    why = kMalformed;
    return std::nullopt;
  }
  const std::string_view sealed = line.substr(0, lastTab);
  if (crc32Text(sealed) != line.substr(lastTab + 1)) {
    why = "checksum mismatch";
    return std::nullopt;
  }
  const std::size_t first = sealed.find('\t');
  const std::size_t second = sealed.rfind('\t');
  if (tabCount(sealed) != 2 || first == 0 || second == first + 1) {
    why = kMalformed;
    return std::nullopt;
  }
  std::optional<std::string> from = unescaped(sealed.substr(0, first));
  std::optional<std::string> to = unescaped(sealed.substr(first + 1, second - first - 1));
  std::optional<rename::FileIdentity> identity = rename::parseIdentity(sealed.substr(second + 1));
  if (!from || !to || !identity) {
    why = kMalformed;
    return std::nullopt;
  }
  if (!identity->known()) {
    why = "no identity";
    return std::nullopt;
  }
  return JournalEntry{index, std::move(*from), std::move(*to), *identity};
}

}  // namespace

std::string journalLine(std::string_view nativeFrom, std::string_view nativeTo, const rename::FileIdentity& identity) {
  std::string line;
  line.reserve(nativeFrom.size() + nativeTo.size() + 64);
  appendEscaped(line, nativeFrom);
  line += '\t';
  appendEscaped(line, nativeTo);
  line.append("\t").append(rename::identityText(identity));
  const std::string checksum = crc32Text(line);
  line.append("\t").append(checksum).append("\n");
  return line;
}

std::optional<JournalWriter> JournalWriter::open(const std::filesystem::path& path, std::string& error) {
  int descriptor = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0 && errno == EACCES) descriptor = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    error = systemReason(errno);
    return std::nullopt;
  }
  JournalWriter writer(descriptor, 0);
  off_t size = sizeOf(descriptor);
  if (endsInsideALine(descriptor, size)) {
    if (!writeAll(descriptor, "\n")) {
      error = systemReason(errno);
      return std::nullopt;
    }
    ++size;
  }
  writer.m_sizeWhenOpened = size < 0 ? 0 : static_cast<std::uint64_t>(size);
  return writer;
}

JournalWriter::JournalWriter(JournalWriter&& other) noexcept
    : m_descriptor(other.m_descriptor),
      m_sizeWhenOpened(other.m_sizeWhenOpened),
      m_lastError(std::move(other.m_lastError)) {
  other.m_descriptor = -1;
}

JournalWriter& JournalWriter::operator=(JournalWriter&& other) noexcept {
  std::swap(m_descriptor, other.m_descriptor);
  std::swap(m_sizeWhenOpened, other.m_sizeWhenOpened);
  std::swap(m_lastError, other.m_lastError);
  return *this;
}

JournalWriter::~JournalWriter() {
  if (m_descriptor >= 0) ::close(m_descriptor);
}

bool JournalWriter::append(std::string_view nativeFrom, std::string_view nativeTo, const rename::FileIdentity& identity) {
  // One write per line: with O_APPEND the line lands whole at the end, and nothing waits in a
  // buffer of ours when the run is stopped.
  if (writeAll(m_descriptor, journalLine(nativeFrom, nativeTo, identity))) return true;
  m_lastError = systemReason(errno);
  return false;
}

bool JournalWriter::isFileAt(const std::string& nativePath) const {
  struct stat journal {};
  struct stat entry {};
  return ::fstat(m_descriptor, &journal) == 0 && ::lstat(nativePath.c_str(), &entry) == 0 &&
         journal.st_dev == entry.st_dev && journal.st_ino == entry.st_ino;
}

JournalContents parseJournal(std::string_view text) {
  JournalContents contents;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t feed = text.find('\n', start);
    const bool ended = feed != std::string_view::npos;
    const std::size_t end = ended ? feed + 1 : text.size();
    const std::size_t index = contents.lines.size();
    contents.lines.emplace_back(text.substr(start, end - start));
    const std::string_view line = text.substr(start, (ended ? feed : end) - start);
    start = end;
    if (line.empty()) continue;
    std::string why = "incomplete";
    std::optional<JournalEntry> entry = ended ? entryOf(line, index, why) : std::nullopt;
    if (entry)
      contents.entries.push_back(std::move(*entry));
    else
      contents.ignored.push_back({index, std::move(why)});
  }
  return contents;
}

std::string journalTextWithout(const JournalContents& contents, const std::vector<bool>& drop) {
  std::string text;
  for (std::size_t i = 0; i < contents.lines.size(); ++i) {
    if (i < drop.size() && drop[i]) continue;
    text += contents.lines[i];
  }
  return text;
}

}  // namespace namitra::cli
