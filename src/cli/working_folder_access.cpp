#include "cli/working_folder_access.h"

namespace namitra::cli {

WorkingFolderFileAccess::WorkingFolderFileAccess(std::string workingFolder) : m_folder(std::move(workingFolder)) {
  if (m_folder.empty() || m_folder.back() != '/') m_folder.push_back('/');
}

std::optional<std::string_view> WorkingFolderFileAccess::nameInWorkingFolder(std::string_view path) const {
  if (m_folder.size() < 2 || !path.starts_with(m_folder)) return std::nullopt;
  const std::string_view name = path.substr(m_folder.size());
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) return std::nullopt;
  return name;
}

rename::RenameStatus WorkingFolderFileAccess::rename(const std::string& from, const std::string& to,
                                                     bool replaceAllowed) {
  const std::optional<std::string_view> fromName = nameInWorkingFolder(from);
  const std::optional<std::string_view> toName = nameInWorkingFolder(to);
  if (!fromName || !toName) return rename::RenameFile(from, to, replaceAllowed);
  m_fromName.assign(*fromName);
  m_toName.assign(*toName);
  return rename::RenameFile(m_fromName, m_toName, replaceAllowed);
}

}  // namespace namitra::cli
