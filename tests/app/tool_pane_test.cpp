// The three pages of the edit tool pane driven through their widgets: formats typed with the
// variable buttons and the number boxes, rule files saved, listed, ticked and applied, and
// search and replace with each option.
#include "frm_main_fixture.h"

#include "app/dialogs.h"
#include "app/editor/editor_widget.h"
#include "app/history_combo_box.h"
#include "app/number_box.h"
#include "app/rule_grid.h"
#include "app/tool_pane.h"
#include "sjis/codec.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace namitra::app {
namespace {

class ToolPaneTest : public FrmMainTest {
 protected:
  // A window whose edit text holds `lines` (one dropped row per line, the edit tab shown).
  std::unique_ptr<FrmMain> windowEditing(const std::vector<std::string>& lines) {
    auto window = openWindow();
    std::vector<std::string> paths;
    for (const std::string& line : lines) paths.push_back("/d/" + sjis::toUtf8(line));
    window->addPaths(paths);
    tabs(*window)->setCurrentIndex(1);
    return window;
  }
  static QTabWidget* tabs(FrmMain& window) {
    return static_cast<QTabWidget*>(child(window, "pcMain"));
  }
  static std::vector<std::string> editLines(FrmMain& window) {
    const editor::TextEditor& edit = window.editText().editor();
    std::vector<std::string> lines;
    for (int i = 0; i < edit.lineCount(); ++i) lines.push_back(edit.line(i));
    return lines;
  }
  static QStringList messages(FrmMain& window) {
    QStringList texts;
    for (const QString& line : window.messageLog().lines())
      texts.append(line.section(QLatin1Char(']'), 1));
    return texts;
  }
};

using Lines = std::vector<std::string>;

// ---- 形式化 ----

TEST_F(ToolPaneTest, FormatTypedWithTheVariableButtonsIsAppliedAndRemembered) {
  auto window = windowEditing({"photo.JPG", "scan.Png"});
  ToolPane& pane = window->toolPane();
  pane.setCurrentIndex(ToolPane::FormatPage);
  QLineEdit* box = pane.cbFmtLists->lineEdit();
  box->setFocus();
  QTest::keyClicks(box, "IMG_");
  pane.findChild<QPushButton*>("btnStr_NUM")->click();
  QTest::keyClicks(box, ".");
  pane.findChild<QPushButton*>("btnStr_F_ExtSS")->click();
  EXPECT_EQ(box->text(), QStringLiteral("IMG_%NUM%.%F_EXTaa%"));
  pane.sedtNLStartValue->setText(QStringLiteral("7"));
  pane.sedtNLDigit->setText(QStringLiteral("3"));

  window->action("actFmtExecute")->trigger();
  EXPECT_EQ(editLines(*window), (Lines{"IMG_007.jpg", "IMG_008.png"}));
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■形式化文字列を適用しました"));
  EXPECT_EQ(fileBytes(folder() / "ConvFmt.lst"), "IMG_%NUM%.%F_EXTaa%\r\n");

  tabs(*window)->setCurrentIndex(0);
  EXPECT_EQ(window->fileList().list().rows()[1].plannedName, "IMG_008.png");
}

TEST_F(ToolPaneTest, VariableButtonReplacesTheSelectionOfTheFormatBox) {
  auto window = windowEditing({"a.txt"});
  QLineEdit* box = window->toolPane().cbFmtLists->lineEdit();
  box->setText(QStringLiteral("x-OLD-y"));
  box->setSelection(2, 3);
  window->toolPane().findChild<QPushButton*>("btnStr_F_Name")->click();
  EXPECT_EQ(box->text(), QStringLiteral("x-%F_NAME%-y"));
}

TEST_F(ToolPaneTest, FormatDropDownOffersTheStoredListAndClearEmptiesTheBox) {
  writeFile(folder() / "ConvFmt.lst", "%F_NAME%_1\r\n%NUM%\r\n");
  auto window = windowEditing({"a.txt"});
  HistoryComboBox* box = window->toolPane().cbFmtLists;
  box->setEditText(QStringLiteral("typed"));
  box->showPopup();
  box->hidePopup();
  ASSERT_EQ(box->count(), 2);
  EXPECT_EQ(box->itemText(1), QStringLiteral("%NUM%"));
  EXPECT_EQ(box->currentText(), QStringLiteral("typed"));
  window->action("actFmtClear")->trigger();
  EXPECT_EQ(box->currentText(), QString());

  window->action("actFmtExecute")->trigger();
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8(">> 変換する文字列式がありません"));
  EXPECT_EQ(editLines(*window), (Lines{"a.txt"}));
}

