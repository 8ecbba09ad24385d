// The editor model: rows, caret, selection, undo and redo, marks and the view.
//
// Every change funnels into `replaceRowsRecorded` (the body of `ReplaceRows`), which records the
// removed rows in one undo step before `putRows` swaps them. `putRows` assigns over the rows that
// are replaced one for one and inserts or erases only the difference, so changing one line of
// a long text moves no other line, and appending a line moves none.
#include "editor/text_editor.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <span>

#include "editor/columns.h"
#include "sjis/char.h"

namespace namitra::editor {

namespace {

// "リストのインデックスが範囲を超えています" in Shift-JIS.
constexpr char kLineIndexMessage[] =
    "\x83\x8a\x83\x58\x83\x67\x82\xcc\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4e\x83\x58\x82\xaa"
    "\x94\xcd\x88\xcd\x82\xf0\x92\xb4\x82\xa6\x82\xc4\x82\xa2\x82\xdc\x82\xb7";

// Where inserting `text` at byte `fromByte` of row `fromRow` leaves the end of the text.
std::pair<int, std::size_t> endOfInsert(int fromRow, std::size_t fromByte, std::string_view text) {
  int breaks = 0;
  std::size_t tail_start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\r' && text[at] != '\n') continue;
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    ++breaks;
    tail_start = at + 1;
  }
  if (breaks == 0) return {fromRow, fromByte + text.size()};
  return {fromRow + breaks, text.size() - tail_start};
}

// The rows an undo step puts back: its replaced text split, the last row given its end kind. A
// last row without line break whose joined form ends with a line break (or is empty) was an
// empty row.
std::vector<Row> rowsOfStep(const UndoStep& step) {
  std::vector<Row> rows;
  if (step.endKind == RowEnd::None) return rows;
  for (std::string_view piece : splitLines(step.replacedText)) rows.push_back({std::string(piece)});
  bool last_row_was_empty = step.replacedText.empty() || endsWithLineBreak(step.replacedText);
  if (step.endKind != RowEnd::CrLf && last_row_was_empty) rows.push_back({});
  rows.back().end = step.endKind;
  return rows;
}

}  // namespace

LineIndexError::LineIndexError() : std::out_of_range(kLineIndexMessage) {}

TextEditor::TextEditor() { m_marks.fill(-1); }

// --- Rows and the whole text ---

std::string TextEditor::text() const { return joinRows(m_rows); }

void TextEditor::setText(std::string_view text) {
  std::vector<Row> rows;
  std::vector<std::string_view> lines = splitLines(text);
  rows.reserve(lines.size());
  for (std::string_view line : lines) rows.push_back({std::string(line), RowEnd::CrLf});
  if (!rows.empty() && !endsWithLineBreak(text)) rows.back().end = RowEnd::Eof;
  replaceWholeText(std::move(rows));
}

// Setting or clearing the whole text starts afresh: no history, caret and view at the top, no
// marks.
void TextEditor::replaceWholeText(std::vector<Row> rows) {
  m_history.clear();
  m_rows = std::move(rows);
  m_caret = {};
  m_anchor.reset();
  m_marks.fill(-1);
  m_topRow = 0;
  m_leftColumn = 0;
  notify(kTextChanged | kCaretMoved | kViewScrolled | kModeChanged);
}

std::vector<Row> TextEditor::rowsFromText(int first, int count, std::string_view text) const {
  std::vector<Row> rows;
  std::vector<std::string_view> lines = splitLines(text);
  rows.reserve(lines.size());
  for (std::string_view line : lines) rows.push_back({std::string(line), RowEnd::CrLf});
  bool rows_follow = first + count < rowCount();
  if (!rows.empty() && !rows_follow && !endsWithLineBreak(text)) rows.back().end = RowEnd::Eof;
  return rows;
}

void TextEditor::ReplaceRows(int first, int count, std::string_view text) {
  assert(first >= 0 && first <= rowCount() && "ReplaceRows: first row out of range");
  assert(count >= 0 && first + count <= rowCount() && "ReplaceRows: row count out of range");
  replaceRowsRecorded(first, count, rowsFromText(first, count, text));
}

