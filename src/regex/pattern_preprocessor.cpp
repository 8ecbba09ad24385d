// The pre-processor's rewriting pass over the token records of a pattern.
#include "regex/pattern_preprocessor.h"

namespace namitra::regex {

namespace {

bool isMetaChar(CharCode c) {
  switch (c) {
    case '^': case '(': case '|': case ')': case '+': case '*':
    case '?': case '.': case '[': case ']': case '$': case '\\':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string PatternPreprocessor::EscapeMeta(std::string_view word) {
  std::string escaped;
  std::int32_t position = 1;
  for (CharCode c = GetChar(word, position); c != 0; c = GetChar(word, position)) {
    if (isMetaChar(c)) escaped += '\\';
    escaped += CharToText(c);
  }
  return escaped;
}

void PatternPreprocessor::Run() {
  m_output = m_scanner.text();
  if (m_useSynonymDict) {
    Rewrite(m_synonymDicts);
    m_scanner.SetText(m_output);
  }
  if (m_useFuzzyDict) Rewrite(m_fuzzyDicts);
}

void PatternPreprocessor::Tokenize() {
  m_tokens.clear();
  m_scanner.SetText(std::string(m_scanner.text()));
  for (;;) {
    std::int32_t start = m_scanner.position();
    TokenKind kind = m_scanner.GetToken();
    if (kind == TokenKind::tk_End) break;
    m_tokens.push_back({kind, m_scanner.code(), start, m_scanner.position()});
  }
  m_tokens.push_back({TokenKind::tk_End, 0, 0, 0});
}

void PatternPreprocessor::appendSource(const TokenRecord& record) {
  if (record.end <= record.start) return;
  m_output.append(m_scanner.text(), static_cast<std::size_t>(record.start - 1),
                  static_cast<std::size_t>(record.end - record.start));
}

void PatternPreprocessor::Rewrite(const DictionaryList& dictionaries) {
  m_output.clear();
  Tokenize();
  bool inClass = false;
  std::size_t i = 0;
  while (i < m_tokens.size()) {
    const TokenRecord& t = m_tokens[i];
    if (t.kind == TokenKind::tk_ClassOpen || t.kind == TokenKind::tk_NegClassOpen) inClass = true;
    if (t.kind == TokenKind::tk_ClassClose) inClass = false;
    if (t.kind != TokenKind::tk_Char || inClass) {
      appendSource(t);
      ++i;
      continue;
    }
    std::size_t j = i;
    while (m_tokens[j].kind == TokenKind::tk_Char) ++j;  // the tk_End record stops the walk
    while (i < j) {
      if (std::optional<std::size_t> r = FindWord(dictionaries, i, j)) {
        m_output += m_replacement;
        i = *r;
      } else {
        appendSource(m_tokens[i]);
        ++i;
      }
    }
  }
}

std::optional<std::size_t> PatternPreprocessor::FindWord(const DictionaryList& dictionaries,
                                                         std::size_t i, std::size_t j) {
  for (const Dictionary* dictionary : dictionaries) {
    for (const DictionaryGroup& group : *dictionary) {
      for (const std::string& word : group) {
        std::optional<std::size_t> r = MatchWord(word, i, j);
        if (!r) continue;
        m_replacement = "(" + EscapeMeta(group.front());
        for (std::size_t w = 1; w < group.size(); ++w) m_replacement += "|" + EscapeMeta(group[w]);
        m_replacement += ")";
        return r;
      }
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> PatternPreprocessor::MatchWord(std::string_view word, std::size_t i,
                                                          std::size_t j) const {
  if (word.empty()) return std::nullopt;
  std::int32_t position = 1;
  std::size_t k = i;
  for (CharCode c = GetChar(word, position); c != 0; c = GetChar(word, position), ++k) {
    if (k >= j || m_tokens[k].code != c) return std::nullopt;
  }
  return k;
}

}  // namespace namitra::regex
