// The two whole-text name tools on long edit texts of lines like "IMG_12345 photo.JPG": applying
// a format expression (one ExpandFormat and one `Lines` put per line) and a batch replace of ten
// grid rules (one whole-text read, replace-all and write per rule). Both must grow linearly with
// the number of lines; the complexity fit over 10,000 to 200,000 lines shows it. The editor's
// round trip of the whole text and ExpandFormat alone are measured too, to tell where the time
// of the two tools goes.
#include "editor/text_editor.h"
#include "photo_names.h"
#include "platform/rule_file.h"
#include "tools/format_expression.h"
#include "tools/format_tool.h"
#include "tools/replace_list.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace namitra;

std::string editText(int lines) { return bench::photoNamesText(lines); }

// Ten rules: seven that match on every line, three that match nowhere.
std::vector<platform::Rule> tenRules() {
  std::vector<platform::Rule> rules;
  for (const char* line : {"IMG_=P_", "photo=pic", ".JPG=.jpg", " =_", "P_0=P_", "pic=picture", "_pic=-pic",
                           "xyz=never", "%%=never", "GIF=png"})
    rules.push_back(platform::Rule::fromLine(line));
  return rules;
}

void BM_ApplyFormat(benchmark::State& state) {
  const std::string text = editText(static_cast<int>(state.range(0)));
  editor::TextEditor edit;
  for (auto _ : state) {
    state.PauseTiming();
    edit.setText(text);
    state.ResumeTiming();
    benchmark::DoNotOptimize(tools::applyFormat(edit, "IMG_%NUM%.%F_EXTaa%", {1, 6}));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ApplyFormat)->RangeMultiplier(10)->Range(10'000, 100'000)->Arg(50'000)->Arg(200'000)
    ->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_ApplyTenGridRules(benchmark::State& state) {
  const std::string text = editText(static_cast<int>(state.range(0)));
  const std::vector<platform::Rule> grid = tenRules();
  editor::TextEditor edit;
  const tools::LogSink ignore = [](const std::string&) {};
  for (auto _ : state) {
    state.PauseTiming();
    edit.setText(text);
    state.ResumeTiming();
    tools::applyReplaceLists(edit, grid, {}, "/nonexistent", ignore);
    benchmark::DoNotOptimize(edit.lineCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ApplyTenGridRules)->RangeMultiplier(10)->Range(10'000, 100'000)->Arg(50'000)->Arg(200'000)
    ->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// What each rule costs the editor alone: reading and writing the whole text once.
void BM_EditorWholeTextRoundTrip(benchmark::State& state) {
  editor::TextEditor edit;
  edit.setText(editText(static_cast<int>(state.range(0))));
  for (auto _ : state) edit.setText(edit.text());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EditorWholeTextRoundTrip)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The format's own share: the expansion of every line without the editor.
void BM_ExpandFormatOnly(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int i = 0; i < lines; ++i)
      benchmark::DoNotOptimize(tools::ExpandFormat("IMG_%NUM%.%F_EXTaa%", "IMG_12345 photo.JPG",
                                                   tools::RunningNumberText(i + 1, 6)));
  }
  state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_ExpandFormatOnly)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
