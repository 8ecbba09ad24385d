// Keystroke macros in the main window, driven by real key events: recording what is typed into
// the edit text, replaying it on the next line, the caption and the check mark while recording,
// and the record and play keys on the wrong page and from the tool pane.
#include "frm_main_fixture.h"

#include "app/editor/editor_widget.h"
#include "app/history_combo_box.h"
#include "app/tool_pane.h"
#include "editor/key_macro.h"

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace namitra::app {
namespace {

using editor::MacroState;

constexpr std::uint16_t kVirtualKeyF2 = 0x71;

const QString kMainTitle = QString::fromUtf8("お手軽名前変更ツール Namitra!");
const QString kRecordingTitle = kMainTitle + QStringLiteral(" [**Recording**]");

std::string sjis(const char* utf8) { return fromDisplayText(QString::fromUtf8(utf8)); }

class KeyMacroWidgetTest : public FrmMainTest {
 protected:
  // The window on the edit page, its text filled from `paths`, the caret at the start and the
  // focus in the edit text.
  std::unique_ptr<FrmMain> openOnEditPage(std::vector<std::string> paths) {
    auto window = openWindow(std::move(paths));
    window->action("actViewEdit")->trigger();
    window->editText().setFocus();
    window->editText().editor().moveCaretTo({0, 0}, false);
    return window;
  }

  static void pressRecord(QWidget* target) { QTest::keyClick(target, Qt::Key_F1, Qt::ShiftModifier); }
  static void pressPlay(QWidget* target) { QTest::keyClick(target, Qt::Key_F2, Qt::ShiftModifier); }

  static QToolButton* editToolButton(FrmMain& window, const char* actionName) {
    auto* bar = window.findChild<QToolBar*>(QStringLiteral("tbEdit"));
    return qobject_cast<QToolButton*>(bar->widgetForAction(window.action(actionName)));
  }

  static void expectNotRecording(FrmMain& window) {
    EXPECT_EQ(window.windowTitle(), kMainTitle);
    EXPECT_FALSE(window.action("actEditMacroRec")->isChecked());
  }

  static void expectRecording(FrmMain& window) {
    EXPECT_EQ(window.keyMacro().state(), MacroState::Recording);
    EXPECT_EQ(window.windowTitle(), kRecordingTitle);
    EXPECT_TRUE(window.action("actEditMacroRec")->isChecked());
  }
};

TEST_F(KeyMacroWidgetTest, TypingRecordedOnOneLineIsReplayedOnTheNext) {
  auto window = openOnEditPage({"/d/a", "/d/b", "/d/c"});
  EditorWidget& edit = window->editText();
  ASSERT_EQ(edit.editor().text(), "a\r\nb\r\nc\r\n");

  pressRecord(&edit);
  expectRecording(*window);
  EXPECT_TRUE(editToolButton(*window, "actEditMacroRec")->isChecked());  // shown pressed
  QTest::keyClick(&edit, Qt::Key_End);
  QTest::keyClicks(&edit, "-x");
  QTest::keyClick(&edit, Qt::Key_Down);
  pressRecord(&edit);
  expectNotRecording(*window);
  EXPECT_FALSE(editToolButton(*window, "actEditMacroRec")->isChecked());
  EXPECT_EQ(window->keyMacro().state(), MacroState::Ready);
  EXPECT_EQ(edit.editor().text(), "a-x\r\nb\r\nc\r\n");

  // The stop key reached the edit text, so it is the last record.
  const editor::KeyRecordList& records = window->keyMacro().records();
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.back().message, editor::kKeyDownNotification);
  EXPECT_EQ(records.back().charCode, editor::vk::F1);
  EXPECT_NE(records.back().shift & editor::kKeyDownState, 0);

  pressPlay(&edit);
  EXPECT_EQ(edit.editor().text(), "a-x\r\nb-x\r\nc\r\n");
  // The replayed stop key ran the record command while playing: it only reset the caption.
  expectNotRecording(*window);
  EXPECT_EQ(window->keyMacro().state(), MacroState::Ready);

  window->action("actEditMacroExec")->trigger();
  EXPECT_EQ(edit.editor().text(), "a-x\r\nb-x\r\nc-x\r\n");
}

TEST_F(KeyMacroWidgetTest, RecordedShiftStateExtendsTheSelectionOnReplay) {
  auto window = openOnEditPage({"/d/ab", "/d/cd", "/d/ef"});
  EditorWidget& edit = window->editText();
  pressRecord(&edit);
  QTest::keyClick(&edit, Qt::Key_Home);
  QTest::keyClick(&edit, Qt::Key_End, Qt::ShiftModifier);
  QTest::keyClicks(&edit, "X");
  QTest::keyClick(&edit, Qt::Key_Down);
  pressRecord(&edit);
  ASSERT_EQ(edit.editor().text(), "X\r\ncd\r\nef\r\n");

  // No modifier is held now (the play button instead of Shift+F2); each record brings its own,
  // and the modifiers are released again afterwards.
  QTest::keyRelease(&edit, Qt::Key_Shift);
  ASSERT_EQ(QGuiApplication::keyboardModifiers(), Qt::NoModifier);
  QTest::mouseClick(editToolButton(*window, "actEditMacroExec"), Qt::LeftButton);
  EXPECT_EQ(edit.editor().text(), "X\r\nX\r\nef\r\n");
  EXPECT_EQ(QGuiApplication::keyboardModifiers(), Qt::NoModifier);
}

TEST_F(KeyMacroWidgetTest, InputMethodTextIsRecordedAndReplayed) {
  auto window = openOnEditPage({"/d/a", "/d/b"});
  EditorWidget& edit = window->editText();
  pressRecord(&edit);
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("名前"));
  QApplication::sendEvent(&edit, &commit);
  QTest::keyClick(&edit, Qt::Key_Home);
  QTest::keyClick(&edit, Qt::Key_Down);
  pressRecord(&edit);
  ASSERT_EQ(edit.editor().text(), sjis("名前a\r\nb\r\n"));

  pressPlay(&edit);
  EXPECT_EQ(edit.editor().text(), sjis("名前a\r\n名前b\r\n"));
  EXPECT_EQ(window->keyMacro().ImePending(), 0);
}

