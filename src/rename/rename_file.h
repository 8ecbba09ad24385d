// RenameFile, the one rename primitive of the program.
//
// RenameFile moves the file or folder at one native path to another. Without permission to
// replace it uses renameat2 with RENAME_NOREPLACE, so that nothing that appears at the target
// between a test and the move can be destroyed; where the file system does not support that
// flag it links the target and unlinks the source, which refuses an existing target as well,
// and where it has no hard links either (exFAT or FAT through FUSE), or for a folder, it tests
// for the target, then renames: the one case with a window between test and move.
//
// Between two file systems (EXDEV) a regular file is copied, never moved in place half-written:
// the copy is written under a scratch name in the target's folder, flushed with the folder, and
// only then put at the target, keeping the source's mode, times and (where permitted) owner.
// When replacing, the old target is first moved aside to a second scratch name and deleted only
// once the source is gone; if the source cannot be removed, the copy is taken away again and
// the old target put back, so a failed move leaves both files as they were. The scratch names
// are the caller's (MoveScratch), so that a run record can name them before the move starts and
// a recovery after a crash can find them; without them RenameFile picks short names of its own.
//
// A name component over 255 bytes, a path of PATH_MAX bytes or more (ENAMETOOLONG) and a path
// holding a NUL byte (EINVAL), among the two paths and the scratch names, are refused before any
// system call. A regular file does not replace a folder across file systems either (EISDIR, as
// rename(2) answers within one), and nothing is copied when the answer is known beforehand.
//
// The primitive records nothing: the caller, which knows the names in the program's own text,
// appends the history record when the rename succeeded.
#pragma once

#include "rename/file_identity.h"

#include <functional>
#include <string>
#include <string_view>

namespace namitra::rename {

// The outcome of one rename: 0 for success or the errno of the refusal.
struct RenameStatus {
  int error = 0;

  bool ok() const { return error == 0; }
  std::string reason() const;  // the system's text for `error`
};

// Where a move between two file systems puts its intermediate files; both in the target's
// folder, both names no other file has.
struct MoveScratch {
  std::string copyPath;   // the copy is written here, then renamed to the target
  std::string asidePath;  // a replaced target waits here until the source is gone
  // Called once the copy is complete and flushed, before it is put at the target, with the
  // copy's identity (the identity the file has at the target afterwards). May be empty.
  std::function<void(const FileIdentity& copy)> copied;
};

RenameStatus RenameFile(const std::string& from, const std::string& to, bool replaceAllowed,
                        const MoveScratch* scratch = nullptr);

}  // namespace namitra::rename
