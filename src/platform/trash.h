// Deleting a file into the desktop's trash (the freedesktop.org trash shared with the file
// managers), where the user can restore it.
//
// A file on the same file system as the home trash ($XDG_DATA_HOME/Trash, by default
// ~/.local/share/Trash) goes there; a file on another file system goes to the trash at the top
// of its own mount ($topdir/.Trash-$uid), so that it is moved, never copied. Each trashed file
// gets its information file (original path and deletion time) in the trash's info folder, and a
// name that is already in the trash gets a number appended. Nothing is ever moved anywhere but
// into a trash: when no trash can be used, the file stays where it is.
#pragma once

#include <filesystem>

namespace namitra::platform {

// True when the entry at `path` (a file, not a folder) was moved into a trash.
bool moveToTrash(const std::filesystem::path& path);

}  // namespace namitra::platform
