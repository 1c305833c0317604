#include "puzzle/grid_history.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/grid_picture.h"

namespace vexilo {
namespace {

using test::gridFromPicture;
using test::pictureOf;

bool sameGrid(const PuzzleGrid& a, const PuzzleGrid& b) {
  if (a.nextMark() != b.nextMark()) return false;
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox &x = a.cellAt(i), &y = b.cellAt(i);
    if (x.str != y.str || x.flag != y.flag || x.mark != y.mark) return false;
  }
  return true;
}

// One random change of the kinds the window makes, texts of up to 511 bytes included.
void randomEdit(PuzzleGrid& grid, std::mt19937& random) {
  const int cell = static_cast<int>(random() % CellCount);
  switch (random() % 5) {
    case 0: grid.makeOpen(cell); break;
    case 1: grid.makeBlock(cell); break;
    case 2: grid.linkCells(cell, static_cast<int>((cell + 1 + random() % 40) % CellCount)); break;
    case 3:
      grid.cellAt(cell).str = std::string(random() % 3 == 0 ? 511 : 2, char('A' + random() % 26));
      grid.cellAt(cell).flag = Fixed;
      break;
    default: grid.clearGrid(); break;
  }
}

TEST(GridHistory, UndoAllGivesTheStartAndRedoAllTheEnd) {
  std::mt19937 random(14);
  PuzzleGrid grid = gridFromPicture({"ア.*", "#.イ"});
  const PuzzleGrid start = grid;
  GridHistory history;
  history.reset(grid);
  std::vector<PuzzleGrid> states{grid};
  for (int step = 0; step < 1500; ++step) {
    randomEdit(grid, random);
    if (history.record(grid, {step % 17, step % 5})) states.push_back(grid);
  }
  ASSERT_EQ(history.stepCount(), states.size() - 1);
  ASSERT_GT(history.stepCount(), 1000u);

  ViewOffsets view;
  for (std::size_t k = states.size() - 1; k > 0; --k) {
    ASSERT_TRUE(history.undo(grid, view));
    ASSERT_TRUE(sameGrid(grid, states[k - 1])) << "undo to state " << k - 1;
  }
  EXPECT_FALSE(history.undo(grid, view));
  EXPECT_TRUE(sameGrid(grid, start));
  EXPECT_EQ(view, (ViewOffsets{0, 0}));  // where the first step was made

  while (history.redo(grid, view)) {
  }
  EXPECT_TRUE(sameGrid(grid, states.back()));
  EXPECT_LT(history.byteSize(), std::size_t{4} << 20);
}

TEST(GridHistory, ANewChangeDropsWhatCouldBeRedone) {
  PuzzleGrid grid;
  GridHistory history;
  history.reset(grid);
  EXPECT_FALSE(history.record(grid, {}));  // nothing changed, no step

  grid.makeOpen(0);
  history.record(grid, {});
  grid.linkCells(0, 1);
  history.record(grid, {3, 4});
  ViewOffsets view;
  ASSERT_TRUE(history.undo(grid, view));
  EXPECT_EQ(pictureOf(grid, 1, 2), (std::vector<std::string>{".#"}));
  EXPECT_EQ(view, (ViewOffsets{3, 4}));
  EXPECT_EQ(grid.nextMark(), 0);

  grid.makeOpen(5);  // not yet recorded: undo takes it back first, and redo is gone
  ASSERT_FALSE(history.redo(grid, view));
  ASSERT_TRUE(history.undo(grid, view));
  EXPECT_EQ(pictureOf(grid, 1, 6), (std::vector<std::string>{".#####"}));
  ASSERT_TRUE(history.undo(grid, view));
  EXPECT_EQ(pictureOf(grid, 1, 6), (std::vector<std::string>{"######"}));
  EXPECT_FALSE(history.canUndo());
}

TEST(GridHistory, HoldsAThousandStepsThatEachRewriteTheWholeGrid) {
  PuzzleGrid grid;
  GridHistory history;
  history.reset(grid);
  for (int step = 0; step < 1000; ++step) {
    for (int i = 0; i < CellCount; ++i) {
      grid.cellAt(i) = {std::string(2, char('a' + step % 2)), Fixed, step % 2 == 0 ? i : -1};
    }
    history.record(grid, {});
  }
  EXPECT_EQ(history.stepCount(), 1000u);
  EXPECT_LE(history.byteSize(), GridHistory::DefaultByteBudget);
}

TEST(GridHistory, OldestStepsGoPastTheByteBudget) {
  PuzzleGrid grid;
  GridHistory history(20000);
  history.reset(grid);
  for (int step = 0; step < 100; ++step) {
    for (int i = 0; i < 64; ++i) grid.cellAt(i).str = std::string(2, char('a' + step % 26));
    history.record(grid, {});
  }
  EXPECT_LE(history.byteSize(), 20000u);
  const std::size_t kept = history.stepCount();
  EXPECT_GT(kept, 5u);
  EXPECT_LT(kept, 100u);
  ViewOffsets view;
  for (std::size_t k = 0; k < kept; ++k) ASSERT_TRUE(history.undo(grid, view));
  EXPECT_FALSE(history.undo(grid, view));
  EXPECT_EQ(grid.cellAt(63).str, std::string(2, char('a' + (100 - kept - 1) % 26)));
}

}  // namespace
}  // namespace vexilo
