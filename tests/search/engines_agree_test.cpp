#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "search/fast_fill.h"
#include "search/fill_search.h"
#include "support/fill_checker.h"
#include "support/grid_picture.h"
#include "support/quiet_host.h"
#include "support/random_puzzles.h"
#include "support/sjis.h"

// The two engines on the same grids: the fast one fills exactly the grids the dictionary-order
// search fills, star cells included.

namespace vexilo {
namespace {

using test::QuietHost;

using test::sj;

struct Outcomes {
  bool lengthsDiffer = false;  // no two slots of one length: no word can be wanted twice
  bool orderedFilled = false;
  bool fastFilled = false;
  std::optional<std::string> orderedFault;  // of the dictionary-order fill, by the checker
  std::optional<std::string> fastFault;
};

Outcomes runBoth(const PuzzleGrid& puzzle, const std::vector<std::string>& words, int* groups) {
  QuietHost host;
  WordIndex index;
  for (const std::string& word : words) index.addWord(word);
  Outcomes outcomes;

  PuzzleGrid grid = puzzle;
  clearSearchLetters(grid, host);
  spreadFixedLetters(grid, host);
  const PuzzleGrid prepared = grid;
  SlotTable table;
  extractSlots(grid, table);
  const std::vector<test::RunStart> order = test::fillOrderOf(table);
  *groups = 0;
  std::set<int> lengths;
  for (int s = 0; s < table.slotCount; ++s) {
    *groups += table.slots[s].groupState & GroupRoot ? 1 : 0;
    lengths.insert(table.slots[s].length);
  }
  outcomes.lengthsDiffer = static_cast<int>(lengths.size()) == table.slotCount;

  FillSearch search(grid, index, table, host);
  search.fillGroups();
  search.placeFirstCandidates();
  outcomes.orderedFilled = true;
  for (int s = 0; s < table.slotCount; ++s) {
    outcomes.orderedFilled = outcomes.orderedFilled && !table.slots[s].candidates.empty();
  }
  if (outcomes.orderedFilled) outcomes.orderedFault = test::checkFill(prepared, grid, words, order);

  grid = prepared;
  FastFill fast;
  fast.settings.switches.checkInvariants = true;
  outcomes.fastFilled = fast.run(grid, index, table, host) == SearchEnd::Filled;
  if (outcomes.fastFilled) outcomes.fastFault = test::checkFill(prepared, grid, words, order);
  return outcomes;
}

// A ring filled in the order row 3, column 1, row 1, column 3 (slots with star cells first). The
// star cells of row 3 belong to it and take one letter, カ; column 1 meets one of them filled,
// so its own star cell is free of them: アキカ fits it.
TEST(EnginesAgree, AStarCellAWordFilledBeforeHoldsIsBoundByThatWordOnly) {
  const PuzzleGrid ring = test::gridFromPicture({"...", "*#.", "**."});
  const std::vector<std::string> words = {sj("アイウ"), sj("アキカ"), sj("カカク"), sj("ウケク")};
  int groups = 0;
  const Outcomes outcomes = runBoth(ring, words, &groups);
  EXPECT_TRUE(outcomes.orderedFilled);
  EXPECT_EQ(outcomes.orderedFault, std::nullopt);
  EXPECT_TRUE(outcomes.fastFilled);
  EXPECT_EQ(outcomes.fastFault, std::nullopt);
}

// A cell of a mark group that no run holds: the dictionary-order search never writes it.
bool markOutsideRuns(const PuzzleGrid& grid) {
  auto open = [&grid](int row, int column) {
    return row >= 0 && column >= 0 && row < GridSize && column < GridSize &&
           grid.cellAt(PuzzleGrid::indexOf(row, column)).flag != Block;
  };
  for (int i = 0; i < CellCount; ++i) {
    const int r = PuzzleGrid::rowOf(i);
    const int c = PuzzleGrid::columnOf(i);
    if (!open(r, c) || grid.cellAt(i).mark == -1) continue;
    if (!open(r, c - 1) && !open(r, c + 1) && !open(r - 1, c) && !open(r + 1, c)) return true;
  }
  return false;
}

// Random grids with star cells, marks (on other cells) and given letters, in one group: what the
// dictionary-order search fills the fast engine fills, and where no word can be wanted twice,
// so that the dictionary-order search is complete (a word its leaf lists is closed to other
// slots), the other way round too.
TEST(EnginesAgree, RandomGridsWithStarsFillInBothOrInNeither) {
  std::mt19937 random(300);
  int cases = 0, filled = 0, withStars = 0, complete = 0;
  while (cases < 2000) {
    const test::RandomPuzzle c = test::randomPuzzle(random, false);
    if (markOutsideRuns(c.grid)) continue;
    int groups = 0;
    const Outcomes outcomes = runBoth(c.grid, c.words, &groups);
    if (groups != 1) continue;
    ++cases;
    bool stars = false;
    for (int i = 0; i < CellCount; ++i) stars = stars || c.grid.cellAt(i).flag == Star;
    withStars += stars ? 1 : 0;
    if (outcomes.orderedFilled) {
      EXPECT_TRUE(outcomes.fastFilled) << "case " << cases;
    }
    if (outcomes.lengthsDiffer) {
      ++complete;
      EXPECT_EQ(outcomes.orderedFilled, outcomes.fastFilled) << "case " << cases;
    }
    EXPECT_EQ(outcomes.orderedFault, std::nullopt) << "case " << cases;
    EXPECT_EQ(outcomes.fastFault, std::nullopt) << "case " << cases;
    filled += outcomes.fastFilled ? 1 : 0;
  }
  EXPECT_GT(filled, 300);
  EXPECT_GT(withStars, 500);
  EXPECT_GT(complete, 150);
}

}  // namespace
}  // namespace vexilo
