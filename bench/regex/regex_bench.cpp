// FindAll over 100,000 Shift-JIS file-name lines, side by side with glibc's regexec and
// std::regex (both on UTF-8 copies of the same lines, compiled once, finding all
// non-overlapping matches of each line as FindAll does).
//
// Our engine is driven as the editor drives it: RegExp is set before every line (a cache hit)
// and FindAll runs on the line. The fuzzy case gives glibc and std::regex the pattern text the
// fuzzy pre-processor produced, converted to UTF-8. Each benchmark reports the hits it found;
// the three engines must agree.
#include <benchmark/benchmark.h>
#include <regex.h>

#include <cstdio>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "regex/regex_engine.h"
#include "sjis/codec.h"

namespace {

using namespace namitra;

struct Corpus {
  std::vector<std::string> sjis;
  std::vector<std::string> utf8;
};

std::string format(const char* pattern, int a, int b = 0, int c = 0) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
  return buffer;
}

const Corpus& corpus() {
  static const Corpus lines = [] {
    static const char* const kTemplates[] = {
        "IMG_%04d.JPG",
        "写真 2024-%02d-%02d (%d).jpeg",
        "ドキュメント_最終版%d.docx",
        "DSC%05d.jpg",
        "スクリーンショット 2023-11-%02d %02d.%02d.png",
        "議事録_第%d回_%d月%d日.txt",
        "report_v%d_final(%d).pdf",
        "ａｌｂｕｍ_%03d_ｉｍｇ.png",
        "旅行/京都 %d日目 img%04d.jpg",
        "見積書-%04d-%d.xlsx",
    };
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> number(1, 28);
    Corpus c;
    for (int i = 0; i < 100000; ++i) {
      const char* t = kTemplates[random() % std::size(kTemplates)];
      std::string line = format(t, number(random) * 37 % 9999, number(random) % 12 + 1, number(random));
      c.utf8.push_back(line);
      c.sjis.push_back(sjis::fromUtf8(line));
    }
    return c;
  }();
  return lines;
}

struct Case {
  const char* name;
  const char* pattern;  // UTF-8
  bool fuzzy;
};

const Case kCases[] = {
    {"literal", "IMG", false},
    {"class_plus", "[0-9]+", false},
    {"alternation", "jpe?g|png|docx", false},
    {"anchored", "^写真", false},
    {"fuzzy", "img", true},
};

// The pattern each engine is given: ours in Shift-JIS, the others the UTF-8 form of what ours
// actually compiles (the fuzzy rewriting included).
struct Patterns {
  std::string sjis;
  std::string utf8;
};

Patterns patternsFor(const Case& c) {
  regex::RegexFinder finder;
  finder.setUseFuzzyDict(c.fuzzy);
  finder.setRegExp(sjis::fromUtf8(c.pattern));
  return {sjis::fromUtf8(c.pattern), sjis::toUtf8(finder.cacheText(finder.currentIndex()))};
}

void ours(benchmark::State& state, const Case& c) {
  const Corpus& lines = corpus();
  Patterns p = patternsFor(c);
  regex::RegexFinder finder;
  finder.setUseFuzzyDict(c.fuzzy);
  std::vector<regex::SearchHit> hits;
  long total = 0;
  for (auto _ : state) {
    total = 0;
    for (const std::string& line : lines.sjis) {
      hits.clear();
      finder.setRegExp(p.sjis);
      total += finder.FindAll(line, line, hits);
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["hits"] = static_cast<double>(total);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(lines.sjis.size()));
}

void glibc(benchmark::State& state, const Case& c) {
  const Corpus& lines = corpus();
  Patterns p = patternsFor(c);
  regex_t compiled;
  if (regcomp(&compiled, p.utf8.c_str(), REG_EXTENDED) != 0) {
    state.SkipWithError("regcomp failed");
    return;
  }
  long total = 0;
  for (auto _ : state) {
    total = 0;
    for (const std::string& line : lines.utf8) {
      const char* at = line.c_str();
      int flags = 0;
      regmatch_t m[1];
      while (*at != '\0' && regexec(&compiled, at, 1, m, flags) == 0) {
        if (m[0].rm_eo > m[0].rm_so) ++total;
        at += m[0].rm_eo > 0 ? m[0].rm_eo : 1;
        flags = REG_NOTBOL;
      }
    }
    benchmark::DoNotOptimize(total);
  }
  regfree(&compiled);
  state.counters["hits"] = static_cast<double>(total);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(lines.utf8.size()));
}

void standard(benchmark::State& state, const Case& c) {
  const Corpus& lines = corpus();
  Patterns p = patternsFor(c);
  // ECMAScript is leftmost-first, not leftmost-longest; the patterns here find the same hits.
  std::regex compiled(p.utf8, std::regex::optimize);
  long total = 0;
  for (auto _ : state) {
    total = 0;
    for (const std::string& line : lines.utf8) {
      for (auto it = std::sregex_iterator(line.begin(), line.end(), compiled);
           it != std::sregex_iterator(); ++it)
        if (it->length(0) > 0) ++total;
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["hits"] = static_cast<double>(total);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(lines.utf8.size()));
}

int registerAll() {
  for (const Case& c : kCases) {
    benchmark::RegisterBenchmark((std::string("namitra/") + c.name).c_str(), ours, c)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("glibc/") + c.name).c_str(), glibc, c)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("std_regex/") + c.name).c_str(), standard, c)->Unit(benchmark::kMillisecond);
  }
  return 0;
}

const int registered = registerAll();

}  // namespace

BENCHMARK_MAIN();
