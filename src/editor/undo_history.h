// The editor's undo and redo lists.
//
// Every change of the text appends one `UndoStep` that records the caret before the change and
// the rows it removed, so that the change can be turned round. The undo list keeps at most
// `UndoListMax` steps (never fewer than 64): when a new step makes it longer, the oldest step is
// dropped. A new step empties the redo list, except while a redo is being applied, which appends
// its own step to the undo list and must keep the rest of the redo list. The redo list has no
// limit of its own. The history only stores steps; the editor applies them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "editor/row.h"
#include "editor/text_position.h"

namespace namitra::editor {

struct UndoStep {
  std::int32_t caretRow = 0;
  std::int32_t caretColumn = 0;
  std::int32_t startRow = -1;     // -1 until the change has filled it in
  std::int32_t rowCount = 0;      // rows the change put in place of the removed ones
  RowEnd endKind = RowEnd::None;  // end of the last removed row; None when none was removed
  std::string replacedText;       // the removed rows, joined as in the whole text

  friend bool operator==(const UndoStep&, const UndoStep&) = default;
};

using UndoStepList = std::deque<UndoStep>;

class UndoHistory {
 public:
  static constexpr int kMinimumUndoListMax = 64;

  int UndoListMax() const { return m_undoListMax; }
  // Stores the larger of 64 and `limit`; the lists are trimmed only by the next appended step.
  void setUndoListMax(int limit);

  bool CanUndo() const { return !m_undoList.empty(); }
  bool CanRedo() const { return !m_redoList.empty(); }
  const UndoStepList& undoList() const { return m_undoList; }
  const UndoStepList& redoList() const { return m_redoList; }
  // The number of steps appended since the history was made, dropped ones included.
  std::uint64_t appendedSteps() const { return m_appendedSteps; }

  // Appends a fresh step with the given caret and returns it for the caller to fill in. Drops
  // the oldest step when the list grows past the limit; empties the redo list unless a redo is
  // being applied. The reference is valid until the next change of the history.
  UndoStep& appendStep(TextPosition caret);

  UndoStep takeNewestUndo();
  UndoStep takeNewestRedo();
  void appendRedo(UndoStep step) { m_redoList.push_back(std::move(step)); }

  void setApplyingRedo(bool applying) { m_applyingRedo = applying; }
  void clear();

 private:
  UndoStepList m_undoList;
  UndoStepList m_redoList;
  int m_undoListMax = kMinimumUndoListMax;
  bool m_applyingRedo = false;
  std::uint64_t m_appendedSteps = 0;
};

}  // namespace namitra::editor
