// The change history: every rename that succeeded in this run, oldest first.
//
// A record keeps the folder and name before the rename, and the folder and name after it: a
// planned name holding a "/" moves the file into another folder, and undoing such a record
// must rename the file where it now is, not an unrelated file of the old folder. Records are
// in memory only. The history window listens to appends so that every record shows at once.
// Undo itself lives with the rename run (rename/rename_run.h), which gives it the same
// ordering rules.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::rename {

struct HistoryRecord {
  std::string folder;      // of the path that was renamed, with its trailing "/"
  std::string nameBefore;
  std::string nameAfter;
  std::string newFolder;   // of the new path; equal to `folder` unless the name moved the file
  bool checked = false;

  std::string pathBefore() const { return folder + nameBefore; }
  std::string pathAfter() const { return newFolder + nameAfter; }

  friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;
};

// The unchecked record of the rename of `from` to `to` (full paths in the program's text).
HistoryRecord historyRecordOf(std::string_view from, std::string_view to);

class ChangeHistory {
 public:
  using AppendListener = std::function<void(std::size_t index)>;

  std::size_t size() const { return m_records.size(); }
  bool empty() const { return m_records.empty(); }
  const HistoryRecord& record(std::size_t i) const { return m_records[i]; }
  const std::vector<HistoryRecord>& records() const { return m_records; }

  void append(HistoryRecord record);
  void reserve(std::size_t records) { m_records.reserve(records); }
  void appendRename(std::string_view from, std::string_view to) { append(historyRecordOf(from, to)); }
  void setChecked(std::size_t i, bool checked) { m_records[i].checked = checked; }

  // actCheckOnSelectItem: checks every listed row (indices past the end are ignored); no row
  // is ever unchecked by it.
  void checkRows(const std::vector<std::size_t>& indices);

  // Removes the rows whose flag in `remove` is set (a vector of the history's size), keeping
  // the order of the others.
  void removeRows(const std::vector<bool>& remove);

  // Called after each append with the new record's index.
  void setAppendListener(AppendListener listener) { m_listener = std::move(listener); }

 private:
  std::vector<HistoryRecord> m_records;
  AppendListener m_listener;
};

}  // namespace namitra::rename
