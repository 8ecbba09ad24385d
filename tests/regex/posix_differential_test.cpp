// Differential test against glibc's POSIX matcher, which is leftmost-longest too: on generated
// patterns from the syntax the two share (literals, `.`, classes, groups, |, *, +, ?; no anchors)
// and generated texts without CR or LF, both must report the same first match.
//
// The second test runs the same comparison over a small alphabet of single-byte and double-byte
// characters, among them ア (0x83 0x41), whose trail byte is the letter A: the pattern and text
// go to glibc as UTF-8 in a UTF-8 locale, and its offsets are mapped back to Shift-JIS ones. It
// checks double-byte stepping against a matcher that knows nothing of Shift-JIS.
#include <regex.h>

#include <clocale>
#include <optional>
#include <random>
#include <vector>

#include "regex/regex_engine.h"
#include "regex_test_support.h"

namespace namitra::regex {
namespace {

// One character of the generated alphabets, in both encodings.
struct Symbol {
  std::string sjis;
  std::string utf8;
};

class Generator {
 public:
  Generator(std::vector<Symbol> alphabet, std::uint32_t seed)
      : m_alphabet(std::move(alphabet)), m_random(seed) {}

  // A pattern as pairs of Shift-JIS and UTF-8 text.
  Symbol pattern(int depth = 0) { return alternation(depth); }

  std::vector<std::size_t> text() {
    std::vector<std::size_t> symbols(pick(13));
    for (std::size_t& s : symbols) s = pick(m_alphabet.size());
    return symbols;
  }

  const Symbol& symbol(std::size_t i) const { return m_alphabet[i]; }

 private:
  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random); }

  static void append(Symbol& to, const Symbol& part) {
    to.sjis += part.sjis;
    to.utf8 += part.utf8;
  }
  static void append(Symbol& to, const char* text) {
    to.sjis += text;
    to.utf8 += text;
  }

  Symbol alternation(int depth) {
    Symbol result = concatenation(depth);
    while (pick(4) == 0) {
      append(result, "|");
      append(result, concatenation(depth));
    }
    return result;
  }

  Symbol concatenation(int depth) {
    Symbol result;
    std::size_t count = 1 + pick(3);
    for (std::size_t i = 0; i < count; ++i) append(result, postfix(depth));
    return result;
  }

  Symbol postfix(int depth) {
    Symbol result = factor(depth);
    static const char* const kOperators[] = {"*", "+", "?"};
    if (pick(3) == 0) append(result, kOperators[pick(3)]);
    return result;
  }

  Symbol factor(int depth) {
    switch (pick(depth < 3 ? 8 : 6)) {
      case 0: return {".", "."};
      case 1: return charClass();
      case 6:
      case 7: {
        Symbol group{"(", "("};
        append(group, alternation(depth + 1));
        append(group, ")");
        return group;
      }
      default: return m_alphabet[pick(m_alphabet.size())];
    }
  }

  Symbol charClass() {
    Symbol result{"[", "["};
    if (pick(3) == 0) append(result, "^");
    std::size_t count = 1 + pick(3);
    for (std::size_t i = 0; i < count; ++i) append(result, m_alphabet[pick(m_alphabet.size())]);
    append(result, "]");
    return result;
  }

  std::vector<Symbol> m_alphabet;
  std::mt19937 m_random;
};

struct Found {
  std::size_t start;
  std::size_t end;
  friend bool operator==(const Found&, const Found&) = default;
};

std::string describe(const std::optional<Found>& f) {
  return f ? std::to_string(f->start) + "," + std::to_string(f->end) : "none";
}

std::optional<Found> posixSearch(const regex_t& compiled, const std::string& text) {
  regmatch_t match[1];
  if (regexec(&compiled, text.c_str(), 1, match, 0) != 0) return std::nullopt;
  return Found{static_cast<std::size_t>(match[0].rm_so), static_cast<std::size_t>(match[0].rm_eo)};
}

// Maps a UTF-8 byte offset in the text to the Shift-JIS offset of the same character boundary.
std::size_t toSjisOffset(const Generator& g, const std::vector<std::size_t>& text, std::size_t utf8) {
  std::size_t u = 0, s = 0;
  for (std::size_t symbol : text) {
    if (u >= utf8) break;
    u += g.symbol(symbol).utf8.size();
    s += g.symbol(symbol).sjis.size();
  }
  return s;
}

void compareWithPosix(std::vector<Symbol> alphabet, std::uint32_t seed, int patterns) {
  Generator g(std::move(alphabet), seed);
  RegexSearcher searcher;
  int compared = 0;
  for (int i = 0; i < patterns; ++i) {
    Symbol pattern = g.pattern();
    regex_t compiled;
    ASSERT_EQ(regcomp(&compiled, pattern.utf8.c_str(), REG_EXTENDED), 0) << pattern.utf8;
    searcher.setRegExp(pattern.sjis);
    for (int t = 0; t < 6; ++t) {
      std::vector<std::size_t> symbols = g.text();
      Symbol text;
      for (std::size_t s : symbols) {
        text.sjis += g.symbol(s).sjis;
        text.utf8 += g.symbol(s).utf8;
      }
      std::optional<Found> expected = posixSearch(compiled, text.utf8);
      if (expected)
        expected = Found{toSjisOffset(g, symbols, expected->start), toSjisOffset(g, symbols, expected->end)};
      std::optional<Match> ours = searcher.Search(text.sjis);
      std::optional<Found> actual;
      if (ours) actual = Found{ours->start, ours->end};
      ASSERT_EQ(describe(actual), describe(expected))
          << "pattern " << pattern.utf8 << " text " << text.utf8;
      ++compared;
    }
    regfree(&compiled);
  }
  EXPECT_EQ(compared, patterns * 6);
}

TEST(PosixDifferential, AsciiPatternsFindTheSameFirstMatch) {
  std::setlocale(LC_ALL, "C");
  compareWithPosix({{"a", "a"}, {"b", "b"}, {"c", "c"}}, 20261210, 3000);
}

TEST(PosixDifferential, DoubleBytePatternsFindTheSameFirstMatch) {
  if (!std::setlocale(LC_ALL, "C.UTF-8")) GTEST_SKIP() << "no UTF-8 locale";
  auto both = [](const char* utf8) { return Symbol{test::sj(utf8), utf8}; };
  compareWithPosix({both("A"), both("ア"), both("あ"), both("b")}, 932, 1500);
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace namitra::regex
