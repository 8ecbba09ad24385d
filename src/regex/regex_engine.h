// The regular expression objects the rest of the program uses, one layer per class:
//
//   RegexBase     the pattern (RegExp), the fuzzy/synonym pre-processor and a cache of compiled
//                 automata keyed by the rewritten pattern text;
//   RegexMatcher  the line separator (LineSeparator) and the matching routines over the current
//                 automaton;
//   RegexSearcher the built-in fuzzy dictionary and the choice of the first search routine;
//   RegexFinder   FindAll, which the editor runs row by row.
//
// Cache: entry 0 is always the empty pattern; a newly compiled pattern is inserted at index 1;
// a hit does not reorder the entries; when 30 entries are held, the last one (the one compiled
// longest ago) is evicted before a new one is inserted. Setting RegExp to a text seen before
// therefore costs at most 30 string comparisons, no compilation.
//
// Failures: a malformed pattern throws RegexSyntaxError out of setRegExp (and out of the
// dictionary switches, which set RegExp again). A fault found while compiling removes the new
// entry, makes the empty pattern current and empties RegExp; a fault found by the pre-processor
// changes nothing.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/dfa.h"
#include "regex/matcher.h"
#include "regex/pattern_preprocessor.h"
#include "regex/regex_syntax_error.h"
#include "regex/search_hit.h"

namespace namitra::regex {

class RegexBase {
 public:
  static constexpr std::size_t kCacheCapacity = 30;

  RegexBase();
  virtual ~RegexBase() = default;
  RegexBase(const RegexBase&) = delete;
  RegexBase& operator=(const RegexBase&) = delete;

  // The text last set, not the rewritten one.
  const std::string& RegExp() const { return m_regExp; }
  virtual void setRegExp(const std::string& text);

  bool UseFuzzyDict() const { return m_preprocessor.UseFuzzyDict(); }
  void setUseFuzzyDict(bool on);
  bool UseSynonymDict() const { return m_preprocessor.UseSynonymDict(); }
  void setUseSynonymDict(bool on);

  std::size_t cacheCount() const { return m_cache.size(); }
  const std::string& cacheText(std::size_t index) const { return m_cache[index].text; }
  std::size_t currentIndex() const { return m_current; }
  const Dfa& currentDfa() const { return *m_cache[m_current].dfa; }

 protected:
  PatternPreprocessor& preprocessor() { return m_preprocessor; }

 private:
  struct CacheEntry {
    std::string text;
    std::unique_ptr<Dfa> dfa;
  };

  const std::string& rewrite(const std::string& text);
  bool isCurrent(const std::string& text) const;
  void Compile(const std::string& text);

  std::string m_regExp;
  std::vector<CacheEntry> m_cache;
  std::size_t m_current = 0;
  PatternPreprocessor m_preprocessor;
  // The last rewriting, kept because the editor sets the same pattern before every row.
  std::string m_lastRewriteInput;
  bool m_lastRewriteValid = false;
  // True while the current entry is the compilation of RegExp under the current switches.
  bool m_regExpIsCurrent = false;
};

class RegexMatcher : public RegexBase {
 public:
  LineSeparatorMode LineSeparator() const { return m_lineSeparator; }
  void setLineSeparator(LineSeparatorMode mode) { m_lineSeparator = mode; }

  // The matching routines over the current automaton; valid until RegExp is set again.
  Matcher matcher() const { return Matcher(currentDfa(), m_lineSeparator); }

 private:
  LineSeparatorMode m_lineSeparator = LineSeparatorMode::ls_CRLF;
};

enum class SearchRoutine : std::uint8_t { SearchPlain, SearchAnchored, SearchFrom };

class RegexSearcher : public RegexMatcher {
 public:
  RegexSearcher();

  // Also chooses the first search routine: SearchAnchored when the pattern has an anchor,
  // else SearchPlain.
  void setRegExp(const std::string& text) override;
  SearchRoutine searchRoutine() const { return m_searchRoutine; }

  // The current search routine over `text` from `p`.
  std::optional<Match> Search(std::string_view text, std::size_t p = 0) const {
    return run(m_searchRoutine, text, p);
  }

 protected:
  std::optional<Match> run(SearchRoutine routine, std::string_view text, std::size_t p) const;
  SearchRoutine firstRoutine() const;

 private:
  SearchRoutine m_searchRoutine = SearchRoutine::SearchPlain;
};

class RegexFinder : public RegexSearcher {
 public:
  void setRegExp(const std::string& text) override;
  SearchRoutine findRoutine() const { return m_findRoutine; }

  // Appends one hit per non-empty match of the current pattern in `searched`, left to right and
  // without overlap, and returns the number of entries `hits` then holds. Positions and lengths
  // are measured in `searched`; the hit's text is cut from `source`, which has the same byte
  // layout (it may differ in case, and `searched` may end in an added CR LF). Only the first
  // search treats the start of `searched` as a line head: once a search has matched (even
  // empty), the routine stays SearchFrom until RegExp is set again. A NUL byte ends the
  // searched text.
  int FindAll(std::string_view source, std::string_view searched, std::vector<SearchHit>& hits);

 private:
  SearchRoutine m_findRoutine = SearchRoutine::SearchPlain;
};

}  // namespace namitra::regex
