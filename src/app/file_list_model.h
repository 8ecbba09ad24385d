// The Qt model of the file list: the rows of rename::FileList as the three columns of lvFileList.
//
// The model owns the list. Every change goes through the model so that the view is told of it in
// one notification (appending 100,000 dropped rows is one insertion, a sort one layout change),
// and rowCountChanged lets the window update the two hint texts. Texts are converted for display
// only when the view asks for them, that is for the visible rows.
#pragma once

#include "rename/file_list.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

namespace namitra::app {

class FileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit FileListModel(QObject* parent = nullptr);

  const rename::FileList& list() const { return m_list; }

  void append(std::vector<rename::FileEntry> entries);
  void clear();
  void removeRows(const std::vector<std::size_t>& indices);
  void sortBy(rename::FileListColumn column);
  void keepNamesContaining(std::string_view text);
  // Lets `change` rewrite names of the rows in place (it must not add or remove rows); the view
  // is told once.
  void changeNames(const std::function<void(rename::FileList&)>& change);
  // Replaces the planned name (or the current name) of row i.
  void setPlannedName(std::size_t row, std::string name);
  void setCurrentName(std::size_t row, std::string name);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // After every change of the rows: added, changed, removed, sorted.
  void rowsChanged();

 private:
  rename::FileList m_list;
};

}  // namespace namitra::app
