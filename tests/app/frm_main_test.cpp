// The main window driven as a user drives it: start-up and shutdown with real files in a
// scratch data folder, drops of file URIs, the file-list commands and the view commands.
#include "frm_main_fixture.h"

#include "app/display_text.h"
#include "app/editor/editor_widget.h"
#include "app/frm_history.h"
#include "app/frm_main.h"
#include "app/frm_option.h"
#include "app/message_log.h"
#include "platform/name_codec.h"
#include "platform/text_file.h"
#include "rename/run_record.h"
#include "sjis/codec.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace namitra::app {
namespace {

TEST_F(FrmMainTest, FirstRunStartsWithDefaultsAndWritesThemOnClose) {
  auto window = openWindow();
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("お手軽名前変更ツール Namitra!"));
  EXPECT_TRUE(window->action("actViewEditTools")->isChecked());
  EXPECT_TRUE(window->findChild<QCheckBox*>("cbRegRegexp")->isChecked());
  EXPECT_FALSE(window->findChild<QCheckBox*>("cbRegMatchCase")->isChecked());
  EXPECT_FALSE(window->findChild<QCheckBox*>("cbRegWholeWord")->isChecked());
  EXPECT_FALSE(window->findChild<QCheckBox*>("cbRegFuzzy")->isChecked());
  EXPECT_EQ(window->options().tabReplacement(), " ");
  EXPECT_EQ(window->options().fileNameCharTable().size(), 9u);
  EXPECT_TRUE(window->messageLog().lines().isEmpty());
  EXPECT_TRUE(child(*window, "lblLVDescription")->isVisible());

  EXPECT_TRUE(window->close());
  EXPECT_EQ(fileBytes(folder() / "ValidFileNameChar.rld"),
            "\\=\r\n/=\r\n:=\r\n*=\r\n?=\r\n\"=\r\n<=\r\n>=\r\n|=\r\n");
  EXPECT_EQ(fileBytes(settingsFile()),
            "[Options]\r\ntab_char=\" \"\r\nviewEditTools=1\r\n"
            "[RegExp]\r\nMatchCase=0\r\nWholeWord=0\r\nRegexp=1\r\nFuzzy=0\r\n");
}

TEST_F(FrmMainTest, SettingsSurviveARestart) {
  {
    auto window = openWindow();
    window->action("actViewEditTools")->trigger();
    window->findChild<QCheckBox*>("cbRegFuzzy")->setChecked(true);
    window->options().setTabReplacement("  _ ");
    window->action("actViewStayOnTop")->trigger();
    ASSERT_TRUE(window->close());
  }
  auto window = openWindow();
  EXPECT_FALSE(window->action("actViewEditTools")->isChecked());
  EXPECT_FALSE(child(*window, "pcEdit")->isVisibleTo(window.get()));
  EXPECT_TRUE(window->findChild<QCheckBox*>("cbRegFuzzy")->isChecked());
  EXPECT_EQ(window->options().tabReplacement(), "  _ ");
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(FrmMainTest, StoredReplacementTableReplacesTheBuiltInOne) {
  writeFile(folder() / "ValidFileNameChar.rld", "ab=x\r\nnoequals\r\n");
  auto window = openWindow();
  const auto table = window->options().fileNameCharTable();
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].key, "ab");
  EXPECT_EQ(table[0].value, "x");
  EXPECT_FALSE(table[1].applies());
  ASSERT_TRUE(window->close());
  EXPECT_EQ(fileBytes(folder() / "ValidFileNameChar.rld"), "ab=x\r\nnoequals\r\n");
}

