// Parse tree construction and the partition of leaf ranges into atoms.
//
// The partition is a sweep over range boundaries: every lower end and every upper end + 1 is a
// cut, and each stretch between two cuts that some range covers is an atom. Because a leaf
// covers every stretch inside it, its atoms are consecutive in the sorted atom list.
#include "regex/parse_tree.h"

#include <algorithm>
#include <cassert>

namespace namitra::regex {

namespace {

std::uint32_t rangeKey(CharCode lower, CharCode upper) {
  return static_cast<std::uint32_t>(lower) << 16 | upper;
}

}  // namespace

NodeId ParseTree::append(ParseNode node) {
  m_nodes.push_back(node);
  return static_cast<NodeId>(m_nodes.size() - 1);
}

NodeId ParseTree::MakeNode(NodeKind kind, NodeId left, NodeId right) {
  ParseNode node;
  node.kind = kind;
  node.left = left;
  node.right = right;
  return append(node);
}

NodeId ParseTree::MakeLeaf(CharCode lower, CharCode upper) {
  assert(lower <= upper && "a leaf range must not be reversed");
  auto [it, inserted] = m_leafByRange.try_emplace(rangeKey(lower, upper), kNoNode);
  if (!inserted) return it->second;
  ParseNode leaf;
  leaf.kind = NodeKind::nk_CharRange;
  leaf.lower = lower;
  leaf.upper = upper;
  it->second = append(leaf);
  m_leaves.push_back(it->second);
  return it->second;
}

NodeId ParseTree::MakeLineHead(CharCode code) {
  m_hasLineHead = true;
  ParseNode node;
  node.kind = NodeKind::nk_LineHead;
  node.lower = node.upper = code;
  return append(node);
}

NodeId ParseTree::MakeLineTail(CharCode code) {
  m_hasLineTail = true;
  ParseNode node;
  node.kind = NodeKind::nk_LineTail;
  node.lower = node.upper = code;
  return append(node);
}

NodeId ParseTree::MakeAnyChar() {
  NodeId crossLf = MakeLeaf(11, 12);
  NodeId belowLf = MakeLeaf(1, 9);
  NodeId low = MakeNode(NodeKind::nk_Union, belowLf, crossLf);
  return MakeNode(NodeKind::nk_Union, low, MakeLeaf(14, 0xFCFC));
}

NodeId ParseTree::MakeCharSet(const std::vector<CodeRange>& ranges) {
  if (ranges.empty()) return MakeNode(NodeKind::nk_Nothing);
  NodeId result = MakeLeaf(ranges[0].lower, ranges[0].upper);
  for (std::size_t i = 1; i < ranges.size(); ++i)
    result = MakeNode(NodeKind::nk_Union, result, MakeLeaf(ranges[i].lower, ranges[i].upper));
  return result;
}

void ParseTree::SplitLeaves() {
  std::vector<CodeRange> ranges;
  for (NodeId leaf : m_leaves) ranges.push_back({node(leaf).lower, node(leaf).upper});
  if (m_hasLineHead) ranges.push_back({'^', '^'});
  if (m_hasLineTail) ranges.push_back({'$', '$'});

  // Cuts and, for each stretch between cuts, how many ranges begin minus how many end there.
  std::vector<std::uint32_t> cuts;
  for (const CodeRange& r : ranges) {
    cuts.push_back(r.lower);
    cuts.push_back(static_cast<std::uint32_t>(r.upper) + 1);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  auto cutIndex = [&](std::uint32_t c) {
    return static_cast<std::size_t>(std::lower_bound(cuts.begin(), cuts.end(), c) - cuts.begin());
  };
  std::vector<int> delta(cuts.size() + 1, 0);
  for (const CodeRange& r : ranges) {
    ++delta[cutIndex(r.lower)];
    --delta[cutIndex(static_cast<std::uint32_t>(r.upper) + 1)];
  }

  m_atoms.clear();
  int cover = 0;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    cover += delta[i];
    if (cover > 0)
      m_atoms.push_back({static_cast<CharCode>(cuts[i]), static_cast<CharCode>(cuts[i + 1] - 1)});
  }
  for (NodeId leaf : m_leaves) {
    ParseNode& n = m_nodes[static_cast<std::size_t>(leaf)];
    n.firstAtom = atomOf(n.lower);
    n.lastAtom = atomOf(n.upper);
  }
}

std::int32_t ParseTree::atomOf(CharCode code) const {
  auto it = std::upper_bound(m_atoms.begin(), m_atoms.end(), code,
                             [](CharCode c, const CodeRange& atom) { return c < atom.lower; });
  if (it == m_atoms.begin()) return -1;
  --it;
  if (code > it->upper) return -1;
  return static_cast<std::int32_t>(it - m_atoms.begin());
}

void ParseTree::Clear() {
  m_nodes.clear();
  m_leaves.clear();
  m_leafByRange.clear();
  m_atoms.clear();
  m_root = kNoNode;
  m_hasLineHead = m_hasLineTail = false;
}

}  // namespace namitra::regex
