#include "puzzle/block_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "puzzle/block_rules.h"
#include "support/rule_checker.h"

namespace vexilo {
namespace {

int blackCells(const Layout& layout, int width, int height) {
  int blacks = 0;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      blacks += layout.test(static_cast<std::size_t>(PuzzleGrid::indexOf(row, column))) ? 0 : 1;
    }
  }
  return blacks;
}

// Layouts of random sizes from 3 to 32 by each symmetry keep every block rule (checked without
// the program's code), mirror each black cell, stay within the rectangle, within a fifth black
// and within the longest word asked for.
TEST(BlockLayout, KeepsEveryRuleTheSymmetryAndTheLimitsOnRandomSizes) {
  const Symmetry symmetries[] = {Symmetry::Point, Symmetry::None, Symmetry::LeftRight,
                                 Symmetry::TopBottom};
  LayoutRandom random(20261209);
  for (const Symmetry symmetry : symmetries) {
    int made = 0;
    for (int attempt = 0; attempt < 200 && made < 10; ++attempt) {
      BlockLayoutRequest request;
      request.width = 3 + random.below(30);
      request.height = 3 + random.below(30);
      request.symmetry = symmetry;
      request.longestWord = 5 + random.below(4);
      const std::optional<Layout> layout = makeBlockLayout(request, random);
      if (!layout) continue;
      ++made;
      const std::string where = std::to_string(request.width) + "x" +
                                std::to_string(request.height) + " symmetry " +
                                std::to_string(static_cast<int>(symmetry));
      PuzzleGrid grid;  // every cell black
      for (int cell = 0; cell < CellCount; ++cell) {
        if (layout->test(static_cast<std::size_t>(cell))) grid.makeOpen(cell);
      }
      EXPECT_EQ(test::checkRulesIndependently(grid, AllBlockRules), std::vector<std::string>{})
          << where;
      EXPECT_LE(blackCells(*layout, request.width, request.height) * 5,
                request.width * request.height)
          << where;
      EXPECT_LE(longestRun(*layout), request.longestWord) << where;
      for (int cell = 0; cell < CellCount; ++cell) {
        const int row = PuzzleGrid::rowOf(cell);
        const int column = PuzzleGrid::columnOf(cell);
        const bool inside = row < request.height && column < request.width;
        const bool open = layout->test(static_cast<std::size_t>(cell));
        if (!inside) {
          ASSERT_FALSE(open) << where << ", cell " << cell;
          continue;
        }
        const int across = request.width - 1 - column;
        const int down = request.height - 1 - row;
        int mirror = cell;
        if (symmetry == Symmetry::Point) mirror = PuzzleGrid::indexOf(down, across);
        if (symmetry == Symmetry::LeftRight) mirror = PuzzleGrid::indexOf(row, across);
        if (symmetry == Symmetry::TopBottom) mirror = PuzzleGrid::indexOf(down, column);
        ASSERT_EQ(open, layout->test(static_cast<std::size_t>(mirror))) << where;
      }
    }
    EXPECT_GE(made, 6) << "symmetry " << static_cast<int>(symmetry);
  }
}

}  // namespace
}  // namespace vexilo
