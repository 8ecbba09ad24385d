// The nondeterministic automaton (Thompson construction) built from a partitioned parse tree.
//
// State 0 is the start state and state 1 the final state; further states are numbered in order
// of creation. An edge is an empty move, a character move labelled with a run of consecutive
// atoms of the tree's partition, or a move on the line-head or line-tail label. Anchors are such
// moves, not special states:
//   - a ^ is the line-head anchor exactly when its edge leaves the start state (the first item of
//     the pattern or of a top-level alternative, also inside a group, a ? operand or the first
//     copy of a + operand standing first); anywhere else it is the character ^;
//   - a $ is the line-tail anchor exactly when its edge enters the final state; elsewhere it is
//     the character $.
// So in `x*^a` and `a^b` the ^ is a character, and in `(^a)+` only the first repetition starts
// with the anchor (the shared operand of + is visited once per copy and each visit decides).
#pragma once

#include <cstdint>
#include <vector>

#include "regex/parse_tree.h"

namespace namitra::regex {

enum class EdgeKind : std::uint8_t { Empty, Chars, LineHead, LineTail };

struct NfaEdge {
  EdgeKind kind = EdgeKind::Empty;
  std::int32_t firstAtom = -1;  // EdgeKind::Chars: the atoms firstAtom..lastAtom
  std::int32_t lastAtom = -1;
  std::int32_t target = 0;
};

class Nfa {
 public:
  static constexpr std::int32_t kStartState = 0;
  static constexpr std::int32_t kFinalState = 1;

  // The tree must outlive Build; it must have been partitioned (ParseTree::SplitLeaves).
  explicit Nfa(const ParseTree& tree) : m_tree(tree) {}

  void Build();

  std::int32_t stateCount() const { return static_cast<std::int32_t>(m_states.size()); }
  const std::vector<NfaEdge>& edges(std::int32_t state) const {
    return m_states[static_cast<std::size_t>(state)];
  }
  bool HasLineHead() const { return m_hasLineHead; }
  bool HasLineTail() const { return m_hasLineTail; }
  const std::vector<CodeRange>& atoms() const { return m_tree.atoms(); }

 private:
  struct Step {
    NodeId node;
    std::int32_t from;
    std::int32_t to;
  };

  std::int32_t newState();
  void addEdge(std::int32_t from, EdgeKind kind, std::int32_t to, std::int32_t first = -1,
               std::int32_t last = -1);
  void addCharEdge(std::int32_t from, std::int32_t to, CharCode code);
  void GenerateStateList(const Step& step, std::vector<Step>& pending);

  const ParseTree& m_tree;
  std::vector<std::vector<NfaEdge>> m_states;
  bool m_hasLineHead = false;
  bool m_hasLineTail = false;
};

}  // namespace namitra::regex
