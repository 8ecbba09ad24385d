// The rename run through the core beside a bare renameat2 loop over the same files, on tmpfs
// (/dev/shm). Both rename N files of one folder to new names; the files are made again before
// every iteration, outside the timing.
//
// The machine is shared, and its speed drifts from one second to the next: BM_CoreOverBareLoop
// therefore runs the bare loop, the core run without a run record and the core run with one (in
// a data folder on the same tmpfs) in every iteration, in turns, and reports the medians of the
// times and of the two ratios to the bare loop (with the lowest and highest for the spread).
#include "platform/name_codec.h"
#include "rename/rename_run.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using namespace namitra;

std::string oldName(long i) { return "IMG_" + std::to_string(100000 + i) + ".jpg"; }
std::string newName(long i) { return "photo" + std::to_string(100000 + i) + ".jpg"; }

// A fresh folder on tmpfs holding `count` empty files, removed at the end.
class Folder {
 public:
  explicit Folder(long count) {
    std::string pattern = "/dev/shm/namitra-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    m_path = pattern + "/";
    for (long i = 0; i < count; ++i) {
      int fd = ::open((m_path + oldName(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      if (fd < 0) throw std::runtime_error("open");
      ::close(fd);
    }
  }
  ~Folder() { std::filesystem::remove_all(m_path); }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

std::vector<std::string> pathsIn(const Folder& folder, long count, std::string (*name)(long)) {
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(count));
  for (long i = 0; i < count; ++i) paths.push_back(folder.path() + name(i));
  return paths;
}

bool bareLoop(const std::vector<std::string>& from, const std::vector<std::string>& to) {
  long failed = 0;
  for (std::size_t i = 0; i < from.size(); ++i)
    failed += ::renameat2(AT_FDCWD, from[i].c_str(), AT_FDCWD, to[i].c_str(), RENAME_NOREPLACE) != 0;
  return failed == 0;
}

void BM_BareRenameat2Loop(benchmark::State& state) {
  const long count = state.range(0);
  std::unique_ptr<Folder> folder;  // made and removed outside the timing
  for (auto _ : state) {
    state.PauseTiming();
    folder.reset();
    folder = std::make_unique<Folder>(count);
    const std::vector<std::string> from = pathsIn(*folder, count, oldName);
    const std::vector<std::string> to = pathsIn(*folder, count, newName);
    state.ResumeTiming();
    if (!bareLoop(from, to)) state.SkipWithError("rename failed");
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void runCore(benchmark::State& state, bool throughCodec) {
  const long count = state.range(0);
  platform::NameCodec codec;
  std::unique_ptr<Folder> folder;
  std::optional<rename::ChangeHistory> history;
  std::optional<rename::RunReport> report;
  for (auto _ : state) {
    state.PauseTiming();
    report.reset();
    history.reset();
    folder.reset();
    folder = std::make_unique<Folder>(count);
    history.emplace();
    rename::FileList list;
    for (long i = 0; i < count; ++i) list.append(rename::FileEntry{folder->path(), oldName(i), newName(i)});
    rename::SystemFileAccess files;
    rename::NativeName native = throughCodec ? rename::nativeNamesOf(codec) : rename::nativeNamesAsTheyAre();
    std::size_t progressCalls = 0;
    rename::RunCallbacks callbacks{{}, [&](std::size_t, std::size_t) { ++progressCalls; }, 500};
    state.ResumeTiming();
    report = rename::actFileListExecute(list, *history, files, native, callbacks);
    if (report->succeeded != static_cast<std::size_t>(count)) state.SkipWithError("rename failed");
    benchmark::DoNotOptimize(progressCalls);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_CoreRun(benchmark::State& state) { runCore(state, true); }
void BM_CoreRunWithoutCodec(benchmark::State& state) { runCore(state, false); }

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double timeBareLoop(long count) {
  Folder folder(count);
  const std::vector<std::string> from = pathsIn(folder, count, oldName);
  const std::vector<std::string> to = pathsIn(folder, count, newName);
  const Clock::time_point start = Clock::now();
  const bool ok = bareLoop(from, to);
  const double milliseconds = millisecondsSince(start);
  return ok ? milliseconds : -1;
}

// The run as the window makes it: names through the codec, progress every 500 rows, and the run
// record when `recording` is given.
double timeCoreRun(long count, const platform::NameCodec& codec, const rename::RunRecording* recording) {
  Folder folder(count);
  rename::FileList list;
  for (long i = 0; i < count; ++i) list.append(rename::FileEntry{folder.path(), oldName(i), newName(i)});
  rename::ChangeHistory history;
  rename::SystemFileAccess files;
  std::size_t progressCalls = 0;
  const rename::RunCallbacks callbacks{{}, [&](std::size_t, std::size_t) { ++progressCalls; }, 500, recording};
  const Clock::time_point start = Clock::now();
  const rename::RunReport report = rename::actFileListExecute(list, history, files, rename::nativeNamesOf(codec), callbacks);
  const double milliseconds = millisecondsSince(start);
  benchmark::DoNotOptimize(progressCalls);
  return report.succeeded == static_cast<std::size_t>(count) ? milliseconds : -1;
}

double ratioSpread(benchmark::State& state, const char* name, const std::vector<double>& ratios) {
  state.counters[std::string(name)] = median(ratios);
  state.counters[std::string(name) + "_min"] = *std::min_element(ratios.begin(), ratios.end());
  state.counters[std::string(name) + "_max"] = *std::max_element(ratios.begin(), ratios.end());
  return median(ratios);
}

void BM_CoreOverBareLoop(benchmark::State& state) {
  const long count = state.range(0);
  platform::NameCodec codec;
  Folder dataFolder(0);
  rename::RunRecording recording;
  recording.dataFolder = dataFolder.path();
  std::vector<double> bare, core, recorded, ratios, recordedRatios;
  for (auto _ : state) {
    // Turns change the order, so that no side always runs on a warmer machine.
    double times[3] = {};
    for (int k = 0; k < 3; ++k) {
      const int side = (k + static_cast<int>(bare.size())) % 3;
      times[side] = side == 0 ? timeBareLoop(count) : timeCoreRun(count, codec, side == 2 ? &recording : nullptr);
    }
    if (times[0] < 0 || times[1] < 0 || times[2] < 0) {
      state.SkipWithError("rename failed");
      return;
    }
    state.SetIterationTime(times[2] / 1000);
    bare.push_back(times[0]);
    core.push_back(times[1]);
    recorded.push_back(times[2]);
    ratios.push_back(times[1] / times[0]);
    recordedRatios.push_back(times[2] / times[0]);
  }
  state.counters["bare_ms"] = median(bare);
  state.counters["core_ms"] = median(core);
  state.counters["recorded_ms"] = median(recorded);
  ratioSpread(state, "ratio", ratios);
  ratioSpread(state, "ratio_recorded", recordedRatios);
  state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_BareRenameat2Loop)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CoreRun)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CoreRunWithoutCodec)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CoreOverBareLoop)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

}  // namespace

BENCHMARK_MAIN();
