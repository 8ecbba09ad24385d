// The editor's keys and character input, driven by input messages.
//
// A message first passes the hook (the keystroke recorder sees it there), then the editor acts
// on it. Character messages carry one byte each; a lead byte takes its trail byte straight from
// the front of the queue, so the second half of a double-byte character never passes the hook
// and is never inserted on its own. An input-method commit inserts its whole result at once and
// then ignores as many bytes of the character messages that its characters produce.
#include <algorithm>
#include <cctype>

#include "editor/columns.h"
#include "editor/text_editor.h"
#include "sjis/char.h"

namespace namitra::editor {

namespace {

bool isTypedSingleByte(unsigned char byte) {
  return (byte >= 32 && byte <= 126) || (byte >= 160 && !sjis::isLeadByte(byte));
}

bool isTrailOfTypedChar(const InputMessage& message) {
  return message.kind == InputKind::Char && message.code >= 0x40 && message.code <= 0xFF;
}

// Both bytes of a whole double-byte character, or nothing when the code is none.
std::string doubleByteCharacter(std::uint16_t code) {
  auto lead = static_cast<unsigned char>(code >> 8);
  auto trail = static_cast<unsigned char>(code & 0xFF);
  if (!sjis::isLeadByte(lead) || trail < 0x40) return {};
  return {static_cast<char>(lead), static_cast<char>(trail)};
}

// Rough word classes for Ctrl+Left and Ctrl+Right: blanks, ASCII word characters, other ASCII,
// half-width katakana, and the double-byte blocks.
int wordClass(std::string_view text, std::size_t pos) {
  sjis::CharCode code = sjis::charCodeAt(text, pos);
  if (code == ' ' || code == '\t' || code == 0x8140) return 0;
  if (code < 0x80) return std::isalnum(code) || code == '_' ? 1 : 2;
  if (code < 0x100) return 3;
  if (code >= 0x829F && code <= 0x82F1) return 4;                     // hiragana
  if ((code >= 0x8340 && code <= 0x8396) || code == 0x815B) return 5;  // katakana, long vowel
  if (code >= 0x889F) return 6;                                        // kanji
  if (code >= 0x824F && code <= 0x829A) return 7;                      // full-width letters
  return 8;
}

std::vector<std::size_t> charStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < text.size(); at = sjis::nextCharPos(text, at)) starts.push_back(at);
  return starts;
}

// The indentation Backspace goes back to inside leading blanks: that of the nearest row above
// that is indented less than the caret stands (blank rows say nothing), or none. Only a bounded
// stretch above is looked at, so a Backspace stays immediate in a long text.
int unindentTarget(const std::vector<Row>& rows, int row, int column) {
  constexpr int kRowsLookedAt = 1000;
  for (int above = row - 1; above >= 0 && above >= row - kRowsLookedAt; --above) {
    const std::string& text = rows[above].text;
    int width = leadingBlankWidth(text);
    if (width == rowWidth(text)) continue;
    if (width < column) return width;
  }
  return 0;
}

}  // namespace

void TextEditor::processMessages() {
  while (dispatchNextMessage()) {
  }
}

bool TextEditor::dispatchNextMessage() {
  if (m_queue.empty()) return false;
  InputMessage message = m_queue.front();
  m_queue.pop_front();
  sendMessage(message);
  return true;
}

bool TextEditor::handleMessage(const InputMessage& message) {
  switch (message.kind) {
    case InputKind::KeyDown:
      return handleKeyDown(message);
    case InputKind::Char:
      handleChar(message.code);
      return true;
    case InputKind::ImeChar:
      postImeCharBytes(message.code);
      return true;
  }
  return false;
}

// What the platform does with an input-method character: it becomes character messages, the
// lead byte first, handled before anything queued after it.
void TextEditor::postImeCharBytes(std::uint16_t code) {
  if (code > 0xFF) m_queue.push_front(InputMessage::character(code & 0xFF));
  m_queue.push_front(InputMessage::character(code > 0xFF ? code >> 8 : code));
}

void TextEditor::commitInputMethodText(std::string_view text) {
  if (!canEdit() || text.empty()) return;
  typeText(text);
  m_imeBytesToIgnore += text.size();
  for (std::size_t at = 0; at < text.size(); at = sjis::nextCharPos(text, at))
    postMessage(InputMessage::imeCharacter(sjis::charCodeAt(text, at)));
  processMessages();
}

