#include "puzzle/grid_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::gridFromPicture;
using test::pictureOf;

TEST(GridLayout, UsedRectangleHoldsEveryOpenCell) {
  EXPECT_TRUE(usedRectangle(PuzzleGrid{}).empty());
  PuzzleGrid grid;
  grid.makeOpen(PuzzleGrid::indexOf(3, 7));
  grid.makeOpen(PuzzleGrid::indexOf(9, 2));
  EXPECT_EQ(usedRectangle(grid), (CellRectangle{3, 2, 10, 8}));
}

TEST(GridLayout, MirrorsWithinTheRectangle) {
  const CellRectangle r{2, 1, 7, 5};  // rows 2..6, columns 1..4
  const auto at = [](int row, int column) { return PuzzleGrid::indexOf(row, column); };
  struct Case {
    Symmetry symmetry;
    int cell;
    int mirror;
  };
  const std::vector<Case> cases = {
      {Symmetry::Point, at(2, 1), at(6, 4)},
      {Symmetry::Point, at(3, 2), at(5, 3)},
      {Symmetry::Point, at(4, 2), at(4, 3)},
      {Symmetry::LeftRight, at(2, 1), at(2, 4)},
      {Symmetry::TopBottom, at(2, 1), at(6, 1)},
      {Symmetry::TopBottom, at(4, 3), -1},
      {Symmetry::None, at(2, 1), -1},
      {Symmetry::Point, at(1, 1), -1},
      {Symmetry::LeftRight, at(2, 5), -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mirrorOf(c.cell, c.symmetry, r), c.mirror)
        << "symmetry " << static_cast<int>(c.symmetry) << " cell " << c.cell;
  }
}

TEST(GridLayout, MirrorsBlackAndOpenChangesOnly) {
  const auto at = [](int row, int column) { return PuzzleGrid::indexOf(row, column); };
  PuzzleGrid grid = gridFromPicture({".....", ".ウア..", ".....", "...#.", "....."});
  grid.linkCells(at(4, 3), at(4, 4));
  const Layout before = layoutOf(grid);
  grid.makeBlock(at(0, 1));                    // its mirror (4, 3) leaves its group
  grid.makeOpen(at(3, 3));                     // its mirror is open already and stays given
  grid.cellAt(at(2, 2)).str = test::sj("イ");  // a letter is no change of the layout
  EXPECT_EQ(mirrorLayoutChanges(grid, before, Symmetry::Point), std::vector<int>{at(4, 3)});
  EXPECT_EQ(pictureOf(grid, 5, 5),
            (std::vector<std::string>{".#...", ".ウア..", "..イ..", ".....", "...#."}));
  EXPECT_EQ(grid.cellAt(at(4, 3)).mark, -1);
  EXPECT_EQ(grid.cellAt(at(4, 4)).mark, 0);

  const Layout second = layoutOf(grid);
  grid.makeOpen(at(4, 3));
  EXPECT_EQ(mirrorLayoutChanges(grid, second, Symmetry::Point), std::vector<int>{at(0, 1)});
  EXPECT_EQ(grid.cellAt(at(0, 1)).flag, Open);
}

}  // namespace
}  // namespace vexilo
