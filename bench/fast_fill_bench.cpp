#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/whole_fill_support.h"
#include "dictionary/dictionary_file.h"
#include "dictionary/word_index.h"
#include "files/crossword_file.h"
#include "files/text_file.h"
#include "puzzle/puzzle_grid.h"
#include "search/fast_fill.h"
#include "search/fill_search.h"
#include "search/word_slot.h"

// The fast engine against the dictionary-order search on the same grids and words: the
// samples and a 13x13 without its given letters with every word of tools/make-dictionary, and
// two grids that no 20,000 of those words fill. Beside them, the memory of the engine's tables
// with a made-up dictionary of kanji words, thousands of letters at each position.
//
//     fast_fill_bench [benchmark flags] [--budget=CANDIDATES] [DICTIONARY]

using vexilo::bench::everyOpenCellFilled;

namespace vexilo {
namespace {

std::uint64_t candidateBudget = 40'000'000;  // for the dictionary-order search

// Draws nothing. For the dictionary-order search, asks for the stop once the budget is spent.
class QuietHost : public FillHost {
 public:
  explicit QuietHost(std::uint64_t budget) : budget_(budget) {}
  void cellChanged(int) override {}
  bool pumpMessages() override {
    ++pumps_;
    return false;
  }
  SearchState searchState() const override {
    return pumps_ < budget_ ? SearchRunning : SearchCancelled;
  }
  bool stopped() const { return pumps_ >= budget_; }

 private:
  std::uint64_t budget_;
  std::uint64_t pumps_ = 0;
};

struct Case {
  std::string name;
  PuzzleGrid grid;
  std::shared_ptr<const WordIndex> index;
  std::uint64_t decisions = ~std::uint64_t{0};  // the fast search stops after these
  int threads = 1;
  bool firstOnly = false;
  std::chrono::seconds limit{0};  // the fast search stops there, unproven; 0: none
};

// The peak resident memory of the process in bytes; resetPeak() starts a new peak (Linux).
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
double peakBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) return std::strtod(line.c_str() + 6, nullptr) * 1024;
  }
  return 0;
}

void fastFill(benchmark::State& state, const Case& c) {
  SearchEnd outcome = SearchEnd::Stopped;
  std::uint64_t decisions = 0;
  std::uint64_t backtracks = 0;
  std::size_t setBytes = 0;
  std::uint64_t restarts = 0;
  std::uint32_t worstRank = 0;
  bool proven = false;
  resetPeak();
  const double peakBefore = peakBytes();
  for (auto _ : state) {
    QuietHost host(c.decisions);
    PuzzleGrid grid = c.grid;
    SlotTable table;
    clearSearchLetters(grid, host);
    spreadFixedLetters(grid, host);
    extractSlots(grid, table);
    FastFill engine;
    engine.settings.threads = c.threads;
    engine.settings.firstOnly = c.firstOnly;
    if (c.limit.count() > 0) engine.settings.deadline = std::chrono::steady_clock::now() + c.limit;
    outcome = engine.run(grid, *c.index, table, host);
    benchmark::DoNotOptimize(grid);
    decisions = engine.decisions();
    backtracks = engine.backtracks();
    setBytes = engine.wordSetBytes();
    restarts = engine.progress().restarts;
    worstRank = engine.progress().worstRank;
    proven = engine.progress().proven;
  }
  state.counters["restarts"] = static_cast<double>(restarts);
  state.counters["worst_rank"] = static_cast<double>(worstRank);
  state.counters["proven"] = proven ? 1 : 0;
  state.counters["sets_MB"] = static_cast<double>(setBytes) / 1e6;
  state.counters["peak_MB"] = (peakBytes() - peakBefore) / 1e6;
  state.counters["stopped"] = outcome == SearchEnd::Stopped ? 1 : 0;
  state.counters["filled"] = outcome == SearchEnd::Filled ? 1 : 0;
  state.counters["no_fill"] = outcome == SearchEnd::NoFill ? 1 : 0;
  state.counters["decisions"] = static_cast<double>(decisions);
  state.counters["backtracks"] = static_cast<double>(backtracks);
}

void dictionaryOrder(benchmark::State& state, const Case& c) {
  bool filled = false;
  bool stopped = false;
  std::uint64_t tested = 0;
  for (auto _ : state) {
    QuietHost host(candidateBudget);
    PuzzleGrid grid = c.grid;
    SlotTable table;
    clearSearchLetters(grid, host);
    spreadFixedLetters(grid, host);
    extractSlots(grid, table);
    FillSearch search(grid, *c.index, table, host);
    search.fillGroups();
    search.placeFirstCandidates();
    benchmark::DoNotOptimize(grid);
    filled = everyOpenCellFilled(grid);
    stopped = host.stopped();
    tested = search.candidatesTested();
  }
  state.counters["filled"] = filled ? 1 : 0;
  state.counters["stopped"] = stopped ? 1 : 0;
  state.counters["tested"] = static_cast<double>(tested);
}

// 145,000 words of 2 to 6 kanji out of 3,000 two-byte codes, the low ones far more often, as
// in real words; fixed seed.
std::string kanjiDictionary() {
  std::vector<std::string> kanji;
  for (int lead = 0x88; lead <= 0x9F && kanji.size() < 3000; ++lead) {
    for (int second = 0x40; second <= 0xFC && kanji.size() < 3000; ++second) {
      if (second != 0x7F) kanji.push_back({static_cast<char>(lead), static_cast<char>(second)});
    }
  }
  std::mt19937 random(932);
  std::string text;
  for (int w = 0; w < 145000; ++w) {
    const int draw = static_cast<int>(random() % 100);
    const int length = draw < 30 ? 2 : draw < 55 ? 3 : draw < 75 ? 4 : draw < 90 ? 5 : 6;
    for (int p = 0; p < length; ++p) {
      const double u = static_cast<double>(random()) / 4294967296.0;
      text += kanji[static_cast<std::size_t>(u * u * static_cast<double>(kanji.size()))];
    }
    text += '\n';
  }
  return text;
}

