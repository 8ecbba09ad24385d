// The matching routines. A search restarts the walk at every character position where a match
// can begin. Those are found by a plain byte scan with the Dfa's start filter, which for a
// typical pattern rejects most bytes; only a byte that passes is checked to be a character
// boundary, by the parity of the run of lead-byte values before it (the position after a byte
// that is no lead-byte value is always a boundary). The scan thus needs no branch on the lead
// byte per character, and the look-backs never overlap, so it stays linear.
#include "regex/matcher.h"

#include <cstring>

#include "sjis/char.h"

namespace namitra::regex {

std::int32_t Matcher::NextState(std::int32_t state, Dfa::Column column) const {
  return state == Dfa::kNoState ? Dfa::kNoState : m_dfa.next(state, column);
}

bool Matcher::IsLineSeparator(unsigned char byte) const {
  return byte == (m_separator == LineSeparatorMode::ls_CRLF ? '\r' : '\n');
}

std::size_t Matcher::nextCandidate(std::string_view text, std::size_t p) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t boundary = p;  // a known character boundary at or before the scan position
  const int sole = m_dfa.soleStartByte();
  for (std::size_t c = p; c < text.size(); ++c) {
    if (sole >= 0) {
      // A literal or an anchored pattern: let memchr find the one byte.
      const void* found = std::memchr(bytes + c, sole, text.size() - c);
      if (found == nullptr) break;
      c = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes);
    } else if (!m_dfa.canStartWith(bytes[c])) {
      continue;
    }
    std::size_t leadRun = 0;
    while (c - leadRun > boundary && sjis::isLeadByte(bytes[c - leadRun - 1])) ++leadRun;
    if (leadRun % 2 == 0) return c;
    boundary = c + 1;  // c is a trail byte
  }
  return text.size();
}

Matcher::Walk Matcher::walk(std::string_view text, std::size_t p, std::int32_t state) const {
  const std::size_t n = text.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  Walk w;
  std::size_t q = p;
  for (;;) {
    if (m_dfa.accepting(state)) w.longest = q;
    if (q >= n) break;
    unsigned char b = bytes[q];
    bool doubleByte = sjis::isLeadByte(b) && q + 1 < n;
    Dfa::Column column =
        doubleByte ? m_dfa.doubleByteColumn(b, bytes[q + 1]) : m_dfa.singleByteColumn(b);
    std::int32_t next = m_dfa.next(state, column);
    if (next == Dfa::kNoState) break;
    state = next;
    q += doubleByte ? 2 : 1;
  }
  w.stop = q;
  w.state = state;
  return w;
}

std::size_t Matcher::MatchAt(std::string_view text, std::size_t p, std::int32_t state) const {
  if (state == Dfa::kNoState) return npos;
  Walk w = walk(text, p, state);
  if (!m_dfa.HasLineTail()) return w.longest;
  bool atLineTail =
      w.stop >= text.size() || IsLineSeparator(static_cast<unsigned char>(text[w.stop]));
  if (atLineTail && NextState(w.state, m_dfa.lineTailColumn()) != Dfa::kNoState) return w.stop;
  return w.longest;
}

std::size_t Matcher::MatchAtLineHead(std::string_view text, std::size_t p,
                                     std::int32_t state) const {
  if (!m_dfa.HasLineHead()) return MatchAt(text, p, state);
  std::size_t anchored = MatchAt(text, p, NextState(state, m_dfa.lineHeadColumn()));
  if (anchored == npos) return npos;
  std::size_t plain = MatchAt(text, p, state);
  return plain != npos && plain >= anchored ? plain : anchored;
}

std::optional<Match> Matcher::SearchPlain(std::string_view text, std::size_t p) const {
  const std::int32_t start = m_dfa.startState();
  if (p >= text.size()) {
    if (m_dfa.accepting(start)) return Match{p, p};
    return std::nullopt;
  }
  for (p = nextCandidate(text, p); p < text.size();
       p = nextCandidate(text, sjis::nextCharPos(text, p))) {
    std::size_t end = walk(text, p, start).longest;
    if (end != npos) return Match{p, end};
  }
  return std::nullopt;
}

std::optional<Match> Matcher::SearchAnchored(std::string_view text, std::size_t p) const {
  std::size_t end = MatchAtLineHead(text, p, m_dfa.startState());
  if (end != npos) return Match{p, end};
  return SearchFrom(text, p);
}

std::optional<Match> Matcher::SearchFrom(std::string_view text, std::size_t p) const {
  const std::int32_t start = m_dfa.startState();
  for (p = nextCandidate(text, p); p < text.size();
       p = nextCandidate(text, sjis::nextCharPos(text, p))) {
    std::size_t end = MatchAt(text, p, start);
    if (end != npos) return Match{p, end};
    if (text[p] != '\n' || !m_dfa.HasLineHead()) continue;
    end = MatchAtLineHead(text, p + 1, start);
    if (end != npos) return Match{p + 1, end};
  }
  if (m_dfa.HasLineTail() && NextState(start, m_dfa.lineTailColumn()) != Dfa::kNoState)
    return Match{p, p};
  return std::nullopt;
}

}  // namespace namitra::regex
