// The file list: the ordered rows that one run of the tool is to rename.
//
// Row order matters: line i of the edit text belongs to row i, and renames run in row order. The
// same path may occur in several rows. The list offers the operations of its commands: append,
// clear, delete a set of rows, sort by a column with the program's comparison and alternating
// direction, and the filter that keeps only rows whose current name contains a text. Every
// operation is linear (or n log n for the sort) in the number of rows, so that 100,000 rows stay
// immediate.
#pragma once

#include "rename/file_entry.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace namitra::rename {

// The columns of the list, in display order.
enum class FileListColumn { Folder = 0, Name = 1, PlannedName = 2 };

// The sort comparison of the list: bytes compared one by one, "a" to "z" taken as "A" to "Z" and
// every other byte (the bytes of double-byte characters included) by its value; if one key is the
// beginning of the other, the shorter is smaller. Returns <0, 0 or >0.
int compareSortKeys(std::string_view a, std::string_view b);

class FileList {
 public:
  std::size_t size() const { return m_rows.size(); }
  bool empty() const { return m_rows.empty(); }
  const FileEntry& row(std::size_t i) const { return m_rows[i]; }
  FileEntry& row(std::size_t i) { return m_rows[i]; }
  const std::vector<FileEntry>& rows() const { return m_rows; }

  void append(FileEntry entry) { m_rows.push_back(std::move(entry)); }
  void append(std::vector<FileEntry> entries);
  void clear() { m_rows.clear(); }
  void removeRow(std::size_t i);

  // Removes the rows whose indices are listed (in any order; duplicates and indices past the end
  // are ignored), keeping the order of the others.
  void removeRows(const std::vector<std::size_t>& indices);

  // Sorts by `column` in the direction of the next sort, then turns that direction round. The
  // first sort of a run is descending; rows with equal keys keep their relative order.
  void sortBy(FileListColumn column);
  FileListColumn sortColumn() const { return m_sortColumn; }
  bool sortAscending() const { return m_sortAscending; }

  // Keeps only the rows whose current name contains `text` (a case-sensitive, double-byte aware
  // plain search; folders and planned names are not looked at). Returns the number removed.
  std::size_t keepNamesContaining(std::string_view text);

 private:
  std::vector<FileEntry> m_rows;
  FileListColumn m_sortColumn = FileListColumn::Folder;
  bool m_sortAscending = false;
};

}  // namespace namitra::rename
