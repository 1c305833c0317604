#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/puzzle_generator.h"
#include "dictionary/dictionary_file.h"
#include "dictionary/word_index.h"
#include "files/text_file.h"
#include "puzzle/puzzle_grid.h"
#include "search/fast_fill.h"
#include "search/word_slot.h"

// Whole runs of the generator, point symmetric, with every word of tools/make-dictionary: ten
// seeds a size, one line each on standard error, the median and the worst over them as
// counters. The time is the process's CPU time, which other programs on the machine disturb
// less than the wall clock.
//
//     generate_bench [benchmark flags] [--seeds=N] [--work=FACTOR] [DICTIONARY]

namespace vexilo {
namespace {

int seeds = 10;
double workFactor = 1;  // --work: times the generator's own budget of decisions

class QuietHost : public FillHost {
 public:
  void cellChanged(int) override {}
  bool pumpMessages() override { return false; }
  SearchState searchState() const override { return SearchRunning; }
};

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename T>
T worst(const std::vector<T>& values) {
  return *std::max_element(values.begin(), values.end());
}

void generate(benchmark::State& state, const WordIndex& index, int side) {
  std::vector<double> seconds;
  std::vector<double> worstRanks;
  std::vector<double> medianRanks;
  std::vector<double> layouts;
  int filled = 0;
  for (auto _ : state) {
    for (int seed = 1; seed <= seeds; ++seed) {
      PuzzleGrid grid;
      SlotTable table;
      FastFill engine;
      QuietHost host;
      GenerateRequest request;
      request.width = side;
      request.height = side;
      request.seed = static_cast<std::uint64_t>(seed);
      request.decisions =
          static_cast<std::uint64_t>(static_cast<double>(generateBudget(side * side)) * workFactor);
      const double start = cpuSeconds();
      const GenerateOutcome outcome = generatePuzzle(grid, table, index, engine, host, request);
      seconds.push_back(cpuSeconds() - start);
      worstRanks.push_back(outcome.worstRank);
      medianRanks.push_back(outcome.medianRank);
      layouts.push_back(outcome.layoutsTried);
      filled += outcome.filled ? 1 : 0;
      std::fprintf(stderr,
                   "%dx%d seed %d: %s, layouts %d, worst rank %u (%s), median rank %u, "
                   "longest word %d, decisions %llu, cpu %.2f s\n",
                   side, side, seed, outcome.filled ? "filled" : "NOT FILLED", outcome.layoutsTried,
                   outcome.worstRank, outcome.proven ? "proven best" : "not proven",
                   outcome.medianRank, outcome.longestWord,
                   static_cast<unsigned long long>(outcome.decisions), seconds.back());
    }
  }
  state.counters["filled"] = filled;
  state.counters["median_s"] = median(seconds);
  state.counters["worst_s"] = worst(seconds);
  state.counters["median_worst_rank"] = median(worstRanks);
  state.counters["worst_rank"] = worst(worstRanks);
  state.counters["median_rank"] = median(medianRanks);
  state.counters["median_layouts"] = median(layouts);
  state.counters["most_layouts"] = worst(layouts);
}

}  // namespace
}  // namespace vexilo

int main(int argc, char** argv) {
  using namespace vexilo;
  benchmark::Initialize(&argc, argv);
  std::string dictionary = VEXILO_BENCH_DICTIONARY;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.starts_with("--seeds=")) {
      seeds = std::max(1, std::atoi(argv[i] + 8));
    } else if (argument.starts_with("--work=")) {
      workFactor = std::max(0.01, std::atof(argv[i] + 7));
    } else {
      dictionary = argument;
    }
  }
  const std::optional<std::string> text = readTextFile(dictionary);
  if (!text) {
    std::fprintf(stderr, "generate_bench: no %s (tools/make-dictionary %s builds it)\n",
                 dictionary.c_str(), dictionary.c_str());
    return 1;
  }
  WordIndex index;
  loadDictionaryText(*text, index);
  for (const int side : {13, 15, 21, 32}) {
    const std::string name = "Generate/" + std::to_string(side) + "x" + std::to_string(side);
    benchmark::RegisterBenchmark(name.c_str(), generate, std::cref(index), side)
        ->Iterations(1)
        ->Unit(benchmark::kSecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
