// The editor widget driven with real Qt events on the offscreen platform: keys, an input-method
// commit, box selection with Ctrl+K and the mouse, the clipboard, undo and redo, the wheel, the
// context menu and the claiming of shortcuts before the main window's.
//
// With NAMITRA_SCREENSHOT_DIR set, the screenshot test saves both instances there as PNG files.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

#include "app/display_text.h"
#include "app/editor/editor_context_menu.h"
#include "app/editor/editor_widget.h"

namespace namitra::app {
namespace {

using editor::TextPosition;

std::string sjis(const char* utf8) { return fromDisplayText(QString::fromUtf8(utf8)); }

// A window holding the edit text and the log, shown and active, the edit text focused.
class EditorWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_edit = EditorWidget::createEdit();
    m_log = EditorWidget::createMessage();
    layout->addWidget(m_edit, 3);
    layout->addWidget(m_log, 1);
    m_window->resize(500, 400);
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_edit->setFocus();
    QApplication::clipboard()->clear();
  }

  editor::TextEditor& model() { return m_edit->editor(); }

  QPoint cellCenter(EditorWidget* widget, int row, int column) {
    int x = widget->settings().leftMargin + column * widget->cellWidth();
    int y = widget->textTop() + row * widget->rowHeight() + widget->rowHeight() / 2;
    return {x, y};
  }

  std::unique_ptr<QWidget> m_window;
  EditorWidget* m_edit = nullptr;
  EditorWidget* m_log = nullptr;
};

TEST_F(EditorWidgetTest, TheTwoInstancesCarryTheirSettings) {
  EXPECT_EQ(m_edit->objectName(), "eeEdit");
  EXPECT_EQ(m_log->objectName(), "eeMessage");
  EXPECT_FALSE(m_edit->editor().ReadOnly());
  EXPECT_TRUE(m_log->editor().ReadOnly());
  EXPECT_EQ(m_edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(m_log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(m_edit->settings().font.pixelSize(), 12);
  EXPECT_EQ(m_edit->frameShape(), QFrame::NoFrame);
}

TEST_F(EditorWidgetTest, TypedKeysEditTheText) {
  QTest::keyClicks(m_edit, "  abc");
  QTest::keyClick(m_edit, Qt::Key_Return);
  QTest::keyClicks(m_edit, "de");
  QTest::keyClick(m_edit, Qt::Key_Backspace);
  QTest::keyClick(m_edit, Qt::Key_Left, Qt::ShiftModifier);
  QTest::keyClick(m_edit, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(model().text(), "  abc\r\n  d");
  EXPECT_EQ(model().selectedText(), " d");
  QTest::keyClick(m_edit, Qt::Key_Tab);
  EXPECT_EQ(model().text(), "  abc\r\n \t");
  EXPECT_TRUE(m_edit->hasFocus());  // Tab stays in the editor
}

TEST_F(EditorWidgetTest, AKeyWithDoubleByteTextInsertsOneCharacter) {
  QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("\u30a2"));  // ア
  QApplication::sendEvent(m_edit, &press);
  EXPECT_EQ(model().text(), sjis("\u30a2"));
  EXPECT_EQ(model().caret(), (TextPosition{0, 2}));
  EXPECT_EQ(model().history().undoList().size(), 1u);
}

TEST_F(EditorWidgetTest, CtrlZUndoesAndCtrlARedoes) {
  QTest::keyClicks(m_edit, "ab");
  QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(model().text(), "a");
  QTest::keyClick(m_edit, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(model().text(), "ab");
  EXPECT_FALSE(model().hasSelection());  // Ctrl+A is redo, not select all
}

TEST_F(EditorWidgetTest, AnInputMethodCommitInsertsJapaneseTextAsOneStep) {
  QTest::keyClicks(m_edit, "x");
  QInputMethodEvent preedit(QString::fromUtf8("にほんご"), {});
  QApplication::sendEvent(m_edit, &preedit);
  EXPECT_EQ(model().text(), "x");  // composition is not text yet
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("日本語"));
  QApplication::sendEvent(m_edit, &commit);
  EXPECT_EQ(model().text(), "x" + sjis("日本語"));
  EXPECT_EQ(model().caret(), (TextPosition{0, 7}));
  QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(model().text(), "x");
}

TEST_F(EditorWidgetTest, BoxSelectionWithCtrlKAndTheMouseCopiesAndPastesABlock) {
  model().setText("abcd\r\nefgh\r\nij");
  QTest::keyClick(m_edit, Qt::Key_K, Qt::ControlModifier);
  ASSERT_TRUE(model().boxMode());
  QWidget* viewport = m_edit->viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, cellCenter(m_edit, 0, 1));
  QTest::mouseMove(viewport, cellCenter(m_edit, 2, 3));
  QMouseEvent move(QEvent::MouseMove, cellCenter(m_edit, 2, 3), viewport->mapToGlobal(cellCenter(m_edit, 2, 3)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &move);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellCenter(m_edit, 2, 3));
  EXPECT_EQ(model().selectedText(), "bc\r\nfg\r\nj\r\n");

  QTest::keyClick(m_edit, Qt::Key_C, Qt::ControlModifier);
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasFormat(kBoxMimeType));
  EXPECT_EQ(data->text(), "bc\r\nfg\r\nj\r\n");

  QTest::keyClick(m_edit, Qt::Key_K, Qt::ControlModifier);  // back to stream mode
  model().MoveCaret(1, 4);
  QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);  // a box on the clipboard: a block
  EXPECT_EQ(model().text(), "abcd\r\nefghbc\r\nij  fg\r\n    j");
  QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(model().text(), "abcd\r\nefgh\r\nij");
}