TEST_F(ToolPaneTest, NumberBoxesTakeOnlyDigitsAndKeepTheirRangeWhenLeft) {
  auto window = windowEditing({"a.txt"});
  ToolPane& pane = window->toolPane();
  pane.setCurrentIndex(ToolPane::FormatPage);
  NumberBox* digits = pane.sedtNLDigit;
  digits->setFocus();
  digits->selectAll();
  QTest::keyClicks(digits, "4x");
  QTest::keyClick(digits, Qt::Key_Backspace);  // discarded, as every non-digit is
  QTest::keyClicks(digits, "07");               // at most two typed characters
  EXPECT_EQ(digits->text(), QStringLiteral("40"));
  pane.cbFmtLists->setFocus();  // leaving clamps to 1..16
  EXPECT_EQ(digits->text(), QStringLiteral("16"));

  digits->setFocus();
  digits->setText(QString());
  QString shown;
  answerNextMessageBox(QMessageBox::Ok, &shown);
  pane.cbFmtLists->setFocus();
  EXPECT_EQ(shown, QString::fromUtf8("数値以外の文字が含まれています。"));
  EXPECT_EQ(digits->text(), QStringLiteral("1"));

  NumberBox* start = pane.sedtNLStartValue;
  start->setText(QStringLiteral("2147483647"));
  start->stepBy(1);
  EXPECT_EQ(start->text(), QStringLiteral("2147483647"));
}

TEST_F(ToolPaneTest, RunningNumbersPastTheLargestStartValueDoNotOverflow) {
  auto window = windowEditing({"a.txt", "b.txt"});
  ToolPane& pane = window->toolPane();
  pane.cbFmtLists->setEditText(QStringLiteral("%NUM%"));
  pane.sedtNLStartValue->setText(QStringLiteral("2147483647"));
  window->action("actFmtExecute")->trigger();
  EXPECT_EQ(editLines(*window), (Lines{"2147483647", "2147483648"}));
}

// ---- 一括置換 ----

TEST_F(ToolPaneTest, RuleFileIsSavedListedTickedAndApplied) {
  auto window = windowEditing({"my_photo.jpg", "a_b_c.txt"});
  ToolPane& pane = window->toolPane();
  pane.vleReplaceList->appendRules({platform::Rule::fromLine("_= ")});
  window->setRuleFileChooser({nullptr, [](const fs::path& start) { return start / "under.rl"; }});
  window->action("actReplaceListSave")->trigger();
  EXPECT_EQ(fileBytes(folder() / "under.rl"), "_= \r\n");
  EXPECT_EQ(pane.clbReplaceListFileList->count(), 0);  // listed only from the next reload

  pane.setCurrentIndex(ToolPane::FormatPage);
  pane.setCurrentIndex(ToolPane::ReplaceListPage);  // showing the page reloads the list
  ASSERT_EQ(pane.clbReplaceListFileList->count(), 1);
  EXPECT_EQ(pane.clbReplaceListFileList->item(0)->text(), QStringLiteral("under.rl"));
  pane.clbReplaceListFileList->item(0)->setCheckState(Qt::Checked);
  window->action("actReplaceListClear")->trigger();
  EXPECT_TRUE(pane.vleReplaceList->rules().empty());

  window->action("actReplaceListExecute")->trigger();
  EXPECT_EQ(editLines(*window), (Lines{"my photo.jpg", "a b c.txt"}));
  EXPECT_EQ(messages(*window).mid(messages(*window).size() - 2),
            (QStringList{QString::fromUtf8(">> 一時変換項目はありません"),
                         QString::fromUtf8("■一括置換を行いました")}));

  pane.setCurrentIndex(ToolPane::FormatPage);
  pane.setCurrentIndex(ToolPane::ReplaceListPage);
  EXPECT_EQ(pane.clbReplaceListFileList->item(0)->checkState(), Qt::Unchecked);
}

