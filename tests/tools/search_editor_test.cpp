#include "tools/search_editor.h"

#include "regex/regex_syntax_error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace namitra::tools {
namespace {

using enum SearchOption;

class SearchEditorTest : public testing::Test {
 protected:
  int replaceAll(const std::string& text, const std::string& find, SearchOptions options,
                 const std::string& replacement) {
    m_edit.setText(text);
    m_search.setSearchOptions(options);
    m_search.setFindString(find);
    return m_search.ReplaceAll(replacement, false);
  }
  std::string text() const { return m_edit.text(); }

  editor::TextEditor m_edit;
  SearchEditor m_search{m_edit};
};

struct NormaliseCase {
  SearchOptions requested;
  SearchOptions stored;
};

TEST(SearchOptionsTest, NormalisationKeepsOnlyWhatTheModeUses) {
  const NormaliseCase cases[] = {
      {SearchOptions(soWholeWord) | soFuzzy, SearchOptions(soWholeWord)},
      {SearchOptions(soRegexp) | soWholeWord, SearchOptions(soRegexp)},
      {SearchOptions(soRegexp) | soFuzzy | soMatchCase, SearchOptions(soRegexp) | soFuzzy | soMatchCase},
      {SearchOptions(soMatchCase) | soFuzzy, SearchOptions(soMatchCase)},
      {SearchOptions(), SearchOptions()},
  };
  for (const NormaliseCase& c : cases) EXPECT_TRUE(normalizedSearchOptions(c.requested) == c.stored);
}

TEST_F(SearchEditorTest, FuzzySwitchFollowsOnlyRegularExpressionRequests) {
  m_search.setSearchOptions(SearchOptions(soRegexp) | soFuzzy);
  EXPECT_TRUE(m_search.regexFinder().UseFuzzyDict());
  m_search.setSearchOptions(SearchOptions(soWholeWord) | soFuzzy);
  EXPECT_TRUE(m_search.regexFinder().UseFuzzyDict());  // left as it was
  m_search.setSearchOptions(SearchOptions(soRegexp));
  EXPECT_FALSE(m_search.regexFinder().UseFuzzyDict());
}

TEST_F(SearchEditorTest, LiteralWithoutCaseFindsEverySpellingAndInsertsTheReplacementAsIs) {
  EXPECT_EQ(replaceAll("ABC abc\r\nAbc", "abc", {}, "xY"), 3);
  EXPECT_EQ(text(), "xY xY\r\nxY");
}

struct WordCase {
  std::string line;
  std::string find;
  std::vector<int> positions;
};

TEST_F(SearchEditorTest, WholeWordHitsChangeClassAtBothEdges) {
  const WordCase cases[] = {
      {"cat.txt", "cat", {1}},
      {"cats.txt", "cat", {}},
      {"cat-file.txt", "cat", {}},
      {"aaa aa", "aa", {5}},                                           // resumes after the failed 1-2
      {"\x83\x4a\x83\x81\x83\x89\x81\x5b.jpg", "\x83\x4a\x83\x81\x83\x89", {1}},  // カメラー
      {"\x83\x4a\x83\x81\x83\x89\x83\x41", "\x83\x4a\x83\x81\x83\x89", {}},       // カメラア
  };
  m_search.setSearchOptions(SearchOptions(soWholeWord));
  for (const WordCase& c : cases) {
    m_edit.setText(c.line);
    m_search.setFindString(c.find);
    m_search.CollectLineHits(0);
    std::vector<int> positions;
    for (const auto& hit : m_search.hits()) positions.push_back(hit.position);
    EXPECT_EQ(positions, c.positions) << c.line;
  }
}

TEST_F(SearchEditorTest, LiteralSearchNeverMatchesASecondByte) {
  EXPECT_EQ(replaceAll("\x83\x41" "A\x83\x41", "A", SearchOptions(soMatchCase), "-"), 1);  // アAア
  EXPECT_EQ(text(), "\x83\x41-\x83\x41");
  EXPECT_EQ(replaceAll("\x95\x5c\\", "\\", SearchOptions(soMatchCase), "/"), 1);  // 表\ .
  EXPECT_EQ(text(), "\x95\x5c/");
}

TEST_F(SearchEditorTest, EmptyMatchesAreNeverHits) {
  EXPECT_EQ(replaceAll("axxb", "x*", SearchOptions(soRegexp), "-"), 1);
  EXPECT_EQ(text(), "a-b");
}

TEST_F(SearchEditorTest, AnchoredHitMatchesAgainAfterAnEmptyReplacement) {
  replaceAll("aaa\r\nbab", "^a", SearchOptions(soRegexp), "");
  EXPECT_EQ(text(), "\r\nbab");
}

TEST_F(SearchEditorTest, HitIncludingTheLineEndJoinsTheLines) {
  EXPECT_EQ(replaceAll("a.txt\r\nb.txt\r\nc", "txt\\r\\n", SearchOptions(soRegexp), "-"), 2);
  EXPECT_EQ(text(), "a.-b.-c");
}

TEST_F(SearchEditorTest, LastLineWithoutLineEndIsSearchedWithoutOne) {
  EXPECT_EQ(replaceAll("a\r\nb", "$", SearchOptions(soRegexp), "!"), 0);  // $ is empty
  EXPECT_EQ(replaceAll("a\r\nb", "b\\r\\n", SearchOptions(soRegexp), "!"), 0);
  EXPECT_EQ(replaceAll("a\r\nb\r\n", "b\\r\\n", SearchOptions(soRegexp), "!"), 1);
}

TEST_F(SearchEditorTest, ReplacementIsNeverSearchedAgain) {
  EXPECT_EQ(replaceAll("x x", "x", {}, "xx"), 2);
  EXPECT_EQ(text(), "xx xx");
}

TEST_F(SearchEditorTest, HitsThatBeginAfterByteThousandAreNotFound) {
  const std::string at1000 = std::string(999, '.') + "ab";
  const std::string at1001 = std::string(1000, '.') + "ab";
  EXPECT_EQ(replaceAll(at1000 + "\r\n" + at1001, "ab", {}, "X"), 1);
  EXPECT_EQ(text(), std::string(999, '.') + "X\r\n" + at1001);
}

TEST_F(SearchEditorTest, FindNextSelectsTheHitAtOrAfterTheCaret) {
  m_edit.setText("cat cat\r\nx\r\ncat");
  m_search.setFindString("cat");
  m_edit.moveCaretToByte(0, 1);
  ASSERT_TRUE(m_search.FindNextHit());
  EXPECT_EQ(m_edit.selectedText(), "cat");
  EXPECT_EQ(m_edit.selectionStart().row, 0);
  EXPECT_EQ(m_edit.caretByteOffset(), 7);
  ASSERT_TRUE(m_search.FindNextHit());
  EXPECT_EQ(m_edit.caret().row, 2);
  EXPECT_FALSE(m_search.FindNextHit());
  EXPECT_EQ(m_edit.caret().row, 2);  // unchanged
}

TEST_F(SearchEditorTest, MalformedPatternReplacesNothing) {
  m_edit.setText("a(b\r\na(b");
  m_search.setSearchOptions(SearchOptions(soRegexp));
  m_search.setFindString("a(b");
  EXPECT_THROW(m_search.ReplaceAll("x", false), regex::RegexSyntaxError);
  EXPECT_EQ(text(), "a(b\r\na(b");
  EXPECT_FALSE(m_edit.isUpdating());
}

TEST_F(SearchEditorTest, CaseInsensitiveRegexLowerCasesThePatternAndKeepsTheLinesCase) {
  EXPECT_EQ(replaceAll("IMG_1.JPG", "IMG_[0-9]+", SearchOptions(soRegexp), "p"), 1);
  EXPECT_EQ(text(), "p.JPG");
  m_edit.setText("IMG_1.JPG");
  m_search.setFindString("IMG");
  m_search.CollectLineHits(0);
  ASSERT_EQ(m_search.hits().size(), 1u);
  EXPECT_EQ(m_search.hits()[0].text, "IMG");
}

TEST_F(SearchEditorTest, FuzzyRegularExpressionFindsKatakanaByHiragana) {
  EXPECT_EQ(replaceAll("\x83\x4a.txt", "\x82\xa9", SearchOptions(soRegexp) | soFuzzy, "k"), 1);
  EXPECT_EQ(text(), "k.txt");
}

}  // namespace
}  // namespace namitra::tools