TEST_F(FrmMainTest, OnePathOnTheCommandLineIsIgnoredTwoBecomeRows) {
  EXPECT_TRUE(openWindow({"/tmp/a.txt"})->fileList().list().empty());
  auto window = openWindow({"/tmp/x/b.txt", "/tmp/a.txt"});
  ASSERT_EQ(window->fileList().list().size(), 2u);
  EXPECT_EQ(window->fileList().list().row(0), (rename::FileEntry{"/tmp/x/", "b.txt", ""}));
  EXPECT_EQ(window->fileList().list().row(1), (rename::FileEntry{"/tmp/", "a.txt", ""}));
  EXPECT_FALSE(child(*window, "lblLVDescription")->isVisible());
}

TEST_F(FrmMainTest, EveryPathOpenedFromAFileManagerBecomesARow) {
  auto window = openWindow({}, {"/tmp/x/b.txt"});
  ASSERT_EQ(window->fileList().list().size(), 1u);
  EXPECT_EQ(window->fileList().list().row(0), (rename::FileEntry{"/tmp/x/", "b.txt", ""}));
}

TEST_F(FrmMainTest, DropsAnywhereOnTheWindowAddRows) {
  auto window = openWindow();
  dropUris(child(*window, "lvFileList"), "file:///d/a.txt\r\nfile:///d/a.txt\r\n");
  EXPECT_EQ(names(*window), (std::vector<std::string>{"a.txt", "a.txt"}));
  dropUris(child(*window, "eeMessage"), "file:///d/photos\r\n");
  window->action("actViewEdit")->trigger();
  dropUris(child(*window, "eeEdit"), "file:///d/caf%C3%A9.jpg\r\n");
  ASSERT_EQ(window->fileList().list().size(), 4u);
  EXPECT_EQ(window->fileList().list().row(2), (rename::FileEntry{"/d/", "photos", ""}));
  const std::string cafe = window->fileList().list().row(3).name;
  EXPECT_EQ(m_codec.toNative(cafe), "caf\xC3\xA9.jpg");
  // The code given to é is stored at once, so files written later mean the same next run.
  EXPECT_NE(fileBytes(folder() / "NameCodes.tbl").find("U+00E9"), std::string::npos);
  EXPECT_EQ(window->fileList().data(window->fileList().index(3, 1), Qt::DisplayRole).toString(),
            QString::fromUtf8("café.jpg"));
  EXPECT_EQ(static_cast<QTabWidget*>(child(*window, "pcMain"))->currentIndex(), 1);
}