void TextEditor::replaceRowsRecorded(int first, int count, std::vector<Row> rows) {
  UndoStep& step = m_history.appendStep(m_caret);
  step.startRow = first;
  step.rowCount = static_cast<int>(rows.size());
  if (count > 0) {
    step.endKind = m_rows[first + count - 1].end;
    step.replacedText = joinRows(std::span(m_rows).subspan(first, count));
  }
  putRows(first, count, std::move(rows));
}

void TextEditor::putRows(int first, int count, std::vector<Row> rows) {
  int new_count = static_cast<int>(rows.size());
  int common = std::min(count, new_count);
  auto at = m_rows.begin() + first;
  std::move(rows.begin(), rows.begin() + common, at);
  if (new_count > count)
    m_rows.insert(at + common, std::make_move_iterator(rows.begin() + common),
                  std::make_move_iterator(rows.end()));
  else if (count > new_count)
    m_rows.erase(at + common, at + count);
  rowsPut(first, count, new_count);
}

// What follows every change of rows: marks, caret, anchor and view brought to the new rows.
void TextEditor::rowsPut(int first, int count, int newCount) {
  moveMarks(first, count, newCount);
  m_caret = clamped(m_caret);
  if (m_anchor) m_anchor = clamped(*m_anchor);
  m_topRow = std::min(m_topRow, maxTopRow());
  notify(kTextChanged | kCaretMoved);
}

void TextEditor::moveMarks(int first, int count, int newCount) {
  for (int& row : m_marks) {
    if (row < first) continue;
    if (row >= first + count) {
      row += newCount - count;
    } else if (newCount > 0) {
      row = first + std::min(row - first, newCount - 1);
    } else {
      // The removed row's mark passes to the row that now stands in its place.
      row = first < rowCount() ? first : rowCount() - 1;
    }
  }
}

// --- Lines ---

const std::string& TextEditor::line(int index) const {
  if (index < 0 || index >= rowCount()) throw LineIndexError();
  return m_rows[index].text;
}

void TextEditor::caretAfterRows(int first, int count) {
  int last = first + count - 1;
  if (m_rows[last].end == RowEnd::CrLf)
    setCaretQuietly({last + 1, 0});
  else
    setCaretQuietly({last, rowWidth(m_rows[last].text)});
}

void TextEditor::addLine(std::string_view text) {
  OneNotification notification(*this);
  int count = rowCount();
  if (count == 0 || m_rows.back().end != RowEnd::Eof) {
    std::string added(text);
    added += "\r\n";
    std::vector<Row> rows = rowsFromText(count, 0, added);
    int new_count = static_cast<int>(rows.size());
    replaceRowsRecorded(count, 0, std::move(rows));
    caretAfterRows(count, new_count);
    return;
  }
  // The last row gets a line break and the new line becomes the row without one.
  std::string joined = m_rows.back().text + "\r\n";
  joined += text;
  std::vector<Row> rows = rowsFromText(count - 1, 1, joined);
  // An empty line after a text without a final line break is still a line of its own.
  if (text.empty()) rows.push_back({std::string(), RowEnd::Eof});
  int new_count = static_cast<int>(rows.size());
  replaceRowsRecorded(count - 1, 1, std::move(rows));
  caretAfterRows(count - 1, new_count);
}

void TextEditor::putLine(int index, std::string_view text) {
  if (index < 0 || index >= rowCount()) throw LineIndexError();
  OneNotification notification(*this);
  if (text.find('\n') == std::string_view::npos && text.find('\r') == std::string_view::npos) {
    putSingleRow(index, text);
    return;
  }
  std::string replacement(text);
  if (m_rows[index].end == RowEnd::CrLf) replacement += "\r\n";
  std::vector<Row> rows = rowsFromText(index, 1, replacement);
  // Emptying the last line of a text without a final line break keeps the line.
  if (rows.empty()) rows.push_back({std::string(), RowEnd::Eof});
  int new_count = static_cast<int>(rows.size());
  replaceRowsRecorded(index, 1, std::move(rows));
  caretAfterRows(index, new_count);
}

