#include "tools/search_replace.h"

#include "../platform/temp_folder.h"

#include <gtest/gtest.h>

namespace namitra::tools {
namespace {

using platform::testing::readBytes;
using platform::testing::TempFolder;
using platform::testing::writeBytes;
using List = std::vector<std::string>;
using enum SearchOption;

class SearchReplaceTest : public testing::Test {
 protected:
  int run(const std::string& search, const std::string& replacement, ReplaceCheckBoxes boxes = {}) {
    return runSearchAndReplace(m_search, search, replacement, boxes, m_folder.path(), m_searches,
                               m_replacements);
  }

  TempFolder m_folder;
  editor::TextEditor m_edit;
  SearchEditor m_search{m_edit};
  List m_searches;
  List m_replacements;
};

TEST(SearchOptionsFromBoxes, EachCombinationGivesTheNormalisedSet) {
  struct Case {
    ReplaceCheckBoxes boxes;
    SearchOptions expected;
  };
  const Case cases[] = {
      {{true, true, true, true}, SearchOptions(soMatchCase) | soRegexp | soFuzzy},
      {{false, true, false, true}, SearchOptions(soWholeWord)},
      {{false, false, false, false}, SearchOptions()},
      {{true, true, false, false}, SearchOptions(soMatchCase) | soWholeWord},
  };
  for (const Case& c : cases) EXPECT_TRUE(buildSearchOptions(c.boxes) == c.expected);
}

TEST_F(SearchReplaceTest, DollarOneIsInsertedLiterallyAndHistoriesAreWritten) {
  m_edit.setText("ab");
  EXPECT_EQ(run("(a)", "$1"), 1);
  EXPECT_EQ(m_edit.text(), "$1b");
  EXPECT_EQ(readBytes(m_folder / kSearchHistoryFileName), "(a)\r\n");
  EXPECT_EQ(readBytes(m_folder / kReplacementHistoryFileName), "$1\r\n");
}

TEST_F(SearchReplaceTest, SearchAgainInAnotherCaseMovesTheStoredEntry) {
  writeBytes(m_folder / kSearchHistoryFileName, "x\nABC\n");  // edited by hand, LF line ends
  m_edit.setText("none");
  EXPECT_EQ(run("abc", "z", {false, false, false, false}), 0);
  EXPECT_EQ(m_searches, (List{"ABC", "x"}));
  EXPECT_EQ(readBytes(m_folder / kSearchHistoryFileName), "ABC\r\nx\r\n");
  run("abc", "z", {false, false, false, false});
  EXPECT_EQ(m_searches.size(), 2u);
}

TEST_F(SearchReplaceTest, EmptyReplacementDeletesHitsAndLeavesItsHistoryOrder) {
  writeBytes(m_folder / kReplacementHistoryFileName, "p\r\nq\r\n");
  m_edit.setText("a-b-c");
  EXPECT_EQ(run("-", "", {false, false, false, false}), 2);
  EXPECT_EQ(m_edit.text(), "abc");
  EXPECT_EQ(m_replacements, (List{"p", "q"}));
}

TEST_F(SearchReplaceTest, MalformedPatternLeavesTheHistoriesUpdatedAndTheTextAlone) {
  m_edit.setText("a(b");
  EXPECT_THROW(run("a(b", "x"), regex::RegexSyntaxError);
  EXPECT_EQ(m_edit.text(), "a(b");
  EXPECT_EQ(readBytes(m_folder / kSearchHistoryFileName), "a(b\r\n");
}

TEST_F(SearchReplaceTest, WholeWordHasNoEffectWithRegularExpressions) {
  m_edit.setText("cats");
  EXPECT_EQ(run("cat", "dog", {false, true, true, false}), 1);
  EXPECT_EQ(m_edit.text(), "dogs");
}

}  // namespace
}  // namespace namitra::tools
