// Helpers shared by the regular expression tests: Shift-JIS test data from UTF-8 literals, and
// text dumps of tokens, parse trees and partitions that tests compare as strings.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "regex/parse_tree.h"
#include "regex/pattern_parser.h"
#include "regex/pattern_scanner.h"
#include "regex/regex_syntax_error.h"
#include "sjis/codec.h"

namespace namitra::regex::test {

// Shift-JIS bytes of a UTF-8 literal; fails the test when a character cannot be represented.
inline std::string sj(std::string_view utf8) {
  sjis::Utf8Conversion converted = sjis::utf8ToCp932(utf8);
  EXPECT_TRUE(converted.lossless) << "not representable in code page 932: " << utf8;
  return converted.text;
}

// A code as a printable ASCII character in quotes, or as #hex.
inline std::string codeText(CharCode code) {
  if (code > 0x20 && code < 0x7F) return std::string("'") + static_cast<char>(code) + "'";
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%X", code);
  return buffer;
}

inline std::string rangeText(CharCode lower, CharCode upper) {
  if (lower == upper) return codeText(lower);
  return codeText(lower) + "-" + codeText(upper);
}

// The tokens of a pattern, separated by blanks: characters as codeText, ranges as lower-upper,
// operators as written (`[^` for a negated class opening).
inline std::string dumpTokens(const std::string& pattern) {
  static const char* const kNames[] = {"",  "",  "|", "(",  ")", "*", "+",
                                       "?", "[", "[^", "]", ".", "^", "$"};
  PatternScanner scanner(pattern);
  std::string out;
  for (TokenKind kind = scanner.GetToken(); kind != TokenKind::tk_End; kind = scanner.GetToken()) {
    if (!out.empty()) out += ' ';
    if (kind == TokenKind::tk_Char)
      out += codeText(scanner.code());
    else if (kind == TokenKind::tk_Range)
      out += rangeText(scanner.code(), scanner.upper());
    else
      out += kNames[static_cast<int>(kind)];
  }
  return out;
}

// cat(x,y), alt(x,y), star(x), empty, none, ^, $ and leaves as rangeText.
inline std::string dumpNode(const ParseTree& tree, NodeId id) {
  const ParseNode& n = tree.node(id);
  switch (n.kind) {
    case NodeKind::nk_CharRange: return rangeText(n.lower, n.upper);
    case NodeKind::nk_LineHead: return "^";
    case NodeKind::nk_LineTail: return "$";
    case NodeKind::nk_Concat:
      return "cat(" + dumpNode(tree, n.left) + "," + dumpNode(tree, n.right) + ")";
    case NodeKind::nk_Union:
      return "alt(" + dumpNode(tree, n.left) + "," + dumpNode(tree, n.right) + ")";
    case NodeKind::nk_Closure: return "star(" + dumpNode(tree, n.left) + ")";
    case NodeKind::nk_Empty: return "empty";
    case NodeKind::nk_Nothing: return "none";
  }
  return "?";
}

inline std::string dumpTree(const std::string& pattern) {
  PatternParser parser(pattern);
  parser.Parse();
  return dumpNode(parser.tree(), parser.tree().root());
}

inline std::string dumpAtoms(const std::string& pattern) {
  PatternParser parser(pattern);
  parser.Parse();
  std::string out;
  for (const CodeRange& atom : parser.tree().atoms()) {
    if (!out.empty()) out += ' ';
    out += rangeText(atom.lower, atom.upper);
  }
  return out;
}

// Runs `action` and checks that it throws RegexSyntaxError with this message and position.
inline void expectSyntaxError(const std::function<void()>& action, const std::string& message,
                              int position, const std::string& label) {
  try {
    action();
    ADD_FAILURE() << label << ": no RegexSyntaxError";
  } catch (const RegexSyntaxError& error) {
    EXPECT_EQ(error.what(), message) << label;
    EXPECT_EQ(error.ErrorPos(), position) << label;
  }
}

}  // namespace namitra::regex::test
