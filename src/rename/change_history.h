// The change history: every rename that succeeded in this run, oldest first.
//
// A record keeps the folder and name before the rename, and the folder and name after it: a
// planned name holding a "/" moves the file into another folder, and undoing such a record
// must rename the file where it now is, not an unrelated file of the old folder. Records are
// in memory only. The history window listens to appends so that every record shows at once.
// Undo itself lives with the rename run (rename/rename_run.h), which gives it the same
// ordering rules.
//
// A run over 100,000 files appends 100,000 records, so the history stores them compactly: the
// names in a TextStore, each folder once (records refer to it by number), and per record only
// views and numbers. `record(i)` builds the value type HistoryRecord on request; `view(i)` gives
// the stored texts without copying them.
#pragma once

#include "rename/file_identity.h"
#include "rename/text_store.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace namitra::rename {

struct HistoryRecord {
  std::string folder;      // of the path that was renamed, with its trailing "/"
  std::string nameBefore;
  std::string nameAfter;
  std::string newFolder;   // of the new path; equal to `folder` unless the name moved the file
  bool checked = false;
  // The file the rename moved, as it is at the new path; unknown for records read from a
  // source that did not keep it. Undo reverses a record only while that file is still there.
  FileIdentity identity;

  std::string pathBefore() const { return folder + nameBefore; }
  std::string pathAfter() const { return newFolder + nameAfter; }

  friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;
};

// The stored texts of one record. The views stay valid while records are only appended; they
// end with removeRows.
struct HistoryRecordView {
  std::string_view folder;
  std::string_view nameBefore;
  std::string_view nameAfter;
  std::string_view newFolder;
  bool checked = false;
  FileIdentity identity;
};

// The unchecked record of the rename of `from` to `to` (full paths in the program's text).
HistoryRecord historyRecordOf(std::string_view from, std::string_view to);

class ChangeHistory {
 public:
  using AppendListener = std::function<void(std::size_t index)>;

  std::size_t size() const { return m_records.size(); }
  bool empty() const { return m_records.empty(); }
  HistoryRecord record(std::size_t i) const;
  HistoryRecordView view(std::size_t i) const;
  bool isChecked(std::size_t i) const { return m_records[i].checked; }
  // Every record, oldest first (a copy).
  std::vector<HistoryRecord> records() const;

  void append(const HistoryRecord& record);
  // The rename of `from` to `to`, full paths split after their last "/".
  void appendRename(std::string_view from, std::string_view to);
  // The rename of folder + nameBefore to newFolder + nameAfter, which moved the file `identity`.
  void appendRename(std::string_view folder, std::string_view nameBefore, std::string_view newFolder,
                    std::string_view nameAfter, const FileIdentity& identity = {});
  void reserve(std::size_t records) { m_records.reserve(records); }
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
  struct StoredRecord {
    const char* nameBefore;
    const char* nameAfter;
    std::uint32_t nameBeforeSize;
    std::uint32_t nameAfterSize;
    std::uint32_t folder;     // index into m_folders
    std::uint32_t newFolder;
    bool checked;
    FileIdentity identity;
  };

  void store(std::string_view folder, std::string_view nameBefore, std::string_view newFolder,
             std::string_view nameAfter, bool checked, const FileIdentity& identity);
  std::uint32_t folderNumber(std::string_view folder);
  std::string_view folderText(std::uint32_t folder) const { return m_folders[folder]; }
  void compactNames();

  std::vector<StoredRecord> m_records;
  TextStore m_names;
  std::size_t m_liveNameBytes = 0;
  std::deque<std::string> m_folders;  // a deque: the map's views of its strings stay valid
  std::unordered_map<std::string_view, std::uint32_t> m_folderNumbers;
  std::uint32_t m_lastFolder = UINT32_MAX;
  AppendListener m_listener;
};

}  // namespace namitra::rename