// A line without line break replaces its row one for one (the format tool puts one such line
// per row of a long text): the row keeps its line end, as splitting the line with that end
// appended would give it. The undo step is the one replaceRowsRecorded makes, and the removed
// text moves into it instead of being copied.
void TextEditor::putSingleRow(int index, std::string_view text) {
  std::string replacement(text);  // first: `text` may be a view of the row itself
  Row& row = m_rows[index];
  const RowEnd end = row.end == RowEnd::CrLf || index + 1 < rowCount() ? RowEnd::CrLf : RowEnd::Eof;
  UndoStep& step = m_history.appendStep(m_caret);
  step.startRow = index;
  step.rowCount = 1;
  step.endKind = row.end;
  step.replacedText = std::move(row.text);
  if (row.end == RowEnd::CrLf) step.replacedText += "\r\n";
  row.text = std::move(replacement);
  row.end = end;
  rowsPut(index, 1, 1);
  caretAfterRows(index, 1);
}

void TextEditor::clearLines() { replaceWholeText({}); }

void TextEditor::beginUpdate() { ++m_updateDepth; }

void TextEditor::endUpdate() {
  assert(m_updateDepth > 0 && "endUpdate without beginUpdate");
  --m_updateDepth;
  if (m_updateDepth == 0 && m_pendingFlags != 0) notify(0);
}

void TextEditor::notify(unsigned flags) {
  m_pendingFlags |= flags;
  if (m_updateDepth > 0) return;
  unsigned pending = m_pendingFlags;
  m_pendingFlags = 0;
  if (m_listener && pending != 0) m_listener(pending);
}

// --- Caret ---

int TextEditor::maxCaretRow() const {
  if (m_rows.empty()) return 0;
  return m_rows.back().end == RowEnd::CrLf ? rowCount() : rowCount() - 1;
}

std::string_view TextEditor::rowText(int row) const {
  return row < rowCount() ? std::string_view(m_rows[row].text) : std::string_view();
}

TextPosition TextEditor::clamped(TextPosition position) const {
  int row = std::clamp(position.row, 0, maxCaretRow());
  std::string_view text = rowText(row);
  int column = std::max(0, position.column);
  // In box mode the caret may stand past the end of a row, so that a box can reach beyond
  // short rows.
  if (m_boxMode && column >= rowWidth(text)) return {row, column};
  return {row, columnAt(text, byteAtColumn(text, column))};
}

int TextEditor::byteOf(TextPosition position) const {
  return static_cast<int>(byteAtColumn(rowText(position.row), position.column));
}

void TextEditor::setCaretQuietly(TextPosition position) {
  m_anchor.reset();
  m_caret = clamped(position);
  notify(kCaretMoved);
}

void TextEditor::MoveCaret(int row, int column) {
  TextPosition target = clamped({row, column});
  if (target == m_caret) return;
  setCaretQuietly(target);
}

void TextEditor::moveCaretTo(TextPosition position, bool extendSelection) {
  if (extendSelection && !m_anchor) m_anchor = m_caret;
  if (!extendSelection) m_anchor.reset();
  m_caret = clamped(position);
  notify(kCaretMoved);
}

int TextEditor::caretByteOffset() const { return byteOf(m_caret); }

void TextEditor::moveCaretToByte(int row, int byteOffset) {
  int clamped_row = std::clamp(row, 0, maxCaretRow());
  std::string_view text = rowText(clamped_row);
  std::size_t byte = std::min<std::size_t>(std::max(0, byteOffset), text.size());
  setCaretQuietly({clamped_row, columnAt(text, sjis::charStartAt(text, byte))});
}

TextPosition TextEditor::endOfText() const {
  if (m_rows.empty()) return {};
  if (m_rows.back().end == RowEnd::CrLf) return {rowCount(), 0};
  return {rowCount() - 1, rowWidth(m_rows.back().text)};
}

// --- Selection ---

void TextEditor::setBoxMode(bool on) {
  m_boxMode = on;
  m_caret = clamped(m_caret);
  if (m_anchor) m_anchor = clamped(*m_anchor);
  notify(kModeChanged | kCaretMoved);
}

void TextEditor::setSelection(TextPosition anchor, TextPosition caret) {
  m_anchor = clamped(anchor);
  m_caret = clamped(caret);
  notify(kCaretMoved);
}