TEST_F(KeyMacroWidgetTest, PlayKeyWhileRecordingIsRecordedAndDoesNotRecurseOnReplay) {
  auto window = openOnEditPage({"/d/a", "/d/b"});
  EditorWidget& edit = window->editText();
  pressRecord(&edit);
  QTest::keyClicks(&edit, "x");
  pressPlay(&edit);
  expectRecording(*window);
  EXPECT_EQ(edit.editor().text(), "xa\r\nb\r\n");
  pressRecord(&edit);
  // Key-down and character of x, then Shift and F2 of the play key, Shift and F1 of the stop key.
  ASSERT_EQ(window->keyMacro().records().size(), 6u);
  EXPECT_EQ(window->keyMacro().records()[2].charCode, editor::vk::Shift);
  EXPECT_EQ(window->keyMacro().records()[3].charCode, kVirtualKeyF2);

  pressPlay(&edit);
  EXPECT_EQ(edit.editor().text(), "xxa\r\nb\r\n");
  EXPECT_EQ(window->keyMacro().state(), MacroState::Ready);
}

TEST_F(KeyMacroWidgetTest, RecordAndPlayKeysDoNothingOnTheFileListPage) {
  auto window = openWindow({"/d/a", "/d/b"});
  auto* list = window->findChild<QTreeView*>(QStringLiteral("lvFileList"));
  list->setFocus();
  pressRecord(list);
  expectNotRecording(*window);
  EXPECT_EQ(window->keyMacro().state(), MacroState::Empty);

  // A recording started on the edit page goes on across the file-list page.
  QTest::keyClick(list, Qt::Key_2, Qt::ControlModifier);
  EditorWidget& edit = window->editText();
  edit.setFocus();
  pressRecord(&edit);
  window->action("actViewFileList")->trigger();
  list->setFocus();
  pressRecord(list);
  expectRecording(*window);
  QTest::keyClick(list, Qt::Key_Down);  // typed elsewhere: not recorded
  pressPlay(list);
  EXPECT_EQ(window->keyMacro().state(), MacroState::Recording);

  QTest::keyClick(list, Qt::Key_2, Qt::ControlModifier);
  edit.setFocus();
  pressRecord(&edit);
  expectNotRecording(*window);
  // The stop key alone (Shift, then F1).
  ASSERT_EQ(window->keyMacro().records().size(), 2u);
  EXPECT_EQ(window->keyMacro().records()[1].charCode, editor::vk::F1);

  QTest::keyClicks(&edit, "z");
  window->action("actViewFileList")->trigger();
  list->setFocus();
  const std::string text = edit.editor().text();
  pressPlay(list);
  EXPECT_EQ(edit.editor().text(), text);
}

TEST_F(KeyMacroWidgetTest, RecordKeyWorksFromTheToolPaneWhoseKeysAreNotRecorded) {
  auto window = openOnEditPage({"/d/a", "/d/b"});
  window->toolPane().setCurrentIndex(ToolPane::FormatPage);
  QLineEdit* format = window->toolPane().cbFmtLists->lineEdit();
  format->setFocus();
  pressRecord(format);
  expectRecording(*window);
  QTest::keyClicks(format, "%NUM%");
  EditorWidget& edit = window->editText();
  edit.setFocus();
  QTest::keyClicks(&edit, "q");
  pressRecord(&edit);
  expectNotRecording(*window);
  EXPECT_EQ(format->text(), QStringLiteral("%NUM%"));
  // q (key-down and character), then Shift and F1 of the stop key.
  ASSERT_EQ(window->keyMacro().records().size(), 4u);
  EXPECT_EQ(window->keyMacro().records()[1].charCode, 'q');
}

TEST_F(KeyMacroWidgetTest, ToolBarButtonsRecordAndPlayWithoutTakingTheFocus) {
  auto window = openOnEditPage({"/d/a", "/d/b"});
  EditorWidget& edit = window->editText();
  QToolButton* record = editToolButton(*window, "actEditMacroRec");
  QToolButton* play = editToolButton(*window, "actEditMacroExec");

  // Started and stopped at once: an empty recording, which plays nothing.
  QTest::mouseClick(record, Qt::LeftButton);
  expectRecording(*window);
  QTest::mouseClick(record, Qt::LeftButton);
  EXPECT_EQ(window->keyMacro().state(), MacroState::Ready);
  EXPECT_TRUE(window->keyMacro().records().empty());
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_EQ(edit.editor().text(), "a\r\nb\r\n");

  QTest::mouseClick(record, Qt::LeftButton);
  EXPECT_TRUE(edit.hasFocus());
  QTest::keyClicks(&edit, "y");
  QTest::keyClick(&edit, Qt::Key_Down);
  QTest::keyClick(&edit, Qt::Key_Home);
  QTest::mouseClick(record, Qt::LeftButton);
  expectNotRecording(*window);
  EXPECT_EQ(window->keyMacro().records().size(), 4u);  // no stop key this time
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_EQ(edit.editor().text(), "ya\r\nyb\r\n");
}

}  // namespace
}  // namespace namitra::app