std::optional<PuzzleGrid> loadGrid(const std::filesystem::path& path) {
  PuzzleGrid grid;
  if (!loadCrosswordFile(path.string(), grid)) {
    std::fprintf(stderr, "fast_fill_bench: cannot read %s\n", path.string().c_str());
    return std::nullopt;
  }
  return grid;
}

}  // namespace
}  // namespace vexilo

int main(int argc, char** argv) {
  using namespace vexilo;
  benchmark::Initialize(&argc, argv);
  std::string dictionary = VEXILO_BENCH_DICTIONARY;
  bench::readArguments(argc, argv, dictionary, candidateBudget);
  const std::optional<std::string> text = readTextFile(dictionary);
  if (!text) {
    std::fprintf(stderr, "fast_fill_bench: no %s (tools/make-dictionary %s builds it)\n",
                 dictionary.c_str(), dictionary.c_str());
    return 1;
  }
  auto all = std::make_shared<WordIndex>();
  loadDictionaryText(*text, *all);
  auto subset = std::make_shared<WordIndex>();
  loadDictionaryText(bench::spreadSelection(bench::dictionaryLines(*text), 20000), *subset);

  const std::filesystem::path data = VEXILO_DATA_DIR;
  const std::filesystem::path grids = VEXILO_GRID_DIR;
  const std::pair<const char*, std::filesystem::path> wholeDictionary[] = {
      {"sample-5x5", data / "sample-5x5.crs"},
      {"sample-9x9", data / "sample-9x9.crs"},
      {"sample-13x13", data / "sample-13x13.crs"},
      {"13x13-no-given", grids / "13x13-no-given.crs"},
  };
  const std::pair<const char*, std::filesystem::path> unfillable[] = {
      {"open-5x5", grids / "open-5x5.crs"},
      {"blocks-7x7", grids / "blocks-7x7.crs"},
  };
  std::vector<std::unique_ptr<Case>> cases;
  for (const auto& [name, path] : wholeDictionary) {
    const std::optional<PuzzleGrid> grid = loadGrid(path);
    if (!grid) return 1;
    cases.push_back(std::make_unique<Case>(Case{std::string(name) + "/all", *grid, all}));
  }
  for (const auto& [name, path] : unfillable) {
    const std::optional<PuzzleGrid> grid = loadGrid(path);
    if (!grid) return 1;
    cases.push_back(std::make_unique<Case>(Case{std::string(name) + "/20000", *grid, subset}));
  }
  auto kanji = std::make_shared<WordIndex>();
  loadDictionaryText(kanjiDictionary(), *kanji);
  for (const char* name : {"sample-9x9.crs", "sample-13x13.crs"}) {
    std::optional<PuzzleGrid> grid = loadGrid(data / name);
    if (!grid) return 1;
    // Its given letters are kana, which no kanji word has.
    for (int i = 0; i < CellCount; ++i) {
      if (grid->cellAt(i).flag == Fixed) {
        grid->cellAt(i).flag = Open;
        grid->cellAt(i).str.clear();
      }
    }
    std::string caseName = std::string(name).substr(0, std::string_view(name).size() - 4);
    cases.push_back(std::make_unique<Case>(Case{caseName + "-no-given/kanji", *grid, kanji, 2000}));
  }
  for (const auto& c : cases) {
    benchmark::RegisterBenchmark(("Fast/" + c->name).c_str(), fastFill, std::cref(*c))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("DictionaryOrder/" + c->name).c_str(), dictionaryOrder,
                                 std::cref(*c))
        ->Unit(benchmark::kMillisecond);
  }
  // Dense grids, with one and two threads: the best fill proven, or no fill, within a minute;
  // the open 5x5's first fill too. One run each; the CPU time is the whole process's.
  auto common = std::make_shared<WordIndex>();
  loadDictionaryText(bench::firstLines(*text, 20000), *common);
  const std::pair<const char*, const char*> dense[] = {
      {"open-5x5", "open-5x5.crs"},         {"open-6x6", "open-6x6.crs"},
      {"centre-7x7", "centre-7x7.crs"},     {"blocks-7x7", "blocks-7x7.crs"},
      {"blocks-11x11", "blocks-11x11.crs"}, {"blocks-13x13", "blocks-13x13.crs"},
  };
  std::vector<std::unique_ptr<Case>> denseCases;
  for (const auto& [name, file] : dense) {
    const std::optional<PuzzleGrid> grid = loadGrid(grids / file);
    if (!grid) return 1;
    for (const auto& [words, index] : {std::pair{"first20000", common}, std::pair{"all", all}}) {
      for (const int threads : {1, 2}) {
        denseCases.push_back(std::make_unique<Case>(
            Case{std::string("Dense/") + name + "/" + words + "/threads:" + std::to_string(threads),
                 *grid, index, ~std::uint64_t{0}, threads, false, std::chrono::seconds(60)}));
      }
    }
  }
  {
    const std::optional<PuzzleGrid> grid = loadGrid(grids / "open-5x5.crs");
    if (!grid) return 1;
    denseCases.push_back(
        std::make_unique<Case>(Case{"Dense/open-5x5/all/first", *grid, all, ~std::uint64_t{0}, 1,
                                    true, std::chrono::seconds(60)}));
  }
  for (const auto& c : denseCases) {
    benchmark::RegisterBenchmark(c->name.c_str(), fastFill, std::cref(*c))
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
