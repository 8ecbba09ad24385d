// Runs the built namitra-cli in a temporary folder and gives back what it did.
//
// Each test gets a fresh folder (the working folder of the command) with a data folder inside
// it, which the command finds through NAMITRA_DATA_DIR, so no run reads or writes the data
// folder beside the executable. Standard output and standard error are captured byte for byte.
#pragma once

#include "../platform/temp_folder.h"
#include "sjis/codec.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

class CliTest : public ::testing::Test {
 protected:
  CliTest() { std::filesystem::create_directory(dataFolder()); }

  const std::filesystem::path& folder() const { return m_folder.path(); }
  std::filesystem::path dataFolder() const { return m_folder / "data"; }
  std::string path(std::string_view name) const { return (m_folder / name).string(); }

  // Runs namitra-cli with `arguments` in the test's folder.
  CliResult run(const std::vector<std::string>& arguments) const {
    const std::string outFile = path(".out");
    const std::string errFile = path(".err");
    const pid_t child = ::fork();
    if (child == 0) runChild(arguments, outFile, errFile);
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
  [[noreturn]] void runChild(const std::vector<std::string>& arguments, const std::string& outFile,
                             const std::string& errFile) const {
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (::chdir(folder().c_str()) != 0) ::_exit(126);
    ::setenv("NAMITRA_DATA_DIR", dataFolder().c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(NAMITRA_CLI));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(NAMITRA_CLI, argv.data());
    ::_exit(127);
  }

  platform::testing::TempFolder m_folder;
};

}  // namespace namitra::cli::testing
