// Fuzz target for the editor model: a random sequence of operations, checked against a plain
// reference model of the text.
//
// Each operation is one byte (which operation) followed by its arguments. The reference model is
// the whole text as one string with CR LF line breaks; the operations it knows (setting the
// text, replacing rows, adding and putting lines, replacing a stream selection) change it the
// way their descriptions say, and the editor's text must then equal it. The others (keys, typed
// characters, input-method text, box selections, pasting) change the editor alone, and the model
// takes the editor's text over. Throughout, every change of the text must record exactly one
// undo step (setting or clearing the whole text empties the history), Undo and Redo must walk
// back and forth through the earlier texts as far as the history reaches, no row may hold a
// line-break byte, only the last row may lack a line break, and the caret must stand on a
// character start.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "editor/columns.h"
#include "editor/text_editor.h"
#include "fuzz_support.h"
#include "sjis/char.h"

namespace {

using namespace namitra;
using namespace namitra::editor;
using fuzz::require;

// Every line break (CR LF, a lone CR, a lone LF) as CR LF.
std::string withCrLf(std::string_view text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      result += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    result += text[i];
  }
  return result;
}

bool endsWithCrLf(std::string_view text) { return text.ends_with("\r\n"); }

// The byte where row `row` of a CR LF text starts (the text's end for rows past the last).
std::size_t rowStart(std::string_view text, int row) {
  std::size_t at = 0;
  for (int i = 0; i < row; ++i) {
    const std::size_t lineBreak = text.find("\r\n", at);
    if (lineBreak == std::string_view::npos) return text.size();
    at = lineBreak + 2;
  }
  return at;
}

class EditorRun {
 public:
  explicit EditorRun(fuzz::InputReader& input) : m_input(input) {
    m_editor.setViewSize(6, 20);
    m_clipboard.setText("p\r\nq", true);
    m_editor.setClipboard(&m_clipboard);
  }

  void step() {
    const std::string before = m_editor.text();
    const std::uint64_t stepsBefore = m_editor.history().appendedSteps();
    bool wholeText = false;
    switch (m_input.byte() % 13) {
      case 0: setText(); wholeText = true; break;
      case 1: replaceRows(); break;
      case 2: addLine(); break;
      case 3: putLine(); break;
      case 4: replaceStreamSelection(); break;
      case 5: undo([this] { m_editor.Undo(); }); return;
      case 6: redo([this] { m_editor.Redo(); }); return;
      case 7:
        if (pressKey()) return;
        break;
      case 8: typeCharacter(); break;
      case 9:
        m_editor.commitInputMethodText(piece());
        m_modelled = false;
        break;
      case 10: boxEdit(); break;
      case 11: m_editor.clearLines(); m_model.clear(); wholeText = true; break;
      case 12: moveCaret(); break;
    }
    if (!m_modelled) m_model = m_editor.text();
    m_modelled = true;
    require(m_editor.text() == m_model);
    requireSound();
    if (wholeText) {
      require(!m_editor.CanUndo() && !m_editor.CanRedo());
      m_undo.clear();
      m_redo.clear();
      return;
    }
    const std::uint64_t steps = m_editor.history().appendedSteps() - stepsBefore;
    require(steps <= 1);
    require(steps == 1 || m_model == before);
    if (steps == 1) recordStep(before);
  }

 private:
  std::string_view piece() { return m_input.piece(48); }
  int pick(int n) { return n <= 0 ? 0 : m_input.byte() % n; }

  void setText() {
    const std::string_view text = piece();
    m_editor.setText(text);
    m_model = withCrLf(text);
  }

  void replaceRows() {
    const int rows = m_editor.rowCount();
    const int first = pick(rows + 1);
    const int count = pick(rows - first + 1);
    // Rows added after a last row without a line break would follow a row that has none: no
    // caller does that (the names are put into an empty text), so it is left out.
    if (first == rows && count == 0 && rows > 0 && m_editor.row(rows - 1).end == RowEnd::Eof) return;
    const std::string_view text = piece();
    std::string inserted = withCrLf(text);
    if (first + count < rows && !inserted.empty() && !endsWithCrLf(inserted)) inserted += "\r\n";
    m_model = m_model.substr(0, rowStart(m_model, first)) + inserted + m_model.substr(rowStart(m_model, first + count));
    m_editor.ReplaceRows(first, count, text);
  }

  void addLine() {
    const std::string_view text = piece();
    // After a last row without a line break (which may be an empty row of its own) the new line
    // follows a line break put at that row's end.
    if (m_editor.rowCount() == 0 || m_editor.row(m_editor.rowCount() - 1).end != RowEnd::Eof)
      m_model += withCrLf(std::string(text) + "\r\n");
    else
      m_model += "\r\n" + withCrLf(text);
    m_editor.addLine(text);
  }

  void putLine() {
    const int rows = m_editor.rowCount();
    const int index = pick(rows + 1);  // one past the last: the editor must refuse it
    const std::string_view text = piece();
    if (index == rows) {
      bool refused = false;
      try {
        m_editor.putLine(index, text);
      } catch (const LineIndexError&) {
        refused = true;
      }
      require(refused);
      return;
    }
    const bool hadBreak = m_editor.row(index).end == RowEnd::CrLf;
    const std::string replacement = withCrLf(std::string(text) + (hadBreak ? "\r\n" : ""));
    m_model = m_model.substr(0, rowStart(m_model, index)) + replacement + m_model.substr(rowStart(m_model, index + 1));
    m_editor.putLine(index, text);
  }

