#include "puzzle/block_rules.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/grid_picture.h"
#include "support/rule_checker.h"

namespace vexilo {
namespace {

using test::gridFromPicture;

std::vector<std::string> linesOf(const RuleCheck& check) {
  std::vector<std::string> lines;
  for (const RuleViolation& v : check.violations) {
    lines.push_back(std::to_string(static_cast<int>(v.rule)) + " " +
                    std::to_string(PuzzleGrid::rowOf(v.cell)) + " " +
                    std::to_string(PuzzleGrid::columnOf(v.cell)));
  }
  for (int i = 0; i < CellCount; ++i) {
    if (check.offending[static_cast<std::size_t>(i)] != 0) {
      lines.push_back("marked " + std::to_string(i) + " " +
                      std::to_string(check.offending[static_cast<std::size_t>(i)]));
    }
  }
  return lines;
}

TEST(BlockRules, EachHandMadeGridBreaksExactlyItsRule) {
  struct Case {
    const char* name;
    std::vector<std::string> picture;
    int top, left;  // where the picture lies in the grid
    std::vector<RuleViolation> expected;
  };
  const auto at = [](int row, int column) { return PuzzleGrid::indexOf(row, column); };
  const std::vector<Case> cases = {
      {"keeps every rule", {"..#..", ".....", "#...#", ".....", "..#.."}, 3, 4, {}},
      {"two blacks down",
       {".....", ".#...", ".#...", ".....", "....."},
       0,
       0,
       {{BlockRule::AdjacentBlack, at(1, 1)}}},
      {"two blacks across",
       {"....", "....", ".##.", "...."},
       5,
       7,
       {{BlockRule::AdjacentBlack, at(7, 8)}}},
      {"a black corner",
       {".....", ".....", ".....", ".....", "....#"},
       0,
       0,
       {{BlockRule::BlackCorner, at(4, 4)}}},
      {"a corner cut off",
       {"..#....", ".#.....", "#......", ".......", "......."},
       0,
       0,
       {{BlockRule::SplitWhite, at(0, 0)}}},
      {"closed on three sides",
       {".......", "...#...", "..#.#..", ".......", "......."},
       1,
       1,
       {{BlockRule::ClosedWhite, at(3, 4)}}},
      {"a cell in no word", {"."}, 9, 9, {{BlockRule::SingleWhite, at(9, 9)}}},
  };
  for (const Case& c : cases) {
    PuzzleGrid grid;
    test::drawPicture(grid, c.picture, c.top, c.left);
    EXPECT_EQ(checkBlockRules(grid).violations, c.expected) << c.name;
  }
}

TEST(BlockRules, RulesSwitchedOffAreNotChecked) {
  const PuzzleGrid grid = gridFromPicture({"#.", ".."});
  EXPECT_EQ(checkBlockRules(grid).count(BlockRule::BlackCorner), 1);
  EXPECT_TRUE(checkBlockRules(grid, AllBlockRules & ~ruleBit(BlockRule::BlackCorner)).holds());
  EXPECT_TRUE(checkBlockRules(PuzzleGrid{}).holds());  // no open cell, no puzzle
}

TEST(BlockRules, AgreeWithAnIndependentCheckOnRandomGrids) {
  std::mt19937 random(22);
  for (int round = 0; round < 400; ++round) {
    PuzzleGrid grid;
    const int height = 1 + static_cast<int>(random() % GridSize);
    const int width = 1 + static_cast<int>(random() % GridSize);
    const int top = static_cast<int>(random() % static_cast<unsigned>(GridSize - height + 1));
    const int left = static_cast<int>(random() % static_cast<unsigned>(GridSize - width + 1));
    const unsigned blackPercent = random() % 50;
    for (int r = top; r < top + height; ++r) {
      for (int c = left; c < left + width; ++c) {
        if (random() % 100 >= blackPercent) grid.makeOpen(PuzzleGrid::indexOf(r, c));
      }
    }
    const unsigned rules =
        round % 3 == 0 ? static_cast<unsigned>(random()) & AllBlockRules : AllBlockRules;
    ASSERT_EQ(linesOf(checkBlockRules(grid, rules)), test::checkRulesIndependently(grid, rules))
        << "round " << round;
  }
}

}  // namespace
}  // namespace vexilo
