// The parser: tree shapes, the partition into atoms, negated classes, and the parser's faults.
#include "regex/pattern_parser.h"

#include "regex_test_support.h"

namespace namitra::regex {
namespace {

using test::dumpAtoms;
using test::dumpTree;
using test::sj;

struct TreeCase {
  const char* pattern;
  const char* tree;
};

TEST(PatternParser, BuildsTrees) {
  const TreeCase cases[] = {
      {"", "empty"},
      {"()", "empty"},
      {"|", "alt(empty,empty)"},
      {"a|", "alt('a',empty)"},
      {"abc", "cat(cat('a','b'),'c')"},
      {"a|b|c", "alt(alt('a','b'),'c')"},
      {"ab*", "cat('a',star('b'))"},
      {"a+", "cat('a',star('a'))"},
      {"(ab)?", "alt(cat('a','b'),empty)"},
      {"^a$", "cat(cat(^,'a'),$)"},
      {"[ab]", "alt('a','b')"},
      {".", "alt(alt(#1-#9,#B-#C),#E-#FCFC)"},
      {"{3}", "cat(cat('{','3'),'}')"},
  };
  for (const TreeCase& c : cases) EXPECT_EQ(dumpTree(c.pattern), c.tree) << c.pattern;
}

TEST(PatternParser, SharesLeavesAndThePlusOperand) {
  PatternParser parser("(ab)+a|b");
  parser.Parse();
  const ParseTree& tree = parser.tree();
  ASSERT_EQ(tree.leaves().size(), 2u) << "a and b are each made once";
  // alt(cat(cat(ab, star(ab)), 'a'), 'b')
  const ParseNode& first = tree.node(tree.node(tree.root()).left);
  const ParseNode& plus = tree.node(first.left);
  ASSERT_EQ(plus.kind, NodeKind::nk_Concat);
  EXPECT_EQ(tree.node(plus.right).left, plus.left) << "the + operand is shared";
}

struct AtomCase {
  std::string pattern;
  const char* atoms;
};

TEST(PatternParser, PartitionsLeafRangesIntoAtoms) {
  const AtomCase cases[] = {
      {"[a-cb]", "'a' 'b' 'c'"},
      {"[a-z]x|[m-q]", "'a'-'l' 'm'-'q' 'r'-'w' 'x' 'y'-'z'"},
      {"[a-c][b-d]", "'a' 'b'-'c' 'd'"},
      {"[a-e]c", "'a'-'b' 'c' 'd'-'e'"},
      {"[a-e][a-c]", "'a'-'c' 'd'-'e'"},
      {"[a-e][c-e]", "'a'-'b' 'c'-'e'"},
      {"[!-~]|a^b", "'!'-']' '^' '_'-'`' 'a' 'b' 'c'-'~'"},
      {"[!-~]|a$b", "'!'-'#' '$' '%'-'`' 'a' 'b' 'c'-'~'"},
      {"1^2|1.", "#1-#9 #B-#C #E-'0' '1' '2' '3'-']' '^' '_'-#FCFC"},
      {sj("[ぁ-ん]あ"), "#829F #82A0 #82A1-#82F1"},
  };
  for (const AtomCase& c : cases) EXPECT_EQ(dumpAtoms(c.pattern), c.atoms) << c.pattern;
}

TEST(PatternParser, LeavesAreRunsOfAtoms) {
  PatternParser parser("[a-z]x|[m-q]");
  parser.Parse();
  const ParseTree& tree = parser.tree();
  const ParseNode& az = tree.node(tree.leaves()[0]);
  ASSERT_EQ(az.lower, 'a');
  EXPECT_EQ(az.firstAtom, 0);
  EXPECT_EQ(az.lastAtom, 4);
  const ParseNode& mq = tree.node(tree.leaves()[2]);
  ASSERT_EQ(mq.lower, 'm');
  EXPECT_EQ(mq.firstAtom, 1);
  EXPECT_EQ(mq.lastAtom, 1);
}

TEST(PatternParser, NegatedClassesAreComplementsOfAnyChar) {
  EXPECT_EQ(dumpTree("[^acb]"), dumpTree("[^abc]"));
  EXPECT_EQ(dumpTree("[^acb]"), "alt(alt(alt(#1-#9,#B-#C),#E-'`'),'d'-#FCFC)");
  EXPECT_EQ(dumpTree("[^a]"), "alt(alt(alt(#1-#9,#B-#C),#E-'`'),'b'-#FCFC)")
      << "never NUL, LF or CR";
  EXPECT_EQ(dumpTree("[^\\x01-\\x7f]"), "#80-#FCFC");
  EXPECT_EQ(dumpTree("[^\\t-\\r]"), "alt(#1-#8,#E-#FCFC)");
  EXPECT_EQ(dumpTree("[^\\x00-\\xffff]"), "none");
  EXPECT_EQ(dumpTree("[^\\x01-\\xfcfc]x"), "cat(none,'x')");
}

TEST(PatternParser, NegatedClassMembersDoNotSplitOtherAtoms) {
  EXPECT_EQ(dumpAtoms("[^b]"), "#1-#9 #B-#C #E-'a' 'c'-#FCFC");
}

struct ErrorCase {
  const char* pattern;
  const char* message;
  int position;
};

TEST(PatternParser, RaisesEveryFaultWithItsPosition) {
  const ErrorCase cases[] = {
      {"a)", messages::kSurplusCharacters, 3},
      {"a|b)c", messages::kSurplusCharacters, 5},
      {"(a", messages::kRightParenRequired, 3},
      {"(a|b", messages::kRightParenRequired, 5},
      {"((a)", messages::kRightParenRequired, 5},
      {"[]", messages::kInvalidCharClass, 3},
      {"[^]", messages::kInvalidCharClass, 4},
      {"*a", messages::kOperandRequired, 2},
      {"a**", messages::kOperandRequired, 4},
      {"a+?", messages::kOperandRequired, 4},
      {"a*?", messages::kOperandRequired, 4},
      {"(*)", messages::kOperandRequired, 3},
      {"a|*", messages::kOperandRequired, 4},
      {"]", messages::kOperandRequired, 2},
      {"a]b", messages::kOperandRequired, 3},
      {"(a\\", messages::kCharAfterBackslash, 4},  // a scanner fault passes through
  };
  for (const ErrorCase& c : cases)
    test::expectSyntaxError([&] { PatternParser(c.pattern).Parse(); }, c.message, c.position,
                            c.pattern);
}

TEST(PatternParser, RefusesGroupsNestedTooDeeply) {
  const int depth = PatternParser::kMaxGroupDepth;
  std::string fits = std::string(depth, '(') + "a" + std::string(depth, ')');
  EXPECT_NO_THROW(PatternParser(fits).Parse());
  std::string deep = "(" + fits + ")";
  test::expectSyntaxError([&] { PatternParser(deep).Parse(); }, messages::kTooComplex, depth + 2,
                          "deep nesting");
}

}  // namespace
}  // namespace namitra::regex
