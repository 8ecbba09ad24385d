// The NFA's anchor decisions, the DFA's size bound and the matching routines, checked through
// (pattern, text, expected match) tables.
#include <optional>

#include "regex/dfa.h"
#include "regex/matcher.h"
#include "regex/nfa.h"
#include "regex_test_support.h"

namespace namitra::regex {
namespace {

using test::sj;

Dfa compile(const std::string& pattern) {
  PatternParser parser(pattern);
  parser.Parse();
  Nfa nfa(parser.tree());
  nfa.Build();
  return Dfa::Build(nfa, static_cast<std::int32_t>(pattern.size() + 1));
}

enum class Routine { Plain, Anchored, From };

std::string describe(const std::optional<Match>& m) {
  if (!m) return "none";
  return std::to_string(m->start) + "," + std::to_string(m->end);
}

std::string search(const std::string& pattern, const std::string& text, Routine routine,
                   LineSeparatorMode mode = LineSeparatorMode::ls_CRLF, std::size_t from = 0) {
  Dfa dfa = compile(pattern);
  Matcher matcher(dfa, mode);
  switch (routine) {
    case Routine::Plain: return describe(matcher.SearchPlain(text, from));
    case Routine::Anchored: return describe(matcher.SearchAnchored(text, from));
    case Routine::From: return describe(matcher.SearchFrom(text, from));
  }
  return "?";
}

struct AnchorCase {
  const char* pattern;
  bool lineHead;
  bool lineTail;
};

TEST(Nfa, AnchorsOnlyWhereTheirEdgeLeavesTheStartOrEntersTheFinalState) {
  const AnchorCase cases[] = {
      {"^a", true, false},     {"a$", false, true},     {"^", true, false},
      {"$", false, true},      {"x*^a", false, false},  {"a^b", false, false},
      {"a$b", false, false},   {"(^a)+", true, false},  {"(^a|b)c", true, false},
      {"a|^b", true, false},   {"(^a)?b", true, false}, {"^*a", false, false},
      {"(a$)?", false, true},  {"(a$)*", false, false}, {"(a$)+", false, false},
      {"a$|b", false, true},   {"^$", true, true},      {"a(^b)", false, false},
  };
  for (const AnchorCase& c : cases) {
    Dfa dfa = compile(c.pattern);
    EXPECT_EQ(dfa.HasLineHead(), c.lineHead) << c.pattern;
    EXPECT_EQ(dfa.HasLineTail(), c.lineTail) << c.pattern;
  }
}

std::string alternationBlowUp(int copies) {
  std::string pattern = "(a|b)*a";
  for (int i = 0; i < copies; ++i) pattern += "(a|b)";
  return pattern;
}

TEST(Dfa, BuildsLargeButBoundedAutomata) {
  // The automaton must remember which of the last twelve letters were a: 4096 states, plus the
  // start state.
  Dfa dfa = compile(alternationBlowUp(11));
  EXPECT_EQ(dfa.stateCount(), 4097);
  Matcher matcher(dfa, LineSeparatorMode::ls_CRLF);
  EXPECT_EQ(describe(matcher.SearchPlain("a" + std::string(12, 'b'), 0)), "0,12");
  EXPECT_EQ(describe(matcher.SearchPlain("bbba" + std::string(10, 'b'), 0)), "none");
}

TEST(Dfa, RefusesPatternsWhoseAutomatonWouldPassTheBound) {
  std::string pattern = alternationBlowUp(20);
  test::expectSyntaxError([&] { compile(pattern); }, messages::kTooComplex,
                          static_cast<int>(pattern.size() + 1), "20 copies");
}

struct SearchCase {
  std::string pattern;
  std::string text;
  Routine routine;
  const char* expected;
};

TEST(Matcher, FindsLeftmostLongestMatches) {
  const SearchCase cases[] = {
      {"a|ab", "abc", Routine::Plain, "0,2"},
      {"(a|ab)(c|bcd)", "abcd", Routine::Plain, "0,4"},
      {"a*", "bbb", Routine::Plain, "0,0"},
      {"x*", "", Routine::Plain, "0,0"},
      {"b+", "abbbc", Routine::Plain, "1,4"},
      {"a.b", "a\nb", Routine::Plain, "none"},
      {"a.b", "a\rb", Routine::Plain, "none"},
      {"a.b", "a\tb", Routine::Plain, "0,3"},
      {"1^2|1.", "1^2", Routine::Plain, "0,3"},
      {"a^b", "a^b", Routine::Plain, "0,3"},
      {"a$b", "a$b", Routine::Plain, "0,3"},
      {"x*^a", "x^a", Routine::Plain, "0,3"},
      {"x*^a", "a", Routine::Plain, "none"},
      {"[^\\x01-\\xfcfc]", "abc", Routine::Plain, "none"},
      {"[^\\x01-\\xfcfc]|c", "abc", Routine::Plain, "2,3"},
      {"[^a]", "a\r\na", Routine::Plain, "none"},
      {"{2}", "a{2}", Routine::Plain, "1,4"},
  };
  for (const SearchCase& c : cases)
    EXPECT_EQ(search(c.pattern, c.text, c.routine), c.expected) << c.pattern << " in " << c.text;
}

TEST(Matcher, StepsOverDoubleByteCharactersAsAWhole) {
  const std::string a = sj("ア");  // 0x83 0x41
  const SearchCase cases[] = {
      {"A", a, Routine::Plain, "none"},
      {"A", a + "A", Routine::Plain, "2,3"},
      {"\\x83", a, Routine::Plain, "none"},
      {"\\x8341", a, Routine::Plain, "0,2"},
      {".", a, Routine::Plain, "0,2"},
      {sj("[ぁ-ん]+"), sj("カなかな"), Routine::Plain, "2,8"},
      {sj("[^あ]"), sj("ああい"), Routine::Plain, "4,6"},
      // A lead byte that ends the text is a character of one byte; nothing past it is read.
      {"a.", "a\x82", Routine::Plain, "0,2"},
      {"\\x82", "\x82", Routine::Plain, "0,1"},
      {"\\x8200", "\x82", Routine::Plain, "none"},
      // Runs of lead-byte values pair up from the last byte that is no lead-byte value.
      {"A", "\x82\x82\x82\x41" "A", Routine::Plain, "4,5"},
      {"\\x8241", "\x82\x82\x41", Routine::Plain, "none"},
      {"\\x8282", "\x41\x82\x82\x82", Routine::Plain, "1,3"},
      {"A", "\x82\x82\x82\x41" "A", Routine::From, "4,5"},
  };
  for (const SearchCase& c : cases)
    EXPECT_EQ(search(c.pattern, c.text, c.routine), c.expected) << c.pattern;
}

TEST(Matcher, AppliesLineHeadAndLineTailRules) {
  const SearchCase cases[] = {
      {"^a", "ba\naa", Routine::Anchored, "3,4"},
      {"^a", "ab", Routine::Anchored, "0,1"},
      {"^a", "ab", Routine::From, "none"},  // mid-line: the text's start is no line head
      {"^a|b", "b", Routine::Anchored, "0,1"},
      {"^b|b", "bb", Routine::Anchored, "0,1"},
      {"(^a)+", "aa", Routine::Anchored, "0,1"},
      {"(^a)+", "a^aa", Routine::Anchored, "0,3"},
      {"a$", "ab a\r\n", Routine::Anchored, "3,4"},
      {"$", "ab\r\n", Routine::Anchored, "2,2"},
      {"a$", "a", Routine::Anchored, "0,1"},
      {"a$", "a\n", Routine::Anchored, "none"},  // with CR LF only CR separates
      {"a$", "ab", Routine::Anchored, "none"},
      {"b$", "ab", Routine::From, "1,2"},
      {"$", "ab", Routine::From, "2,2"},  // the empty line tail at the end of the text
      {"^$", "", Routine::Anchored, "0,0"},
      {"^$", "a\n", Routine::Anchored, "2,2"},
      {"^a$", "b\na\r\n", Routine::Anchored, "2,3"},
  };
  for (const SearchCase& c : cases)
    EXPECT_EQ(search(c.pattern, c.text, c.routine), c.expected) << c.pattern << " in " << c.text;
}

TEST(Matcher, LineFeedModeEndsLinesAtLf) {
  EXPECT_EQ(search("a$", "a\n", Routine::Anchored, LineSeparatorMode::ls_LF), "0,1");
  EXPECT_EQ(search("a$", "a\r\n", Routine::Anchored, LineSeparatorMode::ls_LF), "none");
}

TEST(Matcher, MatchAtLineHeadPrefersTheLongerOfAnchoredAndPlain) {
  Dfa dfa = compile("^a|ab");
  Matcher matcher(dfa, LineSeparatorMode::ls_CRLF);
  EXPECT_EQ(matcher.MatchAtLineHead("ab", 0, dfa.startState()), 2u);
  EXPECT_EQ(matcher.MatchAt("ab", 0, dfa.startState()), 2u);
  Dfa anchoredOnly = compile("^ab|a");
  Matcher m2(anchoredOnly, LineSeparatorMode::ls_CRLF);
  EXPECT_EQ(m2.MatchAtLineHead("ab", 0, anchoredOnly.startState()), 2u);
  EXPECT_EQ(m2.MatchAt("ab", 0, anchoredOnly.startState()), 1u);
}

}  // namespace
}  // namespace namitra::regex
