// The undo and redo history: its 64-step limit, the redo list, and where the caret goes.
#include "editor/undo_history.h"

#include <gtest/gtest.h>

#include "editor/text_editor.h"
#include "editor_test_util.h"

namespace namitra::editor {
namespace {

using testing::dump;

// One one-line change per call, as the format tool makes them: line 0 becomes "v<i>".
void changeLineTimes(TextEditor& editor, int times) {
  for (int i = 1; i <= times; ++i) editor.putLine(0, "v" + std::to_string(i));
}

TEST(UndoLimitTest, SeventyChangesGiveSixtyFourUndos) {
  TextEditor editor;
  editor.setText("v0\r\nrest");
  changeLineTimes(editor, 70);
  for (int i = 0; i < 64; ++i) {
    ASSERT_TRUE(editor.CanUndo()) << "undo " << i + 1;
    editor.Undo();
  }
  EXPECT_EQ(editor.line(0), "v6");  // as after the sixth change
  EXPECT_FALSE(editor.CanUndo());
  editor.Undo();  // a 65th undo does nothing
  EXPECT_EQ(editor.text(), "v6\r\nrest");
  EXPECT_EQ(editor.history().redoList().size(), 64u);
  for (int i = 0; i < 64; ++i) editor.Redo();
  EXPECT_EQ(editor.line(0), "v70");
}

TEST(UndoLimitTest, NeverBelowSixtyFourAndAppliedOneStepAtATime) {
  UndoHistory history;
  history.setUndoListMax(10);
  EXPECT_EQ(history.UndoListMax(), 64);
  history.setUndoListMax(100);
  EXPECT_EQ(history.UndoListMax(), 100);
  for (int i = 0; i < 100; ++i) history.appendStep({i, 0});
  history.setUndoListMax(64);
  EXPECT_EQ(history.undoList().size(), 100u);  // lowering trims nothing at once
  history.appendStep({100, 0});
  ASSERT_EQ(history.undoList().size(), 100u);  // the next step drops one, the oldest
  EXPECT_EQ(history.undoList().front().caretRow, 1);
  EXPECT_EQ(history.undoList().back().caretRow, 100);
}

TEST(UndoLimitTest, TheEditorKeepsAtLeastSixtyFourSteps) {
  TextEditor editor;
  editor.setUndoListMax(10);
  EXPECT_EQ(editor.UndoListMax(), 64);
  editor.setText("x\r\n");
  changeLineTimes(editor, 20);
  for (int i = 0; i < 20; ++i) editor.Undo();
  EXPECT_EQ(editor.line(0), "x");  // a limit of 10 would have lost steps
}

TEST(RedoTest, ANewChangeEmptiesTheRedoList) {
  TextEditor editor;
  editor.setText("a\r\n");
  changeLineTimes(editor, 3);
  editor.Undo();
  editor.Undo();
  ASSERT_TRUE(editor.CanRedo());
  editor.addLine("new");
  EXPECT_FALSE(editor.CanRedo());
  std::string text = editor.text();
  editor.Redo();
  EXPECT_EQ(editor.text(), text);
}

TEST(RedoTest, ARedoKeepsTheRestOfTheRedoList) {
  TextEditor editor;
  editor.setText("a\r\n");
  changeLineTimes(editor, 3);
  for (int i = 0; i < 3; ++i) editor.Undo();
  editor.Redo();
  EXPECT_EQ(editor.line(0), "v1");
  EXPECT_EQ(editor.history().redoList().size(), 2u);
  editor.Redo();
  editor.Redo();
  EXPECT_EQ(editor.line(0), "v3");
  EXPECT_EQ(editor.history().undoList().size(), 3u);
}

TEST(UndoCaretTest, UndoReturnsToBeforeTheChangeAndRedoToWhereTheUndoWasMade) {
  TextEditor editor;
  editor.setText("abc\r\ndef");
  editor.MoveCaret(1, 1);
  editor.ReplaceSelection("XY");
  ASSERT_EQ(dump(editor), "abc$dXY|ef#");
  editor.MoveCaret(0, 2);  // the user moves away before undoing
  editor.Undo();
  EXPECT_EQ(dump(editor), "abc$d|ef#");
  editor.Redo();
  EXPECT_EQ(dump(editor), "ab|c$dXYef#");
}

TEST(UndoCaretTest, UndoCancelsTheSelectionEvenWithNothingToUndo) {
  TextEditor editor;
  editor.setText("abc");
  editor.setSelection({0, 0}, {0, 2});
  editor.Undo();
  EXPECT_FALSE(editor.hasSelection());
  EXPECT_EQ(editor.text(), "abc");
}

TEST(UndoStepTest, UndoAndRedoRestoreTheRowsAndTheirEnds) {
  struct Case { std::string before; int first, count; std::string text; };
  for (const Case& c : {Case{"a\r\nb", 1, 1, "x\r\ny\r\n"}, Case{"a\r\nb\r\n", 0, 2, ""},
                        Case{"a", 0, 1, "p\r\nq"}, Case{"", 0, 0, "z"},
                        Case{"a\r\n\r\n", 1, 1, "m"}}) {
    TextEditor editor;
    editor.setText(c.before);
    std::vector<Row> rows_before = editor.rows();
    editor.ReplaceRows(c.first, c.count, c.text);
    std::vector<Row> rows_after = editor.rows();
    editor.Undo();
    EXPECT_EQ(editor.rows(), rows_before) << c.before << " / " << c.text;
    editor.Redo();
    EXPECT_EQ(editor.rows(), rows_after) << c.before << " / " << c.text;
  }
}

}  // namespace
}  // namespace namitra::editor
