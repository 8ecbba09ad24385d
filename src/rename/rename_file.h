// RenameFile, the one rename primitive of the program, and the file-system access the rename
// run goes through.
//
// RenameFile moves the file or folder at one native path to another. Without permission to
// replace it uses renameat2 with RENAME_NOREPLACE, so that nothing that appears at the target
// between a test and the move can be destroyed; where the file system does not support that
// flag it links the target and unlinks the source, which refuses an existing target as well,
// and where it has no hard links either (exFAT or FAT through FUSE), or for a folder, it tests
// for the target, then renames: the one case with a window between test and move.
// Between two file systems (EXDEV) a regular file is copied (content, mode and times) and the
// source deleted; the copy never replaces an existing file unless allowed, and a copy that
// fails half way is removed again, so the source is always left whole. A name component over
// 255 bytes, a path of PATH_MAX bytes or more (ENAMETOOLONG) and a path holding a NUL byte
// (EINVAL) are refused before any system call.
//
// The primitive records nothing: the caller, which knows the names in the program's own text,
// appends the history record when the rename succeeded.
#pragma once

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

RenameStatus RenameFile(const std::string& from, const std::string& to, bool replaceAllowed);

enum class EntryKind { None, File, Folder };

// Called with each entry of a listed folder; the name is valid only during the call.
using EntryVisitor = std::function<void(std::string_view name, bool isFolder)>;

// What the rename run needs of the file system, all over native paths. The run learns which
// targets exist from one listing per folder; tests put a case-insensitive or failing file
// system in its place.
class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // Calls `visit` for every entry of `folder` except "." and "..", in listing order; false
  // when the folder cannot be listed.
  virtual bool listFolder(const std::string& folder, const EntryVisitor& visit) = 0;
  // The kind of the entry at `path` itself (a symbolic link is a file).
  virtual EntryKind entryKind(const std::string& path) = 0;
  virtual RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed) = 0;
};

// The real file system. A folder is read with getdents64 into one buffer, so that listing
// 100,000 entries costs no allocation per entry.
class SystemFileAccess : public FileAccess {
 public:
  bool listFolder(const std::string& folder, const EntryVisitor& visit) override;
  EntryKind entryKind(const std::string& path) override;
  RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed) override {
    return RenameFile(from, to, replaceAllowed);
  }
};

}  // namespace namitra::rename
