#include "rename/file_list.h"

#include "sjis/replace.h"

#include <algorithm>

namespace namitra::rename {

FileEntry splitPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {{}, std::string(path), {}};
  return {std::string(path.substr(0, slash + 1)), std::string(path.substr(slash + 1)), {}};
}

namespace {

unsigned char sortByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

const std::string& sortKey(const FileEntry& entry, FileListColumn column) {
  switch (column) {
    case FileListColumn::Folder: return entry.folder;
    case FileListColumn::Name: return entry.name;
    case FileListColumn::PlannedName: return entry.plannedName;
  }
  return entry.folder;
}

}  // namespace

int compareSortKeys(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int diff = int(sortByte(a[i])) - int(sortByte(b[i]));
    if (diff != 0) return diff;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

void FileList::append(std::vector<FileEntry> entries) {
  if (m_rows.empty()) {
    m_rows = std::move(entries);
    return;
  }
  m_rows.insert(m_rows.end(), std::make_move_iterator(entries.begin()),
                std::make_move_iterator(entries.end()));
}

void FileList::removeRow(std::size_t i) {
  if (i < m_rows.size()) m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(i));
}

void FileList::removeRows(const std::vector<std::size_t>& indices) {
  std::vector<bool> doomed(m_rows.size(), false);
  for (std::size_t i : indices)
    if (i < doomed.size()) doomed[i] = true;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    if (doomed[i]) continue;
    if (kept != i) m_rows[kept] = std::move(m_rows[i]);
    ++kept;
  }
  m_rows.resize(kept);
}

void FileList::sortBy(FileListColumn column) {
  m_sortColumn = column;
  const bool ascending = m_sortAscending;
  std::stable_sort(m_rows.begin(), m_rows.end(), [&](const FileEntry& a, const FileEntry& b) {
    const int order = compareSortKeys(sortKey(a, column), sortKey(b, column));
    return ascending ? order < 0 : order > 0;
  });
  m_sortAscending = !m_sortAscending;
}

std::size_t FileList::keepNamesContaining(std::string_view text) {
  return std::erase_if(m_rows, [&](const FileEntry& entry) {
    return sjis::findText(entry.name, text) == std::string_view::npos;
  });
}

}  // namespace namitra::rename
