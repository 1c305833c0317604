#include "app/region_fill.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/fill_search.h"
#include "support/fill_checker.h"
#include "support/quiet_host.h"
#include "support/random_puzzles.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::QuietHost;

int openEmptyCells(const PuzzleGrid& grid) {
  int count = 0;
  for (int c = 0; c < CellCount; ++c) {
    count += grid.cellAt(c).flag != Block && grid.cellAt(c).str.empty() ? 1 : 0;
  }
  return count;
}

// Random small puzzles, filled whole first; then a random rectangle is emptied (now and then
// with a given letter put into it, which may leave it no fill) and filled again alone. Every
// letter outside stays; the fill is valid with those letters given (each word once in the whole
// grid), and no fill is reported only when an enumeration of every letter finds none.
TEST(RegionFill, KeepsEveryLetterOutsideTheRegionOnRandomGrids) {
  std::mt19937 random(20261209);
  const std::string givens[] = {test::sj("ア"), test::sj("イ"), test::sj("ウ")};
  int cases = 0, filled = 0, blocked = 0;
  while (cases < 300) {
    test::RandomPuzzle c = test::randomPuzzle(random);
    WordIndex index;
    for (const std::string& word : c.words) index.addWord(word);
    PuzzleGrid grid = test::preparedGrid(c.grid);
    SlotTable table;
    extractSlots(grid, table);
    FastFill engine;
    QuietHost host;
    if (engine.run(grid, index, table, host) != SearchEnd::Filled) continue;

    const int top = static_cast<int>(random() % 4);
    const int left = static_cast<int>(random() % 4);
    const CellRectangle region{top, left, top + 1 + static_cast<int>(random() % (4 - top)),
                               left + 1 + static_cast<int>(random() % (4 - left))};
    clearRegionLetters(grid, region, host);
    if (random() % 2 == 0) {
      const auto within = [&random](int span) { return static_cast<int>(random() % span); };
      const int cell = PuzzleGrid::indexOf(region.top + within(region.height()),
                                           region.left + within(region.width()));
      if (grid.cellAt(cell).flag != Block) {
        grid.cellAt(cell).flag = Fixed;
        grid.cellAt(cell).str = givens[random() % 3];
      }
    }
    spreadFixedLetters(grid, host);
    if (openEmptyCells(grid) > 11) continue;  // beyond what the enumeration does quickly
    ++cases;
    const PuzzleGrid before = grid;
    extractSlots(grid, table);
    engine.forget();
    const SearchEnd end = fillRegion(grid, index, table, engine, host, region);
    const std::string where = "case " + std::to_string(cases);

    for (int cell = 0; cell < CellCount; ++cell) {
      if (region.contains(PuzzleGrid::rowOf(cell), PuzzleGrid::columnOf(cell))) continue;
      ASSERT_EQ(grid.cellAt(cell).str, before.cellAt(cell).str) << where << ", cell " << cell;
    }
    const std::vector<test::RunStart> order = test::fillOrderOf(table);
    if (end == SearchEnd::Filled) {
      ++filled;
      EXPECT_EQ(test::checkFill(before, grid, c.words, order), std::nullopt) << where;
    } else {
      ASSERT_EQ(end, SearchEnd::NoFill) << where;
      ++blocked;
      EXPECT_TRUE(test::enumerateFills(before, c.words, order).empty()) << where;
    }
  }
  EXPECT_GT(filled, 100);
  EXPECT_GT(blocked, 10);
}

}  // namespace
}  // namespace vexilo
