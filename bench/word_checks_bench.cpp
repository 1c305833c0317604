// The list of the framed word after a fast fill, checked as the window checks it: a turn at
// each dispatch while the window waits, until 30 words are found to fit. Reports the time to
// the 30th word and the longest turn, the longest the window leaves input waiting.
//
//     word_checks_bench [benchmark flags] [DICTIONARY]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/main_dialog.h"
#include "app/memory_settings_store.h"
#include "cli/headless_platform.h"
#include "search/alternatives.h"

namespace vexilo {
namespace {

std::string dictionary = VEXILO_BENCH_DICTIONARY;

struct Sample {
  const char* name;
  const char* file;
};
constexpr Sample Samples[] = {
    {"5x5", "sample-5x5.crs"}, {"9x9", "sample-9x9.crs"}, {"13x13", "sample-13x13.crs"}};

void checkWords(benchmark::State& state, const char* file, int slot) {
  using Clock = std::chrono::steady_clock;
  double longestMs = 0;
  double toThirtyMs = 0;
  std::size_t fitting = 0;
  int turns = 0;
  for (auto _ : state) {
    state.PauseTiming();
    cli::HeadlessPlatform platform(stderr);
    MemorySettingsStore settings;
    MainDialog dialog(platform, settings);
    dialog.OnInitDialog();
    platform.answerFileDialog(std::string(VEXILO_DATA_DIR) + "/" + file);
    dialog.OpenCrosswordFile();
    platform.setControlText(IdDicPath1, dictionary);
    platform.setChecked(IdEnabled1, true);
    dialog.OnCommand(IdSearchFast);
    dialog.OnCommand(IdSearch);
    for (int k = 0; k < slot; ++k) dialog.OnCommand(IdShowResult);
    state.ResumeTiming();
    const auto start = Clock::now();
    turns = 0;
    longestMs = 0;
    while (dialog.alternatives && !dialog.alternatives->done() &&
           dialog.alternatives->fitting() < 30) {
      const auto before = Clock::now();
      dialog.OnTimer(IdWordChecks);
      longestMs = std::max(
          longestMs, std::chrono::duration<double, std::milli>(Clock::now() - before).count());
      ++turns;
    }
    toThirtyMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    fitting = dialog.alternatives ? dialog.alternatives->fitting() : 0;
  }
  state.counters["fitting"] = static_cast<double>(fitting);
  state.counters["turns"] = turns;
  state.counters["longest_turn_ms"] = longestMs;
  state.counters["to_30_ms"] = toThirtyMs;
}

}  // namespace
}  // namespace vexilo

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) vexilo::dictionary = argv[1];
  if (!std::filesystem::exists(vexilo::dictionary)) {
    std::fprintf(stderr, "word_checks_bench: no dictionary %s (tools/make-dictionary makes it)\n",
                 vexilo::dictionary.c_str());
    return 1;
  }
  for (const vexilo::Sample& sample : vexilo::Samples) {
    for (const int slot : {0, 5}) {
      benchmark::RegisterBenchmark(
          (std::string("CheckWords/") + sample.name + "/slot" + std::to_string(slot)).c_str(),
          vexilo::checkWords, sample.file, slot)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
