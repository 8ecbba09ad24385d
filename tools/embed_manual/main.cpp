// embed_manual INPUT.html OUTPUT.html: writes the page with its local images inlined, so that
// the manual installed beside the program needs no other file. Images are looked up relative
// to the input page. The output is written to a temporary file first and moved into place, so
// a failed run never leaves half a manual behind.
#include "embed_manual/inline_images.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

namespace {

namespace fs = std::filesystem;

std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool writeFileAtomically(const fs::path& path, const std::string& bytes) {
  fs::path temporary = path;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!(out << bytes) || !out.flush()) return false;
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: embed_manual INPUT.html OUTPUT.html\n";
    return 2;
  }
  const fs::path input = argv[1];
  const fs::path output = argv[2];
  const std::optional<std::string> page = readFile(input);
  if (!page) {
    std::cerr << "embed_manual: cannot read " << input << "\n";
    return 1;
  }
  try {
    const std::string embedded =
        namitra::embed::inlineImages(*page, namitra::embed::filesBeside(input.parent_path()));
    if (!writeFileAtomically(output, embedded)) {
      std::cerr << "embed_manual: cannot write " << output << "\n";
      return 1;
    }
  } catch (const namitra::embed::MissingImageError& error) {
    std::cerr << "embed_manual: " << input.string() << ": " << error.what() << "\n";
    return 1;
  }
  return 0;
}