TEST_F(FrmMainTest, DropsOnTheEditTextAddRowsAndLeaveItsTextAlone) {
  auto window = openWindow();
  window->action("actViewEdit")->trigger();
  dropUris(&window->editText(), "file:///d/a.txt\r\n");
  EXPECT_EQ(names(*window), (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(window->editText().editor().text(), "");
}

TEST_F(FrmMainTest, LogLinesAreTimeStampedAndTheNewestIsAlwaysInView) {
  auto window = openWindow();
  for (int i = 0; i < 40; ++i) window->messageLog().AddMessage(QStringLiteral("line %1").arg(i));
  auto* log = window->findChild<EditorWidget*>("eeMessage");
  ASSERT_NE(log, nullptr);
  log->editor().setTopRow(0);
  window->action("actFileListClear")->trigger();
  const QStringList lines = window->messageLog().lines();
  ASSERT_EQ(lines.size(), 41);
  EXPECT_TRUE(QRegularExpression(QString::fromUtf8("^\\[\\d{1,2}:\\d\\d:\\d\\d\\]■FileListのクリア$"))
                  .match(lines.back()).hasMatch()) << lines.back().toStdString();
  const editor::TextEditor& model = log->editor();
  EXPECT_GE(model.topRow() + model.visibleRows(), 41);
  EXPECT_GT(model.topRow(), 0);
}

TEST_F(FrmMainTest, ClearEmptiesTheListAndShowsTheHints) {
  auto window = openWindow({"/d/a", "/d/b"});
  window->action("actFileListClear")->trigger();
  EXPECT_TRUE(window->fileList().list().empty());
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■FileListのクリア"));
  EXPECT_TRUE(child(*window, "lblLVDescription")->isVisible());
}

TEST_F(FrmMainTest, DeleteActsOnlyWithTheListFocused) {
  auto window = openWindow({"/d/a", "/d/b", "/d/c"});
  auto* list = window->findChild<QTreeView*>("lvFileList");
  list->selectionModel()->select(window->fileList().index(1, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
  child(*window, "cbFileListExtract")->setFocus();
  window->action("actFileListDel")->trigger();
  EXPECT_EQ(window->fileList().list().size(), 3u);
  EXPECT_TRUE(window->messageLog().lines().isEmpty());

  list->setFocus();
  QTest::keyRelease(list, Qt::Key_Delete);
  EXPECT_EQ(names(*window), (std::vector<std::string>{"a", "c"}));
  EXPECT_TRUE(window->messageLog().lines().isEmpty());

  window->action("actFileListClear")->trigger();
  list->setFocus();
  window->action("actFileListDel")->trigger();
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8(">> FileListに何も登録されてないようです"));
}

TEST_F(FrmMainTest, HeaderClicksSortInAlternatingDirection) {
  auto window = openWindow({"/b/a.txt", "/a/C.txt", "/c/b.txt"});
  QHeaderView* header = window->findChild<QTreeView*>("lvFileList")->header();
  emit header->sectionClicked(1);
  EXPECT_EQ(names(*window), (std::vector<std::string>{"C.txt", "b.txt", "a.txt"}));
  emit header->sectionClicked(1);
  EXPECT_EQ(names(*window), (std::vector<std::string>{"a.txt", "b.txt", "C.txt"}));
  emit header->sectionClicked(0);
  EXPECT_EQ(window->fileList().list().row(0).folder, "/c/");
}

TEST_F(FrmMainTest, FilterKeepsMatchingNamesAndPromotesItsHistory) {
  writeFile(folder() / "Extract.lst", "x\r\nabc\r\n");
  auto window = openWindow({"/d/xABCy.txt", "/d/xabcy.txt"});
  auto* box = window->findChild<QComboBox*>("cbFileListExtract");
  box->setEditText(QStringLiteral("ABC"));
  window->action("actFileListExtract")->trigger();
  EXPECT_EQ(names(*window), (std::vector<std::string>{"xABCy.txt"}));
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■絞り込み終了"));
  EXPECT_EQ(fileBytes(folder() / "Extract.lst"), "abc\r\nx\r\n");
  EXPECT_EQ(box->currentText(), QStringLiteral("ABC"));

  box->setEditText(QStringLiteral("zzz"));
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_TRUE(window->fileList().list().empty());
  EXPECT_TRUE(child(*window, "lblLVDescription")->isVisible());
  EXPECT_EQ(fileBytes(folder() / "Extract.lst"), "zzz\r\nabc\r\nx\r\n");

  box->showPopup();
  ASSERT_EQ(box->count(), 3);
  EXPECT_EQ(box->itemText(0), QStringLiteral("zzz"));
  box->hidePopup();
}

TEST_F(FrmMainTest, FilterReportsAnEmptyListAndAnEmptyText) {
  auto window = openWindow();
  window->action("actFileListExtract")->trigger();
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8(">> FileListになにも登録されていません"));
  window->addPaths({"/d/a"});
  window->action("actFileListExtract")->trigger();
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8(">> 絞り込み用文字列が空です"));
  EXPECT_FALSE(fs::exists(folder() / "Extract.lst"));
}

TEST_F(FrmMainTest, FilterListEditOpensTheOptionsPageAndDisablesTheWindow) {
  writeFile(folder() / "Extract.lst", "one\r\n");
  writeFile(folder() / "ConvFmt.lst", "%F_NAME%\r\n");
  auto window = openWindow();
  window->action("actFileListExtractEdit")->trigger();
  EXPECT_FALSE(window->isEnabled());
  EXPECT_TRUE(window->options().isVisible());
  EXPECT_EQ(window->options().pages()->currentIndex(), FrmOption::FilterListPage);
  EXPECT_EQ(window->options().filterList(), (std::vector<std::string>{"one"}));
  window->options().findChild<QAbstractButton*>("btnOK")->click();
  EXPECT_TRUE(window->isEnabled());
  EXPECT_FALSE(window->options().isVisible());
  EXPECT_EQ(fileBytes(folder() / "Extract.lst"), "one\r\n");
  EXPECT_EQ(fileBytes(folder() / "ConvFmt.lst"), "%F_NAME%\r\n");
}

TEST_F(FrmMainTest, HintsCarryTheirShortcutTexts) {
  auto window = openWindow();
  EXPECT_EQ(window->action("actEditMacroRec")->statusTip(),
            QString::fromUtf8("マクロ記録開始/終了 (Shift+F1)"));
  EXPECT_EQ(window->action("actViewEdit")->statusTip(), QStringLiteral(" (Ctrl+2)"));
  EXPECT_EQ(window->action("actFileListClear")->statusTip(),
            QString::fromUtf8("[ファイルリスト]のクリア"));

  QStatusTipEvent tip(window->action("actFileListClear")->statusTip());
  QApplication::sendEvent(window.get(), &tip);
  auto* panel = window->statusBar()->findChild<QLabel*>();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->text(), QString::fromUtf8(" [ファイルリスト]のクリア"));
}

