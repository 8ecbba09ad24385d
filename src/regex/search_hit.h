// One hit of a search in a line of text: where it starts, how long it is and what it matched.
//
// Position is 1-based and, like Length, counted in bytes (a double-byte character counts 2).
// Text is the matched bytes as the caller's source text has them (which may differ from the
// searched text in case). A hit found by RegexFinder::FindAll is never empty.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace namitra::regex {

struct SearchHit {
  std::int32_t position = 0;
  std::int32_t length = 0;
  std::string text;

  friend bool operator==(const SearchHit&, const SearchHit&) = default;
  friend std::ostream& operator<<(std::ostream& out, const SearchHit& hit) {
    return out << "{" << hit.position << ", " << hit.length << ", \"" << hit.text << "\"}";
  }
};

}  // namespace namitra::regex
