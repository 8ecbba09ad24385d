// Keys, typed characters and input-method commits, fed to the editor as input messages.
#include <gtest/gtest.h>

#include "editor/text_editor.h"
#include "editor_test_util.h"

namespace namitra::editor {
namespace {

using testing::dump;
using testing::kA;
using testing::kI;
using testing::kKan;
using testing::kTrailA;
using testing::kTrailAt;

// An editor whose text and caret come from a string with "|" at the caret, and the list of
// every message that passed the hook.
class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_editor.setClipboard(&m_clipboard);
    m_editor.setViewSize(10, 40);
    m_editor.setMessageHook([this](const InputMessage& message) { m_seen.push_back(message); });
  }

  void load(std::string text) {
    std::size_t bar = text.find('|');
    std::string plain = text;
    plain.erase(bar, 1);
    m_editor.setText(plain);
    int row = 0;
    std::size_t line_start = 0;
    for (std::size_t at = 0; at < bar; ++at)
      if (text[at] == '\n') ++row, line_start = at + 1;
    m_editor.moveCaretToByte(row, static_cast<int>(bar - line_start));
  }

  bool key(std::uint16_t code, bool shift = false, bool ctrl = false, bool repeat = false) {
    return m_editor.sendMessage(InputMessage::keyDown(code, shift, ctrl, false, repeat));
  }

  // Characters as the widget delivers a key's text: one message per byte.
  void type(std::string_view bytes) {
    for (char byte : bytes) m_editor.postMessage(InputMessage::character(byte));
    m_editor.processMessages();
  }

  TextEditor m_editor;
  MemoryClipboard m_clipboard;
  std::vector<InputMessage> m_seen;
};

TEST_F(InputTest, TypedCharactersAreInsertedOneStepEach) {
  load("a|b");
  type("xy");
  EXPECT_EQ(dump(m_editor), "axy|b#");
  m_editor.Undo();
  EXPECT_EQ(dump(m_editor), "ax|b#");
}

TEST_F(InputTest, ControlCodesAndLonelyBytesInsertNothing) {
  load("|");
  type("\x01\x1f\x7f\x80");
  EXPECT_EQ(m_editor.text(), "");
  type("\xa0\xb1\xfd");  // single bytes of 160 and over that are no lead bytes
  EXPECT_EQ(m_editor.text(), "\xa0\xb1\xfd");
}

TEST_F(InputTest, ADoubleByteCharacterArrivesAsTwoMessagesAndIsOneCharacter) {
  load("x|y");
  type(kTrailA);
  EXPECT_EQ(dump(m_editor), "x" + kTrailA + "|y#");
  EXPECT_EQ(m_editor.history().undoList().size(), 1u);
  // Only the lead byte passes the hook: the trail byte is taken from the queue.
  ASSERT_EQ(m_seen.size(), 1u);
  EXPECT_EQ(m_seen[0].code, 0x83);
}

TEST_F(InputTest, ALeadByteWithoutItsTrailByteIsDropped) {
  load("|");
  m_editor.postMessage(InputMessage::character(0x82));
  m_editor.postMessage(InputMessage::keyDown(vk::Right));
  m_editor.processMessages();
  type("\x82");
  EXPECT_EQ(m_editor.text(), "");
}

TEST_F(InputTest, TypingReplacesTheSelection) {
  load("a|bcd");
  key(vk::Right, true);
  key(vk::Right, true);
  type(kA);
  EXPECT_EQ(dump(m_editor), "a" + kA + "|d#");
}

TEST_F(InputTest, AnInputMethodCommitIsInsertedOnceAsOneStep) {
  load("a|b");
  std::string result = kKan + "x" + kA;
  m_editor.commitInputMethodText(result);
  EXPECT_EQ(dump(m_editor), "a" + result + "|b#");
  EXPECT_EQ(m_editor.history().undoList().size(), 1u);
  EXPECT_TRUE(m_editor.pendingMessages().empty());
  // The recorder sees one input-method character per character, each followed by exactly one
  // character message (the lead byte or the single byte).
  std::vector<std::pair<InputKind, int>> seen;
  for (const InputMessage& message : m_seen) seen.push_back({message.kind, message.code});
  std::vector<std::pair<InputKind, int>> expected = {
      {InputKind::ImeChar, 0x8abf}, {InputKind::Char, 0x8a},       {InputKind::ImeChar, 'x'},
      {InputKind::Char, 'x'},       {InputKind::ImeChar, 0x82a0}, {InputKind::Char, 0x82}};
  EXPECT_EQ(seen, expected);
  type("z");  // typing goes on normally afterwards
  EXPECT_EQ(dump(m_editor), "a" + result + "z|b#");
}

TEST_F(InputTest, AReplayedInputMethodCharacterInsertsItsCharacter) {
  load("|");
  m_editor.sendMessage(InputMessage::imeCharacter(0x82a2));
  m_editor.processMessages();
  EXPECT_EQ(m_editor.text(), kI);
}

