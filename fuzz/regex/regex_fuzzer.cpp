// Fuzz target for the regular expression engine: arbitrary bytes as pattern and text.
//
// Input layout: byte 0 holds the switches (bit 0 the fuzzy dictionary, bit 1 LF as the line
// separator), byte 1 the pattern length n (modulo the bytes left), then n bytes of pattern and
// the rest as the searched text. Every input must either compile and match or raise
// RegexSyntaxError; the hits must lie inside the text, in order, without overlap and on
// character boundaries. The text is searched in place, in the fuzzer's own buffer of exactly its
// size, so that the address sanitizer sees any read past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "regex/regex_engine.h"
#include "regex/regex_syntax_error.h"
#include "sjis/char.h"

namespace {

using namespace namitra;

void require(bool condition) {
  if (!condition) std::abort();
}

void checkHits(std::string_view text, const std::vector<regex::SearchHit>& hits) {
  std::size_t previousEnd = 0;
  for (const regex::SearchHit& hit : hits) {
    require(hit.position >= 1 && hit.length > 0);
    auto start = static_cast<std::size_t>(hit.position - 1);
    std::size_t end = start + static_cast<std::size_t>(hit.length);
    require(start >= previousEnd && end <= text.size());
    require(sjis::isCharBoundary(text, start) && sjis::isCharBoundary(text, end));
    require(hit.text == text.substr(start, end - start));
    previousEnd = end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t switches = data[0];
  const std::size_t rest = size - 2;
  const std::size_t patternLength = rest == 0 ? 0 : data[1] % (rest + 1);
  std::string pattern(reinterpret_cast<const char*>(data + 2), patternLength);
  std::string_view text(reinterpret_cast<const char*>(data + 2 + patternLength), rest - patternLength);

  regex::RegexFinder finder;
  finder.setLineSeparator((switches & 2) != 0 ? regex::LineSeparatorMode::ls_LF
                                              : regex::LineSeparatorMode::ls_CRLF);
  try {
    finder.setUseFuzzyDict((switches & 1) != 0);
    finder.setRegExp(pattern);
  } catch (const regex::RegexSyntaxError& error) {
    require(error.ErrorPos() >= 1);
    return 0;
  }
  std::vector<regex::SearchHit> hits;
  int count = finder.FindAll(text, text, hits);
  require(count == static_cast<int>(hits.size()));
  checkHits(text.substr(0, text.find('\0')), hits);
  finder.Search(text);
  return 0;
}
