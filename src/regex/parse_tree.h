// The parse tree of a regular expression, and the partition of its character ranges.
//
// Nodes live in one vector and refer to each other by index, so the tree is a directed acyclic
// graph that is freed as a whole: a leaf (one inclusive range of character codes) is made once
// per distinct range and shared by every place that names it, and the operand of `+` is shared
// by the two nodes built from it. There is no group node; parentheses only steer the structure.
//
// After parsing, SplitLeaves cuts the ranges of all leaves into atoms: pairwise disjoint ranges
// such that each leaf is a run of consecutive atoms. Every character then falls into one atom or
// none, and the automaton's transitions are labelled with atoms (see nfa.h and dfa.h).
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "sjis/char.h"

namespace namitra::regex {

using sjis::CharCode;

enum class NodeKind : std::uint8_t {
  nk_CharRange,  // one character in [lower, upper] (a leaf)
  nk_LineHead,   // ^ : an anchor or the character ^, decided when the NFA is built
  nk_LineTail,   // $ : an anchor or the character $, likewise
  nk_Concat,     // left then right
  nk_Union,      // left or right
  nk_Closure,    // left, zero or more times
  nk_Empty,      // the empty string
  nk_Nothing,    // matches no string at all: a negated class that leaves no character
};

using NodeId = std::int32_t;
inline constexpr NodeId kNoNode = -1;

struct CodeRange {
  CharCode lower = 0;
  CharCode upper = 0;
  friend bool operator==(const CodeRange&, const CodeRange&) = default;
};

struct ParseNode {
  NodeKind kind = NodeKind::nk_Empty;
  CharCode lower = 0;  // nk_CharRange, nk_LineHead, nk_LineTail
  CharCode upper = 0;
  NodeId left = kNoNode;  // nk_Concat, nk_Union, nk_Closure
  NodeId right = kNoNode;
  // For leaves, once SplitLeaves has run: the atoms the range consists of, first to last.
  std::int32_t firstAtom = -1;
  std::int32_t lastAtom = -1;
};

class ParseTree {
 public:
  NodeId MakeNode(NodeKind kind, NodeId left = kNoNode, NodeId right = kNoNode);
  // The existing leaf with exactly this range, or a new one.
  NodeId MakeLeaf(CharCode lower, CharCode upper);
  NodeId MakeLineHead(CharCode code);
  NodeId MakeLineTail(CharCode code);
  // `.`: every code from 1 to 0xFCFC except LF and CR.
  NodeId MakeAnyChar();
  // The union of the leaves of `ranges` in their order, or an nk_Nothing node when it is empty.
  NodeId MakeCharSet(const std::vector<CodeRange>& ranges);

  // Computes the atoms. The characters ^ and $ become atoms of their own when the tree holds
  // an nk_LineHead or nk_LineTail node, since those may stand for the character.
  void SplitLeaves();
  void Clear();

  NodeId root() const { return m_root; }
  void setRoot(NodeId root) { m_root = root; }
  const ParseNode& node(NodeId id) const { return m_nodes[static_cast<std::size_t>(id)]; }
  std::size_t nodeCount() const { return m_nodes.size(); }
  // The leaves in creation order.
  const std::vector<NodeId>& leaves() const { return m_leaves; }
  // The atoms in ascending order (valid after SplitLeaves).
  const std::vector<CodeRange>& atoms() const { return m_atoms; }
  // The atom that holds `code`, or -1 (valid after SplitLeaves).
  std::int32_t atomOf(CharCode code) const;

 private:
  NodeId append(ParseNode node);

  std::vector<ParseNode> m_nodes;
  std::vector<NodeId> m_leaves;
  std::map<std::uint32_t, NodeId> m_leafByRange;
  std::vector<CodeRange> m_atoms;
  NodeId m_root = kNoNode;
  bool m_hasLineHead = false;
  bool m_hasLineTail = false;
};

}  // namespace namitra::regex
