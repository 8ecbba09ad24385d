// The editor control's model: the rows of the text, the caret, the selection, the undo history,
// the row marks, the view's scroll position and the input messages it consumes.
//
// Every change of the text goes through `ReplaceRows`, which records exactly one `UndoStep`;
// `Undo` and `Redo` put rows back without recording anything themselves. Rows live in one
// vector, and a change moves only the rows it touches plus the tail behind a change of the row
// count, so operations on a text of 100,000 lines cost what they change, not the whole text.
//
// The caret is a row and a display column. Its row runs from 0 to the number of rows; the
// number of rows itself (the empty place after the last line) is allowed only when the last row
// ends with a line break. Its column always stands on a character start, never on the second
// byte of a double-byte character or inside a tab; it stays within the row except in box mode,
// where it may stand past the row's end. A selection runs from an anchor to the caret, as a
// stream of characters or, in box mode, as a rectangle of columns.
//
// The model knows nothing of painting. The widget tells it how many rows and columns are visible
// and listens to `setChangeListener`, which is called once per change, or once when the
// outermost update bracket closes.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "editor/clipboard.h"
#include "editor/input_message.h"
#include "editor/row.h"
#include "editor/text_position.h"
#include "editor/undo_history.h"

namespace namitra::editor {

// Raised by the `Lines` accessors for an index outside 0 .. count - 1. The message is the
// program's Shift-JIS text "リストのインデックスが範囲を超えています".
class LineIndexError : public std::out_of_range {
 public:
  LineIndexError();
};

enum ChangeFlag : unsigned {
  kTextChanged = 1,
  kCaretMoved = 2,
  kViewScrolled = 4,
  kModeChanged = 8,  // box mode, marks or read-only
};

class TextEditor {
 public:
  static constexpr int kMarkCount = 10;
  using ChangeListener = std::function<void(unsigned flags)>;
  using MessageHook = std::function<void(const InputMessage&)>;

  TextEditor();
  TextEditor(const TextEditor&) = delete;
  TextEditor& operator=(const TextEditor&) = delete;

  // --- Rows and the whole text ---
  int rowCount() const { return static_cast<int>(m_rows.size()); }
  const Row& row(int index) const { return m_rows[index]; }
  const std::vector<Row>& rows() const { return m_rows; }
  std::string text() const;
  // Empties the text and both histories, then loads `text` (split at CR LF, lone CR, lone LF);
  // caret to (0, 0).
  void setText(std::string_view text);

  // Puts the rows of `text` in place of `count` rows from `first` and records one undo step.
  // The last new row ends with a line break when rows follow it; at the end of the text it does
  // when `text` ends with one. An empty `text` deletes the rows.
  void ReplaceRows(int first, int count, std::string_view text);

  // --- Lines: the line view of the rows (word wrap is off, so lines are rows) ---
  int lineCount() const { return rowCount(); }
  const std::string& line(int index) const;  // throws LineIndexError
  // Appends a line; the caret goes after it (after its line break when it has one).
  void addLine(std::string_view text);
  // Replaces line `index`, keeping its line end; throws LineIndexError. The number of lines
  // stays, also when the last line of a text without a final line break is emptied.
  void putLine(int index, std::string_view text);
  void clearLines();

  void beginUpdate();
  void endUpdate();
  bool isUpdating() const { return m_updateDepth > 0; }

  // --- Caret and selection ---
  TextPosition caret() const { return m_caret; }
  // The caret clamped to the text and moved left onto a character start; nothing happens when
  // the caret already stands there. A move cancels the selection.
  void MoveCaret(int row, int column);
  // Moves the caret to `position` (clamped), extending the selection or cancelling it.
  void moveCaretTo(TextPosition position, bool extendSelection);
  int caretByteOffset() const;
  void moveCaretToByte(int row, int byteOffset);
  TextPosition endOfText() const;

  bool hasSelection() const { return m_anchor && *m_anchor != m_caret; }
  TextPosition anchor() const { return m_anchor.value_or(m_caret); }
  TextPosition selectionStart() const { return std::min(anchor(), m_caret); }
  TextPosition selectionEnd() const { return std::max(anchor(), m_caret); }
  bool boxMode() const { return m_boxMode; }
  void setBoxMode(bool on);
  void setSelection(TextPosition anchor, TextPosition caret);
  void cancelSelection();
  void selectAll();
  void SelectForward(int count);
  // Selects `length` bytes from byte `byteOffset` (0-based) of `row`: a search hit.
  void selectHit(int row, int byteOffset, int length);
  // The selected text; a box gives each row's piece followed by CR LF.
  std::string selectedText() const;
  // Columns [left, right) of a box selection.
  std::pair<int, int> boxColumns() const;

  // --- Changes at the caret ---
  // Puts `text` in place of the selection (stream or box) or inserts it at the caret; one step.
  void ReplaceSelection(std::string_view text);
  void deleteSelection();
  // Inserts `lines` (split at line breaks) as a rectangle at the caret, padding short rows with
  // blanks and adding rows past the end; one undo step.
  void pasteBlock(std::string_view lines);

  // --- Clipboard (not owned; a private memory clipboard when none is set) ---
  void setClipboard(Clipboard* clipboard) { m_clipboard = clipboard ? clipboard : &m_ownClipboard; }
  Clipboard& clipboard() const { return *m_clipboard; }
  void copyToClipboard();
  void cutToClipboard();
  void PasteFromClipboard();
  void pasteBoxFromClipboard();

