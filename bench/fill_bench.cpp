#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/whole_fill_support.h"
#include "dictionary/dictionary_file.h"
#include "dictionary/word_index.h"
#include "files/crossword_file.h"
#include "files/text_file.h"
#include "puzzle/puzzle_grid.h"
#include "search/fill_search.h"
#include "search/word_slot.h"

// Whole fills of the sample puzzles, as one press of Search does them: with the samples' own
// words, with the dictionary of tools/make-dictionary cut down to several sizes, and with both.
//
//     fill_bench [benchmark flags] [--budget=CANDIDATES] [DICTIONARY]

using vexilo::bench::dictionaryLines;
using vexilo::bench::everyOpenCellFilled;
using vexilo::bench::spreadSelection;

namespace vexilo {
namespace {

// The search tests words in the thousands of millions before it gives up on some puzzles, so
// each fill is stopped after this many candidates, as a second press of Search would stop it.
std::uint64_t candidateBudget = 40'000'000;

// Draws nothing; asks for the stop once the budget is spent.
class QuietHost : public FillHost {
 public:
  void cellChanged(int) override {}
  bool pumpMessages() override {
    ++pumps_;
    return false;
  }
  SearchState searchState() const override {
    return pumps_ < candidateBudget ? SearchRunning : SearchCancelled;
  }
  bool stopped() const { return pumps_ >= candidateBudget; }

 private:
  std::uint64_t pumps_ = 0;  // one per candidate
};

struct Sample {
  const char* name;
  const char* file;
};
constexpr Sample Samples[] = {
    {"5x5", "sample-5x5.crs"},
    {"9x9", "sample-9x9.crs"},
    {"13x13", "sample-13x13.crs"},
};

// Word counts of the cut-down dictionaries; 0 stands for every word.
constexpr int DictionarySizes[] = {10000, 50000, 100000, 0};

void wholeFill(benchmark::State& state, const PuzzleGrid& puzzle,
               std::shared_ptr<const WordIndex> index, std::size_t words) {
  std::uint64_t tested = 0;
  std::uint64_t placed = 0;
  int slots = 0;
  bool filled = false;
  bool stopped = false;
  for (auto _ : state) {
    QuietHost host;
    PuzzleGrid grid = puzzle;
    SlotTable table;
    clearSearchLetters(grid, host);
    spreadFixedLetters(grid, host);
    extractSlots(grid, table);
    FillSearch search(grid, *index, table, host);
    search.fillGroups();
    search.placeFirstCandidates();
    benchmark::DoNotOptimize(grid);
    tested = search.candidatesTested();
    placed = search.wordsPlaced();
    slots = table.slotCount;
    filled = everyOpenCellFilled(grid);
    stopped = host.stopped();
  }
  state.counters["words"] = static_cast<double>(words);
  state.counters["slots"] = slots;
  state.counters["filled"] = filled ? 1 : 0;
  state.counters["tested"] = static_cast<double>(tested);
  state.counters["placed"] = static_cast<double>(placed);
  state.counters["stopped"] = stopped ? 1 : 0;
  state.counters["ns_per_test"] = benchmark::Counter(
      static_cast<double>(tested),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace
}  // namespace vexilo

int main(int argc, char** argv) {
  using namespace vexilo;
  benchmark::Initialize(&argc, argv);
  std::string dictionary = VEXILO_BENCH_DICTIONARY;
  bench::readArguments(argc, argv, dictionary, candidateBudget);

  std::vector<std::pair<std::string, PuzzleGrid>> puzzles;
  for (const Sample& sample : Samples) {
    const std::string path = (std::filesystem::path(VEXILO_DATA_DIR) / sample.file).string();
    PuzzleGrid grid;
    if (!loadCrosswordFile(path, grid)) {
      std::fprintf(stderr, "fill_bench: cannot read the sample puzzle %s\n", path.c_str());
      return 1;
    }
    puzzles.emplace_back(sample.name, grid);
  }
  auto registerFills = [&](const std::string& suffix, std::shared_ptr<const WordIndex> index,
                           std::size_t words) {
    for (const auto& [name, grid] : puzzles) {
      const std::string title = "WholeFill/" + name + "/" + suffix;
      benchmark::RegisterBenchmark(title.c_str(), wholeFill, grid, index, words)
          ->Unit(benchmark::kMillisecond);
    }
  };

  // The samples' own dictionary always fills them: the cost of the grid alone.
  const std::string samplePath = (std::filesystem::path(VEXILO_DATA_DIR) / "sample.dic").string();
  auto sampleIndex = std::make_shared<WordIndex>();
  if (!loadDictionaryFile(samplePath, *sampleIndex)) {
    std::fprintf(stderr, "fill_bench: cannot read %s\n", samplePath.c_str());
    return 1;
  }
  registerFills("sample", sampleIndex, sampleIndex->wordCount());

  const std::optional<std::string> text = readTextFile(dictionary);
  if (!text) {
    std::fprintf(stderr,
                 "fill_bench: fills with the large dictionary skipped: no %s "
                 "(tools/make-dictionary %s builds it)\n",
                 dictionary.c_str(), dictionary.c_str());
  } else {
    const std::vector<std::string> lines = dictionaryLines(*text);
    for (int size : DictionarySizes) {
      const auto wanted = static_cast<std::size_t>(size);
      if (size != 0 && wanted >= lines.size()) continue;  // the whole dictionary comes last
      const std::size_t words = size == 0 ? lines.size() : wanted;
      const std::string selection = spreadSelection(lines, words);
      auto index = std::make_shared<WordIndex>();
      loadDictionaryText(selection, *index);
      registerFills(std::to_string(words), index, words);
      // The samples' words as row 1 before the large dictionary as row 2.
      auto both = std::make_shared<WordIndex>();
      loadDictionaryFile(samplePath, *both);
      loadDictionaryText(selection, *both);
      registerFills("sample+" + std::to_string(words), both, both->wordCount());
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
