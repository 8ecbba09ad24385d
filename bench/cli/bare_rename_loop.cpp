// The floor of the command-line benchmark: a process that renames its arguments with nothing
// but a renameat2 loop, to the names namitra-cli's format gives them.
//
//   bare_rename_loop START DIGITS PREFIX NAME...   renames NAME to PREFIX + number + its extension
//   bare_rename_loop --create COUNT                creates f000000.dat ... in the working folder
//
// Each NAME (relative to the working folder) becomes PREFIX, the running number START + index
// with at least DIGITS digits, and the part of NAME from its last "." on; renames never replace
// (RENAME_NOREPLACE), as namitra-cli's do not. Exit status 1 when any rename failed.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int createFiles(long count) {
  char name[32];
  for (long i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "f%06ld.dat", i);
    const int fd = ::open(name, O_CREAT | O_WRONLY | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return 1;
    ::close(fd);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--create") == 0) return createFiles(std::atol(argv[2]));
  if (argc < 4) {
    std::fprintf(stderr, "usage: bare_rename_loop START DIGITS PREFIX NAME...\n");
    return 2;
  }
  const long start = std::atol(argv[1]);
  const int digits = std::atoi(argv[2]);
  const std::string prefix = argv[3];
  std::string target;
  char number[32];
  int failed = 0;
  for (int i = 4; i < argc; ++i) {
    const char* dot = std::strrchr(argv[i], '.');
    std::snprintf(number, sizeof number, "%0*ld", digits, start + (i - 4));
    target.assign(prefix).append(number).append(dot ? dot : "");
    failed |= ::renameat2(AT_FDCWD, argv[i], AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0;
  }
  return failed;
}
