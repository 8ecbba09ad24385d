// The fuzzy (and synonym) pre-processor: rewrites the literal characters of a pattern before
// compilation.
//
// The pattern is cut into tokens with a PatternScanner. In every run of literal characters
// outside classes, the dictionaries are searched for a word that the characters starting there
// spell; the first word found (dictionaries, groups and words in order, not the longest) is
// replaced by a group of all the words of its dictionary group, each with the pattern's
// operator characters escaped: `a` becomes `(Ａ|ａ|A|a)`, so `a*` becomes `(Ａ|ａ|A|a)*`.
// Operators, anchors, `.`, classes and parentheses are copied unchanged, and so is a literal
// that no word matches (an escape keeps its written form: `\.` stays `\.` unless a word matches).
//
// With both switches off the output is the pattern itself, byte for byte. With a switch on, a
// pattern that the scanner rejects throws RegexSyntaxError with the scanner's message and its
// position in the text being rewritten. The dictionaries are not owned.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "regex/fuzzy_dictionary.h"
#include "regex/pattern_scanner.h"

namespace namitra::regex {

class PatternPreprocessor {
 public:
  void SetText(std::string pattern) { m_scanner.SetText(std::move(pattern)); }
  // Rewrites the text: first with the synonym dictionaries when UseSynonymDict is on, then with
  // the fuzzy dictionaries when UseFuzzyDict is on.
  void Run();
  const std::string& output() const { return m_output; }

  bool UseFuzzyDict() const { return m_useFuzzyDict; }
  void setUseFuzzyDict(bool on) { m_useFuzzyDict = on; }
  bool UseSynonymDict() const { return m_useSynonymDict; }
  void setUseSynonymDict(bool on) { m_useSynonymDict = on; }
  void addFuzzyDict(const Dictionary& dictionary) { m_fuzzyDicts.push_back(&dictionary); }
  void addSynonymDict(const Dictionary& dictionary) { m_synonymDicts.push_back(&dictionary); }

  // The word with a backslash before each of ^ ( | ) + * ? . [ ] $ and the backslash.
  static std::string EscapeMeta(std::string_view word);

 private:
  struct TokenRecord {
    TokenKind kind;
    CharCode code;
    std::int32_t start;  // 1-based; the token's source text is [start, end)
    std::int32_t end;
  };
  using DictionaryList = std::vector<const Dictionary*>;

  void Tokenize();
  void Rewrite(const DictionaryList& dictionaries);
  void appendSource(const TokenRecord& record);
  // The index after the records spelled by a word found at record i (before record j), with
  // m_replacement set to the word's group; nothing when no word matches there.
  std::optional<std::size_t> FindWord(const DictionaryList& dictionaries, std::size_t i,
                                      std::size_t j);
  std::optional<std::size_t> MatchWord(std::string_view word, std::size_t i, std::size_t j) const;

  PatternScanner m_scanner;
  std::string m_output;
  DictionaryList m_synonymDicts;
  DictionaryList m_fuzzyDicts;
  std::vector<TokenRecord> m_tokens;
  std::string m_replacement;
  bool m_useFuzzyDict = false;
  bool m_useSynonymDict = false;
};

}  // namespace namitra::regex
