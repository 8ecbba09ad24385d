#include "rename/change_history.h"

#include "rename/file_entry.h"

#include <cassert>

namespace namitra::rename {

HistoryRecord historyRecordOf(std::string_view from, std::string_view to) {
  FileEntry before = splitPath(from);
  FileEntry after = splitPath(to);
  return {std::move(before.folder), std::move(before.name), std::move(after.name),
          std::move(after.folder), false};
}

void ChangeHistory::append(HistoryRecord record) {
  m_records.push_back(std::move(record));
  if (m_listener) m_listener(m_records.size() - 1);
}

void ChangeHistory::checkRows(const std::vector<std::size_t>& indices) {
  for (std::size_t i : indices) {
    if (i < m_records.size()) m_records[i].checked = true;
  }
}

void ChangeHistory::removeRows(const std::vector<bool>& remove) {
  assert(remove.size() == m_records.size() && "one flag per record");
  std::size_t kept = 0;
  for (std::size_t i = 0; i < m_records.size(); ++i) {
    if (remove[i]) continue;
    if (kept != i) m_records[kept] = std::move(m_records[i]);
    ++kept;
  }
  m_records.resize(kept);
}

}  // namespace namitra::rename
