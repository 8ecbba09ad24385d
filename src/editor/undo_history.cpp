// The bounded undo list and the redo list of the editor.
#include "editor/undo_history.h"

#include <algorithm>
#include <cassert>

namespace namitra::editor {

void UndoHistory::setUndoListMax(int limit) { m_undoListMax = std::max(kMinimumUndoListMax, limit); }

UndoStep& UndoHistory::appendStep(TextPosition caret) {
  UndoStep step;
  step.caretRow = caret.row;
  step.caretColumn = caret.column;
  m_undoList.push_back(std::move(step));
  ++m_appendedSteps;
  // One step at most is dropped per append, so a lowered limit takes effect gradually.
  if (static_cast<int>(m_undoList.size()) > m_undoListMax) m_undoList.pop_front();
  if (!m_applyingRedo) m_redoList.clear();
  return m_undoList.back();
}

UndoStep UndoHistory::takeNewestUndo() {
  assert(!m_undoList.empty() && "takeNewestUndo needs a step to undo");
  UndoStep step = std::move(m_undoList.back());
  m_undoList.pop_back();
  return step;
}

UndoStep UndoHistory::takeNewestRedo() {
  assert(!m_redoList.empty() && "takeNewestRedo needs a step to redo");
  UndoStep step = std::move(m_redoList.back());
  m_redoList.pop_back();
  return step;
}

void UndoHistory::clear() {
  m_undoList.clear();
  m_redoList.clear();
}

}  // namespace namitra::editor
