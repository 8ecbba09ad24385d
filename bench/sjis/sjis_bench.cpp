// The hot paths of the code page 932 module at the sizes the program meets: 100,000 file names
// dropped at once, and an edit text of 100,000 lines rewritten once per rule.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/name_codec.h"
#include "sjis/case.h"
#include "sjis/codec.h"
#include "sjis/replace.h"

namespace {

using namespace namitra;

constexpr int kLines = 100000;

// Mixed Japanese and ASCII names, about 30 bytes each in code page 932.
std::string editText() {
  std::string text;
  const std::string line = sjis::fromUtf8("写真_表示ア") + "IMG_0001 (1).JPG";
  for (int i = 0; i < kLines; ++i) text += line + "\r\n";
  return text;
}

std::vector<std::string> utf8Paths(bool withForeignCharacters) {
  std::vector<std::string> paths;
  for (int i = 0; i < kLines; ++i) {
    std::string path = "/home/user/写真/2024/IMG_" + std::to_string(i) + ".JPG";
    if (withForeignCharacters && i % 10 == 0) path += "_café😀";
    paths.push_back(path);
  }
  return paths;
}

void BM_ReplaceAllEditText(benchmark::State& state) {
  const std::string text = editText();
  for (auto _ : state) benchmark::DoNotOptimize(sjis::replaceAll(text, "IMG", "photo"));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReplaceAllEditText)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllNoMatch(benchmark::State& state) {
  const std::string text = editText();
  for (auto _ : state) benchmark::DoNotOptimize(sjis::replaceAll(text, "zzz", "y"));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReplaceAllNoMatch)->Unit(benchmark::kMillisecond);

void BM_ToLowerEditText(benchmark::State& state) {
  const std::string text = editText();
  for (auto _ : state) benchmark::DoNotOptimize(sjis::toLower(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ToLowerEditText)->Unit(benchmark::kMillisecond);

void BM_Cp932ToUtf8EditText(benchmark::State& state) {
  const std::string text = editText();
  for (auto _ : state) benchmark::DoNotOptimize(sjis::toUtf8(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Cp932ToUtf8EditText)->Unit(benchmark::kMillisecond);

void BM_NameCodecDroppedPaths(benchmark::State& state) {
  const std::vector<std::string> paths = utf8Paths(state.range(0) != 0);
  for (auto _ : state) {
    platform::NameCodec codec;
    for (const std::string& path : paths) benchmark::DoNotOptimize(codec.toInternal(path));
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_NameCodecDroppedPaths)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
