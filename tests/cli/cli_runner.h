// Runs the built namitra-cli in a temporary folder and gives back what it did.
//
// Each test gets a fresh folder (the working folder of the command) with a data folder inside
// it, which the command finds through NAMITRA_DATA_DIR, so no run reads or writes the data
// folder beside the executable. Standard output and standard error are captured byte for byte.
//
// journalLine builds the journal's line form from its description, with a CRC-32 computed bit by
// bit rather than from a table as the command does, so that a test comparing the two would see
// the command drift from the documented form.
#pragma once

#include "../platform/temp_folder.h"
#include "sjis/codec.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace namitra::cli::testing {

using platform::testing::readBytes;
using platform::testing::writeBytes;

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::ostream& operator<<(std::ostream& stream, const CliResult& result) {
  return stream << "status " << result.status << "\n--- stdout ---\n" << result.out << "--- stderr ---\n" << result.err;
}

// CRC-32 (IEEE, reflected 0xEDB88320, all-ones start and end), one bit at a time.
inline std::uint32_t crc32BitByBit(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline std::string escapedForJournal(std::string_view path) {
  std::string escaped;
  for (const char c : path) {
    if (c == '\\') escaped += "\\\\";
    else if (c == '\t') escaped += "\\t";
    else if (c == '\n') escaped += "\\n";
    else if (c == '\r') escaped += "\\r";
    else escaped += c;
  }
  return escaped;
}

// "device:inode" of the entry at `path` itself, "0:0" when nothing is there.
inline std::string identityTextAt(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return "0:0";
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

// `sealed` (a journal line up to its last tab) with its checksum and line feed.
inline std::string sealedJournalLine(std::string_view sealed) {
  char checksum[9];
  std::snprintf(checksum, sizeof checksum, "%08x", static_cast<unsigned>(crc32BitByBit(sealed)));
  return std::string(sealed) + "\t" + checksum + "\n";
}

// FROM<TAB>TO<TAB>DEV:INO<TAB>CRC<LF> for full native paths and an identity text.
inline std::string journalLineOf(std::string_view from, std::string_view to, std::string_view identity) {
  return sealedJournalLine(escapedForJournal(from) + "\t" + escapedForJournal(to) + "\t" + std::string(identity));
}

class CliTest : public ::testing::Test {
 protected:
  CliTest() { std::filesystem::create_directory(dataFolder()); }

  const std::filesystem::path& folder() const { return m_folder.path(); }
  std::filesystem::path dataFolder() const { return m_folder / "data"; }
  std::string path(std::string_view name) const { return (m_folder / name).string(); }

  // Runs namitra-cli with `arguments` in the test's folder.
  CliResult run(const std::vector<std::string>& arguments) const { return runIn(folder(), arguments); }

  // Runs namitra-cli with `arguments` in the folder `working`.
  CliResult runIn(const std::filesystem::path& working, const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{NAMITRA_CLI};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(command, working);
  }

  // Runs command[0] (found on PATH unless it holds a "/") with the rest as its arguments.
  CliResult runCommand(const std::vector<std::string>& command, const std::filesystem::path& working) const {
    const std::string outFile = path(".out");
    const std::string errFile = path(".err");
    const pid_t child = ::fork();
    if (child == 0) runChild(command, working, outFile, errFile);
    int status = 0;
    ::waitpid(child, &status, 0);
    CliResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readBytes(outFile);
    result.err = readBytes(errFile);
    std::filesystem::remove(outFile);
    std::filesystem::remove(errFile);
    return result;
  }

  // Creates a file holding `content` (its own name by default) in the test's folder.
  void makeFile(std::string_view name, std::string_view content = {}) const {
    writeBytes(m_folder / name, content.empty() ? name : content);
  }
  std::string contentOf(std::string_view name) const { return readBytes(m_folder / name); }
  bool exists(std::string_view name) const { return std::filesystem::exists(m_folder / name); }

  // The journal line of the rename of `from` to `to` (names in the test's folder), with the
  // identity of what is at `fileNow` (by default `to`) now.
  std::string journalLine(std::string_view from, std::string_view to, std::string_view fileNow = {}) const {
    return journalLineOf(path(from), path(to), identityTextAt(m_folder / (fileNow.empty() ? to : fileNow)));
  }

  // The names in the test's folder (the data folder left out), sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder())) {
      const std::string name = entry.path().filename().string();
      if (name != "data") found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  // Shift-JIS bytes of a UTF-8 literal, for rule files.
  static std::string sjis(std::string_view utf8) { return sjis::fromUtf8(utf8); }

 private:
  [[noreturn]] void runChild(const std::vector<std::string>& command, const std::filesystem::path& working,
                             const std::string& outFile, const std::string& errFile) const {
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (::chdir(working.c_str()) != 0) ::_exit(126);
    ::setenv("NAMITRA_DATA_DIR", dataFolder().c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }

  platform::testing::TempFolder m_folder;
};

}  // namespace namitra::cli::testing
