// The leftmost-longest matching routines that walk a Dfa over Shift-JIS text.
//
// A text is a string_view; positions are 0-based byte offsets into it and a match is the pair
// [start, end). The walk reads one character at a time (a lead byte and the byte after it form
// one double-byte character; a lead byte that is the text's last byte is a character of one
// byte), so a match never starts or ends inside a double-byte character, and nothing past the
// end of the text is ever read.
//
// Anchors: a line head is the start of the text (only through SearchAnchored) and the byte after
// every LF; a line tail is the position of a separator character (CR with ls_CRLF, LF with
// ls_LF) where the walk stops, and the end of the text. The routines keep no state between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "regex/dfa.h"

namespace namitra::regex {

enum class LineSeparatorMode : std::uint8_t { ls_CRLF = 0, ls_LF = 1 };

struct Match {
  std::size_t start = 0;
  std::size_t end = 0;
  friend bool operator==(const Match&, const Match&) = default;
};

class Matcher {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  Matcher(const Dfa& dfa, LineSeparatorMode separator) : m_dfa(dfa), m_separator(separator) {}

  // The state after `column` (a character's, or the line-head / line-tail column), or kNoState.
  std::int32_t NextState(std::int32_t state, Dfa::Column column) const;
  bool IsLineSeparator(unsigned char byte) const;

  // The end of the longest match that starts at `p` in `state`, or npos. When the walk stops at
  // a line separator or at the end of the text and the state there takes the line-tail label,
  // the match ends right there.
  std::size_t MatchAt(std::string_view text, std::size_t p, std::int32_t state) const;
  // MatchAt where a line starts: the line-head label is taken first when the pattern has one.
  std::size_t MatchAtLineHead(std::string_view text, std::size_t p, std::int32_t state) const;

  // For automata without anchors: the leftmost-longest match at or after `p`.
  std::optional<Match> SearchPlain(std::string_view text, std::size_t p) const;
  // For automata with an anchor, where `p` starts a line: an anchored match at `p`, else
  // SearchFrom.
  std::optional<Match> SearchAnchored(std::string_view text, std::size_t p) const;
  // Searches from `p` in mid-line: line heads only after an LF, and an empty line-tail match at
  // the end of the text.
  std::optional<Match> SearchFrom(std::string_view text, std::size_t p) const;

 private:
  struct Walk {
    std::size_t longest = npos;  // end of the longest match seen
    std::size_t stop = 0;        // where the walk stopped
    std::int32_t state = 0;      // the state it stopped in
  };

  // The first character boundary at or after the boundary `p` whose byte passes the start
  // filter, or the end of the text.
  std::size_t nextCandidate(std::string_view text, std::size_t p) const;
  Walk walk(std::string_view text, std::size_t p, std::int32_t state) const;

  const Dfa& m_dfa;
  LineSeparatorMode m_separator;
};

}  // namespace namitra::regex
