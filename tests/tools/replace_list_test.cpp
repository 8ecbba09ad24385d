#include "tools/replace_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../platform/temp_folder.h"
#include "platform/stored_file_error.h"
#include "tools/tool_messages.h"

namespace namitra::tools {
namespace {

using platform::Rule;
using platform::testing::TempFolder;
using platform::testing::writeBytes;
using Rules = std::vector<Rule>;
using Files = std::vector<ListedRuleFile>;
using Log = std::vector<std::string>;

Rules rules(std::initializer_list<const char*> lines) {
  Rules result;
  for (const char* line : lines) result.push_back(Rule::fromLine(line));
  return result;
}

class ApplyReplaceLists : public ::testing::Test {
 protected:
  void run(const Rules& grid, const Files& files = {}) {
    applyReplaceLists(edit, grid, files, folder.path(), [this](const std::string& line) { log.push_back(line); });
  }
  TempFolder folder;
  editor::TextEditor edit;
  Log log;
};

TEST_F(ApplyReplaceLists, EmptyEditTextStopsFirst) {
  run(rules({"a=b"}), {{"r.rl", true}});
  EXPECT_EQ(log, (Log{text::kNoEditText}));
  EXPECT_EQ(edit.text(), "");
}

struct SourcesRow {
  const char* name;
  bool gridHoldsLines;
  Files files;
  Log log;
  const char* text;
};

TEST_F(ApplyReplaceLists, EachMissingSourceIsReportedInOrder) {
  writeBytes(folder / "r.rl", "a=z\r\n");
  const SourcesRow rows[] = {
      {"empty grid, no files", false, {}, {text::kNoTemporaryRules, text::kNoRuleFiles, text::kNoRuleFileTicked}, "ab"},
      {"empty grid, none ticked", false, {{"r.rl", false}}, {text::kNoTemporaryRules, text::kNoRuleFileTicked}, "ab"},
      {"empty grid, ticked", false, {{"r.rl", true}}, {text::kNoTemporaryRules, text::kBatchReplaceDone}, "zb"},
      {"grid, no files", true, {}, {text::kNoRuleFiles, text::kNoRuleFileTicked, text::kBatchReplaceDone}, "ay"},
      {"grid, none ticked", true, {{"r.rl", false}}, {text::kNoRuleFileTicked, text::kBatchReplaceDone}, "ay"},
      {"grid, ticked", true, {{"r.rl", true}}, {text::kBatchReplaceDone}, "zy"},
  };
  for (const SourcesRow& row : rows) {
    SCOPED_TRACE(row.name);
    edit.setText("ab");
    log.clear();
    run(row.gridHoldsLines ? rules({"b=y"}) : Rules{}, row.files);
    EXPECT_EQ(log, row.log);
    EXPECT_EQ(edit.text(), row.text);
  }
}

TEST_F(ApplyReplaceLists, GridOfEmptyKeysHoldsLinesButAppliesNothing) {
  edit.setText("novalue =x\r\n");
  edit.putLine(0, "novalue =x");
  run(rules({"novalue", "=x"}));
  EXPECT_EQ(log, (Log{text::kNoRuleFiles, text::kNoRuleFileTicked, text::kBatchReplaceDone}));
  EXPECT_EQ(edit.text(), "novalue =x\r\n");
  EXPECT_TRUE(edit.CanUndo());  // the text was never set
}

struct RuleRow {
  const char* name;
  Rules grid;
  const char* before;
  const char* after;
};

TEST_F(ApplyReplaceLists, RulesAreLiteralAndChain) {
  const RuleRow rows[] = {
      {"chained rules", rules({"a=b", "b=c"}), "ab", "cc"},
      {"value holding its key does not loop", rules({"x=xx"}), "xax", "xxaxx"},
      {"empty value deletes", rules({"(1)="}), "a(1)b(1)", "ab"},
      {"value with an equals sign", rules({"_==_"}), "a_b", "a=_b"},
      {"blank at the end of the key", rules({"a =-"}), "a b ab", "-b ab"},
      {"case matters", rules({"jpg=png"}), "x.JPG y.jpg", "x.JPG y.png"},
      {"no match on a trail byte", rules({"A=z"}), "\x83" "AA", "\x83" "Az"},  // ア is 0x83 'A'
      {"across line ends", rules({"\r\n=|"}), "a\r\nb\r\n", "a|b|"},
      {"same key twice runs twice", rules({"a=aa", "a=aa"}), "a", "aaaa"},
  };
  for (const RuleRow& row : rows) {
    SCOPED_TRACE(row.name);
    edit.setText(row.before);
    run(row.grid);
    EXPECT_EQ(edit.text(), row.after);
  }
}

TEST_F(ApplyReplaceLists, TextIsSetAfterEveryRuleSoNothingIsLeftToUndo) {
  edit.setText("a\r\n");
  edit.putLine(0, "b");
  ASSERT_TRUE(edit.CanUndo());
  run(rules({"q=r"}));  // finds nothing
  EXPECT_EQ(edit.text(), "b\r\n");
  EXPECT_FALSE(edit.CanUndo());
}

TEST_F(ApplyReplaceLists, GridFirstThenTickedFilesFromTopToBottom) {
  writeBytes(folder / "1.rl", "x=y\r\n");
  writeBytes(folder / "2.rl", "y=z\r\n");
  writeBytes(folder / "3.rl", "z=BAD\r\n");
  edit.setText("a");
  run(rules({"a=x"}), {{"1.rl", true}, {"3.rl", false}, {"2.rl", true}});
  EXPECT_EQ(edit.text(), "z");
  EXPECT_EQ(log, (Log{text::kBatchReplaceDone}));
}

TEST_F(ApplyReplaceLists, FileLinesAreReadAsRulesLastLineWithoutLineEndIncluded) {
  writeBytes(folder / "r.rl", "=q\nnokey\ra =A\r\nc=d");
  edit.setText("a nokey=q c");
  run({}, {{"r.rl", true}});
  EXPECT_EQ(edit.text(), "Anokey=q d");
}

struct UnreadableRow {
  const char* name;
  const char* file;
};

TEST_F(ApplyReplaceLists, UnreadableTickedFileEndsTheCommandWithEarlierRulesApplied) {
  writeBytes(folder / "good.rl", "b=c\r\n");
  std::filesystem::create_directory(folder / "dir.rl");
  const UnreadableRow rows[] = {{"a folder", "dir.rl"}, {"vanished", "gone.rl"}};
  for (const UnreadableRow& row : rows) {
    SCOPED_TRACE(row.name);
    edit.setText("a");
    log.clear();
    EXPECT_THROW(run(rules({"a=b"}), {{"good.rl", true}, {row.file, true}, {"good.rl", false}}),
                 platform::StoredFileError);
    EXPECT_EQ(edit.text(), "c");
    EXPECT_TRUE(log.empty());
  }
}

TEST_F(ApplyReplaceLists, LinesWrittenBeforeTheErrorStayWritten) {
  edit.setText("a");
  EXPECT_THROW(run({}, {{"gone.rl", true}}), platform::StoredFileError);
  EXPECT_EQ(log, (Log{text::kNoTemporaryRules}));
}

TEST(ListRuleFiles, ListsEveryEntryMatchingTheExtensionSortedByName) {
  TempFolder folder;
  for (const char* name : {"b.rl", "a.rl", "A.RL", ".hidden.rl", "c.txt", "d.rl.bak"}) writeBytes(folder / name, "");
  std::filesystem::create_directory(folder / "sub.rl");
  EXPECT_EQ(listRuleFiles(folder.path()), (std::vector<std::string>{".hidden.rl", "A.RL", "a.rl", "b.rl", "sub.rl"}));
  EXPECT_TRUE(listRuleFiles(folder / "missing").empty());
}

}  // namespace
}  // namespace namitra::tools
