// The most-recently-used lists of the program: filter strings, formats, search and replacement
// texts.
//
// The most recently used entry stands at the top. An entry equal to the new one without regard
// to case is moved to the top in its stored spelling instead of being added again; the lists have
// no length limit.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::rename {

// Puts `entry` at the top of `list`: moves the first entry equal to it without regard to case
// (keeping that entry's own spelling), or inserts `entry` when there is none.
void promoteRecentEntry(std::vector<std::string>& list, std::string_view entry);

// The history step of the commands that keep such a list in a list file: reads `file` into
// `list` when it exists (else the list in memory stays), promotes `entry` unless it is empty,
// and writes the whole list back, creating the file. Throws StoredFileError when the file cannot
// be read or written.
void promoteInListFile(const std::filesystem::path& file, std::vector<std::string>& list,
                       std::string_view entry);

}  // namespace namitra::rename
