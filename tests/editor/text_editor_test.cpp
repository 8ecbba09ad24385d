// The line model, the caret, selections, box editing, marks and the view of the editor.
#include "editor/text_editor.h"

#include <gtest/gtest.h>

#include "editor_test_util.h"

namespace namitra::editor {
namespace {

using testing::dump;
using testing::kA;
using testing::kI;
using testing::kKan;
using testing::kTrailA;

TEST(WholeTextTest, SplitsAtEveryLineBreakAndReadsBack) {
  struct Case { std::string text; std::string rows; std::string readBack; };
  for (const Case& c : {Case{"a\r\nb", "|a$b#", "a\r\nb"}, Case{"", "|", ""},
                        Case{"a\nb\rc\r\n", "|a$b$c$", "a\r\nb\r\nc\r\n"},
                        Case{"\r\n\r\n", "|$$", "\r\n\r\n"}}) {
    TextEditor editor;
    editor.setText(c.text);
    EXPECT_EQ(dump(editor), c.rows) << c.text;
    EXPECT_EQ(editor.text(), c.readBack) << c.text;
  }
}

TEST(WholeTextTest, WritingEmptiesBothHistoriesAndPutsTheCaretAtTheStart) {
  TextEditor editor;
  editor.addLine("a");
  editor.addLine("b");
  editor.Undo();
  ASSERT_TRUE(editor.CanUndo());
  ASSERT_TRUE(editor.CanRedo());
  editor.setText("x\r\ny");
  EXPECT_FALSE(editor.CanUndo());
  EXPECT_FALSE(editor.CanRedo());
  EXPECT_EQ(editor.caret(), (TextPosition{0, 0}));
  editor.Undo();
  EXPECT_EQ(editor.text(), "x\r\ny");
}

TEST(LinesTest, AddOnTheThreeKindsOfTextEnd) {
  struct Case { std::string before; std::string after; std::string caretDump; };
  for (const Case& c : {Case{"a\r\n", "a\r\nb\r\n", "a$b$|"}, Case{"a", "a\r\nb", "a$b|#"},
                        Case{"", "b\r\n", "b$|"}}) {
    TextEditor editor;
    editor.setText(c.before);
    editor.addLine("b");
    EXPECT_EQ(editor.text(), c.after) << "after '" << c.before << "'";
    EXPECT_EQ(dump(editor), c.caretDump) << "after '" << c.before << "'";
    EXPECT_EQ(editor.history().undoList().size(), 1u);
    editor.Undo();
    EXPECT_EQ(editor.text(), c.before);
  }
}

TEST(LinesTest, AnEmptyLineAddedAfterATextWithoutLineBreakIsCounted) {
  TextEditor editor;
  editor.setText("a");
  editor.addLine("");
  EXPECT_EQ(editor.lineCount(), 2);
  EXPECT_EQ(editor.line(1), "");
  editor.Undo();
  EXPECT_EQ(dump(editor), "|a#");
}

TEST(LinesTest, ThreeAddedLinesUndoneTwiceLeaveTheFirst) {
  TextEditor editor;
  for (const char* line : {"one", "two", "three"}) editor.addLine(line);
  editor.Undo();
  editor.Undo();
  EXPECT_EQ(editor.text(), "one\r\n");
}

TEST(LinesTest, PutKeepsTheLineEndAndMovesTheCaretAfterIt) {
  TextEditor editor;
  editor.setText("a\r\nb\r\nc");
  editor.putLine(0, "xy");
  EXPECT_EQ(dump(editor), "xy$|b$c#");
  editor.putLine(2, kKan);
  EXPECT_EQ(dump(editor), "xy$b$" + kKan + "|#");
  // Emptying the last line keeps the number of lines, which the name round trip relies on.
  editor.putLine(2, "");
  EXPECT_EQ(editor.lineCount(), 3);
  editor.Undo();
  EXPECT_EQ(editor.text(), "xy\r\nb\r\n" + kKan);
  editor.Redo();
  EXPECT_EQ(editor.lineCount(), 3);
  EXPECT_EQ(editor.line(2), "");
}

TEST(LinesTest, AnIndexOutOfRangeRaisesTheListError) {
  TextEditor editor;
  editor.setText("a\r\n");
  EXPECT_THROW(editor.line(1), LineIndexError);
  EXPECT_THROW(editor.line(-1), LineIndexError);
  EXPECT_THROW(editor.putLine(1, "x"), LineIndexError);
  try {
    editor.line(5);
    ADD_FAILURE() << "no error raised";
  } catch (const LineIndexError& error) {
    EXPECT_EQ(std::string(error.what()).substr(0, 2), "\x83\x8a");  // begins with リ
  }
}

TEST(LinesTest, ClearEmptiesTextAndHistories) {
  TextEditor editor;
  editor.addLine("a");
  editor.clearLines();
  EXPECT_EQ(editor.lineCount(), 0);
  EXPECT_FALSE(editor.CanUndo());
  EXPECT_EQ(editor.caret(), (TextPosition{0, 0}));
}

TEST(UpdateBracketTest, NestedBracketsNotifyOnceWhenTheOutermostCloses) {
  TextEditor editor;
  int calls = 0;
  editor.setChangeListener([&](unsigned flags) {
    ++calls;
    EXPECT_TRUE(flags & kTextChanged);
  });
  editor.beginUpdate();
  editor.beginUpdate();
  for (int i = 0; i < 5; ++i) editor.addLine("x");
  editor.endUpdate();
  EXPECT_EQ(calls, 0);
  editor.endUpdate();
  EXPECT_EQ(calls, 1);
  editor.addLine("y");
  EXPECT_EQ(calls, 2);
}

TEST(ReplaceRowsTest, EndKindsOfTheNewRows) {
  struct Case { std::string before; int first, count; std::string text, after; };
  for (const Case& c : {
           Case{"a\r\nb\r\nc", 1, 1, "x", "a\r\nx\r\nc"},       // rows follow: line break kept
           Case{"a\r\nb\r\n", 1, 1, "x", "a\r\nx"},             // at the end: no break given
           Case{"a\r\nb", 1, 1, "x\r\n", "a\r\nx\r\n"},         // at the end: break given
           Case{"a\r\nb", 0, 0, "x\r\ny", "x\r\ny\r\na\r\nb"},  // inserted before row 0
           Case{"a\r\nb\r\nc", 0, 2, "", "c"},                  // whole lines deleted
       }) {
    TextEditor editor;
    editor.setText(c.before);
    editor.ReplaceRows(c.first, c.count, c.text);
    EXPECT_EQ(editor.text(), c.after) << c.before << " / " << c.text;
    ASSERT_EQ(editor.history().undoList().size(), 1u);
    editor.Undo();
    EXPECT_EQ(editor.text(), c.before);
  }
}

TEST(ReplaceRowsTest, TheStepHoldsTheCaretAndTheRemovedRows) {
  TextEditor editor;
  editor.setText("a\r\nb\r\nc");
  editor.MoveCaret(1, 1);
  editor.ReplaceRows(1, 2, "x\r\ny\r\nz");
  EXPECT_EQ(editor.history().undoList().back(), (UndoStep{1, 1, 1, 3, RowEnd::Eof, "b\r\nc"}));
  editor.ReplaceRows(0, 0, "new\r\n");
  EXPECT_EQ(editor.history().undoList().back().endKind, RowEnd::None);
}

TEST(CaretTest, ClampsRowsAndPullsColumnsOntoCharacterStarts) {
  TextEditor editor;
  editor.setText("a" + kA + "\tb\r\nxy");
  struct Case { int row, column; TextPosition expected; };
  for (Case c : {Case{0, 2, {0, 1}}, Case{0, 3, {0, 3}}, Case{0, 6, {0, 3}}, Case{0, 99, {0, 9}},
                 Case{1, 1, {1, 1}}, Case{5, 0, {1, 0}}, Case{-3, -2, {0, 0}}}) {
    editor.MoveCaret(c.row, c.column);
    EXPECT_EQ(editor.caret(), c.expected) << c.row << "," << c.column;
  }
  editor.setText("a\r\n");
  editor.MoveCaret(7, 3);
  EXPECT_EQ(editor.caret(), (TextPosition{1, 0}));  // the place after a last line break
}

TEST(SelectForwardTest, CountsALineBreakAsTwoAndStopsAtTheEndOfText) {
  struct Case { int count; std::string expected; };
  for (const Case& c : {Case{5, "[abc$|]xyz#"}, Case{6, "[abc$x|]yz#"}, Case{4, "[abc$|]xyz#"},
                        Case{99, "[abc$xyz|]#"}}) {
    TextEditor editor;
    editor.setText("abc\r\nxyz");
    editor.SelectForward(c.count);
    EXPECT_EQ(dump(editor), c.expected) << c.count;
  }
}

TEST(SelectForwardTest, NeverEndsInsideADoubleByteCharacter) {
  TextEditor editor;
  editor.setText("a" + kA + "b");
  editor.SelectForward(2);
  EXPECT_EQ(dump(editor), "[a" + kA + "|]b#");
  EXPECT_EQ(editor.selectedText(), "a" + kA);
}

TEST(SelectForwardTest, ANonPositiveCountCancelsToTheSelectionStartAndBoxModeEnds) {
  TextEditor editor;
  editor.setText("abcdef");
  editor.setBoxMode(true);
  editor.setSelection({0, 1}, {0, 4});
  editor.SelectForward(0);
  EXPECT_EQ(dump(editor), "a|bcdef#");
  EXPECT_FALSE(editor.boxMode());
}

TEST(SelectionTest, ReplaceSelectionAcrossRowsIsOneStep) {
  TextEditor editor;
  editor.setText("abc\r\ndef\r\nghi");
  editor.setSelection({0, 1}, {2, 1});
  editor.ReplaceSelection("X\r\nY");
  EXPECT_EQ(dump(editor), "aX$Y|hi#");
  editor.Undo();
  EXPECT_EQ(editor.text(), "abc\r\ndef\r\nghi");
  EXPECT_FALSE(editor.CanUndo());
}

TEST(SelectionTest, SelectHitSelectsBytesOfALineAsTheFindEngineNeeds) {
  TextEditor editor;
  editor.setText("xx" + kA + "yy\r\nzz");
  editor.selectHit(0, 2, 3);  // あy
  EXPECT_EQ(editor.selectedText(), kA + "y");
  editor.ReplaceSelection("-");
  EXPECT_EQ(editor.text(), "xx-y\r\nzz");
}

TEST(BoxTest, CopyCutAndDeleteTakeTheColumnsOfEachRow) {
  TextEditor editor;
  MemoryClipboard clipboard;
  editor.setClipboard(&clipboard);
  editor.setText("abcdef\r\n" + kA + kI + "xy\r\nab");
  editor.setBoxMode(true);
  editor.setSelection({0, 1}, {2, 3});  // columns 1 and 2, ending past the short last row
  editor.copyToClipboard();
  // あ stands on columns 0-1 and is not in the box; い stands on 2-3 and starts inside it.
  EXPECT_EQ(clipboard.text(), "bc\r\n" + kI + "\r\nb\r\n");
  EXPECT_TRUE(clipboard.holdsBox());
  editor.cutToClipboard();
  EXPECT_EQ(editor.text(), "adef\r\n" + kA + "xy\r\na");
  editor.Undo();
  EXPECT_EQ(editor.text(), "abcdef\r\n" + kA + kI + "xy\r\nab");
}

TEST(BoxTest, PastePadsShortRowsAndAddsRowsPastTheEnd) {
  TextEditor editor;
  editor.setText("abcd\r\nx\r\nabcd");
  editor.MoveCaret(0, 3);
  editor.pasteBlock("1\r\n2\r\n3\r\n4");
  EXPECT_EQ(dump(editor), "abc1d$x  2$abc3d$   4|#");
  EXPECT_EQ(editor.history().undoList().size(), 1u);
  editor.Undo();
  EXPECT_EQ(dump(editor), "abc|d$x$abcd#");
  editor.Redo();
  EXPECT_EQ(editor.text(), "abc1d\r\nx  2\r\nabc3d\r\n   4");
}

TEST(BoxTest, PasteAfterALastLineBreakAddsRowsWithLineBreaks) {
  TextEditor editor;
  editor.setText("ab\r\n");
  editor.MoveCaret(0, 2);
  editor.pasteBlock(kA + "\r\n" + kI);
  EXPECT_EQ(editor.text(), "ab" + kA + "\r\n  " + kI + "\r\n");
}

TEST(BoxTest, PasteFromClipboardPastesABlockOnlyWhenMarkedAsBox) {
  TextEditor editor;
  MemoryClipboard clipboard;
  editor.setClipboard(&clipboard);
  editor.setText("ab\r\ncd");
  editor.MoveCaret(0, 1);
  clipboard.setText("1\r\n2", false);
  editor.PasteFromClipboard();
  EXPECT_EQ(dump(editor), "a1$2|b$cd#");
  editor.Undo();
  clipboard.setText("1\r\n2", true);
  editor.PasteFromClipboard();
  EXPECT_EQ(dump(editor), "a1b$c2|d#");
  editor.Undo();
  clipboard.setText("1\r\n2", false);
  editor.pasteBoxFromClipboard();  // the menu's box paste takes any text as a block
  EXPECT_EQ(editor.text(), "a1b\r\nc2d");
}

TEST(MarksTest, ToggleMoveWithTheRowsAndJump) {
  TextEditor editor;
  editor.setViewSize(4, 40);
  std::string text;
  for (int i = 0; i < 30; ++i) text += "line" + std::to_string(i) + "\r\n";
  editor.setText(text);
  editor.MoveCaret(20, 3);
  editor.toggleMark(1);
  EXPECT_EQ(editor.markRow(1), 20);
  editor.MoveCaret(5, 0);
  editor.toggleMark(1);  // the mark moves: it is on one row at most
  EXPECT_EQ(editor.markRow(1), 5);
  editor.toggleMark(1);  // on the caret row already: removed
  EXPECT_EQ(editor.markRow(1), -1);

  editor.MoveCaret(20, 0);
  editor.toggleMark(2);
  editor.MoveCaret(0, 0);
  editor.ReplaceSelection("new\r\n");  // a row inserted above the mark
  EXPECT_EQ(editor.markRow(2), 21);
  editor.MoveCaret(0, 2);
  editor.jumpToMark(2);
  EXPECT_EQ(editor.caret(), (TextPosition{21, 2}));
  EXPECT_EQ(editor.topRow(), 21 - 4 / 2);
  editor.jumpToMark(3);  // no row carries it
  EXPECT_EQ(editor.caret(), (TextPosition{21, 2}));
}

TEST(MarksTest, AMarkOfADeletedRowPassesToTheRowInItsPlace) {
  TextEditor editor;
  editor.setText("a\r\nb\r\nc\r\n");
  editor.MoveCaret(1, 0);
  editor.toggleMark(0);
  editor.ReplaceRows(1, 1, "");
  EXPECT_EQ(editor.markRow(0), 1);
  EXPECT_EQ(editor.line(1), "c");
}

TEST(ViewTest, ScrollCaretIntoViewPutsTheCaretAThirdDown) {
  TextEditor editor;
  editor.setViewSize(9, 30);
  std::string text;
  for (int i = 0; i < 100; ++i) text += std::string(50, 'x') + "\r\n";
  editor.setText(text);
  editor.MoveCaret(50, 45);
  editor.ScrollCaretIntoView();
  EXPECT_EQ(editor.topRow(), 50 - 9 / 3);
  EXPECT_EQ(editor.leftColumn(), 45 - 30 / 3);
  editor.MoveCaret(52, 40);  // in view already: nothing moves
  editor.ScrollCaretIntoView();
  EXPECT_EQ(editor.topRow(), 47);
  EXPECT_EQ(editor.leftColumn(), 35);
  editor.MoveCaret(1, 0);
  editor.ScrollCaretIntoView();
  EXPECT_EQ(editor.topRow(), 0);  // clamped
}

TEST(ViewTest, ScrollRowsKeepsTheCaretAndStaysInRange) {
  TextEditor editor;
  editor.setViewSize(5, 30);
  editor.setText("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7");
  editor.setSelection({0, 0}, {0, 1});
  editor.ScrollRows(1);
  EXPECT_EQ(editor.topRow(), 1);
  editor.ScrollRows(1);
  editor.ScrollRows(1);
  EXPECT_EQ(editor.topRow(), 2);  // 7 rows, 5 visible
  editor.ScrollRows(-1);
  EXPECT_EQ(editor.topRow(), 1);
  EXPECT_EQ(dump(editor).substr(0, 5), "[1|]$");
}

TEST(ReadOnlyTest, TheProgramStillAppendsToTheLog) {
  TextEditor log;
  log.setReadOnly(true);
  log.addLine("[9:05:07]first");
  log.addLine("[9:05:07]second");
  log.MoveCaret(log.lineCount(), 0);
  EXPECT_EQ(log.caret(), (TextPosition{2, 0}));
  EXPECT_EQ(log.text(), "[9:05:07]first\r\n[9:05:07]second\r\n");
}

TEST(ReadOnlyTest, PasteAndCutDoNothingButCopyWorks) {
  TextEditor editor;
  MemoryClipboard clipboard;
  editor.setClipboard(&clipboard);
  editor.setText("abc");
  editor.setReadOnly(true);
  clipboard.setText("zz", false);
  editor.PasteFromClipboard();
  editor.pasteBoxFromClipboard();
  editor.setSelection({0, 0}, {0, 2});
  editor.cutToClipboard();
  EXPECT_EQ(editor.text(), "abc");
  EXPECT_EQ(clipboard.text(), "zz");
  editor.copyToClipboard();
  EXPECT_EQ(clipboard.text(), "ab");
}

TEST(DoubleByteTest, TrailBytesThatLookLikeLettersAreNeverCut) {
  TextEditor editor;
  editor.setText(kTrailA + kTrailA);
  editor.MoveCaret(0, 3);
  EXPECT_EQ(editor.caret(), (TextPosition{0, 2}));
  editor.setSelection({0, 1}, {0, 3});  // both ends inside characters: pulled to their starts
  EXPECT_EQ(editor.selectedText(), kTrailA);
  editor.ReplaceSelection("a");
  EXPECT_EQ(editor.text(), "a" + kTrailA);
}

}  // namespace
}  // namespace namitra::editor
