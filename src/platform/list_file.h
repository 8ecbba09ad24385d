// The plain list files (Extract.lst, ConvFmt.lst, RegReplaceSrc.lst, RegReplaceDst.lst): code
// page 932 text, one entry per line, no header, no comments and no escaping.
//
// Lines are taken unchanged (no trimming) and empty lines in the middle are entries. Reading
// accepts CR LF, a lone CR or a lone LF as line ends, and takes a final line without a line end
// as a line; writing puts CR LF after every line, the last one included.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace namitra::platform {

// The lines of the file; nullopt when it is missing (or a folder), so the caller keeps its list.
// Throws StoredFileError when the file exists but cannot be read.
std::optional<std::vector<std::string>> readListFile(const std::filesystem::path& path);

// Creates or overwrites the file. Throws StoredFileError when it cannot be written.
void writeListFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace namitra::platform
