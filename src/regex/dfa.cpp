// Subset construction over atom columns, and the code-to-column map.
//
// Each DFA state stands for an empty-closed set of NFA states, kept as a sorted list of state
// numbers whose bytes are the key of a hash map, so that finding an existing state is one
// lookup. States are numbered in creation order (the start state is 0) and processed in that
// order. The move of a state on one column is the closure of the targets of all NFA edges of its
// set that carry that column; only the columns some edge carries are visited.
#include "regex/dfa.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include "regex/regex_syntax_error.h"

namespace namitra::regex {

class Dfa::Builder {
 public:
  Builder(const Nfa& nfa, Dfa& dfa, std::int32_t errorPosition)
      : m_nfa(nfa), m_dfa(dfa), m_errorPosition(errorPosition),
        m_mark(static_cast<std::size_t>(nfa.stateCount()), 0), m_moves(dfa.m_columnCount) {}

  void run() {
    m_scratch = {Nfa::kStartState};
    findOrAddState(closure(m_scratch));
    for (std::int32_t state = 0; state < m_dfa.m_stateCount; ++state) addMoves(state);
  }

 private:
  [[noreturn]] void tooComplex() const {
    throw RegexSyntaxError(messages::kTooComplex, static_cast<std::uint16_t>(m_errorPosition));
  }

  // Replaces `states` by its empty closure, sorted: every NFA state reachable by empty moves.
  std::vector<std::int32_t>& closure(std::vector<std::int32_t>& states) {
    ++m_generation;
    m_stack.clear();
    for (std::int32_t s : states) visit(s);
    states.clear();
    while (!m_stack.empty()) {
      std::int32_t s = m_stack.back();
      m_stack.pop_back();
      states.push_back(s);
      for (const NfaEdge& e : m_nfa.edges(s))
        if (e.kind == EdgeKind::Empty) visit(e.target);
    }
    std::sort(states.begin(), states.end());
    return states;
  }

  void visit(std::int32_t s) {
    std::uint32_t& mark = m_mark[static_cast<std::size_t>(s)];
    if (mark == m_generation) return;
    mark = m_generation;
    m_stack.push_back(s);
  }

  std::int32_t findOrAddState(const std::vector<std::int32_t>& set) {
    std::string key(reinterpret_cast<const char*>(set.data()), set.size() * sizeof(std::int32_t));
    auto [it, inserted] = m_ids.try_emplace(std::move(key), m_dfa.m_stateCount);
    if (!inserted) return it->second;
    m_setEntries += set.size();
    std::size_t cells = static_cast<std::size_t>(m_dfa.m_stateCount + 1) * m_dfa.m_columnCount;
    if (m_dfa.m_stateCount + 1 > kMaxStates || cells > kMaxCells || m_setEntries > kMaxSetEntries)
      tooComplex();
    m_sets.push_back(&it->first);
    m_dfa.m_table.resize(cells, kNoState);
    bool isFinal = std::binary_search(set.begin(), set.end(), Nfa::kFinalState);
    m_dfa.m_accepting.push_back(isFinal ? 1 : 0);
    return m_dfa.m_stateCount++;
  }

  void addMove(std::size_t column, std::int32_t target) {
    if (++m_work > kMaxMoves) tooComplex();
    if (m_moves[column].empty()) m_touched.push_back(column);
    m_moves[column].push_back(target);
  }

  void collectMoves(std::int32_t nfaState) {
    for (const NfaEdge& e : m_nfa.edges(nfaState)) {
      switch (e.kind) {
        case EdgeKind::Empty: break;
        case EdgeKind::LineHead: addMove(m_dfa.lineHeadColumn(), e.target); break;
        case EdgeKind::LineTail: addMove(m_dfa.lineTailColumn(), e.target); break;
        case EdgeKind::Chars:
          for (std::int32_t a = e.firstAtom; a <= e.lastAtom; ++a)
            addMove(static_cast<std::size_t>(a) + 1, e.target);
          break;
      }
    }
  }

  void addMoves(std::int32_t state) {
    const std::string& key = *m_sets[static_cast<std::size_t>(state)];
    std::size_t count = key.size() / sizeof(std::int32_t);
    for (std::size_t i = 0; i < count; ++i) {
      std::int32_t nfaState;
      std::memcpy(&nfaState, key.data() + i * sizeof(std::int32_t), sizeof nfaState);
      collectMoves(nfaState);
    }
    for (std::size_t column : m_touched) {
      std::int32_t target = findOrAddState(closure(m_moves[column]));
      m_dfa.m_table[static_cast<std::size_t>(state) * m_dfa.m_columnCount + column] = target;
      m_moves[column].clear();
    }
    m_touched.clear();
  }

