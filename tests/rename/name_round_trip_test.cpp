#include "rename/name_round_trip.h"

#include "rename/messages.h"
#include "sjis/codec.h"

#include <gtest/gtest.h>

namespace namitra::rename {
namespace {

FileList listOf(std::initializer_list<std::pair<const char*, const char*>> rows) {
  FileList list;
  for (auto [name, planned] : rows) list.append(FileEntry{"/d/", name, planned});
  return list;
}

std::vector<std::string> plannedOf(const FileList& list) {
  std::vector<std::string> names;
  for (const FileEntry& row : list.rows()) names.push_back(row.plannedName);
  return names;
}

using Strings = std::vector<std::string>;

TEST(RenameTexts, AreTheProgramsShiftJisTexts) {
  const std::pair<const char*, const char*> cases[] = {
      {text::kCopiedFromFileList, "■FileListから一覧を取り込みました"},
      {text::kEditTextCleared, "■編集用テキストのクリア"},
      {text::kNoFilesRegistered, ">> ファイルが何も登録されていません"},
      {text::kBlankPlannedName, ">> 変換後の名前に空白があるようです"},
      {text::kNamesSwapped, "■古い名前と新しい名前を入れ替えました"},
      {text::kNothingRegistered, ">> 何も登録されていません"},
      {text::kDirectoryEntryUnreadable, ">> IOエラー:ファイルが読みとれませんでした"},
      {text::kRenameFinished, "■名前変換を終了しました"},
      {text::kDuplicateNameTail, "が変換後のファイル名として重複しています。\r実行を中止しました"},
      {text::kOverwriteQuestionTail,
       "\r変換後のファイルを置くフォルダに同名のファイルが存在します。上書きしますか？\r\r"
       "はい:すべて上書き(大・小文字変換はこれを選択)\rいいえ:元のファイルをそのまま残します\r"
       "キャンセル: 作業を中止します"},
      {text::kUndoQuestion,
       "この機能は、チェックが入った項目のうち、新しい物から順に処理を行います。\r\n"
       "しかしながら、ファイル名の変換の仕方によっては、必ずしもすべてを元に戻せるわけではありません。"
       "\r\n\r\nそれでも実行しますか？"},
      {text::kButtonYes, "はい(&Y)"},
      {text::kButtonNo, "いいえ(&N)"},
      {text::kButtonCancel, "キャンセル"},
      {text::kTitleWarning, "警告"},
      {text::kTitleError, "エラー"},
  };
  for (auto [sjisText, utf8] : cases) EXPECT_EQ(sjisText, sjis::fromUtf8(utf8)) << utf8;
}

TEST(CopyFromOldName, ReplacesTheTextByTheCurrentNamesAndLogs) {
  editor::TextEditor edit;
  edit.setText("old\r\ntext\r\nhere\r\nmore");
  FileList list = listOf({{"a.jpg", "x"}, {"b.jpg", ""}});
  EXPECT_EQ(actEditCopyFromOldName(edit, list), std::optional<std::string>(text::kCopiedFromFileList));
  ASSERT_EQ(edit.lineCount(), 2);
  EXPECT_EQ(edit.line(0), "a.jpg");
  EXPECT_EQ(edit.line(1), "b.jpg");

  FileList empty;
  EXPECT_EQ(actEditCopyFromOldName(edit, empty), std::nullopt);
  EXPECT_EQ(edit.lineCount(), 2) << "an empty list leaves the text alone";
}

TEST(EditPageShown, FillsOnlyAnEmptyText) {
  FileList list = listOf({{"a.jpg", ""}});
  editor::TextEditor edit;
  EXPECT_TRUE(editPageShown(edit, list).has_value());
  EXPECT_EQ(edit.text(), "a.jpg\r\n");

  list.append(FileEntry{"/d/", "b.jpg", ""});
  edit.setText("typed");
  EXPECT_EQ(editPageShown(edit, list), std::nullopt);
  EXPECT_EQ(edit.text(), "typed");
}

TEST(EditClear, EmptiesTheTextAndLogs) {
  editor::TextEditor edit;
  edit.setText("a\r\nb");
  EXPECT_EQ(actEditClear(edit), std::optional<std::string>(text::kEditTextCleared));
  EXPECT_EQ(edit.text(), "");
}

TEST(EditPaste, PastesOnlyWhileTheEditTextHasTheFocus) {
  editor::TextEditor edit;
  edit.clipboard().setText("pasted", false);
  actEditPaste(edit, false);
  EXPECT_EQ(edit.text(), "");
  actEditPaste(edit, true);
  EXPECT_EQ(edit.text(), "pasted");
}

TEST(CleanNames, AppliesTheTableThenTheTabRule) {
  const std::vector<platform::Rule> builtIn = platform::builtInFileNameCharTable();
  struct Case {
    const char* name;
    std::string text;
    std::vector<platform::Rule> table;
    std::string tab;
    std::string expected;
  };
  const Case cases[] = {
      {"forbidden characters removed", "a/b:c?.txt\r\n<x>|\"*\\y", builtIn, " ", "abc.txt\r\nxy"},
      {"tab replaced", "a\tb", builtIn, "_", "a_b"},
      {"trail byte 0x5C is not a backslash", "\x95\x5C.txt\\", builtIn, " ", "\x95\x5C.txt"},
      {"value holding its key doubles once", "banana", {{"a", "aa"}}, " ", "baanaanaa"},
      {"rules without key skipped", "a=b", {platform::Rule::fromLine("nokey"), {"", "zz"}}, " ", "a=b"},
      {"rules apply in table order", "ab", {{"a", "b"}, {"b", "c"}}, " ", "cc"},
      {"text ends at its first NUL", std::string("ab\0cd", 5), builtIn, " ", "ab"},
  };
  for (const Case& c : cases) EXPECT_EQ(cleanNames(c.text, c.table, c.tab), c.expected) << c.name;
}

TEST(ApplyNameCharRules, SetsPlannedNamesOnlyWhenTheLineCountMatches) {
  FileList list = listOf({{"a", "keep0"}, {"b", "keep1"}, {"c", "keep2"}});
  editor::TextEditor edit;
  edit.setText("x?\r\ny");
  EXPECT_FALSE(ApplyNameCharRules(edit, list, platform::builtInFileNameCharTable(), " "));
  EXPECT_EQ(plannedOf(list), (Strings{"keep0", "keep1", "keep2"}));
  EXPECT_EQ(edit.text(), "x\r\ny") << "the text is cleaned all the same";

  edit.setText("one\r\n\r\nthr\tee\r\n");
  EXPECT_TRUE(ApplyNameCharRules(edit, list, platform::builtInFileNameCharTable(), " "));
  EXPECT_EQ(plannedOf(list), (Strings{"one", "", "thr ee"}));
  EXPECT_FALSE(edit.CanUndo()) << "setting the whole text ends what can be undone";
}

TEST(ApplyNameCharRules, EmptyListAndEmptyTextChangeNothing) {
  FileList list;
  editor::TextEditor edit;
  EXPECT_FALSE(ApplyNameCharRules(edit, list, platform::builtInFileNameCharTable(), " "));
}

TEST(SwapOldNew, RefusesEmptyListAndBlankPlannedNames) {
  FileList empty;
  EXPECT_EQ(actFileListSwapOldNew(empty), std::optional<std::string>(text::kNoFilesRegistered));

  FileList list = listOf({{"a", "x"}, {"b", ""}, {"c", "z"}});
  const FileList before = list;
  EXPECT_EQ(actFileListSwapOldNew(list), std::optional<std::string>(text::kBlankPlannedName));
  EXPECT_EQ(list.rows(), before.rows());
}

TEST(SwapOldNew, ExchangesCurrentAndPlannedNames) {
  FileList list = listOf({{"a", "x"}, {"b", "y"}});
  EXPECT_EQ(actFileListSwapOldNew(list), std::optional<std::string>(text::kNamesSwapped));
  EXPECT_EQ(list.row(0), (FileEntry{"/d/", "x", "a"}));
  EXPECT_EQ(list.row(1), (FileEntry{"/d/", "y", "b"}));
}

}  // namespace
}  // namespace namitra::rename
