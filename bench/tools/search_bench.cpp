// The search-and-replace command's replace-all on long edit texts of lines like
// "IMG_12345 photo.JPG", with one hit on every line: a regular expression (compiled once by the
// engine's cache, each line searched with its line end), a plain text without match case (each
// line lower-cased before searching) and, to tell the engine's share from the editor's, the same
// plain text with match case. Each replacement is one undoable change of one line, so the whole
// run must grow linearly with the number of lines; the complexity fit over 10,000 to 200,000
// lines shows it.
#include "editor/text_editor.h"
#include "photo_names.h"
#include "tools/search_editor.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace namitra;
using tools::SearchOption;

std::string editText(int lines) { return bench::photoNamesText(lines); }

void replaceAllOnEveryLine(benchmark::State& state, tools::SearchOptions options,
                           const char* findString, const char* replacement) {
  const int lines = static_cast<int>(state.range(0));
  const std::string text = editText(lines);
  std::unique_ptr<editor::TextEditor> edit;
  for (auto _ : state) {
    state.PauseTiming();
    // The last run's editor and its undo list are torn down outside the measured time.
    edit = std::make_unique<editor::TextEditor>();
    edit->setText(text);
    tools::SearchEditor search(*edit);
    search.setSearchOptions(options);
    search.setFindString(findString);
    state.ResumeTiming();
    const int replaced = search.ReplaceAll(replacement, false);
    if (replaced != lines) state.SkipWithError("not one hit per line");
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetComplexityN(state.range(0));
}

void BM_RegexReplaceAll(benchmark::State& state) {
  replaceAllOnEveryLine(state, tools::SearchOptions(SearchOption::soRegexp), "p[a-z]+o\\.", "pic.");
}
BENCHMARK(BM_RegexReplaceAll)->RangeMultiplier(10)->Range(10'000, 100'000)->Arg(50'000)->Arg(200'000)
    ->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_LiteralReplaceAllIgnoringCase(benchmark::State& state) {
  replaceAllOnEveryLine(state, tools::SearchOptions(), "PHOTO", "pic");
}
BENCHMARK(BM_LiteralReplaceAllIgnoringCase)->RangeMultiplier(10)->Range(10'000, 100'000)
    ->Arg(50'000)->Arg(200'000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_LiteralReplaceAllMatchingCase(benchmark::State& state) {
  replaceAllOnEveryLine(state, tools::SearchOptions(SearchOption::soMatchCase), "photo", "pic");
}
BENCHMARK(BM_LiteralReplaceAllMatchingCase)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