TEST_F(EditorWidgetTest, CtrlBPastesPlainClipboardTextAsABlock) {
  model().setText("ab\r\ncd");
  QApplication::clipboard()->setText(QStringLiteral("1\n2"));
  model().MoveCaret(0, 1);
  QTest::keyClick(m_edit, Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(model().text(), "a1b\r\nc2d");
  QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);  // plain text: a stream paste
  EXPECT_EQ(model().text(), "a1\r\n2b\r\ncd");
}

TEST_F(EditorWidgetTest, EditorShortcutsComeBeforeTheWindowsAndOthersReachIt) {
  auto* tab_action = new QAction(m_window.get());
  tab_action->setShortcut(QKeySequence(QStringLiteral("Ctrl+1")));
  m_window->addAction(tab_action);
  auto* record_action = new QAction(m_window.get());
  record_action->setShortcut(QKeySequence(QStringLiteral("Shift+F1")));
  m_window->addAction(record_action);
  QSignalSpy tab_spy(tab_action, &QAction::triggered);
  QSignalSpy record_spy(record_action, &QAction::triggered);

  model().setText("a\r\nb\r\nc");
  model().MoveCaret(2, 0);
  QTest::keyClick(m_edit, Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(model().markRow(1), 2);
  model().MoveCaret(0, 0);
  QTest::keyClick(m_edit, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(model().caret().row, 2);
  EXPECT_EQ(tab_spy.count(), 0);
  QTest::keyClick(m_edit, Qt::Key_F1, Qt::ShiftModifier);
  EXPECT_EQ(record_spy.count(), 1);

  QTest::keyClick(m_log, Qt::Key_1, Qt::ControlModifier);  // the log is an editor too
  EXPECT_EQ(tab_spy.count(), 0);

  auto* other = new QPushButton(QStringLiteral("other"), m_window.get());
  other->show();
  other->setFocus();  // with the focus elsewhere the window's shortcut acts
  QTest::keyClick(other, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(tab_spy.count(), 1);
}

TEST_F(EditorWidgetTest, OneWheelNotchScrollsOneRowAndLeavesCaretAndSelection) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "row" + std::to_string(i) + "\r\n";
  model().setText(text);
  model().setSelection({1, 0}, {1, 2});
  auto wheel = [&](int delta) {
    QPoint at = cellCenter(m_edit, 1, 1);
    QWheelEvent event(at, m_edit->viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_edit->viewport(), &event);
  };
  wheel(-120);  // toward the user
  EXPECT_EQ(model().topRow(), 1);
  EXPECT_EQ(m_edit->verticalScrollBar()->value(), 1);
  wheel(-60);
  EXPECT_EQ(model().topRow(), 1);  // half a notch waits
  wheel(-60);
  EXPECT_EQ(model().topRow(), 2);
  wheel(120);
  EXPECT_EQ(model().topRow(), 1);
  EXPECT_EQ(model().caret(), (TextPosition{1, 2}));
  EXPECT_EQ(model().selectedText(), "ro");
}

TEST_F(EditorWidgetTest, TheLogShowsUndoAndRedoDisabledAndIgnoresTyping) {
  editor::TextEditor& log = m_log->editor();
  log.addLine("[9:05:07]one");
  log.addLine("[9:05:07]two");
  log.Undo();
  ASSERT_TRUE(log.CanUndo());
  ASSERT_TRUE(log.CanRedo());
  EditorContextMenu* menu = m_log->contextMenu();
  menu->updateStates();
  EXPECT_FALSE(menu->undoAction()->isEnabled());
  EXPECT_FALSE(menu->redoAction()->isEnabled());
  EXPECT_FALSE(menu->pasteAction()->isEnabled());
  EXPECT_TRUE(menu->selectAllAction()->isEnabled());
  m_log->setFocus();
  std::string before = log.text();
  QTest::keyClicks(m_log, "xyz");
  QTest::keyClick(m_log, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(m_log, Qt::Key_Return);
  EXPECT_EQ(log.text(), before);
}

TEST_F(EditorWidgetTest, TheEditMenuFollowsTheState) {
  EditorContextMenu* menu = m_edit->contextMenu();
  menu->updateStates();
  EXPECT_FALSE(menu->undoAction()->isEnabled());
  EXPECT_FALSE(menu->copyAction()->isEnabled());
  EXPECT_FALSE(menu->selectAllAction()->isEnabled());
  QTest::keyClicks(m_edit, "abc");
  QTest::keyClick(m_edit, Qt::Key_Left, Qt::ShiftModifier);
  QApplication::clipboard()->setText(QStringLiteral("z"));
  menu->updateStates();
  EXPECT_TRUE(menu->undoAction()->isEnabled());
  EXPECT_FALSE(menu->redoAction()->isEnabled());
  EXPECT_TRUE(menu->cutAction()->isEnabled());
  EXPECT_TRUE(menu->pasteAction()->isEnabled());
  EXPECT_TRUE(menu->selectAllAction()->isEnabled());
  EXPECT_TRUE(menu->undoAction()->text().startsWith(QStringLiteral("元に戻す(&U)\t")));
  menu->deleteAction()->trigger();
  EXPECT_EQ(model().text(), "ab");
  menu->boxModeAction()->trigger();
  menu->updateStates();
  EXPECT_TRUE(menu->boxModeAction()->isChecked());
}

TEST_F(EditorWidgetTest, Screenshots) {
  QString folder = qEnvironmentVariable("NAMITRA_SCREENSHOT_DIR");
  if (folder.isEmpty()) GTEST_SKIP() << "NAMITRA_SCREENSHOT_DIR not set";
  model().setText(sjis("photo001.jpg\r\n\tタブ付き　全角空白 half blank\r\n"
                       "写真[日本語].png\r\nlast line without break"));
  model().MoveCaret(1, 3);
  model().MoveCaret(2, 4);
  model().moveCaretTo({2, 12}, true);
  for (const char* line : {"[9:05:07]■FileListから一覧を取り込みました",
                           "[9:05:08]>> 変換後の名前に空白があるようです"})
    m_log->editor().addLine(sjis(line));
  QApplication::processEvents();
  EXPECT_TRUE(m_window->grab().save(folder + "/editor_window.png"));
}

}  // namespace
}  // namespace namitra::app