TEST_F(FrmMainTest, ViewCommandsSwitchTabsAndTheToolPane) {
  auto window = openWindow();
  auto* tabs = static_cast<QTabWidget*>(child(*window, "pcMain"));
  QTest::keyClick(window.get(), Qt::Key_2, Qt::ControlModifier);
  EXPECT_EQ(tabs->currentIndex(), 1);
  window->action("actViewFileList")->trigger();
  EXPECT_EQ(tabs->currentIndex(), 0);
  window->action("actViewEditTools")->trigger();
  EXPECT_FALSE(child(*window, "pcEdit")->isVisibleTo(window.get()));
}

TEST_F(FrmMainTest, FailedShutdownWriteAsksAndCanKeepTheWindowOpen) {
  writeFile(folder() / "blocker", "a file, not a folder");
  m_settingsFile = folder() / "blocker" / "namitra.ini";
  auto window = openWindow();
  QString question;
  answerNextMessageBox(QMessageBox::No, &question);
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(question.contains(QString::fromUtf8("保存せずに終了しますか")));
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(fs::exists(folder() / "ValidFileNameChar.rld"));  // later steps are skipped

  answerNextMessageBox(QMessageBox::Yes);
  EXPECT_TRUE(window->close());
}

std::vector<std::string> plannedNames(FrmMain& window) {
  std::vector<std::string> result;
  for (const auto& row : window.fileList().list().rows()) result.push_back(row.plannedName);
  return result;
}

TEST_F(FrmMainTest, EnteringTheEditTabFillsAnEmptyTextAndLeavingItSetsPlannedNames) {
  auto window = openWindow({"/d/a.jpg", "/d/b.jpg", "/d/c.jpg"});
  editor::TextEditor& edit = window->editText().editor();
  window->action("actViewEdit")->trigger();
  EXPECT_EQ(edit.text(), "a.jpg\r\nb.jpg\r\nc.jpg\r\n");
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■FileListから一覧を取り込みました"));

  edit.setText("photo001.jpg\r\nx/y:z?.jpg\r\nta\tb.jpg");
  window->action("actViewFileList")->trigger();
  EXPECT_EQ(plannedNames(*window),
            (std::vector<std::string>{"photo001.jpg", "xyz.jpg", "ta b.jpg"}));
  EXPECT_EQ(edit.text(), "photo001.jpg\r\nxyz.jpg\r\nta b.jpg");  // the user sees the cleaned text
  EXPECT_EQ(window->fileList().data(window->fileList().index(1, 2), Qt::DisplayRole).toString(),
            QStringLiteral("xyz.jpg"));

  // Text already there is kept on entering; a count mismatch on leaving changes nothing.
  const int lines = window->messageLog().lines().size();
  edit.setText("only one line");
  window->action("actViewEdit")->trigger();
  EXPECT_EQ(edit.text(), "only one line");
  window->action("actViewFileList")->trigger();
  EXPECT_EQ(plannedNames(*window)[0], "photo001.jpg");
  EXPECT_EQ(window->messageLog().lines().size(), lines);
}

