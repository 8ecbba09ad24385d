// The recursive-descent parser that turns a pattern into a ParseTree.
//
// Grammar (two-operand operators associate to the left, one postfix operator per operand):
//   union   := concat ('|' concat)*
//   concat  := postfix+ | <empty>
//   postfix := factor ('*' | '+' | '?')?
//   factor  := char | '(' union ')' | '[' members ']' | '[^' members ']' | '.' | '^' | '$'
// `a+` becomes concat(a, closure(a)) with `a` shared; `a?` becomes union(a, empty). A negated
// class is turned into the positive set of what `.` matches minus its members, so `[^...]` never
// matches NUL, LF, CR or a code above 0xFCFC; when nothing is left it matches nothing.
//
// Parse throws RegexSyntaxError for every malformed pattern (the scanner's messages pass through
// unchanged) and, on success, leaves the tree partitioned into atoms (ParseTree::SplitLeaves).
// Groups nested deeper than kMaxGroupDepth are refused as too complex, so that no pattern can
// exhaust the stack.
#pragma once

#include <string>
#include <vector>

#include "regex/parse_tree.h"
#include "regex/pattern_scanner.h"

namespace namitra::regex {

class PatternParser {
 public:
  static constexpr int kMaxGroupDepth = 1000;

  explicit PatternParser(std::string pattern) : m_scanner(std::move(pattern)) {}

  void Parse();
  const ParseTree& tree() const { return m_tree; }

 private:
  NodeId ParseUnion();
  NodeId ParseConcat();
  NodeId ParsePostfix();
  NodeId ParseFactor();
  NodeId ParseGroup();
  NodeId ParseClass();
  NodeId ParseNegClass();
  std::vector<CodeRange> readClassMembers();

  TokenKind token() const { return m_scanner.kind(); }
  void advance() { m_scanner.GetToken(); }
  [[noreturn]] void fail(const char* message) const;

  ParseTree m_tree;
  PatternScanner m_scanner;
  int m_groupDepth = 0;
};

}  // namespace namitra::regex
