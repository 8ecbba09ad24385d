#include "app/file_list_model.h"

#include "app/display_text.h"

namespace namitra::app {

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void FileListModel::append(std::vector<rename::FileEntry> entries) {
  if (entries.empty()) return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(entries.size()) - 1);
  m_list.append(std::move(entries));
  endInsertRows();
  emit rowsChanged();
}

void FileListModel::clear() {
  beginResetModel();
  m_list.clear();
  endResetModel();
  emit rowsChanged();
}

void FileListModel::removeRows(const std::vector<std::size_t>& indices) {
  beginResetModel();
  m_list.removeRows(indices);
  endResetModel();
  emit rowsChanged();
}

void FileListModel::sortBy(rename::FileListColumn column) {
  emit layoutAboutToBeChanged();
  m_list.sortBy(column);
  emit layoutChanged();
  emit rowsChanged();
}

void FileListModel::keepNamesContaining(std::string_view text) {
  beginResetModel();
  m_list.keepNamesContaining(text);
  endResetModel();
  emit rowsChanged();
}

void FileListModel::changeNames(const std::function<void(rename::FileList&)>& change) {
  const std::size_t rows = m_list.size();
  change(m_list);
  Q_ASSERT_X(m_list.size() == rows, "FileListModel::changeNames", "rows added or removed");
  if (rows > 0) emit dataChanged(index(0, 0), index(static_cast<int>(rows) - 1, 2));
  emit rowsChanged();
}

void FileListModel::setPlannedName(std::size_t row, std::string name) {
  m_list.row(row).plannedName = std::move(name);
  const QModelIndex cell = index(static_cast<int>(row), 2);
  emit dataChanged(cell, cell);
  emit rowsChanged();
}

void FileListModel::setCurrentName(std::size_t row, std::string name) {
  m_list.row(row).name = std::move(name);
  const QModelIndex cell = index(static_cast<int>(row), 1);
  emit dataChanged(cell, cell);
  emit rowsChanged();
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_list.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const rename::FileEntry& entry = m_list.row(static_cast<std::size_t>(index.row()));
  switch (index.column()) {
    case 0: return toDisplayText(entry.folder);
    case 1: return toDisplayText(entry.name);
    case 2: return toDisplayText(entry.plannedName);
  }
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case 0: return QString::fromUtf8("パス");
    case 1: return QString::fromUtf8("現在のファイル名");
    case 2: return QString::fromUtf8("変更予定のファイル名");
  }
  return {};
}

}  // namespace namitra::app