void TextEditor::cancelSelection() {
  if (!m_anchor) return;
  m_anchor.reset();
  notify(kCaretMoved);
}

void TextEditor::selectAll() {
  m_boxMode = false;
  setSelection({0, 0}, endOfText());
}

void TextEditor::SelectForward(int count) {
  if (m_rows.empty()) return;
  m_boxMode = false;
  if (count <= 0) {
    if (hasSelection()) m_caret = selectionStart();
    m_anchor.reset();
    notify(kCaretMoved | kModeChanged);
    return;
  }
  TextPosition start = m_caret = clamped(m_caret);
  int row = m_caret.row;
  std::size_t byte = static_cast<std::size_t>(caretByteOffset());
  int remaining = count;
  while (remaining > 0 && row < rowCount()) {
    std::string_view text = m_rows[row].text;
    if (byte < text.size()) {
      std::size_t length = sjis::charLength(text, byte);
      byte += length;
      remaining -= static_cast<int>(length);
      continue;
    }
    if (m_rows[row].end != RowEnd::CrLf) break;  // the end of the text
    remaining -= 2;
    ++row;
    byte = 0;
  }
  m_anchor = start;
  m_caret = {row, columnAt(rowText(row), byte)};
  notify(kCaretMoved | kModeChanged);
}

void TextEditor::selectHit(int row, int byteOffset, int length) {
  cancelSelection();
  moveCaretToByte(row, byteOffset);
  SelectForward(length);
}

std::pair<int, int> TextEditor::boxColumns() const {
  return {std::min(anchor().column, m_caret.column), std::max(anchor().column, m_caret.column)};
}

std::string TextEditor::selectedText() const {
  if (!hasSelection()) return {};
  TextPosition start = selectionStart();
  TextPosition end = selectionEnd();
  std::string text;
  if (m_boxMode) {
    auto [left, right] = boxColumns();
    for (int row = start.row; row <= end.row && row < rowCount(); ++row) {
      std::string_view row_text = m_rows[row].text;
      std::size_t from = byteAtOrAfterColumn(row_text, left);
      std::size_t to = byteAtOrAfterColumn(row_text, right);
      text.append(row_text.substr(from, to - from));
      text += "\r\n";
    }
    return text;
  }
  std::size_t from = static_cast<std::size_t>(byteOf(start));
  std::size_t to = static_cast<std::size_t>(byteOf(end));
  if (start.row == end.row) return std::string(rowText(start.row).substr(from, to - from));
  text.append(rowText(start.row).substr(from));
  for (int row = start.row; row < end.row; ++row) {
    if (row > start.row) text += m_rows[row].text;
    if (m_rows[row].end == RowEnd::CrLf) text += "\r\n";
  }
  text.append(rowText(end.row).substr(0, to));
  return text;
}

// --- Changes ---

void TextEditor::replaceRange(int fromRow, int fromByte, int toRow, int toByte,
                              std::string_view text) {
  OneNotification notification(*this);
  int count_before = rowCount();
  bool last_exists = toRow < count_before;
  std::string joined(rowText(fromRow).substr(0, fromByte));
  joined += text;
  joined += rowText(toRow).substr(toByte);
  if (last_exists && m_rows[toRow].end == RowEnd::CrLf) joined += "\r\n";
  int count = last_exists ? toRow - fromRow + 1 : count_before - fromRow;
  if (count == 0 && joined.empty()) return;
  auto [end_row, end_byte] = endOfInsert(fromRow, static_cast<std::size_t>(fromByte), text);
  replaceRowsRecorded(fromRow, count, rowsFromText(fromRow, count, joined));
  setCaretQuietly({end_row, columnAt(rowText(end_row), end_byte)});
}

void TextEditor::ReplaceSelection(std::string_view text) {
  if (!hasSelection()) {
    if (text.empty()) return;
    int byte = caretByteOffset();
    replaceRange(m_caret.row, byte, m_caret.row, byte, text);
    return;
  }
  if (m_boxMode) {
    replaceBox(text);
    return;
  }
  TextPosition start = selectionStart();
  TextPosition end = selectionEnd();
  replaceRange(start.row, byteOf(start), end.row, byteOf(end), text);
}

