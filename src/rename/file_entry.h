// One row of the file list: a file (or folder) that the run is to rename.
//
// A row keeps its folder (the path up to and including its last "/"), its current name and the
// name it is planned to get (empty until the edit text is turned into planned names). All three
// are Shift-JIS text; folder + name is the full current path and folder + planned name the full
// planned path, joined without any added separator.
#pragma once

#include <string>
#include <string_view>

namespace namitra::rename {

struct FileEntry {
  std::string folder;
  std::string name;
  std::string plannedName;

  std::string currentPath() const { return folder + name; }
  std::string plannedPath() const { return folder + plannedName; }

  friend bool operator==(const FileEntry&, const FileEntry&) = default;
};

// Splits a path after its last "/": the folder keeps the separator, the name is the rest. A path
// without "/" has an empty folder. "\" and ":" are ordinary name characters on this platform.
// The byte 0x2F is never the trail byte of a double-byte character (trail bytes start at 0x40),
// so the last "/" byte is always a real separator.
FileEntry splitPath(std::string_view path);

}  // namespace namitra::rename
