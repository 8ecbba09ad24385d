// The pattern parser. Each grammar rule is one function; the current token is always the one
// the scanner returned last, and a rule returns with the token after its construct current.
#include "regex/pattern_parser.h"

#include <algorithm>

#include "regex/regex_syntax_error.h"

namespace namitra::regex {

namespace {

bool endsConcat(TokenKind kind) {
  return kind == TokenKind::tk_Union || kind == TokenKind::tk_GroupClose ||
         kind == TokenKind::tk_End;
}

// What `.` matches, minus the members of a negated class. The members may overlap and come in
// any order.
std::vector<CodeRange> complementOfAnyChar(std::vector<CodeRange> members) {
  std::sort(members.begin(), members.end(),
            [](const CodeRange& a, const CodeRange& b) { return a.lower < b.lower; });
  std::vector<CodeRange> result;
  const CodeRange anyChar[] = {{1, 9}, {11, 12}, {14, 0xFCFC}};
  for (CodeRange piece : anyChar) {
    std::uint32_t from = piece.lower;  // the first code of `piece` not yet decided
    for (const CodeRange& m : members) {
      if (m.upper < from || m.lower > piece.upper) continue;
      if (m.lower > from)
        result.push_back({static_cast<CharCode>(from), static_cast<CharCode>(m.lower - 1)});
      from = std::max<std::uint32_t>(from, static_cast<std::uint32_t>(m.upper) + 1);
    }
    if (from <= piece.upper) result.push_back({static_cast<CharCode>(from), piece.upper});
  }
  return result;
}

}  // namespace

void PatternParser::fail(const char* message) const {
  throw RegexSyntaxError(message, static_cast<std::uint16_t>(m_scanner.position()));
}

void PatternParser::Parse() {
  m_tree.Clear();
  m_groupDepth = 0;
  advance();
  m_tree.setRoot(ParseUnion());
  if (token() != TokenKind::tk_End) fail(messages::kSurplusCharacters);
  m_tree.SplitLeaves();
}

NodeId PatternParser::ParseUnion() {
  NodeId t = ParseConcat();
  while (token() == TokenKind::tk_Union) {
    advance();
    t = m_tree.MakeNode(NodeKind::nk_Union, t, ParseConcat());
  }
  return t;
}

NodeId PatternParser::ParseConcat() {
  if (endsConcat(token())) return m_tree.MakeNode(NodeKind::nk_Empty);
  NodeId t = ParsePostfix();
  while (!endsConcat(token())) t = m_tree.MakeNode(NodeKind::nk_Concat, t, ParsePostfix());
  return t;
}

NodeId PatternParser::ParsePostfix() {
  NodeId f = ParseFactor();
  switch (token()) {
    case TokenKind::tk_Star:
      advance();
      return m_tree.MakeNode(NodeKind::nk_Closure, f);
    case TokenKind::tk_Plus:
      advance();
      return m_tree.MakeNode(NodeKind::nk_Concat, f, m_tree.MakeNode(NodeKind::nk_Closure, f));
    case TokenKind::tk_Optional:
      advance();
      return m_tree.MakeNode(NodeKind::nk_Union, f, m_tree.MakeNode(NodeKind::nk_Empty));
    default:
      return f;
  }
}

NodeId PatternParser::ParseFactor() {
  NodeId result = kNoNode;
  switch (token()) {
    case TokenKind::tk_Char:
      result = m_tree.MakeLeaf(m_scanner.code(), m_scanner.code());
      break;
    case TokenKind::tk_GroupOpen:
      return ParseGroup();
    case TokenKind::tk_ClassOpen:
      return ParseClass();
    case TokenKind::tk_NegClassOpen:
      return ParseNegClass();
    case TokenKind::tk_AnyChar:
      result = m_tree.MakeAnyChar();
      break;
    case TokenKind::tk_LineHead:
      result = m_tree.MakeLineHead(m_scanner.code());
      break;
    case TokenKind::tk_LineTail:
      result = m_tree.MakeLineTail(m_scanner.code());
      break;
    default:
      fail(messages::kOperandRequired);
  }
  advance();
  return result;
}

NodeId PatternParser::ParseGroup() {
  if (++m_groupDepth > kMaxGroupDepth) fail(messages::kTooComplex);
  advance();
  NodeId t = ParseUnion();
  if (token() != TokenKind::tk_GroupClose) fail(messages::kRightParenRequired);
  --m_groupDepth;
  advance();
  return t;
}

// Reads the members up to the closing bracket, which stays the current token.
std::vector<CodeRange> PatternParser::readClassMembers() {
  std::vector<CodeRange> members;
  advance();
  if (token() == TokenKind::tk_ClassClose) fail(messages::kInvalidCharClass);
  while (token() != TokenKind::tk_ClassClose) {
    CharCode upper = token() == TokenKind::tk_Range ? m_scanner.upper() : m_scanner.code();
    members.push_back({m_scanner.code(), upper});
    advance();
  }
  return members;
}

NodeId PatternParser::ParseClass() {
  NodeId t = m_tree.MakeCharSet(readClassMembers());
  advance();
  return t;
}

NodeId PatternParser::ParseNegClass() {
  NodeId t = m_tree.MakeCharSet(complementOfAnyChar(readClassMembers()));
  advance();
  return t;
}

}  // namespace namitra::regex