void TextEditor::replaceBox(std::string_view text) {
  OneNotification notification(*this);
  auto [left, right] = boxColumns();
  int first = selectionStart().row;
  int last = std::min(selectionEnd().row, rowCount() - 1);
  if (first > last) {  // the box lies on the empty place after the last line
    cancelSelection();
    ReplaceSelection(text);
    return;
  }
  std::string joined;
  std::size_t insert_byte = 0;
  for (int row = first; row <= last; ++row) {
    std::string_view row_text = m_rows[row].text;
    std::size_t from = byteAtOrAfterColumn(row_text, left);
    std::size_t to = byteAtOrAfterColumn(row_text, right);
    joined.append(row_text.substr(0, from));
    if (row == first) {
      insert_byte = from;
      joined += text;
    }
    joined.append(row_text.substr(to));
    if (m_rows[row].end == RowEnd::CrLf) joined += "\r\n";
  }
  int count = last - first + 1;
  auto [end_row, end_byte] = endOfInsert(first, insert_byte, text);
  replaceRowsRecorded(first, count, rowsFromText(first, count, joined));
  setCaretQuietly({end_row, columnAt(rowText(end_row), end_byte)});
}

void TextEditor::deleteSelection() {
  if (hasSelection()) ReplaceSelection({});
}

void TextEditor::pasteBlock(std::string_view lines) {
  OneNotification notification(*this);
  std::vector<std::string_view> pieces = splitLines(lines);
  if (pieces.empty()) return;
  TextPosition at = m_caret;
  if (hasSelection())
    at = m_boxMode ? TextPosition{selectionStart().row, boxColumns().first} : selectionStart();
  m_anchor.reset();
  int first = at.row;
  int piece_count = static_cast<int>(pieces.size());
  int existing = std::clamp(rowCount() - first, 0, piece_count);
  std::vector<Row> rows;
  rows.reserve(pieces.size());
  std::size_t end_byte = 0;
  for (int k = 0; k < piece_count; ++k) {
    Row row;
    std::string_view old_text = k < existing ? std::string_view(m_rows[first + k].text) : "";
    std::size_t at_byte = byteAtOrAfterColumn(old_text, at.column);
    int padding = std::max(0, at.column - columnAt(old_text, at_byte));
    row.text.assign(old_text.substr(0, at_byte));
    row.text.append(static_cast<std::size_t>(padding), ' ');
    row.text.append(pieces[k]);
    end_byte = row.text.size();
    row.text.append(old_text.substr(at_byte));
    row.end = k < existing ? m_rows[first + k].end : RowEnd::CrLf;
    rows.push_back(std::move(row));
  }
  // Rows added past a last row without a line break: that row gets one, the new last row not.
  if (existing < piece_count && existing > 0 && rows[existing - 1].end == RowEnd::Eof) {
    rows[existing - 1].end = RowEnd::CrLf;
    rows.back().end = RowEnd::Eof;
  }
  replaceRowsRecorded(first, existing, std::move(rows));
  int last = first + piece_count - 1;
  setCaretQuietly({last, columnAt(m_rows[last].text, end_byte)});
}

// --- Clipboard ---

void TextEditor::copyToClipboard() {
  if (hasSelection()) m_clipboard->setText(selectedText(), m_boxMode);
}

void TextEditor::cutToClipboard() {
  if (!canEdit() || !hasSelection()) return;
  copyToClipboard();
  deleteSelection();
}

void TextEditor::PasteFromClipboard() {
  if (!canEdit() || !m_clipboard->hasText()) return;
  std::string text = m_clipboard->text();
  if (m_clipboard->holdsBox()) {
    pasteBlock(text);
    return;
  }
  ReplaceSelection(text);
}

void TextEditor::pasteBoxFromClipboard() {
  if (!canEdit() || !m_clipboard->hasText()) return;
  pasteBlock(m_clipboard->text());
}

// --- History ---

void TextEditor::Undo() {
  cancelSelection();
  if (!CanUndo()) return;
  undoOrRedo(m_history.takeNewestUndo(), false);
}

