#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "dictionary/word_index.h"
#include "puzzle/puzzle_grid.h"
#include "search/fill_search.h"
#include "search/word_slot.h"

namespace vexilo {
namespace {

constexpr int DictionaryWords = 100000;

// Second bytes of katakana ア..ン after 0x83, with voiced forms: the kana of real puzzles.
std::vector<unsigned char> kanaTrailBytes() {
  std::vector<unsigned char> trails;
  for (int t = 0x41; t <= 0x93; ++t) {
    if (t != 0x7F) trails.push_back(static_cast<unsigned char>(t));
  }
  return trails;
}

const WordIndex& randomKanaDictionary() {
  static const WordIndex index = [] {
    WordIndex built;
    std::mt19937 random(20261207);
    const std::vector<unsigned char> trails = kanaTrailBytes();
    std::uniform_int_distribution<int> lengths(2, 13);
    std::uniform_int_distribution<std::size_t> kana(0, trails.size() - 1);
    for (int w = 0; w < DictionaryWords; ++w) {
      std::string word;
      for (int n = lengths(random); n > 0; --n) {
        word += '\x83';
        word += static_cast<char>(trails[kana(random)]);
      }
      built.addWord(word);
    }
    return built;
  }();
  return index;
}

class QuietHost : public FillHost {
 public:
  void cellChanged(int) override {}
  bool pumpMessages() override {
    benchmark::DoNotOptimize(pumps++);
    return false;
  }
  SearchState searchState() const override { return SearchRunning; }
  std::uint64_t pumps = 0;
};

// '#' blocked, '.' open; placed at the top left of the grid.
PuzzleGrid gridOf(const std::vector<std::string>& rows) {
  PuzzleGrid grid;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      if (rows[r][c] != '#') grid.makeOpen(PuzzleGrid::indexOf(int(r), int(c)));
    }
  }
  return grid;
}

// Newspaper rules: symmetric under a half turn, no two blocks side by side.
void checkNewspaperPattern(const std::vector<std::string>& rows) {
  const std::size_t n = rows.size();
  for (std::size_t r = 0; r < n; ++r) {
    for (std::size_t c = 0; c < n; ++c) {
      const bool block = rows[r][c] == '#';
      if (block != (rows[n - 1 - r][n - 1 - c] == '#')) throw std::logic_error("asymmetric");
      if (block && ((c + 1 < n && rows[r][c + 1] == '#') || (r + 1 < n && rows[r + 1][c] == '#'))) {
        throw std::logic_error("blocks side by side");
      }
    }
  }
}

const std::vector<std::string> Grid9 = {
    "..#..#...", "#.......#", "..#....#.", "#....#...", "..#...#..",
    "...#....#", ".#....#..", "#.......#", "...#..#..",
};

const std::vector<std::string> Grid13 = {
    "...#..#...#..", "....#...#..#.", "#.#....#.#...", ".#...#....#.#", "...#..#.#..#.",
    "..#.......#..", ".#...#.#...#.", "..#.......#..", ".#..#.#..#...", "#.#....#...#.",
    "...#.#....#.#", ".#..#...#....", "..#...#..#...",
};

// One leaf walked to its end: the bucket walk, the length rule and the grid test of every
// word of a class, nearly all rejected.
void testCandidates(benchmark::State& state, const std::vector<std::string>& picture) {
  const WordIndex& index = randomKanaDictionary();
  PuzzleGrid grid = gridOf(picture);
  for (int c = 0; c < int(picture[0].size()); c += 2) grid.cellAt(c).flag = Star;
  SlotTable table;
  extractSlots(grid, table);
  QuietHost host;
  std::uint64_t tested = 0;
  for (auto _ : state) {
    clearSearchLetters(grid, host);  // the leaf leaves its first word standing
    FillSearch search(grid, index, table, host);
    search.fillSlot(0);
    tested += search.candidatesTested();
  }
  state.counters["candidates/s"] = benchmark::Counter(double(tested), benchmark::Counter::kIsRate);
}

void BM_CandidateTestStars5(benchmark::State& state) { testCandidates(state, {"....."}); }
void BM_CandidateTestStars9(benchmark::State& state) { testCandidates(state, {"........."}); }
BENCHMARK(BM_CandidateTestStars5);
BENCHMARK(BM_CandidateTestStars9);

// Whole fills as the Search command runs them, from the slot extraction on.
void wholeFill(benchmark::State& state, const std::vector<std::string>& picture) {
  checkNewspaperPattern(picture);
  const WordIndex& index = randomKanaDictionary();
  std::uint64_t tested = 0;
  std::uint64_t placed = 0;
  int filled = 0;
  for (auto _ : state) {
    PuzzleGrid grid = gridOf(picture);
    SlotTable table;
    QuietHost host;
    extractSlots(grid, table);
    FillSearch search(grid, index, table, host);
    search.fillGroups();
    search.placeFirstCandidates();
    tested += search.candidatesTested();
    placed += search.wordsPlaced();
    filled = 0;
    for (int i = 0; i < table.slotCount; ++i) filled += table.slots[i].candidates.empty() ? 0 : 1;
    state.counters["slots"] = table.slotCount;
  }
  state.counters["filled"] = filled;
  state.counters["candidates"] =
      benchmark::Counter(double(tested), benchmark::Counter::kAvgIterations);
  state.counters["placed"] = benchmark::Counter(double(placed), benchmark::Counter::kAvgIterations);
  state.counters["candidates/s"] = benchmark::Counter(double(tested), benchmark::Counter::kIsRate);
}

void BM_WholeFill9x9(benchmark::State& state) { wholeFill(state, Grid9); }
void BM_WholeFill13x13(benchmark::State& state) { wholeFill(state, Grid13); }
BENCHMARK(BM_WholeFill9x9)->Unit(benchmark::kMillisecond);
// Over a billion candidates with this dictionary: one fill is enough for a figure.
BENCHMARK(BM_WholeFill13x13)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vexilo
