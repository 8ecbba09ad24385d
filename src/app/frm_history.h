// The change-history window (FrmHistory): every rename that succeeded in this run, from which
// checked renames are undone. It is created hidden at start-up and lives for the whole run;
// hiding and showing it keeps its rows. The window holds the list lvHistory with its three
// columns; its commands arrive with the rename run.
#pragma once

#include <QWidget>

class QTreeWidget;

namespace namitra::app {

class FrmHistory : public QWidget {
  Q_OBJECT
 public:
  explicit FrmHistory(QWidget* parent = nullptr);

  QTreeWidget* historyList() const { return m_list; }

 private:
  QTreeWidget* m_list;
};

}  // namespace namitra::app