TEST_F(ToolPaneTest, RuleFileLoadsIntoTheGridByteForByte) {
  writeFile(folder() / "mixed.rl", "(1)=\r\nno separator\r\n\x95\x5C=x");
  auto window = windowEditing({"a(1)\x95\x5C.txt"});
  window->setRuleFileChooser({[this](const fs::path&) { return folder() / "mixed.rl"; }, nullptr});
  window->action("actReplaceListLoad")->trigger();
  window->action("actReplaceListLoad")->trigger();  // appended again, not merged
  const auto rules = window->toolPane().vleReplaceList->rules();
  ASSERT_EQ(rules.size(), 6u);
  EXPECT_EQ(rules[1].line(), "no separator");
  EXPECT_EQ(rules[2].key, "\x95\x5C");

  window->action("actReplaceListExecute")->trigger();
  EXPECT_EQ(editLines(*window), (Lines{"ax.txt"}));
}

TEST_F(ToolPaneTest, GridRefusesAKeyWithAnEqualsSign) {
  auto window = windowEditing({"a.txt"});
  RuleGrid* grid = window->toolPane().vleReplaceList;
  window->toolPane().setCurrentIndex(ToolPane::ReplaceListPage);
  grid->setFocus();
  grid->setCurrentCell(0, 0);
  grid->editItem(grid->item(0, 0));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("a=b"));
  QString shown;
  QTest::keyClick(editor, Qt::Key_Return);
  answerNextMessageBox(QMessageBox::Ok, &shown);
  QCoreApplication::processEvents();  // the view commits a finished edit from its event queue
  // The refusal is an error the general error dialog shows, with its full-stop rule.
  EXPECT_EQ(shown, generalErrorText(QString::fromUtf8("キーは等号記号（“=”）を含めません。")));
  EXPECT_TRUE(grid->rules().empty());
}

TEST_F(ToolPaneTest, GridKeysAddDeleteAndRowsMoveByTheirHeader) {
  auto window = windowEditing({"a.txt"});
  RuleGrid* grid = window->toolPane().vleReplaceList;
  grid->appendRules({platform::Rule::fromLine("a=1"), platform::Rule::fromLine("b=2")});
  grid->setFocus();
  grid->setCurrentCell(1, 0);
  QTest::keyClick(grid, Qt::Key_Down);  // a row to type into below the last one
  EXPECT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->rules().size(), 2u);  // not a rule until typed into
  grid->verticalHeader()->moveSection(1, 0);
  EXPECT_EQ(grid->rules()[0].line(), "b=2");
  grid->setCurrentCell(0, 0);
  QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(grid->rules().size(), 1u);
  EXPECT_EQ(grid->rules()[0].line(), "a=1");
}

TEST_F(ToolPaneTest, DeletingARuleFileAsksAndMovesItToTheTrash) {
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString((folder() / "share").string()));
  writeFile(folder() / "gone.rl", "a=b\r\n");
  auto window = windowEditing({"a.txt"});
  QListWidget* list = window->toolPane().clbReplaceListFileList;
  window->action("actReplaceListReload")->trigger();
  ASSERT_EQ(list->count(), 1);
  window->action("actReplaceListFileDelete")->trigger();  // nothing highlighted: nothing asked
  list->setCurrentRow(0);
  answerNextMessageBox(QMessageBox::No);
  window->action("actReplaceListFileDelete")->trigger();
  EXPECT_TRUE(fs::exists(folder() / "gone.rl"));
  answerNextMessageBox(QMessageBox::Yes);
  window->action("actReplaceListFileDelete")->trigger();
  EXPECT_FALSE(fs::exists(folder() / "gone.rl"));
  EXPECT_TRUE(fs::exists(folder() / "share" / "Trash" / "files" / "gone.rl"));
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■指定された一括置換ファイルを削除しました"));
  EXPECT_EQ(list->count(), 0);
  qunsetenv("XDG_DATA_HOME");
}

// ---- 置換 ----

struct SearchCase {
  const char* name;
  bool matchCase, wholeWord, regexp, fuzzy;
  const char* search;
  Lines expected;
};

class SearchOptionTest : public ToolPaneTest, public testing::WithParamInterface<SearchCase> {};

