// Fuzz target for the list files: arbitrary bytes as a list file.
//
// The lines read must be those of a plain byte loop over the file, NUL bytes included; writing
// them must give every line followed by CR LF, and reading that back the same lines.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/list_file.h"

using namespace namitra;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto path = fuzz::scratch().write("Extract.lst", bytes);
  const auto lines = platform::readListFile(path);
  require(lines.has_value());
  require(*lines == fuzz::referenceLines(bytes));

  platform::writeListFile(path, *lines);
  std::string expected;
  for (const std::string& line : *lines) expected += line + "\r\n";
  require(fuzz::ScratchFolder::read(path) == expected);
  require(platform::readListFile(path) == lines);
  return 0;
}
