// The change-history window (FrmHistory): every rename that succeeded in this run, from which
// checked renames are undone.
//
// The window owns the history records; each one appended by a run (or by an undo) shows at once
// as a row of lvHistory with its check box. actUndo asks the warning question and reverses the
// checked records as one batch, newest first; a record whose reversal fails stays, unchecked,
// and the status bar says how many could not be undone and why. The window is not modal, stays
// on top, and is created hidden at start-up; hiding it keeps its rows.
#pragma once

#include "rename/change_history.h"
#include "rename/rename_run.h"

#include <QWidget>

class QLabel;
class QTreeWidget;

namespace namitra::rename {
class FileAccess;
}

namespace namitra::app {

class FrmHistory : public QWidget {
  Q_OBJECT
 public:
  FrmHistory(rename::FileAccess& files, rename::NativeName native, QWidget* parent = nullptr);

  rename::ChangeHistory& changes() { return m_changes; }
  // Where undo writes its run records; none when null.
  void setRecording(const rename::RunRecording* recording) { m_recording = recording; }
  QTreeWidget* historyList() const { return m_list; }
  QAction* action(const char* name) const;
  QString statusText() const;

  void actUndoExecute();
  void actCheckOnSelectItemExecute();
  void actCloseExecute();

 private:
  void addRow(std::size_t index);
  void rebuildRows();
  void takeCheckMarks();

  rename::ChangeHistory m_changes;
  rename::FileAccess& m_files;
  rename::NativeName m_native;
  const rename::RunRecording* m_recording = nullptr;
  QTreeWidget* m_list;
  QLabel* m_status;
};

}  // namespace namitra::app