TEST_F(FrmMainTest, SwapExchangesNamesOnlyWhenEveryPlannedNameIsSet) {
  auto window = openWindow({"/d/a", "/d/b"});
  window->action("actFileListSwapOldNew")->trigger();
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8(">> 変換後の名前に空白があるようです"));
  window->action("actViewEdit")->trigger();
  window->editText().editor().setText("A\r\nB");
  window->action("actViewFileList")->trigger();
  window->action("actFileListSwapOldNew")->trigger();
  EXPECT_EQ(names(*window), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(plannedNames(*window), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■古い名前と新しい名前を入れ替えました"));
  window->action("actFileListClear")->trigger();
  window->action("actFileListSwapOldNew")->trigger();
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8(">> ファイルが何も登録されていません"));
}

TEST_F(FrmMainTest, EditCommandsActOnlyWhileTheEditTextHasTheFocus) {
  auto window = openWindow({"/d/a", "/d/b"});
  window->action("actViewEdit")->trigger();
  editor::TextEditor& edit = window->editText().editor();
  window->editText().setFocus();
  edit.MoveCaret(0, 1);
  edit.ReplaceSelection("x");
  ASSERT_EQ(edit.text(), "ax\r\nb\r\n");

  QApplication::clipboard()->setText(QStringLiteral("P"));
  child(*window, "pcEdit")->setFocus();  // the tool pane, not the edit text
  window->action("actEditUndo")->trigger();
  window->action("actEditPaste")->trigger();
  EXPECT_EQ(edit.text(), "ax\r\nb\r\n");

  window->editText().setFocus();
  window->action("actEditUndo")->trigger();
  EXPECT_EQ(edit.text(), "a\r\nb\r\n");
  window->action("actEditRedo")->trigger();
  window->action("actEditPaste")->trigger();
  EXPECT_EQ(edit.text(), "axP\r\nb\r\n");

  window->action("actEditClear")->trigger();
  EXPECT_EQ(edit.text(), "");
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■編集用テキストのクリア"));
}

class RenameRunTest : public FrmMainTest {
 protected:
  void SetUp() override {
    FrmMainTest::SetUp();
    fs::create_directory(folder() / "files");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) writeFile(files() / name, name);
  }
  fs::path files() const { return folder() / "files"; }
  std::vector<std::string> filePaths() const {
    return {(files() / "a.jpg").string(), (files() / "b.jpg").string(), (files() / "c.jpg").string()};
  }
  // Types the planned names into the edit text and goes back to the list.
  void plan(FrmMain& window, const std::string& text) {
    window.action("actViewEdit")->trigger();
    window.editText().editor().setText(text);
    window.action("actViewFileList")->trigger();
  }
};

