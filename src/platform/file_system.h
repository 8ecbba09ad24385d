// Existence tests and the stored spelling of a directory entry.
//
// The tests look at the entry itself (lstat): a symbolic link is an entry of its own, whether
// or not its target exists, just as a rename moves the link and not its target. A folder is
// not a file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::platform {

// True for any existing entry that is not a folder (files, symbolic links, devices, ...).
bool fileExists(const std::filesystem::path& path);

// True for any existing entry, folders included.
bool pathExists(const std::filesystem::path& path);

// The name of the entry `name` of `folder` as the directory listing spells it, or nullopt when
// there is no such entry. On a file system that matches names exactly this is `name` itself;
// on one that ignores case it is the stored spelling (found by comparing without regard to
// ASCII case).
std::optional<std::string> storedName(const std::filesystem::path& folder, std::string_view name);

// The names of the entries of `folder` that match the wildcard `pattern` ("*.rl"), of every
// kind (hidden entries and folders included) except "." and "..", as stored and in the order of
// the directory listing (not sorted). Letters match without regard to ASCII case, as the
// program's rule folder was always listed. A folder that cannot be listed gives no names.
std::vector<std::string> listEntries(const std::filesystem::path& folder, const char* pattern);

}  // namespace namitra::platform