// A character message carries one byte, or, replayed from a keystroke recording, a whole
// double-byte character (lead byte * 256 + trail byte).
void TextEditor::handleChar(std::uint16_t code) {
  std::string bytes = code > 0xFF ? doubleByteCharacter(code) : takeCharacter(code);
  if (m_imeBytesToIgnore > 0) {
    m_imeBytesToIgnore -= std::min(m_imeBytesToIgnore, std::max<std::size_t>(1, bytes.size()));
    return;
  }
  if (!canEdit() || bytes.empty()) return;
  if (bytes.size() == 1 && !isTypedSingleByte(static_cast<unsigned char>(bytes[0]))) return;
  typeText(bytes);
}

// The character a byte starts: a lead byte takes its trail byte from the front of the queue, and
// is dropped (nothing) without one.
std::string TextEditor::takeCharacter(std::uint16_t byte) {
  std::string bytes(1, static_cast<char>(byte));
  if (!sjis::isLeadByte(static_cast<unsigned char>(byte))) return bytes;
  if (m_queue.empty() || !isTrailOfTypedChar(m_queue.front())) return {};
  bytes += static_cast<char>(m_queue.front().code);
  m_queue.pop_front();
  return bytes;
}

void TextEditor::typeText(std::string_view text) {
  ReplaceSelection(text);
  ensureCaretVisible();
}

bool TextEditor::handleShortcutKey(const InputMessage& message) {
  if (message.kind != InputKind::KeyDown || message.altDown() || !message.ctrlDown()) return false;
  return handleShortcut(message.code, message.shiftDown());
}

bool TextEditor::handleKeyDown(const InputMessage& message) {
  if (message.altDown()) return false;
  bool shift = message.shiftDown();
  bool ctrl = message.ctrlDown();
  if (handleShortcutKey(message)) return true;
  if (handleMovement(message)) return true;
  switch (message.code) {
    case vk::Delete:
      if (ctrl) return false;
      deleteForward();
      break;
    case vk::Back:
      if (ctrl) return false;
      deleteBackward();
      break;
    case vk::Return:
      if (ctrl) return false;
      shift ? insertIndentedRowAbove() : breakRow();
      break;
    case vk::Tab:
      if (!shift && !ctrl && canEdit()) typeText("\t");
      break;
    default:
      return false;
  }
  ensureCaretVisible();
  return true;
}

// The context menu's shortcuts. A shortcut is consumed even when its item would be disabled.
bool TextEditor::handleShortcut(std::uint16_t key, bool shift) {
  if (key >= '0' && key <= '9') {
    shift ? toggleMark(key - '0') : jumpToMark(key - '0');
    return true;
  }
  if (shift) return false;
  switch (key) {
    case 'Z':
      if (canEdit()) Undo();
      break;
    case 'A':
      if (canEdit()) Redo();
      break;
    case 'X':
      cutToClipboard();
      break;
    case 'C':
      copyToClipboard();
      break;
    case 'V':
      PasteFromClipboard();
      break;
    case 'B':
      pasteBoxFromClipboard();
      break;
    case 'K':
      setBoxMode(!m_boxMode);
      break;
    default:
      return false;
  }
  ensureCaretVisible();
  return true;
}

bool TextEditor::handleMovement(const InputMessage& message) {
  bool ctrl = message.ctrlDown();
  TextPosition target = m_caret;
  std::string_view text = rowText(m_caret.row);
  std::size_t byte = static_cast<std::size_t>(byteOf(m_caret));
  int last_visible = m_topRow + m_visibleRows - 1;
  int page = (m_visibleRows - 1) / 2 * 2;
  switch (message.code) {
    case vk::Left:
      if (ctrl)
        target = wordLeft(m_caret);
      else if (byte > 0)
        target.column = columnAt(text, sjis::prevCharPos(text, byte));
      else if (m_caret.row > 0)
        target = {m_caret.row - 1, rowWidth(rowText(m_caret.row - 1))};
      break;
    case vk::Right:
      if (ctrl)
        target = wordRight(m_caret);
      else if (byte < text.size())
        target.column = columnAt(text, sjis::nextCharPos(text, byte));
      else if (m_caret.row < maxCaretRow())
        target = {m_caret.row + 1, 0};
      break;
    case vk::Up:
      if (ctrl) {
        ScrollRows(-1);
        target.row = std::min(m_caret.row, m_topRow + m_visibleRows - 1);
      } else {
        target.row -= message.isRepeat() && m_caret.row == m_topRow ? 2 : 1;
      }
      target.row = std::max(0, target.row);
      break;
    case vk::Down:
      if (ctrl) {
        ScrollRows(1);
        target.row = std::max(m_caret.row, m_topRow);
      } else {
        target.row += message.isRepeat() && m_caret.row == last_visible ? 2 : 1;
      }
      break;
    case vk::Home:
      target = ctrl ? TextPosition{} : TextPosition{m_caret.row, 0};
      break;
    case vk::End:
      target = ctrl ? endOfText() : TextPosition{m_caret.row, rowWidth(text)};
      break;
    case vk::Prior:
      setTopRow(m_topRow - page);
      target.row = std::max(0, m_caret.row - page);
      break;
    case vk::Next:
      setTopRow(m_topRow + page);
      target.row += page;
      break;
    default:
      return false;
  }
  moveCaretTo(target, message.shiftDown());
  ensureCaretVisible();
  return true;
}

