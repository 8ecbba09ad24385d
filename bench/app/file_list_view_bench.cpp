// The file list as the window shows it: 100,000 rows appended to the model behind a visible
// QTreeView, sorted by a header click and filtered, each including the view's own update (a
// paint of the visible rows). Runs on the offscreen platform unless another one is set.
#include "app/file_list_model.h"
#include "sjis/codec.h"

#include <QApplication>
#include <QHeaderView>
#include <QTreeView>

#include <benchmark/benchmark.h>

namespace {

using namespace namitra;

constexpr int kRows = 100'000;

std::vector<rename::FileEntry> rows() {
  const std::string folder = sjis::fromUtf8("/home/user/写真/2024/");
  std::vector<rename::FileEntry> entries;
  entries.reserve(kRows);
  for (int i = 0; i < kRows; ++i)
    entries.push_back({folder, sjis::fromUtf8("写真_" + std::to_string(kRows - i) + ".jpg"), ""});
  return entries;
}

struct ShownList {
  app::FileListModel model;
  QTreeView view;
  ShownList() {
    view.setUniformRowHeights(true);
    view.setRootIsDecorated(false);
    view.setModel(&model);
    view.resize(700, 400);
    view.show();
  }
  void settle() { view.viewport()->repaint(); QApplication::processEvents(); }
};

void BM_AppendRowsToShownList(benchmark::State& state) {
  const auto entries = rows();
  for (auto _ : state) {
    ShownList list;
    list.model.append(entries);
    list.settle();
  }
}
BENCHMARK(BM_AppendRowsToShownList)->Unit(benchmark::kMillisecond);

void BM_SortShownList(benchmark::State& state) {
  ShownList list;
  list.model.append(rows());
  for (auto _ : state) {
    list.model.sortBy(rename::FileListColumn::Name);
    list.settle();
  }
}
BENCHMARK(BM_SortShownList)->Unit(benchmark::kMillisecond);

void BM_FilterShownList(benchmark::State& state) {
  const auto entries = rows();
  const std::string filter = sjis::fromUtf8("_9");
  for (auto _ : state) {
    state.PauseTiming();
    ShownList list;
    list.model.append(entries);
    list.settle();
    state.ResumeTiming();
    list.model.keepNamesContaining(filter);
    list.settle();
  }
}
BENCHMARK(BM_FilterShownList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
