#include "rename/change_history.h"

#include <cassert>

namespace namitra::rename {

namespace {

std::string_view folderPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view namePart(std::string_view path) { return path.substr(folderPart(path).size()); }

// Names dropped by removeRows are given back once they outweigh the names still in use.
constexpr std::size_t kCompactAbove = 1 << 20;

}  // namespace

HistoryRecord historyRecordOf(std::string_view from, std::string_view to) {
  return {std::string(folderPart(from)), std::string(namePart(from)), std::string(namePart(to)),
          std::string(folderPart(to)), false, {}};
}

HistoryRecordView ChangeHistory::view(std::size_t i) const {
  const StoredRecord& r = m_records[i];
  return {folderText(r.folder), {r.nameBefore, r.nameBeforeSize}, {r.nameAfter, r.nameAfterSize},
          folderText(r.newFolder), r.checked, r.identity};
}

HistoryRecord ChangeHistory::record(std::size_t i) const {
  const HistoryRecordView v = view(i);
  return {std::string(v.folder), std::string(v.nameBefore), std::string(v.nameAfter),
          std::string(v.newFolder), v.checked, v.identity};
}

std::vector<HistoryRecord> ChangeHistory::records() const {
  std::vector<HistoryRecord> all;
  all.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) all.push_back(record(i));
  return all;
}

// Runs append record after record in one folder: the last folder is compared first.
std::uint32_t ChangeHistory::folderNumber(std::string_view folder) {
  if (m_lastFolder != UINT32_MAX && m_folders[m_lastFolder] == folder) return m_lastFolder;
  auto known = m_folderNumbers.find(folder);
  if (known != m_folderNumbers.end()) return m_lastFolder = known->second;
  m_folders.emplace_back(folder);
  m_lastFolder = static_cast<std::uint32_t>(m_folders.size() - 1);
  m_folderNumbers.emplace(m_folders.back(), m_lastFolder);
  return m_lastFolder;
}

void ChangeHistory::append(const HistoryRecord& record) {
  store(record.folder, record.nameBefore, record.newFolder, record.nameAfter, record.checked, record.identity);
}

void ChangeHistory::appendRename(std::string_view from, std::string_view to) {
  store(folderPart(from), namePart(from), folderPart(to), namePart(to), false, {});
}

void ChangeHistory::appendRename(std::string_view folder, std::string_view nameBefore,
                                 std::string_view newFolder, std::string_view nameAfter,
                                 const FileIdentity& identity) {
  store(folder, nameBefore, newFolder, nameAfter, false, identity);
}

void ChangeHistory::store(std::string_view folder, std::string_view nameBefore, std::string_view newFolder,
                          std::string_view nameAfter, bool checked, const FileIdentity& identity) {
  const std::uint32_t from = folderNumber(folder);
  const std::uint32_t to = folderNumber(newFolder);
  const std::string_view before = m_names.add(nameBefore);
  const std::string_view after = m_names.add(nameAfter);
  m_liveNameBytes += before.size() + after.size();
  m_records.push_back({before.data(), after.data(), static_cast<std::uint32_t>(before.size()),
                       static_cast<std::uint32_t>(after.size()), from, to, checked, identity});
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
    const StoredRecord& r = m_records[i];
    if (remove[i]) {
      m_liveNameBytes -= r.nameBeforeSize + r.nameAfterSize;
      continue;
    }
    m_records[kept++] = r;
  }
  m_records.resize(kept);
  if (m_names.size() > kCompactAbove && m_names.size() > 2 * m_liveNameBytes) compactNames();
}

void ChangeHistory::compactNames() {
  TextStore names;
  for (StoredRecord& r : m_records) {
    r.nameBefore = names.add({r.nameBefore, r.nameBeforeSize}).data();
    r.nameAfter = names.add({r.nameAfter, r.nameAfterSize}).data();
  }
  m_names = std::move(names);
}

}  // namespace namitra::rename
