// The file list with 100,000 rows: taking dropped paths in (conversion at the platform boundary
// and the folder/name split), sorting by a column, and filtering by a text.
#include "platform/name_codec.h"
#include "rename/file_list.h"
#include "sjis/codec.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace namitra;

constexpr int kRows = 100'000;

// Native (UTF-8) paths as a file manager drops them: mostly ASCII, some Japanese, a few with
// characters outside code page 932.
std::vector<std::string> droppedPaths() {
  static const char* const stems[] = {"IMG_", "写真 2024-05-", "ドキュメント_最終版", "café_", "report"};
  static const char* const exts[] = {".JPG", ".jpeg", ".docx", ".txt", ".png"};
  std::vector<std::string> paths;
  paths.reserve(kRows);
  for (int i = 0; i < kRows; ++i)
    paths.push_back("/home/user/写真/2024/" + std::string(stems[i % 5]) + std::to_string(kRows - i) +
                    exts[(i / 5) % 5]);
  return paths;
}

rename::FileList filledList() {
  platform::NameCodec codec;
  rename::FileList list;
  for (const std::string& path : droppedPaths()) list.append(rename::splitPath(*codec.toInternal(path)));
  return list;
}

void BM_AddDroppedPaths(benchmark::State& state) {
  const std::vector<std::string> paths = droppedPaths();
  for (auto _ : state) {
    platform::NameCodec codec;
    std::vector<rename::FileEntry> rows;
    rows.reserve(paths.size());
    for (const std::string& path : paths) rows.push_back(rename::splitPath(*codec.toInternal(path)));
    rename::FileList list;
    list.append(std::move(rows));
    benchmark::DoNotOptimize(list.size());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AddDroppedPaths)->Unit(benchmark::kMillisecond);

void BM_SortByName(benchmark::State& state) {
  const rename::FileList original = filledList();
  for (auto _ : state) {
    state.PauseTiming();
    rename::FileList list = original;
    state.ResumeTiming();
    list.sortBy(rename::FileListColumn::Name);
    benchmark::DoNotOptimize(list.row(0));
  }
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);

void BM_FilterByText(benchmark::State& state) {
  const rename::FileList original = filledList();
  const std::string filter = sjis::fromUtf8("最終版");
  for (auto _ : state) {
    state.PauseTiming();
    rename::FileList list = original;
    state.ResumeTiming();
    benchmark::DoNotOptimize(list.keepNamesContaining(filter));
  }
}
BENCHMARK(BM_FilterByText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
