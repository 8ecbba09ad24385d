// The engine objects: the compiled-pattern cache, the choice of search routine and FindAll.
#include "regex/regex_engine.h"

#include "regex/nfa.h"
#include "regex/pattern_parser.h"
#include "sjis/char.h"

namespace namitra::regex {

RegexBase::RegexBase() {
  m_cache.push_back({std::string(), nullptr});
  Compile(std::string());
}

const std::string& RegexBase::rewrite(const std::string& text) {
  if (m_lastRewriteValid && text == m_lastRewriteInput) return m_preprocessor.output();
  m_lastRewriteValid = false;
  m_preprocessor.SetText(text);
  m_preprocessor.Run();  // may throw; the cache is not touched yet
  m_lastRewriteInput = text;
  m_lastRewriteValid = true;
  return m_preprocessor.output();
}

bool RegexBase::isCurrent(const std::string& text) const {
  return m_regExpIsCurrent && text == m_regExp;
}

void RegexBase::setRegExp(const std::string& text) {
  if (isCurrent(text)) return;  // the editor sets the same pattern before every row
  m_regExpIsCurrent = false;
  const std::string& rewritten = rewrite(text);
  for (std::size_t i = 0; i < m_cache.size(); ++i) {
    if (m_cache[i].text != rewritten) continue;
    m_current = i;
    m_regExp = text;
    m_regExpIsCurrent = true;
    return;
  }
  if (m_cache.size() == kCacheCapacity) m_cache.pop_back();
  m_cache.insert(m_cache.begin() + 1, {rewritten, nullptr});
  m_current = 1;
  try {
    Compile(rewritten);
  } catch (...) {
    m_cache.erase(m_cache.begin() + 1);
    m_current = 0;
    m_regExp.clear();
    throw;
  }
  m_regExp = text;
  m_regExpIsCurrent = true;
}

void RegexBase::setUseFuzzyDict(bool on) {
  m_preprocessor.setUseFuzzyDict(on);
  m_lastRewriteValid = false;
  m_regExpIsCurrent = false;
  setRegExp(std::string(m_regExp));
}

void RegexBase::setUseSynonymDict(bool on) {
  m_preprocessor.setUseSynonymDict(on);
  m_lastRewriteValid = false;
  m_regExpIsCurrent = false;
  setRegExp(std::string(m_regExp));
}

void RegexBase::Compile(const std::string& text) {
  PatternParser parser(text);
  parser.Parse();
  Nfa nfa(parser.tree());
  nfa.Build();
  auto errorPosition = static_cast<std::int32_t>(text.size() + 1);
  m_cache[m_current].dfa = std::make_unique<Dfa>(Dfa::Build(nfa, errorPosition));
}

RegexSearcher::RegexSearcher() { preprocessor().addFuzzyDict(FuzzyCharDict()); }

SearchRoutine RegexSearcher::firstRoutine() const {
  const Dfa& dfa = currentDfa();
  return dfa.HasLineHead() || dfa.HasLineTail() ? SearchRoutine::SearchAnchored
                                                : SearchRoutine::SearchPlain;
}

void RegexSearcher::setRegExp(const std::string& text) {
  RegexMatcher::setRegExp(text);
  m_searchRoutine = firstRoutine();
}

std::optional<Match> RegexSearcher::run(SearchRoutine routine, std::string_view text,
                                        std::size_t p) const {
  Matcher m = matcher();
  switch (routine) {
    case SearchRoutine::SearchPlain: return m.SearchPlain(text, p);
    case SearchRoutine::SearchAnchored: return m.SearchAnchored(text, p);
    case SearchRoutine::SearchFrom: return m.SearchFrom(text, p);
  }
  return std::nullopt;
}

void RegexFinder::setRegExp(const std::string& text) {
  RegexSearcher::setRegExp(text);
  m_findRoutine = firstRoutine();
}

int RegexFinder::FindAll(std::string_view source, std::string_view searched,
                         std::vector<SearchHit>& hits) {
  searched = searched.substr(0, searched.find('\0'));
  std::size_t offset = 0;
  while (offset < searched.size()) {
    std::optional<Match> match = run(m_findRoutine, searched, offset);
    if (!match) break;
    m_findRoutine = SearchRoutine::SearchFrom;
    if (match->start == match->end) {
      // An empty match is never a hit; step over the first character of the rest.
      offset = sjis::nextCharPos(searched, offset);
      continue;
    }
    std::size_t length = match->end - match->start;
    std::string text;
    if (match->start < source.size()) text = source.substr(match->start, length);
    hits.push_back({static_cast<std::int32_t>(match->start + 1),
                    static_cast<std::int32_t>(length), std::move(text)});
    offset = match->end;
  }
  return static_cast<int>(hits.size());
}

}  // namespace namitra::regex