TextPosition TextEditor::wordRight(TextPosition from) const {
  std::string_view text = rowText(from.row);
  std::size_t byte = static_cast<std::size_t>(byteOf(from));
  if (byte >= text.size()) return from.row < maxCaretRow() ? TextPosition{from.row + 1, 0} : from;
  int word = wordClass(text, byte);
  while (byte < text.size() && wordClass(text, byte) == word) byte = sjis::nextCharPos(text, byte);
  while (byte < text.size() && wordClass(text, byte) == 0) byte = sjis::nextCharPos(text, byte);
  return {from.row, columnAt(text, byte)};
}

TextPosition TextEditor::wordLeft(TextPosition from) const {
  std::string_view text = rowText(from.row);
  std::size_t byte = static_cast<std::size_t>(byteOf(from));
  if (byte == 0)
    return from.row > 0 ? TextPosition{from.row - 1, rowWidth(rowText(from.row - 1))} : from;
  std::vector<std::size_t> starts = charStarts(text);
  std::size_t index = std::lower_bound(starts.begin(), starts.end(), byte) - starts.begin();
  while (index > 0 && wordClass(text, starts[index - 1]) == 0) --index;
  if (index > 0) {
    int word = wordClass(text, starts[index - 1]);
    while (index > 0 && wordClass(text, starts[index - 1]) == word) --index;
  }
  return {from.row, columnAt(text, index < starts.size() ? starts[index] : text.size())};
}

void TextEditor::deleteForward() {
  if (!canEdit()) return;
  if (hasSelection()) {
    deleteSelection();
    return;
  }
  std::string_view text = rowText(m_caret.row);
  int byte = caretByteOffset();
  int row = m_caret.row;
  if (static_cast<std::size_t>(byte) < text.size()) {
    int next = static_cast<int>(sjis::nextCharPos(text, static_cast<std::size_t>(byte)));
    replaceRange(row, byte, row, next, {});
    return;
  }
  // At the end of a row the next row joins this one.
  if (row < rowCount() && m_rows[row].end == RowEnd::CrLf) replaceRange(row, byte, row + 1, 0, {});
}

void TextEditor::deleteBackward() {
  if (!canEdit()) return;
  if (hasSelection()) {
    deleteSelection();
    return;
  }
  int row = m_caret.row;
  std::string_view text = rowText(row);
  std::size_t byte = static_cast<std::size_t>(caretByteOffset());
  if (byte == 0) {
    if (row > 0) replaceRange(row - 1, static_cast<int>(rowText(row - 1).size()), row, 0, {});
    return;
  }
  std::size_t from = sjis::prevCharPos(text, byte);
  bool inside_leading_blanks = leadingBlankWidth(text) >= m_caret.column;
  if (inside_leading_blanks) {
    std::size_t target = byteAtOrAfterColumn(text, unindentTarget(m_rows, row, m_caret.column));
    if (target < byte) from = target;
  }
  replaceRange(row, static_cast<int>(from), row, static_cast<int>(byte), {});
}

int TextEditor::indentWidthAtCaret() const {
  TextPosition at = hasSelection() ? selectionStart() : m_caret;
  return std::min(leadingBlankWidth(rowText(at.row)), at.column);
}

void TextEditor::breakRow() {
  if (!canEdit()) return;
  std::string text = "\r\n";
  text.append(static_cast<std::size_t>(indentWidthAtCaret()), ' ');
  ReplaceSelection(text);
}

void TextEditor::insertIndentedRowAbove() {
  if (!canEdit() || hasSelection()) return;
  int row = m_caret.row;
  OneNotification notification(*this);
  int indent = indentWidthAtCaret();
  std::string text(static_cast<std::size_t>(indent), ' ');
  text += "\r\n";
  replaceRange(row, 0, row, 0, text);
  setCaretQuietly({row, indent});
}

}  // namespace namitra::editor
