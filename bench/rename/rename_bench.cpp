// The rename run through the core beside a bare renameat2 loop over the same files, on tmpfs
// (/dev/shm). Both rename N files of one folder to new names; the files are made again before
// every iteration, outside the timing.
#include "platform/name_codec.h"
#include "rename/rename_run.h"

#include <benchmark/benchmark.h>

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

void BM_BareRenameat2Loop(benchmark::State& state) {
  const long count = state.range(0);
  std::unique_ptr<Folder> folder;  // made and removed outside the timing
  for (auto _ : state) {
    state.PauseTiming();
    folder.reset();
    folder = std::make_unique<Folder>(count);
    std::vector<std::string> from, to;
    for (long i = 0; i < count; ++i) {
      from.push_back(folder->path() + oldName(i));
      to.push_back(folder->path() + newName(i));
    }
    state.ResumeTiming();
    long failed = 0;
    for (long i = 0; i < count; ++i)
      failed += ::renameat2(AT_FDCWD, from[i].c_str(), AT_FDCWD, to[i].c_str(), RENAME_NOREPLACE) != 0;
    if (failed) state.SkipWithError("rename failed");
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

BENCHMARK(BM_BareRenameat2Loop)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CoreRun)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CoreRunWithoutCodec)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