  const Nfa& m_nfa;
  Dfa& m_dfa;
  std::int32_t m_errorPosition;
  std::vector<std::uint32_t> m_mark;
  std::uint32_t m_generation = 0;
  std::vector<std::int32_t> m_stack;
  std::vector<std::vector<std::int32_t>> m_moves;  // per column, the targets found so far
  std::vector<std::size_t> m_touched;              // the columns with targets, in order found
  std::vector<std::int32_t> m_scratch;
  std::unordered_map<std::string, std::int32_t> m_ids;
  std::vector<const std::string*> m_sets;  // by DFA state: the key of its NFA state set
  std::size_t m_setEntries = 0;
  std::size_t m_work = 0;  // NFA moves collected so far
};

Dfa Dfa::Build(const Nfa& nfa, std::int32_t errorPosition) {
  Dfa dfa;
  dfa.m_atoms = nfa.atoms();
  dfa.m_columnCount = dfa.m_atoms.size() + 3;
  if (dfa.m_columnCount > 0xFFFF)
    throw RegexSyntaxError(messages::kTooComplex, static_cast<std::uint16_t>(errorPosition));
  dfa.m_hasLineHead = nfa.HasLineHead();
  dfa.m_hasLineTail = nfa.HasLineTail();
  Builder(nfa, dfa, errorPosition).run();
  dfa.buildColumnMap();
  dfa.buildStartFilter();
  return dfa;
}

void Dfa::buildColumnMap() {
  auto columnOf = [this](std::uint32_t code) -> Column {
    auto it = std::upper_bound(m_atoms.begin(), m_atoms.end(), code,
                               [](std::uint32_t c, const CodeRange& atom) { return c < atom.lower; });
    if (it == m_atoms.begin() || code > (it - 1)->upper) return 0;
    return static_cast<Column>(it - m_atoms.begin());  // (index of the atom) + 1
  };
  for (std::uint32_t b = 0; b < 256; ++b) m_singleByte[b] = columnOf(b);
  m_rowIndex.fill(-1);
  for (std::uint32_t lead = 0; lead < 256; ++lead) {
    if (!sjis::isLeadByte(static_cast<unsigned char>(lead))) continue;
    std::uint32_t first = lead << 8;
    Column column = columnOf(first);
    bool uniform = true;
    for (std::uint32_t trail = 1; trail < 256 && uniform; ++trail)
      uniform = columnOf(first | trail) == column;
    m_rowColumn[lead] = column;
    if (uniform) continue;
    std::array<Column, 256> row{};
    for (std::uint32_t trail = 0; trail < 256; ++trail) row[trail] = columnOf(first | trail);
    m_rowIndex[lead] = static_cast<std::int32_t>(m_rows.size());
    m_rows.push_back(row);
  }
}

void Dfa::buildStartFilter() {
  const std::int32_t start = startState();
  if (accepting(start)) {
    m_canStart.fill(true);
    return;
  }
  auto leaves = [&](Column column) { return next(start, column) != kNoState; };
  for (std::uint32_t b = 0; b < 256; ++b) {
    bool possible = leaves(m_singleByte[b]);  // a single byte, or a stray lead byte at the end
    auto lead = static_cast<unsigned char>(b);
    for (std::uint32_t trail = 0; trail < 256 && !possible && sjis::isLeadByte(lead); ++trail)
      possible = leaves(doubleByteColumn(lead, static_cast<unsigned char>(trail)));
    m_canStart[b] = possible;
  }
  // A line tail can be matched empty before a separator, a line head after an LF.
  if (leaves(lineTailColumn())) m_canStart['\r'] = m_canStart['\n'] = true;
  if (m_hasLineHead) m_canStart['\n'] = true;
  int count = 0;
  for (int b = 0; b < 256; ++b) {
    if (!m_canStart[static_cast<std::size_t>(b)]) continue;
    ++count;
    m_soleStartByte = b;
  }
  if (count != 1) m_soleStartByte = -1;
}

}  // namespace namitra::regex
