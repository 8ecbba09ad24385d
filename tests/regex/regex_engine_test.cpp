// The engine objects: the compiled-pattern cache, failures, the dictionary switches, the choice
// of search routine and FindAll.
#include "regex/regex_engine.h"

#include "regex_test_support.h"

namespace namitra::regex {
namespace {

using test::sj;

std::string pattern(int i) { return "p" + std::to_string(i); }

TEST(RegexCache, CompilesEachPatternOnce) {
  RegexFinder finder;
  ASSERT_EQ(finder.cacheCount(), 1u);
  EXPECT_EQ(finder.cacheText(0), "");
  finder.setRegExp("a+");
  const Dfa* compiled = &finder.currentDfa();
  finder.setRegExp("b");
  finder.setRegExp("a+");
  EXPECT_EQ(finder.cacheCount(), 3u);
  EXPECT_EQ(&finder.currentDfa(), compiled);
  EXPECT_EQ(finder.currentIndex(), 2u) << "a hit does not reorder the entries";
  EXPECT_EQ(finder.cacheText(1), "b");
}

TEST(RegexCache, EvictsThePatternCompiledLongestAgo) {
  RegexFinder finder;
  for (int i = 1; i <= 29; ++i) finder.setRegExp(pattern(i));
  ASSERT_EQ(finder.cacheCount(), RegexBase::kCacheCapacity);
  EXPECT_EQ(finder.cacheText(29), pattern(1));
  finder.setRegExp(pattern(1));
  EXPECT_EQ(finder.currentIndex(), 29u) << "still cached";

  finder.setRegExp(pattern(30));
  EXPECT_EQ(finder.cacheCount(), RegexBase::kCacheCapacity);
  EXPECT_EQ(finder.cacheText(1), pattern(30));
  EXPECT_EQ(finder.cacheText(29), pattern(2)) << "p1 was evicted";

  finder.setRegExp(pattern(1));
  EXPECT_EQ(finder.cacheText(1), pattern(1)) << "compiled again, at the front";
  EXPECT_EQ(finder.cacheText(29), pattern(3));
  EXPECT_EQ(finder.cacheText(0), "");
}

TEST(RegexCache, AFailedCompilationLeavesTheEmptyPatternCurrent) {
  RegexFinder finder;
  finder.setRegExp("a");
  test::expectSyntaxError([&] { finder.setRegExp("a("); }, messages::kRightParenRequired, 3, "a(");
  EXPECT_EQ(finder.RegExp(), "");
  EXPECT_EQ(finder.currentIndex(), 0u);
  EXPECT_EQ(finder.cacheCount(), 2u);
  EXPECT_EQ(finder.matcher().SearchPlain("xyz", 1), (Match{1, 1})) << "matches empty everywhere";
  std::vector<SearchHit> hits;
  EXPECT_EQ(finder.FindAll("xyz", "xyz", hits), 0);
}

TEST(RegexCache, ATooComplexPatternFailsLikeAnyMalformedOne) {
  RegexFinder finder;
  std::string blowUp = "(a|b)*a";
  for (int i = 0; i < 20; ++i) blowUp += "(a|b)";
  test::expectSyntaxError([&] { finder.setRegExp(blowUp); }, messages::kTooComplex,
                          static_cast<int>(blowUp.size() + 1), "blow-up");
  EXPECT_EQ(finder.RegExp(), "");
  EXPECT_EQ(finder.cacheCount(), 1u);
}

TEST(RegexCache, APreprocessorFaultChangesNothing) {
  RegexFinder finder;
  finder.setUseFuzzyDict(true);
  finder.setRegExp("a");
  std::size_t current = finder.currentIndex();
  test::expectSyntaxError([&] { finder.setRegExp("["); }, messages::kRightBracketRequired, 2, "[");
  EXPECT_EQ(finder.RegExp(), "a");
  EXPECT_EQ(finder.currentIndex(), current);
}

TEST(RegexFinder, TheFuzzySwitchRewritesTheCurrentPattern) {
  RegexFinder finder;
  finder.setRegExp("a1");
  finder.setUseFuzzyDict(true);
  EXPECT_EQ(finder.RegExp(), "a1") << "RegExp keeps the text as set";
  EXPECT_EQ(finder.cacheText(finder.currentIndex()), sj("(Ａ|ａ|A|a)(1|１|一|①|Ⅰ|壱)"));
  std::vector<SearchHit> hits;
  std::string text = sj("Ａ１ a一");
  finder.setRegExp("a1");
  ASSERT_EQ(finder.FindAll(text, text, hits), 2);
  EXPECT_EQ(hits[0], (SearchHit{1, 4, sj("Ａ１")}));
  EXPECT_EQ(hits[1], (SearchHit{6, 3, sj("a一")}));
  finder.setUseFuzzyDict(false);
  EXPECT_EQ(finder.cacheText(finder.currentIndex()), "a1");
}

TEST(RegexFinder, ChoosesTheFirstSearchRoutineByTheAnchors) {
  RegexFinder finder;
  finder.setRegExp("a");
  EXPECT_EQ(finder.searchRoutine(), SearchRoutine::SearchPlain);
  finder.setRegExp("a$");
  EXPECT_EQ(finder.searchRoutine(), SearchRoutine::SearchAnchored);
  EXPECT_EQ(finder.findRoutine(), SearchRoutine::SearchAnchored);
  std::vector<SearchHit> hits;
  finder.FindAll("a", "a", hits);
  EXPECT_EQ(finder.findRoutine(), SearchRoutine::SearchFrom);
  EXPECT_EQ(finder.searchRoutine(), SearchRoutine::SearchAnchored);
}

struct FindCase {
  std::string pattern;
  std::string source;
  std::string searched;
  std::vector<SearchHit> hits;
};

TEST(RegexFinder, FindsAllNonEmptyMatchesWithoutOverlap) {
  const std::string a = sj("ア");  // 0x83 0x41
  const FindCase cases[] = {
      {"a*", "baab", "baab", {{2, 2, "aa"}}},
      {"x*", "axxb", "axxb", {{2, 2, "xx"}}},
      {"A*", a + "A", a + "A", {{3, 1, "A"}}},  // steps over the whole ア, not into its trail
      {"^a", "aa", "aa", {{1, 1, "a"}}},
      {"^.", "ab\ncd", "ab\ncd", {{1, 1, "a"}, {4, 1, "c"}}},
      {"^b", "a\nb", "a\nb", {{3, 1, "b"}}},
      {"b", "ABCB", "abcb", {{2, 1, "B"}, {4, 1, "B"}}},
      {"a$", "ba", "ba\r\n", {{2, 1, "a"}}},
      {"$", "ab", "ab\r\n", {}},
      {".+", "ab", "ab\r\n", {{1, 2, "ab"}}},
      {"a\\r\\n", "xa", "xa\r\n", {{2, 3, "a"}}},  // the text is cut from the shorter source
      {"aa|a", "aaa", "aaa", {{1, 2, "aa"}, {3, 1, "a"}}},
      {sj("写真"), sj("写真-写真"), sj("写真-写真"), {{1, 4, sj("写真")}, {6, 4, sj("写真")}}},
      {"b", std::string("a\0b", 3), std::string("a\0b", 3), {}},  // NUL ends the text
      {"", "abc", "abc", {}},
  };
  for (const FindCase& c : cases) {
    RegexFinder finder;
    finder.setRegExp(c.pattern);
    std::vector<SearchHit> hits;
    EXPECT_EQ(finder.FindAll(c.source, c.searched, hits), static_cast<int>(c.hits.size()))
        << c.pattern;
    EXPECT_EQ(hits, c.hits) << c.pattern << " in " << c.searched;
  }
}

TEST(RegexFinder, AppendsToTheCallersList) {
  RegexFinder finder;
  finder.setRegExp("b");
  std::vector<SearchHit> hits{{9, 1, "z"}};
  EXPECT_EQ(finder.FindAll("abb", "abb", hits), 3);
  EXPECT_EQ(hits.back(), (SearchHit{3, 1, "b"}));
}

TEST(RegexFinder, SeesTheLineHeadOnlyUntilRegExpIsSetAgain) {
  RegexFinder finder;
  finder.setRegExp("^a");
  std::vector<SearchHit> hits;
  EXPECT_EQ(finder.FindAll("ab", "ab", hits), 1);
  hits.clear();
  EXPECT_EQ(finder.FindAll("ab", "ab", hits), 0) << "the routine stayed at SearchFrom";
  finder.setRegExp("^a");
  EXPECT_EQ(finder.FindAll("ab", "ab", hits), 1);

  // A search that finds nothing leaves the routine as it was.
  finder.setRegExp("^b");
  hits.clear();
  EXPECT_EQ(finder.FindAll("ab", "ab", hits), 0);
  EXPECT_EQ(finder.findRoutine(), SearchRoutine::SearchAnchored);
  EXPECT_EQ(finder.FindAll("ba", "ba", hits), 1);
}

TEST(RegexFinder, HonoursTheLineSeparator) {
  RegexFinder finder;
  EXPECT_EQ(finder.LineSeparator(), LineSeparatorMode::ls_CRLF);
  finder.setLineSeparator(LineSeparatorMode::ls_LF);
  finder.setRegExp("a$");
  std::vector<SearchHit> hits;
  EXPECT_EQ(finder.FindAll("a\nba", "a\nba", hits), 2);
}

}  // namespace
}  // namespace namitra::regex
