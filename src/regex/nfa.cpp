// Thompson construction. The tree is walked with an explicit work list instead of recursion,
// because a long literal is a left-leaning chain of concatenations as deep as the pattern is
// long. Left operands are processed before right ones, so states are numbered as a recursive
// walk would number them.
#include "regex/nfa.h"

#include <cassert>

namespace namitra::regex {

std::int32_t Nfa::newState() {
  m_states.emplace_back();
  return static_cast<std::int32_t>(m_states.size() - 1);
}

void Nfa::addEdge(std::int32_t from, EdgeKind kind, std::int32_t to, std::int32_t first,
                  std::int32_t last) {
  m_states[static_cast<std::size_t>(from)].push_back({kind, first, last, to});
}

void Nfa::addCharEdge(std::int32_t from, std::int32_t to, CharCode code) {
  std::int32_t atom = m_tree.atomOf(code);
  assert(atom >= 0 && "the characters ^ and $ are atoms whenever the tree holds an anchor node");
  addEdge(from, EdgeKind::Chars, to, atom, atom);
}

void Nfa::Build() {
  m_states.clear();
  m_hasLineHead = m_hasLineTail = false;
  newState();
  newState();
  std::vector<Step> pending{{m_tree.root(), kStartState, kFinalState}};
  while (!pending.empty()) {
    Step step = pending.back();
    pending.pop_back();
    GenerateStateList(step, pending);
  }
}

void Nfa::GenerateStateList(const Step& step, std::vector<Step>& pending) {
  const ParseNode& node = m_tree.node(step.node);
  switch (node.kind) {
    case NodeKind::nk_CharRange:
      addEdge(step.from, EdgeKind::Chars, step.to, node.firstAtom, node.lastAtom);
      return;
    case NodeKind::nk_LineHead:
      if (step.from != kStartState) return addCharEdge(step.from, step.to, node.lower);
      m_hasLineHead = true;
      return addEdge(step.from, EdgeKind::LineHead, step.to);
    case NodeKind::nk_LineTail:
      if (step.to != kFinalState) return addCharEdge(step.from, step.to, node.lower);
      m_hasLineTail = true;
      return addEdge(step.from, EdgeKind::LineTail, step.to);
    case NodeKind::nk_Concat: {
      std::int32_t middle = newState();
      pending.push_back({node.right, middle, step.to});
      pending.push_back({node.left, step.from, middle});
      return;
    }
    case NodeKind::nk_Union:
      pending.push_back({node.right, step.from, step.to});
      pending.push_back({node.left, step.from, step.to});
      return;
    case NodeKind::nk_Closure: {
      std::int32_t loopStart = newState();
      std::int32_t loopEnd = newState();
      addEdge(step.from, EdgeKind::Empty, loopStart);
      addEdge(loopEnd, EdgeKind::Empty, loopStart);
      addEdge(loopStart, EdgeKind::Empty, step.to);
      pending.push_back({node.left, loopStart, loopEnd});
      return;
    }
    case NodeKind::nk_Empty:
      return addEdge(step.from, EdgeKind::Empty, step.to);
    case NodeKind::nk_Nothing:
      return;
  }
  assert(false && "a parse tree holds only the node kinds above");
}

}  // namespace namitra::regex
