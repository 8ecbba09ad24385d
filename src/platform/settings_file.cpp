// The file is scanned as a list of lines with their byte ranges, so that a write can splice
// one line in and copy everything else unchanged.
#include "platform/settings_file.h"

#include <cstdint>
#include <vector>

#include "platform/stored_file_error.h"
#include "platform/text_file.h"
#include "sjis/char.h"

namespace namitra::platform {

namespace {

constexpr std::size_t kValueBufferSize = 2048;  // the reader sees at most 2047 bytes

struct LineRange {
  std::size_t start;       // first byte of the line
  std::size_t contentEnd;  // first byte of its line end
  std::size_t end;         // first byte after its line end
};

std::vector<LineRange> lineRanges(std::string_view text) {
  std::vector<LineRange> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t contentEnd = text.find_first_of("\r\n", start);
    if (contentEnd == std::string_view::npos) contentEnd = text.size();
    std::size_t end = contentEnd;
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n' && (end == contentEnd || text[contentEnd] == '\r')) ++end;
    lines.push_back({start, contentEnd, end});
    start = end;
  }
  return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsAsciiIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

// The name of a section line "[name]", or nullopt for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
  line = trimBlanks(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trimBlanks(line.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;  // everything after the first "=", untrimmed
};

std::optional<KeyLine> keyLine(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return KeyLine{trimBlanks(line.substr(0, equals)), line.substr(equals + 1)};
}

// Where a key lives in the file: the line of the key (if any) and the line after which a new
// key of the section goes (if the section exists).
struct KeyLocation {
  std::optional<std::size_t> keyLine;
  std::optional<std::size_t> sectionLastLine;
};

KeyLocation locateKey(std::string_view text, const std::vector<LineRange>& lines,
                      std::string_view section, std::string_view key) {
  KeyLocation location;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = text.substr(lines[i].start, lines[i].contentEnd - lines[i].start);
    if (auto name = sectionName(line)) {
      if (inSection) break;  // only the first section of the name counts
      inSection = equalsAsciiIgnoreCase(*name, section);
      if (inSection) location.sectionLastLine = i;
      continue;
    }
    if (!inSection) continue;
    if (!trimBlanks(line).empty()) location.sectionLastLine = i;
    auto entry = keyLine(line);
    if (entry && equalsAsciiIgnoreCase(entry->key, key)) {
      location.keyLine = i;
      return location;
    }
  }
  return location;
}

std::string_view dropEnclosingQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    return value.substr(1, value.size() - 2);
  return value;
}

std::string_view cutToBuffer(std::string_view value) {
  const std::size_t limit = kValueBufferSize - 1;
  if (value.size() <= limit) return value;
  return value.substr(0, sjis::charStartAt(value, limit));
}

std::string_view firstLine(std::string_view value) {
  return value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

SettingsFile::SettingsFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::optional<std::string> SettingsFile::rawValue(std::string_view section, std::string_view key) const {
  std::optional<std::string> text;
  try {
    text = readWholeFile(m_path, kStoredFileSizeLimit);
  } catch (const StoredFileError&) {
    return std::nullopt;  // an unreadable settings file reads as empty
  }
  if (!text) return std::nullopt;
  const std::vector<LineRange> lines = lineRanges(*text);
  const KeyLocation location = locateKey(*text, lines, section, key);
  if (!location.keyLine) return std::nullopt;
  const LineRange& range = lines[*location.keyLine];
  auto entry = keyLine(std::string_view(*text).substr(range.start, range.contentEnd - range.start));
  // The value is a C string to the profile functions: a NUL byte ends it. Kept in, it would end
  // up inside file names that the system then cuts short at the NUL.
  const std::string_view value = entry->value.substr(0, entry->value.find('\0'));
  return std::string(cutToBuffer(dropEnclosingQuotes(trimBlanks(value))));
}

std::string SettingsFile::readString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
  auto value = rawValue(section, key);
  return value ? *value : std::string(defaultValue);
}

long SettingsFile::readInteger(std::string_view section, std::string_view key, long defaultValue) const {
  auto value = rawValue(section, key);
  if (!value) return defaultValue;
  return parseProfileInteger(*value).value_or(defaultValue);
}

bool SettingsFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void SettingsFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  std::string text;
  try {
    text = readWholeFile(m_path, kStoredFileSizeLimit).value_or(std::string());
  } catch (const StoredFileError& error) {
    // Rewriting a file that cannot be read would lose its other content.
    throw StoredFileError(m_path, StoredFileOperation::Write, error.what());
  }
  const std::vector<LineRange> lines = lineRanges(text);
  const KeyLocation location = locateKey(text, lines, section, key);
  const std::string newLine = std::string(key) + "=" + std::string(firstLine(value));
  if (location.keyLine) {
    const LineRange& range = lines[*location.keyLine];
    text.replace(range.start, range.contentEnd - range.start, newLine);
  } else if (location.sectionLastLine) {
    const LineRange& range = lines[*location.sectionLastLine];
    const bool hasLineEnd = range.end > range.contentEnd;
    text.insert(range.end, (hasLineEnd ? "" : "\r\n") + newLine + "\r\n");
  } else {
    if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
    text += "[" + std::string(section) + "]\r\n" + newLine + "\r\n";
  }
  writeWholeFile(m_path, text);
}

void SettingsFile::writeBool(std::string_view section, std::string_view key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

std::string settingsFileNameFor(std::string_view executableName) {
  const std::size_t dot = executableName.rfind('.');
  return std::string(executableName.substr(0, dot)) + ".ini";
}

std::optional<long> parseProfileInteger(std::string_view value) {
  bool negative = false;
  if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  int base = 10;
  if (value.starts_with("0x") || value.starts_with("0X")) {
    base = 16;
    value.remove_prefix(2);
  } else if (value.starts_with("$")) {
    base = 16;
    value.remove_prefix(1);
  }
  if (value.empty()) return std::nullopt;
  // Hexadecimal runs up to 0xFFFFFFFF and wraps into the negative half, like a 32-bit integer.
  const unsigned long long limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  unsigned long long magnitude = 0;
  for (char c : value) {
    const int digit = hexDigit(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  long result = base == 16 ? static_cast<long>(static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude)))
                           : static_cast<long>(magnitude);
  // Negating the most negative 32-bit value gives itself again, as it does in 32 bits.
  if (negative && result == INT32_MIN) return result;
  return negative ? -result : result;
}

}  // namespace namitra::platform