TEST_F(InputTest, ReadOnlyIgnoresTypingDeletingAndCommits) {
  load("ab|c");
  m_editor.setReadOnly(true);
  type("x" + kA);
  m_editor.commitInputMethodText(kKan);
  for (std::uint16_t code : {vk::Back, vk::Delete, vk::Return, vk::Tab}) EXPECT_TRUE(key(code));
  EXPECT_TRUE(key('Z', false, true));  // consumed, does nothing
  EXPECT_EQ(m_editor.text(), "abc");
  EXPECT_TRUE(key(vk::Left));  // moving is allowed
  EXPECT_EQ(dump(m_editor), "a|bc#");
}

TEST_F(InputTest, LeftAndRightStepOverCharactersAndWrapAtRowEnds) {
  load("a" + kTrailAt + "|\r\nb");
  key(vk::Left);
  EXPECT_EQ(dump(m_editor), "a|" + kTrailAt + "$b#");
  key(vk::Right);
  key(vk::Right);
  EXPECT_EQ(dump(m_editor), "a" + kTrailAt + "$|b#");
  key(vk::Left);
  EXPECT_EQ(m_editor.caret(), (TextPosition{0, 3}));
  key(vk::Home);
  key(vk::Left);  // the start of the text: stays
  EXPECT_EQ(m_editor.caret(), (TextPosition{0, 0}));
  key(vk::End, false, true);
  key(vk::Right);  // the end of the text: stays
  EXPECT_EQ(dump(m_editor), "a" + kTrailAt + "$b|#");
}

TEST_F(InputTest, ShiftExtendsTheSelectionFromWhereItStarted) {
  load("ab|cd\r\nef");
  key(vk::Right, true);
  key(vk::Down, true);
  EXPECT_EQ(dump(m_editor), "ab[cd$ef|]#");
  key(vk::Left, true);
  key(vk::Up, true);
  EXPECT_EQ(dump(m_editor), "a[|b]cd$ef#");
  key(vk::Right);  // without Shift the selection ends
  EXPECT_FALSE(m_editor.hasSelection());
}

TEST_F(InputTest, UpAndDownKeepTheColumnAndNeverLandInsideACharacter) {
  load("ab|c\r\n" + kA + kA + "\r\nx");
  key(vk::Down);
  EXPECT_EQ(m_editor.caret(), (TextPosition{1, 2}));
  key(vk::Right);
  key(vk::Up);
  EXPECT_EQ(m_editor.caret(), (TextPosition{0, 3}));
  load("abc|\r\n" + kA + kA);
  key(vk::Down);
  EXPECT_EQ(m_editor.caret(), (TextPosition{1, 2}));  // column 3 is inside the second あ
  key(vk::Down);  // the last row: stays
  EXPECT_EQ(m_editor.caret().row, 1);
}

TEST_F(InputTest, RepeatedDownOnTheLastVisibleRowMovesTwoRows) {
  std::string text = "|";
  for (int i = 0; i < 30; ++i) text += "r\r\n";
  load(text);
  m_editor.setViewSize(5, 40);
  for (int i = 0; i < 4; ++i) key(vk::Down);
  EXPECT_EQ(m_editor.caret().row, 4);
  key(vk::Down, false, false, true);
  EXPECT_EQ(m_editor.caret().row, 6);
  EXPECT_EQ(m_editor.topRow(), 2);
  key(vk::Down);
  EXPECT_EQ(m_editor.caret().row, 7);
}

TEST_F(InputTest, PageDownAndCtrlDownMoveTheView) {
  std::string text = "|";
  for (int i = 0; i < 30; ++i) text += "r\r\n";
  load(text);
  m_editor.setViewSize(7, 40);
  key(vk::Next);
  EXPECT_EQ(m_editor.topRow(), 6);  // (7 - 1) div 2 * 2
  EXPECT_EQ(m_editor.caret().row, 6);
  key(vk::Down, false, true);
  EXPECT_EQ(m_editor.topRow(), 7);
  EXPECT_EQ(m_editor.caret().row, 7);  // pushed along to stay in view
  key(vk::Up, false, true);
  EXPECT_EQ(m_editor.caret().row, 7);  // still in view: unmoved
  key(vk::Prior);
  EXPECT_EQ(m_editor.topRow(), 0);
  EXPECT_EQ(m_editor.caret().row, 1);
}

TEST_F(InputTest, CtrlLeftAndRightGoByWords) {
  load("|foo bar" + kA + kI + kKan);
  key(vk::Right, false, true);
  EXPECT_EQ(m_editor.caret().column, 4);
  key(vk::Right, false, true);
  EXPECT_EQ(m_editor.caret().column, 7);
  key(vk::Right, false, true);
  EXPECT_EQ(m_editor.caret().column, 11);
  key(vk::Left, false, true);
  EXPECT_EQ(m_editor.caret().column, 7);
  key(vk::Left, false, true);
  key(vk::Left, false, true);
  EXPECT_EQ(m_editor.caret().column, 0);
}

