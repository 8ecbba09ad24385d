// What the fuzz targets share: a check that stops the run, the splitting of one input into
// pieces, and a scratch file for the readers that take a path.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace namitra::fuzz {

// libFuzzer and the replay both report an abort with the input that caused it.
inline void require(bool condition) {
  if (!condition) std::abort();
}

// Reads an input front to back: single bytes, and pieces whose length is the next byte.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size)
      : m_rest(reinterpret_cast<const char*>(data), size) {}

  bool empty() const { return m_rest.empty(); }
  std::uint8_t byte() {
    if (m_rest.empty()) return 0;
    const auto value = static_cast<std::uint8_t>(m_rest.front());
    m_rest.remove_prefix(1);
    return value;
  }
  // A piece of at most `limit` bytes, its length taken from the next byte.
  std::string_view piece(std::size_t limit = 255) {
    const std::size_t length = std::min<std::size_t>({byte(), limit, m_rest.size()});
    std::string_view taken = m_rest.substr(0, length);
    m_rest.remove_prefix(length);
    return taken;
  }
  std::string_view rest() {
    std::string_view taken = m_rest;
    m_rest = {};
    return taken;
  }

 private:
  std::string_view m_rest;
};

// A folder of this process under the temporary folder, removed when the process ends.
class ScratchFolder {
 public:
  ScratchFolder()
      : m_path(std::filesystem::temp_directory_path() / ("namitra-fuzz-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(m_path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::filesystem::path file(std::string_view name) const { return m_path / std::string(name); }

  // Makes `name` hold exactly `bytes` and gives its path.
  std::filesystem::path write(std::string_view name, std::string_view bytes) const {
    const std::filesystem::path path = file(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    require(out.good());
    return path;
  }
  void remove(std::string_view name) const {
    std::error_code ignored;
    std::filesystem::remove(file(name), ignored);
  }
  static std::string read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path m_path;
};

inline const ScratchFolder& scratch() {
  static const ScratchFolder folder;
  return folder;
}

// The lines of a text as a stored file has them: CR LF, a lone CR and a lone LF end a line, a
// final line without a line end is a line, a final line end adds no empty line. A plain loop
// over the bytes, to hold the readers' own splitting against.
inline std::vector<std::string> referenceLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    line += c;
    open = true;
  }
  if (open) lines.push_back(line);
  return lines;
}

}  // namespace namitra::fuzz
