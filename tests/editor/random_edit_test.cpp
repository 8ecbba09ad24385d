// Long random sequences of edits, undone and redone step by step against snapshots of the text.
//
// After every edit the test keeps the whole text. Undoing walks the snapshots back as far as the
// 64-step window reaches, redoing walks them forward again. Throughout, no row may hold a
// line-break byte, only the last row may lack a line break, and the caret may never stand on
// the second byte of a double-byte character.
#include <gtest/gtest.h>

#include <random>

#include "editor/columns.h"
#include "editor/text_editor.h"
#include "sjis/char.h"

namespace namitra::editor {
namespace {

const std::vector<std::string> kPieces = {
    "a", "Z", " ", "\t", "\x82\xa0", "\x83\x61", "\x8a\xbf", "\xb1", "\r\n", "xy\r\nz",
    "\n", "\r", "\x83\x40\x83\x40", ""};
// What one key press types: a character, or a lead byte alone (which inserts nothing).
const std::vector<std::string> kTypedCharacters = {"a", " ", "\x82\xa0", "\x83\x61", "\xb1",
                                                   "\x82"};

class RandomEditor {
 public:
  explicit RandomEditor(unsigned seed) : m_random(seed) {
    m_clipboard.setText("p\r\nq", true);
    m_editor.setClipboard(&m_clipboard);
    m_editor.setViewSize(8, 20);
  }

  TextEditor& editor() { return m_editor; }

  // Makes one random edit; false when it recorded no step.
  bool editOnce() {
    std::uint64_t steps_before = m_editor.history().appendedSteps();
    moveSomewhere();
    int operation = pick(9);
    switch (operation) {
      case 0: m_editor.ReplaceSelection(piece()); break;
      case 1: key(vk::Back); break;
      case 2: key(vk::Delete); break;
      case 3: key(vk::Return, pick(3) == 0); break;
      case 4: m_editor.addLine(piece()); break;
      case 5:
        if (m_editor.lineCount() > 0) m_editor.putLine(pick(m_editor.lineCount()), piece());
        break;
      case 6: m_editor.PasteFromClipboard(); break;
      case 7:
        typeBytes(kTypedCharacters[pick(static_cast<int>(kTypedCharacters.size()))]);
        break;
      case 8: m_editor.commitInputMethodText(piece() + piece()); break;
    }
    std::uint64_t steps = m_editor.history().appendedSteps() - steps_before;
    EXPECT_LE(steps, 1u) << "edit " << operation << " recorded more than one step";
    return steps == 1;
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
  const std::string& piece() { return kPieces[pick(static_cast<int>(kPieces.size()))]; }
  void key(std::uint16_t code, bool shift = false) {
    m_editor.sendMessage(InputMessage::keyDown(code, shift));
  }
  void typeBytes(std::string_view bytes) {
    for (char byte : bytes) m_editor.postMessage(InputMessage::character(byte));
    m_editor.processMessages();
  }
  void moveSomewhere() {
    m_editor.setBoxMode(pick(6) == 0);
    m_editor.MoveCaret(pick(m_editor.rowCount() + 1), pick(12));
    if (pick(3) == 0) m_editor.moveCaretTo({pick(m_editor.rowCount() + 1), pick(12)}, true);
  }

  TextEditor m_editor;
  MemoryClipboard m_clipboard;
  std::mt19937 m_random;
};

void expectSoundRows(const TextEditor& editor) {
  for (int row = 0; row < editor.rowCount(); ++row) {
    const Row& r = editor.row(row);
    ASSERT_EQ(r.text.find_first_of("\r\n"), std::string::npos) << "row " << row;
    if (row + 1 < editor.rowCount()) {
      ASSERT_EQ(r.end, RowEnd::CrLf) << "row " << row;
    }
  }
  TextPosition caret = editor.caret();
  if (caret.row < editor.rowCount() && !editor.boxMode()) {
    std::string_view text = editor.row(caret.row).text;
    std::size_t byte = byteAtColumn(text, caret.column);
    ASSERT_EQ(columnAt(text, byte), caret.column);
    ASSERT_TRUE(sjis::isCharBoundary(text, byte));
  }
}

TEST(RandomEditTest, UndoingAllEditsRestoresEveryEarlierTextAndRedoingReturns) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    RandomEditor random(seed);
    TextEditor& editor = random.editor();
    editor.setText("first\r\n  second\r\nthird");
    std::vector<std::string> snapshots = {editor.text()};
    int edits = 50 + static_cast<int>(seed % 3) * 20;  // 50, 70 or 90: some beyond the window
    while (static_cast<int>(snapshots.size()) <= edits) {
      if (!random.editOnce()) continue;
      ASSERT_NO_FATAL_FAILURE(expectSoundRows(editor)) << "seed " << seed;
      snapshots.push_back(editor.text());
    }
    int undoable = std::min(edits, editor.UndoListMax());
    ASSERT_EQ(static_cast<int>(editor.history().undoList().size()), undoable);
    for (int i = 1; i <= undoable; ++i) {
      editor.Undo();
      ASSERT_EQ(editor.text(), snapshots[edits - i]) << "seed " << seed << ", undo " << i;
      ASSERT_NO_FATAL_FAILURE(expectSoundRows(editor));
    }
    EXPECT_FALSE(editor.CanUndo());
    for (int i = undoable - 1; i >= 0; --i) {
      editor.Redo();
      ASSERT_EQ(editor.text(), snapshots[edits - i]) << "seed " << seed << ", redo";
    }
    EXPECT_FALSE(editor.CanRedo());
  }
}

}  // namespace
}  // namespace namitra::editor
