// The edit text's find-and-replace engine: a find string, a set of search options, the hits of
// one line, the whole-word test, the step that selects the next hit after the caret, and the
// replace-all loop the search-and-replace command runs.
//
// Everything is counted in bytes of Shift-JIS text, hit positions from 1; a double-byte
// character is never split. Without match case, the line and the find string are both
// lower-cased (length-keeping) before searching, so in regular-expression mode the pattern's
// escapes and ranges are lower-cased too. In regular-expression mode a line is searched with
// CR LF appended unless it is the last line of a text without a final line break, so a hit may
// include the line end; patterns are compiled by the engine's cache, once per distinct text.
// Hits that begin after byte 1000 of a line are never found by FindNextHit.
#pragma once

#include "editor/text_editor.h"
#include "regex/regex_engine.h"
#include "regex/search_hit.h"

#include <string>
#include <string_view>
#include <vector>

namespace namitra::tools {

enum class SearchOption : unsigned { soMatchCase = 1, soRegexp = 2, soFuzzy = 4, soWholeWord = 8 };

class SearchOptions {
 public:
  constexpr SearchOptions() = default;
  constexpr SearchOptions(SearchOption option) : m_bits(static_cast<unsigned>(option)) {}

  constexpr bool has(SearchOption option) const {
    return (m_bits & static_cast<unsigned>(option)) != 0;
  }
  constexpr SearchOptions with(SearchOption option) const {
    SearchOptions result = *this;
    result.m_bits |= static_cast<unsigned>(option);
    return result;
  }
  constexpr SearchOptions operator|(SearchOption option) const { return with(option); }
  friend constexpr bool operator==(SearchOptions, SearchOptions) = default;

 private:
  unsigned m_bits = 0;
};

// The set the editor keeps for `requested`: with soRegexp, soRegexp plus soFuzzy and
// soMatchCase as asked (never soWholeWord); without it, soWholeWord and soMatchCase as asked
// (never soFuzzy).
SearchOptions normalizedSearchOptions(SearchOptions requested);

class SearchEditor {
 public:
  // The engine of `edit`, which must outlive it.
  explicit SearchEditor(editor::TextEditor& edit);

  const std::string& FindString() const { return m_findString; }
  void setFindString(std::string text) { m_findString = std::move(text); }

  SearchOptions searchOptions() const { return m_options; }
  // Stores the normalised set. Asking for soRegexp also sets the engine's fuzzy dictionary
  // switch to whether soFuzzy was asked; without soRegexp the switch stays as it was.
  void setSearchOptions(SearchOptions options);

  // Rebuilds the hit list for line `lineIndex` (a line past the last one is empty) and returns
  // the number of hits. Throws RegexSyntaxError for a malformed pattern.
  int CollectLineHits(int lineIndex);
  const std::vector<regex::SearchHit>& hits() const { return m_hits; }

  // True when the `length` bytes at 1-based `position` of `text` change character class at
  // both edges (see char_class.h).
  bool IsWholeWordHit(std::string_view text, int position, int length) const;

  // Selects the first hit that begins at or after the caret, searching on from the caret's line;
  // false (caret and selection unchanged) when there is none.
  bool FindNextHit();

  // Replaces every hit from the start of the text by `replacement`, each as one undoable change,
  // and returns the count. Unless `noUpdateBracket`, the whole run is one update bracket.
  int ReplaceAll(std::string_view replacement, bool noUpdateBracket);

  regex::RegexFinder& regexFinder() { return m_finder; }

 private:
  int collectLiteralHits(std::string_view line, std::string_view searched, std::string_view pattern);
  // The line's first hit that begins after byte `offset`, or nullptr when there is none or it
  // begins after byte 1000.
  const regex::SearchHit* firstHitAfter(int lineIndex, int offset);

  editor::TextEditor& m_edit;
  regex::RegexFinder m_finder;
  std::string m_findString;
  SearchOptions m_options;
  std::vector<regex::SearchHit> m_hits;
};

}  // namespace namitra::tools