TEST_F(InputTest, DeleteAndBackspaceRemoveWholeCharactersAndJoinRows) {
  struct Case { std::string before; std::uint16_t key; std::string after; };
  for (const Case& c : {
           Case{"a|" + kTrailA + "b", vk::Delete, "a|b#"},
           Case{"a" + kTrailA + "|b", vk::Back, "a|b#"},
           Case{"ab|\r\ncd", vk::Delete, "ab|cd#"},
           Case{"ab\r\n|cd", vk::Back, "ab|cd#"},
           Case{"ab\r\n|", vk::Back, "ab|#"},
           Case{"|ab", vk::Back, "|ab#"},
           Case{"ab|", vk::Delete, "ab|#"},
       }) {
    load(c.before);
    key(c.key);
    EXPECT_EQ(dump(m_editor), c.after) << c.before;
  }
}

TEST_F(InputTest, BackspaceInsideLeadingBlanksRemovesOneIndentationLevel) {
  load("a\r\n    b\r\n        |c");
  key(vk::Back);
  EXPECT_EQ(dump(m_editor), "a$    b$    |c#");
  key(vk::Back);
  EXPECT_EQ(dump(m_editor), "a$    b$|c#");
  load("\t|x");
  key(vk::Back);
  EXPECT_EQ(dump(m_editor), "|x#");
}

TEST_F(InputTest, EnterIndentsTheNewRowLikeTheOldOne) {
  struct Case { std::string before; std::string after; };
  for (const Case& c : {Case{"  ab|cd", "  ab$  |cd#"}, Case{"\tab|", "\tab$        |#"},
                        Case{"    | ab", "    $    | ab#"}, Case{"  |  ab", "  $  |  ab#"},
                        Case{"ab|", "ab$|"}}) {
    load(c.before);
    key(vk::Return);
    EXPECT_EQ(dump(m_editor), c.after) << c.before;
    EXPECT_EQ(m_editor.history().undoList().size(), 1u);
  }
}

TEST_F(InputTest, EnterReplacesTheSelectionInOneStep) {
  load("  a|bc");
  key(vk::Right, true);
  key(vk::Return);
  EXPECT_EQ(dump(m_editor), "  a$  |c#");
  m_editor.Undo();
  EXPECT_EQ(m_editor.text(), "  abc");
}

TEST_F(InputTest, ShiftEnterInsertsAnIndentedRowAbove) {
  load("x\r\n  ab|c");
  key(vk::Return, true);
  EXPECT_EQ(dump(m_editor), "x$  |$  abc#");
  key(vk::Right, true);
  key(vk::Return, true);  // with a selection nothing happens
  EXPECT_EQ(m_editor.text(), "x\r\n  \r\n  abc");
}

TEST_F(InputTest, TabInsertsATabOnlyWithoutShiftOrCtrl) {
  load("a|b");
  EXPECT_TRUE(key(vk::Tab));
  EXPECT_TRUE(key(vk::Tab, true));
  EXPECT_TRUE(key(vk::Tab, false, true));
  EXPECT_EQ(m_editor.text(), "a\tb");
  EXPECT_EQ(m_editor.caret().column, 8);
}

TEST_F(InputTest, ContextMenuShortcutsActAndAreConsumed) {
  load("ab|c");
  type("x");
  EXPECT_TRUE(key('Z', false, true));
  EXPECT_EQ(m_editor.text(), "abc");
  EXPECT_TRUE(key('A', false, true));
  EXPECT_EQ(m_editor.text(), "abxc");
  key(vk::Home);
  key(vk::Right, true);
  key(vk::Right, true);
  EXPECT_TRUE(key('C', false, true));
  EXPECT_EQ(m_clipboard.text(), "ab");
  EXPECT_TRUE(key('X', false, true));
  EXPECT_EQ(m_editor.text(), "xc");
  EXPECT_TRUE(key('V', false, true));
  EXPECT_TRUE(key('V', false, true));
  EXPECT_EQ(m_editor.text(), "ababxc");
  EXPECT_TRUE(key('K', false, true));
  EXPECT_TRUE(m_editor.boxMode());
  EXPECT_FALSE(key('Q', false, true));  // no item: left to the window
  EXPECT_FALSE(key('Z', true, true));
}

TEST_F(InputTest, CtrlDigitsJumpToMarksAndShiftCtrlDigitsSetThem) {
  load("a\r\nb\r\nc|");
  EXPECT_TRUE(key('1', true, true));
  EXPECT_EQ(m_editor.markRow(1), 2);
  key(vk::Home, false, true);
  EXPECT_TRUE(key('1', false, true));
  EXPECT_EQ(m_editor.caret().row, 2);
  EXPECT_TRUE(key('2', false, true));  // no row carries mark 2: still consumed
}

TEST_F(InputTest, BoxSelectionWithShiftArrowsAndTypingIntoIt) {
  load("|abcd\r\nefgh\r\nij");
  key('K', false, true);
  key(vk::Right);
  key(vk::Right, true);
  key(vk::Right, true);
  key(vk::Down, true);
  key(vk::Down, true);
  EXPECT_EQ(m_editor.selectedText(), "bc\r\nfg\r\nj\r\n");
  type("_");
  EXPECT_EQ(m_editor.text(), "a_d\r\neh\r\ni");
  m_editor.Undo();
  EXPECT_EQ(m_editor.text(), "abcd\r\nefgh\r\nij");
}

}  // namespace
}  // namespace namitra::editor