TEST_P(SearchOptionTest, ReplacesEveryHitUnderTheTickedOptions) {
  const SearchCase& c = GetParam();
  auto window = windowEditing({"cat.txt", "cats.txt", "Cat.TXT", "\x83\x4A.txt"});  // カ.txt
  ToolPane& pane = window->toolPane();
  pane.cbRegMatchCase->setChecked(c.matchCase);
  pane.cbRegWholeWord->setChecked(c.wholeWord);
  pane.cbRegRegexp->setChecked(c.regexp);
  pane.cbRegFuzzy->setChecked(c.fuzzy);
  pane.cbRegReplaceSrc->setEditText(toDisplayText(c.search));
  pane.cbRegReplaceDst->setEditText(QStringLiteral("$1"));
  window->action("actReplaceExecute")->trigger();
  EXPECT_EQ(editLines(*window), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EachOption, SearchOptionTest,
    testing::Values(
        SearchCase{"Literal", false, false, false, false, "cat",
                   {"$1.txt", "$1s.txt", "$1.TXT", "\x83\x4A.txt"}},
        SearchCase{"MatchCase", true, false, false, false, "cat",
                   {"$1.txt", "$1s.txt", "Cat.TXT", "\x83\x4A.txt"}},
        SearchCase{"WholeWord", false, true, false, false, "cat",
                   {"$1.txt", "cats.txt", "$1.TXT", "\x83\x4A.txt"}},
        SearchCase{"Regexp", false, false, true, false, "^c.t\\.",
                   {"$1txt", "cats.txt", "$1TXT", "\x83\x4A.txt"}},
        SearchCase{"RegexpIgnoresWholeWord", false, true, true, false, "cat",
                   {"$1.txt", "$1s.txt", "$1.TXT", "\x83\x4A.txt"}},
        SearchCase{"FuzzyFindsKatakanaByHiragana", false, false, true, true, "\x82\xa9",  // か
                   {"cat.txt", "cats.txt", "Cat.TXT", "$1.txt"}},
        SearchCase{"FuzzyNeedsRegexp", false, false, false, true, "\x82\xa9",
                   {"cat.txt", "cats.txt", "Cat.TXT", "\x83\x4A.txt"}}),
    [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

TEST_F(ToolPaneTest, SearchKeepsBothHistoriesAndRefusesAnEmptySearch) {
  writeFile(folder() / "RegReplaceSrc.lst", "old\nCAT\n");
  auto window = windowEditing({"cat.txt"});
  ToolPane& pane = window->toolPane();
  pane.cbRegRegexp->setChecked(false);
  QString shown;
  answerNextMessageBox(QMessageBox::Ok, &shown);
  window->action("actReplaceExecute")->trigger();
  EXPECT_EQ(shown, QString::fromUtf8("検索文字列が設定されていません"));

  pane.cbRegReplaceSrc->setEditText(QStringLiteral("cat"));
  window->action("actReplaceExecute")->trigger();  // empty replacement: hits deleted
  EXPECT_EQ(editLines(*window), (Lines{".txt"}));
  EXPECT_EQ(fileBytes(folder() / "RegReplaceSrc.lst"), "CAT\r\nold\r\n");
  EXPECT_EQ(fileBytes(folder() / "RegReplaceDst.lst"), "");
  EXPECT_EQ(pane.cbRegReplaceSrc->itemText(0), QStringLiteral("CAT"));
  EXPECT_EQ(pane.cbRegReplaceSrc->currentText(), QStringLiteral("cat"));
}

TEST_F(ToolPaneTest, MalformedPatternReachesTheGeneralErrorDialog) {
  auto window = windowEditing({"a(b.txt"});
  ToolPane& pane = window->toolPane();
  pane.cbRegRegexp->setChecked(true);
  pane.cbRegReplaceSrc->setEditText(QStringLiteral("a(b"));
  QString shown;
  answerNextMessageBox(QMessageBox::Ok, &shown);
  window->action("actReplaceExecute")->trigger();
  EXPECT_FALSE(shown.isEmpty());
  EXPECT_EQ(editLines(*window), (Lines{"a(b.txt"}));
  EXPECT_EQ(fileBytes(folder() / "RegReplaceSrc.lst"), "a(b\r\n");
  EXPECT_EQ(pane.cbRegReplaceSrc->itemText(0), QStringLiteral("a(b"));
}

}  // namespace
}  // namespace namitra::app
