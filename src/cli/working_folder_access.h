// The real file system for a run started in a folder: entries of that folder are renamed by
// their names alone.
//
// Rows hold full paths, and the system walks every component of a full path on every rename; for
// files named in the working folder (the usual `namitra-cli ... *.jpg`) that walk is a good part
// of the time a large run spends. A rename whose two paths both name entries directly inside the
// working folder is handed to the rename primitive with the bare names, which the system
// resolves against the working folder: the same entries, found without the walk. Every other
// path, and everything but renaming, goes as it is.
#pragma once

#include "rename/rename_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace namitra::cli {

class WorkingFolderFileAccess : public rename::SystemFileAccess {
 public:
  // `workingFolder`: the native path of the process's working folder.
  explicit WorkingFolderFileAccess(std::string workingFolder);

  rename::RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed) override;

 private:
  // The name of `path` when it names an entry directly inside the working folder.
  std::optional<std::string_view> nameInWorkingFolder(std::string_view path) const;

  std::string m_folder;  // with its trailing "/"
  std::string m_fromName;  // reused for every rename
  std::string m_toName;
};

}  // namespace namitra::cli