TEST_F(RenameRunTest, OneRequestEndToEnd) {
  auto window = openWindow(filePaths());
  plan(*window, "photo001.jpg\r\nphoto002.jpg\r\nphoto003.jpg");
  window->action("actFileListExecute")->trigger();
  EXPECT_EQ(fileBytes(files() / "photo001.jpg"), "a.jpg");
  EXPECT_EQ(fileBytes(files() / "photo003.jpg"), "c.jpg");
  EXPECT_FALSE(fs::exists(files() / "a.jpg"));
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■名前変換を終了しました"));
  QTreeWidget* history = window->history().historyList();
  ASSERT_EQ(history->topLevelItemCount(), 3);
  EXPECT_EQ(history->topLevelItem(0)->text(1), QStringLiteral("a.jpg"));
  EXPECT_EQ(history->topLevelItem(0)->text(2), QStringLiteral("photo001.jpg"));

  for (int row = 0; row < 3; ++row) history->topLevelItem(row)->setCheckState(0, Qt::Checked);
  QString question;
  answerNextMessageBox(QMessageBox::Yes, &question);
  window->history().action("actUndo")->trigger();
  EXPECT_TRUE(question.contains(QString::fromUtf8("それでも実行しますか")));
  EXPECT_EQ(fileBytes(files() / "a.jpg"), "a.jpg");
  EXPECT_FALSE(fs::exists(files() / "photo001.jpg"));
  ASSERT_EQ(history->topLevelItemCount(), 3);  // the three reverse records
  EXPECT_EQ(history->topLevelItem(0)->text(1), QStringLiteral("photo003.jpg"));
  EXPECT_EQ(window->history().statusText(), QString());
}

TEST_F(RenameRunTest, DuplicatePlannedNamesStopTheRunAndSelectTheSecond) {
  auto window = openWindow(filePaths());
  plan(*window, "x.txt\r\ny.txt\r\nx.txt");
  QString error;
  answerNextMessageBox(QMessageBox::Ok, &error);
  window->action("actFileListExecute")->trigger();
  EXPECT_TRUE(error.startsWith(QLatin1Char('"') + toDisplayText(window->fileList().list().row(0).plannedPath())));
  EXPECT_TRUE(fs::exists(files() / "a.jpg"));
  EXPECT_EQ(static_cast<QTabWidget*>(child(*window, "pcMain"))->currentIndex(), 1);
  EXPECT_EQ(window->focusWidget(), &window->editText());
  EXPECT_EQ(window->editText().editor().caret().row, 2);
  EXPECT_EQ(window->editText().editor().selectedText(), "x.txt");
}

TEST_F(RenameRunTest, AnExistingTargetIsKeptAndTheFailureIsLogged) {
  writeFile(files() / "taken.jpg", "someone else");
  auto window = openWindow(filePaths());
  plan(*window, "z.jpg\r\ntaken.jpg\r\nw.jpg");
  window->action("actFileListExecute")->trigger();  // the stored name matches: no question
  EXPECT_EQ(fileBytes(files() / "taken.jpg"), "someone else");
  EXPECT_EQ(fileBytes(files() / "b.jpg"), "b.jpg");
  EXPECT_EQ(fileBytes(files() / "z.jpg"), "a.jpg");
  EXPECT_EQ(fileBytes(files() / "w.jpg"), "c.jpg");
  const QStringList lines = window->messageLog().lines();
  ASSERT_GE(lines.size(), 3);
  EXPECT_TRUE(lines[lines.size() - 3].contains(QStringLiteral("taken.jpg")));
  EXPECT_TRUE(lines[lines.size() - 3].section(QLatin1Char(']'), 1).startsWith(QStringLiteral(">> ")));
  EXPECT_TRUE(lines[lines.size() - 2].contains(QString::fromUtf8("失敗 1件")));
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■名前変換を終了しました"));
  EXPECT_EQ(window->history().historyList()->topLevelItemCount(), 2);
}

TEST_F(RenameRunTest, ACycleIsRenamedWithoutLosingAFile) {
  auto window = openWindow(filePaths());
  plan(*window, "b.jpg\r\nc.jpg\r\na.jpg");
  window->action("actFileListExecute")->trigger();
  EXPECT_EQ(fileBytes(files() / "b.jpg"), "a.jpg");
  EXPECT_EQ(fileBytes(files() / "c.jpg"), "b.jpg");
  EXPECT_EQ(fileBytes(files() / "a.jpg"), "c.jpg");
  EXPECT_EQ(std::distance(fs::directory_iterator(files()), fs::directory_iterator()), 3);
}

