// The fuzzy rewriting of patterns, the built-in dictionary and the comma-text splitting it is
// built with.
#include "regex/pattern_preprocessor.h"

#include "regex/fuzzy_dictionary.h"
#include "regex_test_support.h"

namespace namitra::regex {
namespace {

using test::sj;

std::string rewriteFuzzy(const std::string& pattern) {
  PatternPreprocessor preprocessor;
  preprocessor.addFuzzyDict(FuzzyCharDict());
  preprocessor.setUseFuzzyDict(true);
  preprocessor.SetText(pattern);
  preprocessor.Run();
  return preprocessor.output();
}

struct RewriteCase {
  const char* pattern;  // UTF-8
  const char* rewritten;
};

TEST(PatternPreprocessor, RewritesLiteralsByTheFuzzyDictionary) {
  const RewriteCase cases[] = {
      {"abc", "(Ａ|ａ|A|a)(Ｂ|ｂ|B|b)(Ｃ|ｃ|C|c)"},
      {"a*", "(Ａ|ａ|A|a)*"},
      {"x", "(Ｘ|ｘ|X|x)"},
      {"z1", "(Ｚ|ｚ|Z|z)(1|１|一|①|Ⅰ|壱)"},
      {"が", "(が|ガ|ｶﾞ|か゛|カ゛)"},
      {"か゛", "(が|ガ|ｶﾞ|か゛|カ゛)"},  // the group of が comes before the group of か
      {"ｶﾞ", "(が|ガ|ｶﾞ|か゛|カ゛)"},
      {"か", "(か|カ|ｶ)"},
      {"ー", "(ー|～|ｰ|)"},
      {"-", "(-|ー|－|～|ｰ)"},
      {"\\.", "(｡|\\.|。|．)"},
      {"\\\\", "(\\\\|￥)"},
      {"\"", "(\"|”)"},
      {" ", "(　| )"},
      {",", "(,|､|、|，)"},
      {"\\x41", "(Ａ|ａ|A|a)"},  // an escape is looked up by its code
      {"^a$", "^(Ａ|ａ|A|a)$"},
      {"(a|漢)", "((Ａ|ａ|A|a)|漢)"},
      {".", "."},
      {"漢", "漢"},
      {"[abc]", "[abc]"},
      {"[^a]", "[^a]"},
      {"[a-c]d", "[a-c](Ｄ|ｄ|D|d)"},
  };
  for (const RewriteCase& c : cases)
    EXPECT_EQ(rewriteFuzzy(sj(c.pattern)), sj(c.rewritten)) << c.pattern;
}

TEST(PatternPreprocessor, LeavesPatternsAloneWithBothSwitchesOff) {
  PatternPreprocessor preprocessor;
  preprocessor.addFuzzyDict(FuzzyCharDict());
  for (std::string pattern : {std::string("abc"), std::string("a("), std::string("[\x82")}) {
    preprocessor.SetText(pattern);
    preprocessor.Run();
    EXPECT_EQ(preprocessor.output(), pattern) << "even a malformed pattern is not scanned";
  }
}

TEST(PatternPreprocessor, RaisesScannerFaultsInTheRewrittenText) {
  test::expectSyntaxError([] { rewriteFuzzy("ab["); }, messages::kRightBracketRequired, 4, "ab[");
  test::expectSyntaxError([] { rewriteFuzzy("\\x"); }, messages::kInvalidHexCode, 3, "\\x");
  EXPECT_EQ(rewriteFuzzy("a("), sj("(Ａ|ａ|A|a)(")) << "parser faults come only at compilation";
}

TEST(PatternPreprocessor, RunsTheSynonymPassBeforeTheFuzzyPass) {
  const Dictionary synonyms = {{"cat", "dog"}};
  PatternPreprocessor preprocessor;
  preprocessor.addSynonymDict(synonyms);
  preprocessor.addFuzzyDict(FuzzyCharDict());
  preprocessor.setUseSynonymDict(true);
  preprocessor.SetText("a cat");
  preprocessor.Run();
  EXPECT_EQ(preprocessor.output(), "a (cat|dog)");

  preprocessor.setUseFuzzyDict(true);
  preprocessor.SetText("cat");
  preprocessor.Run();
  EXPECT_EQ(preprocessor.output(),
            sj("((Ｃ|ｃ|C|c)(Ａ|ａ|A|a)(Ｔ|ｔ|T|t)|(Ｄ|ｄ|D|d)(Ｏ|ｏ|O|o)(Ｇ|ｇ|G|g))"));
}

TEST(PatternPreprocessor, EscapesOnlyTheTwelveOperatorCharacters) {
  EXPECT_EQ(PatternPreprocessor::EscapeMeta("^(|)+*?.[]$\\{}-"),
            "\\^\\(\\|\\)\\+\\*\\?\\.\\[\\]\\$\\\\{}-");
  EXPECT_EQ(PatternPreprocessor::EscapeMeta(sj("ソ")), sj("ソ")) << "0x835C holds 0x5C as trail";
}

TEST(FuzzyCharDict, HoldsTheGroupsInOrder) {
  const Dictionary& dict = FuzzyCharDict();
  ASSERT_EQ(dict.size(), 145u);
  EXPECT_EQ(dict[0], (DictionaryGroup{sj("Ａ"), sj("ａ"), "A", "a"}));
  EXPECT_EQ(dict[36], (DictionaryGroup{sj("　"), " "}));
  EXPECT_EQ(dict[38], (DictionaryGroup{"\"", sj("”")}));
  EXPECT_EQ(dict[48], (DictionaryGroup{sj("ー"), sj("～"), sj("ｰ"), ""}));
  EXPECT_EQ(dict[60], (DictionaryGroup{"\\", sj("￥")}));
  EXPECT_EQ(dict[68], (DictionaryGroup{",", sj("､"), sj("、"), sj("，")}));
  EXPECT_EQ(dict[79].size(), 10u);
  EXPECT_EQ(dict[144], (DictionaryGroup{sj("ﾟ"), sj("゜")}));
}

TEST(SplitCommaText, FollowsTheQuotingAndBlankRules) {
  EXPECT_EQ(splitCommaText("  a , b"), (DictionaryGroup{"a", "b"}));
  EXPECT_EQ(splitCommaText("a b"), (DictionaryGroup{"a", "b"}));
  EXPECT_EQ(splitCommaText("a,"), (DictionaryGroup{"a", ""}));
  EXPECT_EQ(splitCommaText("\"x, y\",z"), (DictionaryGroup{"x, y", "z"}));
  EXPECT_EQ(splitCommaText("\"say \"\"hi\"\"\""), (DictionaryGroup{"say \"hi\""}));
  EXPECT_EQ(splitCommaText(""), DictionaryGroup{});
}

}  // namespace
}  // namespace namitra::regex
