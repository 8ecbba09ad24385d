// What the rename run needs of the file system, all over native paths, and the real file system
// behind it.
//
// The run learns what is at its sources and targets from one listing per folder: each entry's
// name, whether it is a folder, and its inode number, which with the folder's device gives the
// entry's identity without a stat per row. Tests put a case-insensitive, failing or crashing
// file system in its place.
#pragma once

#include "rename/file_identity.h"
#include "rename/rename_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace namitra::rename {

enum class EntryKind { None, File, Folder };

// One entry of a listed folder; the name is valid only during the visit.
struct FolderEntry {
  std::string_view name;
  bool isFolder = false;
  std::uint64_t inode = 0;  // as the listing gives it (see FileAccess::listingGivesInodes)
};

using EntryVisitor = std::function<void(const FolderEntry& entry)>;

class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // Calls `visit` for every entry of `folder` except "." and "..", in listing order; false
  // when the folder cannot be listed.
  virtual bool listFolder(const std::string& folder, const EntryVisitor& visit) = 0;
  // The kind of the entry at `path` itself (a symbolic link is a file).
  virtual EntryKind entryKind(const std::string& path) = 0;
  // The identity of the entry at `path` itself; unknown when nothing is there.
  virtual FileIdentity identity(const std::string& path) = 0;
  // The identity of the folder `folder` names, following symbolic links; unknown when it is
  // no folder or cannot be reached.
  virtual FileIdentity folderIdentity(const std::string& folder) = 0;
  // The absolute path of `folder` without symbolic links, "." or ".." and with its trailing
  // "/", each name spelled as stored (on a folder that ignores case, "D1" typed for "d1" gives
  // "d1"); nullopt when the folder does not exist.
  virtual std::optional<std::string> canonicalFolder(const std::string& folder) = 0;
  virtual RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                              const MoveScratch* scratch = nullptr) = 0;
};

// The real file system. A folder is read with getdents64 into one buffer, so that listing
// 100,000 entries costs no allocation per entry.
class SystemFileAccess : public FileAccess {
 public:
  bool listFolder(const std::string& folder, const EntryVisitor& visit) override;
  EntryKind entryKind(const std::string& path) override;
  FileIdentity identity(const std::string& path) override { return identityAt(path); }
  FileIdentity folderIdentity(const std::string& folder) override;
  std::optional<std::string> canonicalFolder(const std::string& folder) override;
  RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                      const MoveScratch* scratch = nullptr) override {
    return RenameFile(from, to, replaceAllowed, scratch);
  }
};

}  // namespace namitra::rename