// A run cut off after its first rename: the record of a -> x and b -> y, with a already at x.
class InterruptedRunTest : public RenameRunTest {
 protected:
  void SetUp() override {
    RenameRunTest::SetUp();
    rename::RunRecord record;
    record.id = rename::newRunId();
    record.origin = "window";
    const std::string folderText = files().string() + "/";
    for (auto [from, to] : {std::pair{"a.jpg", "x.jpg"}, std::pair{"b.jpg", "y.jpg"}}) {
      rename::RunStep step;
      step.from = folderText + from;
      step.to = folderText + to;
      step.temporary = rename::temporaryPathFor(record.id, record.steps.size(), folderText);
      step.identity = rename::identityAt(step.from);
      record.steps.push_back(step);
    }
    std::string error;
    auto writer = rename::RunRecordWriter::create(folder(), record.id, error);
    ASSERT_TRUE(writer) << error;
    ASSERT_TRUE(writer->write(record));
    fs::rename(files() / "a.jpg", files() / "x.jpg");  // then the process died
  }
  std::vector<std::string> namesOnDisk() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(files())) found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }
  bool recordLeft() const {
    for (const auto& entry : fs::directory_iterator(folder()))
      if (entry.path().extension() == ".record") return true;
    return false;
  }
};

TEST_F(InterruptedRunTest, YesAtStartUpFinishesTheRunAndRecordsItsRenames) {
  QString question;
  answerNextMessageBox(QMessageBox::Yes, &question);
  auto window = openWindow();
  EXPECT_EQ(question, QString::fromUtf8("前回の名前の変更が途中で終わっています（2件のファイル）。\n\nはい:最後まで変更します\n"
                                        "いいえ:元の名前に戻します\nキャンセル:今はそのままにします（次に起動したときにもう一度たずねます）"));
  EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"c.jpg", "x.jpg", "y.jpg"}));
  EXPECT_EQ(fileBytes(files() / "y.jpg"), "b.jpg");
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■中断された名前の変更を最後まで行いました: 成功 2件、失敗 0件"));
  QTreeWidget* history = window->history().historyList();
  ASSERT_EQ(history->topLevelItemCount(), 2);
  EXPECT_EQ(history->topLevelItem(1)->text(1), QStringLiteral("b.jpg"));
  EXPECT_EQ(history->topLevelItem(1)->text(2), QStringLiteral("y.jpg"));
  EXPECT_FALSE(recordLeft());
}

TEST_F(InterruptedRunTest, NoAtStartUpRollsTheRunBack) {
  answerNextMessageBox(QMessageBox::No);
  auto window = openWindow();
  EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(fileBytes(files() / "a.jpg"), "a.jpg");
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■中断された名前の変更を元に戻しました: 成功 2件、失敗 0件"));
  EXPECT_EQ(window->history().historyList()->topLevelItemCount(), 0);
  EXPECT_FALSE(recordLeft());
}

TEST_F(InterruptedRunTest, CancelLeavesTheRunForTheNextStart) {
  answerNextMessageBox(QMessageBox::Cancel);
  auto window = openWindow();
  EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"b.jpg", "c.jpg", "x.jpg"}));
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8(">> 中断された名前の変更をそのままにしました"));
  EXPECT_TRUE(recordLeft());
  window.reset();
  answerNextMessageBox(QMessageBox::No);
  window = openWindow();
  EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_FALSE(recordLeft());
}

TEST_F(InterruptedRunTest, ARunOfTheWindowLeavesNoRecordBehind) {
  answerNextMessageBox(QMessageBox::No);
  auto window = openWindow();
  window->addPaths({(files() / "a.jpg").string(), (files() / "b.jpg").string()});
  plan(*window, "p.jpg\r\nq.jpg");
  window->action("actFileListExecute")->trigger();
  EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"c.jpg", "p.jpg", "q.jpg"}));
  EXPECT_FALSE(recordLeft());
}

}  // namespace
}  // namespace namitra::app