  // A caret place chosen by row and byte; gives its byte in the whole text.
  std::size_t placeCaret() {
    m_editor.moveCaretToByte(pick(m_editor.rowCount() + 1), pick(40));
    return rowStart(m_model, m_editor.caret().row) + static_cast<std::size_t>(m_editor.caretByteOffset());
  }

  void replaceStreamSelection() {
    m_editor.setBoxMode(false);
    const std::size_t anchorByte = placeCaret();
    const TextPosition anchor = m_editor.caret();
    const std::size_t caretByte = placeCaret();
    m_editor.setSelection(anchor, m_editor.caret());
    const std::string_view text = piece();
    const std::size_t from = std::min(anchorByte, caretByte);
    const std::size_t to = std::max(anchorByte, caretByte);
    m_model = m_model.substr(0, from) + withCrLf(text) + m_model.substr(to);
    m_editor.ReplaceSelection(text);
  }

  // Undo by the call or by its shortcut.
  void undo(const std::function<void()>& undoOnce) {
    require(m_editor.CanUndo() == !m_undo.empty());
    undoOnce();
    if (m_undo.empty()) return;
    m_redo.push_back(m_model);
    m_model = m_undo.back();
    m_undo.pop_back();
    require(m_editor.text() == m_model);
    requireSound();
  }

  void redo(const std::function<void()>& redoOnce) {
    require(m_editor.CanRedo() == !m_redo.empty());
    redoOnce();
    if (m_redo.empty()) return;
    m_undo.push_back(m_model);
    m_model = m_redo.back();
    m_redo.pop_back();
    require(m_editor.text() == m_model);
    requireSound();
  }

  void recordStep(const std::string& before) {
    m_undo.push_back(before);
    while (static_cast<int>(m_undo.size()) > m_editor.UndoListMax()) m_undo.pop_front();
    m_redo.clear();
  }

  // A key-down; Ctrl+Z and Ctrl+A (undo and redo) go through the model's undo and redo. Returns
  // whether the key was one of those.
  bool pressKey() {
    static constexpr std::uint16_t kKeys[] = {vk::Back, vk::Tab, vk::Return, vk::Escape, vk::Space, vk::Prior,
                                              vk::Next, vk::End, vk::Home, vk::Left, vk::Up, vk::Right,
                                              vk::Down, vk::Insert, vk::Delete, 'A', 'C', 'V', 'X', 'Y',
                                              'Z', '0', '5'};
    const std::uint16_t key = kKeys[m_input.byte() % std::size(kKeys)];
    const std::uint8_t modifiers = m_input.byte();
    const bool shift = modifiers & 1, ctrl = modifiers & 2, alt = modifiers & 4, repeat = modifiers & 8;
    if (ctrl && !shift && (key == 'Z' || key == 'A')) {
      auto send = [&] { m_editor.sendMessage(InputMessage::keyDown(key, false, true, false, repeat)); };
      key == 'Z' ? undo(send) : redo(send);
      return true;
    }
    m_editor.sendMessage(InputMessage::keyDown(key, shift, ctrl, alt, repeat));
    m_modelled = false;
    return false;
  }

  // One typed character (each character is an undo step of its own): a byte, and a second one
  // after a lead byte, which may or may not be a trail byte.
  void typeCharacter() {
    const std::uint8_t first = m_input.byte();
    m_editor.postMessage(InputMessage::character(first));
    if (sjis::isLeadByte(first)) m_editor.postMessage(InputMessage::character(m_input.byte()));
    m_editor.processMessages();
    m_modelled = false;
  }

  void boxEdit() {
    m_editor.setBoxMode(true);
    m_editor.MoveCaret(pick(m_editor.rowCount() + 1), pick(24));
    m_editor.moveCaretTo({pick(m_editor.rowCount() + 1), pick(24)}, true);
    switch (pick(4)) {
      case 0: m_editor.ReplaceSelection(piece()); break;
      case 1: m_editor.pasteBlock(piece()); break;
      case 2: m_editor.cutToClipboard(); break;
      case 3: m_editor.PasteFromClipboard(); break;
    }
    m_editor.setBoxMode(false);
    m_modelled = false;
  }

  void moveCaret() {
    m_editor.MoveCaret(pick(m_editor.rowCount() + 2), pick(30));
    if (pick(2) == 0) m_editor.moveCaretTo({pick(m_editor.rowCount() + 2), pick(30)}, true);
    if (pick(2) == 0) m_editor.copyToClipboard();
  }

  void requireSound() const {
    for (int i = 0; i < m_editor.rowCount(); ++i) {
      require(m_editor.row(i).text.find_first_of("\r\n") == std::string::npos);
      if (i + 1 < m_editor.rowCount()) require(m_editor.row(i).end == RowEnd::CrLf);
    }
    const TextPosition caret = m_editor.caret();
    require(caret.row >= 0 && caret.row <= m_editor.rowCount());
    if (caret.row < m_editor.rowCount() && !m_editor.boxMode()) {
      const std::string_view text = m_editor.row(caret.row).text;
      const std::size_t byte = byteAtColumn(text, caret.column);
      require(columnAt(text, byte) == caret.column && sjis::isCharBoundary(text, byte));
    }
  }

  fuzz::InputReader& m_input;
  TextEditor m_editor;
  MemoryClipboard m_clipboard;
  std::string m_model;
  bool m_modelled = true;
  std::deque<std::string> m_undo;
  std::deque<std::string> m_redo;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  EditorRun run(input);
  for (int steps = 0; steps < 400 && !input.empty(); ++steps) run.step();
  return 0;
}
