#include <benchmark/benchmark.h>

#include <random>

#include "puzzle/block_rules.h"

namespace vexilo {
namespace {

// A 32 by 32 grid with about one cell in five black, placed at random: it breaks every rule
// in many places, which is the most the check has to report.
PuzzleGrid randomGrid() {
  PuzzleGrid grid;
  std::mt19937 random(22);
  for (int i = 0; i < CellCount; ++i) {
    if (random() % 5 != 0) grid.makeOpen(i);
  }
  return grid;
}

// The same size keeping every rule: black cells alone, two apart, never at a corner.
PuzzleGrid keptGrid() {
  PuzzleGrid grid;
  for (int i = 0; i < CellCount; ++i) {
    const int row = PuzzleGrid::rowOf(i);
    const int column = PuzzleGrid::columnOf(i);
    if (row % 3 != 1 || row == GridSize - 1 || column % 3 != (row / 3) % 3) grid.makeOpen(i);
  }
  return grid;
}

// What runs after each edit in the window: the layout read from the cells and every rule.
void checkAfterAnEdit(benchmark::State& state, const PuzzleGrid& grid) {
  for (auto _ : state) {
    RuleCheck check = checkBlockRules(grid);
    benchmark::DoNotOptimize(check);
  }
}

void BM_RuleCheck32x32Random(benchmark::State& state) { checkAfterAnEdit(state, randomGrid()); }
void BM_RuleCheck32x32Kept(benchmark::State& state) {
  const PuzzleGrid grid = keptGrid();
  if (!checkBlockRules(grid).holds()) state.SkipWithError("the kept grid breaks a rule");
  checkAfterAnEdit(state, grid);
}

BENCHMARK(BM_RuleCheck32x32Random)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RuleCheck32x32Kept)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vexilo

BENCHMARK_MAIN();