  // --- History ---
  bool CanUndo() const { return m_history.CanUndo(); }
  bool CanRedo() const { return m_history.CanRedo(); }
  void Undo();
  void Redo();
  const UndoHistory& history() const { return m_history; }
  int UndoListMax() const { return m_history.UndoListMax(); }
  void setUndoListMax(int limit) { m_history.setUndoListMax(limit); }

  // --- Row marks 0-9: each on at most one row ---
  int markRow(int mark) const { return m_marks[mark]; }  // -1 when no row carries it
  void toggleMark(int mark);
  void jumpToMark(int mark);

  // --- The view ---
  void setViewSize(int rows, int columns);
  int visibleRows() const { return m_visibleRows; }
  int visibleColumns() const { return m_visibleColumns; }
  int topRow() const { return m_topRow; }
  int leftColumn() const { return m_leftColumn; }
  int maxTopRow() const;
  void setTopRow(int row);
  void setLeftColumn(int column);
  void ScrollRows(int delta);
  void ScrollCaretIntoView();
  // Scrolls as little as needed to show the caret (after caret moves by keys and mouse).
  void ensureCaretVisible();

  bool ReadOnly() const { return m_readOnly; }
  void setReadOnly(bool readOnly);

  void setChangeListener(ChangeListener listener) { m_listener = std::move(listener); }

  // --- Input messages ---
  // Passes `message` to the hook, then handles it; true when the editor consumed it. A lead byte
  // takes its trail byte from the front of the queue.
  bool sendMessage(const InputMessage& message) {
    offerToHook(message);
    return handleMessage(message);
  }
  // The two halves of `sendMessage`, for a widget that shows the hook a key before the window's
  // shortcuts run and hands it to the editor only when none took it.
  void offerToHook(const InputMessage& message) const {
    if (m_hook) m_hook(message);
  }
  bool handleMessage(const InputMessage& message);
  // The context menu's shortcuts alone: true when the key-down is one of them (consumed even
  // when its item has nothing to do).
  bool handleShortcutKey(const InputMessage& message);
  void postMessage(const InputMessage& message) { m_queue.push_back(message); }
  // Sends every queued message, oldest first.
  void processMessages();
  // Removes the oldest queued message and sends it; false when the queue is empty.
  bool dispatchNextMessage();
  // The result string of the input method: inserted at once as one undo step; its characters
  // then pass as input-method character messages whose character bytes are ignored.
  void commitInputMethodText(std::string_view text);
  void setMessageHook(MessageHook hook) { m_hook = std::move(hook); }
  const MessageHook& messageHook() const { return m_hook; }
  const std::deque<InputMessage>& pendingMessages() const { return m_queue; }

 private:
  // Holds an update bracket for the length of one operation, so that an operation made of a
  // change and a caret move notifies the listener once.
  class OneNotification {
   public:
    explicit OneNotification(TextEditor& editor) : m_editor(editor) { m_editor.beginUpdate(); }
    ~OneNotification() { m_editor.endUpdate(); }
    OneNotification(const OneNotification&) = delete;
    OneNotification& operator=(const OneNotification&) = delete;

   private:
    TextEditor& m_editor;
  };

  // Replaces `count` rows from `first` by `rows`, recording one undo step.
  void replaceRowsRecorded(int first, int count, std::vector<Row> rows);
  // Replaces rows without touching the history.
  void putRows(int first, int count, std::vector<Row> rows);
  void rowsPut(int first, int count, int newCount);
  void moveMarks(int first, int count, int newCount);
  void replaceWholeText(std::vector<Row> rows);
  std::vector<Row> rowsFromText(int first, int count, std::string_view text) const;
  // Replaces bytes from (fromRow, fromByte) to (toRow, toByte) by `text`; the caret goes after
  // the inserted text.
  void replaceRange(int fromRow, int fromByte, int toRow, int toByte, std::string_view text);
  void replaceBox(std::string_view text);
  void undoOrRedo(UndoStep step, bool isRedo);
  void caretAfterRows(int first, int count);
  void putSingleRow(int index, std::string_view text);

  int maxCaretRow() const;
  TextPosition clamped(TextPosition position) const;
  std::string_view rowText(int row) const;
  int byteOf(TextPosition position) const;
  void setCaretQuietly(TextPosition position);
  void notify(unsigned flags);

  // Keys (text_editor_input.cc).
  bool handleKeyDown(const InputMessage& message);
  bool handleShortcut(std::uint16_t key, bool shift);
  bool handleMovement(const InputMessage& message);
  void handleChar(std::uint16_t code);
  std::string takeCharacter(std::uint16_t byte);
  void postImeCharBytes(std::uint16_t code);
  void typeText(std::string_view text);
  void deleteForward();
  void deleteBackward();
  void breakRow();
  void insertIndentedRowAbove();
  TextPosition wordLeft(TextPosition from) const;
  TextPosition wordRight(TextPosition from) const;
  int indentWidthAtCaret() const;
  bool canEdit() const { return !m_readOnly; }

  std::vector<Row> m_rows;
  TextPosition m_caret;
  std::optional<TextPosition> m_anchor;
  bool m_boxMode = false;
  UndoHistory m_history;
  std::array<int, kMarkCount> m_marks;
  int m_visibleRows = 1;
  int m_visibleColumns = 1;
  int m_topRow = 0;
  int m_leftColumn = 0;
  bool m_readOnly = false;
  int m_updateDepth = 0;
  unsigned m_pendingFlags = 0;
  ChangeListener m_listener;
  MemoryClipboard m_ownClipboard;
  Clipboard* m_clipboard = &m_ownClipboard;
  std::deque<InputMessage> m_queue;
  MessageHook m_hook;
  std::size_t m_imeBytesToIgnore = 0;
};

}  // namespace namitra::editor