void TextEditor::Redo() {
  cancelSelection();
  if (!CanRedo()) return;
  undoOrRedo(m_history.takeNewestRedo(), true);
}

// Puts back what `step` removed and records its inverse: on the redo list for an undo, on the
// undo list (keeping the redo list) for a redo. The caret ends where the step says it stood.
void TextEditor::undoOrRedo(UndoStep step, bool isRedo) {
  assert(step.startRow >= 0 && step.startRow + step.rowCount <= rowCount() &&
         "undo step does not fit the text");
  beginUpdate();
  RowEnd end_kind = RowEnd::None;
  std::string text;
  if (step.rowCount > 0) {
    end_kind = m_rows[step.startRow + step.rowCount - 1].end;
    text = joinRows(std::span(m_rows).subspan(step.startRow, step.rowCount));
  }
  std::vector<Row> restored = rowsOfStep(step);
  int restored_count = static_cast<int>(restored.size());
  TextPosition caret_before = m_caret;
  putRows(step.startRow, step.rowCount, std::move(restored));
  UndoStep inverse{caret_before.row, caret_before.column, step.startRow, restored_count, end_kind,
                   std::move(text)};
  if (isRedo) {
    m_history.setApplyingRedo(true);
    m_history.appendStep(caret_before) = std::move(inverse);
    m_history.setApplyingRedo(false);
  } else {
    m_history.appendRedo(std::move(inverse));
  }
  setCaretQuietly({step.caretRow, step.caretColumn});
  endUpdate();
}

// --- Marks ---

void TextEditor::toggleMark(int mark) {
  assert(mark >= 0 && mark < kMarkCount && "mark digit out of range");
  int row = m_caret.row;
  if (row >= rowCount()) return;
  m_marks[mark] = m_marks[mark] == row ? -1 : row;
  notify(kModeChanged);
}

void TextEditor::jumpToMark(int mark) {
  assert(mark >= 0 && mark < kMarkCount && "mark digit out of range");
  int row = m_marks[mark];
  if (row < 0) return;
  moveCaretTo({row, m_caret.column}, false);
  if (row < m_topRow || row >= m_topRow + m_visibleRows) setTopRow(row - m_visibleRows / 2);
}

// --- View ---

void TextEditor::setViewSize(int rows, int columns) {
  m_visibleRows = std::max(1, rows);
  m_visibleColumns = std::max(1, columns);
  m_topRow = std::min(m_topRow, maxTopRow());
  notify(kViewScrolled);
}

int TextEditor::maxTopRow() const { return std::max(0, maxCaretRow() + 1 - m_visibleRows); }

void TextEditor::setTopRow(int row) {
  int top = std::clamp(row, 0, maxTopRow());
  if (top == m_topRow) return;
  m_topRow = top;
  notify(kViewScrolled);
}

void TextEditor::setLeftColumn(int column) {
  int left = std::max(0, column);
  if (left == m_leftColumn) return;
  m_leftColumn = left;
  notify(kViewScrolled);
}

void TextEditor::ScrollRows(int delta) { setTopRow(m_topRow + delta); }

void TextEditor::ScrollCaretIntoView() {
  if (m_caret.row < m_topRow || m_caret.row >= m_topRow + m_visibleRows)
    setTopRow(m_caret.row - m_visibleRows / 3);
  if (m_caret.column < m_leftColumn || m_caret.column >= m_leftColumn + m_visibleColumns)
    setLeftColumn(m_caret.column - m_visibleColumns / 3);
}

void TextEditor::ensureCaretVisible() {
  if (m_caret.row < m_topRow) setTopRow(m_caret.row);
  if (m_caret.row >= m_topRow + m_visibleRows) setTopRow(m_caret.row - m_visibleRows + 1);
  if (m_caret.column < m_leftColumn) setLeftColumn(m_caret.column);
  if (m_caret.column >= m_leftColumn + m_visibleColumns)
    setLeftColumn(m_caret.column - m_visibleColumns + 1);
}

void TextEditor::setReadOnly(bool readOnly) {
  m_readOnly = readOnly;
  notify(kModeChanged);
}

}  // namespace namitra::editor
