// The deterministic automaton, built from an Nfa by subset construction, and the table that
// maps a character code to the column of the transition table.
//
// Columns: 0 is "no atom" (a character that no part of the pattern names, always dead), column
// a + 1 is atom a of the partition, and the last two columns are the line-head and line-tail
// labels, which no character reaches. The transition table holds states x columns entries, -1
// for "no transition". A character's column is found without search: a 256-entry table for
// single-byte codes and, for a double-byte code, a per-lead-byte entry that is either one column
// for the whole row of 256 trail bytes or a 256-entry row of its own.
//
// Size bound: subset construction can grow exponentially ((a|b)*a(a|b)(a|b)... with twenty
// copies has over a million states). Build refuses, with RegexSyntaxError "the regular
// expression is too complex" at `errorPosition`, an automaton of more than kMaxStates states,
// more than kMaxCells table entries or more than kMaxSetEntries NFA states held in the subsets
// while building, or whose construction would collect more than kMaxMoves NFA moves. A file-name
// pattern needs tens of states; the bounds keep the peak memory of one compilation below about
// 100 MB and its time around a second at most.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "regex/nfa.h"

namespace namitra::regex {

class Dfa {
 public:
  static constexpr std::int32_t kMaxStates = 10000;
  static constexpr std::size_t kMaxCells = std::size_t{1} << 22;
  static constexpr std::size_t kMaxSetEntries = std::size_t{1} << 23;
  static constexpr std::size_t kMaxMoves = std::size_t{1} << 27;
  static constexpr std::int32_t kNoState = -1;
  using Column = std::uint16_t;

  // Throws RegexSyntaxError (too complex) when a bound would be passed.
  static Dfa Build(const Nfa& nfa, std::int32_t errorPosition);

  std::int32_t startState() const { return 0; }
  std::int32_t stateCount() const { return m_stateCount; }
  bool accepting(std::int32_t state) const {
    return m_accepting[static_cast<std::size_t>(state)] != 0;
  }
  bool HasLineHead() const { return m_hasLineHead; }
  bool HasLineTail() const { return m_hasLineTail; }

  std::size_t columnCount() const { return m_columnCount; }
  Column lineHeadColumn() const { return static_cast<Column>(m_columnCount - 2); }
  Column lineTailColumn() const { return static_cast<Column>(m_columnCount - 1); }
  // The partition's atoms; column c (1 <= c <= atoms().size()) is atoms()[c - 1].
  const std::vector<CodeRange>& atoms() const { return m_atoms; }

  Column singleByteColumn(unsigned char byte) const { return m_singleByte[byte]; }
  Column doubleByteColumn(unsigned char lead, unsigned char trail) const {
    std::int32_t row = m_rowIndex[lead];
    return row < 0 ? m_rowColumn[lead] : m_rows[static_cast<std::size_t>(row)][trail];
  }
  std::int32_t next(std::int32_t state, Column column) const {
    return m_table[static_cast<std::size_t>(state) * m_columnCount + column];
  }
  // False when no match can start at a byte: neither a character beginning with it leaves the
  // start state nor can an anchor or an empty match apply there.
  bool canStartWith(unsigned char byte) const { return m_canStart[byte]; }
  // The one byte value that can start a match, or -1 when there are none or several.
  int soleStartByte() const { return m_soleStartByte; }

 private:
  class Builder;

  void buildColumnMap();
  void buildStartFilter();

  std::vector<CodeRange> m_atoms;
  std::size_t m_columnCount = 0;
  std::int32_t m_stateCount = 0;
  std::vector<std::int32_t> m_table;
  std::vector<std::uint8_t> m_accepting;
  bool m_hasLineHead = false;
  bool m_hasLineTail = false;
  std::array<Column, 256> m_singleByte{};
  std::array<Column, 256> m_rowColumn{};
  std::array<std::int32_t, 256> m_rowIndex{};
  std::vector<std::array<Column, 256>> m_rows;
  std::array<bool, 256> m_canStart{};
  int m_soleStartByte = -1;
};

}  // namespace namitra::regex
